#pragma once

#include "TScreen.h"

#include <QDate>
#include <QList>
#include <QString>

#include <memory>

class DataSet;
class DataSource;
class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QShowEvent;

namespace Ui {
class TfrmMain;
}

// The visit screen, the user's home after sign-in: the current child's header, the visit being
// recorded and the child's visit history.
class TfrmMain final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TfrmMain> ui;

public:
    TfrmMain();
    ~TfrmMain() override;

    // The visits of the current child; follows ozluk->sicilSource.
    DataSet* const muayeneTable;
    DataSource* const DataSource1;
    // The current child's visit history, a snapshot; master of prescriptions and lab results.
    DataSet* const muayeneRQuery;
    DataSource* const muayeneRSource;
    // Shows the registry list's sicrapQuery.
    DataSource* const DataSource2;

    // The pop-up menu of the upper panel and of the history grid.
    QMenu* const PopupMenu1;

    // The date shown in the visit's date picker.
    QDate visitDate() const;

    // Starts a new visit for the current child ("Başla").
    void Button1Click();
    // Stores the visit being recorded ("Kaydet", F2).
    void Button2Click();
    // Drops the visit being recorded and reads the history again ("Vazgeç", F3).
    void JvXPButton3Click();
    // Deletes the visit selected in the history after two questions ("Sil", "Bu Satırı Sil").
    void silButClick();
    // Opens the visit selected in the history for correcting ("Bu Satırı Düzelt").
    void JvNavPanelButton10Click();
    // Opens the selected visit for correcting without asking first (pop-up "Düzelt").
    void Dzelt1Click();
    // Computes the age again from the visit's date when the date box is left.
    void JvDotNetDBEdit22Exit();
    // Sorts the history by date, oldest or newest first by turns (a click on a column title).
    void muqueryGrid1TitleClick(int column);
    // Makes the history rows 41 high, or 17 when the box is cleared ("Alanları Genişlet").
    void CheckBox1Click();
    // Applies the row height of the boxes again when "Alanları Genişlet" is left.
    void CheckBox1Exit();
    // Makes the history rows 61 high, or 17 when the box is cleared ("Alanları Çok Daha Genişlet").
    void CheckBox2Click();
    // Applies the row height of the boxes again when "Alanları Çok Daha Genişlet" is left.
    void CheckBox2Exit();
    // Puts the selected row's text of the selected column into the history's tooltip.
    void muqueryGrid1MouseMove();
    // The same as moving the mouse over the history (pop-up "Detay").
    void Detay1Click();
    // Sets the tooltip display time back to normal when the history grid is left.
    void muqueryGrid1Exit();
    // Keeps the division between the entry area and the history for the next start.
    void entrySplitterMoved();

    // Fetches a child by code or by the beginnings of the names ("Getir").
    void JvNavPanelButton9Click();
    // Opens the registry list to choose a child ("Yeni", double clicks).
    void SicilSorgu1Click();
    // Opens the registry list for a new child and waits for it (F5).
    void JvXPButton4Click();
    // Reads the history again for the child shown in the header.
    void JvDotNetDBEdit4Change();

    // Opens the child record screen on the current child ("Çocuk Detay", F11).
    void HastaSicillemleri1Click();
    // Opens the growth charts of the current child ("Gelişim Grafiği", F9).
    void graphButClick();
    // Opens the vaccine screen with the child's age ("Aşı", F8).
    void ReeteGir1Click();
    // Opens the laboratory results of the selected visit ("Tetkikler").
    void JvXPButton10Click();
    // Opens the prescription of the selected visit ("Reçete").
    void JvXPButton11Click();
    // The lab result and prescription screens' rule before a row is started: while the visit
    // is being edited, asks to store it first. Yes stores it as "Kaydet" does (throws when that
    // fails) and gives true; any other answer gives false. True at once otherwise.
    bool saveVisitFirst();
    // saveVisitFirst, and then whether the history holds a visit that a new lab result or
    // prescription line can belong to.
    bool visitForDetailRow();
    // Shows the help topic of this screen.
    void tfXPButton1Click();
    // Ends the program after asking about an unsaved visit ("Kapat", F10).
    void k1Click();
    // Shows the current child's change history ("Değişiklik Geçmişi", Ctrl+G).
    void gecmisClick();
    // The window was closed: offers to store an unsaved visit, then ends the program. False
    // when storing failed and the screen stays up.
    bool FormHide();

    // Prints the visit shown in the entry area ("Yazdır 1" of the entry strip).
    void JvXPButton8Click();
    // Prints the visit card ("Yazdır 2" of the entry strip).
    void JvXPButton9Click();
    // Prints the history as a landscape list ("Yazdır 1" of the history).
    void JvNavPanelButton8Click();
    // Prints the history as a portrait list ("Yazdır 2" of the history, F4).
    void JvNavPanelButton11Click();

    // The history's sort direction flag: 0 means the next title click sorts oldest first.
    int sortFlag() const;
    // The tooltip display time of the history, in milliseconds.
    int historyToolTipTime() const;

    // Shows where the measurements in the boxes stand, the BMI, the corrected age, the target
    // height and the warnings; follows every key typed into the measurement boxes.
    void updateGrowthTexts();

protected:
    bool screenKey(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void wireScreens();
    void buildMenus();
    void setUpHistoryGrid();
    void bindEntryControls();
    QAction* addItem(QMenu* menu, const QString& caption, const QString& key, void (TfrmMain::*handler)());
    // The leave-without-saving question when the visit is pending (changed, or only the state
    // when wholeState is false); false when the user keeps the visit.
    bool leavePendingVisit();
    bool leaveChangedVisit();
    // Stores the visit; throws on failure.
    void storeVisit();
    void startVisit();
    void followChild();
    void correctSelected(bool ask);
    void applyRowHeight(int height);
    void applyBoxHeights();
    void onChildCodeShown();
    void onVisitFieldChanged(int fieldIndex);
    void showCount();
    void setUpGrowthTexts();
    void setUpGrowthColumns();
    QString currentChildCode() const;
    bool inPopupArea(const QWidget* widget) const;

    QList<QObject*> m_openListOnDoubleClick;
    bool m_wired = false;
    bool m_fillingVisit = false;
    bool m_historyFollowsChild = false;
    QString m_followedCode;
    int m_sortFlag = 0;
    int m_toolTipTime = 5000;
    // Made in code: the growth texts beside the measurement boxes.
    struct GrowthLabels {
        QLabel* weight = nullptr;
        QLabel* height = nullptr;
        QLabel* head = nullptr;
        QLabel* bmi = nullptr;
        QLabel* targetHeight = nullptr;
        QLabel* warning = nullptr;
        QLabel* correctedAge = nullptr;
    } m_growthLabels;
};
