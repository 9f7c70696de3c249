#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>

class QThread;

// The automatic backups of the clinic database: once a day while the program runs and once
// more at its end, a checked copy in the backup folder (a program setting), older copies thinned
// to the last 7 daily, 4 weekly and 12 monthly ones. The daily copy runs on a worker thread with
// a connection of its own, so nobody waits for it. A failure is told once per run, and work goes
// on. A server's database (a "postgresql://" address) is dumped with pg_dump instead.
class AutoBackup final : public QObject
{
    Q_OBJECT

public:
    // databasePath: the connection's path, the SQLite file or a server's address.
    explicit AutoBackup(const QString& databasePath, QObject* parent = nullptr);

    ~AutoBackup() override;

    // The program setting naming the folder ("yedek/klasor"), and the folder when it is not set;
    // a relative folder is taken against the program's folder.
    static QString folderKey();
    static QString defaultFolder();
    // The folder backups go to now, absolute.
    static QString folder();

    // Looks for a due copy after firstCheck, then every checkEvery.
    void start(std::chrono::milliseconds firstCheck, std::chrono::milliseconds checkEvery);
    // Starts a copy on the worker when the newest copy is a day old and none was tried in the
    // last day; false when none was started.
    bool backUpIfDue();
    // Starts a copy on the worker unless one is running; false when none was started.
    bool backUpNow();
    bool running() const;
    // Waits until a running copy has ended and been reported.
    void wait();
    // The program's end: no more daily copies, a running one is waited for, then one last copy is
    // taken on the calling thread.
    void finish();

    // The clock (tests move it).
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Told the first failure of this run, in plain Turkish.
    std::function<void(const QString& text)> onFailure;

    // The backups found in a folder, by the moment their names give.
    static QList<QDateTime> copiesIn(const QString& folder);

Q_SIGNALS:
    // A copy has ended: its file, or the failure's text.
    void finished(bool ok, const QString& fileOrError);

private:
    struct Outcome {
        bool ok = false;
        QString text;
    };
    // Copies, checks and thins; runs on any thread.
    static Outcome takeCopy(const QString& databasePath, bool server, const QString& folder, const QDateTime& taken,
        const std::atomic<bool>* cancelled);
    // The database is there to be copied (a server's is asked when copied).
    bool databaseExists() const;
    void report(const Outcome& outcome);
    void workerEnded();

    QString m_databasePath;
    bool m_server = false;
    QTimer m_timer;
    QThread* m_worker = nullptr;
    Outcome m_workerOutcome;
    std::atomic<bool> m_cancelled { false };
    QDateTime m_lastAttempt;
    bool m_failureTold = false;
};
