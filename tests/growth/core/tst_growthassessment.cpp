#include "CorrectedAge.h"
#include "GrowthAssessment.h"
#include "GrowthReference.h"
#include "LmsTable.h"
#include "TargetHeight.h"
#include "VisitGrowth.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

class tst_GrowthAssessment final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableValuesGiveTheirPercentile_data();
    void tableValuesGiveTheirPercentile();
    void agesBetweenRowsInterpolate_data();
    void agesBetweenRowsInterpolate();
    void whoRestrictsWeightBeyondThreeSd();
    void lengthOrHeightByAge_data();
    void lengthOrHeightByAge();
    void nothingWithoutATable_data();
    void nothingWithoutATable();
    void percentileAndZTexts_data();
    void percentileAndZTexts();
    void correctedAge_data();
    void correctedAge();
    void bmiCutOffs_data();
    void bmiCutOffs();
    void weightFallSincePreviousVisit_data();
    void weightFallSincePreviousVisit();
    void targetHeight_data();
    void targetHeight();
    void warningsOfAVisit();
};

namespace {

constexpr double daysPerMonth = 30.4375;

// The standard normal quantiles of the tabulated percentiles.
double quantile(const QString& column)
{
    static const QHash<QString, double> z {
        { u"P3"_s, -1.880793608151 },
        { u"P5"_s, -1.644853626951 },
        { u"P10"_s, -1.281551565545 },
        { u"P15"_s, -1.036433389494 },
        { u"P25"_s, -0.674489750196 },
        { u"P50"_s, 0.0 },
        { u"P75"_s, 0.674489750196 },
        { u"P85"_s, 1.036433389494 },
        { u"P90"_s, 1.281551565545 },
        { u"P95"_s, 1.644853626951 },
        { u"P97"_s, 1.880793608151 },
    };
    return z.value(column, std::nan(""));
}

QByteArray shippedFile(const QString& name)
{
    QFile file(qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/data/"_s + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The weight a boy of the WHO table's first day has at z (from the table's own L, M, S).
double valueAtZ(const Lms& lms, double z)
{
    return lms.m * std::pow(1 + lms.l * lms.s * z, 1 / lms.l);
}

Lms lmsOf(GrowthStandard standard, GrowthIndicator indicator, int sex, double x)
{
    Lms lms;
    if (!GrowthReference::of(standard).lmsAt(indicator, sex, x, lms))
        lms.m = std::nan("");
    return lms;
}

QDate dmy(const char* text)
{
    return QDate::fromString(QString::fromLatin1(text), u"dd.MM.yyyy"_s);
}

} // namespace

// Every percentile value of every shipped table, fed back at its own row, gives its
// percentile's z; CDC's values are exact, WHO's rounded to three decimals, so that a small value
// (a newborn's weight) may also be off by the z of half its last decimal.
void tst_GrowthAssessment::tableValuesGiveTheirPercentile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<bool>("restricted");
    QTest::addColumn<double>("rounding");
    for (const char* name : { "cdc_wtageinf.csv", "cdc_lenageinf.csv", "cdc_hcageinf.csv", "cdc_wtage.csv",
             "cdc_statage.csv", "cdc_bmiagerev.csv", "cdc_wtleninf.csv", "cdc_wtstat.csv" })
        QTest::newRow(name) << QString::fromLatin1(name) << 1e-4 << false << 0.0;
    for (const char* name : { "who_wfa_0_5y_days.csv", "who_bfa_0_5y_days.csv", "who_wfl_45_110cm.csv",
             "who_wfh_65_120cm.csv", "who2007_wfa_5_10y_months.csv", "who2007_bfa_5_19y_months.csv" })
        QTest::newRow(name) << QString::fromLatin1(name) << 1e-3 << true << 0.0005;
    for (const char* name : { "who_lhfa_0_5y_days.csv", "who_hcfa_0_5y_days.csv", "who2007_hfa_5_19y_months.csv" })
        QTest::newRow(name) << QString::fromLatin1(name) << 1e-3 << false << 0.0005;
}

void tst_GrowthAssessment::tableValuesGiveTheirPercentile()
{
    QFETCH(QString, file);
    QFETCH(double, tolerance);
    QFETCH(bool, restricted);
    QFETCH(double, rounding);
    const QByteArray text = shippedFile(file);
    QVERIFY2(!text.isEmpty(), qPrintable(file));
    int checked = 0;
    for (int sex : { 1, 2 }) {
        const LmsTable table = LmsTable::fromCsv(text, sex, 1);
        QVERIFY(table.rowCount() > 10);
        for (const QString& column : table.percentileNames()) {
            const std::vector<double>& values = table.percentile(column);
            QCOMPARE(int(values.size()), table.rowCount());
            for (int row = 0; row < table.rowCount(); ++row) {
                Lms lms;
                QVERIFY(table.lmsAt(table.indexAt(row), lms));
                const double x = values[std::size_t(row)];
                const double z = GrowthAssessment::zScore(lms, x, restricted);
                // dz/dx = (x/M)^L / (x S)
                const double slope = std::pow(x / lms.m, lms.l) / (x * lms.s);
                if (std::abs(z - quantile(column)) > tolerance + rounding * slope)
                    QFAIL(qPrintable(u"%1 sex %2 row %3 %4: z %5"_s.arg(file).arg(sex).arg(row).arg(column).arg(z)));
                ++checked;
            }
        }
    }
    QVERIFY(checked > 100);
}

// Between two rows L, M and S are taken on the straight line between them: the mean of the
// two rows' medians has z 0 at the midpoint.
void tst_GrowthAssessment::agesBetweenRowsInterpolate_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("row");
    const auto add
        = [](const char* name, GrowthStandard s, GrowthIndicator i, const char* file, double scale, int row) {
              QTest::newRow(name) << int(s) << int(i) << QString::fromLatin1(file) << scale << row;
          };
    using S = GrowthStandard;
    using I = GrowthIndicator;
    add("CDC weight 1 month", S::Cdc2000, I::WeightForAge, "cdc_wtageinf.csv", daysPerMonth, 1);
    add("CDC stature 10 years", S::Cdc2000, I::LengthForAge, "cdc_statage.csv", daysPerMonth, 192);
    add("CDC BMI 3 years", S::Cdc2000, I::BmiForAge, "cdc_bmiagerev.csv", daysPerMonth, 24);
    add("WHO head day 100", S::Who, I::HeadForAge, "who_hcfa_0_5y_days.csv", 1, 100);
    add("WHO weight 6 years", S::Who, I::WeightForAge, "who2007_wfa_5_10y_months.csv", daysPerMonth, 11);
    add("WHO height 15 years", S::Who, I::LengthForAge, "who2007_hfa_5_19y_months.csv", daysPerMonth, 119);
}

