#include "KeyList.h"
#include "RowCache.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The rows a data set has read: pages of the columns read lately, rows completed on demand,
// pictures read only when asked, and a bounded size.
class tst_RowCache final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void pageAroundPosition_data();
    void pageAroundPosition();
    void walkForwardReadsLongerPages();
    void pageBringsOnlyHotColumns_data();
    void pageBringsOnlyHotColumns();
    void newColumnCompletesRow();
    void picturesOnlyWhenAsked_data();
    void picturesOnlyWhenAsked();
    void forgetAndClearReadAgain();
    void boundedKeepsCurrentAndJustRead();

private:
    enum Column { Key, Name, Weight, Picture };
    static constexpr int rowsInTable = 200;

    void listKeys(bool ascending);
    bool cached(int position) const;
    QString nameInTable(qint64 key);

    std::unique_ptr<TestDatabase> m_base;
    QSqlDatabase m_db;
    TableDef m_def;
    KeyList m_keys;
    qint64 m_current = -1;
    std::unique_ptr<RowCache> m_rows;
};

void tst_RowCache::initTestCase()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_base = std::make_unique<TestDatabase>();
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = m_base->open(u"rows"_s);
    QVERIFY(m_db.isOpen());
    m_def.name = u"t"_s;
    m_def.keyField = u"hid"_s;
    m_def.fields = { { u"hid"_s, FieldType::AutoInc, 0 }, { u"adi"_s, FieldType::WideString, 40 },
        { u"kilo"_s, FieldType::Float, 0 }, { u"foto"_s, FieldType::Blob, 0 } };
    // The columns as the program makes them on the engine.
    QStringList columns;
    for (const FieldDef& f : std::as_const(m_def.fields))
        columns << f.name + u' ' + SqlDialect::of(m_db).columnType(f);
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(u"CREATE TABLE t (%1)"_s.arg(columns.join(u", "_s))), qPrintable(q.lastError().text()));
    QVERIFY(m_db.transaction());
    QVERIFY(q.prepare(u"INSERT INTO t (adi, kilo, foto) VALUES (?, ?, ?)"_s));
    for (int i = 1; i <= 5000; ++i) {
        q.addBindValue(u"Çocuk %1"_s.arg(i));
        q.addBindValue(i / 10.0);
        // Every third row has a picture, every fifth an empty one (below), the rest none.
        q.addBindValue(i % 3 == 0 ? QVariant(QByteArray("PNG-bytes")) : QVariant());
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(q.prepare(u"UPDATE t SET foto = ? WHERE hid % 5 = 0 AND hid % 3 <> 0"_s));
    q.addBindValue(QByteArray(""));
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    QVERIFY(m_db.commit());
}

void tst_RowCache::init()
{
    m_current = -1;
    m_rows = std::make_unique<RowCache>(
        m_keys, [this]() -> QSqlDatabase& { return m_db; }, [this] { return m_current; });
    m_rows->setTable(&m_def);
    listKeys(false);
}

void tst_RowCache::cleanupTestCase()
{
    m_rows.reset();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"rows"_s);
    m_base.reset();
}

// The list shows the first rowsInTable records, by key or from the highest key down.
void tst_RowCache::listKeys(bool ascending)
{
    QVector<qint64> keys;
    for (qint64 k = 1; k <= rowsInTable; ++k)
        keys.append(k);
    if (!ascending)
        std::reverse(keys.begin(), keys.end());
    m_keys.setAll(keys);
}

bool tst_RowCache::cached(int position) const
{
    return m_rows->find(m_keys.at(position)) != nullptr;
}

QString tst_RowCache::nameInTable(qint64 key)
{
    QSqlQuery q(m_db);
    q.prepare(u"SELECT adi FROM t WHERE hid = ?"_s);
    q.addBindValue(key);
    return q.exec() && q.next() ? q.value(0).toString() : QString();
}

void tst_RowCache::pageAroundPosition_data()
{
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    // A jump reads a quarter page before the position and the rest after it, within the list.
    QTest::newRow("first record") << true << 0 << 0 << 63;
    QTest::newRow("near the start") << false << 5 << 0 << 63;
    QTest::newRow("middle") << true << 100 << 84 << 147;
    QTest::newRow("middle, keys descending") << false << 100 << 84 << 147;
    QTest::newRow("near the end") << false << 190 << 174 << 199;
    QTest::newRow("last record") << true << 199 << 183 << 199;
}

