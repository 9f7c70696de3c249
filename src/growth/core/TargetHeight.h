#pragma once

#include <cmath>

// The child's genetic target (mid-parental) height from the parents' heights in cm.
struct TargetHeight {
    static constexpr double range = 8.5;

    double centre = std::nan("");

    bool isValid() const
    {
        return !std::isnan(centre);
    }
    double low() const
    {
        return centre - range;
    }
    double high() const
    {
        return centre + range;
    }

    // (mother + father + 13) / 2 for boys (sex 1), (mother + father - 13) / 2 for girls (sex 2);
    // nothing for an unknown sex or without both heights.
    static TargetHeight of(int sex, double motherCm, double fatherCm)
    {
        TargetHeight target;
        if ((sex != 1 && sex != 2) || !(motherCm > 0) || !(fatherCm > 0))
            return target;
        target.centre = (motherCm + fatherCm + (sex == 1 ? 13.0 : -13.0)) / 2.0;
        return target;
    }
};
