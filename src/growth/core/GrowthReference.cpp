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
    for (const Source& source : sources(standard)) {
        const QByteArray text = readResource(QString::fromUtf16(source.file));
        for (int sex : { 1, 2 }) {
            m_tables.push_back(std::make_unique<LmsTable>(LmsTable::fromCsv(text, sex, source.scale)));
            const LmsTable* table = m_tables.back().get();
            Entry* entry = nullptr;
            for (Entry& e : m_entries)
                if (e.indicator == source.indicator && e.sex == sex)
                    entry = &e;
            if (!entry) {
                m_entries.append(Entry { source.indicator, sex, {} });
                entry = &m_entries.last();
            }
            entry->pieces.append(Piece { table, source.until });
        }
    }
}

QList<GrowthReference::Piece> GrowthReference::pieces(GrowthIndicator indicator, int sex) const
{
    for (const Entry& e : m_entries)
        if (e.indicator == indicator && e.sex == sex)
            return e.pieces;
    return {};
}

bool GrowthReference::lmsAt(GrowthIndicator indicator, int sex, double x, Lms& out) const
{
    for (const Entry& e : m_entries) {
        if (e.indicator != indicator || e.sex != sex)
            continue;
        for (const Piece& piece : e.pieces) {
            if (x < piece.until && x <= piece.table->last())
                return piece.table->lmsAt(x, out);
        }
        return false;
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
