#pragma once

#include <QList>
#include <QObject>
#include <QString>

class DataSet;

// Names one data set for bound controls and master links, and forwards its notices.
// While the data set's controls are disabled the notices are held back; one reset follows
// when they are enabled again.
class DataSource final : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(const QString& name, DataSet* dataSet = nullptr, QObject* parent = nullptr);
    ~DataSource() override;

    QString name() const;
    DataSet* dataSet() const;
    void setDataSet(DataSet* dataSet);

    // Detail data sets linked to this source by a master link.
    void addDetail(DataSet* detail);
    void removeDetail(DataSet* detail);
    const QList<DataSet*>& details() const;

signals:
    void dataSetChanged();
    void stateChanged();
    void currentChanged();
    void fieldChanged(int fieldIndex);
    void dataReset();
    void rowInserted(int row);
    void rowRemoved(int row);
    void rowUpdated(int row);
    void updateRecordRequested();

private:
    QString m_name;
    DataSet* m_dataSet = nullptr;
    QList<DataSet*> m_details;
};
