#include "KeyList.h"

#include <QSet>

#include <algorithm>
#include <utility>

void KeyList::setAll(QVector<qint64> keys)
{
    m_keys = std::move(keys);
    m_tail.clear();
    m_count = int(m_keys.size());
    m_readAll = nullptr;
    m_readPage = nullptr;
    m_position = nullptr;
    m_runs.clear();
    m_held.clear();
}

void KeyList::setFirst(QVector<qint64> first, int count, Loader readAll)
{
    if (first.size() >= count) {
        setAll(std::move(first));
        return;
    }
    setAll(std::move(first));
    m_count = count;
    m_readAll = std::move(readAll);
}

void KeyList::setPaged(QVector<qint64> first, int count, PageReader read, Counter position)
{
    if (first.size() >= count) {
        setAll(std::move(first));
        return;
    }
    setAll({});
    if (!first.isEmpty())
        m_runs.insert(0, first);
    m_count = count;
    m_readPage = std::move(read);
    m_position = std::move(position);
}

void KeyList::clear()
{
    setAll({});
}

int KeyList::size() const
{
    return m_count + int(m_held.size());
}

bool KeyList::isEmpty() const
{
    return size() == 0;
}

int KeyList::heldBefore(int position) const
{
    int n = 0;
    for (auto it = m_held.cbegin(); it != m_held.cend() && it.key() < position; ++it)
        ++n;
    return n;
}

int KeyList::inner(int position) const
{
    return position - heldBefore(position);
}

int KeyList::outer(int innerPosition) const
{
    int position = innerPosition;
    for (auto it = m_held.cbegin(); it != m_held.cend() && it.key() <= position; ++it)
        ++position;
    return position;
}

QVector<qint64> KeyList::excluded() const
{
    QVector<qint64> keys = m_tail;
    for (qint64 k : std::as_const(m_held))
        keys.append(k);
    return keys;
}

qint64 KeyList::at(int position) const
{
    if (position < 0 || position >= size())
        return -1;
    const auto held = m_held.constFind(position);
    if (held != m_held.cend())
        return held.value();
    return innerAt(inner(position));
}

int KeyList::indexOf(qint64 key) const
{
    for (auto it = m_held.cbegin(); it != m_held.cend(); ++it)
        if (it.value() == key)
            return it.key();
    const int position = innerIndexOf(key);
    return position < 0 ? -1 : outer(position);
}

void KeyList::removeAt(int position)
{
    if (position < 0 || position >= size())
        return;
    if (!m_held.remove(position))
        innerRemoveAt(inner(position));
    // The held records after it move up one place with the others.
    QMap<int, qint64> held;
    for (auto it = m_held.cbegin(); it != m_held.cend(); ++it)
        held.insert(it.key() > position ? it.key() - 1 : it.key(), it.value());
    m_held = held;
}

void KeyList::hold(int position)
{
    // Appended records are left out of the pages already; a list read whole shows every record
    // where it was read.
    if (!m_readPage || position < 0 || m_held.contains(position))
        return;
    const int at = inner(position);
    if (at >= tailStart())
        return;
    const qint64 key = innerAt(at);
    if (key < 0)
        return;
    innerRemoveAt(at);
    m_held.insert(position, key);
}

QVector<qint64> KeyList::held() const
{
    return m_held.values();
}

int KeyList::tailStart() const
{
    return m_count - int(m_tail.size());
}

qint64 KeyList::innerAt(int position) const
{
    if (position < 0 || position >= m_count)
        return -1;
    if (m_readPage) {
        if (position < tailStart()) {
            const qint64 key = known(position);
            if (key >= 0)
                return key;
            readAround(position);
        }
        if (position >= m_count)
            return -1;
        return position >= tailStart() ? m_tail.at(position - tailStart()) : known(position);
    }
    if (m_readAll) {
        if (position < m_keys.size())
            return m_keys.at(position);
        if (position >= tailStart() && position < m_count)
            return m_tail.at(position - tailStart());
        readRest();
    }
    return position < m_keys.size() ? m_keys.at(position) : -1;
}

