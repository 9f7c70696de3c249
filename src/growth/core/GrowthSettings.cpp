#include "GrowthSettings.h"

#include "ProgramSettings.h"

using namespace Qt::StringLiterals;

namespace {

const QString key = u"buyume/referans"_s;
const QString whoName = u"WHO"_s;
const QString cdcName = u"CDC2000"_s;

} // namespace

GrowthStandard GrowthSettings::standard()
{
    return ProgramSettings::value(key).toString() == whoName ? GrowthStandard::Who : GrowthStandard::Cdc2000;
}

void GrowthSettings::setStandard(GrowthStandard standard)
{
    ProgramSettings::setValue(key, standard == GrowthStandard::Who ? whoName : cdcName);
}
