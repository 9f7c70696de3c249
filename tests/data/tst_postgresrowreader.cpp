#include "DataError.h"
#include "PostgresBatchInsert.h"
#include "PostgresRowReader.h"
#include "TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

// The server's rows read and written through its client library beside Qt's driver: values
// come back exactly as they went in, in any number of fetches, inside or outside a transaction.
class tst_PostgresRowReader final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void valuesComeBackExactly_data();
    void valuesComeBackExactly();
    void rowsInFetches_data();
    void rowsInFetches();
    void transactionKept();
    void failuresNamed_data();
    void failuresNamed();

private:
    void exec(const QString& sql);

    std::unique_ptr<TestDatabase> m_database;
    QSqlDatabase m_db;
};

void tst_PostgresRowReader::init()
{
    if (!TestDatabase::postgresqlChosen() || TestDatabase::serverMissing())
        QSKIP("needs a PostgreSQL server (PEDIAKAY_TEST_ENGINE=postgresql, PEDIAKAY_TEST_POSTGRES)");
    m_database = std::make_unique<TestDatabase>();
    QVERIFY2(m_database->error().isEmpty(), qPrintable(m_database->error()));
    m_db = m_database->open(u"rows"_s);
    QVERIFY2(m_db.isOpen(), qPrintable(m_db.lastError().text()));
    exec(u"CREATE TABLE t (id INTEGER, k INTEGER, s SMALLINT, b BIGINT, f DOUBLE PRECISION, r REAL, x TEXT, v "
         u"VARCHAR(20), "
         u"y BYTEA)"_s);
}

void tst_PostgresRowReader::cleanup()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"rows"_s);
    m_database.reset();
}

void tst_PostgresRowReader::exec(const QString& sql)
{
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(sql), qPrintable(sql + u": "_s + q.lastError().text()));
}

void tst_PostgresRowReader::valuesComeBackExactly_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");

    const QVariant none;
    QTest::newRow("whole number") << u"k"_s << QVariant(qlonglong(-2147483647)) << QVariant(qlonglong(-2147483647));
    QTest::newRow("small number") << u"s"_s << QVariant(qlonglong(-32768)) << QVariant(qlonglong(-32768));
    QTest::newRow("big number") << u"b"_s << QVariant(qlonglong(9007199254740993))
                                << QVariant(qlonglong(9007199254740993));
    QTest::newRow("whole number given as a fraction") << u"k"_s << QVariant(42.0) << QVariant(qlonglong(42));
    QTest::newRow("shortest fraction") << u"f"_s << QVariant(0.1) << QVariant(0.1);
    QTest::newRow("every digit") << u"f"_s << QVariant(1.0 / 3.0) << QVariant(1.0 / 3.0);
    QTest::newRow("tiny") << u"f"_s << QVariant(1e-300) << QVariant(1e-300);
    QTest::newRow("huge") << u"f"_s << QVariant(-1.7976931348623157e308) << QVariant(-1.7976931348623157e308);
    QTest::newRow("single precision") << u"r"_s << QVariant(0.5) << QVariant(0.5);
    QTest::newRow("turkish text") << u"x"_s << QVariant(u"Işıl Çağrı Ğ'\"; --"_s) << QVariant(u"Işıl Çağrı Ğ'\"; --"_s);
    QTest::newRow("empty text") << u"v"_s << QVariant(u""_s) << QVariant(u""_s);
    QTest::newRow("null text") << u"x"_s << QVariant(QMetaType::fromType<QString>()) << none;
    QTest::newRow("null number") << u"f"_s << QVariant(QMetaType::fromType<double>()) << none;
    QTest::newRow("bytes with zeros") << u"y"_s << QVariant(QByteArray("\x00\xff\\x00'", 6))
                                      << QVariant(QByteArray("\x00\xff\\x00'", 6));
    QTest::newRow("empty bytes") << u"y"_s << QVariant(QByteArray("")) << QVariant(QByteArray(""));
    QTest::newRow("null bytes") << u"y"_s << QVariant(QMetaType::fromType<QByteArray>()) << none;
}

