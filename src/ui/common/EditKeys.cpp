#include "EditKeys.h"

#include "TurkishText.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextEdit>

namespace {

// Replaces a lower-case letter typed at the start of a word with its capital before the edit
// sees it, so that undo, masks and length limits treat it as the typed key.
class WordCapitalsFilter final : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!edit || edit->isReadOnly())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().size() != 1 || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        const QChar typed = key->text().at(0);
        if (!typed.isLower())
            return false;
        const QChar capital = TurkishText::wordCapital(typed);
        if (capital == typed)
            return false;
        const int position = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        if (!EditKeys::startsWord(edit->text(), position))
            return false;
        QKeyEvent replaced(
            QEvent::KeyPress, key->key(), key->modifiers(), QString(capital), key->isAutoRepeat(), key->count());
        QCoreApplication::sendEvent(edit, &replaced);
        return true;
    }
};

bool isMemo(const QWidget* widget)
{
    return qobject_cast<const QPlainTextEdit*>(widget) || qobject_cast<const QTextEdit*>(widget);
}

// The item view a control belongs to: the view itself or a cell editor inside its viewport.
QAbstractItemView* owningView(QWidget* target)
{
    if (auto* view = qobject_cast<QAbstractItemView*>(target))
        return view;
    for (QWidget* w = target->parentWidget(); w && !w->isWindow(); w = w->parentWidget()) {
        auto* view = qobject_cast<QAbstractItemView*>(w->parentWidget());
        if (view && w == view->viewport())
            return view;
    }
    return nullptr;
}

} // namespace

bool EditKeys::isEnter(const QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    const Qt::KeyboardModifiers others = event->modifiers() & ~Qt::KeypadModifier;
    return others == Qt::NoModifier;
}

bool EditKeys::enterKey(QWidget* target, const EnterRules& rules)
{
    if (!target)
        return false;
    if (QAbstractItemView* view = owningView(target)) {
        if (qobject_cast<QTableView*>(view) && rules.gridColumnSteps) {
            stepGridColumn(view);
            return true;
        }
        focusNext(view);
        return true;
    }
    const bool memo = isMemo(target) || (target->parentWidget() && isMemo(target->parentWidget()));
    if (memo && rules.memoNewLine)
        return false;
    focusNext(target);
    return true;
}

void EditKeys::focusNext(QWidget* from)
{
    if (!from)
        return;
    // Tab sent to the window moves on from the window's focused control by Qt's own tab-order
    // rules, compound controls (spin boxes, combo boxes) included.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(from->window(), &tab);
}

bool EditKeys::stepGridColumn(QAbstractItemView* grid)
{
    const QAbstractItemModel* model = grid ? grid->model() : nullptr;
    const QModelIndex current = grid ? grid->currentIndex() : QModelIndex();
    if (!model || !current.isValid())
        return false;
    const int columns = model->columnCount(current.parent());
    auto* table = qobject_cast<QTableView*>(grid);
    const QHeaderView* header = table ? table->horizontalHeader() : nullptr;
    // Steps in the order the columns are shown, skipping hidden ones.
    int visual = header ? header->visualIndex(current.column()) : current.column();
    for (int step = 0; step < columns; ++step) {
        visual = (visual + 1) % columns;
        const int logical = header ? header->logicalIndex(visual) : visual;
        if (table && table->isColumnHidden(logical))
            continue;
        grid->setCurrentIndex(model->index(current.row(), logical, current.parent()));
        return true;
    }
    return true;
}

bool EditKeys::startsWord(const QString& text, int position)
{
    return position <= 0 || (position <= text.size() && text.at(position - 1) == u' ');
}

QObject* EditKeys::installWordCapitals(QLineEdit* edit)
{
    auto* filter = new WordCapitalsFilter(edit);
    edit->installEventFilter(filter);
    return filter;
}
