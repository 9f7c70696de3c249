#pragma once

#include "TScreen.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>

class DataSet;
class DataSource;
class QCloseEvent;
class QMenu;

namespace Ui {
class Tozluk;
}

// The child record screen. Its sicilTable's current record is the current child of every
// screen.
class Tozluk final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::Tozluk> ui;

public:
    Tozluk();
    ~Tozluk() override;

    DataSet* const sicilTable;
    DataSource* const sicilSource;

    // Checks and stores the record being added or edited ("Kaydet", F2).
    void JvXPButton1Click();
    // Gives up the changes after asking ("Vazgeç", F3).
    void JvXPButton5Click();
    // Starts a new child record with a proposed code ("Yeni Kayıt", F5).
    void JvXPButton3Click();
    // Proposes the next code for the record being added or edited ("...").
    void JvXPButton10Click();
    // Deletes the current child after two questions ("Bu Kaydı Sil", F7).
    void JvXPButton4Click();
    // Goes to the first child ("İlk Kayıt", F8).
    void JvXPButton9Click();
    // Goes to the next child ("Sonraki Kayıt", F9).
    void JvXPButton6Click();
    // Goes to the previous child ("Önceki Kayıt", F11).
    void JvXPButton7Click();
    // Goes to the last child ("Son Kayıt", F12).
    void JvXPButton8Click();
    // Opens the registry list ("Protokol Listeleri", F6, double-click on the code box).
    void JvXPButton2Click();
    // Opens the vaccine screen with the child's age ("Aşı Kayıt").
    void JvXPButton11Click();
    // Closes the screen, handing back to the visit screen when it waits ("Kapat", F10).
    void Button1Click();
    // Shows the help topic of the screen.
    void tfXPButton1Click();
    // Loads a picture file into the photo ("Resim Ekle", double-click on the photo).
    void JvDBImage1DblClick();
    // Clears the photo ("Resmi Sil").
    void ResmiSil1Click();
    // Shows the current child's change history ("Değişiklik Geçmişi", Ctrl+G).
    void gecmisClick();
    // Checks the birth date when its box is left.
    void JvDotNetDBEdit33Exit();

protected:
    bool screenKey(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void bindControls();
    void addGrowthBoxes();
    void buildMenus();
    void connectButtons();
    void setCodeEditable(bool editable);
    // Writes text still being typed, then tells whether the record has changes to lose.
    bool recordModified();
    void goTo(void (DataSet::*move)());
    void openRegistryQueryInDefaultOrder();
    // The checks and the write of "Kaydet"; false when the code is taken (the list then shows
    // the child holding it).
    bool storeRecord();
    void sicilTableWrite(DataSet& dataSet, const QVector<QVariant>& before);
    void sicilTableStateChange();

    QMenu* m_popupMenu = nullptr;
    QMenu* m_photoMenu = nullptr;
    int m_lastState = 0;
    QString m_codeBeforeEdit;
    bool m_inBirthDateExit = false;
};
