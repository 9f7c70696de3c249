#include "PostgresRowReader.h"

#include "DataError.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QtEndian>

#include <libpq-fe.h>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

QAtomicInt s_cursorCounter;

// Type numbers of the server's built-in types the program's columns have.
enum TypeOid : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    BpcharOid = 1042,
    VarcharOid = 1043,
    Float4Oid = 700,
    Float8Oid = 701,
};

template <typename T> T bigEndian(const char* bytes)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    return qFromBigEndian(value);
}

} // namespace

PostgresRowReader::PostgresRowReader(const QSqlDatabase& db, const QString& sql, int rowsPerFetch)
    : m_cursor("pediakay_rows_" + QByteArray::number(s_cursorCounter.fetchAndAddRelaxed(1) + 1))
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt's driver gives its connection by the type's own name.
    if (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0)
        m_connection = *static_cast<PGconn* const*>(handle.constData());
    if (!m_connection)
        throw DataError(u"PostgreSQL bağlantısı açık değil."_s);
    m_fetchSql = "FETCH " + QByteArray::number(qMax(1, rowsPerFetch)) + " FROM " + m_cursor;
    // A cursor lives in a transaction.
    if (PQtransactionStatus(m_connection) == PQTRANS_IDLE) {
        run("BEGIN READ ONLY");
        m_ownTransaction = true;
    }
    try {
        run("DECLARE " + m_cursor + " BINARY NO SCROLL CURSOR FOR " + sql.toUtf8());
    } catch (...) {
        if (m_ownTransaction)
            PQclear(PQexec(m_connection, "ROLLBACK"));
        throw;
    }
}

PostgresRowReader::~PostgresRowReader()
{
    PQclear(m_rows);
    if (m_ownTransaction) {
        // Reading changed nothing: the transaction only ends.
        PQclear(PQexec(m_connection, "ROLLBACK"));
        return;
    }
    PQclear(PQexec(m_connection, ("CLOSE " + m_cursor).constData()));
}

void PostgresRowReader::run(const QByteArray& sql)
{
    PGresult* result = PQexec(m_connection, sql.constData());
    const bool ok = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    const QString error = ok ? QString() : QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
    PQclear(result);
    if (!ok)
        throw DataError(error);
}

void PostgresRowReader::fetch()
{
    PQclear(m_rows);
    m_rows = PQexecParams(m_connection, m_fetchSql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 1);
    if (!m_rows || PQresultStatus(m_rows) != PGRES_TUPLES_OK)
        throw DataError(QString::fromUtf8(PQerrorMessage(m_connection)).trimmed());
    m_row = -1;
    m_done = PQntuples(m_rows) == 0;
}

bool PostgresRowReader::next()
{
    if (m_done)
        return false;
    if (!m_rows || m_row + 1 >= PQntuples(m_rows)) {
        fetch();
        if (m_done)
            return false;
    }
    ++m_row;
    return true;
}

QVariant PostgresRowReader::value(int column) const
{
    if (PQgetisnull(m_rows, m_row, column))
        return {};
    const char* bytes = PQgetvalue(m_rows, m_row, column);
    const int size = PQgetlength(m_rows, m_row, column);
    switch (PQftype(m_rows, column)) {
    case BoolOid:
        return qlonglong(bytes[0] != 0);
    case Int2Oid:
        return qlonglong(bigEndian<qint16>(bytes));
    case Int4Oid:
        return qlonglong(bigEndian<qint32>(bytes));
    case Int8Oid:
        return qlonglong(bigEndian<qint64>(bytes));
    case Float4Oid: {
        const quint32 bits = bigEndian<quint32>(bytes);
        float number;
        std::memcpy(&number, &bits, sizeof number);
        return double(number);
    }
    case Float8Oid: {
        const quint64 bits = bigEndian<quint64>(bytes);
        double number;
        std::memcpy(&number, &bits, sizeof number);
        return number;
    }
    case ByteaOid:
        return QByteArray(bytes, size);
    case TextOid:
    case BpcharOid:
    case VarcharOid:
        return QString::fromUtf8(bytes, size);
    default:
        throw DataError(u"%1 numaralı türde bir sütun okunamıyor."_s.arg(PQftype(m_rows, column)));
    }
}
