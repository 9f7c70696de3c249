#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;
class QKeyEvent;
class QShowEvent;

namespace Ui {
class TtetkikgirisF;
}

// Laboratory results of the visit selected in the visit screen's history.
class TtetkikgirisF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TtetkikgirisF> ui;

public:
    TtetkikgirisF();
    ~TtetkikgirisF() override;

    // Follows frmMain->muayeneRSource; its lookup fields read TetkikF->tetkikTTable.
    DataSet* const labTable;
    DataSource* const labSource;

    // Opens the results of the selected visit (the catalogue too, for the looked-up columns).
    void openResults();

    // Stores the row being typed ("Sakla").
    void OKBtnClick();
    // Starts a new result row for the selected visit ("Yeni Tetkik Ekle").
    void JvNavPanelButton1Click();
    // Drops the row being typed ("Girişten Vazgeç").
    void JvXPButton2Click();
    // Deletes the current result row after asking ("Satır Sil").
    void JvNavPanelButton4Click();
    // Shows the preview of the visit's results ("Yazdır").
    void JvNavPanelButton6Click();
    // Opens the test type catalogue ("Yeni Tetkik Türü Ekle").
    void JvNavPanelButton9Click();
    // Stores a pending row without asking and hides the screen ("Kapat").
    void JvXPButton6Click();

    // Every new row: the visit must be stored first, and there must be a visit to attach it to.
    void labTableBeforeInsert(DataSet& dataSet);
    // Every stored row: the child code, "Boş" for a missing type, and values that fit.
    void labTableBeforePost(DataSet& dataSet);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void follow();
    void showVisit();
    void openCellEditor();
    void catalogueChanged();
    // Insert and Ctrl+Delete typed into the grid or its cell editor; true when used.
    bool gridKey(QKeyEvent* event);
    void gridInsert();
    void gridDelete();

    bool m_following = false;
};
