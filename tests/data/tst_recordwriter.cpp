#include "DataError.h"
#include "FieldType.h"
#include "RecordWriter.h"
#include "SqlDialect.h"
#include "TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The transaction that writes one record: inserts, guarded updates, commit and roll-back.
class tst_RecordWriter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void insertReturnsKey();
    void updateOnlyWhereStillAsRead_data();
    void updateOnlyWhereStillAsRead();
    void withoutCommitNothingStays();
    void secondWriterWaitsForTheFirst();

private:
    QString cell(const QString& sql);

    std::unique_ptr<TestDatabase> m_base;
    QSqlDatabase m_db;
};

void tst_RecordWriter::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_base = std::make_unique<TestDatabase>();
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = m_base->open(u"writer"_s);
    QVERIFY(m_db.isOpen());
    // The key column as the program makes it on the engine.
    const QString key = SqlDialect::of(m_db).columnType({ u"hid"_s, FieldType::AutoInc, 0 });
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(u"CREATE TABLE t (hid %1, \"adi\" TEXT, \"kilo\" DOUBLE PRECISION)"_s.arg(key)),
        qPrintable(q.lastError().text()));
    QVERIFY(q.exec(u"INSERT INTO t (adi, kilo) VALUES ('Ali', NULL)"_s));
}

void tst_RecordWriter::cleanup()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"writer"_s);
    m_base.reset();
}

QString tst_RecordWriter::cell(const QString& sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql) || !q.next())
        return u"<none>"_s;
    return q.value(0).isNull() ? u"<null>"_s : q.value(0).toString();
}

void tst_RecordWriter::insertReturnsKey()
{
    RecordWriter writer(m_db);
    QCOMPARE(writer.insert(u"t"_s, { u"\"adi\""_s }, { u"O'Neil"_s }, u"hid"_s), 2);
    QCOMPARE(writer.insert(u"t"_s, {}, {}, u"hid"_s), 3);
    writer.commit();
    QCOMPARE(cell(u"SELECT adi FROM t WHERE hid = 2"_s), u"O'Neil"_s);
    QCOMPARE(cell(u"SELECT count(*) FROM t"_s), u"3"_s);
}

void tst_RecordWriter::updateOnlyWhereStillAsRead_data()
{
    QTest::addColumn<QVariant>("readAdi");
    QTest::addColumn<QVariant>("readKilo");
    QTest::addColumn<bool>("written");
    QTest::newRow("both as read, one was empty") << QVariant(u"Ali"_s) << QVariant() << true;
    QTest::newRow("another copy changed the name") << QVariant(u"Veli"_s) << QVariant() << false;
    QTest::newRow("another copy filled the weight") << QVariant(u"Ali"_s) << QVariant(3.0) << false;
}

void tst_RecordWriter::updateOnlyWhereStillAsRead()
{
    QFETCH(QVariant, readAdi);
    QFETCH(QVariant, readKilo);
    QFETCH(bool, written);
    RecordWriter writer(m_db);
    QCOMPARE(
        writer.update(u"t"_s, u"hid"_s, 1, { u"\"adi\""_s, u"\"kilo\""_s }, { u"Can"_s, 4.5 }, { readAdi, readKilo }),
        written);
    writer.commit();
    QCOMPARE(cell(u"SELECT adi FROM t WHERE hid = 1"_s), written ? u"Can"_s : u"Ali"_s);
    QCOMPARE(cell(u"SELECT kilo FROM t WHERE hid = 1"_s), written ? u"4.5"_s : u"<null>"_s);
    RecordWriter other(m_db);
    QVERIFY(!other.update(u"t"_s, u"hid"_s, 99, { u"\"adi\""_s }, { u"X"_s }, { u"Ali"_s }));
}

void tst_RecordWriter::withoutCommitNothingStays()
{
    try {
        RecordWriter writer(m_db);
        writer.insert(u"t"_s, { u"\"adi\""_s }, { u"Deniz"_s });
        writer.update(u"t"_s, u"hid"_s, 1, { u"\"adi\""_s }, { u"Can"_s }, { u"Ali"_s });
        writer.insert(u"t"_s, { u"\"nosuch\""_s }, { 1 });
        QFAIL("unknown column written");
    } catch (const DataError&) { }
    QCOMPARE(cell(u"SELECT count(*) FROM t"_s), u"1"_s);
    QCOMPARE(cell(u"SELECT adi FROM t"_s), u"Ali"_s);
    // The connection is free for the next record.
    RecordWriter next(m_db);
    next.insert(u"t"_s, { u"\"adi\""_s }, { u"Ece"_s });
    next.commit();
    QCOMPARE(cell(u"SELECT count(*) FROM t"_s), u"2"_s);
}

// While one connection writes, another copy's writer never writes into the first one's
// transaction: on SQLite it is refused with the engine's message (the file has one writer at a
// time), on PostgreSQL it writes in a transaction of its own, which the first one's roll-back
// leaves alone.
void tst_RecordWriter::secondWriterWaitsForTheFirst()
{
    QSqlDatabase second = m_base->open(u"writer2"_s);
    if (!TestDatabase::postgresqlChosen()) {
        // Refused at once rather than after the usual wait.
        second.close();
        second.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=0"_s);
        second.open();
    }
    QVERIFY(second.isOpen());
    if (TestDatabase::postgresqlChosen()) {
        RecordWriter now(second);
        {
            RecordWriter first(m_db);
            first.insert(u"t"_s, { u"\"adi\""_s }, { u"Deniz"_s }, u"hid"_s);
            now.insert(u"t"_s, { u"\"adi\""_s }, { u"Ece"_s }, u"hid"_s);
        }
        now.commit();
        QCOMPARE(cell(u"SELECT adi FROM t WHERE adi <> 'Ali'"_s), u"Ece"_s);
    } else {
        {
            RecordWriter first(m_db);
            first.insert(u"t"_s, { u"\"adi\""_s }, { u"Deniz"_s });
            QVERIFY_THROWS_EXCEPTION(DataError, RecordWriter { second });
            first.commit();
        }
        RecordWriter now(second);
        now.commit();
    }
    second.close();
    second = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"writer2"_s);
    QCOMPARE(cell(u"SELECT count(*) FROM t"_s), u"2"_s);
}

QTEST_GUILESS_MAIN(tst_RecordWriter)
#include "tst_recordwriter.moc"
