#include "VisitQueries.h"

#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "TurkishText.h"
#include "ValueFormats.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

// A number as stored or as typed ("58,5" or "58.5"); false when it is no number at all.
bool readNumber(const QVariant& value, double& number)
{
    if (value.typeId() != QMetaType::QString) {
        bool ok = false;
        number = value.toDouble(&ok);
        return ok;
    }
    const std::optional<double> read = ValueFormats::readNumber(value.toString());
    number = read.value_or(0.0);
    return read.has_value();
}

} // namespace

QString VisitQueries::childHistorySql(bool ascending)
{
    return u"select * from muayene where hastakodu=:kod\nORDER BY tarih "_s + (ascending ? u"ASC"_s : u"DESC"_s);
}

QString VisitQueries::allVisitsSql()
{
    return u"select * from muayene ORDER BY tarih DESC;"_s;
}

void VisitQueries::showChildHistory(DataSet* history, const QString& code, bool ascending)
{
    history->Close();
    history->setSQL(childHistorySql(ascending));
    history->clearParams();
    history->setParam(u":kod"_s, code);
    history->Open();
}

bool VisitQueries::locateByNameBeginnings(DataSet* registry, const QString& firstName, const QString& surname)
{
    return registry->Locate(u"adi;soyadi"_s, { firstName, surname },
        LocateOption::loCaseInsensitive | LocateOption::loPartialKey | LocateOption::loPartialAllFields);
}

Age VisitQueries::fillNewVisit(DataSet* visits, const QDateTime& when, const QString& code, const QDate& birth)
{
    visits->FieldByName(u"tarih"_s)->setAsDateTime(when);
    visits->FieldByName(u"hastakodu"_s)->setAsString(code);
    const Age age = AgeCalculator::compute(birth, when.date());
    visits->FieldByName(u"yas"_s)->setAsFloat(age.value);
    return age;
}

QString VisitQueries::doctorName(const DataSet* accounts)
{
    return accounts->FieldByName(u"adi"_s)->AsString() + u' ' + accounts->FieldByName(u"soyadi"_s)->AsString();
}

void VisitQueries::checkMeasurements(const DataSet* visits)
{
    static const std::pair<const char16_t*, const char16_t*> measures[] = {
        { u"kilo", u"Kilo" },
        { u"boy", u"Boy" },
        { u"basc", u"Baş çevresi" },
    };
    const QLocale turkish = TurkishText::locale();
    for (const auto& [fieldName, label] : measures) {
        const Field* field = visits->FieldByName(QString::fromUtf16(fieldName));
        if (field->IsNull())
            continue;
        double number = 0.0;
        if (!readNumber(field->Value(), number))
            continue;
        if (number < 0.0 || number >= measurementLimit)
            throw DataError(u"%1 değeri 0 ile %2 arasında olmalıdır; girilen değer: %3"_s.arg(QString::fromUtf16(label),
                turkish.toString(measurementLimit, 'f', 0), turkish.toString(number, 'g', 12)));
    }
}
