// Times the registry's commands on a generated clinic (see gen_clinic) against the bare SQL that
// does the same work on the same file: opening the registry list, its record filter, sorting by
// surname, the sequential search wrapping round, choosing a child and saving a new one with the
// duplicate check.
//
//   bench_registry [--db FILE] [--repeat N] [--only TEXT]

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
#include <vector>

using namespace Qt::StringLiterals;

namespace {

volatile qint64 g_sink = 0;

void touch(const QVariant& value)
{
    g_sink = g_sink + (value.isNull() ? 0 : 1);
}

QSqlQuery run(QSqlDatabase& db, const QString& sql, const QVariantList& binds = {})
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

// Reads a key list to the end, as a data set's Open does; returns the number of keys.
qint64 readKeys(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q = run(db, sql);
    qint64 n = 0;
    while (q.next()) {
        touch(q.value(0));
        ++n;
    }
    return n;
}

bool equalsText(const QVariant& v, const QString& text)
{
    return v.isValid() && !v.isNull() && v.toString() == text;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(TurkishText::locale());
    const bench::Options options(app.arguments(), { u"db"_s, u"repeat"_s, u"only"_s });
    if (!options.ok()) {
        bench::print(options.error());
        return 2;
    }
    const QString path = bench::clinicPath(options, u"bench-clinic.db"_s);
    const int repeat = int(std::max<qint64>(1, options.number(u"repeat"_s, 5)));
    const QString only = options.text(u"only"_s, QString());
    if (path.isEmpty())
        return 2;

    Connection connection(path, u"bench"_s);
    if (!bench::openClinic(connection))
        return 1;
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
        .floor =
            [&] {
                const QString capitals = TurkishText::buyukharf(searchText);
                QSqlQuery q
                    = run(db, u"SELECT hasta_kodu, adi, adi2, soyadi, baba, anne FROM hastasicil ORDER BY hid"_s);
                qint64 n = 0;
                while (q.next()) {
                    bool hit = equalsText(q.value(0), searchText);
                    for (int i = 1; i < 6 && !hit; ++i)
                        hit = equalsText(q.value(i), searchText);
                    for (int i = 1; i < 6 && !hit; ++i)
                        hit = equalsText(q.value(i), capitals);
                    n += hit ? 1 : 0;
                }
                return n;
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
                return qint64(sicrapQuery.RecNo());
            },
        .floor =
            [&] {
                const QString wanted = TurkishText::kucukharf(plantedSecondName);
                QSqlQuery q = run(db, u"SELECT adi, soyadi, adi2 FROM hastasicil ORDER BY hid"_s);
                qint64 position = 0;
                while (q.next()) {
                    ++position;
                    if (RegistrySearch::searchText(q.value(0).toString(), q.value(1).toString(), q.value(2).toString())
                            .contains(wanted))
                        return position;
                }
                return qint64(0);
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
                // As "Kaydet": the registry query afresh in its default order, the duplicate
                // check, the record stored, and the list read again to show it.
                reopenDefault();
                const QString code = newCode();
                sicilTable.Append();
                sicilTable.FieldByName(u"hasta_kodu"_s)->setAsString(code);
                sicilTable.FieldByName(u"adi"_s)->setAsString(u"Deneme"_s);
                sicilTable.FieldByName(u"soyadi"_s)->setAsString(u"Çocuk"_s);
                sicilTable.FieldByName(u"doktoru"_s)->setAsString(u"Zeynep Kaya"_s);
                if (sicrapQuery.Locate(u"hasta_kodu"_s, code, LocateOption::loCaseInsensitive)) {
                    sicilTable.Cancel();
                    return qint64(0);
                }
                sicilTable.Post();
                sicrapQuery.Close();
                sicrapQuery.Open();
                return qint64(1);
            },
        .floor =
            [&] {
                const QString code = newCode();
                readKeys(db, u"SELECT hid FROM hastasicil ORDER BY hid"_s);
                const QString byCode
                    = u"SELECT hid FROM hastasicil WHERE "_s + Schema::foldSql(u"\"hasta_kodu\""_s) + u" = ? LIMIT 1"_s;
                if (run(db, byCode, { TurkishText::fold(code) }).next())
                    return qint64(0);
                run(db, u"BEGIN IMMEDIATE"_s);
                run(db, u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, doktoru) VALUES (?, ?, ?, ?)"_s,
                    { code, u"Deneme"_s, u"Çocuk"_s, u"Zeynep Kaya"_s });
                touch(run(db, byCode, { TurkishText::fold(code) }).next());
                run(db, u"COMMIT"_s);
                readKeys(db, u"SELECT hid FROM hastasicil ORDER BY hid"_s);
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
    if (!only.isEmpty())
        rows.erase(
            std::remove_if(rows.begin(), rows.end(), [&only](const bench::Row& r) { return !r.name.contains(only); }),
            rows.end());

    const std::vector<bench::Result> results = bench::runRows(rows, repeat);
    const int failed = bench::printTable(results);
    bench::print(u"peak memory: %1 MB"_s.arg(bench::peakMemoryMb(), 0, 'f', 1));
    return failed == 0 ? 0 : 1;
}
