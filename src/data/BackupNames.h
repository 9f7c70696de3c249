#pragma once

#include <QDateTime>
#include <QString>

// The names of the database's copies: Pediakay-YYYY-MM-DD_HHMM.db for a backup of the SQLite
// file (.dump for a server's database), and Pediakay-oncesi-YYYY-MM-DD_HHMM.db for the database a
// restore kept aside.
class BackupNames final
{
public:
    static QString backupFile(const QDateTime& taken, const QString& extension = QStringLiteral("db"));
    static QString asideFile(const QDateTime& kept);
    // The moment a backup's file name gives, or an invalid one for any other name.
    static QDateTime takenAt(const QString& fileName);
};
