#include "KeyList.h"
#include "KeysetQuery.h"
#include "RecordFinder.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Finding the records that meet a condition in a list's order: in a list read whole (the first
// hit by key, or the first of every hit), the next listed hit after a row, and in a list read by
// pages with records appended here and records held at their rows.
class tst_RecordFinder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void firstListedMatch_data();
    void firstListedMatch();
    void nextListedRow_data();
    void nextListedRow();
    void firstPagedMatch_data();
    void firstPagedMatch();

private:
    void exec(const QString& sql);
    RecordFinder finder(const KeyList& keys);

    std::unique_ptr<TestDatabase> m_dir;
    QSqlDatabase m_db;
};

void tst_RecordFinder::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    if (!TestDatabase::postgresqlChosen())
        QVERIFY(QDir().mkpath(QFileInfo(m_dir->location()).path()));
    m_db = m_dir->open(u"finder"_s);
    QVERIFY2(m_db.isOpen(), qPrintable(m_db.lastError().text()));
    exec(u"CREATE TABLE bulunan (id BIGINT PRIMARY KEY, ad TEXT)"_s);
    // In the order of ad, id: 1 4 7 2 3 6 5 8.
    const char* rows[]
        = { "1, 'Ali'", "2, 'Bora'", "3, 'Can'", "4, 'Ali'", "5, 'Deniz'", "6, 'Can'", "7, 'Ali'", "8, 'Ece'" };
    for (const char* row : rows)
        exec(u"INSERT INTO bulunan VALUES (%1)"_s.arg(QLatin1String(row)));
}

void tst_RecordFinder::cleanup()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"finder"_s);
    m_dir.reset();
}

void tst_RecordFinder::exec(const QString& sql)
{
    QSqlQuery q(m_db);
    QVERIFY2(q.exec(sql), qPrintable(q.lastError().text() + u": "_s + sql));
}

RecordFinder tst_RecordFinder::finder(const KeyList& keys)
{
    return RecordFinder(m_db, keys);
}

void tst_RecordFinder::firstListedMatch_data()
{
    QTest::addColumn<QVector<qint64>>("listed"); // in the list's order
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("keyOrder");
    QTest::addColumn<int>("row"); // -2: no record meets it
    const QVector<qint64> byKey { 1, 2, 3, 4, 5, 6, 7, 8 };
    const QVector<qint64> byNameDown { 8, 5, 3, 6, 2, 1, 4, 7 };
    QTest::newRow("key order, the first hit by key is listed") << byKey << u"Ali"_s << true << 0;
    QTest::newRow("key order, a later hit") << byKey << u"Can"_s << true << 2;
    QTest::newRow("key order, the first hit by key is not listed")
        << QVector<qint64> { 2, 3, 4, 5, 7 } << u"Ali"_s << true << 2;
    QTest::newRow("another order, the first hit in that order") << byNameDown << u"Ali"_s << false << 5;
    QTest::newRow("another order, one hit") << byNameDown << u"Bora"_s << false << 4;
    QTest::newRow("one hit, not listed") << QVector<qint64> { 2, 3 } << u"Deniz"_s << false << -1;
    QTest::newRow("several hits, none listed") << QVector<qint64> { 2, 5 } << u"Ali"_s << false << -1;
    QTest::newRow("key order, several hits, none listed") << QVector<qint64> { 2, 5 } << u"Ali"_s << true << -1;
    QTest::newRow("no record meets it") << byKey << u"Zeki"_s << true << -2;
    QTest::newRow("no record meets it, another order") << byNameDown << u"Zeki"_s << false << -2;
}

void tst_RecordFinder::firstListedMatch()
{
    QFETCH(QVector<qint64>, listed);
    QFETCH(QString, name);
    QFETCH(bool, keyOrder);
    QFETCH(int, row);
    KeyList keys;
    keys.setAll(listed);
    const std::optional<int> found
        = finder(keys).firstListedMatch(u"bulunan"_s, u"id"_s, u"ad = :ad"_s, { { u":ad"_s, name } }, keyOrder);
    QCOMPARE(found.value_or(-2), row);
}

void tst_RecordFinder::nextListedRow_data()
{
    QTest::addColumn<QVector<qint64>>("hits");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("row");
    // The list is 10 20 30 40.
    QTest::newRow("a hit after the row") << QVector<qint64> { 10, 30 } << 1 << 2;
    QTest::newRow("the next row") << QVector<qint64> { 20, 40 } << 0 << 1;
    QTest::newRow("wraps to the start") << QVector<qint64> { 10, 20 } << 2 << 0;
    QTest::newRow("from the last row") << QVector<qint64> { 30 } << 3 << 2;
    QTest::newRow("the row itself comes last") << QVector<qint64> { 20 } << 1 << 1;
    QTest::newRow("without a row, from the first") << QVector<qint64> { 40, 10 } << -1 << 0;
    QTest::newRow("without a row, the last") << QVector<qint64> { 40 } << -1 << 3;
    QTest::newRow("no hit is listed") << QVector<qint64> { 50 } << 1 << -1;
}

void tst_RecordFinder::nextListedRow()
{
    QFETCH(QVector<qint64>, hits);
    QFETCH(int, start);
    QFETCH(int, row);
    KeyList keys;
    keys.setAll({ 10, 20, 30, 40 });
    QCOMPARE(finder(keys).nextListedRow(QSet<qint64>(hits.cbegin(), hits.cend()), start), row);
}

