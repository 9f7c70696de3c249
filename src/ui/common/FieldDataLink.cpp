#include "FieldDataLink.h"

#include "CommandGuard.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"

#include <QScopedValueRollback>

FieldDataLink::FieldDataLink(QObject* parent)
    : QObject(parent)
{ }

FieldDataLink::~FieldDataLink()
{
    disconnectSource();
}

DataSource* FieldDataLink::dataSource() const
{
    return m_source.data();
}

void FieldDataLink::setDataSource(DataSource* source)
{
    if (source == m_source)
        return;
    disconnectSource();
    m_source = source;
    connectSource();
    reload();
}

QString FieldDataLink::fieldName() const
{
    return m_fieldName;
}

void FieldDataLink::setFieldName(const QString& fieldName)
{
    if (fieldName == m_fieldName)
        return;
    m_fieldName = fieldName;
    reload();
}

DataSet* FieldDataLink::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

Field* FieldDataLink::field() const
{
    const DataSet* ds = dataSet();
    if (!ds || m_fieldName.isEmpty())
        return nullptr;
    return ds->FindField(m_fieldName);
}

bool FieldDataLink::active() const
{
    const DataSet* ds = dataSet();
    return ds && ds->Active() && field();
}

bool FieldDataLink::editing() const
{
    const DataSet* ds = dataSet();
    return ds && (ds->State() == dsEdit || ds->State() == dsInsert);
}

bool FieldDataLink::canModify() const
{
    if (m_controlReadOnly || !active())
        return false;
    const Field* f = field();
    return !f->ReadOnly && f->kind() == FieldKind::fkData && f->DataType() != FieldType::AutoInc;
}

bool FieldDataLink::controlReadOnly() const
{
    return m_controlReadOnly;
}

void FieldDataLink::setControlReadOnly(bool readOnly)
{
    m_controlReadOnly = readOnly;
    if (editingChanged)
        editingChanged();
}

bool FieldDataLink::edit()
{
    if (!canModify())
        return false;
    if (editing())
        return true;
    DataSet* ds = dataSet();
    bool ok = false;
    {
        const QScopedValueRollback<bool> starting(m_starting, true);
        ok = CommandGuard::run([ds] { ds->Edit(); });
    }
    if (editingChanged)
        editingChanged();
    return ok && editing();
}

bool FieldDataLink::modified() const
{
    return m_modified;
}

void FieldDataLink::setModified(bool modified)
{
    m_modified = modified;
}

bool FieldDataLink::updateRecord()
{
    if (!m_modified)
        return true;
    return CommandGuard::run([this] { writeNow(); });
}

void FieldDataLink::writeNow()
{
    if (!m_modified || !writeValue || !active())
        return;
    DataSet* ds = dataSet();
    const QScopedValueRollback<bool> writing(m_writing, true);
    if (!editing()) {
        const QScopedValueRollback<bool> starting(m_starting, true);
        ds->Edit();
    }
    writeValue();
    m_modified = false;
}

void FieldDataLink::connectSource()
{
    if (!m_source)
        return;
    DataSource* source = m_source.data();
    m_connections = {
        connect(source, &DataSource::dataSetChanged, this, &FieldDataLink::reload),
        connect(source, &DataSource::dataReset, this, &FieldDataLink::reload),
        connect(source, &DataSource::currentChanged, this, &FieldDataLink::reload),
        connect(source, &DataSource::fieldChanged, this, &FieldDataLink::onFieldChanged),
        connect(source, &DataSource::rowUpdated, this, &FieldDataLink::onRowUpdated),
        connect(source, &DataSource::stateChanged, this, &FieldDataLink::onStateChanged),
        connect(source, &DataSource::updateRecordRequested, this, &FieldDataLink::onUpdateRecordRequested),
        connect(source, &QObject::destroyed, this, &FieldDataLink::reload),
    };
}

void FieldDataLink::disconnectSource()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
}

void FieldDataLink::reload()
{
    m_modified = false;
    if (showValue)
        showValue();
    if (editingChanged)
        editingChanged();
}

void FieldDataLink::onFieldChanged(int fieldIndex)
{
    if (m_writing)
        return;
    const Field* f = field();
    if (!f)
        return;
    // A lookup field follows its key field, which may be any other field.
    if (fieldIndex < 0 || fieldIndex == f->index() || f->kind() == FieldKind::fkLookup)
        reload();
}

void FieldDataLink::onRowUpdated(int row)
{
    const DataSet* ds = dataSet();
    if (!m_writing && ds && row == ds->currentRow())
        reload();
}

void FieldDataLink::onStateChanged()
{
    const DataSet* ds = dataSet();
    const TDataSetState state = ds ? ds->State() : dsInactive;
    // Post, Cancel, Close and a new record: the field's value is the one to show. Starting to
    // edit changes no value, so text being typed stays.
    if (!m_starting && state != dsEdit) {
        reload();
        return;
    }
    if (editingChanged)
        editingChanged();
}

void FieldDataLink::onUpdateRecordRequested()
{
    // Inside Post: an error here abandons the Post with the data layer's text.
    writeNow();
}
