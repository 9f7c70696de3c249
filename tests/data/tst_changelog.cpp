#include "ChangeLog.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "RecordWriter.h"
#include "Schema.h"
#include "TestDatabase.h"
#include "WriteBatch.h"

#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A history row as another workstation reads it.
struct HistoryRow {
    QString user;
    QString kind;
    QString table;
    qint64 key = -1;
    QVariant childCode;
    QList<ChangeLog::Change> changes;
};

using Changes = QList<ChangeLog::Change>;

} // namespace

Q_DECLARE_METATYPE(Changes)

// The change history the data-set layer writes with every stored record.
class tst_ChangeLog final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void rowOfEachWrite_data();
    void rowOfEachWrite();
    void valuesAsWritten_data();
    void valuesAsWritten();
    void editWithoutChangeLeavesNoRow();
    void failedSaveLeavesNeither_data();
    void failedSaveLeavesNeither();
    void refusedRecordOfBatchTakesItsRowBack();
    void carriedCodeLeavesRowPerRecord();
    void historyIsReadOnly();
    void describedForReading_data();
    void describedForReading();
    void childCodesAndCondition_data();
    void childCodesAndCondition();
    void olderFileGetsHistory();

private:
    QList<HistoryRow> history();
    int count(const QString& table);
    void execElsewhere(const QString& sql, const QVariantList& binds = {});
    void refuseElsewhere(const QString& write, const QString& table);

    std::unique_ptr<TestDatabase> m_dir;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<Connection> m_other;
};

void tst_ChangeLog::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    const QString file = m_dir->location();
    m_conn = std::make_unique<Connection>(file, u"history"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    m_other = std::make_unique<Connection>(file, u"other"_s);
    QVERIFY2(m_other->open(), qPrintable(m_other->lastError()));
    Connection::setDefaultConnection(m_conn.get());
    ChangeLog::setUser(u"ayse"_s);
}

void tst_ChangeLog::cleanup()
{
    ChangeLog::setUser(QString());
    Connection::setDefaultConnection(nullptr);
    m_other.reset();
    m_conn.reset();
    m_dir.reset();
}

QList<HistoryRow> tst_ChangeLog::history()
{
    QList<HistoryRow> rows;
    QSqlQuery q(m_other->database());
    if (!q.exec(u"SELECT kullanici, islem, tablo, kayit, hastakodu, degisen FROM degisiklik ORDER BY did"_s))
        return rows;
    while (q.next())
        rows.append({ q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toLongLong(),
            q.value(4), ChangeLog::parse(q.value(5).toString()) });
    return rows;
}

int tst_ChangeLog::count(const QString& table)
{
    QSqlQuery q(m_other->database());
    if (!q.exec(u"SELECT count(*) FROM "_s + table) || !q.next())
        return -1;
    return q.value(0).toInt();
}

