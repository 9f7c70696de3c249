#pragma once

#include "ReportResolver.h"

// Finds a layout's data sets on the program's screens: "ozluk.sicilTable" is the data set
// sicilTable of the screen ozluk, a name without a screen one of the report's own screen. A
// data source's name stands for its data set.
class ScreenReportResolver final : public ReportResolver
{
public:
    DataSet* findDataSet(const QString& ownerScreen, const QString& screen, const QString& name) const override;
};
