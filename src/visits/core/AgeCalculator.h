#pragma once

#include <QDate>
#include <QString>

// A child's age at a reference date, by calendar months and days.
struct Age {
    int months = 0; // whole months (T)
    int days = 0; // days part (D), may be negative in the short-month case
    double value = 0.0;
    QString yearText; // "Y,m,D"
    QString vaccineText; // "T Ay D Gün"
};

class AgeCalculator final
{
public:
    // Times of day are ignored; an invalid birth date counts as 30.12.1899.
    static Age compute(const QDate& birth, const QDate& reference);

    // The age at which the growth charts place a visit, in months: whole months plus the days
    // as a fraction of an average month (30.4375 days), so 23 months and 29 days is 23.95. From
    // the birth and visit dates; from the stored age value (months plus days/100) when either
    // date is missing.
    static double chartMonths(const QDate& birth, const QDate& visit, double storedValue);
};
