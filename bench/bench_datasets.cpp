// Times the data-set layer on a generated clinic (see gen_clinic) against the bare SQL that does
// the same work on the same file, and reports the process's peak memory.
//
//   bench_datasets [--db FILE|postgresql://...] [--repeat N] [--only TEXT]
//
// Every operation is one entry of the list built in main(): a name, the work through the layer,
// the same work as plain queries (the floor), and optional set-up, per-run preparation and
// tear-down. Both sides return a result (a count or a key) that must agree. Each entry opens in
// its set-up what it needs, so that any of them can run alone (--only).

#include "AgeCalculator.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "NameSearch.h"
#include "RegistrySearch.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "TurkishText.h"
#include "ValueFormats.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;
using bench::touch;

namespace {

// The eight statement forms the screens issue, as far as they are measured here.
const auto registryStatement = u"Select * from hastasicil Order By hid ASC;"_s;
const auto registryBySurname = u"Select * from hastasicil order by soyadi ASC"_s;

QString historyStatement(const QString& code)
{
    return u"select * from muayene where hastakodu='"_s + code + u"'\nORDER BY tarih DESC"_s;
}

// Keeps the compiler from dropping reads whose result is not used otherwise.
// Reads every stored field of the current record, as the bound controls of a screen do.
// Pictures are left out: they are read only when shown.
void touchRecord(DataSet& ds)
{
    for (const Field* f : ds.Fields())
        if (f->kind() == FieldKind::fkData && f->DataType() != FieldType::Blob)
            touch(f->Value());
}

// Reads `rows` grid rows from position `from` on, every field except pictures, as a grid filling
// a screen; returns the sum of their keys (the first field), so the order is compared too.
qint64 touchGrid(const DataSet& ds, int rows, int from = 0)
{
    const int end = std::min(from + rows, ds.rowCount());
    const QList<Field*>& fields = ds.Fields();
    qint64 keys = 0;
    for (int row = from; row < end; ++row) {
        for (int c = 0; c < int(fields.size()); ++c)
            if (fields.at(c)->DataType() != FieldType::Blob)
                touch(ds.rawValueAt(row, c));
        keys += ds.rawValueAt(row, 0).toLongLong();
    }
    return keys;
}

// The floor side: plain forward-only queries on the same connection.
class Floor final
{
public:
    explicit Floor(QSqlDatabase& db)
        : m_db(db)
    { }

    QSqlQuery run(const QString& sql, const QVariantList& binds = {}) const
    {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            throw DataError(u"%1: %2"_s.arg(sql, q.lastError().text()));
        for (const QVariant& b : binds)
            q.addBindValue(b);
        if (!q.exec())
            throw DataError(u"%1: %2"_s.arg(sql, q.lastError().text()));
        return q;
    }

    // Reads the first column of every row; returns the number of rows.
    qint64 count(const QString& sql, const QVariantList& binds = {}) const
    {
        QSqlQuery q = run(sql, binds);
        qint64 rows = 0;
        while (q.next()) {
            touch(q.value(0));
            ++rows;
        }
        return rows;
    }

    // Reads every column of every row; returns the number of rows, or the sum of the first
    // column's values when sumFirst.
    qint64 readAll(const QString& sql, const QVariantList& binds = {}, bool sumFirst = false) const
    {
        QSqlQuery q = run(sql, binds);
        qint64 rows = 0;
        qint64 sum = 0;
        int columns = -1;
        while (q.next()) {
            if (columns < 0)
                columns = q.record().count();
            for (int c = 0; c < columns; ++c)
                touch(q.value(c));
            sum += q.value(0).toLongLong();
            ++rows;
        }
        return sumFirst ? sum : rows;
    }

