#include "HookFilter.h"

#include <QSet>

namespace {

// Candidates that may lack a column the hook reads before the stream starts again with it.
constexpr int missesBeforeWidening = 256;
constexpr int wideningAttempts = 3;

} // namespace

bool HookFilter::running() const
{
    return m_candidate != nullptr;
}

QVariant HookFilter::value(int column) const
{
    if (!m_touched.isEmpty())
        m_touched.setBit(column);
    if (!m_candidate->loaded.isEmpty() && !m_candidate->loaded.testBit(column)) {
        m_miss = true;
        return {};
    }
    return m_candidate->values.value(column);
}

bool HookFilter::run(const Row& row, const Decide& decide)
{
    m_candidate = &row;
    m_miss = false;
    bool accept = false;
    try {
        accept = decide();
    } catch (...) {
        m_candidate = nullptr;
        throw;
    }
    m_candidate = nullptr;
    return accept;
}

QVector<qint64> HookFilter::filterRows(const QVector<qint64>& keys, const FullRow& rowOf, const Decide& decide)
{
    m_touched = QBitArray();
    QVector<qint64> accepted;
    for (qint64 k : keys)
        if (const Row* row = rowOf(k); row && run(*row, decide))
            accepted.append(k);
    return accepted;
}

// The first candidate runs on a full row and shows which columns the hook reads; then one
// streaming pass reads just those columns of every candidate into one reused row. A hook that
// reads a column for the first time gets that record's full row; if that keeps happening, the
// pass starts again with the wider column set.
QVector<qint64> HookFilter::filterStreaming(
    const QVector<qint64>& keys, int columnCount, const FullRow& fullRow, const Stream& stream, const Decide& decide)
{
    if (keys.isEmpty())
        return {};
    m_touched = QBitArray(columnCount);
    const qint64 firstKey = keys.first();
    const Row* first = fullRow(firstKey);
    const bool firstAccepted = first && run(*first, decide);

    QSet<qint64> hits;
    for (int attempt = 0;; ++attempt) {
        hits.clear();
        if (firstAccepted)
            hits.insert(firstKey);
        QVector<int> cols;
        for (int i = 0; i < columnCount; ++i)
            if (m_touched.testBit(i))
                cols.append(i);
        QSqlQuery q = stream(cols);
        Row row;
        row.values.resize(columnCount);
        row.loaded = QBitArray(columnCount);
        for (int c : std::as_const(cols))
            row.loaded.setBit(c);
        int misses = 0;
        bool widened = false;
        while (q.next()) {
            const qint64 k = q.value(0).toLongLong();
            if (k == firstKey)
                continue;
            for (int j = 0; j < cols.size(); ++j)
                row.values[cols.at(j)] = q.value(j + 1);
            bool accept = run(row, decide);
            if (m_miss) {
                if (++misses > missesBeforeWidening && attempt < wideningAttempts) {
                    widened = true;
                    break;
                }
                const Row* full = fullRow(k);
                if (!full)
                    continue;
                accept = run(*full, decide);
            }
            if (accept)
                hits.insert(k);
        }
        if (!widened)
            break;
    }
    // Keep the accepted records in the data set's order.
    QVector<qint64> accepted;
    accepted.reserve(hits.size());
    for (qint64 k : keys)
        if (hits.contains(k))
            accepted.append(k);
    return accepted;
}
