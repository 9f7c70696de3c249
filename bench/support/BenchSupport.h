#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <vector>

class Connection;

// Small helpers shared by the benchmark programs: command-line options, clocks, memory and
// the result table.
namespace bench {

// Options are written "--name value". Unknown names are an error, so a typo does not run a
// benchmark with defaults silently.
class Options final
{
public:
    Options(const QStringList& arguments, const QStringList& known);

    bool ok() const;
    QString error() const;
    bool has(const QString& name) const;
    QString text(const QString& name, const QString& fallback) const;
    qint64 number(const QString& name, qint64 fallback) const;
    double real(const QString& name, double fallback) const;

private:
    QStringList m_names;
    QStringList m_values;
    QString m_error;
};

// The clinic a benchmark runs on (--db, or the fallback): a file as an absolute path, or a
// PostgreSQL server's address as given; empty, after saying how to make one, when there is no
// such file.
QString clinicPath(const Options& options, const QString& fallback);

// Opens the connection on the clinic and makes it the default one; false after saying why.
bool openClinic(Connection& connection);

// Milliseconds since an arbitrary start, with sub-microsecond resolution.
double nowMs();

// Peak resident memory of this process so far, in MB.
double peakMemoryMb();

// Size of a database file together with its write-ahead log, in bytes.
qint64 databaseFileSize(const QString& path);
// Size of an open clinic in bytes: its file's, or its database's on a server.
qint64 databaseSize(Connection& connection);

double median(std::vector<double> values);

// Reads a value in a way the compiler cannot leave out, so a benchmark's reads are really done.
void touch(const QVariant& value);

// Runs a forward-only statement with positional bound values; throws DataError naming the
// statement when it fails.
QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantList& binds = {});

// Prints a line to standard output (UTF-8) and flushes it.
void print(const QString& line);

// One operation measured twice: through the data-set layer and as the bare SQL that does the
// same work on the same file (the floor). Both return a result (a count, a key) that must agree.
struct Row {
    QString name = {};
    std::function<void()> setup = {}; // once, before the first run
    std::function<void()> prepare = {}; // before every timed run of either side, not timed
    std::function<qint64()> layer = {};
    std::function<qint64()> floor = {};
    std::function<void()> teardown = {}; // once, after the last run
    double maxRatio = 3.0;
    double maxMs = 200.0;
};

struct Result {
    QString name;
    double layerMs = 0;
    double floorMs = 0;
    qint64 layerResult = 0;
    qint64 floorResult = 0;
    double maxRatio = 3.0;
    double maxMs = 200.0;
    QString error; // the layer or the floor threw
};

// Runs every row: one warm-up, then `repeat` timed runs of each side, alternating; the median is
// reported. A row that throws is reported with its error and the others still run.
std::vector<Result> runRows(const std::vector<Row>& rows, int repeat);

// Below this the ratio is not judged: fixed per-call costs dominate and nobody can notice.
inline constexpr double negligibleMs = 1.0;

// Prints the table: operation | layer ms | floor ms | ratio | target | result. Returns the
// number of rows that failed.
int printTable(const std::vector<Result>& results);

} // namespace bench
