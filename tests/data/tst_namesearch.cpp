#include "NameSearch.h"
#include "QueryPlan.h"
#include "RegistrySearch.h"
#include "Schema.h"
#include "TestDatabase.h"
#include "TurkishText.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_NameSearch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void findsWhatTheSearchFinds_data();
    void findsWhatTheSearchFinds();
    void shortTextsAreLeftToTheWalk_data();
    void shortTextsAreLeftToTheWalk();
    void followsChangesOfAnotherConnection_data();
    void followsChangesOfAnotherConnection();
    void answersFromTheIndex();

private:
    QSqlDatabase open(const QString& name);
    void exec(QSqlDatabase& db, const QString& sql, const QVariantList& binds = {});
    // Codes of the children the condition for typed selects, in key order.
    QStringList found(const QString& typed);
    // The index holds, for every record and no other, the text the sequential search looks in.
    void verifyIndexMatchesRecords();

    std::unique_ptr<TestDatabase> m_base;
    QSqlDatabase m_db;
    QSqlDatabase m_other;
    int m_counter = 0;
};

QSqlDatabase tst_NameSearch::open(const QString& name)
{
    QSqlDatabase db = m_base->open(u"%1-%2"_s.arg(name).arg(++m_counter));
    if (!db.isOpen())
        qFatal("cannot open test database: %s", qPrintable(db.lastError().text()));
    return db;
}

void tst_NameSearch::exec(QSqlDatabase& db, const QString& sql, const QVariantList& binds)
{
    QSqlQuery q(db);
    QVERIFY2(q.prepare(sql), qPrintable(q.lastError().text()));
    for (const QVariant& v : binds)
        q.addBindValue(v);
    QVERIFY2(q.exec(), qPrintable(sql + u": "_s + q.lastError().text()));
}

QStringList tst_NameSearch::found(const QString& typed)
{
    QVariantMap binds;
    const QString condition = NameSearch::condition(typed, binds, SqlDialect::of(m_db));
    if (condition.isEmpty())
        qFatal("no condition for %s", qPrintable(typed));
    QSqlQuery q(m_db);
    if (!q.prepare(u"SELECT hasta_kodu FROM hastasicil WHERE "_s + condition + u" ORDER BY hid"_s))
        qFatal("%s", qPrintable(q.lastError().text()));
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        q.bindValue(it.key(), it.value());
    if (!q.exec())
        qFatal("%s", qPrintable(q.lastError().text()));
    QStringList codes;
    while (q.next())
        codes << q.value(0).toString();
    return codes;
}

void tst_NameSearch::verifyIndexMatchesRecords()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"SELECT hid, adi, soyadi, adi2 FROM hastasicil ORDER BY hid"_s));
    QStringList expected;
    while (q.next())
        expected << q.value(0).toString() + u':'
                + RegistrySearch::searchText(q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
    // SQLite's index is a table of its own; PostgreSQL's holds the names' expression.
    QVERIFY(q.exec(TestDatabase::postgresqlChosen() ? u"SELECT hid, %1 FROM hastasicil ORDER BY hid"_s.arg(
                       NameSearch::namesSql(u"hastasicil"_s, SqlDialect::of(m_db)))
                                                    : u"SELECT rowid, adlar FROM hastasicil_ara ORDER BY rowid"_s));
    QStringList indexed;
    while (q.next())
        indexed << q.value(0).toString() + u':' + q.value(1).toString();
    QCOMPARE(indexed, expected);
}

void tst_NameSearch::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_base = std::make_unique<TestDatabase>();
    QVERIFY2(m_base->error().isEmpty(), qPrintable(m_base->error()));
    m_db = open(u"program"_s);
    Schema::ensure(m_db);
    m_other = open(u"other"_s);
}

void tst_NameSearch::cleanup()
{
    for (QSqlDatabase* db : { &m_db, &m_other }) {
        const QString name = db->connectionName();
        db->close();
        *db = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }
    m_base.reset();
}

