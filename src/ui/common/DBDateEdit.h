#pragma once

#include <QDateTimeEdit>
#include <QString>

class DataSource;
class Field;
class FieldDataLink;

// A date (and time) box bound to a DateTime field. A null value shows as an empty box; typing
// into an empty box starts from today's date. Delete with the whole text selected empties it.
class DBDateEdit final : public QDateTimeEdit
{
    Q_OBJECT

public:
    explicit DBDateEdit(QWidget* parent = nullptr);
    ~DBDateEdit() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    Field* field() const;

    // The box shows no date.
    bool isNull() const;

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    bool isModified() const;
    bool updateRecord();

    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showValue();
    void updateLock();
    void writeValue();
    void onDateTimeChanged();
    void startFromToday();

    FieldDataLink* m_link;
    bool m_loading = false;
};
