#include "DataSet.h"

#include "ChangeLog.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSource.h"
#include "EditBuffer.h"
#include "Field.h"
#include "LocateMatch.h"
#include "RecordFinder.h"
#include "RecordWriter.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "Statement.h"
#include "StatementBuilder.h"
#include "StoredValue.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QSqlError>
#include <QSqlRecord>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Keys read when a list opens; the rest only when the list is walked past them.
constexpr int firstKeys = 256;

const auto quoted = StatementBuilder::quoted;
const auto splitNames = StatementBuilder::splitNames;
const auto isNullValue = StoredValue::isNull;
const auto holdsBytes = StoredValue::holdsBytes;

// After a failed write, taken back: a lost server connection is told as such, with the change.
void throwIfConnectionLost(const DataError& error)
{
    if (error.connectionLost())
        throw DataError(Connection::lostText(), DataError::ConnectionLost);
}

QString historyReadOnly()
{
    return u"Değişiklik geçmişi yalnızca okunabilir."_s;
}

// The history row of a record just written, with the fields whose stored value changed (every
// filled field of a new record); an edit that changed no value leaves none.
void writeHistory(QSqlDatabase& db, const TableDef& def, bool inserting, qint64 key, const QVector<QVariant>& stored,
    const EditBuffer& edit)
{
    const QList<ChangeLog::Change> changes = edit.changes(def, inserting, stored);
    if (!inserting && changes.isEmpty())
        return;
    const int codeField = def.indexOf(ChangeLog::childCodeColumn(def.name));
    ChangeLog::write(db, inserting ? ChangeLog::Kind::Insert : ChangeLog::Kind::Update, def, key,
        codeField < 0 ? QVariant() : stored.at(codeField), changes);
}

} // namespace

// --- construction -----------------------------------------------------------------------

DataSet::DataSet(const QString& name, QObject* parent)
    : QObject(parent)
    , m_name(name)
{
    setObjectName(name);
    m_keys.follow(&m_pos);
}

DataSet::~DataSet()
{
    if (m_masterSource)
        m_masterSource->removeDetail(this);
    const QList<DataSource*> sources = m_sources;
    for (DataSource* source : sources)
        source->setDataSet(nullptr);
    qDeleteAll(m_fields);
}

QString DataSet::name() const
{
    return m_name;
}

void DataSet::setConnection(Connection* connection)
{
    m_connection = connection;
}

Connection* DataSet::connection() const
{
    return m_connection ? m_connection : Connection::defaultConnection();
}

QSqlDatabase& DataSet::db() const
{
    Connection* c = connection();
    if (!c)
        throw DataError(u"Veritabanı bağlantısı yok."_s);
    return c->database();
}

QString DataSet::TableName() const
{
    return m_tableName;
}

void DataSet::setTableName(const QString& tableName)
{
    const TableDef* def = Schema::table(tableName);
    if (!def)
        throw DataError(u"Tablo bulunamadı: %1"_s.arg(tableName));
    m_tableName = def->name;
    buildFields(def);
}

QString DataSet::IndexName() const
{
    return m_indexName;
}

void DataSet::setIndexName(const QString& indexName)
{
    m_indexName = indexName;
}

QString DataSet::IndexFieldNames() const
{
    return m_indexFieldNames;
}

void DataSet::setIndexFieldNames(const QString& fieldNames)
{
    m_indexFieldNames = fieldNames;
}

DataSource* DataSet::MasterSource() const
{
    return m_masterSource;
}

void DataSet::setMasterSource(DataSource* source)
{
    if (m_masterSource == source)
        return;
    if (m_masterSource)
        m_masterSource->removeDetail(this);
    m_masterSource = source;
    if (m_masterSource)
        m_masterSource->addDetail(this);
    if (Active())
        masterMoved(true);
}

QString DataSet::MasterFields() const
{
    return m_masterFields;
}

void DataSet::setMasterFields(const QString& fieldNames)
{
    m_masterFields = fieldNames;
}

QString DataSet::SQL() const
{
    return m_sql;
}

void DataSet::setSQL(const QString& statement)
{
    if (Active())
        throw DataError(u"Sorgu açıkken değiştirilemez: %1"_s.arg(m_name));
    m_sql = statement;
    parseQuery();
}

void DataSet::setParam(const QString& name, const QVariant& value)
{
    QString key = name;
    if (!key.startsWith(u':'))
        key.prepend(u':');
    m_params.insert(key, value);
}

void DataSet::clearParams()
{
    m_params.clear();
}

bool DataSet::staticCursor() const
{
    return m_static;
}

void DataSet::setStaticCursor(bool on)
{
    m_static = on;
}

bool DataSet::isQuery() const
{
    return !m_sql.isEmpty();
}

// A query reads one table with "select * from <table> ...": it then knows the table's fields
// and key and pages its rows like a table. Any other statement is read whole.
void DataSet::parseQuery()
{
    const StatementBuilder::Query query
        = StatementBuilder::parseQuery(m_sql, connection() ? connection()->dialect() : SqlDialect::sqlite());
    m_genericQuery = !query.table;
    m_queryTail = query.tail;
    if (query.table && m_def != query.table)
        buildFields(query.table);
}

void DataSet::buildFields(const TableDef* def)
{
    if (Active())
        Close();
    // Lookup fields added by a screen survive a change of statement on the same table.
    QList<Field*> lookups;
    for (Field* f : std::as_const(m_fields)) {
        if (f->kind() != FieldKind::fkData)
            lookups.append(f);
        else
            delete f;
    }
    m_fields.clear();
    m_fieldsByName.clear();
    m_def = def;
    m_rows.setTable(def);
    int i = 0;
    for (const FieldDef& fd : def->fields) {
        auto* f = new Field(this, i, fd.name, fd.type, fd.size);
        m_fields.append(f);
        m_fieldsByName.insert(fd.name.toLower(), f);
        ++i;
    }
    for (Field* f : std::as_const(lookups)) {
        m_fields.append(f);
        m_fieldsByName.insert(f->FieldName().toLower(), f);
    }
}

const QList<Field*>& DataSet::Fields() const
{
    return m_fields;
}

Field* DataSet::FindField(const QString& fieldName) const
{
    return m_fieldsByName.value(fieldName.trimmed().toLower(), nullptr);
}

Field* DataSet::FieldByName(const QString& fieldName) const
{
    Field* f = FindField(fieldName);
    if (!f)
        throw DataError(u"%1: '%2' alanı bulunamadı."_s.arg(m_name, fieldName));
    return f;
}

Field* DataSet::addLookupField(const QString& fieldName, int size, const QString& keyFields, DataSet* lookupDataSet,
    const QString& lookupKeyFields, const QString& lookupResultField)
{
    if (FindField(fieldName))
        throw DataError(u"%1: '%2' alanı zaten var."_s.arg(m_name, fieldName));
    auto* f = new Field(this, int(m_fields.size()), fieldName, FieldType::WideString, size);
    f->makeLookup(keyFields, lookupDataSet, lookupKeyFields, lookupResultField);
    m_fields.append(f);
    m_fieldsByName.insert(fieldName.toLower(), f);
    return f;
}

