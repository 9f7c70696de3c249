#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;

namespace Ui {
class TTetkikF;
}

// Catalogue of laboratory test types with their normal ranges.
class TTetkikF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TTetkikF> ui;

public:
    TTetkikF();
    ~TTetkikF() override;

    // Feeds the lookup fields of tetkikgirisF->labTable.
    DataSet* const tetkikTTable;
    DataSource* const tetkikSource;
};
