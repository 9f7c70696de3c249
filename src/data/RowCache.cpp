#include "RowCache.h"

#include "KeyList.h"
#include "Schema.h"
#include "Statement.h"
#include "StatementBuilder.h"
#include "StoredValue.h"

#include <QSet>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int maxPageSize = 1024;

const auto quoted = StatementBuilder::quoted;

} // namespace

RowCache::RowCache(const KeyList& keys, std::function<QSqlDatabase&()> database, std::function<qint64()> currentKey,
    RangeReader readRange)
    : m_keys(keys)
    , m_database(std::move(database))
    , m_currentKey(std::move(currentKey))
    , m_readRange(std::move(readRange))
{ }

void RowCache::setTable(const TableDef* def)
{
    clear();
    m_def = def;
    m_blobColumns.clear();
    const int n = def ? int(def->fields.size()) : 0;
    for (int i = 0; i < n; ++i)
        if (def->fields.at(i).type == FieldType::Blob)
            m_blobColumns.append(i);
    m_hot = QBitArray(n);
    m_everRead = m_hot;
}

const QVector<int>& RowCache::blobColumns() const
{
    return m_blobColumns;
}

void RowCache::clear()
{
    m_rows.clear();
    m_order.clear();
}

void RowCache::forget(qint64 key)
{
    m_rows.remove(key);
}

int RowCache::size() const
{
    return int(m_rows.size());
}

int RowCache::rowsReadByKey() const
{
    return m_rowsReadByKey;
}

const RowCache::Row* RowCache::find(qint64 key) const
{
    const auto it = m_rows.constFind(key);
    return it == m_rows.cend() ? nullptr : &it.value();
}

void RowCache::store(qint64 key, const Row& row)
{
    if (!m_rows.contains(key))
        m_order.append(key);
    m_rows.insert(key, row);
}

// Keys are the data set's own integers, so they are written into the statement: binding
// thousands of parameters costs more than the query itself.
QString RowCache::keyListSql(const QVector<qint64>& keys) const
{
    QString list;
    list.reserve(keys.size() * 8);
    for (qint64 k : keys) {
        if (!list.isEmpty())
            list += u',';
        list += QString::number(k);
    }
    return StatementBuilder::keyColumn(*m_def) + u" IN ("_s + list + u')';
}

RowCache::Select RowCache::selectFor(const QBitArray& columns) const
{
    Select select;
    const int n = int(m_def->fields.size());
    for (int i = 0; i < n; ++i)
        if (m_def->fields.at(i).type != FieldType::Blob && (columns.isEmpty() || columns.testBit(i)))
            select.columns.append(i);
    QStringList names { StatementBuilder::keyColumn(*m_def) };
    for (int c : std::as_const(select.columns))
        names.append(quoted(m_def->fields.at(c).name));
    // Whether each picture holds bytes; the engine answers from the record's header.
    select.blobFlagsAt = int(names.size());
    for (int c : std::as_const(m_blobColumns))
        names.append(u"length("_s + quoted(m_def->fields.at(c).name) + u") > 0"_s);
    select.sql = names.join(u", "_s);
    return select;
}

// Keeps the rows a statement read (only those of the given keys when only is given),
// completing rows already here; returns the keys kept.
QSet<qint64> RowCache::take(QSqlQuery& q, const Select& select, const QSet<qint64>* only)
{
    const int n = int(m_def->fields.size());
    QSet<qint64> taken;
    while (q.next()) {
        const qint64 k = q.value(0).toLongLong();
        if (only && !only->contains(k))
            continue;
        taken.insert(k);
        auto it = m_rows.find(k);
        if (it == m_rows.end()) {
            Row row;
            row.values.resize(n);
            row.loaded = QBitArray(n);
            row.blobsLoaded = m_blobColumns.isEmpty();
            it = m_rows.insert(k, row);
            m_order.append(k);
        }
        Row& row = it.value();
        if (!row.blobsLoaded) {
            row.blobsPresent = QBitArray(int(m_blobColumns.size()));
            for (int b = 0; b < m_blobColumns.size(); ++b)
                row.blobsPresent.setBit(b, q.value(select.blobFlagsAt + b).toBool());
        }
        if (row.loaded.isEmpty())
            continue; // already complete
        for (int j = 0; j < select.columns.size(); ++j) {
            row.values[select.columns.at(j)] = q.value(j + 1);
            row.loaded.setBit(select.columns.at(j));
        }
        for (int c : std::as_const(m_blobColumns))
            row.loaded.setBit(c);
        if (row.loaded.count(true) == n)
            row.loaded = QBitArray();
    }
    return taken;
}

