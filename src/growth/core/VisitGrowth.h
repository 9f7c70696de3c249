#pragma once

#include "GrowthAssessment.h"
#include "GrowthTypes.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cmath>

// The growth assessment of one visit: each measurement's percentile and z, the BMI and its
// class, and the warnings, from what the visit screen holds.
class VisitGrowth final
{
public:
    // Where a measurement stands against the reference's limits.
    enum class Flag {
        None,
        Low, // below P3
        High, // above P97
        Overweight, // BMI above the reference's overweight cut-off
        Obese, // BMI above the reference's obesity cut-off
    };

    // A fall of weight-for-age of more than this many SD between two visits: two of the major
    // percentile lines crossed.
    static constexpr double fallingSd = 1.34;
    // A measurement is flagged below this percentile or above its mirror.
    static constexpr double lowPercentile = 3;
    static constexpr double highPercentile = 97;

    struct Input {
        GrowthStandard standard = GrowthStandard::Cdc2000;
        int sex = 0; // 1 boys, 2 girls
        QDate birth;
        int gestationalWeeks = 0; // 0 unknown (term)
        QDate visit;
        double weight = std::nan("");
        double height = std::nan("");
        double head = std::nan("");
        // The child's visit before this one, for the weight trend.
        QDate previousVisit;
        double previousWeight = std::nan("");
    };

    explicit VisitGrowth(const Input& input);

    // The age the assessment uses (corrected for a child born early); NaN without one.
    double ageDays() const;
    bool isCorrected() const;

    const GrowthResult& weight() const;
    const GrowthResult& height() const;
    const GrowthResult& head() const;
    double bmiValue() const;
    const GrowthResult& bmi() const;

    Flag weightFlag() const;
    Flag heightFlag() const;
    Flag headFlag() const;
    Flag bmiFlag() const;
    bool weightFell() const;

    // The warnings in plain words, most important first; empty when all is well.
    QStringList warnings() const;

    // "P42 · z −0,21", empty when the measurement cannot be assessed.
    static QString readOut(const GrowthResult& result);
    // "VKİ 16,2 · P55" (or "VKİ 16,2" where the reference has no BMI for the age); empty
    // without a BMI.
    QString bmiText() const;

    // The BMI class by the reference's own cut-offs at the age.
    static Flag bmiFlagOf(GrowthStandard standard, double ageDays, const GrowthResult& bmi);
    // Below P3, above P97, or none.
    static Flag percentileFlag(const GrowthResult& result);

private:
    Input m_input;
    double m_ageDays = std::nan("");
    bool m_corrected = false;
    GrowthResult m_weight;
    GrowthResult m_height;
    GrowthResult m_head;
    GrowthResult m_bmi;
    double m_bmiValue = std::nan("");
    bool m_fell = false;
};
