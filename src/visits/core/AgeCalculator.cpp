#include "AgeCalculator.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Days of an average month: a Gregorian year of 365.2425 days over twelve.
constexpr double averageMonthDays = 30.4375;

// The date an empty date field reads as.
const QDate zeroDate(1899, 12, 30);

// Integer division rounded toward minus infinity.
int floorDiv(int value, int divisor)
{
    const int quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Length of the month before the reference month; January borrows December's 31 days.
int previousMonthLength(const QDate& reference)
{
    if (reference.month() == 1)
        return 31;
    return QDate(reference.year(), reference.month() - 1, 1).daysInMonth();
}

} // namespace

Age AgeCalculator::compute(const QDate& birth, const QDate& reference)
{
    const QDate b = birth.isValid() ? birth : zeroDate;
    const QDate r = reference.isValid() ? reference : zeroDate;

    int days = r.day() - b.day();
    int borrow = 0;
    if (days < 0) {
        // Borrowed once only: a birth day past the end of the previous month leaves it negative.
        days += previousMonthLength(r);
        borrow = 1;
    }
    const int monthDifference = (r.month() - b.month()) + 12 * (r.year() - b.year());
    const int months = monthDifference - borrow;

    Age age;
    age.months = months;
    age.days = days;
    age.value = months + days / 100.0;

    const int years = floorDiv(months, 12);
    age.yearText = u"%1,%2,%3"_s.arg(years).arg(months - 12 * years).arg(days);
    age.vaccineText = u"%1 Ay %2 Gün"_s.arg(months).arg(days);
    return age;
}

double AgeCalculator::chartMonths(const QDate& birth, const QDate& visit, double storedValue)
{
    if (birth.isValid() && visit.isValid()) {
        const Age age = compute(birth, visit);
        return age.months + age.days / averageMonthDays;
    }
    const double months = std::floor(storedValue + 1e-9);
    const double days = std::round((storedValue - months) * 100.0);
    return months + days / averageMonthDays;
}
