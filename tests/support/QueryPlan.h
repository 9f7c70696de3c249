#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// The steps the engine plans for one SELECT, one a line: SQLite's EXPLAIN QUERY PLAN details, or
// PostgreSQL's EXPLAIN with sequential scans as the last resort, so that on a test's few rows the
// plan still shows which indexes can answer the statement. A failed statement gives its error.
class QueryPlan final
{
public:
    // With values for the statement's '?' marks, in order.
    static QString of(QSqlDatabase& db, const QString& select, const QVariantList& binds = {});
    // With values for the statement's named marks (":name").
    static QString of(QSqlDatabase& db, const QString& select, const QVariantMap& binds);

    // Whether a step of PostgreSQL's plan reads through the index (a scan of it or a bitmap of it).
    static bool readsIndex(const QString& plan, const QString& index);
};
