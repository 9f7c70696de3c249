#include "DatabaseCopy.h"

#include "DataError.h"
#include "PostgresBatchInsert.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "Statement.h"
#include "StatementBuilder.h"
#include "ValueFormats.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Both engines take tens of thousands of bound values in one statement; this stays below the
// smaller limit with room to spare.
constexpr int maxBoundValues = 30000;

QAtomicInt s_scratchCounter;

DataError tableError(const TableDef& def, const QSqlError& error)
{
    return DataError(u"%1: %2"_s.arg(def.name, DataError::engineText(error)));
}

QString columnList(const TableDef& def)
{
    QStringList columns;
    for (const FieldDef& field : def.fields)
        columns << StatementBuilder::quoted(field.name);
    return columns.join(u", "_s);
}

// Marks of the values: "?" for Qt's driver, "$1", "$2", ... for the server's own parameters.
QString insertSql(const TableDef& def, int rows, bool numbered)
{
    const qsizetype columns = def.fields.size();
    QStringList tuples;
    tuples.reserve(rows);
    QStringList marks(columns);
    for (int r = 0; r < rows; ++r) {
        for (qsizetype c = 0; c < columns; ++c)
            marks[c] = numbered ? u'$' + QString::number(r * columns + c + 1) : u"?"_s;
        tuples << u'(' + marks.join(u", "_s) + u')';
    }
    return u"INSERT INTO %1 (%2) VALUES %3"_s.arg(
        StatementBuilder::quoted(def.name), columnList(def), tuples.join(u", "_s));
}

qint64 rowCount(QSqlDatabase& db, const TableDef& def)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(u"SELECT count(*) FROM %1"_s.arg(StatementBuilder::quoted(def.name))) || !q.next())
        throw tableError(def, q.lastError());
    return q.value(0).toLongLong();
}

// The value as the target is to store it: the same value, a date the engine gives as a date in
// the form the program stores dates, and a null with its column's type.
QVariant boundValue(FieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        switch (type) {
        case FieldType::AutoInc:
        case FieldType::Integer:
        case FieldType::Smallint:
            return QVariant(QMetaType::fromType<qlonglong>());
        case FieldType::Float:
            return QVariant(QMetaType::fromType<double>());
        case FieldType::Blob:
            return QVariant(QMetaType::fromType<QByteArray>());
        default:
            return QVariant(QMetaType::fromType<QString>());
        }
    }
    if (type == FieldType::DateTime && value.typeId() == QMetaType::QDateTime)
        return ValueFormats::storedDate(value.toDateTime());
    return value;
}

// One INSERT of a given number of rows, prepared once and run with that many rows' values:
// through Qt's driver on SQLite, with the server's own parameters on PostgreSQL.
class RowsInsert final
{
public:
    RowsInsert(QSqlDatabase& db, const TableDef& def, int rows)
        : m_def(def)
    {
        const bool server = SqlDialect::of(db).isPostgreSQL();
        const QString sql = insertSql(def, rows, server);
        try {
            if (server) {
                m_server = std::make_unique<PostgresBatchInsert>(db, sql, rows * int(def.fields.size()));
                return;
            }
        } catch (const DataError& e) {
            throw DataError(u"%1: %2"_s.arg(def.name, e.text()));
        }
        m_query.emplace(db);
        if (!m_query->prepare(sql))
            throw tableError(def, m_query->lastError());
    }

    void run(const QVariantList& values)
    {
        if (m_server) {
            try {
                m_server->run(values);
            } catch (const DataError& e) {
                throw DataError(u"%1: %2"_s.arg(m_def.name, e.text()));
            }
            return;
        }
        for (qsizetype i = 0; i < values.size(); ++i)
            m_query->bindValue(int(i), values.at(i));
        if (!m_query->exec())
            throw tableError(m_def, m_query->lastError());
    }

private:
    const TableDef& m_def;
    std::unique_ptr<PostgresBatchInsert> m_server;
    std::optional<QSqlQuery> m_query;
};

void execOrThrow(QSqlQuery& q, const QString& sql, const TableDef& def)
{
    if (!q.exec(sql))
        throw tableError(def, q.lastError());
}

// The table's indexes that only speed up reads (neither its key nor a unique one): names and the
// statements that make them again. A table fills several times faster without them, and each is
// then built once from the whole table instead of row by row.
QList<std::pair<QString, QString>> readIndexes(QSqlDatabase& db, const TableDef& def)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (SqlDialect::of(db).isPostgreSQL()) {
        q.prepare(u"SELECT i.relname, pg_get_indexdef(i.oid) FROM pg_index x "
                  u"JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid "
                  u"WHERE t.oid = to_regclass(?) AND NOT x.indisprimary AND NOT x.indisunique"_s);
        q.addBindValue(StatementBuilder::quoted(def.name));
    } else {
        q.prepare(u"SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL "
                  u"AND sql NOT LIKE 'CREATE UNIQUE%'"_s);
        q.addBindValue(def.name.toLower());
    }
    if (!q.exec())
        throw tableError(def, q.lastError());
    QList<std::pair<QString, QString>> indexes;
    while (q.next())
        indexes.append({ q.value(0).toString(), q.value(1).toString() });
    return indexes;
}

} // namespace

DatabaseCopy::DatabaseCopy(QSqlDatabase& source, QSqlDatabase& target)
    : m_source(source)
    , m_target(target)
{ }

void DatabaseCopy::setProgress(Progress progress)
{
    m_progress = std::move(progress);
}

void DatabaseCopy::setBatchRows(int rows)
{
    m_batchRows = std::max(1, rows);
}

