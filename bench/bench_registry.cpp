// Times the registry's commands on a generated clinic (see gen_clinic) against the plain SQL a
// careful programmer would write for what the screen shows, on the same file (indexes and LIMIT
// included, nothing read that the screen does not show): opening the registry list, its record filter, sorting by
// surname, the sequential search wrapping round, choosing a child and saving a new one with the
// duplicate check.
//
//   bench_registry [--db FILE] [--repeat N] [--only TEXT]

#include "BenchClinic.h"
#include "BenchSupport.h"
#include "ChildCode.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "RegistrySearch.h"
#include "Schema.h"
#include "TurkishText.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;
using bench::run;
using bench::touch;

namespace { } // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(TurkishText::locale());
    bench::Clinic clinic(app.arguments(), {}, u"bench-clinic.db"_s, 5, u"bench"_s);
    if (clinic.exitCode() != 0)
        return clinic.exitCode();
    const QString& path = clinic.path();
    const int repeat = clinic.repeat();
    Connection& connection = clinic.connection();
    QSqlDatabase& db = connection.database();

    qint64 children = 0;
    {
        QSqlQuery q = run(db, u"SELECT count(*) FROM hastasicil"_s);
        q.next();
        children = q.value(0).toLongLong();
    }
    bench::print(
        u"database %1: %2 children; median of %3 runs after one warm-up"_s.arg(path).arg(children).arg(repeat));

    const QString searchText = u"Zeynep"_s;
    const QString plantedSecondName = u"gökçen"_s; // second name of the child 50 before the end
    const QString chosenCode = QString::number(std::max<qint64>(1, children - 10));
    const QStringList gridFields = RegistrySearch::gridFields();

    // The data sets as the two screens set them up.
    DataSet sicrapQuery(u"sicrapQuery"_s);
    sicrapQuery.setSQL(RegistrySearch::initialStatement());
    DataSet sicilTable(u"sicilTable"_s);
    sicilTable.setTableName(u"hastasicil"_s);
    sicilTable.setIndexName(u"PrimaryKey"_s);
    sicilTable.OnWrite = [](DataSet& ds, const QVector<QVariant>& before) {
        const QString code = ds.FieldByName(u"hasta_kodu"_s)->AsString();
        if (before.isEmpty()
            && ChildCode::inUse(ds.connection()->database(), code, ds.FieldByName(u"hid"_s)->Value().toLongLong()))
            throw DataError(ChildCode::duplicateMessage(code));
    };

    auto reopenDefault = [&] {
        sicrapQuery.setFiltered(false);
        sicrapQuery.Close();
        sicrapQuery.setSQL(RegistrySearch::defaultStatement());
        sicrapQuery.Open();
    };

    int saved = 0;
    auto newCode = [&saved] { return u"BENCH-%1"_s.arg(++saved); };

    std::vector<bench::Row> rows;

    rows.push_back({
        .name = u"open registry list"_s,
        .prepare = [&] { sicrapQuery.Close(); },
        .layer =
            [&] {
                sicrapQuery.setSQL(RegistrySearch::initialStatement());
                sicrapQuery.Open();
                // The grid's first screen: 40 rows of its seventeen columns.
                const int n = std::min(40, sicrapQuery.rowCount());
                for (int row = 0; row < n; ++row)
                    for (const QString& f : gridFields)
                        touch(sicrapQuery.rawValueAt(row, sicrapQuery.FieldByName(f)->index()));
                return qint64(sicrapQuery.RecordCount());
            },
        // The count the list shows and the grid's first 40 rows, nothing more.
        .floor =
            [&] {
                QSqlQuery c = run(db, u"SELECT count(*) FROM hastasicil"_s);
                const qint64 n = c.next() ? c.value(0).toLongLong() : 0;
                QSqlQuery q
                    = run(db, u"SELECT "_s + gridFields.join(u", "_s) + u" FROM hastasicil ORDER BY hid LIMIT 40"_s);
                while (q.next())
                    for (int i = 0; i < gridFields.size(); ++i)
                        touch(q.value(i));
                return n;
            },
    });

    rows.push_back({
        .name = u"filter (search box)"_s,
        .setup = [&] { reopenDefault(); },
        .prepare = [&] { sicrapQuery.setFiltered(false); },
        .layer =
            [&] {
                QVariantMap binds;
                sicrapQuery.setCondition(RegistrySearch::filterCondition(searchText, binds), binds);
                sicrapQuery.setFiltered(true);
                return qint64(sicrapQuery.rowCount());
            },
        // The eleven comparisons in one statement on the six fields' indexes: the count of rows
        // shown and the grid's first screen in the list's order.
        .floor =
            [&] {
                const QString capitals = TurkishText::buyukharf(searchText);
                const QString where = u" WHERE hasta_kodu = ? OR adi = ? OR adi2 = ? OR soyadi = ? OR baba = ? "
                                      u"OR anne = ? OR adi = ? OR adi2 = ? OR soyadi = ? OR baba = ? OR anne = ?"_s;
                const QVariantList binds { searchText, searchText, searchText, searchText, searchText, searchText,
                    capitals, capitals, capitals, capitals, capitals };
                QSqlQuery count = run(db, u"SELECT count(*) FROM hastasicil"_s + where, binds);
                count.next();
                QSqlQuery q = run(db,
                    u"SELECT "_s + gridFields.join(u", "_s) + u" FROM hastasicil"_s + where
                        + u" ORDER BY hid LIMIT 40"_s,
                    binds);
                while (q.next())
                    for (int i = 0; i < gridFields.size(); ++i)
                        touch(q.value(i));
                return count.value(0).toLongLong();
            },
        .teardown = [&] { sicrapQuery.setFiltered(false); },
    });

    rows.push_back({
        .name = u"sort by surname"_s,
        .setup = [&] { reopenDefault(); },
        .layer =
            [&] {
                sicrapQuery.Close();
                sicrapQuery.setSQL(RegistrySearch::sortStatement(u"soyadi"_s, u"ASC"_s));
                sicrapQuery.Open();
                sicrapQuery.First();
                touch(sicrapQuery.FieldByName(u"soyadi"_s)->Value());
                return qint64(sicrapQuery.RecordCount());
            },
        // The count and the first child in the Turkish order, through the sort key's index.
        .floor =
            [&] {
                QSqlQuery c = run(db, u"SELECT count(*) FROM hastasicil"_s);
                const qint64 n = c.next() ? c.value(0).toLongLong() : 0;
                QSqlQuery q = run(db,
                    u"SELECT * FROM hastasicil ORDER BY "_s + Schema::sortKeySql(u"\"soyadi\""_s) + u", hid LIMIT 1"_s);
                if (q.next())
                    touch(q.value(0));
                return n;
            },
    });

    rows.push_back({
        .name = u"sequential search, wrapping"_s,
        .setup = [&] { reopenDefault(); },
        // From the last record the search goes round to the top and on to the planted name.
        .prepare = [&] { sicrapQuery.Last(); },
        .layer =
            [&] {
                RegistrySearch::siraliara(sicrapQuery, plantedSecondName);
                return sicrapQuery.FieldByName(u"hid"_s)->Value().toLongLong();
            },
        // The trigram index gives the next child after the current one in key order, or the first
        // from the top when there is none after it.
        .floor =
            [&] {
                const QString phrase = u'"' + TurkishText::kucukharf(plantedSecondName) + u'"';
                const QString next = u"SELECT rowid FROM hastasicil_ara WHERE hastasicil_ara MATCH ? AND rowid > ? "
                                     u"ORDER BY rowid LIMIT 1"_s;
                QSqlQuery last = run(db, u"SELECT max(hid) FROM hastasicil"_s);
                last.next();
                QSqlQuery q = run(db, next, { phrase, last.value(0) });
                if (q.next())
                    return q.value(0).toLongLong();
                QSqlQuery first = run(db, next, { phrase, std::numeric_limits<qint64>::min() });
                return first.next() ? first.value(0).toLongLong() : qint64(0);
            },
    });

    rows.push_back({
        .name = u"choose a child"_s,
        .setup = [&] { sicilTable.Open(); },
        .prepare = [&] { sicilTable.First(); },
        .layer =
            [&] {
                if (!sicilTable.Locate(u"hasta_kodu"_s, chosenCode, LocateOption::loCaseInsensitive))
                    return qint64(-1);
                for (const Field* f : sicilTable.Fields())
                    if (f->DataType() != FieldType::Blob)
                        touch(f->Value());
                return sicilTable.FieldByName(u"hid"_s)->Value().toLongLong();
            },
        .floor =
            [&] {
                QSqlQuery q = run(db,
                    u"SELECT hid FROM hastasicil WHERE "_s + Schema::foldSql(u"\"hasta_kodu\""_s)
                        + u" = ? ORDER BY hid LIMIT 1"_s,
                    { TurkishText::fold(chosenCode) });
                if (!q.next())
                    return qint64(-1);
                const qint64 hid = q.value(0).toLongLong();
                QSqlQuery r = run(db, u"SELECT * FROM hastasicil WHERE hid = ?"_s, { hid });
                if (r.next())
                    for (int i = 0; i < r.record().count(); ++i)
                        touch(r.value(i));
                return hid;
            },
    });

    rows.push_back({
        .name = u"save a new child"_s,
        .setup = [&] { sicilTable.Open(); },
        .layer =
            [&] {
                // As "Kaydet": the duplicate check on the code's index, the record stored, and
                // the list read again in its default order to show it.
                const QString code = newCode();
                sicilTable.Append();
                sicilTable.FieldByName(u"hasta_kodu"_s)->setAsString(code);
                sicilTable.FieldByName(u"adi"_s)->setAsString(u"Deneme"_s);
                sicilTable.FieldByName(u"soyadi"_s)->setAsString(u"Çocuk"_s);
                sicilTable.FieldByName(u"doktoru"_s)->setAsString(u"Zeynep Kaya"_s);
                if (ChildCode::firstHolder(db, code)) {
                    sicilTable.Cancel();
                    return qint64(0);
                }
                sicilTable.Post();
                reopenDefault();
                const int n = std::min(40, sicrapQuery.rowCount());
                for (int row = 0; row < n; ++row)
                    for (const QString& f : gridFields)
                        touch(sicrapQuery.rawValueAt(row, sicrapQuery.FieldByName(f)->index()));
                return qint64(1);
            },
        // The code looked up on its index, the row inserted and committed, and what the list then
        // shows: its first screen (its count, known before, goes up by one; nothing counts the
        // whole table again).
        .floor =
            [&] {
                const QString code = newCode();
                const QString byCode
                    = u"SELECT hid FROM hastasicil WHERE "_s + Schema::foldSql(u"\"hasta_kodu\""_s) + u" = ? LIMIT 1"_s;
                run(db, u"BEGIN IMMEDIATE"_s);
                if (run(db, byCode, { TurkishText::fold(code) }).next()) {
                    run(db, u"ROLLBACK"_s);
                    return qint64(0);
                }
                run(db, u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, doktoru) VALUES (?, ?, ?, ?)"_s,
                    { code, u"Deneme"_s, u"Çocuk"_s, u"Zeynep Kaya"_s });
                run(db, u"COMMIT"_s);
                // The list's count was known before; it is one more now.
                touch(children + saved);
                QSqlQuery q
                    = run(db, u"SELECT "_s + gridFields.join(u", "_s) + u" FROM hastasicil ORDER BY hid LIMIT 40"_s);
                while (q.next())
                    for (int i = 0; i < gridFields.size(); ++i)
                        touch(q.value(i));
                return qint64(1);
            },
        .teardown =
            [&] {
                sicrapQuery.Close();
                sicilTable.Close();
                run(db, u"DELETE FROM hastasicil WHERE hasta_kodu LIKE 'BENCH-%'"_s);
            },
    });

    for (bench::Row& row : rows) {
        row.maxMs = 300.0;
        row.maxRatio = 3.0;
    }
    const int failed = clinic.runAndPrint(std::move(rows));
    return failed == 0 ? 0 : 1;
}
