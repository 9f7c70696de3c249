#include "Statement.h"

#include "Connection.h"
#include "DataError.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

void Statement::prepare(QSqlQuery& query, const QString& sql)
{
    if (!query.prepare(sql))
        fail(query);
}

void Statement::exec(QSqlQuery& query)
{
    if (!query.exec())
        fail(query);
}

void Statement::exec(QSqlQuery& query, const QString& sql)
{
    if (!query.exec(sql))
        fail(query);
}

void Statement::fail(const QSqlQuery& query)
{
    if (connectionLost(query))
        throw DataError(Connection::lostText(false), DataError::ConnectionLost);
    throw DataError(DataError::engineText(query.lastError()));
}

// The server driver counts itself open only while its connection is sound. A session the server
// ended is seen by the driver only at the statement after the one that got the server's notice,
// so one more statement asks (in a failed transaction it fails too, on a sound connection).
// The SQLite file is never lost this way.
bool Statement::connectionLost(const QSqlQuery& query)
{
    const QSqlDriver* driver = query.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL)
        return false;
    if (driver->isOpen()) {
        QSqlQuery ping(driver->createResult());
        ping.exec(u"SELECT 1"_s);
    }
    return !driver->isOpen();
}
