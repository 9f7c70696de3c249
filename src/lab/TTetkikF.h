#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TTetkikF;
}

// Catalogue of laboratory test types with their normal ranges.
class TTetkikF final : public TScreen
{
    Q_OBJECT

public:
    TTetkikF();
    ~TTetkikF() override;

    // Controls, reachable by name from the other screens.
    Ui::TTetkikF* const ui;

    // Feeds the lookup fields of tetkikgirisF->labTable.
    DataSet* const tetkikTTable;
    DataSource* const tetkikSource;
};