// A trigger, made by another connection, that makes the engine refuse every such write.
void tst_ChangeLog::refuseElsewhere(const QString& write, const QString& table)
{
    QSqlQuery q(m_other->database());
    if (!TestDatabase::postgresqlChosen()) {
        QVERIFY(q.exec(
            u"CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'olmaz'); END"_s.arg(write, table)));
        return;
    }
    QVERIFY(q.exec(u"CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                   u"$$ BEGIN RAISE EXCEPTION 'olmaz'; END $$"_s));
    QVERIFY(
        q.exec(u"CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION refuse()"_s.arg(write, table)));
}

void tst_ChangeLog::execElsewhere(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q(m_other->database());
    QVERIFY(q.prepare(sql));
    for (const QVariant& v : binds)
        q.addBindValue(v);
    QVERIFY2(q.exec(), qPrintable(sql));
}

void tst_ChangeLog::rowOfEachWrite_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("childCode");
    QTest::addColumn<Changes>("changes");

    // The visit of child 5 as seeded: mid 1, kilo 12.5, tani "Grip".
    QTest::newRow("new visit") << u"insert"_s << u"Ekleme"_s << QVariant(u"7"_s)
                               << Changes { { u"hastakodu"_s, {}, u"7"_s }, { u"kilo"_s, {}, 9.25 } };
    QTest::newRow("edited visit") << u"edit"_s << u"Düzeltme"_s << QVariant(u"5"_s)
                                  << Changes { { u"kilo"_s, 12.5, 13.0 }, { u"tani"_s, u"Grip"_s, {} } };
    QTest::newRow("deleted visit") << u"delete"_s << u"Silme"_s << QVariant(u"5"_s)
                                   << Changes { { u"hastakodu"_s, u"5"_s, {} }, { u"kilo"_s, 12.5, {} },
                                          { u"tani"_s, u"Grip"_s, {} } };
}

void tst_ChangeLog::rowOfEachWrite()
{
    QFETCH(QString, action);
    QFETCH(QString, kind);
    QFETCH(QVariant, childCode);
    QFETCH(Changes, changes);
    execElsewhere(u"INSERT INTO muayene (mid, hastakodu, kilo, tani) VALUES (1, '5', 12.5, 'Grip')"_s);

    DataSet visits(u"muayeneTable"_s);
    visits.setTableName(u"muayene"_s);
    visits.Open();
    if (action == u"insert"_s) {
        visits.Append();
        visits.FieldByName(u"hastakodu"_s)->setAsString(u"7"_s);
        visits.FieldByName(u"kilo"_s)->setAsString(u"9,25"_s);
        visits.Post();
    } else if (action == u"edit"_s) {
        visits.Edit();
        visits.FieldByName(u"kilo"_s)->setAsString(u"13"_s);
        visits.FieldByName(u"tani"_s)->Clear();
        visits.FieldByName(u"boy"_s)->Clear(); // was empty: not a change
        visits.Post();
    } else {
        visits.Delete();
    }

    const QList<HistoryRow> rows = history();
    QCOMPARE(rows.size(), 1);
    const HistoryRow& row = rows.first();
    QCOMPARE(row.user, u"ayse"_s);
    QCOMPARE(row.kind, kind);
    QCOMPARE(row.table, u"muayene"_s);
    QCOMPARE(row.key, action == u"insert"_s ? 2 : 1);
    QCOMPARE(row.childCode.toString(), childCode.toString());
    QCOMPARE(row.changes.size(), changes.size());
    for (qsizetype i = 0; i < changes.size(); ++i) {
        const ChangeLog::Change& c = row.changes.at(i);
        QCOMPARE(c.field, changes.at(i).field);
        QCOMPARE(c.before.isNull(), changes.at(i).before.isNull());
        QCOMPARE(c.after.isNull(), changes.at(i).after.isNull());
        if (!c.before.isNull())
            QCOMPARE(c.before.toString(), changes.at(i).before.toString());
        if (!c.after.isNull())
            QCOMPARE(c.after.toString(), changes.at(i).after.toString());
    }
}

void tst_ChangeLog::valuesAsWritten_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("json");

    QTest::newRow("text") << u"hastasicil"_s << u"adi"_s << QVariant(u"Çağrı \"Can\""_s)
                          << uR"([{"alan":"adi","eski":null,"yeni":"Çağrı \"Can\""}])"_s;
    QTest::newRow("number") << u"muayene"_s << u"kilo"_s << QVariant(12.75)
                            << uR"([{"alan":"kilo","eski":null,"yeni":12.75}])"_s;
    QTest::newRow("date") << u"muayene"_s << u"tarih"_s << QVariant(u"2026-12-01 10:30:00.000"_s)
                          << uR"([{"alan":"tarih","eski":null,"yeni":"2026-12-01 10:30:00.000"}])"_s;
    QTest::newRow("picture by its size") << u"hastasicil"_s << u"resim"_s << QVariant(QByteArray(1500, 'x'))
                                         << uR"j([{"alan":"resim","eski":null,"yeni":"(1500 bayt)"}])j"_s;
    QTest::newRow("password hidden") << u"sifre"_s << u"sifre"_s << QVariant(u"gizli123"_s)
                                     << uR"([{"alan":"sifre","eski":null,"yeni":"***"}])"_s;
    QTest::newRow("master password hidden")
        << u"master"_s << u"mids"_s << QVariant(u"ana"_s) << uR"([{"alan":"mids","eski":null,"yeni":"***"}])"_s;
    QTest::newRow("user name kept") << u"sifre"_s << u"kullanici"_s << QVariant(u"ayse"_s)
                                    << uR"([{"alan":"kullanici","eski":null,"yeni":"ayse"}])"_s;
}

void tst_ChangeLog::valuesAsWritten()
{
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(QVariant, value);
    QFETCH(QString, json);

    DataSet data(u"data"_s);
    data.setTableName(table);
    data.Open();
    data.Append();
    data.FieldByName(field)->setValue(value);
    data.Post();

    QSqlQuery q(m_other->database());
    QVERIFY(q.exec(u"SELECT degisen FROM degisiklik"_s));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), json);
    QVERIFY(!q.next());
}