Field* DataSet::addCalculatedField(const QString& fieldName, FieldType type, Field::Calculation calculation)
{
    if (FindField(fieldName))
        throw DataError(u"%1: '%2' alanı zaten var."_s.arg(m_name, fieldName));
    auto* f = new Field(this, int(m_fields.size()), fieldName, type, 0);
    f->makeCalculated(std::move(calculation));
    f->ReadOnly = true;
    m_fields.append(f);
    m_fieldsByName.insert(fieldName.toLower(), f);
    return f;
}

void DataSet::attachSource(DataSource* source)
{
    if (!m_sources.contains(source))
        m_sources.append(source);
}

void DataSet::detachSource(DataSource* source)
{
    m_sources.removeAll(source);
}

// --- opening ----------------------------------------------------------------------------

void DataSet::Open()
{
    if (Active())
        return;
    if (!m_def && !m_genericQuery)
        throw DataError(u"%1: tablo veya sorgu belirtilmemiş."_s.arg(m_name));
    db(); // opens the connection or reports the engine's error
    m_rows.clear();
    m_genericRows.clear();
    m_linkValue = masterValue();
    readKeys();
    m_state = dsBrowse;
    m_modified = false;
    m_unplacedKey = -1;
    m_pos = m_keys.isEmpty() ? -1 : 0;
    m_eof = m_keys.isEmpty();
    notifyReset();
    Q_EMIT stateChanged();
    notifyCurrent();
    for (DataSource* source : std::as_const(m_sources))
        for (DataSet* detail : source->details())
            detail->masterMoved(true);
}

void DataSet::Close()
{
    if (!Active())
        return;
    m_state = dsInactive;
    m_modified = false;
    m_keys.clear();
    m_genericRows.clear();
    m_edit.clear();
    m_unplacedKey = -1;
    m_pos = -1;
    m_eof = true;
    m_countBeforeHook = 0;
    m_rows.clear();
    notifyReset();
    Q_EMIT stateChanged();
    for (DataSource* source : std::as_const(m_sources))
        for (DataSet* detail : source->details())
            detail->masterMoved(true);
}

bool DataSet::Active() const
{
    return m_state != dsInactive;
}

TDataSetState DataSet::State() const
{
    return m_state;
}

bool DataSet::Modified() const
{
    return m_modified;
}

bool DataSet::hasPendingChanges() const
{
    return m_modified || m_state == dsEdit || m_state == dsInsert;
}

void DataSet::checkActive() const
{
    if (!Active())
        throw DataError(u"%1: kapalı veri kümesinde bu işlem yapılamaz."_s.arg(m_name));
}

void DataSet::exec(QSqlQuery& query) const
{
    Statement::exec(query);
}

QVector<KeysetQuery::Term> DataSet::orderTerms() const
{
    QVector<KeysetQuery::Term> terms;
    if (!m_indexFieldNames.isEmpty()) {
        for (const QString& n : splitNames(m_indexFieldNames))
            terms.append({ quoted(FieldByName(n)->FieldName()), false });
    } else if (m_indexName.compare(u"PrimaryKey"_s, Qt::CaseInsensitive) == 0) {
        for (const QString& n : m_def->primaryKey)
            terms.append({ quoted(n), false });
    }
    return terms;
}

QString DataSet::orderSql() const
{
    const SqlDialect& dialect = connection() ? connection()->dialect() : SqlDialect::sqlite();
    const QString key = keyColumnSql();
    QStringList cols;
    for (const KeysetQuery::Term& t : orderTerms())
        cols.append(dialect.orderTermSql(t.sql, t.descending ? u" DESC"_s : QString(), t.sql == key));
    cols.append(key);
    cols.removeDuplicates();
    return u" ORDER BY "_s + cols.join(u", "_s);
}

// The statements that read this data set's keys by pages: a table's, or a one-table query's
// whose text is a condition and an order; nullopt for any other statement.
std::optional<KeysetQuery> DataSet::keysetQuery() const
{
    if (m_genericQuery || !m_def)
        return std::nullopt;
    QVariantMap binds;
    const QString table = quoted(m_def->name);
    if (!isQuery()) {
        QString where = whereSql(binds);
        if (!where.isEmpty())
            where.remove(0, QStringLiteral(" WHERE ").size());
        return KeysetQuery(table, keyColumnSql(), where, binds, orderTerms());
    }
    const std::optional<KeysetQuery::Tail> tail = KeysetQuery::readTail(m_queryTail);
    if (!tail)
        return std::nullopt;
    QStringList conds;
    if (!tail->where.isEmpty())
        conds.append(u'(' + tail->where + u')');
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
        if (tail->where.contains(it.key()))
            binds.insert(it.key(), it.value());
    const QString filter = filterSql(binds);
    if (!filter.isEmpty())
        conds.append(u'(' + filter + u')');
    return KeysetQuery(table, keyColumnSql(), conds.join(u" AND "_s), binds, tail->order);
}

std::optional<QVariantList> DataSet::anchorFor(const KeysetQuery& keyset, qint64 key) const
{
    const auto it = m_anchors.constFind(key);
    if (it != m_anchors.cend())
        return it.value();
    return keyset.anchorOf(db(), key, false);
}

QVector<qint64> DataSet::readPage(const KeyList::Request& request) const
{
    const std::optional<KeysetQuery> keyset = keysetQuery();
    if (!keyset)
        return {};
    KeysetQuery::Page page;
    page.backward = request.backward;
    page.skip = request.skip;
    page.limit = request.limit;
    page.excluded = request.excluded;
    if (request.fromKey) {
        const std::optional<QVariantList> anchor = anchorFor(*keyset, request.key);
        if (!anchor)
            return {};
        page.anchor = *anchor;
    }
    QVector<QVariantList> edges;
    const QVector<qint64> keys = keyset->keys(db(), page, &edges);
    if (!keys.isEmpty()) {
        m_anchors.insert(keys.first(), edges.first());
        m_anchors.insert(keys.last(), edges.last());
        m_knownMax = std::max(m_knownMax, *std::max_element(keys.cbegin(), keys.cend()));
    }
    return keys;
}

int DataSet::positionInList(qint64 key, const QVector<qint64>& excluded) const
{
    const std::optional<KeysetQuery> keyset = keysetQuery();
    if (!keyset)
        return -1;
    const std::optional<QVariantList> anchor = keyset->anchorOf(db(), key, true);
    return anchor ? keyset->countBefore(db(), *anchor, excluded) : -1;
}

QVariant DataSet::masterValue() const
{
    if (!m_masterSource || !m_masterSource->dataSet())
        return {};
    DataSet* master = m_masterSource->dataSet();
    if (!master->Active() || master->rowCount() == 0)
        return {};
    const QString fieldName = splitNames(m_masterFields).value(0);
    Field* f = master->FindField(fieldName);
    if (!f)
        return {};
    return master->fieldValue(f);
}

