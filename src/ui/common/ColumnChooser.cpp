#include "ColumnChooser.h"

#include "ui_ColumnChooser.h"

#include "ColumnChooserButton.h"
#include "Messages.h"

#include <QListWidgetItem>
#include <QPushButton>

using namespace Qt::StringLiterals;

ColumnChooser::ColumnChooser(ColumnChooserButton* owner, Texts texts, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::ColumnChooser)
    , m_owner(owner)
    , m_texts(texts)
{
    ui->setupUi(this);
    setWindowTitle(caption(texts));
    const QStringList hidden = owner->hiddenTitles();
    for (const QString& title : owner->columnTitles()) {
        auto* item = new QListWidgetItem(title, ui->Kolonlar);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(hidden.contains(title) ? Qt::Unchecked : Qt::Checked);
    }
    connect(ui->TamamBtn, &QPushButton::clicked, this, &ColumnChooser::accept);
}

ColumnChooser::~ColumnChooser() = default;

QString ColumnChooser::caption(Texts texts)
{
    return texts == Texts::Gosterilecek ? u"Gösterilecek Kolonları Seç"_s : u"Gösterlecek Kolonları Seç"_s;
}

QString ColumnChooser::warning(Texts texts)
{
    return texts == Texts::Gosterilecek ? u"En az bir kolon seçilmelidir"_s : u"En Az bir kolon görünür olmalı"_s;
}

ColumnChooserButton* ColumnChooser::attach(QTableView* grid, Texts texts, const QStringList& hiddenTitles)
{
    auto* button = new ColumnChooserButton(grid, texts);
    button->setHiddenTitles(hiddenTitles);
    return button;
}

QStringList ColumnChooser::titles() const
{
    QStringList result;
    for (int row = 0; row < ui->Kolonlar->count(); ++row)
        result.append(ui->Kolonlar->item(row)->text());
    return result;
}

bool ColumnChooser::isTicked(const QString& title) const
{
    for (int row = 0; row < ui->Kolonlar->count(); ++row) {
        const QListWidgetItem* item = ui->Kolonlar->item(row);
        if (item->text() == title)
            return item->checkState() == Qt::Checked;
    }
    return false;
}

void ColumnChooser::setTicked(const QString& title, bool ticked)
{
    for (int row = 0; row < ui->Kolonlar->count(); ++row) {
        QListWidgetItem* item = ui->Kolonlar->item(row);
        if (item->text() == title)
            item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void ColumnChooser::accept()
{
    QStringList hidden;
    for (int row = 0; row < ui->Kolonlar->count(); ++row) {
        const QListWidgetItem* item = ui->Kolonlar->item(row);
        if (item->checkState() != Qt::Checked)
            hidden.append(item->text());
    }
    if (hidden.size() == ui->Kolonlar->count()) {
        Messages::plain(warning(m_texts));
        return;
    }
    m_owner->setHiddenTitles(hidden);
    QDialog::accept();
}
