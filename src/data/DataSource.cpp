#include "DataSource.h"

#include "DataSet.h"

DataSource::DataSource(const QString& name, DataSet* dataSet, QObject* parent)
    : QObject(parent)
    , m_name(name)
{
    setObjectName(name);
    setDataSet(dataSet);
}

DataSource::~DataSource()
{
    if (m_dataSet) {
        disconnect(m_dataSet, nullptr, this, nullptr);
        m_dataSet->detachSource(this);
    }
    const QList<DataSet*> details = m_details;
    for (DataSet* detail : details)
        detail->setMasterSource(nullptr);
}

QString DataSource::name() const
{
    return m_name;
}

DataSet* DataSource::dataSet() const
{
    return m_dataSet;
}

void DataSource::setDataSet(DataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet) {
        disconnect(m_dataSet, nullptr, this, nullptr);
        m_dataSet->detachSource(this);
    }
    m_dataSet = dataSet;
    if (m_dataSet) {
        m_dataSet->attachSource(this);
        connect(m_dataSet, &DataSet::stateChanged, this, &DataSource::stateChanged);
        connect(m_dataSet, &DataSet::currentChanged, this, &DataSource::currentChanged);
        connect(m_dataSet, &DataSet::fieldChanged, this, &DataSource::fieldChanged);
        connect(m_dataSet, &DataSet::dataReset, this, &DataSource::dataReset);
        connect(m_dataSet, &DataSet::rowInserted, this, &DataSource::rowInserted);
        connect(m_dataSet, &DataSet::rowRemoved, this, &DataSource::rowRemoved);
        connect(m_dataSet, &DataSet::rowUpdated, this, &DataSource::rowUpdated);
        connect(m_dataSet, &DataSet::updateRecordRequested, this, &DataSource::updateRecordRequested);
        connect(m_dataSet, &QObject::destroyed, this, [this] { m_dataSet = nullptr; });
    }
    Q_EMIT dataSetChanged();
    Q_EMIT dataReset();
    for (DataSet* detail : std::as_const(m_details))
        detail->masterMoved(true);
}

void DataSource::addDetail(DataSet* detail)
{
    if (!m_details.contains(detail))
        m_details.append(detail);
}

void DataSource::removeDetail(DataSet* detail)
{
    m_details.removeAll(detail);
}

const QList<DataSet*>& DataSource::details() const
{
    return m_details;
}