void RowCache::readByKeys(const QVector<qint64>& keys, const Select& select)
{
    if (keys.isEmpty())
        return;
    m_rowsReadByKey += int(keys.size());
    QSqlQuery q(m_database());
    q.setForwardOnly(true);
    // Keys of a page in ascending, nearly gapless order (a walk in key order) are read as one
    // range: a scan instead of a search per key.
    const bool ascending = std::is_sorted(keys.cbegin(), keys.cend());
    const bool asRange = keys.size() > 8 && ascending && keys.last() - keys.first() < 2 * qint64(keys.size());
    QSet<qint64> wanted;
    QString where;
    if (asRange) {
        wanted = QSet<qint64>(keys.cbegin(), keys.cend());
        where = StatementBuilder::keyColumn(*m_def) + u" BETWEEN "_s + QString::number(keys.first()) + u" AND "_s
            + QString::number(keys.last());
    } else {
        where = keyListSql(keys);
    }
    Statement::exec(q, u"SELECT "_s + select.sql + u" FROM "_s + quoted(m_def->name) + u" WHERE "_s + where);
    take(q, select, asRange ? &wanted : nullptr);
}

void RowCache::fetchRows(const QVector<qint64>& keys, const QBitArray& columns)
{
    if (keys.isEmpty())
        return;
    readByKeys(keys, selectFor(columns));
    keepBounded(keys);
}

// Reads the rows of keys, which lie in this order within span positions of the list, by the
// range of the list's order from the first of them on. The range brings the run as the list
// was read; what it does not bring (a record another copy deleted, moved elsewhere in the
// order, or one past the limit because the copy stored records in between) is read by key, so
// the rows are those a read by keys gives.
void RowCache::fetchRun(const QVector<qint64>& keys, int span, const QBitArray& columns)
{
    const Select select = selectFor(columns);
    std::optional<QSqlQuery> q = m_readRange(select.sql, keys.first(), keys.last(), span);
    if (!q) {
        readByKeys(keys, select);
        keepBounded(keys);
        return;
    }
    const QSet<qint64> wanted(keys.cbegin(), keys.cend());
    const QSet<qint64> taken = take(*q, select, &wanted);
    QVector<qint64> rest;
    for (qint64 k : keys)
        if (!taken.contains(k))
            rest.append(k);
    readByKeys(rest, select);
    keepBounded(keys);
}

// Drops the oldest rows once there are too many, never the current one or those just read.
void RowCache::keepBounded(const QVector<qint64>& justRead)
{
    if (m_rows.size() <= limit)
        return;
    const qint64 current = m_currentKey();
    const QSet<qint64> wanted(justRead.cbegin(), justRead.cend());
    int dropCount = int(m_rows.size()) - limit / 2;
    QVector<qint64> keep;
    for (qint64 k : std::as_const(m_order)) {
        if (!m_rows.contains(k))
            continue;
        if (dropCount > 0 && k != current && !wanted.contains(k)) {
            m_rows.remove(k);
            --dropCount;
        } else {
            keep.append(k);
        }
    }
    m_order = keep;
}

bool RowCache::rowHas(const Row& row, int column)
{
    return row.loaded.isEmpty() || row.loaded.testBit(column);
}

