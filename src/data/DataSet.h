#pragma once

#include "EditBuffer.h"
#include "Field.h"
#include "FieldType.h"
#include "HookFilter.h"
#include "KeyList.h"
#include "KeysetQuery.h"
#include "RecordFinder.h"
#include "RowCache.h"

#include <QBitArray>
#include <QFlags>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <optional>

class Connection;
class DataSource;
class Field;
struct TableDef;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
};

enum class LocateOption {
    loCaseInsensitive = 0x1,
    loPartialKey = 0x2,
    // With loPartialKey: every field of the list need only begin with its value, not just the last.
    loPartialAllFields = 0x4,
};
Q_DECLARE_FLAGS(TLocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

// A named, ordered list of records from one table or one query statement, with a cursor on a
// current record, an editing state and hooks.
//
// Open reads the count and the first page of record keys (KeyList); further keys are read by
// pages in the list's order (KeysetQuery) around the positions asked for, and a record found by
// Locate is placed by counting the records before it. Rows are read in pages by key when the cursor or
// a grid needs them and kept in a bounded cache, and pictures (Blob fields) are read only for
// the record that asks for them. So a data set over a large table stays small and opens at once.
class DataSet : public QObject
{
    Q_OBJECT

public:
    using Hook = std::function<void(DataSet&)>;
    using FilterHook = std::function<void(DataSet&, bool& accept)>;

    explicit DataSet(const QString& name, QObject* parent = nullptr);
    ~DataSet() override;

    QString name() const;

    // --- source and order -------------------------------------------------------------
    void setConnection(Connection* connection);
    Connection* connection() const;

    // Table data set: the table name creates the field list from the schema.
    QString TableName() const;
    void setTableName(const QString& tableName);
    // Only "PrimaryKey" is known; empty means natural order unless IndexFieldNames is set.
    QString IndexName() const;
    void setIndexName(const QString& indexName);
    QString IndexFieldNames() const;
    void setIndexFieldNames(const QString& fieldNames);
    DataSource* MasterSource() const;
    void setMasterSource(DataSource* source);
    QString MasterFields() const;
    void setMasterFields(const QString& fieldNames);

    // Query data set: the statement text (lines joined by a line break). Changed only while
    // closed. Parameters are written ":name" and bound with setParam.
    QString SQL() const;
    void setSQL(const QString& statement);
    void setParam(const QString& name, const QVariant& value);
    void clearParams();
    // A static cursor reads its rows at Open and does not see later changes until reopened.
    bool staticCursor() const;
    void setStaticCursor(bool on);
    bool isQuery() const;

    // --- fields -------------------------------------------------------------------------
    const QList<Field*>& Fields() const;
    Field* FieldByName(const QString& fieldName) const; // throws DataError when unknown
    Field* FindField(const QString& fieldName) const; // nullptr when unknown
    Field* addLookupField(const QString& fieldName, int size, const QString& keyFields, DataSet* lookupDataSet,
        const QString& lookupKeyFields, const QString& lookupResultField);
    // A field whose value the calculation gives for each row (read-only, never stored).
    Field* addCalculatedField(const QString& fieldName, FieldType type, Field::Calculation calculation);

    // --- opening ------------------------------------------------------------------------
    void Open();
    void Close();
    bool Active() const;
    TDataSetState State() const;
    bool Modified() const;
    // Unsaved changes as the screens test them: Modified, or state dsEdit or dsInsert.
    bool hasPendingChanges() const;

    // --- cursor -------------------------------------------------------------------------
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const;
    int RecNo() const; // 1 for the first record, 0 when empty
    void setRecNo(int recNo);
    int RecordCount() const;
    bool IsEmpty() const;
    bool Locate(const QString& fieldNames, const QVariantList& values, TLocateOptions options);
    bool Locate(const QString& fieldName, const QVariant& value, TLocateOptions options);

    // --- editing ------------------------------------------------------------------------
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    // Asks the bound controls to write text still being typed into their fields.
    void UpdateRecord();

    bool Filtered() const;
    void setFiltered(bool filtered);
    QString Filter() const;
    void setFilter(const QString& filter);
    // An SQL condition on the rows of a table or a one-table query, with its bound values, ANDed
    // to the data set's own rows while Filtered, like the filter text; empty for none.
    void setCondition(const QString& sql, const QVariantMap& binds);
    QString condition() const;
    // Moves to the first record after the current one, in the data set's order, that meets the
    // condition, wrapping once to the first record (the current one is tried last). False, and
    // the cursor stays, when no record meets it.
    bool locateNext(const QString& sql, const QVariantMap& binds);

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const;

    Hook BeforeInsert;
    Hook BeforePost;
    Hook AfterPost;
    FilterHook OnFilterRecord;
    // Runs inside the transaction that writes a record, after the row itself is written, with
    // the record's values before the change (empty for a new record). Anything it writes is
    // committed or rolled back together with the record.
    std::function<void(DataSet&, const QVector<QVariant>& before)> OnWrite;

    // --- rows for grids and reports (the cursor does not move) ---------------------------
    // Visible rows, including a record being appended (the last row while dsInsert).
    int rowCount() const;
    int currentRow() const; // 0-based, -1 when there is none
    QVariant rawValueAt(int row, int fieldIndex) const;
    // Whether a picture (Blob) field of a visible row holds bytes; the bytes themselves are not
    // read, so a walk over every record can tell which children have a picture.
    bool hasBlobAt(int row, int fieldIndex) const;
    // Key of a visible row and the key of the current record (-1 when none or not stored).
    qint64 keyAt(int row) const;
    qint64 currentKey() const;

    // --- used by Field --------------------------------------------------------------------
    QVariant fieldValue(const Field* field) const;
    void setFieldValue(Field* field, const QVariant& value);
    QVariant lookupValue(const QString& keyField, const QVariant& keyValue, const QString& resultField) const;

    // Called by DataSource when it starts or stops naming this data set.
    void attachSource(DataSource* source);
    void detachSource(DataSource* source);
    // Called by a detail's master source: complete the detail's pending change before the
    // master leaves its record, and follow the master after it moved.
    void masterAboutToMove();
    void masterMoved(bool force);

    // Rows read from the database so far (for tests and benchmarks).
    int cachedRowCount() const;
    // Whether every key of the list has been read (for tests and benchmarks).
    bool allKeysRead() const;
    // Keys of the list read so far (for tests and benchmarks).
    int keysRead() const;
    // Rows read by lists of keys rather than by ranges of the list's order (for tests and
    // benchmarks).
    int rowsReadByKey() const;

signals:
    void stateChanged();
    void currentChanged();
    void fieldChanged(int fieldIndex);
    void dataReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowUpdated(int row);
    void updateRecordRequested();

private:
    using Row = RowCache::Row;

    QSqlDatabase& db() const;
    void checkActive() const;
    void buildFields(const TableDef* def);
    QString orderSql() const;
    QVector<KeysetQuery::Term> orderTerms() const;
    std::optional<KeysetQuery> keysetQuery() const;
    std::optional<QVariantList> anchorFor(const KeysetQuery& keyset, qint64 key) const;
    QVector<qint64> readPage(const KeyList::Request& request) const;
    int positionInList(qint64 key, const QVector<qint64>& excluded) const;
    std::optional<QSqlQuery> readRowRange(const QString& columns, qint64 first, qint64 last, int count) const;
    qint64 firstPagedMatch(const QString& sql, const QVariantMap& binds, bool fromCurrent) const;
    std::optional<int> firstListedMatch(QString where, QVariantMap binds, bool keyOrder) const;
    void moveToKey(qint64 key);
    int pos() const;
    bool listed(qint64 key) const;
    bool locateNextPaged(const QString& sql, const QVariantMap& binds);
    void readKeys();
    void readAllKeys();
    void applyHookFilter(QVector<qint64>& keys);
    QString whereSql(QVariantMap& binds) const;
    QString filterSql(QVariantMap& binds) const;
    QString filterTextSql(QVariantMap& binds) const;
    QString keyColumnSql() const;
    QSqlQuery selectMembers(const QStringList& columns, const QString& extra = QString(),
        const QVariantMap& extraBinds = {}, int limit = -1) const;
    QVector<qint64> readMemberKeys(int limit) const;
    int countMembers(qint64* highest) const;
    const Row* rowForKey(qint64 key, bool withBlobs) const;
    const Row* rowAt(int position, int column, bool withBlobs) const;
    void completePending();
    void setState(TDataSetState state);
    void moveTo(int position);
    void beginEditBuffer(const Row* row);
    void writeRecord();
    void holdIfMoved(qint64 key);
    void beforeMove();
    void afterMove();
    QVariant masterValue() const;
    RecordFinder finder() const;
    void exec(QSqlQuery& query) const;
    void parseQuery();
    bool usingHookFilter() const;
    int positionOfKey(qint64 key) const;
    bool catchUp();
    void showStoredRecord();
    void dropCurrentRow();
    void readKeysKeepingCurrent();
    void notifyReset();
    void notifyCurrent();

    QString m_name;
    Connection* m_connection = nullptr;

    QString m_tableName;
    QString m_indexName;
    QString m_indexFieldNames;
    DataSource* m_masterSource = nullptr;
    QString m_masterFields;
    QString m_sql;
    QString m_queryTail; // text after "select * from <table>" of a query
    bool m_genericQuery = false;
    QHash<QString, QVariant> m_params;
    bool m_static = false;

    const TableDef* m_def = nullptr;
    QList<Field*> m_fields;
    QHash<QString, Field*> m_fieldsByName; // lower-case names

    TDataSetState m_state = dsInactive;
    bool m_modified = false;
    KeyList m_keys; // visible records in order
    mutable qint64 m_knownMax = -1; // highest key of the list as read, for catchUp
    int m_countBeforeHook = 0;
    mutable int m_pos = -1; // current record, -1 when empty
    // A current record found by key whose position is not counted yet (-1 when none).
    mutable qint64 m_unplacedKey = -1;
    int m_posBeforeInsert = -1;
    QVariant m_linkValue; // master value the key list was read for
    bool m_detailStale = false;
    QList<DataSource*> m_sources;
    bool m_eof = true;

    bool m_catchingUp = false;
    // The last save was refused because another copy changed or deleted the record.
    bool m_staleRecord = false;

    mutable RowCache m_rows { m_keys, [this]() -> QSqlDatabase& { return db(); }, [this] { return currentKey(); },
        [this](const QString& columns, qint64 first, qint64 last, int count) {
            return readRowRange(columns, first, last, count);
        } };
    QVector<Row> m_genericRows; // rows of a statement the layer cannot page
    // The order's values of the first and last keys of each page read: the next page is read
    // after them as they were shown, even when the record was changed or deleted since.
    mutable QHash<qint64, QVariantList> m_anchors;

    HookFilter m_hookFilter; // runs OnFilterRecord over the candidates

    EditBuffer m_edit; // the current record while it is edited or appended

    bool m_filtered = false;
    QString m_filter;
    QString m_condition;
    QVariantMap m_conditionBinds;
    int m_disableCount = 0;
    bool m_pendingNotify = false;
    bool m_inPost = false;
};
