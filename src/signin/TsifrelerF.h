#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TsifrelerF;
}

// User accounts with the clinic's letterhead data, and the master password. After sign-in the
// current record of sifreTable is the signed-in user.
class TsifrelerF final : public TScreen
{
    Q_OBJECT

public:
    TsifrelerF();
    ~TsifrelerF() override;

    // Controls, reachable by name from the other screens.
    Ui::TsifrelerF* const ui;

    DataSet* const sifreTable;
    DataSource* const DataSource1;
    DataSet* const masterTable;
    DataSource* const DataSource2;
};
