// Times the visit screen's own data work on a generated clinic (see gen_clinic) against the bare
// SQL that does the same, through the same steps the screen takes (VisitQueries):
//
//   bench_visits [--db FILE] [--repeat N] [--only TEXT]
//
// Rows: fetching a child by code, by the beginnings of both names, starting a visit (append,
// date, code, age, history re-read), saving it (store, history re-read) and opening the history
// of the child with 200 visits. Visits stored by the benchmark are deleted again at the end.
#include "AgeCalculator.h"
#include "BenchClinic.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "Schema.h"
#include "TurkishText.h"
#include "ValueFormats.h"
#include "VisitQueries.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using bench::run;
using bench::touch;

namespace {

// The history grid's first screen: every field of the first rows.
qint64 touchRows(const DataSet& ds, int rows)
{
    const int n = std::min(rows, ds.rowCount());
    for (int row = 0; row < n; ++row)
        for (int c = 0; c < int(ds.Fields().size()); ++c)
            touch(ds.rawValueAt(row, c));
    return ds.RecordCount();
}

// The floor of a history re-read: the child's visits, every column, newest first.
qint64 floorHistory(QSqlDatabase& db, const QString& code)
{
    QSqlQuery q = run(db, u"SELECT * FROM muayene WHERE hastakodu = ? ORDER BY tarih DESC"_s, { code });
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

// The floor of fetching a child: its key, then its record and its visits' keys.
qint64 floorChild(QSqlDatabase& db, const QString& where, const QVariantList& binds)
{
    QSqlQuery key = run(db, u"SELECT hid FROM hastasicil WHERE "_s + where + u" ORDER BY hid LIMIT 1"_s, binds);
    if (!key.next())
        return -1;
    const qint64 hid = key.value(0).toLongLong();
    QSqlQuery rec = run(db, u"SELECT * FROM hastasicil WHERE hid = ?"_s, { hid });
    QString code;
    if (rec.next()) {
        code = rec.value(u"hasta_kodu"_s).toString();
        const int columns = rec.record().count();
        for (int c = 0; c < columns; ++c)
            touch(rec.value(c));
    }
    QSqlQuery visits = run(db, u"SELECT mid FROM muayene WHERE hastakodu = ? ORDER BY hastakodu, mid"_s, { code });
    while (visits.next())
        touch(visits.value(0));
    return hid;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Clinic clinic(app.arguments(), {}, u"bench-clinic.db"_s, 5, u"bench_visits"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    QSqlDatabase& db = clinic.db();

    QSqlQuery counts = run(db, u"SELECT (SELECT count(*) FROM hastasicil), (SELECT count(*) FROM muayene)"_s);
    counts.next();
    const qint64 children = counts.value(0).toLongLong();
    bench::print(u"database %1: %2 children, %3 visits; median of %4 runs after one warm-up"_s.arg(path)
                     .arg(children)
                     .arg(counts.value(1).toLongLong())
                     .arg(repeat));

    const QString lateCode = QString::number(std::max<qint64>(1, children - 129));
    const QString historyCode = u"777"_s;

    // The data sets as the screens set them up.
    DataSet sicilTable(u"sicilTable"_s);
    sicilTable.setTableName(u"hastasicil"_s);
    sicilTable.setIndexName(u"PrimaryKey"_s);
    DataSource sicilSource(u"sicilSource"_s, &sicilTable);
    DataSet muayeneTable(u"muayeneTable"_s);
    muayeneTable.setTableName(u"muayene"_s);
    muayeneTable.setIndexFieldNames(u"hastakodu"_s);
    muayeneTable.setMasterSource(&sicilSource);
    muayeneTable.setMasterFields(u"hasta_kodu"_s);
    muayeneTable.BeforePost = [](DataSet& visits) { VisitQueries::checkMeasurements(&visits); };
    DataSet muayeneRQuery(u"muayeneRQuery"_s);
    muayeneRQuery.setSQL(VisitQueries::allVisitsSql());
    muayeneRQuery.setStaticCursor(true);
    DataSet sifreTable(u"sifreTable"_s);
    sifreTable.setTableName(u"sifre"_s);
    sifreTable.setIndexName(u"PrimaryKey"_s);

    QString nameFirst;
    QString nameLast;
    QVector<qint64> storedVisits;

    const auto openAll = [&] {
        if (!sicilTable.Active())
            sicilTable.Open();
        if (!muayeneTable.Active())
            muayeneTable.Open();
        if (!sifreTable.Active())
            sifreTable.Open();
    };
    // Starting a visit for the current child, as the start command does.
    const auto startVisit = [&] {
        muayeneTable.Append();
        const QDateTime when = QDateTime::currentDateTime();
        VisitQueries::fillNewVisit(&muayeneTable, when, sicilTable.FieldByName(u"hasta_kodu"_s)->AsString(),
            sicilTable.FieldByName(u"dogumtarihi"_s)->AsDateTime().date());
        VisitQueries::showChildHistory(&muayeneRQuery, sicilTable.FieldByName(u"hasta_kodu"_s)->AsString());
        return touchRows(muayeneRQuery, 25);
    };
    const auto floorStart = [&](const QString& code) {
        QSqlQuery birth = run(db, u"SELECT dogumtarihi FROM hastasicil WHERE hasta_kodu = ?"_s, { code });
        QDate born;
        if (birth.next())
            born = ValueFormats::readStoredDate(birth.value(0).toString()).date();
        touch(AgeCalculator::compute(born, QDate::currentDate()).value);
        return floorHistory(db, code);
    };

    std::vector<bench::Row> rows;
    rows.push_back({
        .name = u"visits: lookup by code"_s,
        .setup = [&] { openAll(); },
        .prepare =
            [&] {
                muayeneTable.Cancel();
                sicilTable.First();
            },
        .layer = [&]() -> qint64 {
            if (!sicilTable.Locate(u"hasta_kodu"_s, lateCode, {}))
                return -1;
            touchRows(sicilTable, 1);
            return sicilTable.currentKey();
        },
        .floor = [&]() -> qint64 { return floorChild(db, Schema::foldSql(u"hasta_kodu"_s) + u" = ?"_s, { lateCode }); },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"visits: lookup by name beginnings"_s,
        .setup =
            [&] {
                openAll();
                QSqlQuery q = run(
                    db, u"SELECT adi, soyadi FROM hastasicil WHERE hid = (SELECT max(hid) - 77 FROM hastasicil)"_s);
                q.next();
                nameFirst = q.value(0).toString().left(2);
                nameLast = q.value(1).toString().left(2);
            },
        .prepare = [&] { sicilTable.First(); },
        .layer = [&]() -> qint64 {
            if (!VisitQueries::locateByNameBeginnings(&sicilTable, nameFirst, nameLast))
                return -1;
            return sicilTable.currentKey();
        },
        .floor = [&]() -> qint64 {
            const QString a = TurkishText::fold(nameFirst);
            const QString s = TurkishText::fold(nameLast);
            const QString end = QString(QChar::highSurrogate(0x10FFFF)) + QChar::lowSurrogate(0x10FFFF);
            const QString fa = Schema::foldSql(u"adi"_s);
            const QString fs = Schema::foldSql(u"soyadi"_s);
            return floorChild(
                db, u"%1 >= ? AND %1 < ? AND %2 >= ? AND %2 < ?"_s.arg(fa, fs), { a, a + end, s, s + end });
        },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"visits: start a visit (200 visits)"_s,
        .setup =
            [&] {
                openAll();
                sicilTable.Locate(u"hasta_kodu"_s, historyCode, {});
            },
        .prepare = [&] { muayeneTable.Cancel(); },
        .layer = [&]() -> qint64 { return startVisit(); },
        .floor = [&]() -> qint64 { return floorStart(historyCode); },
        .teardown = [&] { muayeneTable.Cancel(); },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"visits: save a visit (200 visits)"_s,
        .setup =
            [&] {
                openAll();
                sicilTable.Locate(u"hasta_kodu"_s, historyCode, {});
            },
        .prepare =
            [&] {
                muayeneTable.Cancel();
                startVisit();
                muayeneTable.FieldByName(u"kilo"_s)->setAsString(u"12,5"_s);
            },
        .layer = [&]() -> qint64 {
            muayeneTable.FieldByName(u"doktoru"_s)->setAsString(VisitQueries::doctorName(&sifreTable));
            muayeneTable.Post();
            storedVisits.append(muayeneTable.currentKey());
            VisitQueries::showChildHistory(&muayeneRQuery, historyCode);
            touchRows(muayeneRQuery, 25);
            return 1;
        },
        .floor = [&]() -> qint64 {
            run(db, u"BEGIN IMMEDIATE"_s);
            QSqlQuery insert
                = run(db, u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, doktoru) VALUES (?, ?, ?, ?, ?)"_s,
                    { historyCode, ValueFormats::storedDate(QDateTime::currentDateTime()), 24.05, 12.5,
                        u"Deneme Doktor"_s });
            storedVisits.append(insert.lastInsertId().toLongLong());
            run(db, u"COMMIT"_s);
            floorHistory(db, historyCode);
            return 1;
        },
        .teardown =
            [&] {
                muayeneTable.Cancel();
                for (qint64 mid : std::as_const(storedVisits))
                    run(db, u"DELETE FROM muayene WHERE mid = ?"_s, { mid });
                storedVisits.clear();
            },
        .maxMs = 100.0,
    });
    rows.push_back({
        .name = u"visits: open history of 200 visits"_s,
        .layer = [&]() -> qint64 {
            VisitQueries::showChildHistory(&muayeneRQuery, historyCode);
            return touchRows(muayeneRQuery, 25);
        },
        .floor = [&]() -> qint64 { return floorHistory(db, historyCode); },
        .maxMs = 100.0,
    });

    const int failed = clinic.runAndPrint(std::move(rows));
    return failed == 0 ? 0 : 1;
}
