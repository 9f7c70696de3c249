#include "RecordWriter.h"

#include "SqlDialect.h"
#include "Statement.h"
#include "WriteBatch.h"

#include <QSqlQuery>

using namespace Qt::StringLiterals;

// Inside a command's WriteBatch the record is a savepoint of the batch's transaction, so a refused
// record is taken back on its own and the batch goes on.
RecordWriter::RecordWriter(QSqlDatabase& db)
    : m_db(db)
    , m_batched(WriteBatch::active(db.connectionName()))
{
    QSqlQuery begin(m_db);
    Statement::exec(begin, m_batched ? u"SAVEPOINT pediakay_record"_s : SqlDialect::of(m_db).beginWrite());
    m_open = true;
}

RecordWriter::~RecordWriter()
{
    if (!m_open)
        return;
    QSqlQuery rollback(m_db);
    if (m_batched) {
        rollback.exec(u"ROLLBACK TO pediakay_record"_s);
        rollback.exec(u"RELEASE pediakay_record"_s);
    } else {
        rollback.exec(u"ROLLBACK"_s);
    }
}

qint64 RecordWriter::insert(
    const QString& table, const QStringList& columns, const QVariantList& values, const QString& keyColumn)
{
    const SqlDialect& dialect = SqlDialect::of(m_db);
    QString sql;
    if (columns.isEmpty()) {
        sql = u"INSERT INTO "_s + table + u" DEFAULT VALUES"_s;
    } else {
        QStringList marks;
        for (int i = 0; i < columns.size(); ++i)
            marks.append(u"?"_s);
        sql = u"INSERT INTO "_s + table + u" ("_s + columns.join(u", "_s) + u") VALUES ("_s + marks.join(u", "_s)
            + u')';
    }
    if (!keyColumn.isEmpty())
        sql += dialect.returningSql(keyColumn);
    QSqlQuery q(m_db);
    Statement::prepare(q, sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Statement::exec(q);
    return dialect.insertedKey(q);
}

bool RecordWriter::update(const QString& table, const QString& keyColumn, qint64 key, const QStringList& columns,
    const QVariantList& values, const QVariantList& originals)
{
    QStringList sets;
    QStringList checks;
    for (const QString& c : columns) {
        sets.append(c + u" = ?"_s);
        checks.append(SqlDialect::of(m_db).sameValueSql(c, u"?"_s));
    }
    QSqlQuery q(m_db);
    Statement::prepare(q,
        u"UPDATE "_s + table + u" SET "_s + sets.join(u", "_s) + u" WHERE "_s + keyColumn + u" = ? AND "_s
            + checks.join(u" AND "_s));
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.addBindValue(key);
    for (const QVariant& v : originals)
        q.addBindValue(v);
    Statement::exec(q);
    return q.numRowsAffected() == 1;
}

void RecordWriter::commit()
{
    QSqlQuery commit(m_db);
    Statement::exec(commit, m_batched ? u"RELEASE pediakay_record"_s : u"COMMIT"_s);
    m_open = false;
}