    // The first column of the first row, -1 when there is none.
    qint64 first(const QString& sql, const QVariantList& binds = {}) const
    {
        QSqlQuery q = run(sql, binds);
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    // Reads one record without its pictures.
    void readRecord(const QString& table, qint64 key) const
    {
        if (key < 0)
            return;
        const TableDef* def = Schema::table(table);
        readAll(
            u"SELECT "_s + columns(table) + u" FROM \""_s + def->name + u"\" WHERE \""_s + def->keyField + u"\" = ?"_s,
            { key });
    }

    // Every column except pictures, quoted.
    static QString columns(const QString& table)
    {
        QStringList names;
        for (const FieldDef& f : Schema::table(table)->fields)
            if (f.type != FieldType::Blob)
                names << u'"' + f.name + u'"';
        return names.join(u", "_s);
    }

    QSqlDatabase& db() const
    {
        return m_db;
    }

private:
    QSqlDatabase& m_db;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bench::Options options(app.arguments(), { u"db"_s, u"repeat"_s, u"only"_s });
    if (!options.ok()) {
        bench::print(options.error());
        return 2;
    }
    const QString path = bench::clinicPath(options, u"bench-clinic.db"_s);
    const int repeat = int(std::max<qint64>(1, options.number(u"repeat"_s, 5)));
    if (path.isEmpty())
        return 2;

    const double start = bench::nowMs();
    Connection connection(path, u"bench"_s);
    if (!bench::openClinic(connection))
        return 1;
    const Floor floor(connection.database());

    const qint64 children = floor.first(u"SELECT count(*) FROM hastasicil"_s);
    const qint64 visits = floor.first(u"SELECT count(*) FROM muayene"_s);
    bench::print(u"database %1: %2 MB, %3 children, %4 visits; median of %5 runs after one warm-up"_s.arg(path)
                     .arg(double(bench::databaseSize(connection)) / (1024.0 * 1024.0), 0, 'f', 1)
                     .arg(children)
                     .arg(visits)
                     .arg(repeat));

    // Values the operations look for; the generator guarantees them.
    const QString lateCode = QString::number(std::max<qint64>(1, children - 129)); // "99871" in the default clinic
    const QString historyCode = u"777"_s;
    const QString otherCode = u"1"_s;
    const QString appendCode = QString::number(std::min<qint64>(children, 12345));
    const QString plantedSecondName = u"gökçen"_s; // second name of the child 50 before the end

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

    DataSet muayeneRQuery(u"muayeneRQuery"_s);
    muayeneRQuery.setStaticCursor(true);

    DataSet sicrapQuery(u"sicrapQuery"_s);
    sicrapQuery.setSQL(registryStatement);

    const QString searchText = u"Zeynep"_s;

    std::vector<qint64> appendedKeys;
    const QDateTime visitTime(QDate(2026, 11, 30), QTime(10, 30));
    QDate appendBirth;

    const QString foldName = Schema::foldSql(u"\"adi\""_s);
    const QString foldSurname = Schema::foldSql(u"\"soyadi\""_s);
    const auto prefixEnd
        = [](const QString& prefix) { return prefix + QChar::highSurrogate(0x10FFFF) + QChar::lowSurrogate(0x10FFFF); };
    const auto nameLookup = [&](const QString& name, const QString& surnamePrefix) {
        const QString folded = TurkishText::fold(name);
        const QString prefix = TurkishText::fold(surnamePrefix);
        const qint64 key = floor.first(u"SELECT hid FROM hastasicil WHERE "_s + foldName + u" = ? AND "_s + foldSurname
                + u" >= ? AND "_s + foldSurname + u" < ? ORDER BY hid LIMIT 1"_s,
            { folded, prefix, prefixEnd(prefix) });
        floor.readRecord(u"hastasicil"_s, key);
        return key;
    };
    const auto codeLookup = [&](const QString& code) {
        const qint64 key
            = floor.first(u"SELECT hid FROM hastasicil WHERE hasta_kodu = ? ORDER BY hid LIMIT 1"_s, { code });
        floor.readRecord(u"hastasicil"_s, key);
        return key;
    };
    const auto locateOrMiss = [](DataSet& ds, const QString& fields, const QVariantList& values, TLocateOptions o) {
        if (!ds.Locate(fields, values, o))
            return qint64(-1);
        touchRecord(ds);
        return ds.currentKey();
    };
    const TLocateOptions nameOptions = LocateOption::loPartialKey | LocateOption::loCaseInsensitive;

    std::vector<bench::Row> rows;

    rows.push_back({
        .name = u"open sicilTable (hastasicil, PrimaryKey)"_s,
        .prepare = [&] { sicilTable.Close(); },
        .layer =
            [&] {
                sicilTable.Open();
                touchRecord(sicilTable);
                return qint64(sicilTable.RecordCount());
            },
        // The count and the first record: nothing else is shown.
        .floor =
            [&] {
                const qint64 n = floor.first(u"SELECT count(*) FROM hastasicil"_s);
                floor.readRecord(u"hastasicil"_s, floor.first(u"SELECT hid FROM hastasicil ORDER BY hid LIMIT 1"_s));
                return n;
            },
        .teardown = [&] { sicilTable.Open(); },
    });

    rows.push_back({
        .name = u"Locate hasta_kodu = '%1' (whole)"_s.arg(lateCode),
        .setup = [&] { sicilTable.Open(); },
        .prepare = [&] { sicilTable.First(); },
        .layer = [&] { return locateOrMiss(sicilTable, u"hasta_kodu"_s, { lateCode }, {}); },
        .floor = [&] { return codeLookup(lateCode); },
    });

    rows.push_back({
        .name = u"Locate adi;soyadi = 'ayşe','yıl' (prefix, any case)"_s,
        .setup = [&] { sicilTable.Open(); },
        .prepare = [&] { sicilTable.First(); },
        .layer =
            [&] {
                return locateOrMiss(sicilTable, u"adi;soyadi"_s, { u"ayşe"_s, u"yıl"_s }, nameOptions);
            },
        .floor = [&] { return nameLookup(u"ayşe"_s, u"yıl"_s); },
    });

    rows.push_back({
        .name = u"Locate adi;soyadi, no such child"_s,
        .setup = [&] { sicilTable.Open(); },
        .prepare = [&] { sicilTable.First(); },
        .layer =
            [&] {
                return locateOrMiss(sicilTable, u"adi;soyadi"_s, { u"zümrüt"_s, u"ğ"_s }, nameOptions);
            },
        .floor = [&] { return nameLookup(u"zümrüt"_s, u"ğ"_s); },
    });

    rows.push_back({
        .name = u"move sicilTable to '%1', muayeneTable follows"_s.arg(historyCode),
        .setup =
            [&] {
                sicilTable.Open();
                muayeneTable.Open();
            },
        .prepare = [&] { sicilTable.Locate(u"hasta_kodu"_s, otherCode, {}); },
        .layer =
            [&] {
                sicilTable.Locate(u"hasta_kodu"_s, historyCode, {});
                touchRecord(sicilTable);
                touchRecord(muayeneTable);
                return qint64(muayeneTable.RecordCount());
            },
        .floor =
            [&] {
                codeLookup(historyCode);
                const qint64 n
                    = floor.count(u"SELECT mid FROM muayene WHERE hastakodu = ? ORDER BY mid"_s, { historyCode });
                floor.readRecord(u"muayene"_s,
                    floor.first(
                        u"SELECT mid FROM muayene WHERE hastakodu = ? ORDER BY mid LIMIT 1"_s, { historyCode }));
                return n;
            },
    });

    rows.push_back({
        .name = u"visit history of '%1' (static query, 20 rows shown)"_s.arg(historyCode),
        .prepare = [&] { muayeneRQuery.Close(); },
        .layer =
            [&] {
                muayeneRQuery.setSQL(historyStatement(historyCode));
                muayeneRQuery.Open();
                touchGrid(muayeneRQuery, 20);
                return qint64(muayeneRQuery.RecordCount());
            },
        .floor =
            [&] {
                return floor.readAll(
                    u"SELECT * FROM muayene WHERE hastakodu = ? ORDER BY tarih DESC"_s, { historyCode });
            },
    });

    rows.push_back({
        .name = u"open registry query (order by hid)"_s,
        .prepare =
            [&] {
                sicrapQuery.Close();
                sicrapQuery.setSQL(registryStatement);
            },
        .layer =
            [&] {
                sicrapQuery.Open();
                return qint64(sicrapQuery.RecordCount());
            },
        .floor = [&] { return floor.first(u"SELECT count(*) FROM hastasicil"_s); },
    });

    rows.push_back({
        .name = u"registry first screen: 40 grid rows after open"_s,
        .prepare =
            [&] {
                sicrapQuery.Close();
                sicrapQuery.Open();
            },
        .layer = [&] { return touchGrid(sicrapQuery, 40); },
        .floor =
            [&] {
                return floor.readAll(
                    u"SELECT "_s + Floor::columns(u"hastasicil"_s) + u" FROM hastasicil ORDER BY hid LIMIT 40"_s, {},
                    true);
            },
    });

    // The registry list sorted by surname, as a grid shows it: its first screen, a screen far
    // down (the scroll bar dragged there) and a scroll by 25 screens from the top. Each run
    // starts from a list just opened, nothing of it read.
    const QString surnameTerm = SqlDialect::of(floor.db()).orderTermSql(Schema::sortKeySql(u"\"soyadi\""_s), u" ASC"_s);
    const QString surnameSelect = u"SELECT "_s + Floor::columns(u"hastasicil"_s) + u", "_s
        + Schema::sortKeySql(u"\"soyadi\""_s) + u" FROM hastasicil "_s;
    const QString surnameOrder = u" ORDER BY "_s + surnameTerm + u", hid ASC LIMIT 40"_s;
    const int farRow = int(children * 6 / 10);
    const int scrollFrom = int(children * 3 / 10);
    const int scrollScreens = 25;
    const auto reopenBySurname = [&] {
        sicrapQuery.Close();
        sicrapQuery.setSQL(registryBySurname);
        sicrapQuery.Open();
    };
    const auto restoreRegistry = [&] {
        sicrapQuery.Close();
        sicrapQuery.setSQL(registryStatement);
        sicrapQuery.Open();
    };

    rows.push_back({
        .name = u"surname-sorted list: first screen (40 rows)"_s,
        .prepare = reopenBySurname,
        .layer = [&] { return touchGrid(sicrapQuery, 40); },
        .floor = [&] { return floor.readAll(surnameSelect + surnameOrder, {}, true); },
        .teardown = restoreRegistry,
    });

    // Without counted indexes a screen at a position is found by stepping over the rows before
    // it in the sort index: OFFSET.
    rows.push_back({
        .name = u"surname-sorted list: a screen at row %1"_s.arg(farRow),
        .prepare = reopenBySurname,
        .layer = [&] { return touchGrid(sicrapQuery, 40, farRow); },
        .floor =
            [&] {
                return floor.readAll(surnameSelect + surnameOrder + u" OFFSET "_s + QString::number(farRow), {}, true);
            },
        .teardown = restoreRegistry,
    });

    // From the middle of the list down, a screen at a time. The floor finds the first screen
    // as above and each next one by the last row's sort key and key, bounding the sort key alone
    // first (SQLite seeks an index on an expression only by the expression itself).
    rows.push_back({
        .name = u"scroll a surname-sorted list from row %1 (%2 screens of 40)"_s.arg(scrollFrom).arg(scrollScreens),
        .prepare = reopenBySurname,
        .layer = [&] { return touchGrid(sicrapQuery, 40 * scrollScreens, scrollFrom); },
        .floor =
            [&] {
                const QString sortKey = Schema::sortKeySql(u"\"soyadi\""_s);
                qint64 keys = 0;
                QVariantList after;
                for (int screen = 0; screen < scrollScreens; ++screen) {
                    QSqlQuery q = after.isEmpty()
                        ? floor.run(surnameSelect + surnameOrder + u" OFFSET "_s + QString::number(scrollFrom))
                        : floor.run(surnameSelect + u"WHERE "_s + sortKey + u" >= ? AND ("_s + sortKey
                                + u", hid) > (?, ?)"_s + surnameOrder,
                            after);
                    int columns = -1;
                    while (q.next()) {
                        if (columns < 0)
                            columns = q.record().count();
                        for (int c = 0; c < columns; ++c)
                            touch(q.value(c));
                        keys += q.value(0).toLongLong();
                        after = { q.value(columns - 1), q.value(columns - 1), q.value(0) };
                    }
                }
                return keys;
            },
        .teardown = restoreRegistry,
    });

    rows.push_back({
        .name = u"registry filter, 11 comparisons ('%1')"_s.arg(searchText),
        .setup = [&] { sicrapQuery.Open(); },
        .prepare = [&] { sicrapQuery.setFiltered(false); },
        .layer =
            [&] {
                QVariantMap binds;
                sicrapQuery.setCondition(::RegistrySearch::filterCondition(searchText, binds), binds);
                sicrapQuery.setFiltered(true);
                return qint64(sicrapQuery.rowCount());
            },
        // One statement: the text and its capitals against the code and the five names.
        .floor =
            [&] {
                const QString t = searchText;
                const QString c = TurkishText::buyukharf(searchText);
                return floor.count(u"SELECT hid FROM hastasicil WHERE hasta_kodu = ? OR adi = ? OR adi2 = ? OR "
                                   "soyadi = ? OR baba = ? OR anne = ? OR adi = ? OR adi2 = ? OR soyadi = ? OR "
                                   "baba = ? OR anne = ? ORDER BY hid"_s,
                    { t, t, t, t, t, t, c, c, c, c, c });
            },
        .teardown =
            [&] {
                sicrapQuery.setFiltered(false);
                sicrapQuery.setCondition(QString(), {});
            },
    });

    rows.push_back({
        .name = u"re-sort registry query by soyadi"_s,
        .setup = [&] { sicrapQuery.setFiltered(false); },
        .layer =
            [&] {
                sicrapQuery.Close();
                sicrapQuery.setSQL(registryBySurname);
                sicrapQuery.Open();
                return qint64(sicrapQuery.RecordCount());
            },
        // The count, and the first child in the list's order (the Turkish sort key on its
        // index, ties by key; on PostgreSQL missing values first, as the index keeps them): what
        // the screen shows first.
        .floor =
            [&] {
                const qint64 n = floor.first(u"SELECT count(*) FROM hastasicil"_s);
                floor.readRecord(u"hastasicil"_s,
                    floor.first(u"SELECT hid FROM hastasicil ORDER BY %1, hid ASC LIMIT 1"_s.arg(
                        SqlDialect::of(floor.db()).orderTermSql(Schema::sortKeySql(u"\"soyadi\""_s), u" ASC"_s))));
                return n;
            },
        .teardown =
            [&] {
                sicrapQuery.Close();
                sicrapQuery.setSQL(registryStatement);
                sicrapQuery.Open();
            },
    });

    rows.push_back({
        .name = u"sequential search of the registry ('%1', near the end)"_s.arg(plantedSecondName),
        .setup = [&] { sicrapQuery.Open(); },
        .prepare = [&] { sicrapQuery.First(); },
        .layer =
            [&] {
                if (!::RegistrySearch::siraliara(sicrapQuery, plantedSecondName))
                    return qint64(-1);
                return sicrapQuery.currentKey();
            },
        // The first child after the current one (the first) whose names hold the text, through
        // the name search's condition.
        .floor =
            [&] {
                QVariantMap binds;
                const QString condition = NameSearch::condition(plantedSecondName, binds, SqlDialect::of(floor.db()));
                QSqlQuery q(floor.db());
                q.setForwardOnly(true);
                q.prepare(u"SELECT hid FROM hastasicil WHERE hid > (SELECT min(hid) FROM hastasicil) AND "_s + condition
                    + u" ORDER BY hid LIMIT 1"_s);
                for (auto it = binds.cbegin(); it != binds.cend(); ++it)
                    q.bindValue(it.key(), it.value());
                if (!q.exec() || !q.next())
                    return qint64(-1);
                return q.value(0).toLongLong();
            },
    });

    rows.push_back({
        .name = u"Append and Post of a visit (muayeneTable)"_s,
        .setup =
            [&] {
                sicilTable.Open();
                muayeneTable.Open();
                sicilTable.Locate(u"hasta_kodu"_s, appendCode, {});
                appendBirth = sicilTable.FieldByName(u"dogumtarihi"_s)->AsDateTime().date();
            },
        .layer =
            [&] {
                muayeneTable.Append();
                muayeneTable.FieldByName(u"hastakodu"_s)->setAsString(appendCode);
                muayeneTable.FieldByName(u"tarih"_s)->setAsDateTime(visitTime);
                muayeneTable.FieldByName(u"yas"_s)->setAsFloat(
                    AgeCalculator::compute(appendBirth, visitTime.date()).value);
                muayeneTable.FieldByName(u"kilo"_s)->setAsFloat(18.4);
                muayeneTable.FieldByName(u"boy"_s)->setAsFloat(108.5);
                muayeneTable.Post();
                appendedKeys.push_back(muayeneTable.currentKey());
                return qint64(1);
            },
        .floor =
            [&] {
                QSqlDatabase& db = floor.db();
                if (!db.transaction())
                    throw DataError(db.lastError().text());
                QSqlQuery q
                    = floor.run(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy) VALUES (?, ?, ?, ?, ?)"_s,
                        { appendCode, ValueFormats::storedDate(visitTime),
                            AgeCalculator::compute(appendBirth, visitTime.date()).value, 18.4, 108.5 });
                appendedKeys.push_back(q.lastInsertId().toLongLong());
                if (!db.commit())
                    throw DataError(db.lastError().text());
                return qint64(1);
            },
        .teardown =
            [&] {
                // Leave the file as it was for the next run.
                for (qint64 key : appendedKeys)
                    floor.run(u"DELETE FROM muayene WHERE mid = ?"_s, { key });
                appendedKeys.clear();
                muayeneTable.Close();
            },
    });

    // --only TEXT runs the operations whose name contains TEXT.
    const QString only = options.text(u"only"_s, QString());
    if (!only.isEmpty())
        std::erase_if(rows, [&only](const bench::Row& row) { return !row.name.contains(only, Qt::CaseInsensitive); });

    const std::vector<bench::Result> results = bench::runRows(rows, repeat);
    bench::print(QString());
    const int failures = bench::printTable(results);

    const double peak = bench::peakMemoryMb();
    const bool memoryOk = peak < 300;
    bench::print(QString());
    bench::print(u"peak memory: %1 MB (target < 300 MB) %2"_s.arg(peak, 0, 'f', 1).arg(memoryOk ? u"OK"_s : u"FAIL"_s));
    bench::print(u"total time: %1 s"_s.arg((bench::nowMs() - start) / 1000.0, 0, 'f', 1));
    return failures == 0 && memoryOk ? 0 : 1;
}
