// Times the laboratory result and prescription screens' data work on a generated clinic (see
// gen_clinic) against the bare SQL that does the same, through the data sets as the screens set
// them up: the results (laboratuar, with the three columns looked up in the test type catalogue)
// and the prescription lines (recete), both details of the visit history.
//
//   bench_details [--db FILE] [--repeat N] [--only TEXT]
//
// Rows: opening the results and the lines of a visit, moving the history through 50 visits
// with both lists open (each move re-reads both), storing a result and a line. Rows stored by
// the benchmark are deleted again at the end.
#include "BenchClinic.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "VisitQueries.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using bench::run;
using bench::touch;

namespace {

// What a grid shows of a list: every field, looked-up ones included, of its first rows.
qint64 touchRows(const DataSet& ds, int rows)
{
    const int n = std::min(rows, ds.rowCount());
    for (int row = 0; row < n; ++row)
        for (int c = 0; c < int(ds.Fields().size()); ++c)
            touch(ds.rawValueAt(row, c));
    return ds.RecordCount();
}

// The floor of showing one visit's rows of a detail table: every column of its rows in key order,
// and for lab results the normal values of the type from the catalogue read beside it.
qint64 floorDetail(QSqlDatabase& db, const QString& table, const QString& key, qint64 mid,
    const QHash<QString, std::pair<QVariant, QVariant>>* types)
{
    QSqlQuery q = run(db, u"SELECT * FROM %1 WHERE muayeneno = ? ORDER BY muayeneno, %2"_s.arg(table, key), { mid });
    qint64 rows = 0;
    int columns = -1;
    int typeColumn = -1;
    while (q.next()) {
        if (columns < 0) {
            columns = q.record().count();
            typeColumn = q.record().indexOf(u"tetkikturu"_s);
        }
        for (int c = 0; c < columns; ++c)
            touch(q.value(c));
        if (types) {
            const auto found = types->constFind(q.value(typeColumn).toString());
            if (found != types->constEnd()) {
                touch(found->first);
                touch(found->second);
            }
        }
        ++rows;
    }
    return rows;
}

QHash<QString, std::pair<QVariant, QVariant>> readCatalogue(QSqlDatabase& db)
{
    QHash<QString, std::pair<QVariant, QVariant>> types;
    QSqlQuery q = run(db, u"SELECT tetkikturu, normaldegalt, normaldegust FROM laborana ORDER BY lid"_s);
    while (q.next()) {
        if (!types.contains(q.value(0).toString()))
            types.insert(q.value(0).toString(), { q.value(1), q.value(2) });
    }
    return types;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Clinic clinic(app.arguments(), {}, u"bench-clinic.db"_s, 5, u"bench_details"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    QSqlDatabase& db = clinic.db();

    QSqlQuery counts = run(db,
        u"SELECT (SELECT count(*) FROM muayene), (SELECT count(*) FROM laboratuar), "
        u"(SELECT count(*) FROM recete)"_s);
    counts.next();
    bench::print(u"database %1: %2 visits, %3 lab results, %4 prescription lines; median of %5 runs after one "
                 u"warm-up"_s.arg(path)
                     .arg(counts.value(0).toLongLong())
                     .arg(counts.value(1).toLongLong())
                     .arg(counts.value(2).toLongLong())
                     .arg(repeat));

    // The child with 200 visits; the busiest of its visits is the one opened.
    const QString code = u"777"_s;
    QVector<qint64> mids;
    {
        QSqlQuery q = run(db, u"SELECT mid FROM muayene WHERE hastakodu = ? ORDER BY tarih DESC"_s, { code });
        while (q.next())
            mids.append(q.value(0).toLongLong());
    }
    QSqlQuery busy = run(db,
        u"SELECT m.mid FROM muayene m WHERE m.hastakodu = ? ORDER BY (SELECT count(*) FROM laboratuar l WHERE "
        u"l.muayeneno = m.mid) + (SELECT count(*) FROM recete r WHERE r.muayeneno = m.mid) DESC, m.tarih DESC "
        u"LIMIT 1"_s,
        { code });
    busy.next();
    const qint64 busyMid = busy.value(0).toLongLong();
    const int busyRow = int(mids.indexOf(busyMid)) + 1;

    // The data sets as the screens set them up.
    DataSet muayeneRQuery(u"muayeneRQuery"_s);
    muayeneRQuery.setSQL(VisitQueries::allVisitsSql());
    muayeneRQuery.setStaticCursor(true);
    DataSource muayeneRSource(u"muayeneRSource"_s, &muayeneRQuery);
    DataSet tetkikTTable(u"tetkikTTable"_s);
    tetkikTTable.setTableName(u"laborana"_s);
    DataSet labTable(u"labTable"_s);
    labTable.setTableName(u"laboratuar"_s);
    labTable.setIndexFieldNames(u"muayeneno"_s);
    labTable.setMasterSource(&muayeneRSource);
    labTable.setMasterFields(u"mid"_s);
    labTable.addLookupField(u"tetkikalt"_s, 15, u"tetkikturu"_s, &tetkikTTable, u"tetkikturu"_s, u"normaldegalt"_s);
    labTable.addLookupField(u"tetkikust"_s, 15, u"tetkikturu"_s, &tetkikTTable, u"tetkikturu"_s, u"normaldegust"_s);
    labTable.addLookupField(u"tur"_s, 20, u"tetkikturu"_s, &tetkikTTable, u"tetkikturu"_s, u"tetkikturu"_s);
    DataSet recTable(u"recTable"_s);
    recTable.setTableName(u"recete"_s);
    recTable.setIndexFieldNames(u"muayeneno"_s);
    recTable.setMasterSource(&muayeneRSource);
    recTable.setMasterFields(u"mid"_s);
    // The screens' hooks: the child code from the visit on every store.
    labTable.BeforePost = [&](DataSet& ds) { ds.FieldByName(u"hastakodu"_s)->setAsString(code); };
    recTable.BeforePost = [&](DataSet& ds) { ds.FieldByName(u"hastakodu"_s)->setAsString(code); };

    QVector<qint64> storedLabs;
    QVector<qint64> storedLines;
    const auto showHistory = [&] {
        VisitQueries::showChildHistory(&muayeneRQuery, code);
        muayeneRQuery.setRecNo(busyRow);
    };

    std::vector<bench::Row> rows;
    rows.push_back({
        .name = u"details: open lab results of a visit"_s,
        .setup = [&] { showHistory(); },
        .prepare =
            [&] {
                labTable.Close();
                tetkikTTable.Close();
            },
        .layer = [&]() -> qint64 {
            tetkikTTable.Open();
            labTable.Open();
            return touchRows(labTable, 30);
        },
        .floor = [&]() -> qint64 {
            const auto types = readCatalogue(db);
            return floorDetail(db, u"laboratuar"_s, u"lids"_s, busyMid, &types);
        },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"details: open prescription lines of a visit"_s,
        .setup = [&] { showHistory(); },
        .prepare = [&] { recTable.Close(); },
        .layer = [&]() -> qint64 {
            recTable.Open();
            return touchRows(recTable, 30);
        },
        .floor = [&]() -> qint64 { return floorDetail(db, u"recete"_s, u"rrid"_s, busyMid, nullptr); },
        .maxMs = 100.0,
    });
    const int moves = std::min<int>(50, int(mids.size()) - 1);
    rows.push_back({
        .name = u"details: history moves through %1 visits, both lists open"_s.arg(moves),
        .setup =
            [&] {
                showHistory();
                if (!tetkikTTable.Active())
                    tetkikTTable.Open();
                if (!labTable.Active())
                    labTable.Open();
                if (!recTable.Active())
                    recTable.Open();
            },
        .prepare = [&] { muayeneRQuery.First(); },
        .layer = [&]() -> qint64 {
            qint64 shown = 0;
            for (int step = 0; step < moves; ++step) {
                muayeneRQuery.Next();
                shown += touchRows(labTable, 30) + touchRows(recTable, 30);
            }
            return shown;
        },
        .floor = [&]() -> qint64 {
            const auto types = readCatalogue(db);
            qint64 shown = 0;
            for (int step = 1; step <= moves; ++step)
                shown += floorDetail(db, u"laboratuar"_s, u"lids"_s, mids.at(step), &types)
                    + floorDetail(db, u"recete"_s, u"rrid"_s, mids.at(step), nullptr);
            return shown;
        },
        .maxMs = 100.0 * moves,
    });
    rows.push_back({
        .name = u"details: store a lab result"_s,
        .setup =
            [&] {
                showHistory();
                if (!labTable.Active())
                    labTable.Open();
            },
        .prepare =
            [&] {
                labTable.Cancel();
                labTable.Append();
                labTable.FieldByName(u"tetkikturu"_s)->setAsString(u"Hemoglobin"_s);
                labTable.FieldByName(u"tetkiksonucu"_s)->setAsString(u"12,5"_s);
            },
        .layer = [&]() -> qint64 {
            labTable.Post();
            storedLabs.append(labTable.currentKey());
            touchRows(labTable, 30);
            return 1;
        },
        .floor = [&]() -> qint64 {
            run(db, u"BEGIN IMMEDIATE"_s);
            QSqlQuery insert = run(db,
                u"INSERT INTO laboratuar (muayeneno, hastakodu, tetkikturu, tetkiksonucu) VALUES (?, ?, ?, ?)"_s,
                { busyMid, code, u"Hemoglobin"_s, u"12,5"_s });
            storedLabs.append(insert.lastInsertId().toLongLong());
            run(db, u"COMMIT"_s);
            return 1;
        },
        .teardown =
            [&] {
                labTable.Cancel();
                for (qint64 id : std::as_const(storedLabs))
                    run(db, u"DELETE FROM laboratuar WHERE lids = ?"_s, { id });
                storedLabs.clear();
            },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"details: store a prescription line"_s,
        .setup =
            [&] {
                showHistory();
                if (!recTable.Active())
                    recTable.Open();
            },
        .prepare =
            [&] {
                recTable.Cancel();
                recTable.Append();
                recTable.FieldByName(u"ilackodu"_s)->setAsString(u"A12"_s);
                recTable.FieldByName(u"ilacadi"_s)->setAsString(u"Parol Şurup"_s);
                recTable.FieldByName(u"doz"_s)->setAsString(u"3"_s);
                recTable.FieldByName(u"sure"_s)->setAsString(u"5"_s);
            },
        .layer = [&]() -> qint64 {
            recTable.Post();
            storedLines.append(recTable.currentKey());
            touchRows(recTable, 30);
            return 1;
        },
        .floor = [&]() -> qint64 {
            run(db, u"BEGIN IMMEDIATE"_s);
            QSqlQuery insert = run(db,
                u"INSERT INTO recete (muayeneno, hastakodu, ilackodu, ilacadi, doz, sure) VALUES (?, ?, ?, ?, ?, ?)"_s,
                { busyMid, code, u"A12"_s, u"Parol Şurup"_s, 3, 5 });
            storedLines.append(insert.lastInsertId().toLongLong());
            run(db, u"COMMIT"_s);
            return 1;
        },
        .teardown =
            [&] {
                recTable.Cancel();
                for (qint64 id : std::as_const(storedLines))
                    run(db, u"DELETE FROM recete WHERE rrid = ?"_s, { id });
                storedLines.clear();
            },
        .maxMs = 100.0,
    });

    const int failed = clinic.runAndPrint(std::move(rows));
    return failed == 0 ? 0 : 1;
}
