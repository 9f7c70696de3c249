#include "DBMemo.h"

#include "DataSet.h"
#include "Field.h"
#include "FieldDataLink.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QScopedValueRollback>

DBMemo::DBMemo(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_link(new FieldDataLink(this))
{
    m_link->showValue = [this] { showValue(); };
    m_link->editingChanged = [this] { updateLock(); };
    m_link->writeValue = [this] { writeValue(); };
    // Tab leaves the box as in every other control; Enter makes the new lines.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, &DBMemo::onContentsChanged);
    showValue();
    updateLock();
}

DBMemo::~DBMemo() = default;

DataSource* DBMemo::dataSource() const
{
    return m_link->dataSource();
}

void DBMemo::setDataSource(DataSource* source)
{
    m_link->setDataSource(source);
}

QString DBMemo::dataField() const
{
    return m_link->fieldName();
}

void DBMemo::setDataField(const QString& fieldName)
{
    m_link->setFieldName(fieldName);
}

Field* DBMemo::field() const
{
    return m_link->field();
}

bool DBMemo::isReadOnly() const
{
    return m_link->controlReadOnly();
}

void DBMemo::setReadOnly(bool readOnly)
{
    m_link->setControlReadOnly(readOnly);
}

bool DBMemo::isModified() const
{
    return m_link->modified();
}

bool DBMemo::updateRecord()
{
    return m_link->updateRecord();
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_link->modified()) {
        showValue();
        m_link->setModified(false);
        event->accept();
        return;
    }
    const bool editingKey
        = (!event->text().isEmpty()
              && (event->text().at(0).isPrint() || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo)
        || event->matches(QKeySequence::Redo);
    if (editingKey && !m_link->edit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    m_link->updateRecord();
}

void DBMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && !m_link->edit()) {
        event->accept();
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source)
{
    if (!m_link->edit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void DBMemo::showValue()
{
    const QScopedValueRollback<bool> loading(m_loading, true);
    const Field* f = m_link->active() ? m_link->field() : nullptr;
    QString value = f ? f->AsString() : QString();
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (toPlainText() != value)
        setPlainText(value);
}

void DBMemo::updateLock()
{
    QPlainTextEdit::setReadOnly(!m_link->canModify());
}

void DBMemo::writeValue()
{
    Field* f = m_link->field();
    const QString typed = toPlainText();
    if (typed.isEmpty())
        f->Clear();
    else
        f->setAsString(typed);
}

void DBMemo::onContentsChanged()
{
    if (m_loading)
        return;
    if (!m_link->editing() && !m_link->edit()) {
        showValue();
        return;
    }
    m_link->setModified(true);
}
