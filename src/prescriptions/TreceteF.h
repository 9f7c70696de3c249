#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;
class QKeyEvent;

namespace Ui {
class TreceteF;
}

// Prescription lines of the visit selected in the visit screen's history.
class TreceteF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TreceteF> ui;

public:
    TreceteF();
    ~TreceteF() override;

    // Follows frmMain->muayeneRSource.
    DataSet* const recTable;
    DataSource* const recSource;

    // Shows the screen and opens the lines of the selected visit.
    void openLines();

    // Shows the preview of the visit's lines ("Yazdır (Ctrl+R)").
    void JvNavPanelButton7Click();
    // Deletes the selected line after asking ("Satır Sil").
    void JvNavPanelButton5Click();
    // Starts a new line for the selected visit ("Giriş (F7)").
    void JvNavPanelButton2Click();

    // Every new line: the visit must be stored first, and there must be a visit to attach it to.
    void recTableBeforeInsert(DataSet& dataSet);
    // Every stored line: the child code, and a dose and duration that are small whole numbers.
    void recTableBeforePost(DataSet& dataSet);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Insert typed into the grid or its cell editor; true when used.
    bool gridKey(QKeyEvent* event);
    void makeEditable();
};
