#include "BenchSupport.h"

#include "Connection.h"
#include "DataError.h"
#include "DatabaseLocation.h"

#include <QFileInfo>
#include <QSqlError>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>

using namespace Qt::StringLiterals;

namespace bench {

Options::Options(const QStringList& arguments, const QStringList& known)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (!arg.startsWith(u"--"_s)) {
            m_error = u"unexpected argument: %1"_s.arg(arg);
            return;
        }
        const QString name = arg.mid(2);
        if (!known.contains(name)) {
            m_error = u"unknown option: %1 (known: --%2)"_s.arg(arg, known.join(u", --"_s));
            return;
        }
        if (i + 1 >= arguments.size()) {
            m_error = u"option %1 needs a value"_s.arg(arg);
            return;
        }
        m_names << name;
        m_values << arguments.at(++i);
    }
}

bool Options::ok() const
{
    return m_error.isEmpty();
}

QString Options::error() const
{
    return m_error;
}

bool Options::has(const QString& name) const
{
    return m_names.contains(name);
}

QString Options::text(const QString& name, const QString& fallback) const
{
    const qsizetype i = m_names.lastIndexOf(name);
    return i < 0 ? fallback : m_values.at(i);
}

qint64 Options::number(const QString& name, qint64 fallback) const
{
    bool ok = false;
    const qint64 value = text(name, QString()).toLongLong(&ok);
    return ok ? value : fallback;
}

double Options::real(const QString& name, double fallback) const
{
    bool ok = false;
    const double value = text(name, QString()).toDouble(&ok);
    return ok ? value : fallback;
}

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

double peakMemoryMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

QString clinicPath(const Options& options, const QString& fallback)
{
    const QString given = options.text(u"db"_s, fallback);
    if (DatabaseLocation::isServerAddress(given))
        return given;
    const QString path = QFileInfo(given).absoluteFilePath();
    if (QFileInfo::exists(path))
        return path;
    print(u"%1 does not exist; make it with gen_clinic --out %1"_s.arg(path));
    return {};
}

bool openClinic(Connection& connection)
{
    if (!connection.open()) {
        print(u"cannot open %1: %2"_s.arg(connection.path(), connection.lastError()));
        return false;
    }
    Connection::setDefaultConnection(&connection);
    return true;
}

qint64 databaseSize(Connection& connection)
{
    if (!DatabaseLocation::isServerAddress(connection.path()))
        return databaseFileSize(connection.path());
    QSqlQuery q(connection.database());
    q.setForwardOnly(true);
    return q.exec(u"SELECT pg_database_size(current_database())"_s) && q.next() ? q.value(0).toLongLong() : 0;
}

qint64 databaseFileSize(const QString& path)
{
    qint64 size = 0;
    for (const QString& file : { path, path + u"-wal"_s }) {
        const QFileInfo info(file);
        if (info.exists())
            size += info.size();
    }
    return size;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

namespace {
volatile qint64 g_sink = 0;
} // namespace

void touch(const QVariant& value)
{
    g_sink = g_sink + (value.isNull() ? 0 : 1);
}

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantList& binds)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DataError(u"%1: %2"_s.arg(sql, q.lastError().text()));
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        throw DataError(u"%1: %2"_s.arg(sql, q.lastError().text()));
    return q;
}

void print(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

namespace {

QString errorText(const std::exception& e)
{
    if (const auto* dataError = dynamic_cast<const DataError*>(&e))
        return dataError->text();
    return QString::fromUtf8(e.what());
}

double timed(const std::function<qint64()>& fn, qint64& result)
{
    const double start = nowMs();
    result = fn();
    return nowMs() - start;
}

} // namespace

std::vector<Result> runRows(const std::vector<Row>& rows, int repeat)
{
    std::vector<Result> results;
    for (const Row& row : rows) {
        Result r;
        r.name = row.name;
        r.maxRatio = row.maxRatio;
        r.maxMs = row.maxMs;
        std::vector<double> layerTimes;
        std::vector<double> floorTimes;
        const auto prepare = [&row] {
            if (row.prepare)
                row.prepare();
        };
        try {
            if (row.setup)
                row.setup();
            for (int run = 0; run <= repeat; ++run) {
                prepare();
                const double layerMs = timed(row.layer, r.layerResult);
                prepare();
                const double floorMs = timed(row.floor, r.floorResult);
                if (run > 0) { // the first run only warms caches
                    layerTimes.push_back(layerMs);
                    floorTimes.push_back(floorMs);
                }
            }
        } catch (const std::exception& e) {
            r.error = errorText(e);
        }
        try {
            if (row.teardown)
                row.teardown();
        } catch (const std::exception& e) {
            if (r.error.isEmpty())
                r.error = u"teardown: "_s + errorText(e);
        }
        r.layerMs = median(layerTimes);
        r.floorMs = median(floorTimes);
        print(u"  measured: %1"_s.arg(r.name));
        results.push_back(r);
    }
    return results;
}

namespace {

QString cell(const QString& text, int width, bool right = false)
{
    return right ? text.rightJustified(width) : text.leftJustified(width);
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 3 : 1);
}

} // namespace

int printTable(const std::vector<Result>& results)
{
    int nameWidth = int(u"operation"_s.size());
    for (const Result& r : results)
        nameWidth = std::max(nameWidth, int(r.name.size()));

    const QString header = cell(u"operation"_s, nameWidth) + u" | "_s + cell(u"layer ms"_s, 10, true) + u" | "_s
        + cell(u"floor ms"_s, 10, true) + u" | "_s + cell(u"ratio"_s, 7, true) + u" | "_s + cell(u"target"_s, 14)
        + u" | result"_s;
    print(header);
    print(QString(header.size(), u'-'));

    int failures = 0;
    for (const Result& r : results) {
        const QString target = u"%1x, %2 ms"_s.arg(r.maxRatio).arg(r.maxMs);
        if (!r.error.isEmpty()) {
            ++failures;
            print(cell(r.name, nameWidth) + u" | "_s + cell(u"-"_s, 10, true) + u" | "_s + cell(u"-"_s, 10, true)
                + u" | "_s + cell(u"-"_s, 7, true) + u" | "_s + cell(target, 14) + u" | FAIL: "_s + r.error);
            continue;
        }
        const double ratio = r.floorMs > 0 ? r.layerMs / r.floorMs : 0;
        QString verdict;
        if (r.layerResult != r.floorResult)
            verdict = u"FAIL (results differ: layer %1, floor %2)"_s.arg(r.layerResult).arg(r.floorResult);
        else if (r.layerMs > r.maxMs)
            verdict = u"FAIL (over %1 ms)"_s.arg(r.maxMs);
        else if (ratio > r.maxRatio && r.layerMs >= negligibleMs)
            verdict = u"FAIL (over %1x)"_s.arg(r.maxRatio);
        else if (ratio > r.maxRatio)
            verdict = u"OK (under %1 ms, ratio not judged)"_s.arg(negligibleMs);
        else
            verdict = u"OK"_s;
        if (verdict.startsWith(u"FAIL"_s))
            ++failures;
        print(cell(r.name, nameWidth) + u" | "_s + cell(ms(r.layerMs), 10, true) + u" | "_s
            + cell(ms(r.floorMs), 10, true) + u" | "_s + cell(QString::number(ratio, 'f', 2), 7, true) + u" | "_s
            + cell(target, 14) + u" | "_s + verdict);
    }
    return failures;
}

} // namespace bench
