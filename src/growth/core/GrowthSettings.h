#pragma once

#include "GrowthTypes.h"

// The growth reference chosen for the whole program, kept in the program's settings; CDC 2000
// until another is chosen.
class GrowthSettings final
{
public:
    static GrowthStandard standard();
    static void setStandard(GrowthStandard standard);
};
