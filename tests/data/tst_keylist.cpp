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
    void pagedReadsOnlyAroundWhatIsAsked_data();
    void pagedReadsOnlyAroundWhatIsAsked();
    void pagedWalkReadsEachKeyOnce_data();
    void pagedWalkReadsEachKeyOnce();
    void pagedPlacesAKeyByCounting();
    void pagedKeepsAppendedKeysLast();
    void pagedFollowsAnotherCopysRecords();
    void pagedHoldsAChangedRecordAtItsRow();
};

namespace {

QVector<qint64> range(qint64 from, qint64 to)
{
    QVector<qint64> keys;
    for (qint64 k = from; k <= to; ++k)
        keys.append(k);
    return keys;
}

// A table read the way a keyset reader reads it: keys in their order, pages after or before a
// key, from the start or the end, with skips; it counts the keys it hands out.
struct PagedTable {
    explicit PagedTable(QVector<qint64> all)
        : keys(std::move(all))
    { }

    QVector<qint64> keys;
    int reads = 0;
    int keysRead = 0;
    int counts = 0;
    QVector<KeyList::Request> requests;

    QVector<qint64> read(const KeyList::Request& r)
    {
        ++reads;
        requests.append(r);
        QVector<qint64> listed;
        for (qint64 k : std::as_const(keys))
            if (!r.excluded.contains(k))
                listed.append(k);
        if (r.backward)
            std::reverse(listed.begin(), listed.end());
        qsizetype from = 0;
        if (r.fromKey) {
            const qsizetype at = listed.indexOf(r.key);
            if (at < 0)
                return {};
            from = at + 1;
        }
        const QVector<qint64> page = listed.mid(from + r.skip, r.limit);
        keysRead += int(page.size());
        return page;
    }
    int position(qint64 key, const QVector<qint64>& excluded)
    {
        ++counts;
        int before = 0;
        for (qint64 k : std::as_const(keys)) {
            if (k == key)
                return before;
            if (!excluded.contains(k))
                ++before;
        }
        return -1;
    }
    void open(KeyList& list, int first)
    {
        list.setPaged(
            keys.mid(0, first), int(keys.size()), [this](const KeyList::Request& r) { return read(r); },
            [this](qint64 key, const QVector<qint64>& excluded) { return position(key, excluded); });
    }
};

// Keys in a scrambled order, as a list sorted by a name gives them.
QVector<qint64> scrambled(int count)
{
    QVector<qint64> keys;
    for (int i = 0; i < count; ++i)
        keys.append((qint64(i) * 7919) % count + 1);
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

void tst_KeyList::pagedReadsOnlyAroundWhatIsAsked_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("backward");
    QTest::newRow("in the first page") << 3 << false;
    QTest::newRow("just past the first page") << 10 << false;
    QTest::newRow("the last") << 9999 << true;
    QTest::newRow("near the end") << 9900 << true;
    QTest::newRow("the middle") << 5000 << false;
}

// A far position reads one page, from the nearest known key or end; its key is the right one.
void tst_KeyList::pagedReadsOnlyAroundWhatIsAsked()
{
    QFETCH(int, position);
    QFETCH(bool, backward);
    PagedTable table { scrambled(10000) };
    KeyList list;
    table.open(list, 10);
    QVERIFY(list.paged());
    QCOMPARE(list.size(), 10000);
    QCOMPARE(list.at(position), table.keys.at(position));
    QVERIFY(table.keysRead <= KeyList::pageSize + 1);
    QCOMPARE(table.reads, position < 10 ? 0 : 1);
    if (table.reads > 0)
        QCOMPARE(table.requests.first().backward, backward);
    QVERIFY(!list.complete());
    // The keys around it are known now.
    const int before = table.reads;
    if (position >= 10) {
        QCOMPARE(list.at(std::max(position - 20, 0)), table.keys.at(std::max(position - 20, 0)));
        QCOMPARE(list.at(std::min(position + 20, 9999)), table.keys.at(std::min(position + 20, 9999)));
        QCOMPARE(table.reads, before);
    }
    QCOMPARE(list.at(10000), -1);
    QCOMPARE(list.at(-1), -1);
}

void tst_KeyList::pagedWalkReadsEachKeyOnce_data()
{
    QTest::addColumn<bool>("fromTheEnd");
    QTest::newRow("forward from the start") << false;
    QTest::newRow("backward from the end") << true;
}

// Walking the whole list reads every key once, each page after (or before) the last key read.
void tst_KeyList::pagedWalkReadsEachKeyOnce()
{
    QFETCH(bool, fromTheEnd);
    PagedTable table { scrambled(1000) };
    KeyList list;
    table.open(list, 10);
    QVector<qint64> walked(1000);
    for (int i = 0; i < 1000; ++i) {
        const int p = fromTheEnd ? 999 - i : i;
        walked[p] = list.at(p);
    }
    QCOMPARE(walked, table.keys);
    QVERIFY(list.complete());
    QCOMPARE(table.keysRead, 990);
    QCOMPARE(list.all(), table.keys);
    for (int i = 1; i < table.requests.size(); ++i) {
        QVERIFY(table.requests.at(i).fromKey);
        QCOMPARE(table.requests.at(i).skip, 0);
    }
}

// A key not read yet is placed by counting; the keys around it are then read from it.
void tst_KeyList::pagedPlacesAKeyByCounting()
{
    PagedTable table { scrambled(5000) };
    KeyList list;
    table.open(list, 10);
    const qint64 far = table.keys.at(3210);
    QCOMPARE(list.indexOf(far), 3210);
    QCOMPARE(table.counts, 1);
    QCOMPARE(table.reads, 0);
    QCOMPARE(list.at(3210), far);
    QCOMPARE(list.at(3211), table.keys.at(3211));
    QCOMPARE(list.at(3209), table.keys.at(3209));
    QCOMPARE(list.indexOf(far), 3210);
    QCOMPARE(table.counts, 1);
    QCOMPARE(list.indexOf(999999), -1);
}

// Keys this data set stored come last and are left out of the pages; removing a record moves
// the keys after it up one place without reading.
void tst_KeyList::pagedKeepsAppendedKeysLast()
{
    PagedTable table { scrambled(2000) };
    KeyList list;
    table.open(list, 10);
    // Stored here: the table has them at their sorted places, the list shows them last.
    table.keys.insert(5, 5001);
    table.keys.insert(1500, 5002);
    list.append(5001);
    list.append(5002);
    QCOMPARE(list.size(), 2002);
    QCOMPARE(list.at(2001), 5002);
    QCOMPARE(list.at(2000), 5001);
    QCOMPARE(list.indexOf(5001), 2000);
    QCOMPARE(list.at(1999), scrambled(2000).last());
    QCOMPARE(table.requests.last().excluded, (QVector<qint64> { 5001, 5002 }));
    QCOMPARE(list.at(1000), scrambled(2000).at(1000));

    // Deleting a record of the stored part: its key leaves the table and the list.
    const QVector<qint64> before = scrambled(2000);
    const int reads = table.reads;
    table.keys.removeAll(before.at(1000));
    list.removeAt(1000);
    QCOMPARE(list.size(), 2001);
    QCOMPARE(list.at(1000), before.at(1001));
    QCOMPARE(list.at(1998), before.last());
    QCOMPARE(list.at(1999), 5001);
    QCOMPARE(list.at(2000), 5002);
    QCOMPARE(table.reads, reads);
    // And one of the appended keys.
    list.removeAt(2000);
    QCOMPARE(list.size(), 2000);
    QCOMPARE(list.at(1999), 5001);
}

// Another copy stored records after the list was counted: a walk to the end reaches them, and
// a current record among the appended keys stays on its record.
void tst_KeyList::pagedFollowsAnotherCopysRecords()
{
    PagedTable table { range(1, 600) };
    KeyList list;
    int position = 0;
    list.follow(&position);
    table.open(list, 10);
    list.append(700);
    table.keys.append(700);
    table.keys.insert(600, 650); // after 600, before the key stored here
    table.keys.insert(600, 640);
    position = 600; // on the appended record
    QVector<qint64> walked;
    for (int p = 0; p < list.size(); ++p)
        walked.append(list.at(p));
    QCOMPARE(walked.size(), 603);
    QCOMPARE(walked.mid(598), (QVector<qint64> { 599, 600, 640, 650, 700 }));
    QCOMPARE(list.at(position), 700);
}

// A record changed here that the table now sorts elsewhere keeps its row; the pages and counts
// leave it out, so every other record keeps its row, also after a removal before it.
void tst_KeyList::pagedHoldsAChangedRecordAtItsRow()
{
    const QVector<qint64> shown = scrambled(2000);
    PagedTable table { shown };
    KeyList list;
    table.open(list, 10);
    QCOMPARE(list.at(500), shown.at(500));
    list.hold(500);
    list.hold(1990);
    table.keys.move(500, 1800);
    table.keys.move(1990, 3);
    QCOMPARE(list.size(), 2000);
    QCOMPARE(list.held(), (QVector<qint64> { shown.at(500), shown.at(1990) }));
    QCOMPARE(list.indexOf(shown.at(1700)), 1700); // counted, not read
    QCOMPARE(list.indexOf(shown.at(1990)), 1990);
    for (int p = 0; p < 2000; ++p)
        QCOMPARE(list.at(p), shown.at(p));
    QVERIFY(table.requests.last().excluded.contains(shown.at(500)));

    list.removeAt(300);
    table.keys.removeAll(shown.at(300));
    QCOMPARE(list.at(499), shown.at(500));
    QCOMPARE(list.at(500), shown.at(501));
    QCOMPARE(list.indexOf(shown.at(1990)), 1989);
    list.removeAt(499);
    QCOMPARE(list.at(499), shown.at(501));
    QCOMPARE(list.size(), 1998);
}

QTEST_GUILESS_MAIN(tst_KeyList)
#include "tst_keylist.moc"
