#pragma once

#include "EditMask.h"

#include <QStyledItemDelegate>

// A grid column typed through an input pattern (a telephone number, for instance): the cell
// editor shows the pattern, the stored value is what the pattern's notation says to keep, and
// the cell shows the stored value with the pattern's literals.
class MaskedCellDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    MaskedCellDelegate(const QString& maskNotation, QObject* parent = nullptr);

    QString displayText(const QVariant& value, const QLocale& locale) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    EditMask m_mask;
};
