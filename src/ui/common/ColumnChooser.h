#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>

class ColumnChooserButton;
class QTableView;

namespace Ui {
class ColumnChooser;
}

// The column chooser of a grid: every column with a tick box; the ticked ones are shown. At
// least one column must stay shown.
class ColumnChooser final : public QDialog
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::ColumnChooser> ui;

public:
    // The two sets of texts the grids use.
    enum class Texts {
        Gosterilecek, // registry list and test types: "Gösterilecek Kolonları Seç"
        Gosterlecek, // lab results, prescriptions, user accounts: "Gösterlecek Kolonları Seç"
    };

    ColumnChooser(ColumnChooserButton* owner, Texts texts, QWidget* parent);
    ~ColumnChooser() override;

    static QString caption(Texts texts);
    static QString warning(Texts texts);

    // Puts the arrow that opens the chooser into the grid's top left corner. The columns whose
    // titles are in hiddenTitles start hidden.
    static ColumnChooserButton* attach(QTableView* grid, Texts texts, const QStringList& hiddenTitles = {});

    // Column titles in the list, in order, and whether each is ticked.
    QStringList titles() const;
    bool isTicked(const QString& title) const;
    void setTicked(const QString& title, bool ticked);

    // "Tamam": with no column ticked shows the warning and stays open; otherwise applies.
    void accept() override;

private:
    ColumnChooserButton* m_owner;
    Texts m_texts;
};
