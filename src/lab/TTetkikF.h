#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;
class QMenu;

namespace Ui {
class TTetkikF;
}

// Catalogue of laboratory test types with their normal ranges.
class TTetkikF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TTetkikF> ui;

public:
    TTetkikF();
    ~TTetkikF() override;

    // Opens the catalogue (its data set first, when closed) and shows the screen.
    void showCatalogue();

    // Handlers of the buttons and the context menu.
    void baslaButClick();
    void Button1Click();
    void vazButClick();
    void silButClick();
    void duzButClick();
    void KapatF101Click();
    void JvXPButton1Click();

    // Feeds the lookup fields of tetkikgirisF->labTable.
    DataSet* const tetkikTTable;
    DataSource* const tetkikSource;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    // Makes the name box and the three other boxes editable or read-only.
    void lockBoxes(bool nameLocked, bool othersLocked);

    QMenu* m_popupMenu = nullptr;
};