const QHash<QString, TableChecksum>& DatabaseCopy::newReferenceSums()
{
    if (!m_referenceSums.isEmpty())
        return m_referenceSums;
    const QString name = u"pediakay-copy-reference-%1"_s.arg(s_scratchCounter.fetchAndAddRelaxed(1) + 1);
    {
        QSqlDatabase scratch = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        scratch.setDatabaseName(u":memory:"_s);
        const auto drop = qScopeGuard([&scratch] { scratch.close(); });
        if (!scratch.open())
            throw DataError(DataError::engineText(scratch.lastError()));
        Schema::ensure(scratch);
        for (const QString& table : Schema::referenceTables())
            m_referenceSums.insert(table, TableChecksum::of(scratch, *Schema::table(table)));
    }
    QSqlDatabase::removeDatabase(name);
    return m_referenceSums;
}

QStringList DatabaseCopy::occupiedTables()
{
    QStringList occupied;
    for (const TableDef& def : Schema::tables()) {
        if (Schema::referenceTables().contains(def.name)) {
            const TableChecksum sum = TableChecksum::of(m_target, def);
            if (sum.rows > 0 && sum != newReferenceSums().value(def.name))
                occupied << u"%1 (%2 satır)"_s.arg(def.name).arg(sum.rows);
            continue;
        }
        const qint64 rows = rowCount(m_target, def);
        if (rows > 0)
            occupied << u"%1 (%2 satır)"_s.arg(def.name).arg(rows);
    }
    return occupied;
}

void DatabaseCopy::copy()
{
    if (Schema::version(m_source) != Schema::currentVersion)
        throw DataError(u"Kaynak veritabanının sürümü (%1) bu programınkiyle (%2) aynı değil."_s.arg(
            QString::number(Schema::version(m_source)), QString::number(Schema::currentVersion)));
    Schema::ensure(m_target);
    const QStringList occupied = occupiedTables();
    if (!occupied.isEmpty())
        throw DataError(
            u"Hedef veritabanında klinik verisi var; hiçbir şey yazılmadı: %1"_s.arg(occupied.join(u", "_s)));
    for (const TableDef& def : Schema::tables())
        copyTable(def);
    // The clinic is used at once: the server's planner learns the tables now.
    QSqlQuery q(m_target);
    for (const QString& statement : SqlDialect::of(m_target).afterBulkLoadStatements())
        Statement::exec(q, statement);
}

void DatabaseCopy::copyTable(const TableDef& def)
{
    const qint64 total = rowCount(m_source, def);
    const int columns = int(def.fields.size());
    const int rows = m_batchRows > 0 ? m_batchRows : (SqlDialect::of(m_target).isPostgreSQL() ? 2000 : 500);
    const int batch = std::clamp(maxBoundValues / columns, 1, rows);

    if (!m_target.transaction())
        throw tableError(def, m_target.lastError());
    try {
        QSqlQuery write(m_target);
        // A new database's reference rows give way to the clinic's own.
        if (Schema::referenceTables().contains(def.name))
            execOrThrow(write, u"DELETE FROM %1"_s.arg(StatementBuilder::quoted(def.name)), def);
        // Made again once the rows are in, inside the same transaction.
        const QList<std::pair<QString, QString>> indexes = readIndexes(m_target, def);
        for (const auto& [name, create] : indexes)
            execOrThrow(write, u"DROP INDEX %1"_s.arg(StatementBuilder::quoted(name)), def);

        QString select = u"SELECT %1 FROM %2"_s.arg(columnList(def), StatementBuilder::quoted(def.name));
        if (!def.keyField.isEmpty())
            select += u" ORDER BY %1"_s.arg(StatementBuilder::quoted(def.keyField));
        QSqlQuery read(m_source);
        read.setForwardOnly(true);
        if (!read.exec(select))
            throw tableError(def, read.lastError());

        RowsInsert full(m_target, def, batch);
        QVariantList pending;
        pending.reserve(qsizetype(batch) * columns);
        qint64 copied = 0;
        if (m_progress)
            m_progress(def.name, 0, total);
        const auto flush = [&](RowsInsert& insert) {
            insert.run(pending);
            copied += pending.size() / columns;
            pending.clear();
            if (m_progress)
                m_progress(def.name, copied, total);
        };
        TableChecksum::Builder sourceSum(def);
        while (read.next()) {
            sourceSum.addRow(read);
            for (int c = 0; c < columns; ++c)
                pending << boundValue(def.fields.at(c).type, read.value(c));
            if (pending.size() == qsizetype(batch) * columns)
                flush(full);
        }
        if (read.lastError().isValid())
            throw tableError(def, read.lastError());
        if (!pending.isEmpty()) {
            RowsInsert rest(m_target, def, int(pending.size() / columns));
            flush(rest);
        }
        for (const auto& [name, create] : indexes)
            execOrThrow(write, create, def);
        if (!m_target.commit())
            throw tableError(def, m_target.lastError());
        m_sourceSums.insert(def.name, sourceSum.result());
    } catch (...) {
        m_target.rollback();
        throw;
    }
}

DatabaseCopy::TableCheck DatabaseCopy::check(const TableDef& def)
{
    // The source was summed as it was copied; a table not copied here is read for it.
    const auto copied = m_sourceSums.constFind(def.name);
    return TableCheck { def.name, copied != m_sourceSums.cend() ? *copied : TableChecksum::of(m_source, def),
        TableChecksum::of(m_target, def) };
}

bool DatabaseCopy::versionsMatch()
{
    return Schema::version(m_source) == Schema::version(m_target);
}