void tst_ChangeLog::editWithoutChangeLeavesNoRow()
{
    execElsewhere(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('5', 'Ali')"_s);
    DataSet children(u"sicilTable"_s);
    children.setTableName(u"hastasicil"_s);
    children.Open();
    children.Edit();
    children.FieldByName(u"adi"_s)->setAsString(u"Ali"_s);
    children.Post();
    QCOMPARE(history().size(), 0);

    // The same save with a change does leave one.
    children.Edit();
    children.FieldByName(u"adi"_s)->setAsString(u"Veli"_s);
    children.Post();
    QCOMPARE(history().size(), 1);
}

void tst_ChangeLog::failedSaveLeavesNeither_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("failure");

    for (const QString& action : { u"insert"_s, u"edit"_s, u"delete"_s }) {
        QTest::addRow("%s, history row refused", qPrintable(action)) << action << u"history"_s;
        QTest::addRow("%s, later step fails", qPrintable(action)) << action << u"hook"_s;
    }
    QTest::newRow("edit, changed elsewhere meanwhile") << u"edit"_s << u"stale"_s;
}

void tst_ChangeLog::failedSaveLeavesNeither()
{
    QFETCH(QString, action);
    QFETCH(QString, failure);
    execElsewhere(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('5', 'Ali')"_s);

    DataSet children(u"sicilTable"_s);
    children.setTableName(u"hastasicil"_s);
    children.Open();
    if (failure == u"history"_s)
        refuseElsewhere(u"INSERT"_s, u"degisiklik"_s);
    // The step after the history row: the screen's hook of a save, the engine for a delete.
    if (failure == u"hook"_s && action == u"delete"_s)
        refuseElsewhere(u"DELETE"_s, u"hastasicil"_s);
    else if (failure == u"hook"_s)
        children.OnWrite = [](DataSet&, const QVector<QVariant>&) { throw DataError(u"refused"_s); };

    bool failed = false;
    try {
        if (action == u"insert"_s) {
            children.Append();
            children.FieldByName(u"hasta_kodu"_s)->setAsString(u"6"_s);
            children.Post();
        } else if (action == u"edit"_s) {
            children.Edit();
            children.FieldByName(u"adi"_s)->setAsString(u"Veli"_s);
            if (failure == u"stale"_s)
                execElsewhere(u"UPDATE hastasicil SET adi = 'Can'"_s);
            children.Post();
        } else {
            children.Delete();
        }
    } catch (const DataError&) {
        failed = true;
    }
    QVERIFY(failed);
    QCOMPARE(count(u"degisiklik"_s), 0);
    QCOMPARE(count(u"hastasicil"_s), 1);
    QSqlQuery q(m_other->database());
    QVERIFY(q.exec(u"SELECT adi FROM hastasicil"_s) && q.next());
    QCOMPARE(q.value(0).toString(), failure == u"stale"_s ? u"Can"_s : u"Ali"_s);
    q.finish();
    // The connection is left without an open transaction: the next save goes through.
    children.OnWrite = nullptr;
    QVERIFY(q.exec(TestDatabase::postgresqlChosen() ? u"DROP FUNCTION IF EXISTS refuse() CASCADE"_s
                                                    : u"DROP TRIGGER IF EXISTS refuse"_s));
    children.Cancel();
    children.Refresh();
    children.Edit();
    children.FieldByName(u"adi"_s)->setAsString(u"Deniz"_s);
    children.Post();
    QCOMPARE(count(u"degisiklik"_s), 1);
}

void tst_ChangeLog::refusedRecordOfBatchTakesItsRowBack()
{
    DataSet card(u"asi2Table"_s);
    card.setTableName(u"asitakip2"_s);
    card.Open();
    card.OnWrite = [](DataSet& dataSet, const QVector<QVariant>&) {
        if (dataSet.FieldByName(u"asiadi"_s)->AsString() == u"B"_s)
            throw DataError(u"refused"_s);
    };
    {
        const WriteBatch batch(card);
        for (const QString& name : { u"A"_s, u"B"_s, u"C"_s }) {
            card.Append();
            card.FieldByName(u"hkodu"_s)->setAsString(u"5"_s);
            card.FieldByName(u"asiadi"_s)->setAsString(name);
            try {
                card.Post();
            } catch (const DataError&) {
                card.Cancel();
            }
        }
        // Nothing of the batch is in the file before it ends.
        QCOMPARE(count(u"degisiklik"_s), 0);
    }
    const QList<HistoryRow> rows = history();
    QCOMPARE(rows.size(), 2);
    QStringList names;
    for (const HistoryRow& row : rows)
        names << row.changes.value(1).after.toString();
    QCOMPARE(names, (QStringList { u"A"_s, u"C"_s }));
    QCOMPARE(count(u"asitakip2"_s), 2);
}

void tst_ChangeLog::carriedCodeLeavesRowPerRecord()
{
    execElsewhere(u"INSERT INTO muayene (mid, hastakodu) VALUES (1, '5'), (2, '8'), (3, '5')"_s);
    {
        RecordWriter writer(m_conn->database());
        ChangeLog::carry(m_conn->database(), u"muayene"_s, u"hastakodu"_s, u"5"_s, u"9"_s);
        writer.commit();
    }
    const QList<HistoryRow> rows = history();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).key, 1);
    QCOMPARE(rows.at(1).key, 3);
    for (const HistoryRow& row : rows) {
        QCOMPARE(row.kind, u"Düzeltme"_s);
        QCOMPARE(row.user, u"ayse"_s);
        QCOMPARE(row.childCode.toString(), u"9"_s);
        QCOMPARE(row.changes, (Changes { { u"hastakodu"_s, u"5"_s, u"9"_s } }));
    }
    QSqlQuery q(m_other->database());
    QStringList codes;
    QVERIFY(q.exec(u"SELECT hastakodu FROM muayene ORDER BY mid"_s));
    while (q.next())
        codes << q.value(0).toString();
    QCOMPARE(codes, (QStringList { u"9"_s, u"8"_s, u"9"_s }));
    q.finish();

    // Taken back with the transaction that carried them.
    {
        RecordWriter writer(m_conn->database());
        ChangeLog::carry(m_conn->database(), u"muayene"_s, u"hastakodu"_s, u"9"_s, u"4"_s);
    }
    QCOMPARE(history().size(), 2);
    QCOMPARE(count(u"muayene WHERE hastakodu = '4'"_s), 0);
}

