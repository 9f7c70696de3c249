#include "DBEdit.h"

#include "DataError.h"
#include "DataSet.h"
#include "EditMask.h"
#include "Field.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScopedValueRollback>

namespace {

// A mask with at least day, month and year runs is read as a date (and time) for a date field.
bool isDateMask(const EditMask& mask)
{
    return mask.groupLengths().size() >= 3;
}

QString padded(int value, int width)
{
    return QString::number(value).rightJustified(width, u'0');
}

// The runs of a date mask in order: day, month, year, hour, minute, second.
QStringList dateGroups(const QDateTime& value, const QVector<int>& lengths)
{
    const QDate date = value.date();
    const QTime time = value.time();
    const int parts[] = { date.day(), date.month(), date.year(), time.hour(), time.minute(), time.second() };
    QStringList groups;
    for (int i = 0; i < lengths.size() && i < 6; ++i) {
        QString text = padded(parts[i], lengths.at(i));
        groups.append(text.right(lengths.at(i)));
    }
    return groups;
}

QDateTime dateFromGroups(const QStringList& groups, const QString& shown)
{
    auto number = [&groups](int i, bool* ok) {
        if (i >= groups.size() || groups.at(i).isEmpty()) {
            *ok = i >= 3; // an empty time of day is midnight
            return 0;
        }
        return groups.at(i).toInt(ok);
    };
    bool ok = true;
    int values[6] = {};
    for (int i = 0; i < 6 && ok; ++i)
        values[i] = number(i, &ok);
    if (ok && groups.size() > 2 && groups.at(2).size() <= 2)
        values[2] += values[2] < 50 ? 2000 : 1900;
    const QDate date(values[2], values[1], values[0]);
    const QTime time(values[3], values[4], values[5]);
    if (!ok || !date.isValid() || !time.isValid())
        throw DataError(QStringLiteral("'%1' geçerli bir tarih değil.").arg(shown));
    return QDateTime(date, time);
}

bool isTextField(const Field* field)
{
    return field->DataType() == FieldType::WideString || field->DataType() == FieldType::Memo;
}

} // namespace

DBEdit::DBEdit(QWidget* parent)
    : DataAwareEdit<QLineEdit>(parent)
{
    connect(this, &QLineEdit::textEdited, this, &DBEdit::valueEdited);
    showValue();
    updateLock();
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    if (takeBack(event))
        return;
    if (isEditingKey(event) && refuseEditing(event))
        return;
    QLineEdit::keyPressEvent(event);
}

void DBEdit::focusInEvent(QFocusEvent* event)
{
    if (!m_editPresentation && link()->active() && !link()->modified())
        present(true);
    QLineEdit::focusInEvent(event);
}

void DBEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && refuseEditing(event))
        return;
    QLineEdit::inputMethodEvent(event);
}

EditMask DBEdit::mask() const
{
    const Field* f = link()->field();
    return f ? EditMask(f->EditMask) : EditMask();
}

void DBEdit::showValue()
{
    if (!link()->active()) {
        const auto loading = loadingGuard();
        m_editPresentation = false;
        setInputMask(QString());
        clear();
        return;
    }
    present(hasFocus());
}

void DBEdit::updateLock()
{
    QLineEdit::setReadOnly(!link()->canModify());
}

void DBEdit::writeValue()
{
    Field* f = link()->field();
    const EditMask editMask = mask();
    if (m_editPresentation && !editMask.isEmpty()) {
        const QString shown = displayText();
        if (editMask.isBlank(shown)) {
            f->Clear();
            return;
        }
        if (f->DataType() == FieldType::DateTime && isDateMask(editMask)) {
            f->setAsDateTime(dateFromGroups(editMask.inputGroups(shown), shown));
            return;
        }
        if (!editMask.isComplete(shown))
            throw DataError(QStringLiteral("'%1' eksik girildi; boş hane bırakılmamalı.").arg(shown));
        f->setAsString(editMask.storedText(shown));
        return;
    }
    f->setAsString(text());
}

void DBEdit::leave()
{
    if (!link()->updateRecord())
        return; // the typed text stays on screen to be corrected
    if (link()->active())
        present(false);
}

void DBEdit::present(bool forEditing)
{
    const Field* f = link()->field();
    if (!f)
        return;
    const auto loading = loadingGuard();
    m_editPresentation = forEditing;
    const EditMask editMask = mask();
    const bool masked = forEditing && !editMask.isEmpty();
    if (masked) {
        if (inputMask() != editMask.inputMask())
            setInputMask(editMask.inputMask());
    } else {
        if (!inputMask().isEmpty())
            setInputMask(QString());
        setMaxLength(isTextField(f) && f->DataType() != FieldType::Memo && f->Size() > 0 ? f->Size() : 32767);
    }
    const QString value = forEditing ? editValue(f, editMask) : displayValue(f, editMask);
    if (masked) {
        const QString shown = editMask.isBlank(value) ? QString() : value;
        if (displayText() != (shown.isEmpty() ? editMask.compose({}) : shown))
            setText(shown);
    } else if (text() != value) {
        setText(value);
    }
}

QString DBEdit::editValue(const Field* field, const EditMask& mask) const
{
    if (mask.isEmpty())
        return field->EditText();
    if (field->DataType() == FieldType::DateTime && isDateMask(mask)) {
        if (field->IsNull())
            return mask.compose({});
        return mask.compose(dateGroups(field->AsDateTime(), mask.groupLengths()));
    }
    return mask.displayFor(field->AsString());
}

QString DBEdit::displayValue(const Field* field, const EditMask& mask) const
{
    // A value stored without its literals is shown with them.
    if (!mask.isEmpty() && !mask.savesLiterals() && isTextField(field) && !field->IsNull())
        return mask.displayFor(field->AsString()).replace(mask.blank(), u' ').trimmed();
    return field->DisplayText();
}

bool DBEdit::isEditingKey(const QKeyEvent* event) const
{
    if (!event->text().isEmpty() && event->text().at(0).isPrint())
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return true;
    default:
        break;
    }
    return event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut)
        || event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord)
        || event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine);
}
