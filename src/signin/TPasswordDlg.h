#pragma once

#include "TScreen.h"

#include <QString>

#include <memory>

class Connection;
class QCloseEvent;
class QShowEvent;

namespace Ui {
class TPasswordDlg;
}

// The sign-in dialog: the first screen built and the program's main window. It owns the
// database connection that every data set uses; closing it ends the program.
class TPasswordDlg final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TPasswordDlg> ui;

public:
    TPasswordDlg();
    ~TPasswordDlg() override;

    Connection* const anaConnection;

    // The settings file and where the last user name is kept in it.
    static QString settingsFile();
    static const QString settingsSection;
    static const QString settingsKey;
    // Sign-in attempts are examined up to this many times per run.
    static constexpr int allowedAttempts = 3;

    // Signs in with the typed user name and password ("Tamam", Enter in the password box).
    void OKBtnClick();
    // Checks the master password and opens the user accounts screen (the three header commands).
    void JvXPBar1Items0Click();
    // Shows the password in plain characters while ticked.
    void CheckBox1Click();
    // Opens the accounts table when a box gets the focus, so the first sign-in need not wait.
    void kullanEnter();
    // Shows the help viewer on the sign-in topic.
    void tfXPButton1Click();
    // Ends the program when the dialog closes, after keeping the user name.
    void FormClose();

    // Puts a user name and a password into the sign-in boxes.
    void fillSignIn(const QString& user, const QString& password);

    // Sign-in attempts made in this run.
    int attempts() const;
    // The database could not be chosen or its server not reached: the program ends at once.
    bool cannotStart() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readUserName();
    void writeUserName();
    void openAccountTables();
    bool findAccount(const QString& userName);
    void openWorkingScreens();
    void showFirstUseLine();

    int m_attempts = 0;
    bool m_shownBefore = false;
    bool m_closed = false;
    bool m_cannotStart = false;
};
