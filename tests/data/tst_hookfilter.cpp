#include "HookFilter.h"
#include "SqlDialect.h"
#include "TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

// The filter hook run over candidate records: the accepted keys in the list's order, only the
// columns the hook reads streamed, full rows for a column it starts reading late.
class tst_HookFilter final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void keepsAcceptedInListOrder_data();
    void keepsAcceptedInListOrder();
    void columnReadLateGetsFullRow();
    void manyLateReadsWidenTheStream();
    void throwingHookLeavesNoCandidate();
    void rowsAsTheyAre();

private:
    enum Column { Key, Name, Weight, City };
    static constexpr int columnCount = 4;
    static constexpr int records = 1000;

    QVector<qint64> allKeys() const;
    QVector<qint64> filter(const QVector<qint64>& keys, const std::function<bool()>& decide);

    std::unique_ptr<TestDatabase> m_base;
    QSqlDatabase m_db;
    HookFilter m_filter;
    QList<QVector<int>> m_streams; // the columns of each streaming statement
    int m_fullRows = 0;
    QHash<qint64, RowCache::Row> m_full;
};

void tst_HookFilter::initTestCase()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_base = std::make_unique<TestDatabase>();
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = m_base->open(u"hook"_s);
    QVERIFY(m_db.isOpen());
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"CREATE TABLE t (hid INTEGER PRIMARY KEY, adi TEXT, kilo DOUBLE PRECISION, sehir TEXT)"_s));
    QVERIFY(m_db.transaction());
    QVERIFY(q.prepare(u"INSERT INTO t VALUES (?, ?, ?, ?)"_s));
    for (int k = 1; k <= records; ++k) {
        // Every second child is a Berk: far more than a few late reads.
        q.addBindValue(k);
        q.addBindValue(k % 2 == 0 ? u"Berk"_s : k % 7 == 0 ? u"Ayşe"_s : u"Ali"_s);
        q.addBindValue(k / 10.0);
        q.addBindValue(k % 3 == 0 ? u"Van"_s : u"Muş"_s);
        QVERIFY(q.exec());
    }
    QVERIFY(m_db.commit());
}

void tst_HookFilter::cleanupTestCase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"hook"_s);
    m_base.reset();
}

void tst_HookFilter::init()
{
    m_streams.clear();
    m_fullRows = 0;
    m_full.clear();
}

QVector<qint64> tst_HookFilter::allKeys() const
{
    QVector<qint64> keys;
    for (qint64 k = 1; k <= records; ++k)
        keys.append(k);
    return keys;
}

// Filters with the table as the source: full rows by key, the stream in key order.
QVector<qint64> tst_HookFilter::filter(const QVector<qint64>& keys, const std::function<bool()>& decide)
{
    const QStringList names { u"hid"_s, u"adi"_s, u"kilo"_s, u"sehir"_s };
    const auto fullRow = [&](qint64 key) -> const RowCache::Row* {
        ++m_fullRows;
        QSqlQuery q(m_db);
        q.prepare(u"SELECT hid, adi, kilo, sehir FROM t WHERE hid = ?"_s);
        q.addBindValue(key);
        if (!q.exec() || !q.next())
            return nullptr;
        RowCache::Row& row = m_full[key];
        row.values.clear();
        for (int i = 0; i < columnCount; ++i)
            row.values.append(q.value(i));
        return &row;
    };
    const auto stream = [&](const QVector<int>& columns) {
        m_streams.append(columns);
        QStringList list { u"hid"_s };
        for (int c : columns)
            list.append(names.at(c));
        QSqlQuery q(m_db);
        // Full rows are read while it streams, as in the data set.
        q.setForwardOnly(SqlDialect::of(m_db).forwardOnlyWhileOthersRun());
        q.exec(u"SELECT "_s + list.join(u", "_s) + u" FROM t ORDER BY hid"_s);
        return q;
    };
    return m_filter.filterStreaming(keys, columnCount, fullRow, stream, decide);
}

void tst_HookFilter::keepsAcceptedInListOrder_data()
{
    QTest::addColumn<bool>("descending");
    QTest::addColumn<double>("over");
    QTest::newRow("by key") << false << 95.0;
    QTest::newRow("highest key first") << true << 95.0;
    QTest::newRow("first candidate rejected") << false << 0.5;
    QTest::newRow("first candidate accepted") << true << 0.05;
    QTest::newRow("none") << false << 1000.0;
}

