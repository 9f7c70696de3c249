#include "Connection.h"
#include "DataError.h"
#include "DatabaseCopy.h"
#include "DatabaseLocation.h"
#include "Schema.h"
#include "TableChecksum.h"
#include "TestDatabase.h"

#include <QDateTime>
#include <QProcess>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_DatabaseCopy final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void canonicalText_data();
    void canonicalText();
    void checksumSeesEveryChange_data();
    void checksumSeesEveryChange();
    void checksumOfKeylessTableIgnoresOrder();
    void copyKeepsEveryValueAndKey();
    void copiedKeysContinue_data();
    void copiedKeysContinue();
    void batches_data();
    void batches();
    void refusesOccupiedTarget_data();
    void refusesOccupiedTarget();
    void failedTableIsRolledBack();
    void checkFindsDifference();
    void roundTripThroughServer();

private:
    std::unique_ptr<Connection> openClinic(const QString& fileName);
    static void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {});
    static QVariant scalar(QSqlDatabase& db, const QString& sql);
    // A small clinic with gaps in its keys, Turkish texts, nulls next to empty texts, pictures,
    // fractions and a reference row of the clinic's own.
    static void fillClinic(QSqlDatabase& db);
    // Every index of the database as the statement that makes it, sorted.
    static QStringList indexDefinitions(QSqlDatabase& db);
    static TableChecksum sum(QSqlDatabase& db, const QString& table);

    QTemporaryDir* m_dir = nullptr;
    // The copy's target on the engine the run chooses; the source is always a file.
    std::unique_ptr<TestDatabase> m_targetDatabase;
    std::unique_ptr<Connection> m_source;
    std::unique_ptr<Connection> m_target;
};

std::unique_ptr<Connection> tst_DatabaseCopy::openClinic(const QString& fileName)
{
    auto connection = std::make_unique<Connection>(m_dir->filePath(fileName));
    if (!connection->open())
        qFatal("cannot open %s: %s", qPrintable(fileName), qPrintable(connection->lastError()));
    return connection;
}