// What Filtered adds to the data set's own rows: the filter text and the condition.
QString DataSet::filterSql(QVariantMap& binds) const
{
    if (!m_filtered)
        return {};
    QStringList parts;
    const QString text = filterTextSql(binds);
    if (!text.isEmpty())
        parts.append(u'(' + text + u')');
    if (!m_condition.isEmpty()) {
        parts.append(u'(' + m_condition + u')');
        for (auto it = m_conditionBinds.cbegin(); it != m_conditionBinds.cend(); ++it)
            binds.insert(it.key(), it.value());
    }
    return parts.join(u" AND "_s);
}

QString DataSet::filterTextSql(QVariantMap& binds) const
{
    return StatementBuilder::filterCondition(
        m_filter, [this](const QString& name) { return FieldByName(name); }, binds, m_name);
}

// Conditions of a table data set: the master link and the filter text.
QString DataSet::whereSql(QVariantMap& binds) const
{
    QStringList conds;
    if (m_masterSource && !isQuery()) {
        const QString detailField = splitNames(m_indexFieldNames).value(0);
        const Field* f = FieldByName(detailField);
        const QVariant v = masterValue();
        if (isNullValue(v) || (v.typeId() == QMetaType::QString && v.toString().isEmpty())) {
            conds.append(u"1 = 0"_s);
        } else {
            binds.insert(u":m0"_s, v);
            conds.append(quoted(f->FieldName()) + u" = :m0"_s);
        }
    }
    const QString filter = filterSql(binds);
    if (!filter.isEmpty())
        conds.append(filter);
    if (conds.isEmpty())
        return {};
    return u" WHERE "_s + conds.join(u" AND "_s);
}

QString DataSet::keyColumnSql() const
{
    return StatementBuilder::keyColumn(*m_def);
}

// Runs a statement over this data set's own records (the query's text, or the master link and
// the filter of a table, in the data set's order), reading the key and the given columns; an
// extra condition narrows them further.
QSqlQuery DataSet::selectMembers(
    const QStringList& columns, const QString& extra, const QVariantMap& extraBinds, int limit) const
{
    QVariantMap binds;
    const QString key = keyColumnSql();
    const QString table = quoted(m_def->name);
    const QString list = columns.isEmpty() ? QString() : u", "_s + columns.join(u", "_s);
    QString sql;
    if (isQuery()) {
        QString filter = filterSql(binds);
        if (!extra.isEmpty())
            filter = filter.isEmpty() ? u'(' + extra + u')' : filter + u" AND ("_s + extra + u')';
        if (filter.isEmpty())
            sql = u"SELECT "_s + key + list + u" FROM "_s + table + u' ' + m_queryTail;
        else
            sql = u"SELECT pediakay_key"_s + list + u" FROM (SELECT "_s + key + u" AS pediakay_key, * FROM "_s + table
                + u' ' + m_queryTail + u") AS pediakay_rows WHERE "_s + filter;
        for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
            binds.insert(it.key(), it.value());
    } else {
        QString where = whereSql(binds);
        if (!extra.isEmpty())
            where += (where.isEmpty() ? u" WHERE ("_s : u" AND ("_s) + extra + u')';
        sql = u"SELECT "_s + key + list + u" FROM "_s + table + where + orderSql();
    }
    for (auto it = extraBinds.cbegin(); it != extraBinds.cend(); ++it)
        binds.insert(it.key(), it.value());
    if (limit >= 0)
        sql += u" LIMIT "_s + QString::number(limit);
    QSqlQuery q(db());
    // Its caller reads other rows while it walks this one's.
    q.setForwardOnly(SqlDialect::of(db()).forwardOnlyWhileOthersRun());
    Statement::prepare(q, sql);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    exec(q);
    return q;
}

// A read that fails (the server connection lost) leaves the list as it was shown.
void DataSet::readKeys()
{
    auto restore = qScopeGuard([this, keys = m_keys, anchors = m_anchors, count = m_countBeforeHook,
                                   highest = m_knownMax, rows = m_genericRows]() mutable {
        m_keys = std::move(keys);
        m_anchors = std::move(anchors);
        m_countBeforeHook = count;
        m_knownMax = highest;
        m_genericRows = std::move(rows);
    });
    readAllKeys();
    restore.dismiss();
}

void DataSet::readAllKeys()
{
    m_keys.clear();
    m_anchors.clear();
    m_countBeforeHook = 0;
    m_knownMax = -1;
    if (m_genericQuery) {
        m_genericRows.clear();
        QSqlQuery q(db());
        q.setForwardOnly(true);
        Statement::prepare(q, m_sql);
        for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
            q.bindValue(it.key(), it.value());
        exec(q);
        const QSqlRecord rec = q.record();
        if (m_fields.isEmpty()) {
            for (int i = 0; i < rec.count(); ++i) {
                auto* f = new Field(this, i, rec.fieldName(i), FieldType::WideString, 255);
                m_fields.append(f);
                m_fieldsByName.insert(rec.fieldName(i).toLower(), f);
            }
        }
        QVector<qint64> keys;
        while (q.next()) {
            Row row;
            for (int i = 0; i < rec.count(); ++i)
                row.values.append(q.value(i));
            row.blobsLoaded = true;
            keys.append(m_genericRows.size());
            m_genericRows.append(row);
        }
        m_countBeforeHook = int(keys.size());
        m_keys.setAll(keys);
        return;
    }

    // A list that may be long is opened with its first page of keys and its count; the rest
    // is read when something beyond that page is wanted.
    const bool paged = !m_static && !usingHookFilter();
    const bool byPages = paged && keysetQuery().has_value();
    QVector<qint64> keys;
    if (byPages)
        keys = readPage({ false, -1, false, 0, firstKeys + 1, {} });
    else
        keys = readMemberKeys(paged ? firstKeys + 1 : -1);
    if (paged && keys.size() > firstKeys) {
        keys.removeLast();
        qint64 highest = -1;
        const int count = countMembers(&highest);
        if (count >= 0) {
            m_countBeforeHook = count;
            m_knownMax = highest;
            if (byPages)
                m_keys.setPaged(
                    keys, count, [this](const KeyList::Request& r) { return readPage(r); },
                    [this](qint64 key, const QVector<qint64>& excluded) { return positionInList(key, excluded); });
            else
                m_keys.setFirst(keys, count, [this] { return readMemberKeys(-1); });
            return;
        }
        keys = readMemberKeys(-1);
    }
    m_countBeforeHook = int(keys.size());
    m_knownMax = keys.isEmpty() ? -1 : *std::max_element(keys.cbegin(), keys.cend());
    // A static cursor takes its snapshot of the rows now (a child's visits are few).
    if (m_static && keys.size() <= RowCache::limit) {
        for (int start = 0; start < keys.size(); start += 500)
            m_rows.fetchRows(keys.mid(start, 500), QBitArray());
    }
    if (usingHookFilter())
        applyHookFilter(keys);
    m_keys.setAll(keys);
}

// The keys of the data set's records in its order; limit < 0 reads them all.
QVector<qint64> DataSet::readMemberKeys(int limit) const
{
    QSqlQuery q = selectMembers({}, QString(), {}, limit);
    QVector<qint64> keys;
    while (q.next())
        keys.append(q.value(0).toLongLong());
    return keys;
}

