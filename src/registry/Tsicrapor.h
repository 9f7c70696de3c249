#pragma once

#include "TScreen.h"

#include <QString>

#include <memory>

class DataSet;
class DataSource;
class QHideEvent;
class QMenu;

namespace Ui {
class Tsicrapor;
}

// The registry list: all children, searched, sorted, printed and exported.
class Tsicrapor final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::Tsicrapor> ui;

public:
    Tsicrapor();
    ~Tsicrapor() override;

    DataSet* const sicrapQuery;
    DataSource* const sicilrapSource;

    // Sort direction of the last title click, "ASC" or "DESC"; empty before the first one.
    QString siraYonu;

    // Filters the list afresh with the text of the search box ("Ara", F6).
    void araButtonClick();
    // Empties the search box and filters again ("Yeni Arama", F5).
    void yeniButClick();
    // Steps to the next child whose names contain the sequential search text ("Sırayla arama yap").
    void JvXPButton2Click();
    // Sorts the list by the clicked column, the direction alternating on every click.
    void bolumgridTitleClick(int column);
    // Makes the child of the current row the current child ("Seç", F8, double-click).
    void bolumgridDblClick();
    // Closes the list, handing back to the visit screen when it waits ("Kapat", F10).
    void kapatButClick();
    // Prints the list as it stands ("Yazdır", F4).
    void yazButClick();
    // Writes the rows as shown into a new workbook and opens it in the spreadsheet program ("Excel").
    void ExcelClick();
    // Shows the help topic of the list.
    void tfXPButton1Click();

    // Moves to the next record, wrapping, whose names contain text; no message either way.
    void siraliara(const QString& text);
    // Puts the default statement (ordered by hid) back; the query must be closed.
    void eskikod();

protected:
    bool screenKey(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildMenu();
    void closeSteps();

    QMenu* m_popupMenu = nullptr;
    bool m_closing = false;
    bool m_exporting = false;
};