void tst_RecordFinder::firstPagedMatch_data()
{
    QTest::addColumn<QString>("appendedName"); // a record 9 stored here with this name; empty: none
    QTest::addColumn<QString>("heldName"); // record 2 (row 3) changed here to this name; empty: none
    QTest::addColumn<QString>("elsewhereName"); // record 3 changed by another copy to this name; empty: none
    QTest::addColumn<qint64>("current"); // -1: from the start
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("found");
    // The list in the order of ad, id: 1 4 7 2 3 6 5 8, then the records appended here.
    QTest::newRow("from the start") << QString() << QString() << QString() << qint64(-1) << u"Can"_s << qint64(3);
    QTest::newRow("after the current record")
        << QString() << QString() << QString() << qint64(3) << u"Can"_s << qint64(6);
    QTest::newRow("after the current, far on")
        << QString() << QString() << QString() << qint64(4) << u"Ece"_s << qint64(8);
    QTest::newRow("wraps to the start") << QString() << QString() << QString() << qint64(6) << u"Can"_s << qint64(3);
    QTest::newRow("the current record comes last")
        << QString() << QString() << QString() << qint64(5) << u"Deniz"_s << qint64(5);
    QTest::newRow("none") << QString() << QString() << QString() << qint64(1) << u"Zeki"_s << qint64(-1);
    QTest::newRow("from the start, an appended record last")
        << u"Aa"_s << QString() << QString() << qint64(-1) << u"Aa"_s << qint64(9);
    QTest::newRow("stored hits before the appended one")
        << u"Ali"_s << QString() << QString() << qint64(-1) << u"Ali"_s << qint64(1);
    QTest::newRow("after the last stored, the appended one")
        << u"Ali"_s << QString() << QString() << qint64(8) << u"Ali"_s << qint64(9);
    QTest::newRow("after the appended one, wraps to the stored")
        << u"Ali"_s << QString() << QString() << qint64(9) << u"Ali"_s << qint64(1);
    QTest::newRow("the appended current record comes last")
        << u"Zeynep"_s << QString() << QString() << qint64(9) << u"Zeynep"_s << qint64(9);
    QTest::newRow("a held record met at its row")
        << QString() << u"Zeynep"_s << QString() << qint64(7) << u"Zeynep"_s << qint64(2);
    QTest::newRow("a held record before a stored hit")
        << QString() << u"Can"_s << QString() << qint64(1) << u"Can"_s << qint64(2);
    QTest::newRow("after a held current record")
        << QString() << u"Can"_s << QString() << qint64(2) << u"Can"_s << qint64(3);
    QTest::newRow("a held record no longer meets it")
        << QString() << u"Zeynep"_s << QString() << qint64(7) << u"Bora"_s << qint64(-1);
    QTest::newRow("the current record changed elsewhere is not met again")
        << QString() << QString() << u"Deniz"_s << qint64(3) << u"Deniz"_s << qint64(5);
    QTest::newRow("a record changed elsewhere is met where it now sorts")
        << QString() << QString() << u"Ece"_s << qint64(1) << u"Ece"_s << qint64(3);
    QTest::newRow("a held record from the start")
        << QString() << u"Aa"_s << QString() << qint64(-1) << u"Aa"_s << qint64(2);
}

void tst_RecordFinder::firstPagedMatch()
{
    QFETCH(QString, appendedName);
    QFETCH(QString, heldName);
    QFETCH(QString, elsewhereName);
    QFETCH(qint64, current);
    QFETCH(QString, name);
    QFETCH(qint64, found);
    const KeysetQuery keyset(u"bulunan"_s, u"id"_s, QString(), {}, { { u"ad"_s, false } });
    // The order's values of each record as the list read them (a record changed here is read
    // again).
    QHash<qint64, QVariantList> anchors;
    for (qint64 key = 1; key <= 8; ++key)
        anchors.insert(key, keyset.anchorOf(m_db, key, false).value());
    const auto anchorOf = [&](qint64 key) -> std::optional<QVariantList> {
        if (anchors.contains(key))
            return anchors.value(key);
        return keyset.anchorOf(m_db, key, false);
    };
    KeyList keys;
    // Two keys at first; the others by pages.
    keys.setPaged(
        { 1, 4 }, 8,
        [&](const KeyList::Request& r) {
            KeysetQuery::Page page;
            page.backward = r.backward;
            page.skip = r.skip;
            page.limit = r.limit;
            page.excluded = r.excluded;
            if (r.fromKey)
                page.anchor = anchorOf(r.key).value_or(QVariantList());
            return keyset.keys(m_db, page);
        },
        [&](qint64 key, const QVector<qint64>& excluded) {
            const std::optional<QVariantList> anchor = keyset.anchorOf(m_db, key, true);
            return anchor ? keyset.countBefore(m_db, *anchor, excluded) : -1;
        });
    QCOMPARE(keys.at(3), 2);
    if (!heldName.isEmpty()) {
        exec(u"UPDATE bulunan SET ad = '%1' WHERE id = 2"_s.arg(heldName));
        keys.hold(3);
        anchors.remove(2);
    }
    if (!elsewhereName.isEmpty())
        exec(u"UPDATE bulunan SET ad = '%1' WHERE id = 3"_s.arg(elsewhereName));
    if (!appendedName.isEmpty()) {
        exec(u"INSERT INTO bulunan VALUES (9, '%1')"_s.arg(appendedName));
        keys.append(9);
    }
    const qint64 hit = finder(keys).firstPagedMatch(
        keyset, anchorOf, u"ad = :ad"_s, { { u":ad"_s, name } }, current, [&] { return keys.indexOf(current); });
    QCOMPARE(hit, found);
    // The rows of the list stay as they were.
    QCOMPARE(keys.at(3), 2);
    QCOMPARE(keys.size(), appendedName.isEmpty() ? 8 : 9);
}

QTEST_GUILESS_MAIN(tst_RecordFinder)
#include "tst_recordfinder.moc"