// How many records the data set lists, counted by the engine, and for a table the highest key
// among them (highest is left alone for a query); -1 for a query whose text the count cannot be
// sure of (its keys are then read).
int DataSet::countMembers(qint64* highest) const
{
    QVariantMap binds;
    QString sql;
    if (isQuery()) {
        static const QRegularExpression unsure(
            u"\\b(limit|offset|group|having|union|intersect|except|select|distinct)\\b"_s,
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression orderBy(u"\\border\\s+by\\b.*$"_s,
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
        if (m_queryTail.contains(unsure))
            return -1;
        QString tail = m_queryTail;
        tail.remove(orderBy);
        const QString filter = filterSql(binds);
        const QString table = quoted(m_def->name);
        if (filter.isEmpty())
            sql = u"SELECT count(*) FROM "_s + table + u' ' + tail;
        else
            sql = u"SELECT count(*) FROM (SELECT * FROM "_s + table + u' ' + tail + u") AS pediakay_rows WHERE "_s
                + filter;
        for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
            if (sql.contains(it.key()))
                binds.insert(it.key(), it.value());
    } else {
        sql = u"SELECT count(*) FROM "_s + quoted(m_def->name) + whereSql(binds);
        // Asked apart: together they would make the engine walk the rows instead of
        // counting the smallest index and reading the key's last entry.
        if (highest) {
            QVariantMap maxBinds;
            QSqlQuery m(db());
            m.setForwardOnly(true);
            Statement::prepare(
                m, u"SELECT max("_s + keyColumnSql() + u") FROM "_s + quoted(m_def->name) + whereSql(maxBinds));
            for (auto it = maxBinds.cbegin(); it != maxBinds.cend(); ++it)
                m.bindValue(it.key(), it.value());
            exec(m);
            *highest = m.next() && !m.value(0).isNull() ? m.value(0).toLongLong() : -1;
        }
    }
    QSqlQuery q(db());
    q.setForwardOnly(true);
    Statement::prepare(q, sql);
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    exec(q);
    return q.next() ? q.value(0).toInt() : 0;
}

bool DataSet::allKeysRead() const
{
    return m_keys.complete();
}

int DataSet::keysRead() const
{
    return m_keys.keysRead();
}

bool DataSet::usingHookFilter() const
{
    return m_filtered && bool(OnFilterRecord);
}

// Keeps the keys OnFilterRecord accepts. Over a table only the columns the hook reads are
// fetched (see HookFilter).
void DataSet::applyHookFilter(QVector<qint64>& keys)
{
    if (keys.isEmpty())
        return;
    const auto decide = [this] {
        bool accept = true;
        OnFilterRecord(*this, accept);
        return accept;
    };
    const auto fullRow = [this](qint64 key) { return rowForKey(key, false); };
    if (m_genericQuery) {
        keys = m_hookFilter.filterRows(keys, fullRow, decide);
        return;
    }
    const auto stream = [this](const QVector<int>& columns) {
        QStringList names;
        for (int c : columns)
            names.append(quoted(m_def->fields.at(c).name));
        return selectMembers(names);
    };
    keys = m_hookFilter.filterStreaming(keys, int(m_def->fields.size()), fullRow, stream, decide);
}

// --- rows -------------------------------------------------------------------------------

int DataSet::cachedRowCount() const
{
    return m_rows.size();
}

// The row at a list position with the given column read (-1: every column).
const DataSet::Row* DataSet::rowAt(int position, int column, bool withBlobs) const
{
    if (m_genericQuery)
        return position < 0 || position >= m_keys.size() ? nullptr : rowForKey(m_keys.at(position), withBlobs);
    return m_rows.rowAt(position, column, withBlobs);
}

// The rows of a run of the list by the range of its order they lie in (see RowCache). A static
// list keeps the snapshot it read by keys, and a list a hook filters or a statement the keyset
// reader does not understand has no such range: their rows are read by key.
std::optional<QSqlQuery> DataSet::readRowRange(const QString& columns, qint64 first, qint64 last, int count) const
{
    if (m_static || usingHookFilter())
        return std::nullopt;
    const std::optional<KeysetQuery> keyset = keysetQuery();
    if (!keyset)
        return std::nullopt;
    if (keyset->keyOrdered())
        return keyset->rowsBetween(db(), columns, std::min(first, last), std::max(first, last));
    const std::optional<QVariantList> anchor = anchorFor(*keyset, first);
    if (!anchor)
        return std::nullopt;
    return keyset->rowsFrom(db(), columns, *anchor, count);
}

int DataSet::rowsReadByKey() const
{
    return m_rows.rowsReadByKey();
}

// The complete row of a key (every column but pictures unless asked for).
const DataSet::Row* DataSet::rowForKey(qint64 key, bool withBlobs) const
{
    if (m_genericQuery)
        return key >= 0 && key < m_genericRows.size() ? &m_genericRows.at(int(key)) : nullptr;
    return m_rows.rowForKey(key, withBlobs);
}

int DataSet::rowCount() const
{
    if (!Active())
        return 0;
    return int(m_keys.size()) + (m_state == dsInsert ? 1 : 0);
}

int DataSet::currentRow() const
{
    return Active() ? pos() : -1;
}

qint64 DataSet::keyAt(int row) const
{
    if (row < 0 || row >= m_keys.size())
        return -1;
    return m_keys.at(row);
}

qint64 DataSet::currentKey() const
{
    if (m_state == dsInsert)
        return -1;
    if (m_unplacedKey >= 0)
        return m_unplacedKey;
    return keyAt(m_pos);
}

QVariant DataSet::rawValueAt(int row, int fieldIndex) const
{
    if (!Active() || fieldIndex < 0 || fieldIndex >= m_fields.size())
        return {};
    const Field* f = m_fields.at(fieldIndex);
    if (f->kind() == FieldKind::fkCalculated)
        return row >= 0 && row < m_keys.size() ? f->calculatedAt(row) : QVariant();
    if ((m_state == dsEdit || m_state == dsInsert) && row == pos())
        return fieldValue(f);
    if (row < 0 || row >= m_keys.size())
        return {};
    if (f->kind() == FieldKind::fkLookup) {
        const Field* key = FindField(f->KeyFields);
        if (!key || !f->LookupDataSet)
            return {};
        return f->LookupDataSet->lookupValue(f->LookupKeyFields, rawValueAt(row, key->index()), f->LookupResultField);
    }
    const Row* r = rowAt(row, fieldIndex, f->DataType() == FieldType::Blob);
    return r ? r->values.value(fieldIndex) : QVariant();
}

bool DataSet::hasBlobAt(int row, int fieldIndex) const
{
    if (!Active() || fieldIndex < 0 || fieldIndex >= m_fields.size())
        return false;
    const int b = int(m_rows.blobColumns().indexOf(fieldIndex));
    const bool editing = (m_state == dsEdit || m_state == dsInsert) && row == pos();
    if (b < 0 || m_genericQuery || editing)
        return holdsBytes(rawValueAt(row, fieldIndex));
    const Row* r = rowAt(row, fieldIndex, false);
    if (!r)
        return false;
    if (r->blobsPresent.size() != m_rows.blobColumns().size()) {
        // A row stored by this data set whose picture was never read: read it now.
        r = rowAt(row, fieldIndex, true);
        if (!r)
            return false;
    }
    return r->blobsLoaded ? holdsBytes(r->values.value(fieldIndex)) : r->blobsPresent.testBit(b);
}

QVariant DataSet::fieldValue(const Field* field) const
{
    if (field->kind() == FieldKind::fkCalculated)
        return m_hookFilter.running() || !Active() ? QVariant() : field->calculatedAt(pos());
    if (m_hookFilter.running()) {
        if (field->kind() == FieldKind::fkLookup) {
            const Field* key = FindField(field->KeyFields);
            if (!key || !field->LookupDataSet)
                return {};
            return field->LookupDataSet->lookupValue(field->LookupKeyFields, fieldValue(key), field->LookupResultField);
        }
        return m_hookFilter.value(field->index());
    }
    if (!Active())
        return {};
    if (field->kind() == FieldKind::fkLookup) {
        const Field* key = FindField(field->KeyFields);
        if (!key || !field->LookupDataSet)
            return {};
        return field->LookupDataSet->lookupValue(field->LookupKeyFields, fieldValue(key), field->LookupResultField);
    }
    const int i = field->index();
    if (m_state == dsEdit || m_state == dsInsert) {
        if (m_state == dsEdit && field->DataType() == FieldType::Blob && !m_edit.changed(i)) {
            const Row* r = rowForKey(currentKey(), true);
            return r ? r->values.value(i) : QVariant();
        }
        return m_edit.value(i);
    }
    // A record found by key is read by key until its position is asked for.
    const bool blob = field->DataType() == FieldType::Blob;
    const Row* r = m_unplacedKey >= 0 ? rowForKey(m_unplacedKey, blob) : rowAt(m_pos, i, blob);
    return r ? r->values.value(i) : QVariant();
}

QVariant DataSet::lookupValue(const QString& keyField, const QVariant& keyValue, const QString& resultField) const
{
    if (!Active() || isNullValue(keyValue))
        return {};
    const Field* key = FindField(keyField);
    const Field* result = FindField(resultField);
    if (!key || !result)
        return {};
    const QString wanted = keyValue.toString();
    for (int row = 0; row < m_keys.size(); ++row) {
        const QVariant v = rawValueAt(row, key->index());
        if (!isNullValue(v) && v.toString() == wanted)
            return rawValueAt(row, result->index());
    }
    return {};
}

// --- notices ----------------------------------------------------------------------------

void DataSet::notifyReset()
{
    if (m_disableCount > 0) {
        m_pendingNotify = true;
        return;
    }
    Q_EMIT dataReset();
}

void DataSet::notifyCurrent()
{
    if (m_disableCount > 0) {
        m_pendingNotify = true;
        return;
    }
    Q_EMIT currentChanged();
}

void DataSet::DisableControls()
{
    ++m_disableCount;
}

void DataSet::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount > 0)
        return;
    if (m_pendingNotify) {
        m_pendingNotify = false;
        Q_EMIT dataReset();
        Q_EMIT currentChanged();
    }
    if (m_detailStale) {
        m_detailStale = false;
        for (DataSource* source : std::as_const(m_sources))
            for (DataSet* detail : source->details())
                detail->masterMoved(false);
    }
}

