#include "GrowthAssessment.h"

#include "GrowthReference.h"

#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

double nan()
{
    return std::nan("");
}

// The value at z by L, M and S.
double valueAt(const Lms& lms, double z)
{
    if (std::abs(lms.l) < 1e-12)
        return lms.m * std::exp(lms.s * z);
    return lms.m * std::pow(1 + lms.l * lms.s * z, 1 / lms.l);
}

} // namespace

double GrowthAssessment::zScore(const Lms& lms, double x, bool restricted)
{
    if (!(x > 0) || !(lms.m > 0) || !(lms.s > 0))
        return nan();
    const double z
        = std::abs(lms.l) < 1e-12 ? std::log(x / lms.m) / lms.s : (std::pow(x / lms.m, lms.l) - 1) / (lms.l * lms.s);
    if (!restricted || std::abs(z) <= 3)
        return z;
    // Beyond 3 SD the distance between the 2 and 3 SD values is the unit.
    if (z > 3) {
        const double sd3 = valueAt(lms, 3);
        return 3 + (x - sd3) / (sd3 - valueAt(lms, 2));
    }
    const double sd3 = valueAt(lms, -3);
    return -3 + (x - sd3) / (valueAt(lms, -2) - sd3);
}

double GrowthAssessment::percentileOf(double z)
{
    return 50.0 * std::erfc(-z / std::sqrt(2.0));
}

GrowthResult GrowthAssessment::assess(
    GrowthStandard standard, GrowthIndicator indicator, int sex, double ageDays, double value, HeightPosition position)
{
    GrowthResult result;
    if ((sex != 1 && sex != 2) || std::isnan(ageDays) || !(value > 0))
        return result;
    if (indicator == GrowthIndicator::LengthForAge)
        value = lengthForAge(ageDays, value, position);
    const GrowthReference& reference = GrowthReference::of(standard);
    Lms lms;
    if (!reference.lmsAt(indicator, sex, ageDays, lms))
        return result;
    result.z = zScore(lms, value, reference.restrictsZ(indicator));
    result.percentile = percentileOf(result.z);
    return result;
}

GrowthResult GrowthAssessment::assessWeightForLength(
    GrowthStandard standard, int sex, double ageDays, double lengthCm, double weightKg, HeightPosition position)
{
    GrowthResult result;
    if ((sex != 1 && sex != 2) || std::isnan(ageDays) || !(lengthCm > 0) || !(weightKg > 0))
        return result;
    const GrowthIndicator indicator
        = ageDays < standingFromDay ? GrowthIndicator::WeightForLength : GrowthIndicator::WeightForHeight;
    const GrowthReference& reference = GrowthReference::of(standard);
    Lms lms;
    if (!reference.lmsAt(indicator, sex, lengthForAge(ageDays, lengthCm, position), lms))
        return result;
    result.z = zScore(lms, weightKg, reference.restrictsZ(indicator));
    result.percentile = percentileOf(result.z);
    return result;
}

double GrowthAssessment::lengthForAge(double ageDays, double value, HeightPosition position)
{
    if (ageDays < standingFromDay && position == HeightPosition::Standing)
        return value + standingDifference;
    if (ageDays >= standingFromDay && position == HeightPosition::Recumbent)
        return value - standingDifference;
    return value;
}

double GrowthAssessment::ageDays(const QDate& birth, const QDate& visit)
{
    if (!birth.isValid() || !visit.isValid() || visit < birth)
        return nan();
    return double(birth.daysTo(visit));
}

int GrowthAssessment::sexOf(const QString& cinsiyeti)
{
    const QString sex = cinsiyeti.trimmed();
    if (sex.compare(u"Erkek"_s, Qt::CaseInsensitive) == 0)
        return 1;
    if (sex == u"Kız"_s || sex == u"KIZ"_s || sex == u"kız"_s)
        return 2;
    return 0;
}

double GrowthAssessment::bmi(double weightKg, double heightCm)
{
    if (!(weightKg > 0) || !(heightCm > 0))
        return nan();
    const double metres = heightCm / 100.0;
    return weightKg / (metres * metres);
}

QString GrowthAssessment::percentileText(double percentile)
{
    if (std::isnan(percentile))
        return {};
    const QLocale locale;
    if (percentile < 1 || percentile > 99) {
        // One decimal that never reads as P0 or P100.
        const double shown = std::clamp(std::round(percentile * 10) / 10, 0.1, 99.9);
        return u"P"_s + locale.toString(shown, 'f', 1);
    }
    return u"P"_s + locale.toString(std::round(percentile), 'f', 0);
}

QString GrowthAssessment::zText(double z)
{
    if (std::isnan(z))
        return {};
    const double rounded = std::round(z * 100) / 100;
    const QString digits = QLocale().toString(std::abs(rounded), 'f', 2);
    return u"z "_s + (rounded < 0 ? u"\u2212"_s : QString()) + digits;
}