void tst_PostgresRowReader::valuesComeBackExactly()
{
    QFETCH(QString, column);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    {
        PostgresBatchInsert insert(m_db, u"INSERT INTO t (id, %1) VALUES (1, $1), (2, $2)"_s.arg(column), 2);
        insert.run({ value, value });
    }
    PostgresRowReader rows(m_db, u"SELECT id, %1 FROM t ORDER BY id"_s.arg(column), 1);
    for (qlonglong key : { 1, 2 }) {
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0), QVariant(key));
        const QVariant read = rows.value(1);
        QCOMPARE(read.isNull(), expected.isNull());
        if (!expected.isNull()) {
            QCOMPARE(read.typeId(), expected.typeId());
            QCOMPARE(read, expected);
        }
    }
    QVERIFY(!rows.next());
    QVERIFY(!rows.next());
}

void tst_PostgresRowReader::rowsInFetches_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("perFetch");

    QTest::newRow("none") << 0 << 3;
    QTest::newRow("fewer than a fetch") << 2 << 3;
    QTest::newRow("exactly one fetch") << 3 << 3;
    QTest::newRow("one more than a fetch") << 4 << 3;
    QTest::newRow("fetches fill exactly") << 9 << 3;
    QTest::newRow("one at a time") << 5 << 1;
    QTest::newRow("many") << 12345 << 5000;
}

void tst_PostgresRowReader::rowsInFetches()
{
    QFETCH(int, rows);
    QFETCH(int, perFetch);
    exec(u"INSERT INTO t (k, x) SELECT i, 'satır ' || i FROM generate_series(1, %1) AS i"_s.arg(rows));
    PostgresRowReader reader(m_db, u"SELECT k, x FROM t ORDER BY k"_s, perFetch);
    qlonglong expected = 0;
    while (reader.next()) {
        ++expected;
        QCOMPARE(reader.value(0).toLongLong(), expected);
        QCOMPARE(reader.value(1).toString(), u"satır %1"_s.arg(expected));
    }
    QCOMPARE(expected, qlonglong(rows));
}

// A reader inside the connection's transaction leaves it open and going; outside one, it leaves
// none behind.
void tst_PostgresRowReader::transactionKept()
{
    QVERIFY(m_db.transaction());
    exec(u"INSERT INTO t (k) VALUES (7)"_s);
    {
        PostgresRowReader rows(m_db, u"SELECT k FROM t"_s);
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toLongLong(), 7);
    }
    exec(u"INSERT INTO t (k) VALUES (8)"_s);
    QVERIFY(m_db.rollback());
    {
        PostgresRowReader rows(m_db, u"SELECT count(*) FROM t"_s);
        QVERIFY(rows.next());
        QCOMPARE(rows.value(0).toLongLong(), 0);
    }
    QSqlQuery q(m_db);
    QVERIFY(
        q.exec(u"SELECT xact_start = query_start FROM pg_stat_activity WHERE pid = pg_backend_pid()"_s) && q.next());
    QVERIFY(q.value(0).toBool());
}

void tst_PostgresRowReader::failuresNamed_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("named");

    QTest::newRow("no such column") << u"SELECT nothing FROM t"_s << u"nothing"_s;
    QTest::newRow("a type it does not read") << u"SELECT 1.5::numeric"_s << u"1700"_s;
    QTest::newRow("a value the server refuses") << u"SELECT 1 / (k - k) FROM t"_s << u"division by zero"_s;
}

void tst_PostgresRowReader::failuresNamed()
{
    QFETCH(QString, sql);
    QFETCH(QString, named);
    exec(u"INSERT INTO t (k) VALUES (1)"_s);
    try {
        PostgresRowReader rows(m_db, sql);
        while (rows.next())
            rows.value(0);
        QFAIL("no error");
    } catch (const DataError& e) {
        QVERIFY2(e.text().contains(named), qPrintable(e.text()));
    }
    // The connection goes on.
    exec(u"INSERT INTO t (k) VALUES (2)"_s);
}

QTEST_GUILESS_MAIN(tst_PostgresRowReader)
#include "tst_postgresrowreader.moc"
