#include "Connection.h"
#include "DataSet.h"
#include "Field.h"
#include "TestDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

// The rows of a sorted list read by ranges of the list's order: every position shows the record
// listed there with the values the table holds, whatever the order (mixed directions, missing
// values, long runs of equal values across pages) and whatever another copy changed after the
// keys were read.
class tst_RowRange final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void rowsFollowTheOrder_data();
    void rowsFollowTheOrder();
    void anotherCopyChangedThePage_data();
    void anotherCopyChangedThePage();

private:
    struct Child {
        qint64 key = 0;
        QVariant name;
        QVariant surname;
        bool photo = false;
    };
    static constexpr int children = 700;

    void addChildren();
    std::optional<Child> stored(qint64 key);
    void compareRow(const DataSet& ds, int position, qint64 key);

    std::unique_ptr<TestDatabase> m_dir;
    std::unique_ptr<Connection> m_conn;
    QVector<Child> m_children;
};

void tst_RowRange::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    m_conn = std::make_unique<Connection>(m_dir->location(), u"test"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
    addChildren();
}

void tst_RowRange::cleanup()
{
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
    m_children.clear();
}

// Surnames in runs of 70 equal ones (so every page boundary falls inside a run), first names
// from three, some of either missing, a photo on every fourth child.
void tst_RowRange::addChildren()
{
    QSqlQuery q(m_conn->database());
    QVERIFY(m_conn->database().transaction());
    QVERIFY(q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, resim) VALUES (?, ?, ?, ?)"_s));
    for (int i = 0; i < children; ++i) {
        Child c;
        c.key = i + 1;
        c.name = i % 11 == 5 ? QVariant() : QVariant(u"Ad%1"_s.arg(i * 7 % 3));
        c.surname = i % 97 == 3 ? QVariant() : QVariant(u"Soy%1"_s.arg((i * 13 % children) / 70, 2, 10, QChar(u'0')));
        c.photo = i % 4 == 0;
        q.addBindValue(QString::number(i + 1));
        q.addBindValue(c.name.isNull() ? QVariant(QMetaType::fromType<QString>()) : c.name);
        q.addBindValue(c.surname.isNull() ? QVariant(QMetaType::fromType<QString>()) : c.surname);
        q.addBindValue(c.photo ? QVariant(QByteArray("JPEG")) : QVariant(QMetaType::fromType<QByteArray>()));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        m_children.append(c);
    }
    QVERIFY(m_conn->database().commit());
    QVERIFY(q.exec(u"SELECT max(hid) FROM hastasicil"_s) && q.next());
    QCOMPARE(q.value(0).toLongLong(), qint64(children));
}

std::optional<tst_RowRange::Child> tst_RowRange::stored(qint64 key)
{
    QSqlQuery q(m_conn->database());
    q.prepare(u"SELECT adi, soyadi, resim FROM hastasicil WHERE hid = ?"_s);
    q.addBindValue(key);
    if (!q.exec() || !q.next())
        return std::nullopt;
    return Child { key, q.value(0), q.value(1), !q.value(2).toByteArray().isEmpty() };
}

// The row shown at a position is the listed record's as the table holds it now.
void tst_RowRange::compareRow(const DataSet& ds, int position, qint64 key)
{
    const int hid = ds.FieldByName(u"hid"_s)->index();
    const int name = ds.FieldByName(u"adi"_s)->index();
    const int surname = ds.FieldByName(u"soyadi"_s)->index();
    const int photo = ds.FieldByName(u"resim"_s)->index();
    const std::optional<Child> child = stored(key);
    const QByteArray where = "position " + QByteArray::number(position) + ", key " + QByteArray::number(key);
    if (!child) {
        QVERIFY2(!ds.rawValueAt(position, hid).isValid(), where.constData());
        return;
    }
    QCOMPARE(ds.rawValueAt(position, hid).toLongLong(), key);
    QVERIFY2(ds.rawValueAt(position, name) == child->name, where.constData());
    QVERIFY2(ds.rawValueAt(position, surname) == child->surname, where.constData());
    QVERIFY2(ds.hasBlobAt(position, photo) == child->photo, where.constData());
}

void tst_RowRange::rowsFollowTheOrder_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("indexFields");
    // Per term: descending, and whether a missing value is the least (engine order).
    QTest::addColumn<QVector<bool>>("descending");
    QTest::addColumn<QString>("onlyName");
    QTest::newRow("surname descending, first name ascending")
        << u"select * from hastasicil order by soyadi desc, adi asc"_s << QString() << QVector<bool> { true, false }
        << QString();
    QTest::newRow("surname with missing ones, first name") << u"select * from hastasicil order by soyadi, adi"_s
                                                           << QString() << QVector<bool> { false, false } << QString();
    QTest::newRow("first name and surname descending") << u"select * from hastasicil order by adi desc, soyadi desc"_s
                                                       << QString() << QVector<bool> { true, true } << QString();
    QTest::newRow("one first name, by key descending")
        << u"select * from hastasicil where adi = 'Ad1' order by hid desc"_s << QString() << QVector<bool> {}
        << u"Ad1"_s;
    QTest::newRow("table by surname index fields") << QString() << u"soyadi"_s << QVector<bool> { false } << QString();
}

