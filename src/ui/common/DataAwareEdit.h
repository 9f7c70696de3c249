#pragma once

#include "DataAware.h"
#include "FieldDataLink.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>

// A data-aware control the user changes the field through. The first change puts the data set
// into editing (or is refused when it cannot be); the value is written into the field when the
// control is left and when the data set stores the record. The control is locked while the
// field cannot be changed.
template <class Widget> class DataAwareEdit : public DataAware<Widget>
{
public:
    // The control's own lock; a read-only field locks it as well. (Use these rather than the
    // widget's own, which the binding overrides.)
    bool isReadOnly() const
    {
        return this->link()->controlReadOnly();
    }

    void setReadOnly(bool readOnly)
    {
        this->link()->setControlReadOnly(readOnly);
    }

    // The value changed by the user is not yet in the field.
    bool isModified() const
    {
        return this->link()->modified();
    }

    // Writes the changed value into the field now; an error box and false when the field refuses it.
    bool updateRecord()
    {
        return this->link()->updateRecord();
    }

protected:
    explicit DataAwareEdit(QWidget* parent)
        : DataAware<Widget>(parent)
    {
        this->link()->editingChanged = [this] { updateLock(); };
        this->link()->writeValue = [this] { writeValue(); };
    }

    // Locks the widget unless the user may change the field.
    virtual void updateLock() = 0;
    // Puts the shown value into the field. Runs while the data set is editing; may throw DataError.
    virtual void writeValue() = 0;

    // The user has left the control: the changed value goes into the field.
    virtual void leave()
    {
        this->link()->updateRecord();
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        Widget::focusOutEvent(event);
        // A menu or another window taking the focus for a moment is not leaving the control.
        if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
            return;
        leave();
    }

    // Escape takes back what was changed since the field was last shown. True when it took the key.
    bool takeBack(QKeyEvent* event)
    {
        if (event->key() != Qt::Key_Escape || !this->link()->modified())
            return false;
        this->showValue();
        this->link()->setModified(false);
        event->accept();
        return true;
    }

    // A key or input that would change the value is swallowed when the data set cannot go into
    // editing. True when it was swallowed.
    bool refuseEditing(QEvent* event)
    {
        if (this->link()->edit())
            return false;
        event->accept();
        return true;
    }

    // The shown value changed: the change is noted, or the field's value comes back when the data
    // set cannot go into editing. Changes made while the field is shown are not the user's.
    void valueEdited()
    {
        if (m_loading)
            return;
        // The value can also change without a key press (the context menu's Paste, a drop).
        if (!this->link()->editing() && !this->link()->edit()) {
            this->showValue();
            return;
        }
        this->link()->setModified(true);
    }

    // The control is being filled with the field's value.
    bool loading() const
    {
        return m_loading;
    }

    [[nodiscard]] QScopedValueRollback<bool> loadingGuard()
    {
        return QScopedValueRollback<bool>(m_loading, true);
    }

private:
    bool m_loading = false;
};
