#pragma once

#include <QLineEdit>
#include <QString>

class DataSource;
class EditMask;
class Field;
class FieldDataLink;

// A single-line box bound to one field. While it has the focus it shows the field's edit text
// through the field's EditMask; otherwise the display text. The first typed character puts the
// data set into editing; the text is written into the field when the box is left and when the
// data set stores the record.
class DBEdit final : public QLineEdit
{
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    Field* field() const;

    // The box's own lock; a read-only field locks it as well. (Use these rather than
    // QLineEdit's, which the binding overrides.)
    bool isReadOnly() const;
    void setReadOnly(bool readOnly);

    // The typed text is not yet in the field.
    bool isModified() const;
    // Writes typed text into the field now; an error box and false when the field refuses it.
    bool updateRecord();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    EditMask mask() const;
    void showValue();
    void updateLock();
    void writeValue();
    void onTextEdited();
    void present(bool forEditing);
    QString editValue(const Field* field, const EditMask& mask) const;
    QString displayValue(const Field* field, const EditMask& mask) const;
    bool isEditingKey(const QKeyEvent* event) const;

    FieldDataLink* m_link;
    bool m_loading = false;
    bool m_editPresentation = false;
};