void tst_GrowthAssessment::agesBetweenRowsInterpolate()
{
    QFETCH(int, standard);
    QFETCH(int, indicator);
    QFETCH(QString, file);
    QFETCH(double, scale);
    QFETCH(int, row);
    const LmsTable table = LmsTable::fromCsv(shippedFile(file), 2, scale);
    const double a = table.indexAt(row);
    const double b = table.indexAt(row + 1);
    const Lms lo = table.lmsAtRow(row);
    const Lms hi = table.lmsAtRow(row + 1);
    const double middleMedian = (lo.m + hi.m) / 2;
    const GrowthResult mid
        = GrowthAssessment::assess(GrowthStandard(standard), GrowthIndicator(indicator), 2, (a + b) / 2, middleMedian);
    QVERIFY(mid.isValid());
    QVERIFY2(std::abs(mid.z) < 1e-9, qPrintable(QString::number(mid.z)));
    QCOMPARE(mid.percentile, 50.0);
    // A quarter of the way: the median a quarter of the way, not the nearer row's.
    const GrowthResult quarter = GrowthAssessment::assess(
        GrowthStandard(standard), GrowthIndicator(indicator), 2, a + (b - a) / 4, lo.m + (hi.m - lo.m) / 4);
    QVERIFY(std::abs(quarter.z) < 1e-9);
    const GrowthResult nearerRow
        = GrowthAssessment::assess(GrowthStandard(standard), GrowthIndicator(indicator), 2, a + (b - a) / 4, lo.m);
    QVERIFY(std::abs(nearerRow.z) > 1e-6);
}

