// Times the registry list's spreadsheet export on a generated clinic (see gen_clinic): the whole
// list in its default order written through the data set into a new workbook, with the progress
// window the list shows, against two floors on the same file: the bare SQL read of the same rows,
// and that read with libxlsxwriter writing the cells directly. Prints the medians, when the
// progress window first appeared and the process's peak memory after the export alone.
//
//   QT_QPA_PLATFORM=offscreen bench_export [--db FILE] [--repeat N]

#include "BenchClinic.h"
#include "BenchSupport.h"
#include "CommandProgress.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "PediakayApplication.h"
#include "RegistryExport.h"
#include "RegistrySearch.h"
#include "ValueFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Qt::StringLiterals;
using bench::run;

namespace {

struct Run {
    double ms = 0;
    double closeMs = 0; // of ms: the writer packing the workbook at the end
    double firstShownMs = -1;
    qint64 rows = 0;
    qint64 bytes = 0;
};

// The columns of the sheet and whether each is a picture, a date or a number.
struct Columns {
    QString select;
    QList<FieldType> types;
};

Columns sheetColumns(const DataSet& list)
{
    Columns c;
    QStringList parts;
    for (int i = 1; i < list.Fields().size(); ++i) {
        const Field* f = list.Fields().at(i);
        c.types.append(f->DataType());
        parts.append(f->DataType() == FieldType::Blob ? u"length(\"%1\") > 0"_s.arg(f->FieldName())
                                                      : u"\"%1\""_s.arg(f->FieldName()));
    }
    c.select = u"SELECT "_s + parts.join(u", "_s) + u" FROM hastasicil ORDER BY hid"_s;
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PediakayApplication app(argc, argv);
    bench::Clinic clinic(app.arguments(), {}, u"bench-clinic.db"_s, 3, u"bench"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    QSqlDatabase& db = clinic.db();
    QTemporaryDir out;

    DataSet list(u"sicrapQuery"_s);
    list.setSQL(RegistrySearch::initialStatement());
    list.Open();
    const int children = list.rowCount();
    bench::print(u"database %1: %2 children; median of %3 runs"_s.arg(path).arg(children).arg(repeat));

    // Through the layer, as "Excel" does: the open list walked into a new workbook.
    auto layer = [&] {
        Run r;
        QString error;
        const QString file = RegistryExport::reserveFile(out.path(), QDateTime::currentDateTime(), &error);
        if (file.isEmpty())
            throw DataError(error);
        const double start = bench::nowMs();
        RegistryExport exporter(list);
        RegistryExport::Outcome outcome = RegistryExport::Outcome::Failed;
        {
            CommandProgress progress(nullptr, u"%1 / %2 çocuk"_s, children);
            outcome = exporter.write(file, [&](int written) {
                const bool go = progress.step(written);
                if (r.firstShownMs < 0 && progress.shown())
                    r.firstShownMs = bench::nowMs() - start;
                return go;
            });
        }
        r.ms = bench::nowMs() - start;
        if (outcome != RegistryExport::Outcome::Written)
            throw DataError(exporter.error());
        r.rows = exporter.rowsWritten();
        r.bytes = QFileInfo(file).size();
        QFile::remove(file);
        return r;
    };

    const Columns columns = sheetColumns(list);
    // The floor: the same rows read with one forward-only statement and, when writing, put into
    // a constant-memory workbook by libxlsxwriter directly, with the same cell kinds.
    auto floor = [&](bool writing) {
        Run r;
        const QString file = out.filePath(u"floor.xlsx"_s);
        const double start = bench::nowMs();
        const QByteArray name = QFile::encodeName(file);
        QByteArray tmpdir = QFile::encodeName(out.path());
        lxw_workbook_options opts {};
        opts.constant_memory = LXW_TRUE;
        opts.tmpdir = tmpdir.data();
        lxw_workbook* book = writing ? workbook_new_opt(name.constData(), &opts) : nullptr;
        lxw_worksheet* sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
        lxw_format* date = book ? workbook_add_format(book) : nullptr;
        if (date)
            format_set_num_format_index(date, 14);
        QSqlQuery q = run(db, columns.select);
        lxw_row_t row = 0;
        while (q.next()) {
            ++row;
            for (int c = 0; c < columns.types.size(); ++c) {
                const QVariant v = q.value(c);
                if (v.isNull() || !sheet)
                    continue;
                switch (columns.types.at(c)) {
                case FieldType::Blob:
                    if (v.toBool())
                        worksheet_write_string(sheet, row, lxw_col_t(c), "(resim)", nullptr);
                    break;
                case FieldType::DateTime: {
                    const QDateTime dt = ValueFormats::readStoredDate(v.toString());
                    lxw_datetime d { dt.date().year(), dt.date().month(), dt.date().day(), dt.time().hour(),
                        dt.time().minute(), double(dt.time().second()) };
                    worksheet_write_datetime(sheet, row, lxw_col_t(c), &d, date);
                    break;
                }
                case FieldType::Float:
                case FieldType::Integer:
                case FieldType::Smallint:
                    worksheet_write_number(sheet, row, lxw_col_t(c), v.toDouble(), nullptr);
                    break;
                default:
                    worksheet_write_string(sheet, row, lxw_col_t(c), v.toString().toUtf8().constData(), nullptr);
                }
            }
        }
        const double closing = bench::nowMs();
        if (book && workbook_close(book) != LXW_NO_ERROR)
            throw DataError(u"libxlsxwriter"_s);
        r.ms = bench::nowMs() - start;
        r.closeMs = bench::nowMs() - closing;
        r.rows = qint64(row);
        r.bytes = writing ? QFileInfo(file).size() : 0;
        QFile::remove(file);
        return r;
    };

    // The export alone first, so that the peak memory is its own.
    std::vector<Run> layerRuns;
    for (int i = 0; i < repeat; ++i)
        layerRuns.push_back(layer());
    const double exportPeak = bench::peakMemoryMb();
    std::vector<Run> writeRuns;
    std::vector<Run> readRuns;
    for (int i = 0; i < repeat; ++i) {
        writeRuns.push_back(floor(true));
        readRuns.push_back(floor(false));
    }

    auto median = [](const std::vector<Run>& runs, double Run::*member) {
        std::vector<double> values;
        for (const Run& r : runs)
            values.push_back(r.*member);
        return bench::median(values);
    };
    const double layerMs = median(layerRuns, &Run::ms);
    const double writeMs = median(writeRuns, &Run::ms);
    const double readMs = median(readRuns, &Run::ms);
    const double shownMs = median(layerRuns, &Run::firstShownMs);
    bench::print(u"| operation | ms | rows | file MB |"_s);
    bench::print(u"|---|---|---|---|"_s);
    bench::print(
        u"| export through the list's data set (with progress window) | %1 | %2 | %3 |"_s.arg(layerMs, 0, 'f', 0)
            .arg(layerRuns.front().rows)
            .arg(double(layerRuns.front().bytes) / 1e6, 0, 'f', 1));
    bench::print(u"| floor: bare SQL read + libxlsxwriter directly | %1 | %2 | %3 |"_s.arg(writeMs, 0, 'f', 0)
                     .arg(writeRuns.front().rows)
                     .arg(double(writeRuns.front().bytes) / 1e6, 0, 'f', 1));
    bench::print(u"| floor: bare SQL read only | %1 | %2 | - |"_s.arg(readMs, 0, 'f', 0).arg(readRuns.front().rows));
    bench::print(u"of the writing floor, libxlsxwriter packing the workbook at the end: %1 ms"_s.arg(
        median(writeRuns, &Run::closeMs), 0, 'f', 0));
    bench::print(u"ratio to the writing floor: %1"_s.arg(layerMs / writeMs, 0, 'f', 2));
    bench::print(u"progress window first shown after: %1 ms (target < 1000)"_s.arg(shownMs, 0, 'f', 0));
    bench::print(
        u"peak memory after the exports alone: %1 MB (target < 200); at the end: %2 MB"_s.arg(exportPeak, 0, 'f', 1)
            .arg(bench::peakMemoryMb(), 0, 'f', 1));
    const bool ok = layerMs < 5000 && exportPeak < 200 && shownMs >= 0 && shownMs < 1000;
    bench::print(ok ? u"OK"_s : u"FAILED"_s);
    return ok ? 0 : 1;
}
