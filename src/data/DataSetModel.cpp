#include "DataSetModel.h"

#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

#include <exception>

namespace {

bool isNumeric(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Smallint:
    case FieldType::Float:
        return true;
    default:
        return false;
    }
}

QString errorText(const std::exception& e)
{
    if (const auto* dataError = dynamic_cast<const DataError*>(&e))
        return dataError->text();
    return QString::fromLocal8Bit(e.what());
}

} // namespace

DataSetModel::DataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
{ }

DataSetModel::DataSetModel(DataSource* source, QObject* parent)
    : QAbstractTableModel(parent)
{
    setDataSource(source);
}

DataSetModel::~DataSetModel()
{
    disconnectSource();
}

DataSource* DataSetModel::dataSource() const
{
    return m_source.data();
}

void DataSetModel::setDataSource(DataSource* source)
{
    if (source == m_source)
        return;
    beginResetModel();
    disconnectSource();
    m_source = source;
    connectSource();
    resolveColumns();
    m_rowCount = dataSetRowCount();
    m_currentRow = dataSet() ? dataSet()->currentRow() : -1;
    endResetModel();
}

DataSet* DataSetModel::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

QStringList DataSetModel::columns() const
{
    return m_columnNames;
}

void DataSetModel::setColumns(const QStringList& fieldNames)
{
    beginResetModel();
    m_columnNames = fieldNames;
    resolveColumns();
    m_rowCount = dataSetRowCount();
    endResetModel();
}

void DataSetModel::setColumnTitle(const QString& fieldName, const QString& title)
{
    const QString key = fieldName.toLower();
    if (title.isEmpty())
        m_titles.remove(key);
    else
        m_titles.insert(key, title);
    const int column = columnOf(fieldName);
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

Field* DataSetModel::fieldAt(int column) const
{
    DataSet* ds = dataSet();
    if (!ds || column < 0 || column >= m_fieldIndexes.size())
        return nullptr;
    const int fieldIndex = m_fieldIndexes.at(column);
    const QList<Field*>& fields = ds->Fields();
    if (fieldIndex < 0 || fieldIndex >= fields.size())
        return nullptr;
    return fields.at(fieldIndex);
}

int DataSetModel::columnOf(const QString& fieldName) const
{
    for (int column = 0; column < m_fieldIndexes.size(); ++column) {
        const Field* field = fieldAt(column);
        if (field && field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

bool DataSetModel::isReadOnly() const
{
    return m_readOnly;
}

void DataSetModel::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

QStringList DataSetModel::lookupChoices(int column) const
{
    QStringList choices;
    const Field* field = fieldAt(column);
    if (!field || field->kind() != FieldKind::fkLookup || !field->LookupDataSet)
        return choices;
    DataSet* lookup = field->LookupDataSet;
    try {
        const Field* result = lookup->FindField(field->LookupResultField);
        if (!result || !lookup->Active())
            return choices;
        const int rows = lookup->rowCount();
        for (int row = 0; row < rows; ++row)
            choices.append(result->formatDisplay(lookup->rawValueAt(row, result->index())));
    } catch (const std::exception&) {
        // A list that cannot be read offers nothing to choose.
    }
    return choices;
}

bool DataSetModel::edit(const QModelIndex& index)
{
    if (!index.isValid() || index.model() != this || !(flags(index) & Qt::ItemIsEditable))
        return false;
    DataSet* ds = dataSet();
    const int row = dataSetRow(index.row());
    m_lastError.clear();
    try {
        if (ds->currentRow() != row)
            ds->setRecNo(row + 1);
        if (ds->currentRow() != row)
            return false;
        if (ds->State() == dsBrowse)
            ds->Edit();
    } catch (const std::exception& e) {
        m_lastError = errorText(e);
        emit error(m_lastError);
        return false;
    }
    return true;
}

QString DataSetModel::lastError() const
{
    return m_lastError;
}

int DataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_fieldIndexes.size());
}

QVariant DataSetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_rowCount)
        return {};
    const Field* field = fieldAt(index.column());
    if (!field)
        return {};

    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment alignment
            = isNumeric(field->DataType()) ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(static_cast<int>(alignment));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};

    DataSet* ds = dataSet();
    const int row = dataSetRow(index.row());
    // Between a data set's change and its notice the view may still ask for a row that is gone.
    if (!ds || row < 0 || row >= dataSetRowCount())
        return {};
    try {
        if (isEditingRow(row))
            return role == Qt::EditRole ? field->EditText() : field->DisplayText();
        // Pictures are read only for the record that shows them, never for a grid cell.
        if (field->DataType() == FieldType::Blob)
            return field->formatDisplay(QVariant());
        QVariant raw;
        if (field->kind() == FieldKind::fkLookup) {
            const Field* key = ds->FindField(field->KeyFields);
            if (key && field->LookupDataSet)
                raw = field->LookupDataSet->lookupValue(
                    field->LookupKeyFields, ds->rawValueAt(row, key->index()), field->LookupResultField);
        } else {
            raw = ds->rawValueAt(row, field->index());
        }
        return role == Qt::EditRole ? field->formatEdit(raw) : field->formatDisplay(raw);
    } catch (const std::exception&) {
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const Field* field = fieldAt(section);
    if (!field)
        return {};
    const auto title = m_titles.constFind(field->FieldName().toLower());
    if (title != m_titles.constEnd())
        return *title;
    return field->DisplayLabel.isEmpty() ? field->FieldName() : field->DisplayLabel;
}

