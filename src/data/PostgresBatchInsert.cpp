#include "PostgresBatchInsert.h"

#include "DataError.h"

#include <QAtomicInt>
#include <QLocale>
#include <QSqlDriver>

#include <libpq-fe.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QAtomicInt s_statementCounter;

struct ResultDeleter {
    void operator()(PGresult* result) const
    {
        PQclear(result);
    }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// The server's text of a failed call, or empty when it went well.
QString failure(PGconn* connection, const Result& result)
{
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return {};
    const char* text = result ? PQresultErrorMessage(result.get()) : PQerrorMessage(connection);
    return QString::fromUtf8(text).trimmed();
}

} // namespace

PostgresBatchInsert::PostgresBatchInsert(const QSqlDatabase& db, const QString& sql, int parameters)
    : m_name("pediakay_batch_" + QByteArray::number(s_statementCounter.fetchAndAddRelaxed(1) + 1))
    , m_parameters(parameters)
    , m_texts(size_t(parameters))
    , m_values(size_t(parameters))
    , m_lengths(size_t(parameters))
    , m_formats(size_t(parameters))
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt's driver gives its connection by the type's own name.
    if (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0)
        m_connection = *static_cast<PGconn* const*>(handle.constData());
    if (!m_connection)
        throw DataError(u"PostgreSQL bağlantısı açık değil."_s);
    // The server takes each value's type from the column it goes into.
    const Result prepared(PQprepare(m_connection, m_name.constData(), sql.toUtf8().constData(), parameters, nullptr));
    const QString error = failure(m_connection, prepared);
    if (!error.isEmpty()) {
        m_connection = nullptr;
        throw DataError(error);
    }
}

PostgresBatchInsert::~PostgresBatchInsert()
{
    // In a failed transaction the server refuses this until the rollback, which keeps the
    // statement: it goes with the connection then.
    if (m_connection)
        PQclear(PQexec(m_connection, ("DEALLOCATE " + m_name).constData()));
}

void PostgresBatchInsert::run(const QVariantList& values)
{
    if (values.size() != m_parameters)
        throw DataError(u"%1 değer bekleniyordu, %2 verildi."_s.arg(m_parameters).arg(values.size()));
    for (int i = 0; i < m_parameters; ++i) {
        const QVariant& value = values.at(i);
        const size_t at = size_t(i);
        if (!value.isValid() || value.isNull()) {
            m_values[at] = nullptr;
            m_lengths[at] = 0;
            m_formats[at] = 0;
            continue;
        }
        const bool bytes = value.typeId() == QMetaType::QByteArray;
        m_texts[at] = bytes ? value.toByteArray() : text(value);
        m_values[at] = m_texts[at].constData();
        m_lengths[at] = int(m_texts[at].size());
        m_formats[at] = bytes ? 1 : 0;
    }
    const Result result(PQexecPrepared(
        m_connection, m_name.constData(), m_parameters, m_values.data(), m_lengths.data(), m_formats.data(), 0));
    const QString error = failure(m_connection, result);
    if (!error.isEmpty())
        throw DataError(error);
}

QByteArray PostgresBatchInsert::text(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::ULongLong:
        return QByteArray::number(value.toULongLong());
    case QMetaType::Bool:
        return value.toBool() ? "1" : "0";
    case QMetaType::Float:
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        return value.toString().toUtf8();
    }
}
