#pragma once

#include "DataAwareEdit.h"

#include <QComboBox>
#include <QStringList>

// An editable combo box bound to one text field: the value is the text, chosen from a fixed
// list of items or typed. Choosing an item writes it into the field at once; typed text is
// written when the box is left and when the record is stored.
class DBComboBox final : public DataAwareEdit<QComboBox>
{
    Q_OBJECT

public:
    explicit DBComboBox(QWidget* parent = nullptr);

    // Replaces the list of items; the shown value stays.
    void setItems(const QStringList& items);
    QStringList items() const;

    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void showValue() override;
    void updateLock() override;
    void writeValue() override;
    void onActivated();
};