// Reads the page around a position: the columns read so far by anyone (the "hot" ones), for
// every row of the page that lacks one of them.
void RowCache::fetchPage(int position)
{
    // A cursor walking forward past the last page gets ever longer pages.
    const bool walking = position >= m_lastPageEnd - 1 && position <= m_lastPageEnd + 1;
    m_pageSpan = walking ? std::min(m_pageSpan * 2, maxPageSize) : pageSize;
    const int start = walking ? position : std::max(0, position - pageSize / 4);
    const int end = std::min<int>(int(m_keys.size()), start + m_pageSpan);
    m_lastPageEnd = end;
    // A jump brings every column read so far; a walk only those read since the last page.
    const QBitArray& wanted = walking ? m_hot : m_everRead;
    QVector<qint64> missing;
    int first = -1;
    int last = -1;
    for (int i = start; i < end; ++i) {
        const qint64 key = m_keys.at(i);
        if (key < 0)
            continue; // the record is gone
        const auto it = m_rows.constFind(key);
        bool complete = it != m_rows.cend();
        if (complete && !it->loaded.isEmpty())
            for (int c = 0; c < wanted.size() && complete; ++c)
                complete = !wanted.testBit(c) || it->loaded.testBit(c);
        if (complete)
            continue;
        missing.append(key);
        first = first < 0 ? i : first;
        last = i;
    }
    // A few rows missing here and there (most of the page is here) are read by key rather
    // than by a range that would read the whole page again.
    const int span = last - first + 1;
    if (m_readRange && missing.size() > 1 && 2 * missing.size() >= span)
        fetchRun(missing, span, wanted);
    else
        fetchRows(missing, wanted);
}

void RowCache::loadBlobs(Row& row, qint64 key)
{
    if (row.blobsLoaded || m_blobColumns.isEmpty())
        return;
    QStringList names;
    for (int c : std::as_const(m_blobColumns))
        names.append(quoted(m_def->fields.at(c).name));
    QSqlQuery q(m_database());
    q.setForwardOnly(true);
    Statement::prepare(q,
        u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + quoted(m_def->name) + u" WHERE "_s
            + StatementBuilder::keyColumn(*m_def) + u" = ?"_s);
    q.addBindValue(key);
    Statement::exec(q);
    if (q.next())
        for (int i = 0; i < m_blobColumns.size(); ++i)
            row.values[m_blobColumns.at(i)] = q.value(i);
    row.blobsLoaded = true;
    markBlobsPresent(row);
}

void RowCache::markBlobsPresent(Row& row) const
{
    row.blobsPresent = QBitArray(int(m_blobColumns.size()));
    for (int b = 0; b < m_blobColumns.size(); ++b)
        row.blobsPresent.setBit(b, StoredValue::holdsBytes(row.values.at(m_blobColumns.at(b))));
}

// A page read brings the columns read since the previous page read ("hot"), so a walk that
// reads a few columns reads only those, and a grid its shown columns.
const RowCache::Row* RowCache::rowAt(int position, int column, bool withBlobs)
{
    if (position < 0 || position >= m_keys.size())
        return nullptr;
    const qint64 key = m_keys.at(position);
    if (column < 0)
        return rowForKey(key, withBlobs);
    auto it = m_rows.find(key);
    const bool blob = m_def->fields.at(column).type == FieldType::Blob;
    if (!blob && column < m_hot.size()) {
        m_hot.setBit(column);
        m_everRead.setBit(column);
    }
    if (it == m_rows.end() || (!blob && !rowHas(*it, column))) {
        fetchPage(position);
        // The next page brings what is read from here on: a grid's columns, or the few
        // columns of a walk through the records.
        m_hot.fill(false);
        m_hot.setBit(column);
        it = m_rows.find(key);
        if (it == m_rows.end())
            return nullptr;
        if (!blob && !rowHas(*it, column)) {
            QBitArray one(int(m_def->fields.size()));
            one.setBit(column);
            fetchRows({ key }, one);
            it = m_rows.find(key);
            if (it == m_rows.end())
                return nullptr;
        }
    }
    if (withBlobs && !it->blobsLoaded)
        loadBlobs(*it, key);
    return &it.value();
}

const RowCache::Row* RowCache::rowForKey(qint64 key, bool withBlobs)
{
    auto it = m_rows.find(key);
    if (it == m_rows.end() || !it->loaded.isEmpty()) {
        fetchRows({ key }, QBitArray());
        it = m_rows.find(key);
        if (it == m_rows.end())
            return nullptr;
    }
    if (withBlobs && !it->blobsLoaded)
        loadBlobs(*it, key);
    return &it.value();
}
