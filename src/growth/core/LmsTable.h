#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// Box-Cox power (L), median (M) and coefficient of variation (S) at one index value.
struct Lms {
    double l = 0;
    double m = 0;
    double s = 0;
};

// One sex's rows of a growth reference table: an increasing index (age in days, or length in
// cm), its L, M and S, and the tabulated percentile values. Between two rows L, M and S are
// interpolated linearly; outside the first and last row there is nothing.
class LmsTable final
{
public:
    // Reads the rows of one sex from a reference CSV ("Sex,<index>,L,M,S,P3,...");
    // indexScale turns the file's index into the table's (30.4375 for months to days).
    // Throws std::runtime_error on a malformed file.
    static LmsTable fromCsv(const QByteArray& text, int sex, double indexScale);
    // Both sexes of a file in one reading: boys first, then girls.
    static std::pair<LmsTable, LmsTable> bothFromCsv(const QByteArray& text, double indexScale);

    bool isEmpty() const;
    double first() const;
    double last() const;
    int rowCount() const;
    double indexAt(int row) const;
    Lms lmsAtRow(int row) const;

    // L, M and S at x; false outside the table.
    bool lmsAt(double x, Lms& out) const;

    // "P3", "P5", ... as the file names them, in its order.
    const QStringList& percentileNames() const;
    // The tabulated values of one percentile column, row by row; empty for an unknown name.
    const std::vector<double>& percentile(const QString& name) const;

private:
    std::vector<double> m_index;
    std::vector<Lms> m_lms;
    QStringList m_percentileNames;
    std::vector<std::vector<double>> m_percentiles;
};
