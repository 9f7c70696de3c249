#pragma once

#include <QString>

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
class Connection;

// The twelve screens, built once in this order, and the marks they share. Any screen reaches
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

    // Opener marks: "muayene" while the visit screen waits for the child record screen or the
    // registry list, empty otherwise.
    QString ozlukAcan;
    QString listeAcan;

    // Builds the twelve screens in order (the first owns the connection), then wires the
    // references between them. The working directory must already be the program's folder.
    void build();
    // Destroys the screens in reverse order (pending edits are discarded).
    void destroy();
    bool built() const;
};

Screens& screens();
