#pragma once

#include "RowCache.h"

#include <QBitArray>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include <functional>

// Runs a data set's filter hook over the candidate records and keeps the keys it accepts, in
// their order. While the hook runs, the data set's fields read the candidate row through
// value(). Over a table the candidates are streamed: only the columns the hook reads are
// fetched, learnt from the first candidate, which runs on its full row.
class HookFilter final
{
public:
    using Row = RowCache::Row;
    // Runs the hook on the candidate now set; true when it accepts the record.
    using Decide = std::function<bool()>;
    // The full row of a key (nullptr when the record is gone).
    using FullRow = std::function<const Row*(qint64 key)>;
    // Every candidate in one statement: the key first, then the given columns.
    using Stream = std::function<QSqlQuery(const QVector<int>& columns)>;

    // The hook on each row as it is (rows read whole already).
    QVector<qint64> filterRows(const QVector<qint64>& keys, const FullRow& rowOf, const Decide& decide);
    // The hook on rows of a table with columnCount columns, streamed with the columns it reads.
    QVector<qint64> filterStreaming(const QVector<qint64>& keys, int columnCount, const FullRow& fullRow,
        const Stream& stream, const Decide& decide);

    // Whether the hook is running on a candidate.
    bool running() const;
    // The candidate's value of a column; an invalid value when the candidate lacks the column,
    // which then is read for the next candidates and the candidate gets its full row.
    QVariant value(int column) const;

private:
    bool run(const Row& row, const Decide& decide);

    const Row* m_candidate = nullptr;
    mutable QBitArray m_touched; // columns the hook read
    mutable bool m_miss = false; // the hook read a column the candidate lacks
};