void tst_ChangeLog::historyIsReadOnly()
{
    execElsewhere(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('5', 'Ali')"_s);
    DataSet children(u"sicilTable"_s);
    children.setTableName(u"hastasicil"_s);
    children.Open();
    children.Edit();
    children.FieldByName(u"adi"_s)->setAsString(u"Veli"_s);
    children.Post();

    DataSet rows(u"gecmis"_s);
    rows.setTableName(u"degisiklik"_s);
    rows.Open();
    QCOMPARE(rows.RecordCount(), 1);
    rows.Edit();
    rows.FieldByName(u"kullanici"_s)->setAsString(u"baskasi"_s);
    QVERIFY_THROWS_EXCEPTION(DataError, rows.Post());
    rows.Cancel();
    QVERIFY_THROWS_EXCEPTION(DataError, rows.Delete());
    rows.Append();
    rows.FieldByName(u"kullanici"_s)->setAsString(u"baskasi"_s);
    QVERIFY_THROWS_EXCEPTION(DataError, rows.Post());
    const QList<HistoryRow> left = history();
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.first().user, u"ayse"_s);
}

void tst_ChangeLog::describedForReading_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<Changes>("changes");
    QTest::addColumn<QString>("text");

    QTest::newRow("title, decimal comma")
        << u"muayene"_s << Changes { { u"kilo"_s, 12.5, 13.25 } } << u"Kilo: 12,5 → 13,25"_s;
    QTest::newRow("empty before and after")
        << u"hastasicil"_s << Changes { { u"adi"_s, {}, u"Ali"_s }, { u"soyadi"_s, u"Veli"_s, u""_s } }
        << u"Adı: (boş) → Ali\nSoyadı: Veli → (boş)"_s;
    QTest::newRow("date without time") << u"hastasicil"_s
                                       << Changes { { u"dogumtarihi"_s, u"2020-01-02 00:00:00.000"_s,
                                              u"2020-02-03 00:00:00.000"_s } }
                                       << u"Doğum Tarihi: 02.01.2020 → 03.02.2020"_s;
    QTest::newRow("code of another table")
        << u"asitakip"_s << Changes { { u"hkodu"_s, u"5"_s, u"9"_s } } << u"Çocuk Kodu: 5 → 9"_s;
    QTest::newRow("long text on one line")
        << u"muayene"_s << Changes { { u"tani"_s, u"Grip\nateş"_s, {} } } << u"Tanı: Grip ateş → (boş)"_s;
    QTest::newRow("unknown field by its name")
        << u"muayene"_s << Changes { { u"yenialan"_s, 1, 2 } } << u"yenialan: 1 → 2"_s;
}