void tst_HookFilter::keepsAcceptedInListOrder()
{
    QFETCH(bool, descending);
    QFETCH(double, over);
    QVector<qint64> keys = allKeys();
    if (descending)
        std::reverse(keys.begin(), keys.end());
    QVector<qint64> expected;
    for (qint64 k : std::as_const(keys))
        if (k / 10.0 > over)
            expected.append(k);
    int runs = 0;
    const QVector<qint64> accepted = filter(keys, [this, over, &runs] {
        ++runs;
        return m_filter.value(Weight).toDouble() > over;
    });
    QCOMPARE(accepted, expected);
    // The hook runs once for each record, the first one too.
    QCOMPARE(runs, records);
    // Only the weight is streamed; the first candidate alone got its full row.
    QCOMPARE(m_streams, QList<QVector<int>> { { Weight } });
    QCOMPARE(m_fullRows, 1);
    QVERIFY(!m_filter.running());
}

// A hook that reads the city only for Ayşe: those few candidates run again on their full row.
void tst_HookFilter::columnReadLateGetsFullRow()
{
    const QVector<qint64> accepted = filter(allKeys(),
        [this] { return m_filter.value(Name).toString() == u"Ayşe"_s && m_filter.value(City).toString() == u"Van"_s; });
    QVector<qint64> expected;
    int ayse = 0;
    for (qint64 k = 1; k <= records; ++k) {
        if (k % 2 != 0 && k % 7 == 0) {
            ++ayse;
            if (k % 3 == 0)
                expected.append(k);
        }
    }
    QVERIFY(!expected.isEmpty());
    QCOMPARE(accepted, expected);
    QCOMPARE(m_streams, QList<QVector<int>> { { Name } });
    QCOMPARE(m_fullRows, 1 + ayse);
}

// The city read for every Berk: after many late reads the stream starts again with it.
void tst_HookFilter::manyLateReadsWidenTheStream()
{
    const QVector<qint64> accepted = filter(allKeys(),
        [this] { return m_filter.value(Name).toString() == u"Berk"_s && m_filter.value(City).toString() == u"Van"_s; });
    QVector<qint64> expected;
    for (qint64 k = 6; k <= records; k += 6)
        expected.append(k);
    QCOMPARE(accepted, expected);
    QCOMPARE(m_streams, (QList<QVector<int>> { { Name }, { Name, City } }));
    // The first candidate and the late reads of the first pass, up to the one that widened it.
    QCOMPARE(m_fullRows, 1 + 256);
}

void tst_HookFilter::throwingHookLeavesNoCandidate()
{
    int runs = 0;
    bool thrown = false;
    try {
        filter(allKeys(), [this, &runs] {
            if (++runs == 3)
                throw std::runtime_error("hook failed");
            return m_filter.value(Weight).isValid();
        });
    } catch (const std::runtime_error&) {
        thrown = true;
    }
    QVERIFY(thrown);
    QCOMPARE(runs, 3);
    QVERIFY(!m_filter.running());
}

// Rows read whole (a statement the layer cannot page): each runs as it is, missing ones are skipped.
void tst_HookFilter::rowsAsTheyAre()
{
    QVector<RowCache::Row> rows(4);
    const QStringList names { u"Ali"_s, u"Berk"_s, u"Ayşe"_s, u"Banu"_s };
    for (int i = 0; i < rows.size(); ++i)
        rows[i].values = { i, names.at(i) };
    const auto rowOf = [&rows](qint64 key) { return key < rows.size() ? &rows.at(int(key)) : nullptr; };
    bool candidateSet = true;
    const QVector<qint64> accepted = m_filter.filterRows({ 3, 9, 2, 1, 0 }, rowOf, [this, &candidateSet] {
        candidateSet = candidateSet && m_filter.running();
        return m_filter.value(1).toString().startsWith(u'B');
    });
    QCOMPARE(accepted, (QVector<qint64> { 3, 1 }));
    QVERIFY(candidateSet);
    QVERIFY(!m_filter.running());
}

QTEST_GUILESS_MAIN(tst_HookFilter)
#include "tst_hookfilter.moc"