void tst_NameSearch::findsWhatTheSearchFinds_data()
{
    QTest::addColumn<QVariant>("adi");
    QTest::addColumn<QVariant>("soyadi");
    QTest::addColumn<QVariant>("adi2");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matches");

    const QVariant none = QVariant(QMetaType::fromType<QString>());
    QTest::newRow("capitals typed") << QVariant(u"Ali"_s) << QVariant(u"Kaya"_s) << none << u"ALİ"_s << true;
    QTest::newRow("capitals stored") << QVariant(u"ALİ"_s) << QVariant(u"KAYA"_s) << none << u"ali"_s << true;
    QTest::newRow("dotless I") << QVariant(u"Işık"_s) << QVariant(u"Kaya"_s) << none << u"IŞI"_s << true;
    QTest::newRow("dotless is not dotted") << QVariant(u"Işık"_s) << QVariant(u"Kaya"_s) << none << u"isi"_s << false;
    QTest::newRow("dotted capital") << QVariant(u"İsmail"_s) << QVariant(u"Kaya"_s) << none << u"ism"_s << true;
    QTest::newRow("I is not İ") << QVariant(u"İsmail"_s) << QVariant(u"Kaya"_s) << none << u"ISM"_s << false;
    QTest::newRow("Ş and Ğ") << QVariant(u"Ayşe"_s) << QVariant(u"DOĞAN"_s) << none << u"ŞE DOĞ"_s << true;
    QTest::newRow("spanning words") << QVariant(u"Ali"_s) << QVariant(u"Yılmaz"_s) << QVariant(u"Mehmet"_s)
                                    << u"yılmaz mehmet"_s << true;
    QTest::newRow("words in another order")
        << QVariant(u"Ali"_s) << QVariant(u"Yılmaz"_s) << QVariant(u"Mehmet"_s) << u"mehmet ali"_s << false;
    QTest::newRow("blanks around a name")
        << QVariant(u"  Ali\t"_s) << QVariant(u" Kaya "_s) << none << u" ali kaya "_s << true;
    QTest::newRow("missing names are empty") << none << QVariant(u"Kaya"_s) << QVariant(u""_s) << u"kaya"_s << true;
    QTest::newRow("circumflex capital kept") << QVariant(u"ÂDEM"_s) << QVariant(u"Kaya"_s) << none << u"âde"_s << false;
    QTest::newRow("circumflex capital typed") << QVariant(u"ÂDEM"_s) << QVariant(u"Kaya"_s) << none << u"ÂDE"_s << true;
    QTest::newRow("other letters kept") << QVariant(u"Élodie"_s) << QVariant(u"Kaya"_s) << none << u"élo"_s << false;
    QTest::newRow("quote mark") << QVariant(u"Ali"_s) << QVariant(u"O\"Neil"_s) << none << u"o\"ne"_s << true;
    QTest::newRow("percent is a letter") << QVariant(u"Ali"_s) << QVariant(u"Kaya"_s) << none << u"k%a"_s << false;
    QTest::newRow("star is a letter") << QVariant(u"Ali"_s) << QVariant(u"Kaya"_s) << none << u"kay*"_s << false;
    QTest::newRow("OR is a word") << QVariant(u"Ali"_s) << QVariant(u"Kaya"_s) << none << u"ali OR kaya"_s << false;
    QTest::newRow("no such name") << QVariant(u"Ali"_s) << QVariant(u"Kaya"_s) << none << u"zeynep"_s << false;
}

// The condition selects a child exactly when the sequential search's own comparison does.
void tst_NameSearch::findsWhatTheSearchFinds()
{
    QFETCH(QVariant, adi);
    QFETCH(QVariant, soyadi);
    QFETCH(QVariant, adi2);
    QFETCH(QString, typed);
    QFETCH(bool, matches);

    exec(m_other, u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, adi2) VALUES ('7', ?, ?, ?)"_s,
        { adi, soyadi, adi2 });
    const QString text = RegistrySearch::searchText(adi.toString(), soyadi.toString(), adi2.toString());
    QCOMPARE(text.contains(TurkishText::kucukharf(typed)), matches);
    QCOMPARE(found(typed), matches ? QStringList { u"7"_s } : QStringList());
}

void tst_NameSearch::shortTextsAreLeftToTheWalk_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("answered");
    QTest::newRow("empty") << u""_s << false;
    QTest::newRow("blanks") << u"    "_s << false;
    QTest::newRow("one letter") << u"a"_s << false;
    QTest::newRow("two letters") << u"ab"_s << false;
    QTest::newRow("two letters among blanks") << u"  Ab  "_s << false;
    QTest::newRow("two Turkish letters") << u"ış"_s << false;
    QTest::newRow("two letters, one outside the plane") << u"a\U0001F600"_s << false;
    QTest::newRow("three letters") << u"abc"_s << true;
    QTest::newRow("three Turkish letters") << u"IŞI"_s << true;
    QTest::newRow("three letters, one outside the plane") << u"a\U0001F600b"_s << true;
}