// WHO boys' weight on day 0: L 0.3487, M 3.3464, S 0.14602. By hand:
// SD3 = 3.3464 * (1 + 0.3487*0.14602*3)^(1/0.3487) = 5.03064, SD2 = 4.41935, so 5.5 kg is
// 3 + (5.5 - 5.03064) / (5.03064 - 4.41935) = 3 + 0.46936 / 0.61129 = 3.7678;
// SD-3 = 2.08031, SD-2 = 2.45931, so 1.8 kg is -3 + (1.8 - 2.08031) / (2.45931 - 2.08031)
// = -3 - 0.28031 / 0.37900 = -3.7396. The plain formula would give 3.42 and -4.25.
void tst_GrowthAssessment::whoRestrictsWeightBeyondThreeSd()
{
    using S = GrowthStandard;
    using I = GrowthIndicator;
    const GrowthResult heavy = GrowthAssessment::assess(S::Who, I::WeightForAge, 1, 0, 5.5);
    QVERIFY2(std::abs(heavy.z - 3.7678) < 1e-3, qPrintable(QString::number(heavy.z)));
    const GrowthResult light = GrowthAssessment::assess(S::Who, I::WeightForAge, 1, 0, 1.8);
    QVERIFY2(std::abs(light.z - -3.7396) < 1e-3, qPrintable(QString::number(light.z)));
    // Within 3 SD nothing changes.
    const Lms lms = lmsOf(S::Who, I::WeightForAge, 1, 0);
    QVERIFY(std::abs(GrowthAssessment::assess(S::Who, I::WeightForAge, 1, 0, valueAtZ(lms, 2.5)).z - 2.5) < 1e-9);
    // CDC and WHO's length keep the plain formula beyond 3 SD.
    const Lms length = lmsOf(S::Who, I::LengthForAge, 1, 0);
    QVERIFY(std::abs(GrowthAssessment::assess(S::Who, I::LengthForAge, 1, 0, valueAtZ(length, 3.5)).z - 3.5) < 1e-9);
    const Lms cdc = lmsOf(S::Cdc2000, I::WeightForAge, 1, 0);
    QVERIFY(std::abs(GrowthAssessment::assess(S::Cdc2000, I::WeightForAge, 1, 0, valueAtZ(cdc, 3.5)).z - 3.5) < 1e-9);
}

// Below 731 days the tables hold recumbent length, from 731 days standing height; a standing
// measurement below 2 years counts 0.7 cm more, a lying one from 2 years 0.7 cm less.
void tst_GrowthAssessment::lengthOrHeightByAge_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<double>("day");
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("shift"); // what the median of the day's table is measured as
    using S = GrowthStandard;
    using P = HeightPosition;
    QTest::newRow("WHO 730 lying") << int(S::Who) << 730.0 << int(P::Recumbent) << 0.0;
    QTest::newRow("WHO 730 by age") << int(S::Who) << 730.0 << int(P::ByAge) << 0.0;
    QTest::newRow("WHO 730 standing") << int(S::Who) << 730.0 << int(P::Standing) << -0.7;
    QTest::newRow("WHO 731 standing") << int(S::Who) << 731.0 << int(P::Standing) << 0.0;
    QTest::newRow("WHO 731 by age") << int(S::Who) << 731.0 << int(P::ByAge) << 0.0;
    QTest::newRow("WHO 731 lying") << int(S::Who) << 731.0 << int(P::Recumbent) << 0.7;
    QTest::newRow("CDC 730 standing") << int(S::Cdc2000) << 730.0 << int(P::Standing) << -0.7;
    QTest::newRow("CDC 731 lying") << int(S::Cdc2000) << 731.0 << int(P::Recumbent) << 0.7;
}