void tst_DatabaseCopy::exec(QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    // A server prepares no statement that makes or drops a database: those run as they are.
    bool ok = values.isEmpty() ? q.exec(sql) : q.prepare(sql);
    for (qsizetype i = 0; ok && i < values.size(); ++i)
        q.bindValue(int(i), values.at(i));
    if (ok && !values.isEmpty())
        ok = q.exec();
    if (!ok)
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QVariant tst_DatabaseCopy::scalar(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q.value(0);
}

TableChecksum tst_DatabaseCopy::sum(QSqlDatabase& db, const QString& table)
{
    return TableChecksum::of(db, *Schema::table(table));
}

void tst_DatabaseCopy::fillClinic(QSqlDatabase& db)
{
    const QByteArray picture("\xff\xd8\x00\x01resim\x00\xff", 11);
    const auto child = u"INSERT INTO hastasicil (hid, hasta_kodu, adi, soyadi, resim, dogumtarihi, dogumkilo, alerji, "
                       u"dogumhaftasi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"_s;
    exec(db, child,
        { 1, u"A-1"_s, u"Çağla"_s, u"Işık"_s, QVariant(QMetaType::fromType<QByteArray>()), u"2019-03-20 00:00:00.000"_s,
            3.25, u"süt"_s, 38 });
    exec(db, child, { 2, u"A-2"_s, u"İlkay"_s, u""_s, picture, u"2020-12-31 23:59:59.999"_s, 0.1, QVariant(), 40 });
    exec(db, child, { 5, u"A-5"_s, u"Ömer"_s, u"Şahin"_s, QByteArray(), QVariant(), -0.0, u""_s, QVariant() });
    exec(db, child,
        { 1000, u"A-1000"_s, u"Ümit"_s, u"Ğ'\"; --"_s, QByteArray(40000, 'x'), u"1999-01-01 08:30:00.000"_s, 1e-300,
            QString(5000, u'ü'), 24 });
    const auto visit
        = u"INSERT INTO muayene (mid, hastakodu, tarih, kilo, \"not\", randevuno) VALUES (?, ?, ?, ?, ?, ?)"_s;
    for (int i = 1; i <= 12; ++i)
        exec(db, visit,
            { i * 3, u"A-%1"_s.arg(i % 2 + 1), u"2024-01-%1 10:00:00.000"_s.arg(i, 2, 10, QChar(u'0')), 10.0 + i / 7.0,
                i % 4 == 0 ? QVariant() : QVariant(u"not %1"_s.arg(i)), i });
    exec(db, u"INSERT INTO master (mids) VALUES ('M-7'), ('M-3')"_s);
    exec(db, u"UPDATE zbas SET P50 = 35.125 WHERE ID = (SELECT min(ID) FROM zbas)"_s);
    exec(db, u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (9, 'doktor', 'gizli')"_s);
}

QStringList tst_DatabaseCopy::indexDefinitions(QSqlDatabase& db)
{
    QSqlQuery q(db);
    const bool server = db.driverName() == u"QPSQL"_s;
    [&] {
        QVERIFY2(q.exec(server ? u"SELECT indexdef FROM pg_indexes WHERE schemaname = current_schema()"_s
                               : u"SELECT sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"_s),
            qPrintable(q.lastError().text()));
    }();
    QStringList definitions;
    while (q.next())
        definitions << q.value(0).toString();
    definitions.sort();
    return definitions;
}

void tst_DatabaseCopy::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_source = openClinic(u"kaynak.db"_s);
    m_targetDatabase = std::make_unique<TestDatabase>();
    QVERIFY2(m_targetDatabase->error().isEmpty(), qPrintable(m_targetDatabase->error()));
    m_target = std::make_unique<Connection>(m_targetDatabase->location());
    QVERIFY2(m_target->open(), qPrintable(m_target->lastError()));
}

void tst_DatabaseCopy::cleanup()
{
    m_source.reset();
    m_target.reset();
    m_targetDatabase.reset();
    delete m_dir;
    m_dir = nullptr;
}

void tst_DatabaseCopy::canonicalText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QByteArray>("expected");

    const int integer = int(FieldType::Integer);
    const int number = int(FieldType::Float);
    const int date = int(FieldType::DateTime);
    QTest::newRow("whole number") << integer << QVariant(qlonglong(42)) << QByteArray("42");
    QTest::newRow("whole number read as a fraction") << integer << QVariant(42.0) << QByteArray("42");
    QTest::newRow("whole number read as text") << integer << QVariant(u"42"_s) << QByteArray("42");
    QTest::newRow("negative key") << int(FieldType::AutoInc) << QVariant(qlonglong(-7)) << QByteArray("-7");
    QTest::newRow("fraction that is not whole") << integer << QVariant(2.5) << QByteArray("2.5");
    QTest::newRow("shortest exact fraction") << number << QVariant(0.1) << QByteArray("0.1");
    QTest::newRow("fraction of a whole") << number << QVariant(qlonglong(3)) << QByteArray("3");
    QTest::newRow("negative zero") << number << QVariant(-0.0) << QByteArray("0");
    QTest::newRow("tiny") << number << QVariant(1e-300) << QByteArray("1e-300");
    QTest::newRow("all digits") << number << QVariant(1.0 / 3.0) << QByteArray("0.3333333333333333");
    QTest::newRow("stored date") << date << QVariant(u"2019-03-20 08:05:00.000"_s)
                                 << QByteArray("2019-03-20 08:05:00.000");
    QTest::newRow("date of an engine with dates")
        << date << QVariant(QDateTime(QDate(2019, 3, 20), QTime(8, 5), Qt::UTC))
        << QByteArray("2019-03-20 08:05:00.000");
    QTest::newRow("date without time") << date << QVariant(u"2019-03-20"_s) << QByteArray("2019-03-20 00:00:00.000");
    QTest::newRow("not a date") << date << QVariant(u"yarın"_s) << u"yarın"_s.toUtf8();
    QTest::newRow("turkish text") << int(FieldType::WideString) << QVariant(u"Işıl Çağrı"_s)
                                  << u"Işıl Çağrı"_s.toUtf8();
    QTest::newRow("bytes") << int(FieldType::Blob) << QVariant(QByteArray("\x00\xff", 2)) << QByteArray("\x00\xff", 2);
}

