#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

class DataSource;
class Field;
class FieldDataLink;

// An editable combo box bound to one text field: the value is the text, chosen from a fixed
// list of items or typed. Choosing an item writes it into the field at once; typed text is
// written when the box is left and when the record is stored.
class DBComboBox final : public QComboBox
{
    Q_OBJECT

public:
    explicit DBComboBox(QWidget* parent = nullptr);
    ~DBComboBox() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    Field* field() const;

    // Replaces the list of items; the shown value stays.
    void setItems(const QStringList& items);
    QStringList items() const;

    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    bool isModified() const;
    bool updateRecord();

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showValue();
    void updateLock();
    void writeValue();
    void onTextEdited();
    void onIndexChanged();
    void onActivated();

    FieldDataLink* m_link;
    bool m_loading = false;
};
