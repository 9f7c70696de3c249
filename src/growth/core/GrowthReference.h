#pragma once

#include "GrowthTypes.h"
#include "LmsTable.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// One reference's tables for one indicator and sex: one or more pieces in index order (for
// instance WHO's daily table to 5 years, then its monthly one), each taken for the index
// values it covers, up to its limit.
class GrowthReference final
{
public:
    struct Piece {
        const LmsTable* table = nullptr;
        // The piece serves index values below this one (and within its rows); the next piece
        // takes over from there.
        double until = 0;
    };

    // The tables of a reference, each indicator's read from the shipped files on its first use
    // and kept.
    static const GrowthReference& of(GrowthStandard standard);

    // The reference's pieces for an indicator and sex (1 boys, 2 girls); empty when it has none.
    QList<Piece> pieces(GrowthIndicator indicator, int sex) const;

    // L, M and S at x (age in days, or length/height in cm); false where no table reaches.
    bool lmsAt(GrowthIndicator indicator, int sex, double x, Lms& out) const;

    // Whether WHO's restricted z applies beyond +-3 SD (the weight-based indicators of WHO).
    bool restrictsZ(GrowthIndicator indicator) const;

    GrowthStandard standard() const;

private:
    explicit GrowthReference(GrowthStandard standard);

    struct Entry {
        GrowthIndicator indicator;
        int sex;
        QList<Piece> pieces;
    };
    GrowthStandard m_standard;
    const QList<Piece>& load(GrowthIndicator indicator, int sex) const;

    // Filled as the indicators are first asked for.
    mutable std::vector<std::unique_ptr<LmsTable>> m_tables;
    mutable QList<Entry> m_entries;
};
