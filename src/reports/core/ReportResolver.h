#pragma once

#include <QString>

class DataSet;

// Finds the data sets that a layout names and the report's bindings do not. The program's
// resolver looks them up among the screens by instance name; the engine itself knows no screen.
class ReportResolver
{
public:
    virtual ~ReportResolver() = default;

    // screen is empty for a name of the report's own screen (ownerScreen). nullptr when unknown.
    virtual DataSet* findDataSet(const QString& ownerScreen, const QString& screen, const QString& name) const = 0;
};