bool DataSet::ControlsDisabled() const
{
    return m_disableCount > 0;
}

void DataSet::setState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

// --- moving -----------------------------------------------------------------------------

// Before the cursor leaves the current record: the pending change is completed, here and in
// every detail that follows this data set.
void DataSet::beforeMove()
{
    completePending();
    for (DataSource* source : std::as_const(m_sources))
        for (DataSet* detail : source->details())
            detail->masterAboutToMove();
}

void DataSet::afterMove()
{
    notifyCurrent();
    if (m_disableCount > 0) {
        m_detailStale = true;
        return;
    }
    for (DataSource* source : std::as_const(m_sources))
        for (DataSet* detail : source->details())
            detail->masterMoved(false);
}

void DataSet::masterAboutToMove()
{
    if (Active())
        beforeMove();
}

void DataSet::masterMoved(bool force)
{
    if (!Active())
        return;
    const QVariant value = masterValue();
    if (!force && value == m_linkValue && m_linkValue.isValid())
        return;
    completePending();
    m_linkValue = value;
    m_rows.clear();
    readKeys();
    m_unplacedKey = -1;
    m_pos = m_keys.isEmpty() ? -1 : 0;
    m_eof = m_keys.isEmpty();
    notifyReset();
    afterMove();
}

void DataSet::completePending()
{
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    UpdateRecord(); // text still being typed in a bound control counts as a change
    if (m_state != dsEdit && m_state != dsInsert)
        return;
    if (m_modified)
        Post();
    else
        Cancel();
}

void DataSet::moveTo(int position)
{
    checkActive();
    beforeMove();
    if (m_keys.isEmpty()) {
        m_unplacedKey = -1;
        m_pos = -1;
        m_eof = true;
        afterMove();
        return;
    }
    const int clamped = std::clamp(position, 0, int(m_keys.size()) - 1);
    // The page holding the record is read before the list moves: when that read fails, the
    // list stays where it was.
    const qint64 key = m_keys.at(clamped);
    const bool moved = m_unplacedKey >= 0 ? key != m_unplacedKey : clamped != m_pos;
    m_unplacedKey = -1;
    m_pos = clamped;
    if (moved)
        afterMove();
}

void DataSet::First()
{
    moveTo(0);
    m_eof = m_keys.isEmpty();
}

void DataSet::Last()
{
    checkActive();
    catchUp();
    moveTo(int(m_keys.size()) - 1);
    m_eof = true;
}

void DataSet::Next()
{
    checkActive();
    if (m_state == dsInsert) {
        completePending();
        m_eof = true;
        return;
    }
    if (pos() + 1 >= m_keys.size() && !(catchUp() && pos() + 1 < m_keys.size())) {
        completePending();
        m_eof = true;
        return;
    }
    moveTo(pos() + 1);
    m_eof = false;
}

void DataSet::Prior()
{
    checkActive();
    if (pos() <= 0) {
        completePending();
        return;
    }
    moveTo(pos() - 1);
    m_eof = false;
}

bool DataSet::Eof() const
{
    return !Active() || m_keys.isEmpty() || m_eof;
}

int DataSet::RecNo() const
{
    if (!Active())
        return 0;
    if (m_state == dsInsert)
        return int(m_keys.size()) + 1;
    return pos() + 1;
}

void DataSet::setRecNo(int recNo)
{
    checkActive();
    if (recNo == RecNo() && m_state != dsInsert)
        return;
    moveTo(recNo - 1);
    m_eof = false;
}

int DataSet::RecordCount() const
{
    if (!Active())
        return 0;
    return usingHookFilter() ? m_countBeforeHook : int(m_keys.size());
}

bool DataSet::IsEmpty() const
{
    return !Active() || (m_keys.isEmpty() && m_state != dsInsert);
}

int DataSet::positionOfKey(qint64 key) const
{
    return int(m_keys.indexOf(key));
}

RecordFinder DataSet::finder() const
{
    return RecordFinder(db(), m_keys);
}

