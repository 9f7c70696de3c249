// Times the vaccine screen's data work on a generated clinic (see gen_clinic) against the bare SQL
// that shows the same, through the same steps the screen takes (TasilarF):
//
//   bench_vaccines [--db FILE] [--repeat N] [--only TEXT] [--layouts DIR]
//
// Rows: opening the screen for a child (the child current, the catalogue, the entry table and the
// dose card open, the list read), saving a vaccination with the list read again, and adding all
// catalogue types to an empty dose card. Then the vaccination list printout (layout asi_liste) of a
// child with 100 vaccinations is prepared. Rows the benchmark stores are deleted again at the end.
#include "BenchClinic.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "PreparedReport.h"
#include "ReportBindings.h"
#include "ReportEngine.h"
#include "ReportLayout.h"
#include "WriteBatch.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using bench::run;
using bench::touch;

namespace {

// What a grid shows of a data set: every field of the first rows.
qint64 touchRows(const DataSet& ds, int rows)
{
    const int n = std::min(rows, ds.rowCount());
    for (int row = 0; row < n; ++row)
        for (int c = 0; c < int(ds.Fields().size()); ++c)
            touch(ds.rawValueAt(row, c));
    return ds.rowCount();
}

// Reads every column of every row; the number of rows.
qint64 readAll(QSqlQuery& q)
{
    qint64 rows = 0;
    int columns = -1;
    while (q.next()) {
        if (columns < 0)
            columns = q.record().count();
        for (int c = 0; c < columns; ++c)
            touch(q.value(c));
        ++rows;
    }
    return rows;
}

// The floor of the list: the child's vaccinations by name and date, every column.
qint64 floorList(QSqlDatabase& db, const QString& code)
{
    QSqlQuery q = run(db, u"SELECT * FROM asitakip WHERE hkodu = ? ORDER BY asiadi, tarih"_s, { code });
    return readAll(q);
}

const QString listStatement = u"select * FROM asitakip where hkodu=:hkodu ORDER BY asiadi,tarih ASC"_s;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    bench::Clinic clinic(app.arguments(), { u"layouts"_s }, u"bench-clinic.db"_s, 5, u"bench_vaccines"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    QSqlDatabase& db = clinic.db();

    QSqlQuery counts = run(db,
        u"SELECT (SELECT count(*) FROM hastasicil), (SELECT count(*) FROM asitakip), (SELECT count(*) FROM asitur)"_s);
    counts.next();
    const qint64 children = counts.value(0).toLongLong();
    const qint64 types = counts.value(2).toLongLong();
    bench::print(
        u"database %1: %2 children, %3 vaccinations, %4 vaccine kinds; median of %5 runs after one warm-up"_s.arg(path)
            .arg(children)
            .arg(counts.value(1).toLongLong())
            .arg(types)
            .arg(repeat));

    const QString openCode = QString::number(std::max<qint64>(1, children - 4242));
    const QString cardCode = QString::number(std::max<qint64>(1, children - 4243));
    const QString printCode = QString::number(std::max<qint64>(1, children - 4244));

    // The data sets as the vaccine screen and the child record screen set them up.
    DataSet sicilTable(u"sicilTable"_s);
    sicilTable.setTableName(u"hastasicil"_s);
    sicilTable.setIndexName(u"PrimaryKey"_s);
    DataSource sicilSource(u"sicilSource"_s, &sicilTable);
    DataSet sifreTable(u"sifreTable"_s);
    sifreTable.setTableName(u"sifre"_s);
    sifreTable.setIndexName(u"PrimaryKey"_s);
    DataSet asiturTable(u"asiturTable"_s);
    asiturTable.setTableName(u"asitur"_s);
    asiturTable.setIndexName(u"PrimaryKey"_s);
    DataSet receTable(u"receTable"_s);
    receTable.setTableName(u"asitakip"_s);
    receTable.setIndexName(u"PrimaryKey"_s);
    DataSet asiQuery(u"asiQuery"_s);
    asiQuery.setSQL(u"select * FROM asitakip ORDER BY asiadi ASC;"_s);
    DataSet asi2Table(u"asi2Table"_s);
    asi2Table.setTableName(u"asitakip2"_s);
    asi2Table.setIndexFieldNames(u"hkodu"_s);
    asi2Table.setMasterSource(&sicilSource);
    asi2Table.setMasterFields(u"hasta_kodu"_s);
    asi2Table.BeforePost = [&](DataSet& card) {
        card.FieldByName(u"hkodu"_s)->setAsString(sicilTable.FieldByName(u"hasta_kodu"_s)->AsString());
    };

    const auto currentCode = [&] { return sicilTable.FieldByName(u"hasta_kodu"_s)->AsString(); };
    const auto readList = [&] {
        asiQuery.Close();
        asiQuery.setSQL(listStatement);
        asiQuery.setParam(u"hkodu"_s, currentCode());
        asiQuery.Open();
        return touchRows(asiQuery, 25);
    };
    const auto openScreen = [&] {
        asiturTable.Open();
        receTable.Open();
        asi2Table.Open();
        touchRows(asiturTable, 25);
        touchRows(asi2Table, 25);
        return readList();
    };

    // The entry table reads its keys once, at the first opening of the screen.
    sicilTable.Open();
    sifreTable.Open();
    double start = bench::nowMs();
    receTable.Open();
    const double firstOpenMs = bench::nowMs() - start;

    QVector<qint64> storedShots;
    std::vector<bench::Row> rows;
    rows.push_back({
        .name = u"vaccines: open for a child (list and card)"_s,
        .prepare = [&] { sicilTable.First(); },
        .layer = [&]() -> qint64 {
            if (!sicilTable.Locate(u"hasta_kodu"_s, openCode, {}))
                return -1;
            return openScreen();
        },
        .floor = [&]() -> qint64 {
            QSqlQuery child = run(db, u"SELECT * FROM hastasicil WHERE hasta_kodu = ?"_s, { openCode });
            readAll(child);
            QSqlQuery catalogue = run(db, u"SELECT * FROM asitur ORDER BY asit"_s);
            readAll(catalogue);
            QSqlQuery card = run(db, u"SELECT * FROM asitakip2 WHERE hkodu = ? ORDER BY asid"_s, { openCode });
            readAll(card);
            return floorList(db, openCode);
        },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"vaccines: save a vaccination, list re-read"_s,
        .setup =
            [&] {
                sicilTable.Locate(u"hasta_kodu"_s, openCode, {});
                openScreen();
            },
        .layer = [&]() -> qint64 {
            receTable.Append();
            receTable.FieldByName(u"asiadi"_s)->setAsString(u"KKK"_s);
            receTable.FieldByName(u"tarih"_s)->setAsDateTime(QDateTime(QDate(2024, 5, 1), QTime(0, 0)));
            receTable.FieldByName(u"aciklama"_s)->setAsString(u"benchmark"_s);
            receTable.FieldByName(u"hkodu"_s)->setAsString(currentCode());
            receTable.Post();
            storedShots.append(receTable.currentKey());
            return readList() > 0 ? 1 : 0;
        },
        .floor = [&]() -> qint64 {
            {
                QSqlQuery insert = run(db,
                    u"INSERT INTO asitakip (hkodu, asiadi, tarih, aciklama) VALUES (?, 'KKK', "
                    u"'2024-05-01 00:00:00.000', 'benchmark')"_s,
                    { openCode });
                storedShots.append(insert.lastInsertId().toLongLong());
            }
            return floorList(db, openCode) > 0 ? 1 : 0;
        },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"vaccines: add all types to an empty card"_s,
        .setup =
            [&] {
                sicilTable.Locate(u"hasta_kodu"_s, cardCode, {});
                openScreen();
            },
        .prepare =
            [&] {
                run(db, u"DELETE FROM asitakip2 WHERE hkodu = ?"_s, { cardCode });
                asi2Table.Refresh();
            },
        .layer = [&]() -> qint64 {
            QSet<int> onCard;
            const int column = asi2Table.FieldByName(u"asiturid"_s)->index();
            for (int row = 0; row < asi2Table.rowCount(); ++row)
                onCard.insert(asi2Table.rawValueAt(row, column).toInt());
            Field* type = asiturTable.FieldByName(u"asit"_s);
            const WriteBatch batch(asi2Table);
            asiturTable.First();
            for (int i = 0, n = asiturTable.RecordCount(); i < n; ++i) {
                if (!onCard.contains(type->AsInteger())) {
                    asi2Table.Append();
                    asi2Table.FieldByName(u"hkodu"_s)->setAsString(currentCode());
                    asi2Table.FieldByName(u"asiadi"_s)->setAsString(asiturTable.FieldByName(u"asiadi"_s)->AsString());
                    asi2Table.FieldByName(u"asiturid"_s)->setValue(type->AsInteger());
                    asi2Table.Post();
                    onCard.insert(type->AsInteger());
                }
                asiturTable.Next();
            }
            return touchRows(asi2Table, 25);
        },
        .floor = [&]() -> qint64 {
            // One transaction: what a programmer writing the SQL by hand would do.
            QSet<int> onCard;
            QSqlQuery have = run(db, u"SELECT asiturid FROM asitakip2 WHERE hkodu = ?"_s, { cardCode });
            while (have.next())
                onCard.insert(have.value(0).toInt());
            db.transaction();
            QSqlQuery catalogue = run(db, u"SELECT asit, asiadi FROM asitur ORDER BY asit"_s);
            QSqlQuery insert(db);
            insert.prepare(u"INSERT INTO asitakip2 (hkodu, asiadi, asiturid) VALUES (?, ?, ?)"_s);
            while (catalogue.next()) {
                if (onCard.contains(catalogue.value(0).toInt()))
                    continue;
                insert.addBindValue(cardCode);
                insert.addBindValue(catalogue.value(1));
                insert.addBindValue(catalogue.value(0));
                if (!insert.exec())
                    throw DataError(insert.lastError().text());
            }
            db.commit();
            QSqlQuery card = run(db, u"SELECT * FROM asitakip2 WHERE hkodu = ? ORDER BY asid"_s, { cardCode });
            return readAll(card);
        },
        .teardown = [&] { run(db, u"DELETE FROM asitakip2 WHERE hkodu = ?"_s, { cardCode }); },
        .maxMs = 100.0,
    });

    std::erase_if(rows, [&clinic](const bench::Row& r) { return !clinic.picks(r.name); });
    const std::vector<bench::Result> results = bench::runRows(rows, repeat);
    int failed = bench::printTable(results);
    for (qint64 asid : std::as_const(storedShots))
        run(db, u"DELETE FROM asitakip WHERE asid = ?"_s, { asid });

    // The vaccination list printout of a child with 100 vaccinations, as the preview gets it.
    if (clinic.picks(u"printout"_s)) {
        QSqlQuery have = run(db, u"SELECT count(*) FROM asitakip WHERE hkodu = ?"_s, { printCode });
        have.next();
        const int missing = std::max(0, 100 - have.value(0).toInt());
        db.transaction();
        for (int i = 0; i < missing; ++i)
            run(db,
                u"INSERT INTO asitakip (hkodu, asiadi, tarih, aciklama, \"not\") VALUES (?, ?, ?, 'benchmark', ?)"_s,
                { printCode, u"Aşı %1"_s.arg(i % 15), u"2024-%1-01 00:00:00.000"_s.arg(1 + i % 12, 2, 10, QChar(u'0')),
                    u"not satırı %1 biraz uzun bir not ki satır kaydırılsın"_s.arg(i) });
        db.commit();
        sicilTable.Locate(u"hasta_kodu"_s, printCode, {});
        readList();
        ReportBindings bindings(u"asilarF"_s);
        bindings.bind(u"asiQuery"_s, &asiQuery)
            .bind(u"ozluk.sicilTable"_s, &sicilTable)
            .bind(u"sifrelerF.sifreTable"_s, &sifreTable);
        const ReportLayout layout = ReportLayout::load(u"asi_liste"_s);
        std::vector<double> runs;
        int pages = 0;
        for (int i = 0; i <= repeat; ++i) {
            start = bench::nowMs();
            const PreparedReport report = ReportEngine::prepare(layout, bindings);
            if (i > 0)
                runs.push_back(bench::nowMs() - start);
            pages = report.pageCount();
        }
        const double printMs = bench::median(runs);
        const bool ok = printMs < 200.0 && asiQuery.RecordCount() == 100;
        bench::print(
            u"printout asi_liste, %1 vaccinations, %2 pages: %3 ms (target < 200 ms) %4"_s.arg(asiQuery.RecordCount())
                .arg(pages)
                .arg(printMs, 0, 'f', 1)
                .arg(ok ? u"OK"_s : u"FAIL"_s));
        failed += ok ? 0 : 1;
        run(db, u"DELETE FROM asitakip WHERE hkodu = ? AND aciklama = 'benchmark'"_s, { printCode });
    }
    bench::print(u"first opening of the entry table (keys of every vaccination): %1 ms"_s.arg(firstOpenMs, 0, 'f', 1));
    bench::print(u"peak memory %1 MB"_s.arg(bench::peakMemoryMb(), 0, 'f', 0));
    return failed == 0 ? 0 : 1;
}
