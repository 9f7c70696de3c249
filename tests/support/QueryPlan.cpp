#include "QueryPlan.h"

#include "SqlDialect.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A value written into the statement: PostgreSQL plans EXPLAIN only for a statement without marks.
QString literal(const QVariant& value)
{
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString().replace(u'\'', u"''"_s) + u'\'';
    return value.toString();
}

QString planOf(QSqlDatabase& db, const QString& select, const std::function<void(QSqlQuery&)>& bind,
    const std::function<QString(QString)>& written)
{
    QSqlQuery q(db);
    if (!SqlDialect::of(db).isPostgreSQL()) {
        if (!q.prepare(u"EXPLAIN QUERY PLAN "_s + select))
            return u"failed: "_s + q.lastError().text();
        bind(q);
        if (!q.exec())
            return u"failed: "_s + q.lastError().text();
        QString plan;
        while (q.next())
            plan += q.value(u"detail"_s).toString() + u'\n';
        return plan;
    }
    q.exec(u"SET enable_seqscan = off"_s);
    QString plan;
    if (q.exec(u"EXPLAIN "_s + written(select))) {
        while (q.next())
            plan += q.value(0).toString() + u'\n';
    } else {
        plan = u"failed: "_s + q.lastError().text();
    }
    QSqlQuery(db).exec(u"RESET enable_seqscan"_s);
    return plan;
}

} // namespace

QString QueryPlan::of(QSqlDatabase& db, const QString& select, const QVariantList& binds)
{
    return planOf(
        db, select,
        [&binds](QSqlQuery& q) {
            for (const QVariant& value : binds)
                q.addBindValue(value);
        },
        [&binds](QString sql) {
            for (const QVariant& value : binds) {
                const qsizetype mark = sql.indexOf(u'?');
                if (mark >= 0)
                    sql.replace(mark, 1, literal(value));
            }
            return sql;
        });
}

QString QueryPlan::of(QSqlDatabase& db, const QString& select, const QVariantMap& binds)
{
    return planOf(
        db, select,
        [&binds](QSqlQuery& q) {
            for (auto it = binds.cbegin(); it != binds.cend(); ++it)
                q.bindValue(it.key(), it.value());
        },
        [&binds](QString sql) {
            // Longer names first, so that no name is taken for the start of another.
            QStringList names = binds.keys();
            std::sort(
                names.begin(), names.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
            for (const QString& name : std::as_const(names))
                sql.replace(name, literal(binds.value(name)));
            return sql;
        });
}

bool QueryPlan::readsIndex(const QString& plan, const QString& index)
{
    const QRegularExpression step(u"(Index(?: Only)? Scan(?: Backward)? using|Bitmap Index Scan on) %1\\b"_s.arg(
        QRegularExpression::escape(index)));
    return step.match(plan).hasMatch();
}