void tst_NameSearch::shortTextsAreLeftToTheWalk()
{
    QFETCH(QString, typed);
    QFETCH(bool, answered);
    QVariantMap binds;
    const QString condition = NameSearch::condition(typed, binds, SqlDialect::of(m_db));
    QCOMPARE(!condition.isEmpty(), answered);
    QCOMPARE(binds.size(), answered ? 1 : 0);
}

void tst_NameSearch::followsChangesOfAnotherConnection_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("insert") << u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('4', 'Zeynep', 'KAYA')"_s
                            << u"kaya"_s << QStringList { u"2"_s, u"3"_s, u"4"_s };
    QTest::newRow("surname changed, old")
        << u"UPDATE hastasicil SET soyadi = 'Şen' WHERE hasta_kodu = '2'"_s << u"kaya"_s << QStringList { u"3"_s };
    QTest::newRow("surname changed, new")
        << u"UPDATE hastasicil SET soyadi = 'Şen' WHERE hasta_kodu = '2'"_s << u"ayşe şen"_s << QStringList { u"2"_s };
    QTest::newRow("second name changed") << u"UPDATE hastasicil SET adi2 = 'Gül' WHERE hasta_kodu = '1'"_s
                                         << u"yılmaz gül"_s << QStringList { u"1"_s };
    QTest::newRow("code changed") << u"UPDATE hastasicil SET hasta_kodu = '20' WHERE hasta_kodu = '2'"_s << u"ayşe"_s
                                  << QStringList { u"20"_s };
    QTest::newRow("key changed") << u"UPDATE hastasicil SET hid = 50 WHERE hasta_kodu = '1'"_s << u"ali"_s
                                 << QStringList { u"3"_s, u"1"_s };
    QTest::newRow("other field changed") << u"UPDATE hastasicil SET anne = 'Fatma' WHERE hasta_kodu = '3'"_s
                                         << u"kaya can"_s << QStringList { u"3"_s };
    QTest::newRow("deleted") << u"DELETE FROM hastasicil WHERE hasta_kodu = '3'"_s << u"kaya"_s
                             << QStringList { u"2"_s };
    QTest::newRow("written over") << u"INSERT INTO hastasicil (hid, hasta_kodu, adi, soyadi) "
                                     u"VALUES (1, '1', 'Veli', 'Kaya') ON CONFLICT (hid) DO UPDATE SET "
                                     u"hasta_kodu = excluded.hasta_kodu, adi = excluded.adi, soyadi = excluded.soyadi"_s
                                  << u"kaya"_s << QStringList { u"1"_s, u"2"_s, u"3"_s };
    // SQLite's own way: the old row is deleted and the new one inserted, with no delete trigger.
    if (!TestDatabase::postgresqlChosen())
        QTest::newRow("replaced") << u"INSERT OR REPLACE INTO hastasicil (hid, hasta_kodu, adi, soyadi) "
                                     u"VALUES (1, '1', 'Veli', 'Kaya')"_s
                                  << u"kaya"_s << QStringList { u"1"_s, u"2"_s, u"3"_s };
}

// Another copy of the program (or any client) changes the registry; the index follows.
void tst_NameSearch::followsChangesOfAnotherConnection()
{
    QFETCH(QString, change);
    QFETCH(QString, typed);
    QFETCH(QStringList, codes);

    exec(m_db,
        u"INSERT INTO hastasicil (hid, hasta_kodu, adi, soyadi, adi2) VALUES (1, '1', 'Ali', 'Yılmaz', NULL), "
        u"(2, '2', 'Ayşe', 'Kaya', NULL), (3, '3', 'Mehmet Ali', 'Kaya', 'Can')"_s);
    exec(m_other, change);
    QCOMPARE(found(typed), codes);
    verifyIndexMatchesRecords();
}

void tst_NameSearch::answersFromTheIndex()
{
    QVariantMap binds;
    const QString plan = QueryPlan::of(m_db,
        u"SELECT hid FROM hastasicil WHERE "_s + NameSearch::condition(u"yılmaz"_s, binds, SqlDialect::of(m_db)),
        binds);
    if (TestDatabase::postgresqlChosen()) {
        QVERIFY2(QueryPlan::readsIndex(plan, NameSearch::indexTable()), qPrintable(plan));
        return;
    }
    QVERIFY2(plan.contains(u"VIRTUAL TABLE INDEX"_s), qPrintable(plan));
    QVERIFY2(plan.contains(u"SEARCH hastasicil USING INTEGER PRIMARY KEY"_s), qPrintable(plan));
}

QTEST_GUILESS_MAIN(tst_NameSearch)
#include "tst_namesearch.moc"
