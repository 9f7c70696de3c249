#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TtetkikgirisF;
}

// Laboratory results of the visit selected in the visit screen's history.
class TtetkikgirisF final : public TScreen
{
    Q_OBJECT

public:
    TtetkikgirisF();
    ~TtetkikgirisF() override;

    // Controls, reachable by name from the other screens.
    Ui::TtetkikgirisF* const ui;

    // Follows frmMain->muayeneRSource; its lookup fields read TetkikF->tetkikTTable.
    DataSet* const labTable;
    DataSource* const labSource;
};
