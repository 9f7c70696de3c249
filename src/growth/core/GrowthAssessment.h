#pragma once

#include "GrowthTypes.h"
#include "LmsTable.h"

#include <QDate>
#include <QString>

#include <cmath>

// Where one measurement stands: its standard deviation score and percentile; both NaN when
// it cannot be assessed (no table for the age or length, unknown sex, no birth date).
struct GrowthResult {
    double z = std::nan("");
    double percentile = std::nan("");

    bool isValid() const
    {
        return !std::isnan(z);
    }
};

// The assessment of measurements against a growth reference.
class GrowthAssessment final
{
public:
    // Where a length or height is measured standing instead of lying (WHO's rule).
    static constexpr double standingFromDay = 731;
    // Standing height is this much shorter than the recumbent length of the same child.
    static constexpr double standingDifference = 0.7;

    // z of x by L, M and S; with restricted, WHO's linear extension beyond +-3 SD.
    static double zScore(const Lms& lms, double x, bool restricted);
    // 100 * Phi(z).
    static double percentileOf(double z);

    // An age-based indicator at ageDays (days since birth) for sex (1 boys, 2 girls).
    // A length/height measured the other way than usual for the age is converted first.
    static GrowthResult assess(GrowthStandard standard, GrowthIndicator indicator, int sex, double ageDays,
        double value, HeightPosition position = HeightPosition::ByAge);
    // Weight for length (below 731 days) or for height (from then on).
    static GrowthResult assessWeightForLength(GrowthStandard standard, int sex, double ageDays, double lengthCm,
        double weightKg, HeightPosition position = HeightPosition::ByAge);

    // The length or height as the table of that age takes it.
    static double lengthForAge(double ageDays, double value, HeightPosition position);

    // Days from birth to the visit; NaN without a birth date or for a visit before birth.
    static double ageDays(const QDate& birth, const QDate& visit);
    // 1 for "Erkek", 2 for "Kız", 0 for anything else.
    static int sexOf(const QString& cinsiyeti);
    // kg/m^2; NaN unless both are above zero.
    static double bmi(double weightKg, double heightCm);

    // "P42", "P0,4", "P99,7": one decimal below 1 and above 99, else whole; in the program's
    // locale. Empty for NaN.
    static QString percentileText(double percentile);
    // "z −0,21": two decimals with a true minus sign. Empty for NaN.
    static QString zText(double z);
};
