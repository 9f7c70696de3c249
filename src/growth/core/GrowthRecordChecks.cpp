#include "GrowthRecordChecks.h"

#include "CorrectedAge.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"

#include <QLocale>

using namespace Qt::StringLiterals;

void GrowthRecordChecks::check(const DataSet* sicil)
{
    const QLocale locale;
    const Field* weeks = sicil->FieldByName(u"dogumhaftasi"_s);
    if (!weeks->IsNull()) {
        const int value = weeks->AsInteger();
        if (value < CorrectedAge::fewestWeeks || value > CorrectedAge::mostWeeks)
            throw DataError(
                u"Doğum haftası %1 ile %2 arasında olmalıdır; girilen değer: %3"_s.arg(CorrectedAge::fewestWeeks)
                    .arg(CorrectedAge::mostWeeks)
                    .arg(value));
    }
    for (const auto& [fieldName, label] :
        { std::pair { u"anneboy"_s, u"Anne boyu"_s }, std::pair { u"bababoy"_s, u"Baba boyu"_s } }) {
        const Field* field = sicil->FieldByName(fieldName);
        if (field->IsNull())
            continue;
        const double value = field->AsFloat();
        if (value < shortestParent || value > tallestParent)
            throw DataError(u"%1 %2 ile %3 cm arasında olmalıdır; girilen değer: %4"_s.arg(label,
                locale.toString(shortestParent, 'f', 0), locale.toString(tallestParent, 'f', 0),
                locale.toString(value, 'g', 6)));
    }
}
