#include "DBGrid.h"

#include "CommandGuard.h"
#include "DBGridDelegate.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "Field.h"
#include "Messages.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScopedValueRollback>

namespace {

// Width in characters of a column whose field gives none.
int defaultChars(const Field* field)
{
    switch (field->DataType()) {
    case FieldType::WideString:
        return field->Size() > 0 ? field->Size() : 20;
    case FieldType::Smallint:
        return 6;
    case FieldType::DateTime:
        return 18;
    case FieldType::Memo:
        return 20;
    default:
        return 10;
    }
}

constexpr QAbstractItemView::EditTriggers editingTriggers
    = QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;

} // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new DataSetModel(this))
{
    setModel(m_model);
    setItemDelegate(new DBGridDelegate(m_model, this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(editingTriggers);
    setTabKeyNavigation(true);
    connect(m_model, &DataSetModel::error, this, &DBGrid::onModelError);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::onModelReset);
}

DBGrid::~DBGrid()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
}

DataSource* DBGrid::dataSource() const
{
    return m_model->dataSource();
}

void DBGrid::setDataSource(DataSource* source)
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    // The model hears the data source first, so the rows are there when the grid follows.
    m_model->setDataSource(source);
    connectSource();
    followDataSet();
}

DataSet* DBGrid::dataSet() const
{
    return m_model->dataSet();
}

DataSetModel* DBGrid::dataSetModel() const
{
    return m_model;
}

QStringList DBGrid::columns() const
{
    return m_model->columns();
}

void DBGrid::setColumns(const QStringList& fieldNames)
{
    m_model->setColumns(fieldNames);
}

void DBGrid::setColumnTitle(const QString& fieldName, const QString& title)
{
    m_model->setColumnTitle(fieldName, title);
}

int DBGrid::columnOf(const QString& fieldName) const
{
    return m_model->columnOf(fieldName);
}

void DBGrid::applyColumnWidths()
{
    const QFontMetrics metrics(font());
    const QFontMetrics headerMetrics(horizontalHeader()->font());
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    const int padding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 6;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const Field* field = m_model->fieldAt(column);
        if (!field)
            continue;
        const int chars = field->DisplayWidth > 0 ? field->DisplayWidth : defaultChars(field);
        const QString title = m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width = qMax(chars * digit, headerMetrics.horizontalAdvance(title)) + padding;
        setColumnWidth(column, width);
    }
    m_sizedColumns = shownFieldNames();
}

int DBGrid::selectedIndex() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

Field* DBGrid::selectedField() const
{
    return m_model->fieldAt(selectedIndex());
}

bool DBGrid::isReadOnly() const
{
    return m_readOnly;
}

void DBGrid::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_model->setReadOnly(readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : editingTriggers);
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The base class commits a cell still being edited before the row changes.
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid())
        return;
    DataSet* ds = dataSet();
    if (!ds || !ds->Active() || ds->currentRow() == current.row())
        return;
    bool moved = false;
    {
        const QScopedValueRollback<bool> moving(m_moving, true);
        const int recNo = current.row() + 1;
        moved = CommandGuard::run([ds, recNo] { ds->setRecNo(recNo); });
    }
    // Refused (a hook said no, the record could not be stored) or the rows changed on the way:
    // show the data set's record, once the view has finished its own change.
    if (!moved || ds->currentRow() != current.row())
        QMetaObject::invokeMethod(this, &DBGrid::followDataSet, Qt::QueuedConnection);
}

void DBGrid::followDataSet()
{
    if (m_moving)
        return;
    const DataSet* ds = dataSet();
    const int row = ds && ds->Active() ? ds->currentRow() : -1;
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    const int column = current.isValid() ? current.column() : firstVisibleColumn();
    if (column < 0)
        return;
    const QScopedValueRollback<bool> following(m_following, true);
    const QModelIndex target = m_model->index(row, column);
    setCurrentIndex(target);
    scrollTo(target);
}

void DBGrid::onModelReset()
{
    if (shownFieldNames() != m_sizedColumns)
        applyColumnWidths();
    followDataSet();
}

void DBGrid::onModelError(const QString& text)
{
    Messages::error(text);
}

void DBGrid::onUpdateRecordRequested()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // The cell editor is the focused widget inside the grid's viewport.
    QWidget* editor = QApplication::focusWidget();
    while (editor && editor->parentWidget() != viewport())
        editor = editor->parentWidget();
    if (editor)
        commitData(editor);
}

void DBGrid::connectSource()
{
    DataSource* source = m_model->dataSource();
    if (!source)
        return;
    m_connections = {
        connect(source, &DataSource::currentChanged, this, &DBGrid::followDataSet),
        connect(source, &DataSource::stateChanged, this, &DBGrid::followDataSet),
        connect(source, &DataSource::rowInserted, this, &DBGrid::followDataSet),
        connect(source, &DataSource::updateRecordRequested, this, &DBGrid::onUpdateRecordRequested),
    };
}

int DBGrid::firstVisibleColumn() const
{
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (!isColumnHidden(column))
            return column;
    }
    return -1;
}

QStringList DBGrid::shownFieldNames() const
{
    QStringList names;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (const Field* field = m_model->fieldAt(column))
            names.append(field->FieldName());
    }
    return names;
}