void tst_GrowthAssessment::lengthOrHeightByAge()
{
    QFETCH(int, standard);
    QFETCH(double, day);
    QFETCH(int, position);
    QFETCH(double, shift);
    const Lms lms = lmsOf(GrowthStandard(standard), GrowthIndicator::LengthForAge, 1, day);
    const GrowthResult r = GrowthAssessment::assess(
        GrowthStandard(standard), GrowthIndicator::LengthForAge, 1, day, lms.m + shift, HeightPosition(position));
    QVERIFY2(std::abs(r.z) < 1e-9, qPrintable(QString::number(r.z)));

    // The tables themselves switch: the day-731 median stands below the day-730 one.
    const Lms before = lmsOf(GrowthStandard(standard), GrowthIndicator::LengthForAge, 1, 730);
    const Lms after = lmsOf(GrowthStandard(standard), GrowthIndicator::LengthForAge, 1, 731);
    QVERIFY(after.m < before.m);

    // Weight for length below 731 days, for height from then on, with the same conversion.
    const GrowthIndicator wfl = day < 731 ? GrowthIndicator::WeightForLength : GrowthIndicator::WeightForHeight;
    const Lms byLength = lmsOf(GrowthStandard(standard), wfl, 1, 85.0);
    const GrowthResult w = GrowthAssessment::assessWeightForLength(
        GrowthStandard(standard), 1, day, 85.0 + shift, byLength.m, HeightPosition(position));
    QVERIFY2(std::abs(w.z) < 1e-9, qPrintable(QString::number(w.z)));
}

void tst_GrowthAssessment::nothingWithoutATable_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<int>("sex");
    QTest::addColumn<double>("day");
    QTest::addColumn<double>("value");
    using S = GrowthStandard;
    using I = GrowthIndicator;
    QTest::newRow("unknown sex") << int(S::Who) << int(I::WeightForAge) << 0 << 100.0 << 6.0;
    QTest::newRow("no age") << int(S::Who) << int(I::WeightForAge) << 1 << std::nan("") << 6.0;
    QTest::newRow("before birth") << int(S::Cdc2000) << int(I::WeightForAge) << 1 << -1.0 << 3.0;
    QTest::newRow("WHO head after 5 years") << int(S::Who) << int(I::HeadForAge) << 1 << 1857.0 << 50.0;
    QTest::newRow("CDC head after 36 months") << int(S::Cdc2000) << int(I::HeadForAge) << 2 << 1100.0 << 50.0;
    QTest::newRow("CDC BMI before 2 years") << int(S::Cdc2000) << int(I::BmiForAge) << 1 << 700.0 << 17.0;
    QTest::newRow("WHO weight after 10 years") << int(S::Who) << int(I::WeightForAge) << 2 << 3700.0 << 30.0;
    QTest::newRow("CDC after 20 years") << int(S::Cdc2000) << int(I::WeightForAge) << 1 << 7400.0 << 70.0;
    QTest::newRow("no value") << int(S::Who) << int(I::WeightForAge) << 1 << 100.0 << 0.0;
    QTest::newRow("gap between WHO's tables") << int(S::Who) << int(I::WeightForAge) << 1 << 1856.5 << 18.0;
}

void tst_GrowthAssessment::nothingWithoutATable()
{
    QFETCH(int, standard);
    QFETCH(int, indicator);
    QFETCH(int, sex);
    QFETCH(double, day);
    QFETCH(double, value);
    const GrowthResult r
        = GrowthAssessment::assess(GrowthStandard(standard), GrowthIndicator(indicator), sex, day, value);
    QVERIFY(std::isnan(r.z));
    QVERIFY(std::isnan(r.percentile));
    QVERIFY(VisitGrowth::readOut(r).isEmpty());
}

void tst_GrowthAssessment::percentileAndZTexts_data()
{
    QTest::addColumn<double>("z");
    QTest::addColumn<QString>("text");
    // z of the percentiles 0.4, 42, 99.7 and around the edges.
    QTest::newRow("P0,4") << -2.652070 << u"P0,4 · z \u22122,65"_s;
    QTest::newRow("P42") << -0.201893 << u"P42 · z \u22120,20"_s;
    QTest::newRow("P99,7") << 2.747781 << u"P99,7 · z 2,75"_s;
    QTest::newRow("just below 1") << -2.330 << u"P1,0 · z \u22122,33"_s;
    QTest::newRow("1 and above whole") << -2.3263 << u"P1 · z \u22122,33"_s;
    QTest::newRow("99 whole") << 2.3263 << u"P99 · z 2,33"_s;
    QTest::newRow("never P0") << -4.5 << u"P0,1 · z \u22124,50"_s;
    QTest::newRow("never P100") << 4.5 << u"P99,9 · z 4,50"_s;
    QTest::newRow("median") << 0.0 << u"P50 · z 0,00"_s;
    QTest::newRow("tiny negative is no minus zero") << -0.001 << u"P50 · z 0,00"_s;
}

