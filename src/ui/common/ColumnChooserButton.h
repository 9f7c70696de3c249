#pragma once

#include "ColumnChooser.h"

#include <QPointer>
#include <QStringList>
#include <QToolButton>

class QTableView;

// The small arrow in a grid's top left corner that opens its column chooser. It remembers the
// hidden columns by title and hides them again whenever the grid's rows are read anew.
class ColumnChooserButton final : public QToolButton
{
    Q_OBJECT

public:
    ColumnChooserButton(QTableView* grid, ColumnChooser::Texts texts);
    ~ColumnChooserButton() override;

    QTableView* grid() const;
    ColumnChooser::Texts texts() const;

    // Titles of the grid's columns, in order.
    QStringList columnTitles() const;
    QStringList hiddenTitles() const;
    void setHiddenTitles(const QStringList& titles);

    // Opens the chooser beside the grid (not blocking); it deletes itself when closed.
    ColumnChooser* openChooser();
    // The chooser now open, or nullptr.
    ColumnChooser* chooser() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyHidden();
    void place();

    QTableView* m_grid;
    ColumnChooser::Texts m_texts;
    QStringList m_hidden;
    QPointer<ColumnChooser> m_chooser;
};
