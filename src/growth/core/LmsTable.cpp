#include "LmsTable.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <stdexcept>

using namespace Qt::StringLiterals;

LmsTable LmsTable::fromCsv(const QByteArray& text, int sex, double indexScale)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty())
        throw std::runtime_error("empty reference table");
    const QList<QByteArray> header = lines.first().trimmed().split(',');
    if (header.size() < 5 || header.at(0) != "Sex" || header.at(2) != "L" || header.at(3) != "M" || header.at(4) != "S")
        throw std::runtime_error("reference table without Sex, index, L, M, S");

    LmsTable table;
    QList<int> percentileColumns;
    for (int c = 5; c < header.size(); ++c) {
        // Only the P columns; some files carry the originally published values after them.
        const QByteArray& name = header.at(c);
        if (name.size() > 1 && name.at(0) == 'P' && std::isdigit(static_cast<unsigned char>(name.at(1)))) {
            percentileColumns.append(c);
            table.m_percentileNames.append(QString::fromLatin1(name));
        }
    }
    table.m_percentiles.resize(percentileColumns.size());

    const QByteArray sexText = QByteArray::number(sex);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            continue;
        const QList<QByteArray> cells = line.split(',');
        if (cells.size() != header.size())
            throw std::runtime_error("reference table row of the wrong width");
        if (cells.at(0) != sexText)
            continue;
        bool ok = true;
        const auto number = [&ok](const QByteArray& cell) {
            bool cellOk = false;
            const double v = cell.toDouble(&cellOk);
            ok = ok && cellOk;
            return v;
        };
        const double x = number(cells.at(1)) * indexScale;
        const Lms lms { number(cells.at(2)), number(cells.at(3)), number(cells.at(4)) };
        if (!ok || (!table.m_index.empty() && x <= table.m_index.back()))
            throw std::runtime_error("reference table row out of order or not a number");
        table.m_index.push_back(x);
        table.m_lms.push_back(lms);
        for (qsizetype p = 0; p < percentileColumns.size(); ++p)
            table.m_percentiles[p].push_back(number(cells.at(percentileColumns.at(p))));
        if (!ok)
            throw std::runtime_error("reference table value not a number");
    }
    return table;
}

bool LmsTable::isEmpty() const
{
    return m_index.empty();
}

double LmsTable::first() const
{
    return m_index.empty() ? std::nan("") : m_index.front();
}

double LmsTable::last() const
{
    return m_index.empty() ? std::nan("") : m_index.back();
}

int LmsTable::rowCount() const
{
    return int(m_index.size());
}

double LmsTable::indexAt(int row) const
{
    return m_index.at(std::size_t(row));
}

Lms LmsTable::lmsAtRow(int row) const
{
    return m_lms.at(std::size_t(row));
}

bool LmsTable::lmsAt(double x, Lms& out) const
{
    if (m_index.empty() || !(x >= m_index.front() && x <= m_index.back()))
        return false;
    // The first row beyond x; x lies between it and the one before.
    const auto above = std::upper_bound(m_index.begin(), m_index.end(), x);
    if (above == m_index.end()) {
        out = m_lms.back();
        return true;
    }
    const std::size_t hi = std::size_t(above - m_index.begin());
    const std::size_t lo = hi - 1;
    const double t = (x - m_index[lo]) / (m_index[hi] - m_index[lo]);
    const Lms& a = m_lms[lo];
    const Lms& b = m_lms[hi];
    out = Lms { a.l + (b.l - a.l) * t, a.m + (b.m - a.m) * t, a.s + (b.s - a.s) * t };
    return true;
}

const QStringList& LmsTable::percentileNames() const
{
    return m_percentileNames;
}

const std::vector<double>& LmsTable::percentile(const QString& name) const
{
    static const std::vector<double> none;
    const qsizetype i = m_percentileNames.indexOf(name);
    return i < 0 ? none : m_percentiles.at(std::size_t(i));
}
