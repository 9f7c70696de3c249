#pragma once

#include "TScreen.h"

#include <memory>

class ColumnChooserButton;
class DataSet;
class DataSource;
class QCloseEvent;
class QKeyEvent;
class QShowEvent;

namespace Ui {
class TsifrelerF;
}

// User accounts with the clinic's letterhead data, and the master password. After sign-in the
// current record of sifreTable is the signed-in user.
class TsifrelerF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TsifrelerF> ui;

public:
    TsifrelerF();
    ~TsifrelerF() override;

    DataSet* const sifreTable;
    DataSource* const DataSource1;
    DataSet* const masterTable;
    DataSource* const DataSource2;

    // The grid's column chooser.
    ColumnChooserButton* columnChooser() const;

    // Starts a new account at the end of the list ("Yeni Kayıt").
    void JvXPButton4Click();
    // Copies the current account's letterhead to every account after a question ("Tüm Hesaplara
    // Uygula").
    void TumHesaplaraButtonClick();
    // Stores the changed account ("Kaydet").
    void JvXPButton2Click();
    // Deletes the current account unless it is the only one ("Sil").
    void JvXPButton3Click();
    // Stores the changed master password after asking ("Master Şifreyi Değiştir").
    void JvXPButton1Click();
    // Puts a chosen backup in the place of the database after asking ("Yedekten Geri Yükle").
    void geriYukleButtonClick();
    // Leaves the screen and hands the current account to the sign-in dialog ("Tamam").
    void OKBtnClick();
    // Shows the help viewer on the accounts topic.
    void tfXPButton1Click();
    // Enter and Shift+Enter step through the cells, Ctrl+Delete deletes the current account.
    bool JvDBUltimGrid1KeyPress(QKeyEvent* event);
    // Never stores an account without a user name; runs before either data set stores.
    void sifreTableBeforePost(DataSet& dataSet);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void stepGrid(bool forward);
    void gridDelete();
    void onFocusChanged(QWidget* old, QWidget* now);
    void openCellEditor();

    ColumnChooserButton* m_columnChooser = nullptr;
    bool m_shownBefore = false;
};
