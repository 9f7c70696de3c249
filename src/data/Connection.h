#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

class SqlDialect;

// The one connection to the clinic database (anaConnection): the SQLite file, or a PostgreSQL
// server's database named by its address (see DatabaseLocation). The file, or the server's
// tables, are created with the schema when missing. When it cannot be opened, the engine's text is kept and every later
// access through database() tries again.
class Connection final
{
public:
    // path is relative to the working directory (the program's folder), e.g. "Data/Pediakay.db",
    // or a server's address, "postgresql://user@host:5432/klinik".
    explicit Connection(const QString& path = defaultPath(), const QString& connectionName = QString());
    ~Connection();

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    static QString defaultPath();

    // Tries to open (creating the file and schema if needed). Returns false and keeps the
    // engine's text in lastError() when that fails.
    bool open();
    void close();
    bool isOpen() const;
    QString lastError() const;
    QString path() const;
    // Closes the connection and names another database to open.
    void setPath(const QString& path);
    QString connectionName() const;
    // True for a server's database, false for the SQLite file.
    bool isServer() const;
    // The engine's dialect, known from the location before the connection opens.
    const SqlDialect& dialect() const;

    // The open database; tries to open first and throws DataError with the engine's text
    // when it cannot. A connection lost while a command's WriteBatch is open is not opened
    // anew before the batch ends (DataError::connectionLost()).
    QSqlDatabase& database();

    // What the user is told when the connection to the server was lost (the server stopped or
    // ended this session): with changeTakenBack, of the change it took back. A lost connection
    // no longer counts as open, so the next access opens it anew.
    static QString lostText(bool changeTakenBack = true);

    // Increases with every successful (re)open, so data sets know their statements are stale.
    int generation() const;

    // The connection most data sets use when none is given (the program has exactly one).
    static Connection* defaultConnection();
    static void setDefaultConnection(Connection* connection);

    // Told true before an older database file is brought up to date as it opens, and false after,
    // so the program can show that it is busy; empty: nobody is told.
    static void setUpgradeNotice(std::function<void(bool busy)> notice);

private:
    bool openFile();
    bool openServer();

    QString m_path;
    QString m_name;
    QSqlDatabase m_db;
    QString m_lastError;
    bool m_open = false;
    int m_generation = 0;
};
