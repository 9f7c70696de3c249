#include "GrowthSettings.h"

#include "ProgramSettings.h"

using namespace Qt::StringLiterals;

namespace {

const QString key = u"buyume/referans"_s;
const QString whoName = u"WHO"_s;
const QString cdcName = u"CDC2000"_s;

// The choice as last read, with the file it was read from: typing in a measurement box asks
// for it at every key.
struct Cached {
    QString file;
    GrowthStandard standard = GrowthStandard::Cdc2000;
};

Cached& cached()
{
    static Cached c;
    return c;
}

} // namespace

GrowthStandard GrowthSettings::standard()
{
    Cached& c = cached();
    const QString file = ProgramSettings::file();
    if (c.file != file) {
        c.standard = ProgramSettings::value(key).toString() == whoName ? GrowthStandard::Who : GrowthStandard::Cdc2000;
        c.file = file;
    }
    return c.standard;
}

void GrowthSettings::setStandard(GrowthStandard standard)
{
    ProgramSettings::setValue(key, standard == GrowthStandard::Who ? whoName : cdcName);
    cached() = Cached { ProgramSettings::file(), standard };
}
