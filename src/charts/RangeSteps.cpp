#include "RangeSteps.h"

#include <QDate>

int RangeSteps::months(const QDate& birth, const QDate& visit)
{
    return (visit.year() - birth.year()) * 12 + (visit.month() - birth.month());
}

int RangeSteps::stepForMonths(int months)
{
    if (months <= 36)
        return 3;
    if (months <= 60)
        return 5;
    if (months <= 120)
        return 10;
    if (months <= 180)
        return 15;
    return 20;
}

bool RangeSteps::rangesFor(int step, Ranges& ranges)
{
    if (step < 5)
        step = 3;
    switch (step) {
    case 3:
        ranges = { 18, 2, 36, 3, 105 };
        return true;
    case 5:
        ranges = { 26, 3, 60, 5, 120 };
        return true;
    case 10:
        ranges = { 52, 4, 120, 10, 152 };
        return true;
    case 15:
        ranges = { 85, 4, 180, 15, 190 };
        return true;
    case 20:
        ranges = { 102, 5, 240, 20, 192 };
        return true;
    default:
        return false;
    }
}

int RangeSteps::next(int step)
{
    if (step < 5)
        return 5;
    switch (step) {
    case 5:
        return 10;
    case 10:
        return 15;
    case 15:
        return 20;
    case 20:
        return 3;
    default:
        return step;
    }
}