// The first hit of a Locate condition in a list whose keys are read whole, with the master link
// and the filter of a table added to it. nullopt when no record meets the condition.
std::optional<int> DataSet::firstListedMatch(QString where, QVariantMap binds, bool keyOrder) const
{
    if (!isQuery()) {
        const QString linkAndFilter = whereSql(binds);
        if (!linkAndFilter.isEmpty())
            where += u" AND "_s + linkAndFilter.mid(QStringLiteral(" WHERE ").size());
    }
    return finder().firstListedMatch(quoted(m_def->name), keyColumnSql(), where, binds, keyOrder);
}

bool DataSet::Locate(const QString& fieldName, const QVariant& value, TLocateOptions options)
{
    return Locate(fieldName, QVariantList { value }, options);
}

// Finds the first record, in the data set's order, whose fields equal the values; letter case
// never matters (Turkish folding), and with loPartialKey the last field need only begin with
// its value. The search runs in SQL on the fold indexes; the hit is then placed in the list.
bool DataSet::Locate(const QString& fieldNames, const QVariantList& values, TLocateOptions options)
{
    checkActive();
    const QStringList names = splitNames(fieldNames);
    if (names.isEmpty() || names.size() != values.size())
        throw DataError(u"%1: arama alanları ile değerleri uyuşmuyor."_s.arg(m_name));
    const bool partial = options.testFlag(LocateOption::loPartialKey);
    const bool partialAll = partial && options.testFlag(LocateOption::loPartialAllFields);

    completePending();
    if (m_keys.isEmpty() && !catchUp())
        return false;

    int found = -1;
    if (m_genericQuery || m_static || m_keys.size() <= RowCache::pageSize) {
        // Small or fully read lists: compare in memory.
        QVector<const Field*> fields;
        for (const QString& n : names)
            fields.append(FieldByName(n));
        for (int row = 0; row < m_keys.size() && found < 0; ++row) {
            bool all = true;
            for (int i = 0; i < fields.size() && all; ++i) {
                const Field* f = fields.at(i);
                const bool last = i == fields.size() - 1 || partialAll;
                all = LocateMatch::matches(*f, rawValueAt(row, f->index()), values.at(i), partial && last);
            }
            if (all)
                found = row;
        }
    } else {
        QStringList conds;
        QVariantMap binds;
        for (int i = 0; i < names.size(); ++i) {
            const Field* f = FieldByName(names.at(i));
            if (!f->isStored())
                throw DataError(u"%1: hesaplanan alanda arama yapılamaz: %2"_s.arg(m_name, f->FieldName()));
            const bool last = i == names.size() - 1 || partialAll;
            if (!LocateMatch::condition(*f, values.at(i), partial && last, u":l%1"_s.arg(i), conds, binds))
                return false;
        }
        // A table read in key order without a hook filter: the first hit in key order is the one.
        const bool keyOrder = !isQuery() && m_indexFieldNames.isEmpty() && !usingHookFilter()
            && (m_indexName.isEmpty() || m_def->primaryKey == QStringList { m_def->keyField });
        const QString where = conds.isEmpty() ? u"1 = 1"_s : conds.join(u" AND "_s);
        if (m_keys.paged()) {
            // The first hit in the list's order, placed by counting the records before it.
            const qint64 hit = firstPagedMatch(where, binds, false);
            if (hit < 0)
                return false;
            moveToKey(hit);
            m_eof = false;
            return true;
        } else {
            const std::optional<int> listed = firstListedMatch(where, binds, keyOrder);
            if (!listed)
                return false;
            found = *listed;
        }
    }
    if (found < 0) {
        // Not among the keys read: another copy may have stored it since.
        if (!m_catchingUp && catchUp()) {
            m_catchingUp = true;
            const auto done = qScopeGuard([this] { m_catchingUp = false; });
            return Locate(fieldNames, values, options);
        }
        return false;
    }
    if (found != pos())
        moveTo(found);
    m_eof = false;
    return true;
}

// A table's records that other copies of the program stored or deleted since its keys were
// read: when the table's count or highest key under the link and the filter differ from the
// list's, the keys are read again and the current record is kept. Queries are left alone: they
// show what they read until the screen opens them again.
bool DataSet::catchUp()
{
    if (!Active() || isQuery() || m_genericQuery || m_static || m_state != dsBrowse)
        return false;
    QVariantMap binds;
    const QString keyCol = keyColumnSql();
    QSqlQuery q(db());
    q.setForwardOnly(true);
    Statement::prepare(q, u"SELECT count(*), max("_s + keyCol + u") FROM "_s + quoted(m_def->name) + whereSql(binds));
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    exec(q);
    if (!q.next())
        return false;
    const int count = q.value(0).toInt();
    const qint64 highest = q.value(1).isNull() ? -1 : q.value(1).toLongLong();
    // Without a hook the list's own count follows what its pages found since it was counted.
    const int listed = usingHookFilter() ? m_countBeforeHook : int(m_keys.size());
    if (count == listed && (highest == m_knownMax || usingHookFilter()))
        return false;

    const qint64 key = currentKey();
    const bool unplaced = m_unplacedKey >= 0;
    const int oldPos = unplaced ? -1 : m_pos;
    readKeysKeepingCurrent();
    if (currentKey() != key || (!unplaced && m_pos != oldPos))
        afterMove();
    return true;
}

// --- editing ----------------------------------------------------------------------------

void DataSet::beginEditBuffer(const Row* row)
{
    m_edit.begin(int(m_fields.size()), row);
}

void DataSet::Append()
{
    checkActive();
    if (m_genericQuery)
        throw DataError(u"%1: bu sorgu yalnızca okunabilir."_s.arg(m_name));
    beforeMove();
    if (BeforeInsert)
        BeforeInsert(*this);
    beginEditBuffer(nullptr);
    if (m_masterSource) {
        const Field* link = FindField(splitNames(m_indexFieldNames).value(0));
        const QVariant v = masterValue();
        if (link && !isNullValue(v))
            m_edit.preset(link->index(), v);
    }
    m_posBeforeInsert = pos();
    m_unplacedKey = -1;
    m_pos = int(m_keys.size());
    m_modified = false;
    m_eof = true;
    setState(dsInsert);
    if (m_disableCount == 0)
        Q_EMIT rowInserted(m_pos);
    else
        m_pendingNotify = true;
    notifyCurrent();
}

void DataSet::Edit()
{
    checkActive();
    if (m_state == dsEdit || m_state == dsInsert)
        return;
    if (m_genericQuery)
        throw DataError(u"%1: bu sorgu yalnızca okunabilir."_s.arg(m_name));
    if (m_keys.isEmpty()) {
        Append();
        return;
    }
    pos(); // a record found by key is placed before its values change
    const Row* row = rowForKey(currentKey(), false);
    if (!row)
        throw DataError(u"Kayıt bulunamadı; başka bir kullanıcı tarafından silinmiş olabilir."_s);
    beginEditBuffer(row);
    m_modified = false;
    m_staleRecord = false;
    setState(dsEdit);
}

