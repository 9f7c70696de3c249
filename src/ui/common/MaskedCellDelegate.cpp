#include "MaskedCellDelegate.h"

#include <QLineEdit>

MaskedCellDelegate::MaskedCellDelegate(const QString& maskNotation, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_mask(maskNotation)
{ }

QString MaskedCellDelegate::displayText(const QVariant& value, const QLocale& locale) const
{
    const QString stored = value.toString();
    if (stored.isEmpty() || m_mask.isEmpty())
        return QStyledItemDelegate::displayText(value, locale);
    return m_mask.displayFor(stored).replace(m_mask.blank(), u' ').trimmed();
}

QWidget* MaskedCellDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setInputMask(m_mask.inputMask());
    return editor;
}

void MaskedCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        QStyledItemDelegate::setEditorData(editor, index);
        return;
    }
    const QString stored = index.data(Qt::EditRole).toString();
    line->setText(stored.isEmpty() ? QString() : m_mask.displayFor(stored));
}

void MaskedCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString shown = line->displayText();
    model->setData(index, m_mask.isBlank(shown) ? QString() : m_mask.storedText(shown), Qt::EditRole);
}
