#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// The progress window of a long command. It appears only when the command runs longer than
// half a second, shows how far it got and has a "Vazgeç" button. The windows keep repainting
// meanwhile; no other command takes input until the command ends.
class CommandProgress final
{
public:
    static constexpr int delayMs = 500;

    // pattern holds %1 for the count done and %2 for the total.
    CommandProgress(QWidget* parent, const QString& pattern, int total);
    ~CommandProgress();

    CommandProgress(const CommandProgress&) = delete;
    CommandProgress& operator=(const CommandProgress&) = delete;

    // Shows the count done and lets the windows repaint; false once "Vazgeç" was pressed.
    bool step(int done);
    // The window has appeared.
    bool shown() const;

private:
    QString label(int done) const;

    const std::unique_ptr<QProgressDialog> m_dialog;
    const QString m_pattern;
    const int m_total;
    QElapsedTimer m_clock;
    bool m_shown = false;
};
