#include "GrowthReference.h"

#include <QFile>

#include <limits>
#include <stdexcept>

using namespace Qt::StringLiterals;

// The reference files are compiled into the static libraries; their registration has to be
// pulled in explicitly or the linker drops it.
static void initGrowthResources()
{
    Q_INIT_RESOURCE(reference);
    Q_INIT_RESOURCE(growth);
}

namespace {

constexpr double daysPerMonth = 30.4375;
constexpr double always = std::numeric_limits<double>::infinity();
// Length is measured lying down below this age (2 years), height standing from it.
constexpr double standingFromDay = 731;

struct Source {
    GrowthIndicator indicator;
    const char16_t* file;
    double scale; // file index to table index
    double until;
};

QList<Source> sources(GrowthStandard standard)
{
    using I = GrowthIndicator;
    if (standard == GrowthStandard::Who)
        return {
            { I::WeightForAge, u"who_wfa_0_5y_days.csv", 1, always },
            { I::WeightForAge, u"who2007_wfa_5_10y_months.csv", daysPerMonth, always },
            { I::LengthForAge, u"who_lhfa_0_5y_days.csv", 1, always },
            { I::LengthForAge, u"who2007_hfa_5_19y_months.csv", daysPerMonth, always },
            { I::HeadForAge, u"who_hcfa_0_5y_days.csv", 1, always },
            { I::BmiForAge, u"who_bfa_0_5y_days.csv", 1, always },
            { I::BmiForAge, u"who2007_bfa_5_19y_months.csv", daysPerMonth, always },
            { I::WeightForLength, u"who_wfl_45_110cm.csv", 1, always },
            { I::WeightForHeight, u"who_wfh_65_120cm.csv", 1, always },
        };
    return {
        { I::WeightForAge, u"cdc_wtageinf.csv", daysPerMonth, always },
        { I::WeightForAge, u"cdc_wtage.csv", daysPerMonth, always },
        { I::LengthForAge, u"cdc_lenageinf.csv", daysPerMonth, standingFromDay },
        { I::LengthForAge, u"cdc_statage.csv", daysPerMonth, always },
        { I::HeadForAge, u"cdc_hcageinf.csv", daysPerMonth, always },
        { I::BmiForAge, u"cdc_bmiagerev.csv", daysPerMonth, always },
        { I::WeightForLength, u"cdc_wtleninf.csv", 1, always },
        { I::WeightForHeight, u"cdc_wtstat.csv", 1, always },
    };
}

QByteArray readResource(const QString& file)
{
    QFile f(u":/reference/"_s + file);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("growth reference file missing: " + file.toStdString());
    return f.readAll();
}

} // namespace

const GrowthReference& GrowthReference::of(GrowthStandard standard)
{
    static const GrowthReference cdc(GrowthStandard::Cdc2000);
    static const GrowthReference who(GrowthStandard::Who);
    return standard == GrowthStandard::Who ? who : cdc;
}

GrowthReference::GrowthReference(GrowthStandard standard)
    : m_standard(standard)
{
    initGrowthResources();
}

// An indicator's files are read on its first use, both sexes at once.
const QList<GrowthReference::Piece>& GrowthReference::load(GrowthIndicator indicator, int sex) const
{
    static const QList<Piece> none;
    if (sex != 1 && sex != 2)
        return none;
    for (const Entry& e : m_entries)
        if (e.indicator == indicator && e.sex == sex)
            return e.pieces;
    Entry boys { indicator, 1, {} };
    Entry girls { indicator, 2, {} };
    for (const Source& source : sources(m_standard)) {
        if (source.indicator != indicator)
            continue;
        auto both = LmsTable::bothFromCsv(readResource(QString::fromUtf16(source.file)), source.scale);
        m_tables.push_back(std::make_unique<LmsTable>(std::move(both.first)));
        boys.pieces.append(Piece { m_tables.back().get(), source.until });
        m_tables.push_back(std::make_unique<LmsTable>(std::move(both.second)));
        girls.pieces.append(Piece { m_tables.back().get(), source.until });
    }
    m_entries.append(boys);
    m_entries.append(girls);
    return m_entries.at(m_entries.size() - (sex == 1 ? 2 : 1)).pieces;
}

QList<GrowthReference::Piece> GrowthReference::pieces(GrowthIndicator indicator, int sex) const
{
    return load(indicator, sex);
}

bool GrowthReference::lmsAt(GrowthIndicator indicator, int sex, double x, Lms& out) const
{
    for (const Piece& piece : load(indicator, sex)) {
        if (x < piece.until && x <= piece.table->last())
            return piece.table->lmsAt(x, out);
    }
    return false;
}

bool GrowthReference::restrictsZ(GrowthIndicator indicator) const
{
    return m_standard == GrowthStandard::Who && indicator != GrowthIndicator::LengthForAge
        && indicator != GrowthIndicator::HeadForAge;
}

GrowthStandard GrowthReference::standard() const
{
    return m_standard;
}
