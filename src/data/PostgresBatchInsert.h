#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <vector>

struct pg_conn;

// A statement with many rows' values (an INSERT of many rows) prepared once on a PostgreSQL
// connection and run again and again with new values, through the server's own client library
// on the program's connection, inside whatever transaction it has open. Every value travels as a
// parameter of its own: bytes as they are, everything else as text. Qt's driver writes each value
// into the text of the statement instead, bytes in hexadecimal twice their size, and the server
// reads the whole statement again every time.
class PostgresBatchInsert final
{
public:
    // The statement numbers its values $1, $2, ...; throws DataError with the server's text.
    PostgresBatchInsert(const QSqlDatabase& db, const QString& sql, int parameters);
    ~PostgresBatchInsert();

    PostgresBatchInsert(const PostgresBatchInsert&) = delete;
    PostgresBatchInsert& operator=(const PostgresBatchInsert&) = delete;

    // Runs the statement with these values, one for each parameter in order (a null value stays
    // NULL); throws DataError with the server's text.
    void run(const QVariantList& values);

    // The text the server reads back as the same value: whole numbers and numbers in their
    // shortest exact form, texts in UTF-8.
    static QByteArray text(const QVariant& value);

private:
    pg_conn* m_connection = nullptr;
    QByteArray m_name;
    int m_parameters = 0;
    std::vector<QByteArray> m_texts;
    std::vector<const char*> m_values;
    std::vector<int> m_lengths;
    std::vector<int> m_formats;
};
