#pragma once

#include "TScreen.h"

#include <QString>

#include <memory>

class DataSet;
class DataSource;
class QListWidget;
class QMenu;

namespace Ui {
class TasilarF;
}

// The vaccine screen: the vaccine catalogue, the current child's single vaccinations and the
// child's dose table.
class TasilarF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TasilarF> ui;

public:
    TasilarF();
    ~TasilarF() override;

    // Vaccine kinds.
    DataSet* const asiturTable;
    DataSource* const asiturSource;
    // Vaccinations given, one record per shot.
    DataSet* const receTable;
    DataSource* const receSource;
    DataSet* const asiQuery;
    DataSource* const asiSource;
    // The dose table; follows ozluk->sicilSource.
    DataSet* const asi2Table;
    DataSource* const asi2Source;

    // What the opener asks of the screen: whether a new vaccination record is begun.
    enum class Entry {
        Keep,
        New,
    };
    // Shows the screen for the current child, with the child's age text in both age captions,
    // its data sets open and the list read; with Entry::New a new vaccination record is begun.
    void showForChild(const QString& ageText, Entry entry);

    // Handlers of the "Standart Takip" tab.
    void JvXPButton2Click();
    void baslaButClick();
    void Button1Click();
    void vazButClick();
    void degistirClick();
    void silButClick();
    void JvNavPanelButton8Click();
    void CheckBox2Click();
    void JvXPButton1Click();
    // Handlers of the "Kartlı Takip" tab.
    void JvXPButton3Click();
    void JvXPButton4Click();
    void JvNavPanelButton11Click();
    void JvNavPanelButton12Click();
    // Handlers of the catalogue panel.
    void yeniasiButClick();
    void JvNavPanelButton1Click();
    void JvNavPanelButton7Click();
    void JvNavPanelButton4Click();
    void JvNavPanelButton9Click();
    void JvNavPanelButton6Click();
    // Both tabs.
    void kapatButClick();
    void tfXPButton1Click();

protected:
    bool screenKey(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpGrids();
    void buildMenu();
    void connectButtons();
    void FormHide();
    void receTableBeforePost(DataSet& dataSet);
    void asi2TableBeforePost(DataSet& dataSet);
    void asiQueryFilterRecord(DataSet& dataSet, bool& accept);
    // A name chosen in one of the type lists goes into the entry record, and its catalogue row
    // becomes current.
    void chooseType(int row);
    void fillTypeLists();
    void showCurrentType();
    void followChild();
    void showChild();
    // The current catalogue row as a new row of the child's dose card, stored at once.
    void addCardRow();
    QString childCode() const;
    // The record selected in the list, read again; false (after a notice) when the list is empty
    // or another workstation deleted the record.
    bool selectedRecordListed();
    // Makes the record selected in the list the entry record; false (after a notice) when it is gone.
    bool locateInEntry();

    QMenu* m_popupMenu = nullptr;
    QListWidget* m_typeLists[2] = {};
    bool m_fillingTypes = false;
    bool m_followingChild = false;
    // The description and note of the last save, offered to the next new record.
    QString m_lastAciklama;
    QString m_lastNot;
};
