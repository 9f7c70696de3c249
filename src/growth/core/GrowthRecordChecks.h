#pragma once

class DataSet;

// The child record's growth data: gestational weeks at birth from 22 to 44, and the parents'
// heights from 100 to 250 cm; each may stay empty.
class GrowthRecordChecks final
{
public:
    static constexpr double shortestParent = 100;
    static constexpr double tallestParent = 250;

    // Throws DataError naming the first value out of its range.
    static void check(const DataSet* sicil);
};
