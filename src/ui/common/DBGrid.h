#pragma once

#include <QString>
#include <QStringList>
#include <QTableView>

class DataSet;
class DataSetModel;
class DataSource;
class Field;

// A grid over a data source: one row per record, one column per chosen field. The current
// row follows the data set's current record, and choosing a row moves the data set there
// (which stores or drops a pending change by the data set's own rule). Column widths come from
// the fields' DisplayWidth, in characters.
class DBGrid final : public QTableView
{
    Q_OBJECT

public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    DataSet* dataSet() const;
    DataSetModel* dataSetModel() const;

    // Field names shown as columns, in order (empty: every visible field).
    QStringList columns() const;
    void setColumns(const QStringList& fieldNames);
    void setColumnTitle(const QString& fieldName, const QString& title);
    int columnOf(const QString& fieldName) const;
    // Sets every column's width from its field's DisplayWidth (or a width fitting its type).
    void applyColumnWidths();

    // The current column and its field.
    int selectedIndex() const;
    Field* selectedField() const;

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followDataSet();
    void onModelReset();
    void onModelError(const QString& text);
    void onUpdateRecordRequested();
    void connectSource();
    int firstVisibleColumn() const;
    QStringList shownFieldNames() const;

    DataSetModel* m_model;
    QList<QMetaObject::Connection> m_connections;
    QStringList m_sizedColumns; // the columns the widths were last set for
    bool m_following = false; // the view is put on the data set's row
    bool m_moving = false; // the data set is moved to the view's row
    bool m_readOnly = false;
};
