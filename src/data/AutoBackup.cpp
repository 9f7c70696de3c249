#include "AutoBackup.h"

#include "BackupNames.h"
#include "BackupThinning.h"
#include "DatabaseLocation.h"
#include "PgDumpBackup.h"
#include "ProgramSettings.h"
#include "SqliteBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMultiMap>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 secondsPerDay = 24 * 60 * 60;

} // namespace

AutoBackup::AutoBackup(const QString& databasePath, QObject* parent)
    : QObject(parent)
    , m_databasePath(databasePath)
    , m_server(DatabaseLocation::isServerAddress(databasePath))
{
    if (!m_server)
        m_databasePath = QFileInfo(databasePath).absoluteFilePath();
    connect(&m_timer, &QTimer::timeout, this, &AutoBackup::backUpIfDue);
}

AutoBackup::~AutoBackup()
{
    m_cancelled = true;
    wait();
}

// The connection's addresses of server databases; when the connection tells which engine it
// uses, ask it instead.
bool AutoBackup::databaseExists() const
{
    return m_server || QFileInfo(m_databasePath).isFile();
}

QString AutoBackup::folderKey()
{
    return u"yedek/klasor"_s;
}

QString AutoBackup::defaultFolder()
{
    return u"Data/Yedek"_s;
}

QString AutoBackup::folder()
{
    QString chosen = ProgramSettings::value(folderKey()).toString().trimmed();
    if (chosen.isEmpty())
        chosen = defaultFolder();
    return QDir::current().absoluteFilePath(QDir::fromNativeSeparators(chosen));
}

void AutoBackup::start(std::chrono::milliseconds firstCheck, std::chrono::milliseconds checkEvery)
{
    m_timer.setInterval(checkEvery);
    m_timer.start();
    QTimer::singleShot(firstCheck, this, &AutoBackup::backUpIfDue);
}

bool AutoBackup::backUpIfDue()
{
    const QDateTime current = now();
    if (m_lastAttempt.isValid() && m_lastAttempt.secsTo(current) < secondsPerDay)
        return false;
    const QList<QDateTime> copies = copiesIn(folder());
    for (const QDateTime& copy : copies) {
        // A copy dated ahead (the clock was set back since) does not stop the copies.
        const qint64 age = copy.secsTo(current);
        if (age >= 0 && age < secondsPerDay)
            return false;
    }
    return backUpNow();
}

bool AutoBackup::backUpNow()
{
    if (running() || !databaseExists())
        return false;
    const QDateTime taken = now();
    m_lastAttempt = taken;
    const QString target = folder();
    const QString database = m_databasePath;
    const bool server = m_server;
    m_worker = QThread::create([this, database, server, target, taken] {
        m_workerOutcome = takeCopy(database, server, target, taken, &m_cancelled);
    });
    QThread* worker = m_worker;
    connect(worker, &QThread::finished, this, [this, worker] {
        // A copy already waited for and reported is not reported again.
        if (m_worker == worker)
            workerEnded();
    });
    m_worker->start(QThread::LowPriority);
    return true;
}

bool AutoBackup::running() const
{
    return m_worker != nullptr;
}

void AutoBackup::wait()
{
    if (!m_worker)
        return;
    m_worker->wait();
    workerEnded();
}

void AutoBackup::finish()
{
    m_timer.stop();
    wait();
    if (!databaseExists())
        return;
    const QDateTime taken = now();
    m_lastAttempt = taken;
    report(takeCopy(m_databasePath, m_server, folder(), taken, nullptr));
}

QList<QDateTime> AutoBackup::copiesIn(const QString& folder)
{
    QList<QDateTime> copies;
    const QStringList names = QDir(folder).entryList({ u"Pediakay-*"_s }, QDir::Files);
    for (const QString& name : names) {
        const QDateTime taken = BackupNames::takenAt(name);
        if (taken.isValid())
            copies.append(taken);
    }
    return copies;
}

AutoBackup::Outcome AutoBackup::takeCopy(const QString& databasePath, bool server, const QString& folder,
    const QDateTime& taken, const std::atomic<bool>* cancelled)
{
    Outcome outcome;
    // Two copies in the same minute: the second one is not needed.
    const QString destination
        = QDir(folder).absoluteFilePath(BackupNames::backupFile(taken, server ? u"dump"_s : u"db"_s));
    if (QFileInfo::exists(destination)) {
        outcome.ok = true;
        outcome.text = destination;
        return outcome;
    }
    if (server) {
        if (!PgDumpBackup::copy(databasePath, destination, outcome.text))
            return outcome;
    } else {
        const SqliteBackup::Result copied = SqliteBackup::copy(databasePath, destination, 1024,
            cancelled ? std::function<bool()>([cancelled] { return cancelled->load(); }) : std::function<bool()>());
        if (!copied.ok) {
            outcome.text = copied.error;
            return outcome;
        }
    }
    QMultiMap<QDateTime, QString> files;
    for (const QString& name : QDir(folder).entryList({ u"Pediakay-*"_s }, QDir::Files)) {
        const QDateTime copyTaken = BackupNames::takenAt(name);
        if (copyTaken.isValid())
            files.insert(copyTaken, name);
    }
    for (const QDateTime& old : BackupThinning::remove(files.uniqueKeys())) {
        for (const QString& name : files.values(old))
            QFile::remove(QDir(folder).absoluteFilePath(name));
    }
    outcome.ok = true;
    outcome.text = destination;
    return outcome;
}

void AutoBackup::report(const Outcome& outcome)
{
    Q_EMIT finished(outcome.ok, outcome.text);
    if (outcome.ok || m_failureTold)
        return;
    m_failureTold = true;
    if (onFailure)
        onFailure(u"Otomatik yedek alınamadı. Çalışmanız etkilenmedi, ancak veritabanınızın yedeği yok.\n\n%1"_s.arg(
            outcome.text));
}

void AutoBackup::workerEnded()
{
    if (!m_worker)
        return;
    // The thread may have ended without this object's event loop having seen it yet.
    m_worker->wait();
    QThread* worker = m_worker;
    m_worker = nullptr;
    worker->deleteLater();
    if (m_cancelled)
        return;
    report(m_workerOutcome);
}
