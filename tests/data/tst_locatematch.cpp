#include "Field.h"
#include "LocateMatch.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

// Locate's comparison of one field: in memory and as SQL, which must agree.
class tst_LocateMatch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void matchesAgreeWithSql_data();
    void matchesAgreeWithSql();
    void unreadableWantedValue();
};

void tst_LocateMatch::initTestCase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"locate"_s);
    db.setDatabaseName(u":memory:"_s);
    QVERIFY(db.open());
    QVERIFY(QSqlQuery(db).exec(u"CREATE TABLE t (\"adi\" TEXT, \"kilo\" REAL, \"tarih\" TEXT)"_s));
}

void tst_LocateMatch::cleanupTestCase()
{
    QSqlDatabase::database(u"locate"_s).close();
    QSqlDatabase::removeDatabase(u"locate"_s);
}

void tst_LocateMatch::matchesAgreeWithSql_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("wanted");
    QTest::addColumn<bool>("prefix");
    QTest::addColumn<bool>("match");
    QTest::newRow("letter case") << u"adi"_s << QVariant(u"ALİ"_s) << QVariant(u"ali"_s) << false << true;
    QTest::newRow("dotless and dotted i differ")
        << u"adi"_s << QVariant(u"ILGIN"_s) << QVariant(u"ilgin"_s) << false << false;
    QTest::newRow("dotless i") << u"adi"_s << QVariant(u"IŞIK"_s) << QVariant(u"ışık"_s) << false << true;
    QTest::newRow("whole value only") << u"adi"_s << QVariant(u"Ali Can"_s) << QVariant(u"ali"_s) << false << false;
    QTest::newRow("prefix") << u"adi"_s << QVariant(u"Şükrü"_s) << QVariant(u"şük"_s) << true << true;
    QTest::newRow("prefix is the whole value") << u"adi"_s << QVariant(u"Can"_s) << QVariant(u"CAN"_s) << true << true;
    QTest::newRow("prefix not inside") << u"adi"_s << QVariant(u"Aşkın"_s) << QVariant(u"şk"_s) << true << false;
    QTest::newRow("empty prefix takes all") << u"adi"_s << QVariant(u"Ece"_s) << QVariant(QString()) << true << true;
    QTest::newRow("empty text finds none") << u"adi"_s << QVariant() << QVariant(QString()) << false << true;
    QTest::newRow("empty text finds empty") << u"adi"_s << QVariant(u""_s) << QVariant(QString()) << false << true;
    QTest::newRow("number by value") << u"kilo"_s << QVariant(3.5) << QVariant(u"3,50"_s) << false << true;
    QTest::newRow("other number") << u"kilo"_s << QVariant(3.5) << QVariant(u"3,6"_s) << false << false;
    QTest::newRow("empty number finds none") << u"kilo"_s << QVariant() << QVariant(QString()) << false << true;
    QTest::newRow("empty number not a value") << u"kilo"_s << QVariant(0.0) << QVariant(QString()) << false << false;
    QTest::newRow("date as typed") << u"tarih"_s << QVariant(u"2024-03-05 00:00:00.000"_s) << QVariant(u"05.03.2024"_s)
                                   << false << true;
    QTest::newRow("other date") << u"tarih"_s << QVariant(u"2024-03-05 00:00:00.000"_s) << QVariant(u"06.03.2024"_s)
                                << false << false;
}

void tst_LocateMatch::matchesAgreeWithSql()
{
    QFETCH(QString, column);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, wanted);
    QFETCH(bool, prefix);
    QFETCH(bool, match);
    const FieldType type = column == u"adi"_s ? FieldType::WideString
        : column == u"kilo"_s                 ? FieldType::Float
                                              : FieldType::DateTime;
    const Field field(nullptr, 0, column, type, 20);
    QCOMPARE(LocateMatch::matches(field, stored, wanted, prefix), match);

    QSqlDatabase db = QSqlDatabase::database(u"locate"_s);
    QSqlQuery q(db);
    QVERIFY(q.exec(u"DELETE FROM t"_s));
    QVERIFY(q.prepare(u"INSERT INTO t (\"%1\") VALUES (?)"_s.arg(column)));
    q.addBindValue(stored);
    QVERIFY(q.exec());
    QStringList conditions;
    QVariantMap binds;
    QVERIFY(LocateMatch::condition(field, wanted, prefix, u":l0"_s, conditions, binds));
    QVERIFY(
        q.prepare(u"SELECT count(*) FROM t WHERE "_s + (conditions.isEmpty() ? u"1"_s : conditions.join(u" AND "_s))));
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toInt() == 1, match);
}

// A wanted date or number that cannot be read: no record can match, and no test is written.
void tst_LocateMatch::unreadableWantedValue()
{
    QStringList conditions;
    QVariantMap binds;
    const Field kilo(nullptr, 0, u"kilo"_s, FieldType::Float, 0);
    const Field tarih(nullptr, 1, u"tarih"_s, FieldType::DateTime, 0);
    QVERIFY(!LocateMatch::condition(kilo, u"üç"_s, false, u":l0"_s, conditions, binds));
    QVERIFY(!LocateMatch::condition(tarih, u"31.02.2024"_s, false, u":l1"_s, conditions, binds));
    QVERIFY(conditions.isEmpty());
    QVERIFY(!LocateMatch::matches(kilo, 3.0, u"üç"_s, false));
}

QTEST_GUILESS_MAIN(tst_LocateMatch)
#include "tst_locatematch.moc"