int KeyList::innerIndexOf(qint64 key) const
{
    if (m_readPage) {
        const int inTail = int(m_tail.indexOf(key));
        if (inTail >= 0)
            return tailStart() + inTail;
        for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
            const int at = int(it->indexOf(key));
            if (at >= 0)
                return it.key() + at;
        }
        const int position = m_position(key, excluded());
        if (position < 0)
            return -1;
        // Past the records counted when the list was read: another copy stored some since.
        if (position >= tailStart())
            grow(position - tailStart() + 1);
        put(position, { key });
        return position;
    }
    int position = int(m_keys.indexOf(key));
    if (position >= 0 || !m_readAll)
        return position;
    position = int(m_tail.indexOf(key));
    if (position >= 0)
        return tailStart() + position;
    readRest();
    return int(m_keys.indexOf(key));
}

const QVector<qint64>& KeyList::all() const
{
    if (m_readPage) {
        QVector<qint64> keys;
        for (int p = 0; p < size(); ++p)
            keys.append(at(p));
        m_keys = keys;
        return m_keys;
    }
    readRest();
    return m_keys;
}

void KeyList::append(qint64 key)
{
    if (m_readAll || m_readPage)
        m_tail.append(key);
    else
        m_keys.append(key);
    ++m_count;
}

void KeyList::innerRemoveAt(int position)
{
    if (position < 0 || position >= m_count)
        return;
    if (m_readPage) {
        if (position >= tailStart()) {
            m_tail.removeAt(position - tailStart());
        } else {
            // The keys after it move up one place.
            QMap<int, QVector<qint64>> runs;
            for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
                QVector<qint64> keys = it.value();
                const int start = it.key();
                if (position >= start && position < start + keys.size()) {
                    keys.removeAt(position - start);
                    if (!keys.isEmpty())
                        runs.insert(start, keys);
                } else {
                    runs.insert(start > position ? start - 1 : start, keys);
                }
            }
            m_runs = runs;
        }
        --m_count;
        return;
    }
    if (m_readAll && position < m_keys.size()) {
        m_keys.removeAt(position);
    } else if (m_readAll && position >= tailStart()) {
        m_tail.removeAt(position - tailStart());
    } else {
        readRest();
        m_keys.removeAt(position);
    }
    --m_count;
}

bool KeyList::complete() const
{
    return m_readPage ? keysRead() >= size() : !m_readAll;
}

bool KeyList::paged() const
{
    return bool(m_readPage);
}

const QVector<qint64>& KeyList::appended() const
{
    return m_tail;
}

int KeyList::keysRead() const
{
    int n = int(m_tail.size() + m_held.size());
    if (!m_readPage)
        return n + int(m_keys.size());
    for (const QVector<qint64>& run : std::as_const(m_runs))
        n += int(run.size());
    return n;
}

void KeyList::follow(int* position)
{
    m_follow = position;
}

// Reads the rest of the list as it now stands, after the last key of the first page that is
// still stored; the keys appended here stay last, as they were shown.
void KeyList::readRest() const
{
    if (!m_readAll)
        return;
    const Loader read = std::move(m_readAll);
    m_readAll = nullptr;
    const int oldCount = m_count;
    const int firstPage = int(m_keys.size());
    const QVector<qint64> fresh = read();
    qsizetype after = 0;
    for (int i = firstPage - 1; i >= 0; --i) {
        const qsizetype at = fresh.indexOf(m_keys.at(i));
        if (at >= 0) {
            after = at + 1;
            break;
        }
    }
    QSet<qint64> shown(m_keys.cbegin(), m_keys.cend());
    for (qint64 k : std::as_const(m_tail))
        shown.insert(k);
    for (qsizetype i = after; i < fresh.size(); ++i)
        if (!shown.contains(fresh.at(i)))
            m_keys.append(fresh.at(i));
    m_keys += m_tail;
    m_tail.clear();
    m_count = int(m_keys.size());
    // A current record past the first page was counted from the end.
    if (m_follow && *m_follow >= firstPage)
        *m_follow = std::clamp(*m_follow + m_count - oldCount, firstPage, m_count - 1);
}