bool DataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.model() != this || index.row() >= m_rowCount)
        return false;
    if (!(flags(index) & Qt::ItemIsEditable))
        return false;
    Field* field = fieldAt(index.column());
    if (!field)
        return false;

    m_lastError.clear();
    // Committing an editor whose text was not changed must not start an edit: leaving the row
    // would then store the record and run its hooks for nothing.
    if (value.toString() == data(index, Qt::EditRole).toString())
        return true;
    try {
        writeCell(index.row(), field, value);
    } catch (const std::exception& e) {
        m_lastError = errorText(e);
        emit error(m_lastError);
        return false;
    }
    emitRowChanged(index.row());
    return true;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const Field* field = fieldAt(index.column());
    if (!field || m_readOnly || field->ReadOnly)
        return result;
    if (field->DataType() == FieldType::AutoInc || field->DataType() == FieldType::Blob)
        return result;
    if (field->kind() == FieldKind::fkLookup) {
        const DataSet* ds = dataSet();
        const Field* key = ds ? ds->FindField(field->KeyFields) : nullptr;
        if (!key || key->ReadOnly || !field->LookupDataSet)
            return result;
    }
    return result | Qt::ItemIsEditable;
}

void DataSetModel::connectSource()
{
    if (!m_source)
        return;
    DataSource* source = m_source.data();
    m_connections = {
        connect(source, &DataSource::dataSetChanged, this, &DataSetModel::onDataReset),
        connect(source, &DataSource::dataReset, this, &DataSetModel::onDataReset),
        connect(source, &DataSource::rowInserted, this, &DataSetModel::onRowInserted),
        connect(source, &DataSource::rowRemoved, this, &DataSetModel::onRowRemoved),
        connect(source, &DataSource::rowUpdated, this, &DataSetModel::onRowUpdated),
        connect(source, &DataSource::fieldChanged, this, &DataSetModel::onFieldChanged),
        connect(source, &DataSource::currentChanged, this, &DataSetModel::onCurrentChanged),
        connect(source, &DataSource::stateChanged, this, &DataSetModel::onStateChanged),
    };
}

void DataSetModel::disconnectSource()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
}

void DataSetModel::resolveColumns()
{
    m_fieldIndexes.clear();
    const DataSet* ds = dataSet();
    if (!ds)
        return;
    if (m_columnNames.isEmpty()) {
        for (const Field* field : ds->Fields()) {
            if (field->Visible)
                m_fieldIndexes.append(field->index());
        }
        return;
    }
    for (const QString& name : std::as_const(m_columnNames)) {
        if (const Field* field = ds->FindField(name))
            m_fieldIndexes.append(field->index());
    }
}

int DataSetModel::dataSetRow(int modelRow) const
{
    // While rows are announced the views still see the old rows, so theirs are mapped onto the
    // data set's new ones.
    if (m_insertingRow >= 0 && modelRow >= m_insertingRow)
        return modelRow + 1;
    if (m_removingRow >= 0) {
        if (modelRow == m_removingRow)
            return -1;
        if (modelRow > m_removingRow)
            return modelRow - 1;
    }
    return modelRow;
}

