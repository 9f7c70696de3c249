#pragma once

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class DataSet;
class DataSource;
class Field;

// The tie between one data-aware control and one field of a data source's data set: follows
// the data set's notices, tells the control when to show the field again, puts the data set
// into editing when the user starts typing and asks the control for its value when the data
// set wants it (Post, UpdateRecord).
class FieldDataLink final : public QObject
{
    Q_OBJECT

public:
    explicit FieldDataLink(QObject* parent = nullptr);
    ~FieldDataLink() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString fieldName() const;
    void setFieldName(const QString& fieldName);

    DataSet* dataSet() const;
    Field* field() const; // nullptr when unbound or the data set has no such field

    // An open data set with the field.
    bool active() const;
    // The data set is in dsEdit or dsInsert.
    bool editing() const;
    // The user may change the field through the control.
    bool canModify() const;
    // The control's own lock, on top of the field's ReadOnly.
    bool controlReadOnly() const;
    void setControlReadOnly(bool readOnly);

    // Puts the data set into editing so that typing can change the field; an error box and
    // false when the data set refuses or the field cannot be changed.
    bool edit();

    // The control holds a value not yet written into the field.
    bool modified() const;
    void setModified(bool modified);

    // Writes the control's value into the field when it was changed; errors are shown in a
    // box and give false. For event handlers.
    bool updateRecord();
    // The same, letting the data layer's error through (for callers inside a data-set command).
    void writeNow();

    // Show the field's value again (the record, the field or the editing state changed).
    std::function<void()> showValue;
    // The editing state or the field's read-only flag may have changed.
    std::function<void()> editingChanged;
    // Put the control's value into the field. Runs only while the data set is editing; may
    // throw DataError.
    std::function<void()> writeValue;

private:
    void connectSource();
    void disconnectSource();
    void reload();
    void onFieldChanged(int fieldIndex);
    void onRowUpdated(int row);
    void onStateChanged();
    void onUpdateRecordRequested();

    QPointer<DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    QString m_fieldName;
    bool m_controlReadOnly = false;
    bool m_modified = false;
    bool m_writing = false; // our own write: the field notice does not reload the control
    bool m_starting = false; // our own Edit(): the state notice does not reload the control
};
