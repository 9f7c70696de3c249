#pragma once

#include <QList>
#include <QString>

#include <functional>

class TPasswordDlg;
class TfrmMain;
class Tsicrapor;
class Tozluk;
class TasilarF;
class TChartF;
class TsifrelerF;
class TTetkikF;
class ThazirlaF;
class TtetkikgirisF;
class TreceteF;
class TyardimF;
class AutoBackup;
class TgecmisF;
class Connection;
class TScreen;

// The screens, built once in this order, and the marks they share. Any screen reaches
// any other by its instance name: screens().frmMain->muayeneTable.
class Screens final
{
public:
    TPasswordDlg* PasswordDlg = nullptr;
    TfrmMain* frmMain = nullptr;
    Tsicrapor* sicrapor = nullptr;
    Tozluk* ozluk = nullptr;
    TasilarF* asilarF = nullptr;
    TChartF* ChartF = nullptr;
    TsifrelerF* sifrelerF = nullptr;
    TTetkikF* TetkikF = nullptr;
    ThazirlaF* hazirlaF = nullptr;
    TtetkikgirisF* tetkikgirisF = nullptr;
    TreceteF* receteF = nullptr;
    TyardimF* yardimF = nullptr;
    TgecmisF* gecmisF = nullptr;

    // Opener marks: "muayene" while the visit screen waits for the child record screen or the
    // registry list, empty otherwise.
    QString ozlukAcan;
    QString listeAcan;

    // When set, the sign-in dialog makes the program's folder the working directory while it
    // is built, before the connection opens. The program sets it; tests leave it off and work
    // in a folder of their own.
    bool useProgramFolder = false;
    // When set, the database is backed up once a day while the program runs and once more when
    // it ends. The program sets it; tests leave it off unless they test the backups.
    bool automaticBackups = false;
    // Runs when the program ends (the program leaves its event loop here).
    std::function<void()> onEnd;

    // Builds the screens in order (the first owns the connection), each hidden, then
    // wires the references between them. The working directory must already be the program's
    // folder unless useProgramFolder is set.
    void build();
    // The program's start: build(), then show the main window, the sign-in dialog.
    void start();
    // Destroys the screens in reverse order: every data set is closed first (pending edits are
    // discarded without a question), the connection last.
    void destroy();
    bool built() const;

    // The screens in building order (empty when not built).
    QList<TScreen*> all() const;
    // A screen by its instance name ("frmMain"), or nullptr.
    TScreen* byName(const QString& instanceName) const;

    // The sign-in dialog has closed: the program ends. Runs onEnd once per build.
    void end();
    bool ended() const;

    // The automatic backups while the program runs (nullptr when off).
    AutoBackup* backups() const;

private:
    void wire();
    void unwire();
    void startBackups();

    bool m_ended = false;
    AutoBackup* m_backups = nullptr;
};

Screens& screens();