void DataSet::setFieldValue(Field* field, const QVariant& value)
{
    checkActive();
    if (field->kind() == FieldKind::fkLookup) {
        // Choosing a lookup value sets the key field to the matching record's key value.
        Field* key = FieldByName(field->KeyFields);
        QVariant keyValue;
        if (field->LookupDataSet && !isNullValue(value))
            keyValue = field->LookupDataSet->lookupValue(field->LookupResultField, value, field->LookupKeyFields);
        setFieldValue(key, keyValue);
        return;
    }
    if (field->ReadOnly)
        throw DataError(u"'%1' alanı değiştirilemez."_s.arg(field->FieldName()));
    if (m_state != dsEdit && m_state != dsInsert)
        throw DataError(u"Dataset not in edit or insert mode"_s);
    const int i = field->index();
    const QVariant v = EditBuffer::normalized(value);
    if (m_state == dsEdit && field->DataType() == FieldType::Blob && !m_edit.changed(i)) {
        const Row* r = rowForKey(currentKey(), true);
        if (r)
            m_edit.setOriginal(i, r->values.value(i));
    }
    m_edit.set(i, v);
    m_modified = true;
    if (m_disableCount == 0)
        Q_EMIT fieldChanged(i);
}

void DataSet::UpdateRecord()
{
    Q_EMIT updateRecordRequested();
}

void DataSet::Post()
{
    if (!Active() || (m_state != dsEdit && m_state != dsInsert))
        throw DataError(u"Dataset not in edit or insert mode"_s);
    if (m_inPost)
        return;
    m_inPost = true;
    struct Reset {
        bool& flag;
        ~Reset()
        {
            flag = false;
        }
    } reset { m_inPost };

    UpdateRecord();
    if (BeforePost) {
        BeforePost(*this);
        if (m_state != dsEdit && m_state != dsInsert)
            return; // the hook refused the record
    }
    writeRecord();
    if (AfterPost)
        AfterPost(*this);
}

// Writes the edit buffer in one transaction. An update only succeeds where every column it
// changes still holds the value that was read, so another copy's change is never overwritten.
void DataSet::writeRecord()
{
    QSqlDatabase& database = db();
    const bool inserting = m_state == dsInsert;

    // Validate everything first: nothing reaches the database unless all values are sound.
    const int storedCount = int(m_def->fields.size());
    EditBuffer::Write write = m_edit.prepare(m_fields, storedCount, inserting);
    const QStringList& cols = write.columns;
    const QVariantList& vals = write.values;
    QVector<QVariant>& stored = write.stored;
    const QString keyCol = keyColumnSql();

    if (!inserting && cols.isEmpty()) {
        m_modified = false;
        m_edit.clear();
        setState(dsBrowse);
        return;
    }

    if (ChangeLog::isHistory(*m_def))
        throw DataError(historyReadOnly());

    qint64 newKey = -1;
    try {
        RecordWriter writer(database);
        if (inserting) {
            newKey = writer.insert(quoted(m_def->name), cols, vals, keyCol);
        } else {
            const QVariantList originals = m_edit.originals(m_fields, storedCount);
            m_staleRecord = !writer.update(quoted(m_def->name), keyCol, currentKey(), cols, vals, originals);
            if (m_staleRecord)
                throw DataError(
                    u"Bu kayıt siz okuduktan sonra başka bir kullanıcı tarafından değiştirilmiş veya silinmiş. "
                    "Değişiklikleriniz kaydedilmedi; Vazgeç ile kaydın güncel hâlini görebilirsiniz."_s);
        }
        writeHistory(database, *m_def, inserting, inserting ? newKey : currentKey(), stored, m_edit);
        if (OnWrite) {
            const QVector<QVariant> before = inserting ? QVector<QVariant>() : m_edit.original();
            if (inserting && !m_def->keyField.isEmpty())
                stored[m_def->indexOf(m_def->keyField)] = newKey;
            const QVector<QVariant> saved = m_edit.values();
            m_edit.setValues(stored);
            try {
                OnWrite(*this, before);
            } catch (...) {
                m_edit.setValues(saved);
                throw;
            }
            m_edit.setValues(saved);
        }
        writer.commit();
    } catch (const DataError& e) {
        throwIfConnectionLost(e);
        throw;
    }

    // The record is stored: bring the list and the cache up to date.
    Row row = m_edit.savedRow(stored, storedCount, inserting, m_rows, currentKey());
    qint64 key = currentKey();
    if (!inserting)
        holdIfMoved(key);
    if (inserting) {
        key = newKey;
        if (!m_def->keyField.isEmpty())
            row.values[m_def->indexOf(m_def->keyField)] = newKey;
        m_keys.append(key);
        ++m_countBeforeHook;
        m_knownMax = std::max(m_knownMax, key);
        m_unplacedKey = -1;
        m_pos = int(m_keys.size()) - 1;
    }
    m_rows.store(key, row);
    m_modified = false;
    m_edit.clear();
    setState(dsBrowse);
    if (m_disableCount == 0)
        Q_EMIT rowUpdated(pos());
    else
        m_pendingNotify = true;
    notifyCurrent();
    // A stored record may carry a new link value (a new child's code): details follow it.
    if (m_disableCount == 0)
        for (DataSource* source : std::as_const(m_sources))
            for (DataSet* detail : source->details())
                detail->masterMoved(false);
}

// A list read by pages: a saved change to a column its order or condition uses may sort the
// record elsewhere in the table (or leave it out); it keeps its row until the list is read again,
// and every other record keeps its row too.
void DataSet::holdIfMoved(qint64 key)
{
    if (!m_keys.paged())
        return;
    const std::optional<KeysetQuery> keyset = keysetQuery();
    if (!keyset)
        return;
    for (int i = 0; i < m_def->fields.size(); ++i) {
        if (m_edit.changed(i) && keyset->mentions(m_fields.at(i)->FieldName())) {
            m_keys.hold(pos());
            m_anchors.remove(key);
            return;
        }
    }
}

void DataSet::Cancel()
{
    if (m_state == dsInsert) {
        const int row = pos();
        m_unplacedKey = -1;
        m_pos = m_posBeforeInsert >= 0 && m_posBeforeInsert < m_keys.size() ? m_posBeforeInsert
                                                                            : (m_keys.isEmpty() ? -1 : 0);
        m_modified = false;
        m_edit.clear();
        m_eof = m_keys.isEmpty();
        setState(dsBrowse);
        if (m_disableCount == 0)
            Q_EMIT rowRemoved(row);
        else
            m_pendingNotify = true;
        notifyCurrent();
        return;
    }
    if (m_state == dsEdit) {
        m_modified = false;
        m_edit.clear();
        setState(dsBrowse);
        if (m_staleRecord) {
            showStoredRecord();
            return;
        }
        if (m_disableCount == 0)
            Q_EMIT rowUpdated(pos());
        notifyCurrent();
    }
}

// After a save refused because another copy changed or deleted the record: the record is read
// again as it now stands, or leaves the list when it is gone.
void DataSet::showStoredRecord()
{
    m_staleRecord = false;
    const qint64 key = currentKey();
    m_rows.forget(key);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    Statement::prepare(q, u"SELECT 1 FROM "_s + quoted(m_def->name) + u" WHERE "_s + keyColumnSql() + u" = ?"_s);
    q.addBindValue(key);
    exec(q);
    if (q.next()) {
        if (m_disableCount == 0)
            Q_EMIT rowUpdated(pos());
        notifyCurrent();
        return;
    }
    dropCurrentRow();
}