qint64 KeyList::known(int position) const
{
    auto it = m_runs.upperBound(position);
    if (it == m_runs.cbegin())
        return -1;
    --it;
    const int offset = position - it.key();
    return offset < it->size() ? it->at(offset) : -1;
}

// The stored records number delta more (fewer when negative) than counted: the keys this data
// set appended, and a current record among them, move with the end of the list.
void KeyList::grow(int delta) const
{
    if (m_follow && *m_follow >= tailStart() + int(m_held.size()))
        *m_follow += delta;
    m_count += delta;
}

// Reads the page around an unread position from whichever known key is nearest: the last one
// read before it (or the start of the list), reading forward, or the first one read after it
// (or the end), reading backward. A page reaching the end of the list reads one key more, to
// find records another copy stored since the list was counted; a page that comes short of the
// end finds records deleted since.
void KeyList::readAround(int position) const
{
    const int stored = tailStart();
    const auto next = m_runs.upperBound(position);
    const bool hasPrevious = next != m_runs.cbegin();
    int previousEnd = 0;
    qint64 previousKey = -1;
    if (hasPrevious) {
        const auto previous = std::prev(next);
        previousEnd = previous.key() + int(previous->size());
        previousKey = previous->last();
    }
    const bool hasNext = next != m_runs.cend();
    const int nextStart = hasNext ? next.key() : stored;
    const int lead = pageSize / 4;

    const int forwardFrom = std::max(previousEnd, position - lead);
    const int forwardSkip = forwardFrom - previousEnd;
    const int backwardTo = std::min(nextStart - 1, position + lead);
    const int backwardSkip = nextStart - 1 - backwardTo;

    Request request;
    request.excluded = excluded();
    if (forwardSkip <= backwardSkip) {
        const int wanted = std::min(pageSize, nextStart - forwardFrom);
        const bool toEnd = !hasNext && forwardFrom + wanted == nextStart;
        request.fromKey = hasPrevious;
        request.key = previousKey;
        request.skip = forwardSkip;
        request.limit = toEnd ? wanted + lead : wanted;
        int asked = request.limit;
        QVector<qint64> keys = m_readPage(request);
        // Reading to the end: records stored since the list was counted are read too.
        while (toEnd && keys.size() == asked) {
            request.fromKey = true;
            request.key = keys.last();
            request.skip = 0;
            request.limit = lead;
            asked += lead;
            keys += m_readPage(request);
        }
        if (keys.size() > wanted && !toEnd)
            keys.resize(wanted);
        if (!hasNext && (keys.size() < wanted || toEnd))
            grow(int(keys.size()) - wanted);
        put(forwardFrom, keys);
        return;
    }
    const int from = std::max(previousEnd, backwardTo - pageSize + 1);
    request.fromKey = hasNext;
    request.key = hasNext ? next->first() : -1;
    request.backward = true;
    request.skip = backwardSkip;
    request.limit = backwardTo - from + 1;
    QVector<qint64> keys = m_readPage(request);
    std::reverse(keys.begin(), keys.end());
    put(backwardTo - int(keys.size()) + 1, keys);
}

// Keeps keys read from a position, joined with the runs they touch.
void KeyList::put(int start, const QVector<qint64>& keys) const
{
    if (keys.isEmpty())
        return;
    int from = start;
    int to = start + int(keys.size());
    auto it = m_runs.upperBound(from);
    if (it != m_runs.begin() && std::prev(it).key() + std::prev(it)->size() >= from)
        --it;
    QMap<int, QVector<qint64>> touched;
    while (it != m_runs.end() && it.key() <= to) {
        from = std::min(from, it.key());
        to = std::max(to, it.key() + int(it->size()));
        touched.insert(it.key(), it.value());
        it = m_runs.erase(it);
    }
    QVector<qint64> run(to - from, -1);
    for (auto t = touched.cbegin(); t != touched.cend(); ++t)
        std::copy(t->cbegin(), t->cend(), run.begin() + (t.key() - from));
    std::copy(keys.cbegin(), keys.cend(), run.begin() + (start - from));
    m_runs.insert(from, run);
}
