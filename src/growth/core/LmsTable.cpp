#include "LmsTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace {

// The cells of one line, as views into the text; the line's end is not part of the last cell.
struct Cells {
    std::vector<std::string_view> cells;

    void read(std::string_view line)
    {
        cells.clear();
        std::size_t start = 0;
        while (true) {
            const std::size_t comma = line.find(',', start);
            cells.push_back(line.substr(start, comma == std::string_view::npos ? comma : comma - start));
            if (comma == std::string_view::npos)
                break;
            start = comma + 1;
        }
        // A line ending in CR LF keeps the CR out of the last cell.
        if (!cells.empty() && !cells.back().empty() && cells.back().back() == '\r')
            cells.back().remove_suffix(1);
    }
};

double number(std::string_view cell)
{
    double value = 0;
    const auto [end, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    if (error != std::errc() || end != cell.data() + cell.size())
        throw std::runtime_error("reference table value not a number");
    return value;
}

} // namespace

LmsTable LmsTable::fromCsv(const QByteArray& text, int sex, double indexScale)
{
    auto both = bothFromCsv(text, indexScale);
    return sex == 1 ? std::move(both.first) : sex == 2 ? std::move(both.second) : LmsTable();
}

std::pair<LmsTable, LmsTable> LmsTable::bothFromCsv(const QByteArray& text, double indexScale)
{
    const std::string_view all(text.constData(), std::size_t(text.size()));
    std::size_t lineStart = 0;
    const auto nextLine = [&](std::string_view& line) {
        while (lineStart < all.size()) {
            const std::size_t end = all.find('\n', lineStart);
            line = all.substr(lineStart, end == std::string_view::npos ? end : end - lineStart);
            lineStart = end == std::string_view::npos ? all.size() : end + 1;
            if (!line.empty() && line != "\r")
                return true;
        }
        return false;
    };

    Cells header;
    std::string_view line;
    if (!nextLine(line))
        throw std::runtime_error("empty reference table");
    header.read(line);
    const std::vector<std::string_view>& names = header.cells;
    if (names.size() < 5 || names[0] != "Sex" || names[2] != "L" || names[3] != "M" || names[4] != "S")
        throw std::runtime_error("reference table without Sex, index, L, M, S");

    std::pair<LmsTable, LmsTable> tables;
    // Only the P columns; some files carry the originally published values after them.
    std::vector<std::size_t> percentileColumns;
    for (std::size_t c = 5; c < names.size(); ++c) {
        const std::string_view name = names[c];
        if (name.size() > 1 && name[0] == 'P' && std::isdigit(static_cast<unsigned char>(name[1]))) {
            percentileColumns.push_back(c);
            const QString title = QString::fromLatin1(name.data(), qsizetype(name.size()));
            tables.first.m_percentileNames.append(title);
            tables.second.m_percentileNames.append(title);
        }
    }
    tables.first.m_percentiles.resize(percentileColumns.size());
    tables.second.m_percentiles.resize(percentileColumns.size());

    Cells row;
    while (nextLine(line)) {
        row.read(line);
        if (row.cells.size() != names.size())
            throw std::runtime_error("reference table row of the wrong width");
        LmsTable* table = row.cells[0] == "1" ? &tables.first : row.cells[0] == "2" ? &tables.second : nullptr;
        if (!table)
            throw std::runtime_error("reference table row of no sex");
        const double x = number(row.cells[1]) * indexScale;
        if (!table->m_index.empty() && x <= table->m_index.back())
            throw std::runtime_error("reference table row out of order");
        table->m_index.push_back(x);
        table->m_lms.push_back(Lms { number(row.cells[2]), number(row.cells[3]), number(row.cells[4]) });
        for (std::size_t p = 0; p < percentileColumns.size(); ++p)
            table->m_percentiles[p].push_back(number(row.cells[percentileColumns[p]]));
    }
    return tables;
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
