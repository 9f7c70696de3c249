#include "KeysetQuery.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

// Pages of a list's keys read by ranges of its order: walking both ways, skipping, counting a
// record's place, with missing values, ties and mixed directions in the order.
class tst_KeysetQuery final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void readTail_data();
    void readTail();
    void pagesFollowTheOrder_data();
    void pagesFollowTheOrder();

private:
    QVector<qint64> plainOrder(const QString& where, const QString& orderBy, const QVector<qint64>& excluded = {});
    QSqlDatabase m_db;
};

void tst_KeysetQuery::initTestCase()
{
    m_db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"keyset"_s);
    m_db.setDatabaseName(u":memory:"_s);
    QVERIFY(m_db.open());
    QSqlQuery q(m_db);
    QVERIFY(q.exec(u"CREATE TABLE t (id INTEGER PRIMARY KEY, a TEXT, b INTEGER)"_s));
    // Ties, missing values in either term, letter case apart.
    const char* rows[] = { "1, 'Ali', 3", "2, NULL, 2", "3, 'ali', 1", "4, 'Can', NULL", "5, 'Ali', 3", "6, NULL, NULL",
        "7, 'Bora', 2", "8, 'can', 5", "9, 'Ali', NULL", "10, 'Deniz', 2", "11, NULL, 7", "12, 'Bora', 2" };
    for (const char* row : rows)
        QVERIFY(q.exec(u"INSERT INTO t VALUES (%1)"_s.arg(QLatin1String(row))));
}

void tst_KeysetQuery::cleanupTestCase()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"keyset"_s);
}

void tst_KeysetQuery::readTail_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QStringList>("terms"); // each "sql|asc" or "sql|desc"
    QTest::newRow("empty") << QString() << true << QString() << QStringList();
    QTest::newRow("condition only") << u"where b > 1"_s << true << u"b > 1"_s << QStringList();
    QTest::newRow("order only") << u"ORDER BY a DESC, id desc"_s << true << QString()
                                << QStringList { u"a|desc"_s, u"id|desc"_s };
    QTest::newRow("condition and expressions")
        << u"where (a = 'x, y' or b = 2)\n order by replace(lower(a), 'ç', 'c{') asc, b"_s << true
        << u"(a = 'x, y' or b = 2)"_s << QStringList { u"replace(lower(a), 'ç', 'c{')|asc"_s, u"b|asc"_s };
    QTest::newRow("a limit") << u"order by a limit 5"_s << false << QString() << QStringList();
    QTest::newRow("grouped") << u"group by a"_s << false << QString() << QStringList();
    QTest::newRow("a join") << u"join u on u.id = t.id"_s << false << QString() << QStringList();
    QTest::newRow("a subquery") << u"where id in (select id from u)"_s << false << QString() << QStringList();
    QTest::newRow("by column number") << u"order by 2"_s << false << QString() << QStringList();
    QTest::newRow("missing values last going up") << u"order by a nulls last"_s << false << QString() << QStringList();
    QTest::newRow("missing values first going down")
        << u"order by a desc nulls first"_s << false << QString() << QStringList();
    QTest::newRow("missing values where they sort anyway")
        << u"where b > 1 order by a nulls first, b DESC NULLS LAST"_s << true << u"b > 1"_s
        << QStringList { u"a|asc"_s, u"b|desc"_s };
    QTest::newRow("missing values in the condition")
        << u"where a is not null or nulls = 1 order by a"_s << false << QString() << QStringList();
    QTest::newRow("another table") << u", u where t.id = u.id"_s << false << QString() << QStringList();
}

void tst_KeysetQuery::readTail()
{
    QFETCH(QString, tail);
    QFETCH(bool, read);
    QFETCH(QString, where);
    QFETCH(QStringList, terms);
    const std::optional<KeysetQuery::Tail> t = KeysetQuery::readTail(tail);
    QCOMPARE(t.has_value(), read);
    if (!t)
        return;
    QCOMPARE(t->where, where);
    QStringList got;
    for (const KeysetQuery::Term& term : t->order)
        got.append(term.sql + (term.descending ? u"|desc"_s : u"|asc"_s));
    QCOMPARE(got, terms);
}

QVector<qint64> tst_KeysetQuery::plainOrder(
    const QString& where, const QString& orderBy, const QVector<qint64>& excluded)
{
    QSqlQuery q(m_db);
    [&] {
        QVERIFY2(q.exec(u"SELECT id FROM t"_s + (where.isEmpty() ? QString() : u" WHERE "_s + where) + u" ORDER BY "_s
                     + orderBy),
            qPrintable(q.lastQuery()));
    }();
    QVector<qint64> keys;
    while (q.next())
        if (!excluded.contains(q.value(0).toLongLong()))
            keys.append(q.value(0).toLongLong());
    return keys;
}

