#pragma once

#include <QVector>

#include <functional>

// The ordered keys of a data set's records. A large list is opened with its count and only its
// first page of keys; the rest is read the first time anything between that page and the keys
// this data set appended since is asked for. So opening a list and showing its first screen
// never reads every key. The rest continues the first page as it was shown: records another
// copy stored or deleted in that page's stretch show when the list is read again, as they did
// when every key was read at once.
class KeyList final
{
public:
    using Loader = std::function<QVector<qint64>()>;

    // Every key, already read.
    void setAll(QVector<qint64> keys);
    // The first keys of a list of count keys; readAll reads the whole list when it is needed.
    void setFirst(QVector<qint64> first, int count, Loader readAll);
    void clear();

    int size() const;
    bool isEmpty() const;
    qint64 at(int position) const;
    // The position of a key, -1 when it is not listed.
    int indexOf(qint64 key) const;
    // The whole list (read now when only its first page was).
    const QVector<qint64>& all() const;
    // A record this data set stored: it comes last, whatever the order.
    void append(qint64 key);
    void removeAt(int position);

    // Whether every key has been read (for tests and benchmarks).
    bool complete() const;
    // A position (the data set's current record) kept on its record when the rest is read.
    void follow(int* position);

private:
    void readRest() const;
    int tailStart() const;

    mutable QVector<qint64> m_keys; // every key, or the first page
    mutable QVector<qint64> m_tail; // appended while only the first page was read
    mutable int m_count = 0;
    mutable Loader m_readAll;
    int* m_follow = nullptr;
};
