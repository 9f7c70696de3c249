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
};
