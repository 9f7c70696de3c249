#include "BackupRestore.h"

#include "BackupNames.h"
#include "DatabaseLocation.h"
#include "Schema.h"
#include "SqliteBackup.h"
#include "SqliteHandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

const QString BackupRestore::openElsewhere
    = u"Veritabanı şu anda başka bir Pediakay tarafından kullanılıyor. Geri yükleme yapılmadı; "
      u"diğer Pediakay pencerelerini kapatıp tekrar deneyin."_s;
const QString BackupRestore::onServer = u"Veritabanı bir PostgreSQL sunucusunda; yedeği sunucuda pg_restore ile "
                                        u"geri yükleyin (README: Yedekler)."_s;

namespace {

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

bool BackupRestore::checkBackup(const QString& file, QString& reason)
{
    if (!QFileInfo(file).isFile()) {
        reason = u"Yedek dosyası bulunamadı: %1"_s.arg(native(file));
        return false;
    }
    SqliteHandle backup(file, SqliteHandle::Mode::ReadOnly, 0);
    QStringList tables;
    if (!backup.isOpen() || !backup.rows(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s, tables)) {
        reason = u"Seçilen dosya bir Pediakay yedeği değil: %1"_s.arg(native(file));
        return false;
    }
    if (!backup.integrityOk()) {
        reason = u"Yedek dosyası bozuk, geri yüklenemez: %1\n%2"_s.arg(native(file), backup.error());
        return false;
    }
    const QSet<QString> present(tables.cbegin(), tables.cend());
    QStringList missing;
    for (const TableDef& table : Schema::tables()) {
        if (!present.contains(table.name))
            missing.append(table.name);
    }
    if (!missing.isEmpty()) {
        reason = u"Seçilen dosya bir Pediakay yedeği değil (eksik tablolar: %1): %2"_s.arg(
            missing.join(u", "_s), native(file));
        return false;
    }
    QStringList version;
    if (!backup.rows(u"PRAGMA user_version"_s, version) || version.value(0).toInt() > Schema::currentVersion) {
        reason = u"Yedek, bu programdan daha yeni bir Pediakay ile alınmış: %1"_s.arg(native(file));
        return false;
    }
    return true;
}

BackupRestore::Result BackupRestore::restore(
    const QString& backupFile, const QString& databasePath, const QDateTime& now)
{
    Result result;
    if (DatabaseLocation::isServerAddress(databasePath)) {
        result.text = onServer;
        return result;
    }
    const QString database = QFileInfo(databasePath).absoluteFilePath();
    if (QFileInfo(backupFile).absoluteFilePath() == database) {
        result.text = u"Seçilen dosya veritabanının kendisi; bir yedek seçin."_s;
        return result;
    }
    if (!checkBackup(backupFile, result.text))
        return result;

    // The incoming file is copied beside the database first, so a failure while copying leaves
    // the database as it was.
    const QString incoming = database + u".gelen"_s;
    QFile::remove(incoming);
    if (!QDir().mkpath(QFileInfo(database).absolutePath()) || !QFile::copy(backupFile, incoming)) {
        result.text = u"Yedek, veritabanının klasörüne kopyalanamadı: %1"_s.arg(native(incoming));
        return result;
    }
    QFile::setPermissions(incoming, QFile::ReadOwner | QFile::WriteOwner);
    const auto fail = [&result, &incoming](const QString& text) {
        QFile::remove(incoming);
        result.text = text;
        return result;
    };

    if (QFileInfo(database).isFile()) {
        // No waiting: a copy of the program that has the file open holds it as long as it runs.
        SqliteHandle current(database, SqliteHandle::Mode::ReadWrite, 0);
        if (!current.isOpen() || !current.exec(u"PRAGMA locking_mode=EXCLUSIVE"_s)
            || !current.exec(u"BEGIN EXCLUSIVE"_s)) {
            const int code = current.isOpen() ? sqlite3_errcode(current.get()) : SQLITE_CANTOPEN;
            if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
                return fail(openElsewhere);
            return fail(u"Veritabanı açılamadı: %1"_s.arg(current.error()));
        }
        current.exec(u"COMMIT"_s);
        // The database as it is now, kept aside with the same backup API that makes the
        // backups, so what its write-ahead log holds is kept too.
        const QString aside = QDir(QFileInfo(database).absolutePath()).absoluteFilePath(BackupNames::asideFile(now));
        if (QFileInfo::exists(aside))
            return fail(u"Bu dakika içinde zaten bir geri yükleme yapıldı: %1"_s.arg(native(aside)));
        {
            SqliteHandle kept(aside, SqliteHandle::Mode::Create);
            QString error;
            if (!kept.isOpen() || !SqliteBackup::copyPages(current.get(), kept.get(), -1, {}, error)) {
                kept.close();
                QFile::remove(aside);
                return fail(u"Şimdiki veritabanı yedeklenemedi, geri yükleme yapılmadı: %1"_s.arg(
                    kept.isOpen() ? error : kept.error()));
            }
            QStringList mode;
            kept.rows(u"PRAGMA journal_mode=DELETE"_s, mode);
        }
        result.asidePath = aside;
        // Closing the last connection folds the write-ahead log into the file and removes it.
        current.close();
        QFile::remove(database + u"-wal"_s);
        QFile::remove(database + u"-shm"_s);
        if (!QFile::remove(database))
            return fail(u"Şimdiki veritabanı kaldırılamadı: %1"_s.arg(native(database)));
    }
    if (!QFile::rename(incoming, database)) {
        result.text = u"Yedek yerine konamadı. Eski veritabanı şurada duruyor: %1"_s.arg(native(result.asidePath));
        return result;
    }
    result.ok = true;
    result.text = result.asidePath.isEmpty()
        ? u"Yedek geri yüklendi."_s
        : u"Yedek geri yüklendi. Önceki veritabanı şu adla saklandı: %1"_s.arg(native(result.asidePath));
    return result;
}
