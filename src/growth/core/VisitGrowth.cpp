#include "VisitGrowth.h"

#include "CorrectedAge.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

// WHO's standards for under-fives end on this day; its school-age references take over.
constexpr double whoSchoolAgeFromDay = 1857;
// CDC gives BMI-for-age from 2 years.
constexpr double cdcBmiFromDay = 730.5;

} // namespace

VisitGrowth::VisitGrowth(const Input& input)
    : m_input(input)
{
    m_ageDays = CorrectedAge::assessmentDays(input.gestationalWeeks, input.birth, input.visit);
    m_corrected = CorrectedAge::correctionDays(input.gestationalWeeks, input.birth, input.visit) > 0;
    using I = GrowthIndicator;
    m_weight = GrowthAssessment::assess(input.standard, I::WeightForAge, input.sex, m_ageDays, input.weight);
    m_height = GrowthAssessment::assess(input.standard, I::LengthForAge, input.sex, m_ageDays, input.height);
    m_head = GrowthAssessment::assess(input.standard, I::HeadForAge, input.sex, m_ageDays, input.head);
    m_bmiValue = GrowthAssessment::bmi(input.weight, input.height);
    if (!std::isnan(m_bmiValue))
        m_bmi = GrowthAssessment::assess(input.standard, I::BmiForAge, input.sex, m_ageDays, m_bmiValue);

    if (m_weight.isValid() && input.previousVisit.isValid() && input.previousVisit < input.visit) {
        const double before = CorrectedAge::assessmentDays(input.gestationalWeeks, input.birth, input.previousVisit);
        const GrowthResult previous
            = GrowthAssessment::assess(input.standard, I::WeightForAge, input.sex, before, input.previousWeight);
        m_fell = previous.isValid() && previous.z - m_weight.z > fallingSd;
    }
}

double VisitGrowth::ageDays() const
{
    return m_ageDays;
}

bool VisitGrowth::isCorrected() const
{
    return m_corrected;
}

const GrowthResult& VisitGrowth::weight() const
{
    return m_weight;
}

const GrowthResult& VisitGrowth::height() const
{
    return m_height;
}

const GrowthResult& VisitGrowth::head() const
{
    return m_head;
}

double VisitGrowth::bmiValue() const
{
    return m_bmiValue;
}

const GrowthResult& VisitGrowth::bmi() const
{
    return m_bmi;
}

VisitGrowth::Flag VisitGrowth::percentileFlag(const GrowthResult& result)
{
    if (!result.isValid())
        return Flag::None;
    if (result.percentile < lowPercentile)
        return Flag::Low;
    if (result.percentile > highPercentile)
        return Flag::High;
    return Flag::None;
}

VisitGrowth::Flag VisitGrowth::bmiFlagOf(GrowthStandard standard, double ageDays, const GrowthResult& bmi)
{
    if (!bmi.isValid())
        return Flag::None;
    if (standard == GrowthStandard::Cdc2000) {
        if (ageDays < cdcBmiFromDay)
            return Flag::None;
        return bmi.percentile >= 95 ? Flag::Obese : bmi.percentile >= 85 ? Flag::Overweight : Flag::None;
    }
    const double overweight = ageDays < whoSchoolAgeFromDay ? 2 : 1;
    return bmi.z > overweight + 1 ? Flag::Obese : bmi.z > overweight ? Flag::Overweight : Flag::None;
}

VisitGrowth::Flag VisitGrowth::weightFlag() const
{
    return percentileFlag(m_weight);
}

VisitGrowth::Flag VisitGrowth::heightFlag() const
{
    return percentileFlag(m_height);
}

VisitGrowth::Flag VisitGrowth::headFlag() const
{
    return percentileFlag(m_head);
}

VisitGrowth::Flag VisitGrowth::bmiFlag() const
{
    return bmiFlagOf(m_input.standard, m_ageDays, m_bmi);
}

bool VisitGrowth::weightFell() const
{
    return m_fell;
}

QStringList VisitGrowth::warnings() const
{
    QStringList texts;
    if (m_fell)
        texts << u"Kilo önceki muayeneden bu yana iki ana persentil çizgisini aşağı geçti"_s;
    const auto limits = [&texts](Flag flag, const QString& what) {
        if (flag == Flag::Low)
            texts << what + u" P3'ün altında"_s;
        else if (flag == Flag::High)
            texts << what + u" P97'nin üstünde"_s;
    };
    limits(weightFlag(), u"Kilo"_s);
    limits(heightFlag(), u"Boy"_s);
    limits(headFlag(), u"Baş çevresi"_s);
    const Flag bmiClass = bmiFlag();
    if (bmiClass == Flag::Obese)
        texts << u"VKİ obezite sınırının üstünde"_s;
    else if (bmiClass == Flag::Overweight)
        texts << u"VKİ fazla kilo sınırının üstünde"_s;
    return texts;
}

QString VisitGrowth::readOut(const GrowthResult& result)
{
    if (!result.isValid())
        return {};
    return GrowthAssessment::percentileText(result.percentile) + u" · "_s + GrowthAssessment::zText(result.z);
}

QString VisitGrowth::bmiText() const
{
    if (std::isnan(m_bmiValue))
        return {};
    QString text = u"VKİ "_s + QLocale().toString(m_bmiValue, 'f', 1);
    if (m_bmi.isValid())
        text += u" · "_s + GrowthAssessment::percentileText(m_bmi.percentile);
    return text;
}