void tst_RowCache::pageAroundPosition()
{
    QFETCH(bool, ascending);
    QFETCH(int, position);
    QFETCH(int, first);
    QFETCH(int, last);
    listKeys(ascending);
    const RowCache::Row* row = m_rows->rowAt(position, Name, false);
    QVERIFY(row);
    QCOMPARE(row->values.at(Name).toString(), nameInTable(m_keys.at(position)));
    QCOMPARE(m_rows->size(), last - first + 1);
    QVERIFY(cached(first));
    QVERIFY(cached(last));
    if (first > 0)
        QVERIFY(!cached(first - 1));
    if (last < rowsInTable - 1)
        QVERIFY(!cached(last + 1));
    // Every row of the page holds its own values.
    for (int i = first; i <= last; ++i)
        QCOMPARE(m_rows->find(m_keys.at(i))->values.at(Name).toString(), nameInTable(m_keys.at(i)));
    QVERIFY(!m_rows->rowAt(-1, Name, false));
    QVERIFY(!m_rows->rowAt(rowsInTable, Name, false));
}

// Reading on just past the last page reads the next one twice as long.
void tst_RowCache::walkForwardReadsLongerPages()
{
    QVERIFY(m_rows->rowAt(0, Name, false));
    QCOMPARE(m_rows->size(), 64);
    QVERIFY(m_rows->rowAt(64, Name, false));
    QCOMPARE(m_rows->size(), 192);
    QVERIFY(cached(191));
    QVERIFY(!cached(192));
    // A jump back reads a short page again.
    m_rows->clear();
    QVERIFY(m_rows->rowAt(150, Name, false));
    QCOMPARE(m_rows->size(), 64);
    QVERIFY(cached(134));
    QVERIFY(!cached(133));
}

void tst_RowCache::pageBringsOnlyHotColumns_data()
{
    QTest::addColumn<bool>("ascending");
    QTest::newRow("keys ascending (one range)") << true;
    QTest::newRow("keys descending (a key list)") << false;
}

void tst_RowCache::pageBringsOnlyHotColumns()
{
    QFETCH(bool, ascending);
    listKeys(ascending);
    QVERIFY(m_rows->rowAt(10, Name, false));
    const RowCache::Row* neighbour = m_rows->find(m_keys.at(11));
    QVERIFY(neighbour);
    QVERIFY(!neighbour->loaded.isEmpty());
    QVERIFY(neighbour->loaded.testBit(Name));
    QVERIFY(!neighbour->loaded.testBit(Weight));
    QVERIFY(!neighbour->values.at(Weight).isValid());
    QVERIFY(!neighbour->blobsLoaded);
    // A page after a jump brings every column read so far.
    QVERIFY(m_rows->rowAt(10, Weight, false));
    QVERIFY(m_rows->rowAt(150, Name, false));
    const RowCache::Row* far = m_rows->find(m_keys.at(160));
    QVERIFY(far);
    QVERIFY(far->loaded.testBit(Name));
    QVERIFY(far->loaded.testBit(Weight));
    QCOMPARE(far->values.at(Weight).toDouble(), double(m_keys.at(160)) / 10.0);
}

void tst_RowCache::newColumnCompletesRow()
{
    QVERIFY(m_rows->rowAt(3, Name, false));
    const RowCache::Row* row = m_rows->rowAt(3, Weight, false);
    QVERIFY(row);
    QCOMPARE(row->values.at(Weight).toDouble(), double(m_keys.at(3)) / 10.0);
    QCOMPARE(row->values.at(Name).toString(), nameInTable(m_keys.at(3)));
    // The whole row: every column but the picture, which is known to be there or not.
    const RowCache::Row* whole = m_rows->rowAt(4, -1, false);
    QVERIFY(whole);
    QVERIFY(whole->loaded.isEmpty());
    QCOMPARE(whole->values.at(Key).toLongLong(), m_keys.at(4));
    QVERIFY(!whole->blobsLoaded);
    QCOMPARE(m_rows->rowForKey(4999, false)->values.at(Name).toString(), u"Çocuk 4999"_s);
    QVERIFY(!m_rows->rowForKey(99999, false));
}

void tst_RowCache::picturesOnlyWhenAsked_data()
{
    QTest::addColumn<qint64>("key");
    QTest::addColumn<bool>("holdsBytes");
    QTest::newRow("picture") << qint64(3) << true;
    QTest::newRow("empty picture") << qint64(5) << false;
    QTest::newRow("no picture") << qint64(7) << false;
}

