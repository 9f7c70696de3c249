#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TfrmMain;
}

// The visit screen, the user's home after sign-in: the current child's header, the visit being
// recorded and the child's visit history.
class TfrmMain final : public TScreen
{
    Q_OBJECT

public:
    TfrmMain();
    ~TfrmMain() override;

    // Controls, reachable by name from the other screens.
    Ui::TfrmMain* const ui;

    // The visits of the current child; follows ozluk->sicilSource.
    DataSet* const muayeneTable;
    DataSource* const DataSource1;
    // The current child's visit history, a snapshot; master of prescriptions and lab results.
    DataSet* const muayeneRQuery;
    DataSource* const muayeneRSource;
    // Shows the registry list's sicrapQuery.
    DataSource* const DataSource2;

    // Starts a new visit for the current child ("Başla").
    void Button1Click();
    // Stores the visit being recorded ("Kaydet", F2).
    void Button2Click();
};
