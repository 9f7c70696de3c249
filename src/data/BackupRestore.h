#pragma once

#include <QDateTime>
#include <QString>

// Puts a backup in the place of the clinic database: the backup is checked first (SQLite's
// integrity check and the clinic's tables), the current database is kept aside beside it as
// Pediakay-oncesi-YYYY-MM-DD_HHMM.db, then the backup becomes the database. Refused while any
// connection, of this program or another copy of it, has the database open: the restore holds
// SQLite's exclusive lock on the file throughout, which it only gets when nobody else has it
// open.
class BackupRestore final
{
public:
    struct Result {
        bool ok = false;
        // In Turkish: what was done (the file kept aside), or why nothing was done.
        QString text;
        QString asidePath; // empty when there was no database to keep aside
    };

    static Result restore(const QString& backupFile, const QString& databasePath, const QDateTime& now);

    // Whether a file is a sound copy of a clinic database; false gives the reason in Turkish.
    static bool checkBackup(const QString& file, QString& reason);

    static const QString openElsewhere; // the refusal while the database is open
    static const QString onServer; // a server's database is restored with the server's tools
};