// The current record is gone from the table: it leaves the list, the next one becomes current.
void DataSet::dropCurrentRow()
{
    const int row = pos();
    m_rows.forget(m_keys.at(row));
    m_keys.removeAt(row);
    --m_countBeforeHook;
    if (m_pos >= m_keys.size())
        m_pos = int(m_keys.size()) - 1;
    m_eof = m_keys.isEmpty();
    if (m_disableCount == 0)
        Q_EMIT rowRemoved(row);
    else
        m_pendingNotify = true;
    afterMove();
}

void DataSet::Delete()
{
    checkActive();
    if (m_state == dsInsert) {
        Cancel();
        return;
    }
    if (m_keys.isEmpty())
        throw DataError(u"Cannot perform this operation on an empty dataset"_s);
    if (m_genericQuery)
        throw DataError(u"%1: bu sorgu yalnızca okunabilir."_s.arg(m_name));
    if (ChangeLog::isHistory(*m_def))
        throw DataError(historyReadOnly());
    pos(); // placed while it is still stored
    const qint64 key = currentKey();
    const QString keyCol = keyColumnSql();
    try {
        // The record and its history row go together.
        RecordWriter writer(db());
        ChangeLog::writeDelete(db(), *m_def, key);
        QSqlQuery q(db());
        Statement::prepare(q, u"DELETE FROM "_s + quoted(m_def->name) + u" WHERE "_s + keyCol + u" = ?"_s);
        q.addBindValue(key);
        exec(q);
        writer.commit();
    } catch (const DataError& e) {
        throwIfConnectionLost(e);
        throw;
    }
    m_modified = false;
    m_edit.clear();
    setState(dsBrowse);
    dropCurrentRow();
}

void DataSet::Refresh()
{
    checkActive();
    beforeMove();
    m_rows.clear();
    readKeysKeepingCurrent();
    afterMove();
}

// Reads the list's keys again; the current record stays current where it is still listed,
// otherwise the one now at its place.
void DataSet::readKeysKeepingCurrent()
{
    const qint64 key = currentKey();
    const bool unplaced = m_unplacedKey >= 0;
    const int oldPos = unplaced ? m_pos : pos();
    readKeys();
    // A record found by key stays so while it is listed; its position is counted when asked.
    if (unplaced && m_keys.paged() && listed(key)) {
        m_unplacedKey = key;
        m_eof = false;
        notifyReset();
        return;
    }
    int pos = key >= 0 ? positionOfKey(key) : -1;
    if (pos < 0)
        pos = std::min(oldPos, int(m_keys.size()) - 1);
    m_unplacedKey = -1;
    m_pos = m_keys.isEmpty() ? -1 : std::max(pos, 0);
    m_eof = m_keys.isEmpty();
    notifyReset();
}

bool DataSet::Filtered() const
{
    return m_filtered;
}

void DataSet::setFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return;
    if (!Active()) {
        m_filtered = filtered;
        return;
    }
    beforeMove();
    m_filtered = filtered;
    m_rows.clear();
    try {
        readKeys();
    } catch (...) {
        m_filtered = !filtered;
        readKeys();
        m_unplacedKey = -1;
        m_pos = m_keys.isEmpty() ? -1 : 0;
        notifyReset();
        afterMove();
        throw;
    }
    m_unplacedKey = -1;
    m_pos = m_keys.isEmpty() ? -1 : 0;
    m_eof = m_keys.isEmpty();
    notifyReset();
    afterMove();
}

QString DataSet::Filter() const
{
    return m_filter;
}

void DataSet::setFilter(const QString& filter)
{
    if (m_filter == filter)
        return;
    m_filter = filter;
    if (Active() && m_filtered) {
        m_filtered = false;
        setFiltered(true);
    }
}

void DataSet::setCondition(const QString& sql, const QVariantMap& binds)
{
    if (m_condition == sql && m_conditionBinds == binds)
        return;
    m_condition = sql;
    m_conditionBinds = binds;
    if (Active() && m_filtered) {
        m_filtered = false;
        setFiltered(true);
    }
}

QString DataSet::condition() const
{
    return m_condition;
}

bool DataSet::locateNext(const QString& sql, const QVariantMap& binds)
{
    checkActive();
    if (m_genericQuery)
        throw DataError(u"%1: bu sorguda koşullu arama yapılamaz."_s.arg(m_name));
    if (m_keys.isEmpty())
        return false;
    if (m_keys.paged())
        return locateNextPaged(sql, binds);
    QSqlQuery q = selectMembers({}, sql, binds);
    QSet<qint64> hits;
    while (q.next())
        hits.insert(q.value(0).toLongLong());
    if (hits.isEmpty())
        return false;
    const int row = finder().nextListedRow(hits, m_state == dsInsert ? -1 : pos());
    if (row < 0)
        return false;
    if (row != pos()) {
        moveTo(row);
        m_eof = false;
    }
    return true;
}

// The first record meeting a condition in the list's order: after the current record when
// fromCurrent, else from the start; -1 when none does (see RecordFinder).
qint64 DataSet::firstPagedMatch(const QString& sql, const QVariantMap& binds, bool fromCurrent) const
{
    const std::optional<KeysetQuery> keyset = keysetQuery();
    if (!keyset)
        return -1;
    return finder().firstPagedMatch(
        *keyset, [&](qint64 key) { return anchorFor(*keyset, key); }, sql, binds, fromCurrent ? currentKey() : -1,
        [this] { return pos(); });
}

// Makes a record found in a list read by pages the current one, by its key: its position is
// counted only when something asks for it. A key above the highest one the list was counted
// with belongs to a record another copy stored since: the list is counted again first, so the
// record count includes it.
void DataSet::moveToKey(qint64 key)
{
    if (key > m_knownMax && !m_catchingUp) {
        m_catchingUp = true;
        const auto done = qScopeGuard([this] { m_catchingUp = false; });
        catchUp();
    }
    if (key == currentKey())
        return;
    beforeMove();
    m_unplacedKey = key;
    afterMove();
}

// The current position, counted now for a record found by key.
int DataSet::pos() const
{
    if (m_unplacedKey >= 0) {
        const qint64 key = m_unplacedKey;
        m_unplacedKey = -1;
        const int at = m_keys.indexOf(key);
        m_pos = at >= 0 ? at : std::min(std::max(m_pos, 0), int(m_keys.size()) - 1);
    }
    return m_pos;
}

bool DataSet::listed(qint64 key) const
{
    const std::optional<KeysetQuery> keyset = keysetQuery();
    return keyset && keyset->anchorOf(db(), key, true).has_value();
}

bool DataSet::locateNextPaged(const QString& sql, const QVariantMap& binds)
{
    const qint64 hit = firstPagedMatch(sql, binds, true);
    if (hit < 0)
        return false;
    if (hit != currentKey()) {
        moveToKey(hit);
        m_eof = false;
    }
    return true;
}