void tst_GrowthAssessment::percentileAndZTexts()
{
    QFETCH(double, z);
    QFETCH(QString, text);
    GrowthResult r;
    r.z = z;
    r.percentile = GrowthAssessment::percentileOf(z);
    QCOMPARE(VisitGrowth::readOut(r), text);
}

void tst_GrowthAssessment::correctedAge_data()
{
    QTest::addColumn<int>("weeks");
    QTest::addColumn<QDate>("visit");
    QTest::addColumn<int>("correction");
    QTest::addColumn<QString>("text");
    // Born 10.01.2025.
    QTest::newRow("30 weeks, 23 months") << 30 << dmy("09.01.2027") << 70 << u"21 Ay 19 Gün"_s;
    QTest::newRow("30 weeks, 24 months") << 30 << dmy("10.01.2027") << 0 << QString();
    QTest::newRow("36 weeks") << 36 << dmy("13.06.2025") << 28 << u"4 Ay 6 Gün"_s;
    QTest::newRow("37 weeks") << 37 << dmy("13.06.2025") << 0 << QString();
    QTest::newRow("unknown weeks") << 0 << dmy("13.06.2025") << 0 << QString();
    QTest::newRow("before the due date") << 28 << dmy("10.02.2025") << 84 << QString();
}

void tst_GrowthAssessment::correctedAge()
{
    QFETCH(int, weeks);
    QFETCH(QDate, visit);
    QFETCH(int, correction);
    QFETCH(QString, text);
    const QDate birth = dmy("10.01.2025");
    QCOMPARE(CorrectedAge::correctionDays(weeks, birth, visit), correction);
    QCOMPARE(CorrectedAge::text(weeks, birth, visit), text);
    const double days = CorrectedAge::assessmentDays(weeks, birth, visit);
    const int chronological = int(birth.daysTo(visit));
    if (chronological < correction)
        QVERIFY(std::isnan(days));
    else
        QCOMPARE(days, double(chronological - correction));
}

void tst_GrowthAssessment::bmiCutOffs_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<double>("day");
    QTest::addColumn<double>("z");
    QTest::addColumn<int>("flag");
    using S = GrowthStandard;
    using F = VisitGrowth::Flag;
    const double p85 = 1.036433389494;
    const double p95 = 1.644853626951;
    QTest::newRow("CDC below P85") << int(S::Cdc2000) << 1500.0 << p85 - 1e-6 << int(F::None);
    QTest::newRow("CDC at P85") << int(S::Cdc2000) << 1500.0 << p85 + 1e-9 << int(F::Overweight);
    QTest::newRow("CDC below P95") << int(S::Cdc2000) << 1500.0 << p95 - 1e-6 << int(F::Overweight);
    QTest::newRow("CDC at P95") << int(S::Cdc2000) << 1500.0 << p95 + 1e-9 << int(F::Obese);
    QTest::newRow("CDC before 2 years") << int(S::Cdc2000) << 700.0 << 2.5 << int(F::None);
    QTest::newRow("WHO infant +2") << int(S::Who) << 400.0 << 2.0 << int(F::None);
    QTest::newRow("WHO infant above +2") << int(S::Who) << 400.0 << 2.01 << int(F::Overweight);
    QTest::newRow("WHO infant above +3") << int(S::Who) << 1856.0 << 3.01 << int(F::Obese);
    QTest::newRow("WHO infant +3") << int(S::Who) << 1856.0 << 3.0 << int(F::Overweight);
    QTest::newRow("WHO school age +1") << int(S::Who) << 1857.0 << 1.0 << int(F::None);
    QTest::newRow("WHO school age above +1") << int(S::Who) << 1857.0 << 1.01 << int(F::Overweight);
    QTest::newRow("WHO school age above +2") << int(S::Who) << 4000.0 << 2.01 << int(F::Obese);
}

void tst_GrowthAssessment::bmiCutOffs()
{
    QFETCH(int, standard);
    QFETCH(double, day);
    QFETCH(double, z);
    QFETCH(int, flag);
    GrowthResult bmi;
    bmi.z = z;
    bmi.percentile = GrowthAssessment::percentileOf(z);
    QCOMPARE(int(VisitGrowth::bmiFlagOf(GrowthStandard(standard), day, bmi)), flag);
}

