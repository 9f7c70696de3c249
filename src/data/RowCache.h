#pragma once

#include <QBitArray>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>

#include <functional>
#include <optional>

class KeyList;
struct TableDef;

// The rows of a data set read so far, by record key. Rows are read in pages around a list
// position, with only the columns read lately (the "hot" ones), and completed when a column
// they lack is asked for; pictures (Blob fields) are read only for the row that asks for them,
// though every row knows whether its pictures hold bytes. The cache is bounded: the oldest rows
// go first, never the current record's.
//
// A page of a list that has a range reader is read as one range of the list's order (the
// records from the page's first one on); a record the range does not bring as listed (another
// copy deleted it, changed its place or stored others in between) is read by its key. Lists
// without a range (a static snapshot, a hook-filtered list, a statement the keyset reader does
// not understand) read their pages by lists of keys.
class RowCache final
{
public:
    struct Row {
        QVector<QVariant> values;
        QBitArray loaded; // columns read; empty when every non-picture column was read
        bool blobsLoaded = false;
        // One bit per picture column: it holds bytes. Read with the other columns, without the bytes.
        QBitArray blobsPresent;
    };

    // Rows read around a position when the reading jumps there, and the most kept.
    static constexpr int pageSize = 64;
    static constexpr int limit = 4096;

    // Runs the statement for the given select list over the list's records from the record
    // first on, in the list's order, at most count of them (a list in key order may give those
    // whose keys lie between first and last instead, in any order); nullopt when the list has no
    // such range now.
    using RangeReader
        = std::function<std::optional<QSqlQuery>(const QString& columns, qint64 first, qint64 last, int count)>;

    // keys is the data set's list (positions are read from it); database opens the
    // connection; currentKey names the row never dropped to keep the cache bounded; readRange
    // reads a run of the list's rows (none: by keys).
    RowCache(const KeyList& keys, std::function<QSqlDatabase&()> database, std::function<qint64()> currentKey,
        RangeReader readRange = {});

    // The table the rows come from; forgets every row and which columns were read.
    void setTable(const TableDef* def);
    // The picture columns of the table, in field order.
    const QVector<int>& blobColumns() const;

    // The row at a list position with the given column read (-1: every column but pictures),
    // its pictures too when withBlobs; nullptr when the position or its record is gone.
    const Row* rowAt(int position, int column, bool withBlobs);
    // The complete row of a key (every column but pictures unless asked for).
    const Row* rowForKey(qint64 key, bool withBlobs);
    // Reads the given columns (all but pictures when columns is empty) of the rows with these
    // keys, completing rows already here.
    void fetchRows(const QVector<qint64>& keys, const QBitArray& columns);
    // The row of a key as it is here, without reading anything; nullptr when not here.
    const Row* find(qint64 key) const;
    // A row this data set just stored, replacing what was read of it.
    void store(qint64 key, const Row& row);
    // The presence bits of a row whose pictures are read.
    void markBlobsPresent(Row& row) const;

    void forget(qint64 key);
    void clear();
    int size() const;
    // Rows read by lists of keys so far (for tests and benchmarks).
    int rowsReadByKey() const;

private:
    // A select list: the key, the columns read, whether each picture holds bytes.
    struct Select {
        QVector<int> columns;
        QString sql;
        int blobFlagsAt = 0;
    };
    Select selectFor(const QBitArray& columns) const;
    QSet<qint64> take(QSqlQuery& q, const Select& select, const QSet<qint64>* only);
    void readByKeys(const QVector<qint64>& keys, const Select& select);
    void fetchRun(const QVector<qint64>& keys, int span, const QBitArray& columns);
    static bool rowHas(const Row& row, int column);
    void fetchPage(int position);
    void loadBlobs(Row& row, qint64 key);
    void keepBounded(const QVector<qint64>& justRead);
    QString keyListSql(const QVector<qint64>& keys) const;

    const KeyList& m_keys;
    std::function<QSqlDatabase&()> m_database;
    std::function<qint64()> m_currentKey;
    RangeReader m_readRange;
    int m_rowsReadByKey = 0;
    const TableDef* m_def = nullptr;
    QVector<int> m_blobColumns;

    QHash<qint64, Row> m_rows;
    QVector<qint64> m_order; // keys in the order they were first read
    QBitArray m_hot; // columns read since the last page read: a walk's next page brings these
    QBitArray m_everRead; // columns read at all: a page after a jump brings these
    int m_lastPageEnd = -10;
    int m_pageSpan = 64;
};
