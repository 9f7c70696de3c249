#include "DBDateEdit.h"

#include "DataSet.h"
#include "Field.h"
#include "FieldDataLink.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace {

// The value that stands for "no date": the box shows its special (blank) text there.
QDateTime noDate()
{
    return QDateTime(QDate(1800, 1, 1), QTime(0, 0));
}

} // namespace

DBDateEdit::DBDateEdit(QWidget* parent)
    : QDateTimeEdit(parent)
    , m_link(new FieldDataLink(this))
{
    setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    setCalendarPopup(true);
    setMinimumDateTime(noDate());
    setSpecialValueText(QStringLiteral(" "));
    m_link->showValue = [this] { showValue(); };
    m_link->editingChanged = [this] { updateLock(); };
    m_link->writeValue = [this] { writeValue(); };
    connect(this, &QDateTimeEdit::dateTimeChanged, this, &DBDateEdit::onDateTimeChanged);
    showValue();
    updateLock();
}

DBDateEdit::~DBDateEdit() = default;

DataSource* DBDateEdit::dataSource() const
{
    return m_link->dataSource();
}

void DBDateEdit::setDataSource(DataSource* source)
{
    m_link->setDataSource(source);
}

QString DBDateEdit::dataField() const
{
    return m_link->fieldName();
}

void DBDateEdit::setDataField(const QString& fieldName)
{
    m_link->setFieldName(fieldName);
}

Field* DBDateEdit::field() const
{
    return m_link->field();
}

bool DBDateEdit::isNull() const
{
    return dateTime() == minimumDateTime();
}

bool DBDateEdit::isReadOnly() const
{
    return m_link->controlReadOnly();
}

void DBDateEdit::setReadOnly(bool readOnly)
{
    m_link->setControlReadOnly(readOnly);
}

bool DBDateEdit::isModified() const
{
    return m_link->modified();
}

bool DBDateEdit::updateRecord()
{
    return m_link->updateRecord();
}

void DBDateEdit::stepBy(int steps)
{
    if (!m_link->edit())
        return;
    if (isNull()) {
        startFromToday();
        return;
    }
    QDateTimeEdit::stepBy(steps);
}

void DBDateEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape && m_link->modified()) {
        showValue();
        m_link->setModified(false);
        event->accept();
        return;
    }
    const bool clearing = key == Qt::Key_Delete || key == Qt::Key_Backspace;
    const bool typing = !event->text().isEmpty() && event->text().at(0).isPrint();
    if (!clearing && !typing) {
        QDateTimeEdit::keyPressEvent(event);
        return;
    }
    if (!m_link->edit()) {
        event->accept();
        return;
    }
    if (clearing && !isNull() && lineEdit()->selectedText() == lineEdit()->text()) {
        setDateTime(minimumDateTime());
        event->accept();
        return;
    }
    if (typing && isNull())
        startFromToday();
    QDateTimeEdit::keyPressEvent(event);
}

void DBDateEdit::focusOutEvent(QFocusEvent* event)
{
    QDateTimeEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_link->updateRecord();
}

void DBDateEdit::showValue()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    const Field* f = m_link->active() ? m_link->field() : nullptr;
    if (!f || f->IsNull())
        setDateTime(minimumDateTime());
    else
        setDateTime(f->AsDateTime());
}

void DBDateEdit::updateLock()
{
    QDateTimeEdit::setReadOnly(!m_link->canModify());
}

void DBDateEdit::writeValue()
{
    Field* f = m_link->field();
    if (isNull())
        f->Clear();
    else
        f->setAsDateTime(dateTime());
}

void DBDateEdit::onDateTimeChanged()
{
    if (m_loading)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showValue();
        return;
    }
    m_link->setModified(true);
}

void DBDateEdit::startFromToday()
{
    setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    setSelectedSection(sectionAt(0));
}