void tst_DatabaseCopy::canonicalText()
{
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(QByteArray, expected);
    QCOMPARE(TableChecksum::canonical(FieldType(type), value), expected);
}

void tst_DatabaseCopy::checksumSeesEveryChange_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("change");

    QTest::newRow("one letter") << u"hastasicil"_s << u"UPDATE hastasicil SET adi = 'Cağla' WHERE hid = 1"_s;
    QTest::newRow("empty text made null") << u"hastasicil"_s << u"UPDATE hastasicil SET soyadi = NULL WHERE hid = 2"_s;
    QTest::newRow("null made empty text") << u"hastasicil"_s << u"UPDATE hastasicil SET alerji = '' WHERE hid = 2"_s;
    QTest::newRow("last bit of a fraction")
        << u"hastasicil"_s << u"UPDATE hastasicil SET dogumkilo = 0.10000000000000002 WHERE hid = 2"_s;
    QTest::newRow("one picture byte") << u"hastasicil"_s
                                      << u"UPDATE hastasicil SET resim = X'FFD80001' WHERE hid = 2"_s;
    QTest::newRow("one millisecond")
        << u"hastasicil"_s << u"UPDATE hastasicil SET dogumtarihi = '2020-12-31 23:59:59.998' WHERE hid = 2"_s;
    QTest::newRow("values swapped between columns")
        << u"hastasicil"_s << u"UPDATE hastasicil SET adi = 'Şahin', soyadi = 'Ömer' WHERE hid = 5"_s;
    QTest::newRow("texts swapped between rows")
        << u"muayene"_s
        << u"UPDATE muayene SET \"not\" = CASE mid WHEN 3 THEN 'not 2' ELSE 'not 1' END WHERE mid IN (3, 6)"_s;
    QTest::newRow("key changed") << u"muayene"_s << u"UPDATE muayene SET mid = 4 WHERE mid = 3"_s;
    QTest::newRow("row removed") << u"muayene"_s << u"DELETE FROM muayene WHERE mid = 36"_s;
    QTest::newRow("keyless row changed") << u"master"_s << u"UPDATE master SET mids = 'M-8' WHERE mids = 'M-7'"_s;
    QTest::newRow("reference value") << u"zbas"_s << u"UPDATE zbas SET P97 = P97 + 0.001 WHERE ID = 3"_s;
}

void tst_DatabaseCopy::checksumSeesEveryChange()
{
    QFETCH(QString, table);
    QFETCH(QString, change);
    QSqlDatabase& db = m_source->database();
    fillClinic(db);
    const TableChecksum before = sum(db, table);
    QCOMPARE(before.rows, scalar(db, u"SELECT count(*) FROM "_s + table).toLongLong());
    QCOMPARE(sum(db, table), before);
    exec(db, change);
    const TableChecksum after = sum(db, table);
    QVERIFY2(after.sum != before.sum, qPrintable(change));
}

// A table without a key field has no order of its own: the same rows sum the same.
void tst_DatabaseCopy::checksumOfKeylessTableIgnoresOrder()
{
    QSqlDatabase& a = m_source->database();
    QSqlDatabase& b = m_target->database();
    exec(a, u"INSERT INTO master (mids) VALUES ('x'), ('y'), (NULL)"_s);
    exec(b, u"INSERT INTO master (mids) VALUES (NULL), ('y'), ('x')"_s);
    QCOMPARE(sum(a, u"master"_s), sum(b, u"master"_s));
    exec(b, u"INSERT INTO master (mids) VALUES ('x')"_s);
    QCOMPARE(sum(b, u"master"_s).rows, qint64(4));
    QVERIFY(sum(a, u"master"_s).sum != sum(b, u"master"_s).sum);
}

