#pragma once

#include "TScreen.h"

#include <QString>
#include <QStringList>

#include <memory>

class DataSet;
class DataSource;

namespace Ui {
class TgecmisF;
}

// The change history of the current child ("Değişiklik Geçmişi"): who changed which of the
// child's records and when, newest first, narrowed by table and user, and printed. Read-only.
class TgecmisF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TgecmisF> ui;

public:
    TgecmisF();
    ~TgecmisF() override;

    // The history rows of the child shown, newest first.
    DataSet* const gecmisQuery;
    DataSource* const gecmisSource;

    // Lists the changes of the current child of the child record screen and shows the screen.
    void showChild();
    // Follows the child record screen to another child while the screen is shown.
    void childMoved();

    // Prints the rows as listed ("Yazdır", F4).
    void yazdirButClick();
    // Closes the screen ("Kapat", F10, Escape).
    void kapatButClick();
    // Lists only the chosen table's changes (or all of them).
    void tabloComboChange();
    // Lists only the chosen user's changes (or everybody's).
    void kullaniciComboChange();

protected:
    bool screenKey(QKeyEvent* event) override;

private:
    void listChild();
    void applyFilter();
    void fillFilterLists();
    void showDetail();

    qint64 m_hid = -1;
    QStringList m_codes;
    bool m_filling = false;
};