// Three visits of a girl: only the fall since the visit before counts.
void tst_GrowthAssessment::weightFallSincePreviousVisit_data()
{
    QTest::addColumn<double>("previousZ");
    QTest::addColumn<double>("currentZ");
    QTest::addColumn<bool>("fell");
    QTest::newRow("fall of 1.40") << 1.0 << -0.40 << true;
    QTest::newRow("fall of 1.30") << 1.0 << -0.30 << false;
    QTest::newRow("second half of a fall over two visits") << 0.30 << -0.40 << false;
    QTest::newRow("rise") << -1.0 << 1.0 << false;
}

void tst_GrowthAssessment::weightFallSincePreviousVisit()
{
    QFETCH(double, previousZ);
    QFETCH(double, currentZ);
    QFETCH(bool, fell);
    VisitGrowth::Input in;
    in.standard = GrowthStandard::Who;
    in.sex = 2;
    in.birth = dmy("01.03.2025");
    in.previousVisit = dmy("01.06.2025");
    in.visit = dmy("01.09.2025");
    in.previousWeight = valueAtZ(
        lmsOf(GrowthStandard::Who, GrowthIndicator::WeightForAge, 2, in.birth.daysTo(in.previousVisit)), previousZ);
    in.weight
        = valueAtZ(lmsOf(GrowthStandard::Who, GrowthIndicator::WeightForAge, 2, in.birth.daysTo(in.visit)), currentZ);
    const VisitGrowth growth(in);
    QVERIFY(std::abs(growth.weight().z - currentZ) < 1e-9);
    QCOMPARE(growth.weightFell(), fell);
    QCOMPARE(growth.warnings().join(u'|').contains(u"persentil çizgisini"_s), fell);
}

void tst_GrowthAssessment::targetHeight_data()
{
    QTest::addColumn<int>("sex");
    QTest::addColumn<double>("mother");
    QTest::addColumn<double>("father");
    QTest::addColumn<double>("target");
    QTest::newRow("boy") << 1 << 162.0 << 178.0 << 176.5;
    QTest::newRow("girl") << 2 << 162.0 << 178.0 << 163.5;
    QTest::newRow("no father") << 1 << 162.0 << 0.0 << std::nan("");
    QTest::newRow("unknown sex") << 0 << 162.0 << 178.0 << std::nan("");
}

void tst_GrowthAssessment::targetHeight()
{
    QFETCH(int, sex);
    QFETCH(double, mother);
    QFETCH(double, father);
    QFETCH(double, target);
    const TargetHeight t = TargetHeight::of(sex, mother, father);
    if (std::isnan(target)) {
        QVERIFY(!t.isValid());
        return;
    }
    QCOMPARE(t.centre, target);
    QCOMPARE(t.low(), target - 8.5);
    QCOMPARE(t.high(), target + 8.5);
}

// A 4-year-old boy, CDC: his BMI from weight and height, its class and the warnings' order.
void tst_GrowthAssessment::warningsOfAVisit()
{
    VisitGrowth::Input in;
    in.standard = GrowthStandard::Cdc2000;
    in.sex = 1;
    in.birth = dmy("01.01.2021");
    in.visit = dmy("01.01.2025");
    const double day = double(in.birth.daysTo(in.visit));
    in.height = valueAtZ(lmsOf(GrowthStandard::Cdc2000, GrowthIndicator::LengthForAge, 1, day), -2.2);
    in.weight = 24.0;
    const VisitGrowth growth(in);
    QCOMPARE(growth.bmiValue(), 24.0 / std::pow(in.height / 100, 2));
    QCOMPARE(growth.heightFlag(), VisitGrowth::Flag::Low);
    QCOMPARE(growth.weightFlag(), VisitGrowth::Flag::High);
    QCOMPARE(growth.bmiFlag(), VisitGrowth::Flag::Obese);
    QCOMPARE(growth.warnings(),
        QStringList({ u"Kilo P97'nin üstünde"_s, u"Boy P3'ün altında"_s, u"VKİ obezite sınırının üstünde"_s }));
    QVERIFY(growth.bmiText().startsWith(u"VKİ "_s + QLocale().toString(growth.bmiValue(), 'f', 1) + u" · P"_s));
    QVERIFY(!growth.head().isValid());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    tst_GrowthAssessment test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_growthassessment.moc"