void tst_DatabaseCopy::copyKeepsEveryValueAndKey()
{
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    fillClinic(source);
    const QStringList indexes = indexDefinitions(target);
    QVERIFY(indexes.size() > 10);
    DatabaseCopy copy(source, target);
    copy.copy();
    // The indexes set aside while the rows went in are all back, as they were.
    QCOMPARE(indexDefinitions(target), indexes);

    for (const TableDef& def : Schema::tables()) {
        const DatabaseCopy::TableCheck check = copy.check(def);
        QVERIFY2(check.matches(), qPrintable(def.name));
        // The source summed while it was copied sums as a new reading of it does.
        QCOMPARE(check.source, TableChecksum::of(source, def));
        QCOMPARE(check.target.rows, scalar(source, u"SELECT count(*) FROM "_s + def.name).toLongLong());
    }
    QVERIFY(copy.versionsMatch());
    // A server plans the copied clinic's statements from statistics made at once.
    if (TestDatabase::postgresqlChosen())
        QVERIFY(scalar(target, u"SELECT count(*) FROM pg_stats WHERE tablename = 'hastasicil'"_s).toInt() > 0);

    // Plain reads of the target: keys, a null next to an empty text, bytes, exact fractions.
    QSqlQuery q(target);
    QVERIFY(q.exec(u"SELECT hid, soyadi, alerji, resim, dogumkilo, length(resim) FROM hastasicil ORDER BY hid"_s));
    QList<qlonglong> keys;
    while (q.next()) {
        keys << q.value(0).toLongLong();
        if (keys.last() == 2) {
            QVERIFY(!q.value(1).isNull());
            QCOMPARE(q.value(1).toString(), QString());
            QVERIFY(q.value(2).isNull());
            QCOMPARE(q.value(3).toByteArray(), QByteArray("\xff\xd8\x00\x01resim\x00\xff", 11));
            QCOMPARE(q.value(4).toDouble(), 0.1);
        }
        if (keys.last() == 1000)
            QCOMPARE(q.value(5).toInt(), 40000);
    }
    QCOMPARE(keys, (QList<qlonglong> { 1, 2, 5, 1000 }));
    QVERIFY(q.exec(u"SELECT mid FROM muayene ORDER BY mid"_s));
    keys.clear();
    while (q.next())
        keys << q.value(0).toLongLong();
    QCOMPARE(keys, (QList<qlonglong> { 3, 6, 9, 12, 15, 18, 21, 24, 27, 30, 33, 36 }));
    // The clinic's own reference row replaced the new database's.
    QCOMPARE(scalar(target, u"SELECT P50 FROM zbas ORDER BY ID LIMIT 1"_s).toDouble(), 35.125);
    QCOMPARE(scalar(target, u"SELECT count(*) FROM zbas"_s), scalar(source, u"SELECT count(*) FROM zbas"_s));
    QCOMPARE(scalar(target, u"SELECT kullanici FROM sifre WHERE sid = 9"_s).toString(), u"doktor"_s);
}

void tst_DatabaseCopy::copiedKeysContinue_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("key");

    QTest::newRow("children, gaps in the keys") << u"hastasicil"_s << u"hid"_s;
    QTest::newRow("visits") << u"muayene"_s << u"mid"_s;
    QTest::newRow("users, the new database's row replaced") << u"sifre"_s << u"sid"_s;
    QTest::newRow("reference rows replaced") << u"zbas"_s << u"ID"_s;
    QTest::newRow("nothing copied") << u"recete"_s << u"rrid"_s;
}