void tst_RowCache::picturesOnlyWhenAsked()
{
    QFETCH(qint64, key);
    QFETCH(bool, holdsBytes);
    listKeys(true);
    const int position = m_keys.indexOf(key);
    const RowCache::Row* row = m_rows->rowAt(position, Name, false);
    QVERIFY(row);
    QVERIFY(!row->blobsLoaded);
    QVERIFY(!row->values.at(Picture).isValid());
    QCOMPARE(row->blobsPresent.size(), 1);
    QCOMPARE(row->blobsPresent.testBit(0), holdsBytes);
    row = m_rows->rowAt(position, Picture, true);
    QVERIFY(row->blobsLoaded);
    QCOMPARE(row->values.at(Picture).toByteArray(), holdsBytes ? QByteArray("PNG-bytes") : QByteArray());
    QCOMPARE(row->blobsPresent.testBit(0), holdsBytes);
    // Only the row that asked has its picture read.
    QVERIFY(!m_rows->find(m_keys.at(position + 1))->blobsLoaded);
    QCOMPARE(m_rows->rowForKey(300, true)->values.at(Picture).toByteArray(), QByteArray("PNG-bytes"));
}

// A forgotten or dropped row is read again as the table now holds it.
void tst_RowCache::forgetAndClearReadAgain()
{
    QVERIFY(m_rows->rowAt(0, Name, false));
    const qint64 key = m_keys.at(0);
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"UPDATE t SET adi = 'Değişti' WHERE hid = %1"_s.arg(key)));
    QCOMPARE(m_rows->rowAt(0, Name, false)->values.at(Name).toString(), u"Çocuk %1"_s.arg(key));
    const int size = m_rows->size();
    m_rows->forget(key);
    QVERIFY(!m_rows->find(key));
    QCOMPARE(m_rows->size(), size - 1);
    QVERIFY(m_rows->find(m_keys.at(1)));
    QCOMPARE(m_rows->rowAt(0, Name, false)->values.at(Name).toString(), u"Değişti"_s);
    m_rows->clear();
    QCOMPARE(m_rows->size(), 0);
    QVERIFY(!m_rows->find(m_keys.at(1)));
    QVERIFY(q.exec(u"UPDATE t SET adi = 'Çocuk %1' WHERE hid = %1"_s.arg(key)));
    QCOMPARE(m_rows->rowForKey(key, false)->values.at(Name).toString(), u"Çocuk %1"_s.arg(key));
    // A row stored by the data set replaces what was read.
    RowCache::Row stored;
    stored.values = { key, u"Yeni"_s, 2.5, QVariant() };
    stored.blobsLoaded = true;
    m_rows->store(key, stored);
    QCOMPARE(m_rows->rowForKey(key, true)->values.at(Name).toString(), u"Yeni"_s);
    QCOMPARE(m_rows->size(), 1);
}

// Past the limit the oldest rows go, down to half, but not the current one nor those just read.
void tst_RowCache::boundedKeepsCurrentAndJustRead()
{
    // A row the data set stored before anything was read is the oldest.
    RowCache::Row stored;
    stored.values = { 9999, u"Yeni"_s, 2.5, QVariant() };
    m_rows->store(9999, stored);
    QVector<qint64> older;
    for (qint64 k = 1; k <= 4000; ++k)
        older.append(k);
    m_rows->fetchRows(older, QBitArray());
    QCOMPARE(m_rows->size(), 4001);
    m_current = 1;
    QVector<qint64> newer;
    newer.append(3); // read again
    for (qint64 k = 4001; k <= 4200; ++k)
        newer.append(k);
    m_rows->fetchRows(newer, QBitArray());
    QCOMPARE(m_rows->size(), RowCache::limit / 2);
    QVERIFY(m_rows->find(1));
    QVERIFY(!m_rows->find(9999));
    QVERIFY(!m_rows->find(2));
    QVERIFY(m_rows->find(3));
    QVERIFY(!m_rows->find(2154));
    QVERIFY(m_rows->find(2155));
    QVERIFY(m_rows->find(4000));
    QVERIFY(m_rows->find(4001));
    QVERIFY(m_rows->find(4200));
    QCOMPARE(m_rows->find(4200)->values.at(Name).toString(), u"Çocuk 4200"_s);
}

QTEST_GUILESS_MAIN(tst_RowCache)
#include "tst_rowcache.moc"
