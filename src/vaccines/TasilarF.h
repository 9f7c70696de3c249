#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TasilarF;
}

// The vaccine screen: the vaccine catalogue, the current child's single vaccinations and the
// child's dose table.
class TasilarF final : public TScreen
{
    Q_OBJECT

public:
    TasilarF();
    ~TasilarF() override;

    // Controls, reachable by name from the other screens.
    Ui::TasilarF* const ui;

    // Vaccine kinds.
    DataSet* const asiturTable;
    DataSource* const asiturSource;
    // Vaccinations given, one record per shot.
    DataSet* const receTable;
    DataSource* const receSource;
    DataSet* const asiQuery;
    DataSource* const asiSource;
    // The dose table; follows ozluk->sicilSource.
    DataSet* const asi2Table;
    DataSource* const asi2Source;

    // Lists the current child's vaccinations.
    void JvXPButton2Click();
};