// A record added on the target after the copy, without a key, gets the key after the highest
// copied one; on a server the key sequence was moved along as the rows went in.
void tst_DatabaseCopy::copiedKeysContinue()
{
    QFETCH(QString, table);
    QFETCH(QString, key);
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    fillClinic(source);
    DatabaseCopy(source, target).copy();
    const QString highestSql = u"SELECT coalesce(max(%1), 0) FROM %2"_s.arg(key, table);
    const qlonglong highest = scalar(source, highestSql).toLongLong();
    QCOMPARE(scalar(target, highestSql).toLongLong(), highest);
    exec(target, u"INSERT INTO %1 DEFAULT VALUES"_s.arg(table));
    QCOMPARE(scalar(target, highestSql).toLongLong(), highest + 1);
    QCOMPARE(scalar(target, u"SELECT count(*) FROM "_s + table).toLongLong(),
        scalar(source, u"SELECT count(*) FROM "_s + table).toLongLong() + 1);
}

void tst_DatabaseCopy::batches_data()
{
    QTest::addColumn<int>("batchRows");
    QTest::addColumn<int>("rows");

    QTest::newRow("one row a statement") << 1 << 10;
    QTest::newRow("last batch short") << 3 << 10;
    QTest::newRow("batches fill exactly") << 5 << 10;
    QTest::newRow("one batch") << 10 << 10;
    QTest::newRow("fewer rows than a batch") << 500 << 10;
    QTest::newRow("empty table") << 4 << 0;
    QTest::newRow("many rows") << 500 << 2345;
}

void tst_DatabaseCopy::batches()
{
    QFETCH(int, batchRows);
    QFETCH(int, rows);
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    exec(source,
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
        u"INSERT INTO laboratuar (lids, muayeneno, hastakodu, tetkikturu) "
        u"SELECT i * 2, i, 'K' || i, 'Hb' FROM n WHERE ? > 0"_s,
        { rows, rows });

    QList<std::pair<qint64, qint64>> told;
    DatabaseCopy copy(source, target);
    copy.setBatchRows(batchRows);
    copy.setProgress([&told](const QString& table, qint64 copied, qint64 total) {
        if (table == u"laboratuar"_s)
            told.append({ copied, total });
    });
    copy.copy();

    QCOMPARE(scalar(target, u"SELECT count(*) FROM laboratuar"_s).toInt(), rows);
    QVERIFY(copy.check(*Schema::table(u"laboratuar"_s)).matches());
    // Told at the start and after every batch, rising to the table's row count.
    QCOMPARE(told.size(), 1 + (rows + batchRows - 1) / batchRows);
    QCOMPARE(told.first(), std::make_pair(qint64(0), qint64(rows)));
    QCOMPARE(told.last(), std::make_pair(qint64(rows), qint64(rows)));
    for (qsizetype i = 1; i < told.size(); ++i)
        QVERIFY(told.at(i).first > told.at(i - 1).first);
}

void tst_DatabaseCopy::refusesOccupiedTarget_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("named");

    QTest::newRow("a child") << u"INSERT INTO hastasicil (hasta_kodu) VALUES ('X')"_s << u"hastasicil (1 satır)"_s;
    QTest::newRow("a user") << u"INSERT INTO sifre (kullanici) VALUES ('a'), ('b')"_s << u"sifre (2 satır)"_s;
    QTest::newRow("a keyless row") << u"INSERT INTO master (mids) VALUES ('M')"_s << u"master (1 satır)"_s;
    QTest::newRow("a changed reference row") << u"UPDATE zkilobir SET P3 = 1 WHERE rowid = 5"_s << u"zkilobir ("_s;
    QTest::newRow("a removed reference row") << u"DELETE FROM zuzunlukbir WHERE rowid = 2"_s << u"zuzunlukbir ("_s;
    QTest::newRow("an added reference row") << u"INSERT INTO zbas (Sex, Age) VALUES (1, 99)"_s << u"zbas ("_s;
}

