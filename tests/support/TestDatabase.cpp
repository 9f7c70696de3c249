#include "TestDatabase.h"

#include "Connection.h"
#include "DatabaseLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

int s_counter = 0;

QString adminAddress()
{
    return qEnvironmentVariable("PEDIAKAY_TEST_POSTGRES");
}

// A connection to the server's maintenance database, for creating and dropping test databases.
QSqlDatabase adminConnection(QString& error)
{
    const QString name = u"testdatabase-admin"_s;
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name);
        if (db.isOpen())
            return db;
        QSqlDatabase::removeDatabase(name);
    }
    const DatabaseLocation::Server server = DatabaseLocation::parse(adminAddress());
    if (!server.ok) {
        error = server.error;
        return {};
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, name);
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    if (!db.open())
        error = u"test server %1: %2"_s.arg(adminAddress(), db.lastError().text());
    return db;
}

// The schema made once per test run in a database of its own, which every test database then
// copies: making the tables and reference rows anew for each case would take most of its time.
QString s_template;

void dropTemplate()
{
    QString error;
    QSqlDatabase admin = adminConnection(error);
    if (error.isEmpty() && !s_template.isEmpty())
        QSqlQuery(admin).exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(s_template));
    s_template.clear();
}

QString makeTemplate(QSqlDatabase& admin, QString& error)
{
    if (!s_template.isEmpty())
        return s_template;
    const QString name = u"pediakay_template_%1"_s.arg(QCoreApplication::applicationPid());
    QSqlQuery q(admin);
    q.exec(u"DROP DATABASE IF EXISTS %1"_s.arg(name));
    if (!q.exec(u"CREATE DATABASE %1"_s.arg(name))) {
        error = q.lastError().text();
        return {};
    }
    const DatabaseLocation::Server server = DatabaseLocation::parse(adminAddress());
    {
        Connection schema(DatabaseLocation::address(server.user, server.host, server.port, name));
        if (!schema.open()) {
            error = schema.lastError();
            return {};
        }
    }
    s_template = name;
    qAddPostRoutine(dropTemplate);
    return s_template;
}

} // namespace

bool TestDatabase::postgresqlChosen()
{
    return qEnvironmentVariable("PEDIAKAY_TEST_ENGINE").compare(u"postgresql"_s, Qt::CaseInsensitive) == 0;
}

bool TestDatabase::serverMissing()
{
    return postgresqlChosen() && adminAddress().isEmpty();
}

TestDatabase::TestDatabase(Content content)
{
    if (!postgresqlChosen()) {
        m_dir = std::make_unique<QTemporaryDir>();
        if (!m_dir->isValid())
            m_error = u"no temporary folder"_s;
        m_location = m_dir->filePath(u"Data/Pediakay.db"_s);
        return;
    }
    if (serverMissing()) {
        m_error = u"PEDIAKAY_TEST_POSTGRES names no server"_s;
        return;
    }
    QSqlDatabase admin = adminConnection(m_error);
    if (!m_error.isEmpty())
        return;
    m_serverDatabase = u"pediakay_test_%1_%2"_s.arg(QCoreApplication::applicationPid()).arg(++s_counter);
    const QString schema = content == Content::Clinic ? makeTemplate(admin, m_error) : u"template1"_s;
    if (!m_error.isEmpty())
        return;
    QSqlQuery q(admin);
    q.exec(u"DROP DATABASE IF EXISTS %1"_s.arg(m_serverDatabase));
    if (!q.exec(u"CREATE DATABASE %1 TEMPLATE %2"_s.arg(m_serverDatabase, schema))) {
        m_error = q.lastError().text();
        m_serverDatabase.clear();
        return;
    }
    const DatabaseLocation::Server server = DatabaseLocation::parse(adminAddress());
    m_location = DatabaseLocation::address(server.user, server.host, server.port, m_serverDatabase);
}

TestDatabase::~TestDatabase()
{
    if (m_serverDatabase.isEmpty())
        return;
    QString error;
    QSqlDatabase admin = adminConnection(error);
    if (error.isEmpty())
        QSqlQuery(admin).exec(u"DROP DATABASE IF EXISTS %1 WITH (FORCE)"_s.arg(m_serverDatabase));
}

QString TestDatabase::error() const
{
    return m_error;
}

QString TestDatabase::location() const
{
    return m_location;
}

QSqlDatabase TestDatabase::open(const QString& connectionName) const
{
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
    if (!postgresqlChosen()) {
        // Before the program has made the file, its folder too.
        QDir().mkpath(QFileInfo(m_location).path());
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, connectionName);
        db.setDatabaseName(m_location);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
        db.open();
        return db;
    }
    const DatabaseLocation::Server server = DatabaseLocation::parse(m_location);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, connectionName);
    db.setHostName(server.host);
    db.setPort(server.port);
    db.setDatabaseName(server.database);
    db.setUserName(server.user);
    db.open();
    return db;
}
