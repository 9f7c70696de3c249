#pragma once

// The growth references the program can assess against.
enum class GrowthStandard {
    Cdc2000, // CDC 2000 growth charts, birth to 20 years
    Who, // WHO Child Growth Standards (0-5 years) and WHO 2007 references (5-19 years)
};

// What a measurement is compared with: the age-based indicators are indexed by age in days,
// weight-for-length and weight-for-height by the length or height in cm.
enum class GrowthIndicator {
    WeightForAge,
    LengthForAge, // recumbent length below 2 years, standing height from 2 years
    HeadForAge,
    BmiForAge,
    WeightForLength, // infants, recumbent length
    WeightForHeight, // from 2 years, standing height
};

// How a length or height was measured. ByAge takes the usual way for the age (lying below
// 731 days, standing from then on) and needs no conversion.
enum class HeightPosition {
    ByAge,
    Recumbent,
    Standing,
};
