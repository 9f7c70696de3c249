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
}

void KeyList::setFirst(QVector<qint64> first, int count, Loader readAll)
{
    if (first.size() >= count) {
        setAll(std::move(first));
        return;
    }
    m_keys = std::move(first);
    m_tail.clear();
    m_count = count;
    m_readAll = std::move(readAll);
}

void KeyList::clear()
{
    setAll({});
}

int KeyList::size() const
{
    return m_count;
}

bool KeyList::isEmpty() const
{
    return m_count == 0;
}

int KeyList::tailStart() const
{
    return m_count - int(m_tail.size());
}

qint64 KeyList::at(int position) const
{
    if (m_readAll) {
        if (position < m_keys.size())
            return m_keys.at(position);
        if (position >= tailStart() && position < m_count)
            return m_tail.at(position - tailStart());
        readRest();
    }
    return m_keys.at(position);
}

int KeyList::indexOf(qint64 key) const
{
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
    readRest();
    return m_keys;
}

void KeyList::append(qint64 key)
{
    if (m_readAll)
        m_tail.append(key);
    else
        m_keys.append(key);
    ++m_count;
}

void KeyList::removeAt(int position)
{
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
    return !m_readAll;
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