void tst_KeysetQuery::pagesFollowTheOrder_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<QString>("plainOrderBy"); // the same order written out, the key last
    QTest::newRow("key only") << QString() << u"id"_s;
    QTest::newRow("text, missing first") << u"order by a"_s << u"a, id"_s;
    QTest::newRow("text descending, missing last") << u"order by a desc"_s << u"a DESC, id DESC"_s;
    QTest::newRow("two terms, one direction") << u"order by a desc, b desc"_s << u"a DESC, b DESC, id DESC"_s;
    QTest::newRow("mixed directions") << u"order by a, b desc"_s << u"a, b DESC, id DESC"_s;
    QTest::newRow("number first, text after") << u"order by b desc, a"_s << u"b DESC, a, id"_s;
    QTest::newRow("an expression") << u"order by lower(a) desc"_s << u"lower(a) DESC, id DESC"_s;
    QTest::newRow("with a condition") << u"where b > 1 or a is null order by a"_s << u"a, id"_s;
    QTest::newRow("key written in the order") << u"order by id desc"_s << u"id DESC"_s;
}

// Every page read after the last key of the one before, both ways, gives the list the plain
// statement gives; every record's counted place is its place in that list.
void tst_KeysetQuery::pagesFollowTheOrder()
{
    QFETCH(QString, tail);
    QFETCH(QString, plainOrderBy);
    const std::optional<KeysetQuery::Tail> t = KeysetQuery::readTail(tail);
    QVERIFY(t);
    const KeysetQuery keyset(u"t"_s, u"id"_s, t->where, {}, t->order);
    const QVector<qint64> expected = plainOrder(t->where, plainOrderBy);
    QVERIFY(!expected.isEmpty());

    for (const bool backward : { false, true }) {
        for (const int pageSize : { 1, 2, 5 }) {
            QVector<qint64> walked;
            KeysetQuery::Page page;
            page.backward = backward;
            page.limit = pageSize;
            for (int guard = 0; guard < 50; ++guard) {
                QVector<QVariantList> edges;
                const QVector<qint64> keys = keyset.keys(m_db, page, &edges);
                walked += keys;
                if (keys.size() < pageSize)
                    break;
                QCOMPARE(edges.size(), 2);
                page.anchor = edges.last();
            }
            if (backward)
                std::reverse(walked.begin(), walked.end());
            QCOMPARE(walked, expected);
        }
    }

    // A page skipped into, from the start and from a record.
    KeysetQuery::Page skipped;
    skipped.skip = 3;
    skipped.limit = 2;
    QCOMPARE(keyset.keys(m_db, skipped), expected.mid(3, 2));
    skipped.anchor = *keyset.anchorOf(m_db, expected.at(1), true);
    QCOMPARE(keyset.keys(m_db, skipped), expected.mid(5, 2));
    skipped.backward = true;
    skipped.anchor = *keyset.anchorOf(m_db, expected.last(), true);
    skipped.skip = 1;
    QVector<qint64> before = expected.mid(expected.size() - 4, 2);
    std::reverse(before.begin(), before.end());
    QCOMPARE(keyset.keys(m_db, skipped), before);

    for (int i = 0; i < expected.size(); ++i) {
        const std::optional<QVariantList> anchor = keyset.anchorOf(m_db, expected.at(i), true);
        QVERIFY(anchor);
        QCOMPARE(keyset.countBefore(m_db, *anchor, {}), i);
    }

    // Keys left out are neither read nor counted.
    const QVector<qint64> excluded { expected.first(), expected.at(expected.size() / 2) };
    KeysetQuery::Page all;
    all.limit = 100;
    all.excluded = excluded;
    QCOMPARE(keyset.keys(m_db, all), plainOrder(t->where, plainOrderBy, excluded));
    const std::optional<QVariantList> lastAnchor = keyset.anchorOf(m_db, expected.last(), true);
    QCOMPARE(keyset.countBefore(m_db, *lastAnchor, excluded), expected.size() - 1 - excluded.size());
    KeysetQuery::Page only;
    only.limit = 100;
    only.only = excluded;
    const QVector<qint64> onlyRead = keyset.keys(m_db, only);
    QCOMPARE(QSet<qint64>(onlyRead.cbegin(), onlyRead.cend()), QSet<qint64>(excluded.cbegin(), excluded.cend()));
}

QTEST_GUILESS_MAIN(tst_KeysetQuery)
#include "tst_keysetquery.moc"
