#pragma once

#include <QPlainTextEdit>
#include <QString>

class DataSource;
class Field;
class FieldDataLink;

// A multi-line box bound to one (Memo or text) field. Typing puts the data set into editing;
// the text is written into the field when the box is left and when the record is stored.
class DBMemo final : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DBMemo(QWidget* parent = nullptr);
    ~DBMemo() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    Field* field() const;

    // The box's own lock; a read-only field locks it as well.
    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    bool isModified() const;
    bool updateRecord();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void showValue();
    void updateLock();
    void writeValue();
    void onContentsChanged();

    FieldDataLink* m_link;
    bool m_loading = false;
};
