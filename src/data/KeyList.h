#pragma once

#include <QMap>
#include <QVector>

#include <functional>

// The ordered keys of a data set's records. A large list is opened with its count and only its
// first page of keys. A list that can be read in pages (a keyset reader) reads the pages around
// a position when it is first asked for, from the nearest known key, the start or the end, and
// finds a key's position by counting; it never reads every key. A list that cannot (a loader)
// reads the rest once, the first time anything past its first page is asked for. Keys this data
// set appended come last, whatever the order, until the list is read again; a record whose
// change here moved it in the order (or out of the list) is held at its row likewise.
class KeyList final
{
public:
    using Loader = std::function<QVector<qint64>()>;

    // A page of keys to read: those after the key (before it when backward, nearest first), or
    // from the start (the end when backward) when fromKey is false; excluded keys are skipped.
    struct Request {
        bool fromKey = false;
        qint64 key = -1;
        bool backward = false;
        int skip = 0;
        int limit = 0;
        QVector<qint64> excluded;
    };
    using PageReader = std::function<QVector<qint64>(const Request&)>;
    // The position of a listed key among the others with the excluded keys left out, -1 when it
    // is not listed.
    using Counter = std::function<int(qint64 key, const QVector<qint64>& excluded)>;

    // Keys read in one page around a position asked for.
    static constexpr int pageSize = 256;

    // Every key, already read.
    void setAll(QVector<qint64> keys);
    // The first keys of a list of count keys; readAll reads the whole list when it is needed.
    void setFirst(QVector<qint64> first, int count, Loader readAll);
    // The first keys of a list of count keys, the others read by pages when asked for.
    void setPaged(QVector<qint64> first, int count, PageReader read, Counter position);
    void clear();

    int size() const;
    bool isEmpty() const;
    // The key at a position; -1 when the position is past the list or its record is gone.
    qint64 at(int position) const;
    // The position of a key, -1 when it is not listed.
    int indexOf(qint64 key) const;
    // The whole list (read now when only its first page was).
    const QVector<qint64>& all() const;
    // A record this data set stored: it comes last, whatever the order.
    void append(qint64 key);
    void removeAt(int position);
    // The record at a position was changed here so that the table may now sort it elsewhere (or
    // no longer list it): it keeps its row until the list is read again, and the pages and counts
    // leave it out, so every other record keeps its row too.
    void hold(int position);
    // The records held at their rows.
    QVector<qint64> held() const;

    // Whether every key has been read (for tests and benchmarks).
    bool complete() const;
    // Whether the list is read by pages.
    bool paged() const;
    // The keys appended while the list was not read whole, in their order (they come last).
    const QVector<qint64>& appended() const;
    // Keys read so far (for tests and benchmarks).
    int keysRead() const;
    // A position (the data set's current record) kept on its record when the rest is read.
    void follow(int* position);

private:
    // Positions inside the stored part without the held records, as the pages and counts see
    // them, and back.
    int heldBefore(int position) const;
    int inner(int position) const;
    int outer(int innerPosition) const;
    qint64 innerAt(int position) const;
    int innerIndexOf(qint64 key) const;
    void innerRemoveAt(int position);
    QVector<qint64> excluded() const;

    void readRest() const;
    int tailStart() const;
    qint64 known(int position) const;
    void readAround(int position) const;
    void grow(int delta) const;
    void put(int start, const QVector<qint64>& keys) const;

    mutable QVector<qint64> m_keys; // every key, or the first page
    mutable QVector<qint64> m_tail; // appended while the list was not read whole
    mutable int m_count = 0;
    mutable Loader m_readAll;
    int* m_follow = nullptr;

    PageReader m_readPage;
    Counter m_position;
    mutable QMap<int, QVector<qint64>> m_runs; // keys read by pages, by the position of the first
    mutable QMap<int, qint64> m_held; // records held at their rows, by position in the whole list
};
