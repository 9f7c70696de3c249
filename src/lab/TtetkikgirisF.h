#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;

namespace Ui {
class TtetkikgirisF;
}

// Laboratory results of the visit selected in the visit screen's history.
class TtetkikgirisF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TtetkikgirisF> ui;

public:
    TtetkikgirisF();
    ~TtetkikgirisF() override;

    // Follows frmMain->muayeneRSource; its lookup fields read TetkikF->tetkikTTable.
    DataSet* const labTable;
    DataSource* const labSource;
};
