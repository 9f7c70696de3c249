#include "KeysetQuery.h"

#include "SqlDialect.h"
#include "Statement.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// A name for one more bound value, not yet in binds.
QString bindValue(QVariantMap& binds, const QVariant& value)
{
    int n = int(binds.size());
    QString name;
    do
        name = u":ks%1"_s.arg(n++);
    while (binds.contains(name));
    binds.insert(name, value);
    return name;
}

QString bare(const QString& sql)
{
    QString s = sql.trimmed().toLower();
    s.remove(u'"');
    return s;
}

// The terms of an ORDER BY, split at the commas outside brackets and quoted texts.
QStringList splitTerms(const QString& text)
{
    QStringList terms;
    QString current;
    int depth = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u'(')
            ++depth;
        else if (!quoted && c == u')')
            --depth;
        if (c == u',' && depth == 0 && !quoted) {
            terms.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    terms.append(current);
    return terms;
}

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantMap& binds)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    Statement::prepare(q, sql);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    Statement::exec(q);
    return q;
}

} // namespace

KeysetQuery::KeysetQuery(QString table, QString keyColumn, QString members, QVariantMap binds, QVector<Term> order)
    : m_table(std::move(table))
    , m_key(std::move(keyColumn))
    , m_members(std::move(members))
    , m_binds(std::move(binds))
    , m_order(std::move(order))
{
    bool keyed = false;
    for (const Term& t : std::as_const(m_order))
        keyed = keyed || bare(t.sql) == bare(m_key);
    if (!keyed)
        m_order.append({ m_key, !m_order.isEmpty() && m_order.last().descending });
}

