#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TreceteF;
}

// Prescription lines of the visit selected in the visit screen's history.
class TreceteF final : public TScreen
{
    Q_OBJECT

public:
    TreceteF();
    ~TreceteF() override;

    // Controls, reachable by name from the other screens.
    Ui::TreceteF* const ui;

    // Follows frmMain->muayeneRSource.
    DataSet* const recTable;
    DataSource* const recSource;
};
