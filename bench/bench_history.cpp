// Times what the change history adds to a save on a generated clinic (see gen_clinic): the same
// change stored in its own transaction with and without its history row, and the save through
// the data-set layer, which writes the row, for scale.
//
//   bench_history [--db FILE] [--repeat N]
//
// The runs alternate between the kinds, so that the file's caches and the disk treat them alike;
// the medians are printed. The visits added are deleted again and the history rows written are
// left, so a copy of the clinic is the file to run on.

#include "BenchClinic.h"
#include "BenchSupport.h"
#include "ChangeLog.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "RecordWriter.h"
#include "Schema.h"
#include "ValueFormats.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>

#include <algorithm>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Kind {
    QString name;
    std::function<void(int run)> save;
    std::vector<double> times = {};
};

// Runs each kind `repeat` times after one warm-up, one kind after the other within a round.
void runAlternating(std::vector<Kind>& kinds, int repeat)
{
    for (Kind& k : kinds)
        k.save(-1);
    for (int run = 0; run < repeat; ++run) {
        for (Kind& k : kinds) {
            const double start = bench::nowMs();
            k.save(run);
            k.times.push_back(bench::nowMs() - start);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bench::Clinic clinic(app.arguments(), {}, u"bench-clinic.db"_s, 200, u"bench"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    QSqlDatabase& db = clinic.db();
    ChangeLog::setUser(u"zeynep"_s);
    const TableDef& visitsDef = *Schema::table(u"muayene"_s);

    const QString code = u"777"_s;
    const auto first = [&db](const QString& sql, const QVariantList& binds) {
        QSqlQuery q = bench::run(db, sql, binds);
        return q.next() ? q.value(0).toLongLong() : qint64(-1);
    };
    const qint64 mid = first(u"SELECT min(mid) FROM muayene WHERE hastakodu = ?"_s, { code });
    // The layer's save changes another visit of the child, so the bare statements never change
    // the row its data set has read.
    const qint64 layerMid = first(u"SELECT max(mid) FROM muayene WHERE hastakodu = ?"_s, { code });
    const qint64 visits = first(u"SELECT count(*) FROM muayene"_s, {});
    bench::print(u"database %1: %2 MB, %3 visits; visit %4 of child %5; median of %6 runs after one warm-up"_s.arg(path)
                     .arg(double(bench::databaseFileSize(path)) / (1024.0 * 1024.0), 0, 'f', 1)
                     .arg(visits)
                     .arg(mid)
                     .arg(code)
                     .arg(repeat));

    const auto weight = [](int run) { return 18.0 + (run + 2) % 7 * 0.1; };
    const QString visitTime = ValueFormats::storedDate(QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    std::vector<qint64> added;

    DataSet visitTable(u"muayeneTable"_s);
    visitTable.setTableName(u"muayene"_s);
    visitTable.setMasterFields(QString());
    visitTable.setCondition(u"mid = :mid"_s, { { u":mid"_s, layerMid } });
    visitTable.setFiltered(true);
    visitTable.Open();

    // The edit of one visit's weight: a change of one field.
    std::vector<Kind> edits {
        { u"edit, UPDATE alone"_s,
            [&](int run) {
                RecordWriter writer(db);
                bench::run(db, u"UPDATE muayene SET kilo = ? WHERE mid = ?"_s, { weight(run), mid });
                writer.commit();
            } },
        { u"edit, UPDATE and its history row"_s,
            [&](int run) {
                RecordWriter writer(db);
                bench::run(db, u"UPDATE muayene SET kilo = ? WHERE mid = ?"_s, { weight(run), mid });
                ChangeLog::write(
                    db, ChangeLog::Kind::Update, visitsDef, mid, code, { { u"kilo"_s, weight(run - 1), weight(run) } });
                writer.commit();
            } },
        { u"edit through the layer (Edit, Post)"_s,
            [&](int run) {
                visitTable.Edit();
                visitTable.FieldByName(u"kilo"_s)->setAsFloat(weight(run) + 1.0);
                visitTable.Post();
            } },
    };
    // A new visit of six fields.
    const QVariantList newVisit { code, visitTime, 4.5, 18.4, 108.5, u"Kontrol"_s };
    const auto insertVisit = [&] {
        QSqlQuery q = bench::run(
            db, u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy, tani) VALUES (?, ?, ?, ?, ?, ?)"_s, newVisit);
        added.push_back(q.lastInsertId().toLongLong());
        return added.back();
    };
    std::vector<Kind> inserts {
        { u"new visit, INSERT alone"_s,
            [&](int) {
                RecordWriter writer(db);
                insertVisit();
                writer.commit();
            } },
        { u"new visit, INSERT and its history row"_s,
            [&](int) {
                RecordWriter writer(db);
                const qint64 key = insertVisit();
                ChangeLog::write(db, ChangeLog::Kind::Insert, visitsDef, key, code,
                    { { u"hastakodu"_s, {}, code }, { u"tarih"_s, {}, visitTime }, { u"yas"_s, {}, 4.5 },
                        { u"kilo"_s, {}, 18.4 }, { u"boy"_s, {}, 108.5 }, { u"tani"_s, {}, u"Kontrol"_s } });
                writer.commit();
            } },
    };

    if (mid < 0 || layerMid == mid) {
        bench::print(u"child %1 has not two visits"_s.arg(code));
        return 1;
    }
    try {
        runAlternating(edits, repeat);
        runAlternating(inserts, repeat);
    } catch (const DataError& e) {
        bench::print(u"failed: "_s + e.text());
        return 1;
    }
    for (qint64 key : added)
        bench::run(db, u"DELETE FROM muayene WHERE mid = ?"_s, { key });

    bench::print(QString());
    bench::print(u"| save | median ms | min ms |"_s);
    bench::print(u"|---|---:|---:|"_s);
    for (const std::vector<Kind>* group : { &edits, &inserts }) {
        for (const Kind& k : *group) {
            bench::print(u"| %1 | %2 | %3 |"_s.arg(k.name)
                             .arg(bench::median(k.times), 0, 'f', 3)
                             .arg(*std::min_element(k.times.begin(), k.times.end()), 0, 'f', 3));
        }
    }
    bench::print(QString());
    bool ok = true;
    for (const std::vector<Kind>* group : { &edits, &inserts }) {
        const double without = bench::median(group->at(0).times);
        const double with = bench::median(group->at(1).times);
        const double added = with - without;
        const bool rowOk = added < 1.0;
        ok = ok && rowOk;
        bench::print(u"%1: the history row adds %2 ms (target < 1 ms) %3"_s.arg(group->at(1).name)
                         .arg(added, 0, 'f', 3)
                         .arg(rowOk ? u"OK"_s : u"FAIL"_s));
    }
    return ok ? 0 : 1;
}