// Read as a grid shows it: a jump to the middle, down to the end, then from the start; every
// row comes from ranges of the list's order, none by its key.
void tst_RowRange::rowsFollowTheOrder()
{
    QFETCH(QString, statement);
    QFETCH(QString, indexFields);
    QFETCH(QVector<bool>, descending);
    QFETCH(QString, onlyName);

    QVector<Child> expected;
    for (const Child& c : std::as_const(m_children))
        if (onlyName.isEmpty() || c.name == onlyName)
            expected.append(c);
    const bool byName = statement.contains(u"order by adi"_s);
    const auto term
        = [byName](const Child& c, int i) { return (i == 0) == byName ? c.name.toString() : c.surname.toString(); };
    const auto missing = [byName](const Child& c, int i) { return ((i == 0) == byName ? c.name : c.surname).isNull(); };
    // Missing values first going up, last going down; equal ones by key, in the last term's direction.
    std::sort(expected.begin(), expected.end(), [&](const Child& a, const Child& b) {
        for (int i = 0; i < descending.size(); ++i) {
            if (missing(a, i) != missing(b, i))
                return missing(a, i) != descending.at(i);
            if (term(a, i) != term(b, i))
                return (term(a, i) < term(b, i)) != descending.at(i);
        }
        const bool keyDescending = descending.isEmpty() ? statement.contains(u"hid desc"_s) : descending.last();
        return (a.key < b.key) != keyDescending;
    });

    DataSet ds(u"liste"_s);
    if (statement.isEmpty()) {
        ds.setTableName(u"hastasicil"_s);
        ds.setIndexFieldNames(indexFields);
    } else {
        ds.setSQL(statement);
    }
    ds.Open();
    QCOMPARE(ds.rowCount(), int(expected.size()));
    const int n = int(expected.size());
    QVector<int> positions;
    for (int p = n / 2; p < n; ++p)
        positions.append(p);
    for (int p = 0; p < n / 2; ++p)
        positions.append(p);
    for (int p : std::as_const(positions)) {
        compareRow(ds, p, expected.at(p).key);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(ds.rowsReadByKey(), 0);
}

void tst_RowRange::anotherCopyChangedThePage_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("at");
    const QString bySurname = u"select * from hastasicil order by soyadi, adi"_s;
    // Records another copy stores among those listed: the range brings them, the list does not.
    QTest::newRow("records inserted inside the page")
        << bySurname
        << u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) SELECT 'y' || hid, adi, soyadi FROM hastasicil "
           "WHERE hid = :k"_s
        << 370;
    QTest::newRow("records deleted") << bySurname << u"DELETE FROM hastasicil WHERE hid = :k"_s << 360;
    QTest::newRow("the page's first record deleted") << bySurname << u"DELETE FROM hastasicil WHERE hid = :k"_s << 348;
    QTest::newRow("records moved to the end")
        << bySurname << u"UPDATE hastasicil SET soyadi = 'Zzz' WHERE hid = :k"_s << 380;
    QTest::newRow("the page's first record moved to the start")
        << bySurname << u"UPDATE hastasicil SET soyadi = 'Aaa', adi = 'Yeni' WHERE hid = :k"_s << 348;
    // Still shown where it was listed, with its new values, as when rows were read by key.
    QTest::newRow("records no longer meeting the condition")
        << u"select * from hastasicil where adi2 is null order by soyadi desc, adi"_s
        << u"UPDATE hastasicil SET adi2 = 'İkinci' WHERE hid = :k"_s << 400;
}

// The keys of the list are read, then another copy changes records listed after the rows read
// so far, then the grid walks on: each position still shows its listed record, as the table now
// holds it (nothing for a deleted one).
void tst_RowRange::anotherCopyChangedThePage()
{
    QFETCH(QString, statement);
    QFETCH(QString, change);
    QFETCH(int, at);
    DataSet ds(u"liste"_s);
    ds.setSQL(statement);
    ds.Open();
    compareRow(ds, 300, ds.keyAt(300));
    QVector<qint64> listed;
    for (int p = 300; p < 476; ++p)
        listed.append(ds.keyAt(p));

    Connection other(m_dir->location(), u"other"_s);
    QVERIFY(other.open());
    QSqlQuery q(other.database());
    // Five times, on the record listed there and the four after it.
    for (int i = 0; i < 5; ++i) {
        QVERIFY(q.prepare(change));
        q.bindValue(u":k"_s, listed.at(at - 300 + i * (change.startsWith(u"INSERT"_s) ? 0 : 1)));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    for (int p = 301; p < 476; ++p) {
        compareRow(ds, p, listed.at(p - 300));
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_GUILESS_MAIN(tst_RowRange)
#include "tst_rowrange.moc"