void tst_ChangeLog::describedForReading()
{
    QFETCH(QString, table);
    QFETCH(Changes, changes);
    QFETCH(QString, text);
    const TableDef* def = Schema::table(table);
    QVERIFY(def);
    QCOMPARE(ChangeLog::describe(table, ChangeLog::json(*def, changes)), text);
}

void tst_ChangeLog::childCodesAndCondition_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QVariant>("user");
    QTest::addColumn<QList<int>>("rows");

    QTest::newRow("all of the child's rows") << QString() << QVariant() << QList<int> { 6, 5, 4, 3, 1 };
    QTest::newRow("one table") << u"muayene"_s << QVariant() << QList<int> { 5, 1 };
    QTest::newRow("one user") << QString() << QVariant(u"can"_s) << QList<int> { 5, 4 };
    QTest::newRow("both") << u"muayene"_s << QVariant(u"can"_s) << QList<int> { 5 };
    QTest::newRow("nobody signed in") << QString() << QVariant(u""_s) << QList<int> { 6 };
}

void tst_ChangeLog::childCodesAndCondition()
{
    QFETCH(QString, table);
    QFETCH(QVariant, user);
    QFETCH(QList<int>, rows);
    // Child hid 3 was "5", then "7", now "9"; child "8" is another one.
    const char16_t* seed[] = {
        u"(1, 'ayse', 'muayene', 10, '5', '[]')",
        u"(2, 'ayse', 'muayene', 11, '8', '[]')",
        u"(3, 'ayse', 'hastasicil', 3, '7', '[{\"alan\":\"hasta_kodu\",\"eski\":\"5\",\"yeni\":\"7\"}]')",
        u"(4, 'can', 'hastasicil', 3, '9', '[{\"alan\":\"hasta_kodu\",\"eski\":\"7\",\"yeni\":\"9\"}]')",
        u"(5, 'can', 'muayene', 10, '9', '[]')",
        u"(6, '', 'asitakip', 12, '7', '[]')",
    };
    for (const char16_t* values : seed)
        execElsewhere(u"INSERT INTO degisiklik (did, kullanici, tablo, kayit, hastakodu, degisen) VALUES "_s
            + QString::fromUtf16(values));

    const QStringList codes = ChangeLog::childCodes(m_conn->database(), 3, u"9"_s);
    QCOMPARE(codes, (QStringList { u"9"_s, u"5"_s, u"7"_s }));

    QVariantMap binds;
    const std::optional<QString> who = user.isNull() ? std::nullopt : std::optional<QString>(user.toString());
    DataSet list(u"gecmisQuery"_s);
    list.setSQL(u"select * from degisiklik order by did desc"_s);
    list.setCondition(ChangeLog::childCondition(3, codes, table, who, binds), binds);
    list.setFiltered(true);
    list.Open();
    QList<int> shown;
    for (int row = 0; row < list.rowCount(); ++row)
        shown << int(list.keyAt(row));
    QCOMPARE(shown, rows);
}

void tst_ChangeLog::olderFileGetsHistory()
{
    if (TestDatabase::postgresqlChosen())
        QSKIP("an older clinic file is an SQLite file");
    execElsewhere(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('5', 'Ali')"_s);
    execElsewhere(u"DROP TABLE degisiklik"_s);
    execElsewhere(u"PRAGMA user_version = 3"_s);
    m_conn->close();
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    QCOMPARE(Schema::version(m_conn->database()), Schema::currentVersion);
    QCOMPARE(count(u"hastasicil"_s), 1);
    QCOMPARE(count(u"degisiklik"_s), 0);
    QSqlQuery q(m_other->database());
    QVERIFY(
        q.exec(u"SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'degisiklik'"_s) && q.next());
    QCOMPARE(q.value(0).toInt(), 2);
    q.finish();

    // And writes into it at once.
    DataSet children(u"sicilTable"_s);
    children.setTableName(u"hastasicil"_s);
    children.Open();
    children.Delete();
    QCOMPARE(history().size(), 1);
}

QTEST_GUILESS_MAIN(tst_ChangeLog)
#include "tst_changelog.moc"