void tst_DatabaseCopy::refusesOccupiedTarget()
{
    QFETCH(QString, change);
    QFETCH(QString, named);
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    fillClinic(source);

    DatabaseCopy copy(source, target);
    QVERIFY(copy.occupiedTables().isEmpty());
    exec(target, change);
    QList<TableChecksum> before;
    for (const TableDef& def : Schema::tables())
        before << TableChecksum::of(target, def);

    QCOMPARE(copy.occupiedTables().size(), 1);
    QVERIFY2(copy.occupiedTables().first().startsWith(named), qPrintable(copy.occupiedTables().first()));
    try {
        copy.copy();
        QFAIL("an occupied target was written");
    } catch (const DataError& e) {
        QVERIFY2(e.text().contains(u"klinik verisi var"_s) && e.text().contains(named), qPrintable(e.text()));
    }
    for (qsizetype i = 0; i < Schema::tables().size(); ++i)
        QCOMPARE(TableChecksum::of(target, Schema::tables().at(i)), before.at(i));
}

// A table whose copy fails is left empty as a whole; the tables copied before it stay.
void tst_DatabaseCopy::failedTableIsRolledBack()
{
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    fillClinic(source);
    const bool server = TestDatabase::postgresqlChosen();
    if (server) {
        exec(target,
            u"CREATE FUNCTION stop_copy() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
            u"IF NEW.mid = 30 THEN RAISE EXCEPTION 'disk dolu'; END IF; RETURN NEW; END $$"_s);
        exec(target, u"CREATE TRIGGER stop_copy BEFORE INSERT ON muayene FOR EACH ROW EXECUTE FUNCTION stop_copy()"_s);
    } else {
        exec(target,
            u"CREATE TRIGGER stop_copy BEFORE INSERT ON muayene WHEN NEW.mid = 30 "
            u"BEGIN SELECT RAISE(ABORT, 'disk dolu'); END"_s);
    }

    DatabaseCopy copy(source, target);
    copy.setBatchRows(2);
    try {
        copy.copy();
        QFAIL("the copy went on past a failed table");
    } catch (const DataError& e) {
        QVERIFY2(e.text().startsWith(u"muayene: "_s) && e.text().contains(u"disk dolu"_s), qPrintable(e.text()));
    }
    QCOMPARE(scalar(target, u"SELECT count(*) FROM muayene"_s).toInt(), 0);
    QVERIFY(copy.check(*Schema::table(u"hastasicil"_s)).matches());
    QVERIFY(!copy.check(*Schema::table(u"muayene"_s)).matches());
    // No transaction is left open: the server's statement starts its own, SQLite has none to undo.
    if (server)
        QVERIFY(scalar(target, u"SELECT xact_start = query_start FROM pg_stat_activity WHERE pid = pg_backend_pid()"_s)
                    .toBool());
    else
        QVERIFY(!target.rollback());
}

void tst_DatabaseCopy::checkFindsDifference()
{
    QSqlDatabase& source = m_source->database();
    QSqlDatabase& target = m_target->database();
    fillClinic(source);
    DatabaseCopy copy(source, target);
    copy.copy();
    exec(target, u"UPDATE recete SET doz = 2 WHERE 1 = 0"_s);
    QVERIFY(copy.check(*Schema::table(u"recete"_s)).matches());
    exec(target, u"UPDATE muayene SET kilo = kilo + 1e-9 WHERE mid = 12"_s);
    const DatabaseCopy::TableCheck check = copy.check(*Schema::table(u"muayene"_s));
    QVERIFY(!check.matches());
    QCOMPARE(check.source.rows, check.target.rows);
}

