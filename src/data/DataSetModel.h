#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

class DataSet;
class DataSource;
class Field;

// Shows the records of a data source's data set as a table: one row per visible record, one
// column per chosen field. Only the rows a view asks for are read, so it stays cheap over a
// large table. Editing a cell moves the data set to that record, puts it into editing and sets
// the field; the data set's own rules store the record when the cursor leaves it.
class DataSetModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetModel(QObject* parent = nullptr);
    explicit DataSetModel(DataSource* source, QObject* parent = nullptr);
    ~DataSetModel() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    DataSet* dataSet() const;

    // Field names shown as columns, in order; empty means every visible field. Names the data
    // set does not know are left out.
    QStringList columns() const;
    void setColumns(const QStringList& fieldNames);
    // A column title other than the field's DisplayLabel (empty restores it).
    void setColumnTitle(const QString& fieldName, const QString& title);

    Field* fieldAt(int column) const;
    int columnOf(const QString& fieldName) const; // -1 when not shown

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    // For a lookup column: the result values of the lookup data set's records, in its order.
    QStringList lookupChoices(int column) const;

    // Puts the data set into editing on the index's record, as typing into its cell does.
    // False, with error(), when the data set refuses.
    bool edit(const QModelIndex& index);

    // Text of the last refused edit (empty when the last edit succeeded).
    QString lastError() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // An edit was refused; the text is the data layer's or the engine's.
    void error(const QString& text);

private:
    void connectSource();
    void disconnectSource();
    void resolveColumns();
    int dataSetRowCount() const;
    int dataSetRow(int modelRow) const;
    bool isEditingRow(int row) const;
    void emitRowChanged(int row);
    void writeLookup(Field* field, const QString& text);
    void writeCell(int row, Field* field, const QVariant& value);

    void onDataReset();
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowUpdated(int row);
    void onFieldChanged(int fieldIndex);
    void onCurrentChanged();
    void onStateChanged();

    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    QStringList m_columnNames;
    QHash<QString, QString> m_titles; // lower-case field name -> title
    QVector<int> m_fieldIndexes; // index into the data set's field list, per column
    int m_rowCount = 0; // rows as the views know them
    int m_currentRow = -1; // the data set's current row when last told
    // The data set has already gained or lost this row while the views are being told.
    int m_insertingRow = -1;
    int m_removingRow = -1;
    bool m_readOnly = false;
    QString m_lastError;
};