int DataSetModel::dataSetRowCount() const
{
    const DataSet* ds = dataSet();
    if (!ds || !ds->Active())
        return 0;
    return ds->rowCount();
}

bool DataSetModel::isEditingRow(int row) const
{
    const DataSet* ds = dataSet();
    if (!ds)
        return false;
    const TDataSetState state = ds->State();
    return (state == dsEdit || state == dsInsert) && ds->currentRow() == row;
}

void DataSetModel::emitRowChanged(int row)
{
    if (row < 0 || row >= m_rowCount || m_fieldIndexes.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void DataSetModel::writeLookup(Field* field, const QString& text)
{
    DataSet* ds = dataSet();
    Field* key = ds->FieldByName(field->KeyFields);
    if (text.isEmpty()) {
        key->Clear();
        return;
    }
    DataSet* lookup = field->LookupDataSet;
    const Field* result = lookup->FieldByName(field->LookupResultField);
    const Field* lookupKey = lookup->FieldByName(field->LookupKeyFields);
    const int rows = lookup->rowCount();
    for (int row = 0; row < rows; ++row) {
        if (result->formatDisplay(lookup->rawValueAt(row, result->index())) == text) {
            key->setValue(lookup->rawValueAt(row, lookupKey->index()));
            return;
        }
    }
    throw DataError(QStringLiteral("\"%1\" listedeki değerlerden biri değil.").arg(text));
}

void DataSetModel::writeCell(int row, Field* field, const QVariant& value)
{
    DataSet* ds = dataSet();
    if (ds->currentRow() != row)
        ds->setRecNo(row + 1);
    // Leaving the previous record may have removed rows (an untouched new record).
    if (ds->currentRow() != row)
        return;
    if (ds->State() == dsBrowse)
        ds->Edit();
    const QString text = value.toString();
    if (field->kind() == FieldKind::fkLookup)
        writeLookup(field, text);
    else
        field->setAsString(text);
}

void DataSetModel::onDataReset()
{
    beginResetModel();
    resolveColumns();
    m_rowCount = dataSetRowCount();
    m_currentRow = dataSet() ? dataSet()->currentRow() : -1;
    endResetModel();
}

void DataSetModel::onRowInserted(int row)
{
    const int count = dataSetRowCount();
    if (row < 0 || row > m_rowCount || count != m_rowCount + 1) {
        onDataReset();
        return;
    }
    m_insertingRow = row;
    beginInsertRows(QModelIndex(), row, row);
    m_insertingRow = -1;
    m_rowCount = count;
    if (m_currentRow >= row)
        ++m_currentRow;
    endInsertRows();
}

void DataSetModel::onRowRemoved(int row)
{
    const int count = dataSetRowCount();
    if (row < 0 || row >= m_rowCount || count != m_rowCount - 1) {
        onDataReset();
        return;
    }
    m_removingRow = row;
    beginRemoveRows(QModelIndex(), row, row);
    m_removingRow = -1;
    m_rowCount = count;
    if (m_currentRow == row)
        m_currentRow = -1;
    endRemoveRows();
}

void DataSetModel::onRowUpdated(int row)
{
    emitRowChanged(row);
}

void DataSetModel::onFieldChanged(int fieldIndex)
{
    Q_UNUSED(fieldIndex)
    // A lookup column follows its key field, so the whole row is repainted.
    if (const DataSet* ds = dataSet())
        emitRowChanged(ds->currentRow());
}

void DataSetModel::onCurrentChanged()
{
    const DataSet* ds = dataSet();
    const int previous = m_currentRow;
    m_currentRow = ds ? ds->currentRow() : -1;
    if (previous != m_currentRow)
        emitRowChanged(previous);
    emitRowChanged(m_currentRow);
}

void DataSetModel::onStateChanged()
{
    // Opening and closing change every row at once.
    const bool active = dataSet() && dataSet()->Active();
    if ((!active && m_rowCount > 0)
        || (active && m_rowCount == 0 && dataSetRowCount() > 0 && dataSet()->State() == dsBrowse)) {
        onDataReset();
        return;
    }
    // Starting an edit changes no value; repainting the row now would also reset a cell
    // editor the user is typing into. Cancel and Post show the stored values again.
    if (active && dataSet()->State() == dsEdit)
        return;
    onCurrentChanged();
}
