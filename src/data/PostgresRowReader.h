#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

struct pg_conn;
struct pg_result;

// Reads the rows of one query on a PostgreSQL connection through the server's client library:
// from a cursor, many thousand rows at a time, every value in the server's binary form (bytes
// as they are, numbers exact), where Qt's driver has the server write bytes in hexadecimal and
// every number as text, and parses each again. Runs inside the connection's transaction, or in
// one of its own that ends with the reader.
class PostgresRowReader final
{
public:
    // Throws DataError with the server's text.
    PostgresRowReader(const QSqlDatabase& db, const QString& sql, int rowsPerFetch = 5000);
    ~PostgresRowReader();

    PostgresRowReader(const PostgresRowReader&) = delete;
    PostgresRowReader& operator=(const PostgresRowReader&) = delete;

    // Moves to the next row; false after the last. Throws DataError with the server's text.
    bool next();
    // A value of the current row: whole numbers as qlonglong, fractions as double, bytes as
    // QByteArray, texts as QString, NULL as a null QVariant.
    QVariant value(int column) const;

private:
    void run(const QByteArray& sql);
    void fetch();

    pg_conn* m_connection = nullptr;
    pg_result* m_rows = nullptr;
    QByteArray m_cursor;
    QByteArray m_fetchSql;
    int m_row = -1;
    bool m_ownTransaction = false;
    bool m_done = false;
};
