#include "CorrectedAge.h"

#include "AgeCalculator.h"
#include "GrowthAssessment.h"

#include <cmath>

int CorrectedAge::correctionDays(int weeks, const QDate& birth, const QDate& visit)
{
    if (weeks <= 0 || weeks >= pretermBelowWeeks || !birth.isValid() || !visit.isValid() || visit < birth)
        return 0;
    if (AgeCalculator::compute(birth, visit).months >= correctedUntilMonths)
        return 0;
    return (termWeeks - weeks) * 7;
}

double CorrectedAge::assessmentDays(int weeks, const QDate& birth, const QDate& visit)
{
    const double days = GrowthAssessment::ageDays(birth, visit);
    if (std::isnan(days))
        return days;
    const double corrected = days - correctionDays(weeks, birth, visit);
    return corrected < 0 ? std::nan("") : corrected;
}

QString CorrectedAge::text(int weeks, const QDate& birth, const QDate& visit)
{
    const int correction = correctionDays(weeks, birth, visit);
    if (correction == 0)
        return {};
    const QDate due = birth.addDays(correction);
    if (visit < due)
        return {};
    return AgeCalculator::compute(due, visit).vaccineText;
}
