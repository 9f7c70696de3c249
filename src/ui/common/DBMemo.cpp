#include "DBMemo.h"

#include "DataSet.h"
#include "Field.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QTextDocument>

DBMemo::DBMemo(QWidget* parent)
    : DataAwareEdit<QPlainTextEdit>(parent)
{
    // Tab leaves the box as in every other control; Enter makes the new lines.
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, &DBMemo::valueEdited);
    showValue();
    updateLock();
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    if (takeBack(event))
        return;
    const bool editingKey
        = (!event->text().isEmpty()
              && (event->text().at(0).isPrint() || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        || event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Undo)
        || event->matches(QKeySequence::Redo);
    if (editingKey && refuseEditing(event))
        return;
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty() && refuseEditing(event))
        return;
    QPlainTextEdit::inputMethodEvent(event);
}

void DBMemo::insertFromMimeData(const QMimeData* source)
{
    if (!link()->edit())
        return;
    QPlainTextEdit::insertFromMimeData(source);
}

void DBMemo::showValue()
{
    const auto loading = loadingGuard();
    const Field* f = link()->active() ? link()->field() : nullptr;
    QString value = f ? f->AsString() : QString();
    value.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (toPlainText() != value)
        setPlainText(value);
}

void DBMemo::updateLock()
{
    QPlainTextEdit::setReadOnly(!link()->canModify());
}

void DBMemo::writeValue()
{
    field()->setAsString(toPlainText());
}
