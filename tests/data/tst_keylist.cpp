#include "KeyList.h"

#include <QTest>

// The key list of a data set: a long list opened with its first page and count, the rest read
// once, when first needed.
class tst_KeyList final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstPageAnswersWithoutReading_data();
    void firstPageAnswersWithoutReading();
    void appendedKeysStayLast();
    void removeBeforeAndAfterReading_data();
    void removeBeforeAndAfterReading();
    void shortListIsComplete();
    void currentRecordKeepsItsRow_data();
    void currentRecordKeepsItsRow();
};

namespace {

QVector<qint64> range(qint64 from, qint64 to)
{
    QVector<qint64> keys;
    for (qint64 k = from; k <= to; ++k)
        keys.append(k);
    return keys;
}

} // namespace

void tst_KeyList::firstPageAnswersWithoutReading_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<qint64>("key");
    QTest::addColumn<bool>("reads");
    QTest::newRow("first") << 0 << qint64(10) << false;
    QTest::newRow("last of the page") << 4 << qint64(14) << false;
    QTest::newRow("one past the page") << 5 << qint64(15) << true;
    QTest::newRow("last of the list") << 19 << qint64(29) << true;
}

void tst_KeyList::firstPageAnswersWithoutReading()
{
    QFETCH(int, position);
    QFETCH(qint64, key);
    QFETCH(bool, reads);
    int readings = 0;
    KeyList list;
    list.setFirst(range(10, 14), 20, [&readings] {
        ++readings;
        return range(10, 29);
    });
    QCOMPARE(list.size(), 20);
    QVERIFY(!list.isEmpty());
    QCOMPARE(list.indexOf(12), 2);
    QCOMPARE(readings, 0);
    QCOMPARE(list.at(position), key);
    QCOMPARE(readings, reads ? 1 : 0);
    QCOMPARE(list.complete(), reads);
    // A key beyond the page is looked for in the whole list, read once.
    QCOMPARE(list.indexOf(27), 17);
    QCOMPARE(list.indexOf(99), -1);
    QCOMPARE(list.all().size(), 20);
    QCOMPARE(readings, 1);
}

// Records stored by the data set come last, as they were shown, and once, though the whole
// list read afterwards holds them in their own order too.
void tst_KeyList::appendedKeysStayLast()
{
    KeyList list;
    list.setFirst(range(10, 12), 6, [] { return QVector<qint64> { 10, 11, 12, 5, 13, 14, 15 }; });
    list.append(5);
    QCOMPARE(list.size(), 7);
    QCOMPARE(list.at(6), 5);
    QCOMPARE(list.indexOf(5), 6);
    QVERIFY(!list.complete());
    QCOMPARE(list.all(), (QVector<qint64> { 10, 11, 12, 13, 14, 15, 5 }));
    list.append(16);
    QCOMPARE(list.at(7), 16);
    QCOMPARE(list.size(), 8);
}

void tst_KeyList::removeBeforeAndAfterReading_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<QVector<qint64>>("left");
    QTest::newRow("in the first page") << 1 << false << QVector<qint64> { 10, 12, 13, 14, 7 };
    QTest::newRow("between page and appended") << 3 << true << QVector<qint64> { 10, 11, 12, 14, 7 };
    QTest::newRow("appended") << 5 << false << QVector<qint64> { 10, 11, 12, 13, 14 };
}

void tst_KeyList::removeBeforeAndAfterReading()
{
    QFETCH(int, position);
    QFETCH(bool, reads);
    QFETCH(QVector<qint64>, left);
    const qint64 gone = QVector<qint64> { 10, 11, 12, 13, 14, 7 }.at(position);
    bool deleted = false;
    KeyList list;
    // The whole list as the table holds it when it is read.
    list.setFirst(range(10, 12), 5, [gone, &deleted] {
        QVector<qint64> keys { 7, 10, 11, 12, 13, 14 };
        if (deleted)
            keys.removeAll(gone);
        return keys;
    });
    list.append(7);
    // As Delete does: the key of the row first, then the row leaves the table and the list.
    QCOMPARE(list.at(position), gone);
    deleted = true;
    list.removeAt(position);
    QCOMPARE(list.size(), 5);
    QCOMPARE(list.complete(), reads);
    QCOMPARE(list.all(), left);
}

void tst_KeyList::shortListIsComplete()
{
    int readings = 0;
    KeyList list;
    list.setFirst(range(1, 3), 3, [&readings] {
        ++readings;
        return QVector<qint64>();
    });
    QVERIFY(list.complete());
    QCOMPARE(list.at(2), 3);
    list.clear();
    QVERIFY(list.isEmpty());
    QCOMPARE(readings, 0);
}

void tst_KeyList::currentRecordKeepsItsRow_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<qint64>("key");
    QTest::newRow("in the first page") << 1 << qint64(2);
    QTest::newRow("stored here, last") << 6 << qint64(100);
    QTest::newRow("last of the list") << 5 << qint64(6);
}

// Another copy stored two records since the list opened: the current record is the same one
// after the rest is read.
void tst_KeyList::currentRecordKeepsItsRow()
{
    QFETCH(int, current);
    QFETCH(qint64, key);
    int position = 0;
    KeyList list;
    list.follow(&position);
    list.setFirst(range(1, 3), 6, [] {
        QVector<qint64> keys = range(1, 6);
        keys.insert(4, 50);
        keys.insert(5, 51);
        keys.append(100);
        return keys;
    });
    list.append(100);
    position = current;
    if (current < 3)
        QCOMPARE(list.at(current), key);
    QCOMPARE(list.at(3), 4);
    QCOMPARE(list.size(), 9);
    QCOMPARE(list.at(position), key);
}

QTEST_GUILESS_MAIN(tst_KeyList)
#include "tst_keylist.moc"
