#pragma once

#include <QApplication>

// The application object: Turkish locale, the program's title, and a last guard around every
// event so that a failure escaping a handler is shown instead of ending the program.
class PediakayApplication final : public QApplication
{
    Q_OBJECT

public:
    PediakayApplication(int& argc, char** argv);
    ~PediakayApplication() override;

    bool notify(QObject* receiver, QEvent* event) override;
};
