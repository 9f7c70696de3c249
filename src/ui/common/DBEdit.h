#pragma once

#include "DataAwareEdit.h"

#include <QLineEdit>
#include <QString>

class EditMask;
class Field;

// A single-line box bound to one field. While it has the focus it shows the field's edit text
// through the field's EditMask; otherwise the display text. The first typed character puts the
// data set into editing; the text is written into the field when the box is left and when the
// data set stores the record.
class DBEdit final : public DataAwareEdit<QLineEdit>
{
    Q_OBJECT

public:
    explicit DBEdit(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    EditMask mask() const;
    void showValue() override;
    void updateLock() override;
    void writeValue() override;
    void leave() override;
    void present(bool forEditing);
    QString editValue(const Field* field, const EditMask& mask) const;
    QString displayValue(const Field* field, const EditMask& mask) const;
    bool isEditingKey(const QKeyEvent* event) const;

    bool m_editPresentation = false;
};
