#pragma once

#include "AgeCalculator.h"

#include <QDate>
#include <QDateTime>
#include <QString>

class DataSet;

// The data work behind the visit screen, kept apart from its controls so that the benchmark
// runs exactly what the screen runs.
class VisitQueries final
{
public:
    // The history statements: one child's visits by date, the child code bound as ":kod".
    static QString childHistorySql(bool ascending = false);
    // The history's statement before it has followed any child: every visit, newest first.
    static QString allVisitsSql();

    // Re-reads the history for one child: close, new statement, code bound, open.
    static void showChildHistory(DataSet* history, const QString& code, bool ascending = false);

    // Finds the first child, in the registry's order, whose first name and surname begin with
    // the two texts in any letter case, and makes it the current record; false when none does.
    static bool locateByNameBeginnings(DataSet* registry, const QString& firstName, const QString& surname);

    // Fills a visit just appended: date and time, child code and the age at that date.
    static Age fillNewVisit(DataSet* visits, const QDateTime& when, const QString& code, const QDate& birth);

    // "adi soyadi" of the signed-in user's record.
    static QString doctorName(const DataSet* accounts);

    // Refuses weights, heights and head circumferences no child can have; the text says which
    // value and why. Text that is not a number is left to the data layer's own check.
    static void checkMeasurements(const DataSet* visits);
    static constexpr double measurementLimit = 1000.0;
};
