#pragma once

#include <QString>

class QSqlQuery;

// Every statement of the data layer runs through here. A failure becomes a DataError with the
// engine's text; when the statement failed because the server connection is gone, the error says
// so in Turkish (DataError::connectionLost()) instead, and the connection, no longer open, is
// opened anew by the next access (Connection::database()).
class Statement final
{
public:
    Statement() = delete;

    static void prepare(QSqlQuery& query, const QString& sql);
    // Runs the prepared statement.
    static void exec(QSqlQuery& query);
    // Runs a statement without bound values.
    static void exec(QSqlQuery& query, const QString& sql);

    // The error of the query's last failure.
    [[noreturn]] static void fail(const QSqlQuery& query);
    // True when the query's connection is to a server and that connection is gone.
    static bool connectionLost(const QSqlQuery& query);
};
