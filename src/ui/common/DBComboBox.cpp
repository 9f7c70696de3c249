#include "DBComboBox.h"

#include "DataSet.h"
#include "Field.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

DBComboBox::DBComboBox(QWidget* parent)
    : DataAwareEdit<QComboBox>(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, &DBComboBox::valueEdited);
    connect(this, &QComboBox::currentIndexChanged, this, &DBComboBox::valueEdited);
    connect(this, &QComboBox::activated, this, &DBComboBox::onActivated);
    showValue();
    updateLock();
}

void DBComboBox::setItems(const QStringList& items)
{
    {
        const auto loading = loadingGuard();
        const QString shown = currentText();
        clear();
        addItems(items);
        setCurrentIndex(findText(shown, Qt::MatchExactly));
        setEditText(shown);
    }
    if (!link()->modified())
        showValue();
}

QStringList DBComboBox::items() const
{
    QStringList result;
    for (int i = 0; i < count(); ++i)
        result.append(itemText(i));
    return result;
}

void DBComboBox::showPopup()
{
    if (!link()->canModify())
        return;
    QComboBox::showPopup();
}

void DBComboBox::keyPressEvent(QKeyEvent* event)
{
    if (takeBack(event))
        return;
    const bool editingKey = (!event->text().isEmpty() && event->text().at(0).isPrint())
        || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Up
        || event->key() == Qt::Key_Down || event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown
        || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
    if (editingKey && refuseEditing(event))
        return;
    QComboBox::keyPressEvent(event);
}

void DBComboBox::wheelEvent(QWheelEvent* event)
{
    if (!link()->canModify()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBComboBox::showValue()
{
    const auto loading = loadingGuard();
    const Field* f = link()->active() ? link()->field() : nullptr;
    const QString value = f ? f->AsString() : QString();
    if (f && f->Size() > 0 && f->DataType() == FieldType::WideString)
        lineEdit()->setMaxLength(f->Size());
    if (currentText() == value && currentIndex() == findText(value, Qt::MatchExactly))
        return;
    setCurrentIndex(findText(value, Qt::MatchExactly));
    setEditText(value);
}

void DBComboBox::updateLock()
{
    lineEdit()->setReadOnly(!link()->canModify());
}

void DBComboBox::writeValue()
{
    field()->setAsString(currentText());
}

void DBComboBox::onActivated()
{
    // Choosing an item writes it into the field at once.
    if (loading() || !link()->modified())
        return;
    link()->updateRecord();
}