std::optional<KeysetQuery::Tail> KeysetQuery::readTail(const QString& tail)
{
    static const QRegularExpression unsure(
        u"\\b(limit|offset|group|having|union|intersect|except|select|distinct|join|window)\\b"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression parts(u"^\\s*(?:where\\s+(.*?))?\\s*(?:order\\s+by\\s+(.+?))?\\s*$"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression direction(u"^(.*?)\\s+(asc|desc)$"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression position(u"^\\d+$"_s);
    static const QRegularExpression nullsWord(u"\\bnulls\\b"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nulls(u"^(.*?)\\s+nulls\\s+(first|last)$"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (tail.contains(unsure))
        return std::nullopt;
    const QRegularExpressionMatch m = parts.match(tail);
    if (!m.hasMatch() || m.captured(1).contains(nullsWord))
        return std::nullopt;
    Tail out;
    out.where = m.captured(1).trimmed();
    if (m.capturedLength(2) == 0)
        return out;
    for (const QString& text : splitTerms(m.captured(2))) {
        Term term { text.trimmed(), false };
        // "NULLS FIRST" going up and "NULLS LAST" going down (as orders are written for
        // PostgreSQL) is the order read here anyway; the other way round is not.
        std::optional<bool> nullsFirst;
        if (const QRegularExpressionMatch n = nulls.match(term.sql); n.hasMatch()) {
            term.sql = n.captured(1).trimmed();
            nullsFirst = n.captured(2).compare(u"first"_s, Qt::CaseInsensitive) == 0;
        }
        const QRegularExpressionMatch d = direction.match(term.sql);
        if (d.hasMatch()) {
            term.sql = d.captured(1).trimmed();
            term.descending = d.captured(2).compare(u"desc"_s, Qt::CaseInsensitive) == 0;
        }
        if (nullsFirst && *nullsFirst == term.descending)
            return std::nullopt;
        if (term.sql.isEmpty() || position.match(term.sql).hasMatch() || term.sql.contains(nullsWord))
            return std::nullopt;
        out.order.append(term);
    }
    return out;
}

const QVector<KeysetQuery::Term>& KeysetQuery::order() const
{
    return m_order;
}

bool KeysetQuery::mentions(const QString& column) const
{
    if (m_members.contains(column, Qt::CaseInsensitive))
        return true;
    return std::any_of(
        m_order.cbegin(), m_order.cend(), [&](const Term& t) { return t.sql.contains(column, Qt::CaseInsensitive); });
}

// Every value present and one direction: the first term bounded, then a row-value comparison of
// the rest, which the engine answers from an index on the terms. Otherwise each term in turn decides: the terms before
// it equal, it after the anchor's value.
//
// Inclusive, the last term also takes the anchor's own value: the order ends with the key, so
// that admits the anchor record and no other.
QString KeysetQuery::afterCondition(
    const QVector<Term>& order, const QVariantList& anchor, bool backward, QVariantMap& binds, bool inclusive)
{
    const int n = int(std::min(order.size(), anchor.size()));
    bool oneDirection = true;
    bool present = true;
    for (int i = 0; i < n; ++i) {
        oneDirection = oneDirection && order.at(i).descending == order.at(0).descending;
        present = present && !anchor.at(i).isNull();
    }
    const auto equalUpTo = [&](int end) {
        QStringList parts;
        for (int j = 0; j < end; ++j)
            parts.append(anchor.at(j).isNull() ? order.at(j).sql + u" IS NULL"_s
                                               : order.at(j).sql + u" = "_s + bindValue(binds, anchor.at(j)));
        return parts;
    };
    QStringList alternatives;
    if (n > 0 && oneDirection && present) {
        const bool descending = order.at(0).descending != backward;
        const QString comparison = descending ? u"<"_s : u">"_s;
        const QString orEqual = inclusive ? u"="_s : QString();
        // The first term on its own, bounded and then compared: the engine seeks an index on an
        // expression (the Turkish sort key) only by a comparison of the expression itself, and
        // a row value that starts with it is checked row by row. The rest, a row value.
        const QString& first = order.at(0).sql;
        QString rowValue;
        if (n == 1) {
            rowValue = first + u' ' + comparison + orEqual + u' ' + bindValue(binds, anchor.at(0));
        } else {
            QStringList terms;
            QStringList values;
            for (int i = 1; i < n; ++i) {
                terms.append(order.at(i).sql);
                values.append(bindValue(binds, anchor.at(i)));
            }
            rowValue = u'(' + first + u' ' + comparison + u"= "_s + bindValue(binds, anchor.at(0)) + u" AND ("_s + first
                + u' ' + comparison + u' ' + bindValue(binds, anchor.at(0)) + u" OR ("_s + terms.join(u", "_s) + u") "_s
                + comparison + orEqual + u" ("_s + values.join(u", "_s) + u")))"_s;
        }
        alternatives.append(rowValue);
        // Going down, missing values come after every value of their term.
        if (descending) {
            for (int i = 0; i + 1 < n; ++i)
                alternatives.append(u'(' + (equalUpTo(i) << order.at(i).sql + u" IS NULL"_s).join(u" AND "_s) + u')');
        }
        return alternatives.join(u" OR "_s);
    }
    for (int i = 0; i < n; ++i) {
        const bool descending = order.at(i).descending != backward;
        const bool orEqual = inclusive && i == n - 1;
        const QString& t = order.at(i).sql;
        QString after;
        if (anchor.at(i).isNull() && orEqual)
            after = descending ? t + u" IS NULL"_s : u"1 = 1"_s;
        else if (anchor.at(i).isNull())
            after = descending ? QString() : t + u" IS NOT NULL"_s;
        else if (descending)
            after = u'(' + t + (orEqual ? u" <= "_s : u" < "_s) + bindValue(binds, anchor.at(i)) + u" OR "_s + t
                + u" IS NULL)"_s;
        else
            after = t + (orEqual ? u" >= "_s : u" > "_s) + bindValue(binds, anchor.at(i));
        if (after.isEmpty())
            continue;
        alternatives.append(u'(' + (equalUpTo(i) << after).join(u" AND "_s) + u')');
    }
    return alternatives.isEmpty() ? u"0 = 1"_s : alternatives.join(u" OR "_s);
}

QString KeysetQuery::whereSql(const QStringList& conditions) const
{
    QStringList all;
    if (!m_members.isEmpty())
        all.append(u'(' + m_members + u')');
    for (const QString& c : conditions)
        if (!c.isEmpty())
            all.append(u'(' + c + u')');
    return all.isEmpty() ? QString() : u" WHERE "_s + all.join(u" AND "_s);
}

QString KeysetQuery::orderBySql(QSqlDatabase& db, bool backward) const
{
    const SqlDialect& dialect = SqlDialect::of(db);
    QStringList terms;
    for (const Term& t : m_order)
        terms.append(
            dialect.orderTermSql(t.sql, t.descending != backward ? u" DESC"_s : QString(), bare(t.sql) == bare(m_key)));
    return u" ORDER BY "_s + terms.join(u", "_s);
}

// Keys are the data set's own integers, written into the statement.
QString KeysetQuery::keysSql(const QVector<qint64>& keys, bool in) const
{
    if (keys.isEmpty())
        return {};
    QStringList list;
    for (qint64 k : keys)
        list.append(QString::number(k));
    return m_key + (in ? u" IN ("_s : u" NOT IN ("_s) + list.join(u',') + u')';
}

QVector<qint64> KeysetQuery::keys(QSqlDatabase& db, const Page& page, QVector<QVariantList>* edges) const
{
    QVariantMap binds = m_binds;
    for (auto it = page.extraBinds.cbegin(); it != page.extraBinds.cend(); ++it)
        binds.insert(it.key(), it.value());
    QStringList conds;
    if (!page.anchor.isEmpty())
        conds.append(afterCondition(m_order, page.anchor, page.backward, binds));
    conds.append(page.extra);
    conds.append(keysSql(page.excluded, false));
    conds.append(keysSql(page.only, true));
    QStringList columns { m_key };
    if (edges)
        for (const Term& t : m_order)
            columns.append(t.sql);
    QString sql = u"SELECT "_s + columns.join(u", "_s) + u" FROM "_s + m_table + whereSql(conds)
        + orderBySql(db, page.backward) + u" LIMIT "_s + QString::number(std::max(page.limit, 0));
    if (page.skip > 0)
        sql += u" OFFSET "_s + QString::number(page.skip);
    QSqlQuery q = run(db, sql, binds);
    QVector<qint64> out;
    QVariantList values;
    while (q.next()) {
        out.append(q.value(0).toLongLong());
        if (!edges)
            continue;
        values.clear();
        for (int i = 1; i < columns.size(); ++i)
            values.append(q.value(i));
        if (out.size() == 1)
            edges->append(values);
    }
    if (edges && !out.isEmpty())
        edges->append(values);
    return out;
}

std::optional<QVariantList> KeysetQuery::anchorOf(QSqlDatabase& db, qint64 key, bool listedOnly) const
{
    QStringList terms;
    for (const Term& t : m_order)
        terms.append(t.sql);
    QVariantMap binds = m_binds;
    const QString keyBind = bindValue(binds, key);
    const QString where = u" WHERE "_s + m_key + u" = "_s + keyBind;
    QSqlQuery q = run(db,
        u"SELECT "_s + terms.join(u", "_s) + u" FROM "_s + m_table
            + (listedOnly ? whereSql({ m_key + u" = "_s + keyBind }) : where),
        binds);
    if (!q.next())
        return std::nullopt;
    QVariantList values;
    for (int i = 0; i < terms.size(); ++i)
        values.append(q.value(i));
    return values;
}

int KeysetQuery::countBefore(QSqlDatabase& db, const QVariantList& anchor, const QVector<qint64>& excluded) const
{
    QVariantMap binds = m_binds;
    const QString before = afterCondition(m_order, anchor, true, binds);
    QSqlQuery q = run(db, u"SELECT count(*) FROM "_s + m_table + whereSql({ before, keysSql(excluded, false) }), binds);
    return q.next() ? q.value(0).toInt() : 0;
}

bool KeysetQuery::keyOrdered() const
{
    return m_order.size() == 1;
}

// The range is picked by its keys and the rows read by those: where no index serves the whole
// order (a detail list by its master's code, ties by key), the engine sorts keys, not rows.
QSqlQuery KeysetQuery::rowsFrom(QSqlDatabase& db, const QString& columns, const QVariantList& anchor, int limit) const
{
    QVariantMap binds = m_binds;
    const QString from = afterCondition(m_order, anchor, false, binds, true);
    return run(db,
        u"SELECT "_s + columns + u" FROM "_s + m_table + u" WHERE "_s + m_key + u" IN (SELECT "_s + m_key + u" FROM "_s
            + m_table + whereSql({ from }) + orderBySql(db, false) + u" LIMIT "_s + QString::number(std::max(limit, 0))
            + u')',
        binds);
}

// The keys are the data set's own integers, written into the statement.
QSqlQuery KeysetQuery::rowsBetween(QSqlDatabase& db, const QString& columns, qint64 low, qint64 high) const
{
    return run(db,
        u"SELECT "_s + columns + u" FROM "_s + m_table
            + whereSql({ m_key + u" BETWEEN "_s + QString::number(low) + u" AND "_s + QString::number(high) }),
        m_binds);
}
