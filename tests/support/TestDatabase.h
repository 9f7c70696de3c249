#pragma once

#include <QSqlDatabase>
#include <QString>

#include <memory>

class QTemporaryDir;

// A new, empty clinic database for one test case on the engine the environment chooses: the
// SQLite file in a temporary folder, or, with PEDIAKAY_TEST_ENGINE=postgresql, a database of
// its own on the server named by PEDIAKAY_TEST_POSTGRES (an address of a database the test user
// may create databases from, e.g. "postgresql://postgres@localhost:54329/postgres?host=/tmp/pg").
// The server's database is dropped again when the object goes.
class TestDatabase final
{
public:
    // What the server's database holds at first. The SQLite file is made by the first connection
    // to it, with the clinic's tables only when that is the program's own Connection.
    enum class Content {
        Clinic, // the clinic's tables and reference rows, as the program makes them
        Empty, // nothing: a database the program has not seen yet
    };

    explicit TestDatabase(Content content = Content::Clinic);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    static bool postgresqlChosen();
    // Set when PostgreSQL is chosen but no server is named: a developer's quick run without a
    // server, which skips; CI always names one, so there a missing server fails.
    static bool serverMissing();

    // Empty when the database is ready; the reason otherwise.
    QString error() const;
    // What a Connection opens: the file's path or the server database's address.
    QString location() const;
    // A plain connection of its own (not the program's) on the database.
    QSqlDatabase open(const QString& connectionName) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_location;
    QString m_serverDatabase;
    QString m_error;
};
