#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "Field.h"
#include "TestDatabase.h"
#include "WriteBatch.h"

#include <QSqlQuery>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Records stored by one command in one transaction.
class tst_WriteBatch final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void recordsArriveTogether_data();
    void recordsArriveTogether();

private:
    // Rows of asitakip2 as another workstation sees them.
    int rowsSeenElsewhere();

    std::unique_ptr<TestDatabase> m_dir;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<Connection> m_other;
};

void tst_WriteBatch::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    const QString file = m_dir->location();
    m_conn = std::make_unique<Connection>(file, u"batch"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    m_other = std::make_unique<Connection>(file, u"other"_s);
    QVERIFY2(m_other->open(), qPrintable(m_other->lastError()));
    Connection::setDefaultConnection(m_conn.get());
}

void tst_WriteBatch::cleanup()
{
    Connection::setDefaultConnection(nullptr);
    m_other.reset();
    m_conn.reset();
    m_dir.reset();
}

int tst_WriteBatch::rowsSeenElsewhere()
{
    QSqlQuery q(m_other->database());
    if (!q.exec(u"SELECT count(*) FROM asitakip2"_s) || !q.next())
        return -1;
    return q.value(0).toInt();
}

void tst_WriteBatch::recordsArriveTogether_data()
{
    QTest::addColumn<int>("refusedRow");
    QTest::addColumn<bool>("throwOut");
    QTest::addColumn<QStringList>("stored");

    QTest::newRow("all three") << -1 << false << QStringList { u"A"_s, u"B"_s, u"C"_s };
    QTest::newRow("the refused second is taken back alone") << 1 << false << QStringList { u"A"_s, u"C"_s };
    QTest::newRow("the command fails at the third") << 2 << true << QStringList { u"A"_s, u"B"_s };
}

void tst_WriteBatch::recordsArriveTogether()
{
    QFETCH(int, refusedRow);
    QFETCH(bool, throwOut);
    QFETCH(QStringList, stored);
    DataSet card(u"asi2Table"_s);
    card.setTableName(u"asitakip2"_s);
    card.Open();
    int row = 0;
    card.OnWrite = [&](DataSet&, const QVector<QVariant>&) {
        if (row == refusedRow)
            throw DataError(u"refused"_s);
    };
    try {
        const WriteBatch batch(card);
        const WriteBatch inner(card); // adds nothing
        for (const QString& name : { u"A"_s, u"B"_s, u"C"_s }) {
            card.Append();
            card.FieldByName(u"asiadi"_s)->setAsString(name);
            try {
                card.Post();
            } catch (const DataError&) {
                if (throwOut)
                    throw;
                card.Cancel();
            }
            ++row;
            // Nothing reaches the file before the batch ends.
            QCOMPARE(rowsSeenElsewhere(), 0);
        }
    } catch (const DataError&) {
        QVERIFY(throwOut);
    }
    QStringList names;
    QSqlQuery q(m_other->database());
    QVERIFY(q.exec(u"SELECT asiadi FROM asitakip2 ORDER BY asid"_s));
    while (q.next())
        names.append(q.value(0).toString());
    QCOMPARE(names, stored);
    // Single stores write at once again.
    card.Cancel();
    card.Append();
    card.FieldByName(u"asiadi"_s)->setAsString(u"D"_s);
    row = -2;
    card.Post();
    QCOMPARE(rowsSeenElsewhere(), int(stored.size()) + 1);
}

QTEST_GUILESS_MAIN(tst_WriteBatch)
#include "tst_writebatch.moc"
