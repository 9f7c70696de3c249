#pragma once

#include "FileOpener.h"

#include <QString>
#include <QStringList>

// Answers the program's requests to open a file in another program, so that no test starts a
// desktop program: every path asked is recorded and the request succeeds, unless a failure was
// scripted for it. Installs itself for its lifetime and restores the previous handler.
class OpenScript final : public FileOpener::Handler
{
public:
    OpenScript();
    ~OpenScript() override;

    OpenScript(const OpenScript&) = delete;
    OpenScript& operator=(const OpenScript&) = delete;

    // The next request fails with this reason.
    void failNext(const QString& reason);
    // Every path asked, in order, failed ones included.
    QStringList asked() const;

    bool open(const QString& path, QString* error) override;

private:
    FileOpener::Handler* m_previous = nullptr;
    QStringList m_failures;
    QStringList m_asked;
};
