#include "DBGridDelegate.h"

#include "DataSetModel.h"
#include "Field.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPersistentModelIndex>

DBGridDelegate::DBGridDelegate(DataSetModel* model, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
{ }

QWidget* DBGridDelegate::createEditor(
    QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const Field* field = index.model() == m_model ? m_model->fieldAt(index.column()) : nullptr;
    DataSetModel* model = m_model;
    const QPersistentModelIndex cell(index);
    if (field && field->kind() == FieldKind::fkLookup) {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        list->addItems(m_model->lookupChoices(index.column()));
        connect(list, &QComboBox::activated, list, [model, cell] { model->edit(cell); });
        return list;
    }
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor); line && field) {
        if (field->DataType() == FieldType::WideString && field->Size() > 0)
            line->setMaxLength(field->Size());
        connect(line, &QLineEdit::textEdited, line, [model, cell] { model->edit(cell); });
    }
    return editor;
}

void DBGridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        list->setCurrentIndex(list->findText(index.data(Qt::DisplayRole).toString(), Qt::MatchExactly));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void DBGridDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, list->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}
