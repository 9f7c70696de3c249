#include "DBDateEdit.h"

#include "DataSet.h"
#include "Field.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace {

// The value that stands for "no date": the box shows its special (blank) text there.
QDateTime noDate()
{
    return QDateTime(QDate(1800, 1, 1), QTime(0, 0));
}

} // namespace

DBDateEdit::DBDateEdit(QWidget* parent)
    : DataAwareEdit<QDateTimeEdit>(parent)
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
    setMinimumDateTime(noDate());
    setSpecialValueText(QStringLiteral(" "));
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &DBDateEdit::valueEdited);
    showValue();
    updateLock();
}

bool DBDateEdit::isNull() const
{
    return dateTime() == minimumDateTime();
}

void DBDateEdit::stepBy(int steps)
{
    if (!link()->edit())
        return;
    if (isNull()) {
        startFromToday();
        return;
    }
    QDateTimeEdit::stepBy(steps);
}

void DBDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (takeBack(event))
        return;
    const int key = event->key();
    const bool clearing = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    const bool typing = !event->text().isEmpty() && event->text().at(0).isPrint();
    if (!clearing && !typing) {
        QDateTimeEdit::keyPressEvent(event);
        return;
    }
    if (refuseEditing(event))
        return;
    if (clearing && !isNull() && lineEdit()->selectedText() == lineEdit()->text()) {
        setDateTime(minimumDateTime());
        event->accept();
        return;
    }
    if (typing && isNull())
        startFromToday();
    QDateTimeEdit::keyPressEvent(event);
}

void DBDateEdit::showValue()
{
    const auto loading = loadingGuard();
    const Field* f = link()->active() ? link()->field() : nullptr;
    if (!f || f->IsNull())
        setDateTime(minimumDateTime());
    else
        setDateTime(f->AsDateTime());
}

void DBDateEdit::updateLock()
{
    QDateTimeEdit::setReadOnly(!link()->canModify());
}

void DBDateEdit::writeValue()
{
    Field* f = field();
    if (isNull())
        f->Clear();
    else
        f->setAsDateTime(dateTime());
}

void DBDateEdit::startFromToday()
{
    setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    setSelectedSection(sectionAt(0));
}