// The generated clinic of 10,000 children goes to a new database on a PostgreSQL server and
// from there into a new file; every table counts and sums the same at each step, and new
// records on the server get keys after the copied ones.
void tst_DatabaseCopy::roundTripThroughServer()
{
    const QString server = qEnvironmentVariable("PEDIAKAY_TEST_POSTGRES");
    if (server.isEmpty())
        QSKIP("no PostgreSQL server named (PEDIAKAY_TEST_POSTGRES)");
    if (TestDatabase::postgresqlChosen())
        QSKIP("made once, in the run with files");
    const QString generator = qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/bench/gen_clinic"_s;
    QVERIFY2(QFileInfo(generator).isExecutable(), qPrintable(generator));

    m_source.reset();
    const QString clinic = m_dir->filePath(u"klinik.db"_s);
    QProcess generate;
    generate.setProcessChannelMode(QProcess::MergedChannels);
    generate.start(generator,
        { u"--out"_s, clinic, u"--children"_s, u"10000"_s, u"--visits"_s, u"100000"_s, u"--vaccinations"_s, u"30000"_s,
            u"--labs"_s, u"20000"_s, u"--prescriptions"_s, u"20000"_s });
    QVERIFY(generate.waitForFinished(240000));
    QVERIFY2(generate.exitCode() == 0, generate.readAll().constData());

    // A database of its own on the server, dropped again at the end.
    const QString database = u"pediakay_copy_%1"_s.arg(QCoreApplication::applicationPid());
    const DatabaseLocation::Server named = DatabaseLocation::parse(server);
    QVERIFY2(named.ok, qPrintable(named.error));
    QSqlDatabase admin = QSqlDatabase::addDatabase(u"QPSQL"_s, u"copy-admin"_s);
    admin.setHostName(named.host);
    admin.setPort(named.port);
    admin.setUserName(named.user);
    admin.setDatabaseName(named.database);
    QVERIFY2(admin.open(), qPrintable(admin.lastError().text()));
    exec(admin, u"DROP DATABASE IF EXISTS "_s + database);
    exec(admin, u"CREATE DATABASE "_s + database);
    const QString address = DatabaseLocation::address(named.user, named.host, named.port, database);
    std::unique_ptr<Connection> onServer;
    const auto dropDatabase = qScopeGuard([&] {
        onServer.reset();
        exec(admin, u"DROP DATABASE IF EXISTS "_s + database);
        admin.close();
    });

    Connection file(clinic);
    QVERIFY2(file.open(), qPrintable(file.lastError()));
    onServer = std::make_unique<Connection>(address);
    QVERIFY2(onServer->open(), qPrintable(onServer->lastError()));
    QList<TableChecksum> original;
    for (const TableDef& def : Schema::tables())
        original << TableChecksum::of(file.database(), def);
    QCOMPARE(original.first().rows, qint64(10000));

    const QStringList serverIndexes = indexDefinitions(onServer->database());
    QVERIFY(serverIndexes.size() > 10);
    DatabaseCopy up(file.database(), onServer->database());
    up.copy();
    QCOMPARE(indexDefinitions(onServer->database()), serverIndexes);
    QVERIFY(up.versionsMatch());
    m_target = openClinic(u"geri.db"_s);
    DatabaseCopy down(onServer->database(), m_target->database());
    down.copy();
    QVERIFY(down.versionsMatch());
    for (qsizetype i = 0; i < Schema::tables().size(); ++i) {
        const TableDef& def = Schema::tables().at(i);
        QCOMPARE(TableChecksum::of(onServer->database(), def), original.at(i));
        QCOMPARE(TableChecksum::of(m_target->database(), def), original.at(i));
        QCOMPARE(scalar(onServer->database(), u"SELECT count(*) FROM "_s + def.name).toLongLong(), original.at(i).rows);
    }

    const qlonglong highest = scalar(file.database(), u"SELECT max(mid) FROM muayene"_s).toLongLong();
    QSqlQuery insert(onServer->database());
    // A key the copy used again would be refused here.
    QVERIFY2(insert.exec(u"INSERT INTO muayene (hastakodu) VALUES ('YENİ')"_s), qPrintable(insert.lastError().text()));
    QCOMPARE(
        scalar(onServer->database(), u"SELECT mid FROM muayene WHERE hastakodu = 'YENİ'"_s).toLongLong(), highest + 1);
    QVERIFY2(insert.exec(u"INSERT INTO asitakip2 (hkodu) VALUES ('YENİ')"_s), qPrintable(insert.lastError().text()));
    QCOMPARE(scalar(onServer->database(), u"SELECT asid FROM asitakip2 WHERE hkodu = 'YENİ'"_s).toLongLong(), 1);
}

QTEST_GUILESS_MAIN(tst_DatabaseCopy)
#include "tst_databasecopy.moc"
