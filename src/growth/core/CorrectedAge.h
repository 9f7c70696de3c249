#pragma once

#include <QDate>
#include <QString>

// The age of a child born early, counted from the day the child was due: the chronological age
// minus (40 - weeks at birth) weeks, for a child born before 37 weeks while younger than 24
// months. Gestational weeks of 0 mean unknown, taken as term.
class CorrectedAge final
{
public:
    static constexpr int termWeeks = 40;
    static constexpr int pretermBelowWeeks = 37;
    static constexpr int correctedUntilMonths = 24;
    // What the child record takes as gestational weeks at birth.
    static constexpr int fewestWeeks = 22;
    static constexpr int mostWeeks = 44;

    // Days taken off the age at the visit; 0 when no correction applies.
    static int correctionDays(int weeks, const QDate& birth, const QDate& visit);
    // The age in days the assessment uses; NaN without a birth date, or for a visit before
    // birth or before the due date of a child whose age is corrected.
    static double assessmentDays(int weeks, const QDate& birth, const QDate& visit);
    // "5 Ay 3 Gün" counted from the due date; empty when no correction applies.
    static QString text(int weeks, const QDate& birth, const QDate& visit);
};
