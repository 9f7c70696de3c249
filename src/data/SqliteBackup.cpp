#include "SqliteBackup.h"

#include "SqliteHandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// How long a step waits for a writer that holds the file before the copy gives up.
constexpr int busyRetries = 500;
constexpr int busyPauseMs = 10;
// The copy is written to disk every so many steps: a large copy left to the system's write-back
// would be flushed in one go at its end, and every other program's save would wait behind it.
constexpr int stepsPerFlush = 4;

} // namespace

bool SqliteBackup::copyPages(
    sqlite3* from, sqlite3* to, int pagesPerStep, const std::function<bool()>& cancelled, QString& error)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        error = QString::fromUtf8(sqlite3_errmsg(to));
        return false;
    }
    int rc = SQLITE_OK;
    int retries = 0;
    while (true) {
        if (cancelled && cancelled()) {
            sqlite3_backup_finish(backup);
            error = u"Yedekleme yarıda bırakıldı."_s;
            return false;
        }
        rc = sqlite3_backup_step(backup, pagesPerStep);
        if (rc == SQLITE_DONE)
            break;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (++retries > busyRetries)
                break;
            sqlite3_sleep(busyPauseMs);
            continue;
        }
        if (rc != SQLITE_OK)
            break;
        retries = 0;
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE || finished != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished));
        return false;
    }
    return true;
}

SqliteBackup::Result SqliteBackup::copy(
    const QString& source, const QString& destination, int pagesPerStep, const std::function<bool()>& cancelled)
{
    Result result;
    const QString folder = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        result.error = u"Yedek klasörü oluşturulamadı: %1"_s.arg(QDir::toNativeSeparators(folder));
        return result;
    }
    if (QFileInfo::exists(destination)) {
        result.error = u"Yedek dosyası zaten var: %1"_s.arg(QDir::toNativeSeparators(destination));
        return result;
    }
    const QString partial = destination + u".yarim"_s;
    QFile::remove(partial);
    const auto fail = [&result, &partial](const QString& text) {
        QFile::remove(partial);
        result.error = text;
        return result;
    };

    {
        SqliteHandle from(source, SqliteHandle::Mode::ReadWrite);
        if (!from.isOpen())
            return fail(u"Veritabanı yedek için açılamadı: %1"_s.arg(from.error()));
        SqliteHandle to(partial, SqliteHandle::Mode::Create);
        if (!to.isOpen())
            return fail(u"Yedek dosyası yazılamadı: %1 (%2)"_s.arg(QDir::toNativeSeparators(partial), to.error()));
        // One read transaction for the whole copy: every step reads the same snapshot, so other
        // connections' writes neither mix into the copy nor make it start again.
        QStringList ignored;
        if (!from.exec(u"BEGIN"_s) || !from.rows(u"SELECT count(*) FROM sqlite_master"_s, ignored))
            return fail(u"Veritabanı yedek için okunamadı: %1"_s.arg(from.error()));
        QFile written(partial);
        written.open(QIODevice::ReadOnly);
        int steps = 0;
        const auto betweenSteps = [&] {
#ifdef Q_OS_UNIX
            if (++steps % stepsPerFlush == 0 && written.isOpen())
                ::fdatasync(written.handle());
#endif
            return cancelled && cancelled();
        };
        QString error;
        const bool copied = copyPages(from.get(), to.get(), pagesPerStep, betweenSteps, error);
        from.exec(u"COMMIT"_s);
        if (!copied)
            return fail(u"Yedek dosyası yazılamadı: %1 (%2)"_s.arg(QDir::toNativeSeparators(partial), error));
        // The copy carries the source's journal mode; a backup is one self-contained file.
        QStringList mode;
        if (!to.rows(u"PRAGMA journal_mode=DELETE"_s, mode))
            return fail(u"Yedek dosyası yazılamadı: %1 (%2)"_s.arg(QDir::toNativeSeparators(partial), to.error()));
    }

    {
        SqliteHandle check(partial, SqliteHandle::Mode::ReadWrite);
        if (!check.isOpen() || !check.integrityOk())
            return fail(u"Yedek denetlenirken hata bulundu: %1"_s.arg(check.error()));
    }
    if (!QFile::rename(partial, destination))
        return fail(u"Yedek dosyası adlandırılamadı: %1"_s.arg(QDir::toNativeSeparators(destination)));
    result.ok = true;
    return result;
}
