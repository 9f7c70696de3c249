#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class TChartF;
}

// Growth charts: the current child's measurements against the reference percentile curves.
class TChartF final : public TScreen
{
    Q_OBJECT

public:
    TChartF();
    ~TChartF() override;

    // Controls, reachable by name from the other screens.
    Ui::TChartF* const ui;

    // Percentile references of weight, length/height and head circumference.
    DataSet* const ffTable1;
    DataSource* const DataSource1;
    DataSet* const ffTable2;
    DataSource* const DataSource2;
    DataSet* const ffTable3;
    DataSource* const DataSource3;

    // Fills the three charts for the current child.
    void BitBtn2Click();
};
