#include "RecordFinder.h"

#include "Statement.h"

#include <algorithm>

using namespace Qt::StringLiterals;

RecordFinder::RecordFinder(QSqlDatabase& db, const KeyList& keys)
    : m_db(db)
    , m_keys(keys)
{ }

QVector<qint64> RecordFinder::matchingKeys(
    const QString& table, const QString& keyColumn, const QString& where, const QVariantMap& binds) const
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    Statement::prepare(q, u"SELECT "_s + keyColumn + u" FROM "_s + table + u" WHERE "_s + where);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    Statement::exec(q);
    QVector<qint64> out;
    while (q.next())
        out.append(q.value(0).toLongLong());
    return out;
}

// For a table in key order the first hit by key, found in the (ascending) key list by halving;
// otherwise (or when another copy changed the table since it was read) every hit, and the first
// of them in the list's order.
std::optional<int> RecordFinder::firstListedMatch(
    const QString& table, const QString& keyColumn, const QString& where, const QVariantMap& binds, bool keyOrder) const
{
    if (keyOrder) {
        const QVector<qint64> first
            = matchingKeys(table, keyColumn, where + u" ORDER BY "_s + keyColumn + u" LIMIT 1"_s, binds);
        if (first.isEmpty())
            return std::nullopt;
        const QVector<qint64>& keys = m_keys.all();
        const auto it = std::lower_bound(keys.cbegin(), keys.cend(), first.first());
        if (it != keys.cend() && *it == first.first())
            return int(it - keys.cbegin());
    }
    const QVector<qint64> hits = matchingKeys(table, keyColumn, where, binds);
    if (hits.isEmpty())
        return std::nullopt;
    if (hits.size() == 1)
        return int(m_keys.indexOf(hits.first()));
    const QSet<qint64> wanted(hits.cbegin(), hits.cend());
    for (int row = 0; row < m_keys.size(); ++row)
        if (wanted.contains(m_keys.at(row)))
            return row;
    return -1;
}

int RecordFinder::nextListedRow(const QSet<qint64>& hits, int start) const
{
    const QVector<qint64>& keys = m_keys.all();
    const int n = int(keys.size());
    for (int step = 1; step <= n; ++step) {
        const int row = (start + step) % n;
        if (hits.contains(keys.at(row)))
            return row;
    }
    return -1;
}

// Records held at their rows after a change saved here are met at those rows, not where the
// table now sorts them.
qint64 RecordFinder::firstPagedMatch(const KeysetQuery& keyset, const AnchorOf& anchorFor, const QString& sql,
    const QVariantMap& binds, qint64 current, const std::function<int()>& currentRow) const
{
    const QVector<qint64>& appended = m_keys.appended();
    const QVector<qint64> held = m_keys.held();
    // The first hit among the keys only, in no particular order.
    const auto hitsAmong = [&](const QVector<qint64>& keys) -> QSet<qint64> {
        if (keys.isEmpty())
            return {};
        KeysetQuery::Page page;
        page.extra = sql;
        page.extraBinds = binds;
        page.only = keys;
        page.limit = int(keys.size());
        const QVector<qint64> hits = keyset.keys(m_db, page);
        return QSet<qint64>(hits.cbegin(), hits.cend());
    };
    const auto stored = [&](qint64 after) -> qint64 {
        KeysetQuery::Page page;
        page.extra = sql;
        page.extraBinds = binds;
        page.excluded = appended + held;
        if (after >= 0) {
            // Read after its place in the list; a change another copy saved since may sort it
            // further on, where it is not met again.
            page.excluded.append(after);
            const std::optional<QVariantList> anchor = anchorFor(after);
            if (!anchor)
                return -1;
            page.anchor = *anchor;
        }
        return keyset.keys(m_db, page).value(0, -1);
    };
    const QSet<qint64> appendedHits = hitsAmong(appended);
    const QSet<qint64> heldHits = hitsAmong(held);
    const auto appendedHit = [&](int from, int to) -> qint64 {
        for (int i = std::max(from, 0); i < to && i < appended.size(); ++i)
            if (appendedHits.contains(appended.at(i)))
                return appended.at(i);
        return -1;
    };
    // The first hit of the stored part after a row (from its start for -1): in the table after the
    // nearest record before that row that is not held, or at a held row, whichever comes first.
    const auto storedAfter = [&](int row) -> qint64 {
        qint64 heldHit = -1;
        int heldRow = -1;
        for (qint64 k : heldHits) {
            const int at = m_keys.indexOf(k);
            if (at > row && (heldRow < 0 || at < heldRow)) {
                heldRow = at;
                heldHit = k;
            }
        }
        qint64 from = -1;
        for (int r = row; r >= 0 && from < 0; --r) {
            const qint64 k = m_keys.at(r);
            if (!held.contains(k))
                from = k;
        }
        const qint64 hit = stored(from);
        if (hit < 0 || heldHit < 0)
            return hit < 0 ? heldHit : hit;
        return m_keys.indexOf(hit) < heldRow ? hit : heldHit;
    };
    const int inAppended = current >= 0 ? int(appended.indexOf(current)) : -1;
    qint64 found = -1;
    if (current < 0) {
        found = storedAfter(-1);
        if (found < 0)
            found = appendedHit(0, int(appended.size()));
    } else if (inAppended < 0) {
        found = storedAfter(currentRow());
        if (found < 0)
            found = appendedHit(0, int(appended.size()));
        if (found < 0)
            found = storedAfter(-1);
    } else {
        const int at = inAppended;
        found = appendedHit(at + 1, int(appended.size()));
        if (found < 0)
            found = storedAfter(-1);
        if (found < 0)
            found = appendedHit(0, at + 1);
    }
    return found;
}
