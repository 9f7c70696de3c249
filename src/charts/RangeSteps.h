#pragma once

class QDate;

// The ranges the growth charts' axes take for the number of years the age axis spans (3, 5,
// 10, 15 or 20), and the step chosen for a child's age.
class RangeSteps final
{
public:
    struct Ranges {
        double weightMax = 0;
        double weightInterval = 0;
        double ageMax = 0; // months, on the weight and the height chart
        double ageInterval = 0;
        double heightMax = 0;
    };

    // Calendar months from birth to visit; the days of the month are not looked at.
    static int months(const QDate& birth, const QDate& visit);
    // The step that shows a child of that many months.
    static int stepForMonths(int months);
    // The ranges of a step (a step below 5 counts as 3); false for a value that is no step.
    static bool rangesFor(int step, Ranges& ranges);
    // The step after this one; after 20 the cycle starts again at 3.
    static int next(int step);
};
