#pragma once

#include <QStyledItemDelegate>

class DataSetModel;

// Cell editors of a DBGrid: a list of the lookup data set's values for a lookup column, and a
// text box that takes no more characters than the field holds for the others. The first change
// in an editor puts the data set into editing, as typing into any bound control does.
class DBGridDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit DBGridDelegate(DataSetModel* model, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    DataSetModel* m_model;
};
