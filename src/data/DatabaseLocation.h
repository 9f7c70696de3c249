#pragma once

#include <QString>
#include <QStringList>

// Which database the program opens: the SQLite file in the program's folder (the default), or a
// PostgreSQL database on a server that several workstations share. A server is named by an
// address "postgresql://user@host:port/database" (a socket folder as "?host=/folder"), given on
// the command line (--database ADDRESS) or made from the settings file Data/Veritabani.ini:
//
//     [Veritabani]
//     Motor=PostgreSQL
//     Sunucu=sunucu.klinik
//     Port=5432
//     Veritabani=klinik
//     Kullanici=pediakay
//
// The password never stands in either: the server's client library takes it from the user's
// password file (~/.pgpass) or the PGPASSWORD environment variable.
class DatabaseLocation final
{
public:
    // The settings file, relative to the program's folder.
    static QString settingsFile();

    // The location from the program's arguments and the settings file in the working directory,
    // or the default SQLite file. error is set (and the default returned) when either is wrong.
    static QString choose(const QStringList& arguments, QString* error);
    // The address the settings file names; empty when the file is missing or names SQLite.
    static QString fromSettings(const QString& file, QString* error);

    // The parts of a server address; ok false (with error) when it is not a valid one.
    struct Server {
        bool ok = false;
        QString error;
        QString user;
        QString host;
        int port = 5432;
        QString database;
    };
    static bool isServerAddress(const QString& location);
    static Server parse(const QString& address);
    // The address of a server's parts.
    static QString address(const QString& user, const QString& host, int port, const QString& database);
};
