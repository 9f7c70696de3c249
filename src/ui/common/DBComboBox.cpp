#include "DBComboBox.h"

#include "DataSet.h"
#include "Field.h"
#include "FieldDataLink.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QWheelEvent>

DBComboBox::DBComboBox(QWidget* parent)
    : QComboBox(parent)
    , m_link(new FieldDataLink(this))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    m_link->showValue = [this] { showValue(); };
    m_link->editingChanged = [this] { updateLock(); };
    m_link->writeValue = [this] { writeValue(); };
    connect(lineEdit(), &QLineEdit::textEdited, this, &DBComboBox::onTextEdited);
    connect(this, &QComboBox::currentIndexChanged, this, &DBComboBox::onIndexChanged);
    connect(this, &QComboBox::activated, this, &DBComboBox::onActivated);
    showValue();
    updateLock();
}

DBComboBox::~DBComboBox() = default;

DataSource* DBComboBox::dataSource() const
{
    return m_link->dataSource();
}

void DBComboBox::setDataSource(DataSource* source)
{
    m_link->setDataSource(source);
}

QString DBComboBox::dataField() const
{
    return m_link->fieldName();
}

void DBComboBox::setDataField(const QString& fieldName)
{
    m_link->setFieldName(fieldName);
}

Field* DBComboBox::field() const
{
    return m_link->field();
}

void DBComboBox::setItems(const QStringList& items)
{
    {
        const QScopedValueRollback<bool> loading(m_loading, true);
        const QString shown = currentText();
        clear();
        addItems(items);
        setCurrentIndex(findText(shown, Qt::MatchExactly));
        setEditText(shown);
    }
    if (!m_link->modified())
        showValue();
}

QStringList DBComboBox::items() const
{
    QStringList result;
    for (int i = 0; i < count(); ++i)
        result.append(itemText(i));
    return result;
}

bool DBComboBox::isReadOnly() const
{
    return m_link->controlReadOnly();
}

void DBComboBox::setReadOnly(bool readOnly)
{
    m_link->setControlReadOnly(readOnly);
}

bool DBComboBox::isModified() const
{
    return m_link->modified();
}

bool DBComboBox::updateRecord()
{
    return m_link->updateRecord();
}

void DBComboBox::showPopup()
{
    if (!m_link->canModify())
        return;
    QComboBox::showPopup();
}

void DBComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_link->modified()) {
        showValue();
        m_link->setModified(false);
        event->accept();
        return;
    }
    const bool editingKey = (!event->text().isEmpty() && event->text().at(0).isPrint())
        || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || event->key() == Qt::Key_Up
        || event->key() == Qt::Key_Down || event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown
        || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut);
    if (editingKey && !m_link->edit()) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBComboBox::wheelEvent(QWheelEvent* event)
{
    if (!m_link->canModify()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_link->updateRecord();
}

void DBComboBox::showValue()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    const Field* f = m_link->active() ? m_link->field() : nullptr;
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
    lineEdit()->setReadOnly(!m_link->canModify());
}

void DBComboBox::writeValue()
{
    Field* f = m_link->field();
    const QString value = currentText();
    if (value.isEmpty())
        f->Clear();
    else
        f->setAsString(value);
}

void DBComboBox::onTextEdited()
{
    if (m_loading)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showValue();
        return;
    }
    m_link->setModified(true);
}

void DBComboBox::onIndexChanged()
{
    if (m_loading)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showValue();
        return;
    }
    m_link->setModified(true);
}

void DBComboBox::onActivated()
{
    if (m_loading || !m_link->modified())
        return;
    m_link->updateRecord();
}
