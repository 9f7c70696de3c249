#include "ScreenReportResolver.h"

#include "DataSet.h"
#include "DataSource.h"
#include "Screens.h"
#include "TScreen.h"

DataSet* ScreenReportResolver::findDataSet(const QString& ownerScreen, const QString& screen, const QString& name) const
{
    const QString screenName = screen.isEmpty() ? ownerScreen : screen;
    if (screenName.isEmpty() || !screens().built())
        return nullptr;
    const TScreen* owner = screens().byName(screenName);
    if (!owner)
        return nullptr;
    if (auto* dataSet = owner->findChild<DataSet*>(name))
        return dataSet;
    if (auto* source = owner->findChild<DataSource*>(name))
        return source->dataSet();
    return nullptr;
}
