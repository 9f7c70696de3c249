#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A connection of SQLite's own, for work beside the program's Qt connection (backups, restore):
// closed when it goes. Failures keep SQLite's text in error().
class SqliteHandle final
{
public:
    enum class Mode {
        ReadWrite, // an existing file
        Create, // created when missing, readable and writable by its owner only
        ReadOnly,
    };

    SqliteHandle(const QString& path, Mode mode, int busyTimeoutMs = 5000);
    ~SqliteHandle();

    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    bool isOpen() const;
    sqlite3* get() const;
    QString error() const;

    // Runs statements without results; false keeps SQLite's text.
    bool exec(const QString& sql);
    // The first column of every row of one statement; false keeps SQLite's text.
    bool rows(const QString& sql, QStringList& values);
    // PRAGMA integrity_check: true when it says "ok"; otherwise error() holds its first lines.
    bool integrityOk();
    void close();

private:
    void keepError(int code);

    sqlite3* m_db = nullptr;
    QString m_error;
};
