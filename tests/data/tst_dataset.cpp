#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "TestDatabase.h"
#include "WriteBatch.h"

#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

// The data-set layer against a real clinic database file.
class tst_DataSet final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void appendThenLeaveStoresNothing();
    void appendPostAssignsKeyAndKeepsOrder();
    void beforePostCanRefuse();
    void masterLinkFollowsAndCompletesPendingDetail();
    void masterLinkCopiesValueWithoutModified();
    void locate_data();
    void locate();
    void locateSurnamePrefixNeedsWholeFirstName();
    void masterLinkWithFilterText_data();
    void masterLinkWithFilterText();
    void recordCountIgnoresHookFilter();
    void recordCountAfterDelete_data();
    void recordCountAfterDelete();
    void hookFilterReadsOnlyWhatItNeeds();
    void filterTextOnReferenceTable();
    void nullValuesRead();
    void badValuesAreRefused_data();
    void badValuesAreRefused();
    void postOutsideEditFails();
    void deleteRules();
    void apostropheCodeInBoundQuery();
    void staticCursorIsSnapshot();
    void anotherCopyChangedTheRecord();
    void anotherCopyDeletedTheRecord();
    void writeHookRollsBackWithRecord();
    void cacheStaysBoundedAndPicturesLoadOnDemand();
    void pictureStoredWithoutReadingIt_data();
    void pictureStoredWithoutReadingIt();
    void refreshKeepsCurrentRecord();
    void columnsReadLazilyStayCorrect();
    void displayFormats_data();
    void maskedTextStoredAnyWay_data();
    void cancelAfterConflictShowsStoredRecord_data();
    void cancelAfterConflictShowsStoredRecord();
    void recordsOfAnotherCopyAreReached_data();
    void textsSortInTurkishOrder_data();
    void textsSortInTurkishOrder();
    void recordsOfAnotherCopyAreReached();
    void maskedTextStoredAnyWay();
    void displayFormats();
    void disableControlsHoldsNotices();
    void maskedTextShownWithLiterals();
    void conditionNarrowsWhileFiltered_data();
    void conditionNarrowsWhileFiltered();
    void locateNextFollowsTheOrder_data();
    void locateNextFollowsTheOrder();
    void longListOpensWithoutReadingEveryKey_data();
    void longListOpensWithoutReadingEveryKey();
    void farMovesReadOnlyPages_data();
    void farMovesReadOnlyPages();
    void deletingARecordFoundByKey_data();
    void deletingARecordFoundByKey();
    void savedChangesKeepEveryRow_data();
    void savedChangesKeepEveryRow();
    void lostServerConnection_data();
    void lostServerConnection();
    void lostServerConnectionEndsTheBatch();

private:
    void addChildren(int count, const QString& namePrefix = u"Ad"_s);
    int countRows(const QString& table, const QString& where = QString(), const QVariantList& binds = {});
    // The server ends the session of the connection the data sets use, as an administrator would.
    void endServerSession();
    // Opens a long list of children as a table or a statement; their keys in the plain order.
    // The children's keys in a plain statement's order (its condition and terms as plain SQL).
    QVector<int> plainKeys(const QString& plainWhere, const QString& plainOrder);
    QVector<int> openLongList(DataSet& ds, const QString& statement, const QString& indexFields,
        const QString& plainWhere, const QString& plainOrder);

    std::unique_ptr<TestDatabase> m_dir;
    std::unique_ptr<Connection> m_conn;
};

void tst_DataSet::init()
{
    if (TestDatabase::serverMissing())
        QSKIP("PostgreSQL chosen without a server (PEDIAKAY_TEST_POSTGRES)");
    m_dir = std::make_unique<TestDatabase>();
    QVERIFY2(m_dir->error().isEmpty(), qPrintable(m_dir->error()));
    m_conn = std::make_unique<Connection>(m_dir->location(), u"test"_s);
    QVERIFY2(m_conn->open(), qPrintable(m_conn->lastError()));
    Connection::setDefaultConnection(m_conn.get());
}

void tst_DataSet::cleanup()
{
    Connection::setDefaultConnection(nullptr);
    m_conn.reset();
    m_dir.reset();
}

void tst_DataSet::addChildren(int count, const QString& namePrefix)
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"BEGIN"_s));
    QVERIFY(q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES (?, ?, ?)"_s));
    for (int i = 1; i <= count; ++i) {
        q.addBindValue(QString::number(i));
        q.addBindValue(namePrefix + QString::number(i));
        q.addBindValue(u"Soyad"_s + QString::number(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }
    QVERIFY(q.exec(u"COMMIT"_s));
}

int tst_DataSet::countRows(const QString& table, const QString& where, const QVariantList& binds)
{
    QSqlQuery q(m_conn->database());
    q.prepare(u"SELECT count(*) FROM "_s + table + (where.isEmpty() ? QString() : u" WHERE "_s + where));
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toInt();
}

void tst_DataSet::appendThenLeaveStoresNothing()
{
    addChildren(3);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    ds.Open();
    QCOMPARE(ds.RecordCount(), 3);
    ds.Append();
    QCOMPARE(ds.State(), dsInsert);
    QVERIFY(!ds.Modified());
    QCOMPARE(ds.rowCount(), 4);
    ds.First();
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(ds.rowCount(), 3);
    QCOMPARE(countRows(u"hastasicil"_s), 3);

    // Typed values are stored when the record is left.
    ds.Append();
    ds.FieldByName(u"hasta_kodu"_s)->setAsString(u"4"_s);
    QVERIFY(ds.Modified());
    ds.First();
    QCOMPARE(countRows(u"hastasicil"_s), 4);
    QCOMPARE(ds.RecordCount(), 4);
}

void tst_DataSet::appendPostAssignsKeyAndKeepsOrder()
{
    addChildren(2);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    ds.Open();
    QSignalSpy after(&ds, &DataSet::stateChanged);
    int afterPost = 0;
    ds.AfterPost = [&](DataSet&) { ++afterPost; };
    ds.Append();
    ds.FieldByName(u"hasta_kodu"_s)->setAsString(u"3"_s);
    ds.FieldByName(u"adi"_s)->setAsString(u"Çağrı"_s);
    ds.Post();
    QCOMPARE(afterPost, 1);
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(ds.RecNo(), 3);
    QCOMPARE(ds.FieldByName(u"hid"_s)->AsInteger(), 3);
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Çağrı"_s);
    ds.First();
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"1"_s);
    ds.Last();
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"3"_s);
    QVERIFY(ds.Eof());
    QVERIFY(after.count() >= 2);
}

void tst_DataSet::beforePostCanRefuse()
{
    DataSet sifre(u"sifreTable"_s);
    sifre.setTableName(u"sifre"_s);
    sifre.setIndexName(u"PrimaryKey"_s);
    sifre.BeforePost = [](DataSet& ds) {
        if (ds.FieldByName(u"kullanici"_s)->AsString().isEmpty())
            ds.Cancel();
    };
    sifre.Open();
    sifre.Append();
    sifre.FieldByName(u"sifre"_s)->setAsString(u"gizli"_s);
    sifre.Post();
    QCOMPARE(sifre.State(), dsBrowse);
    QCOMPARE(countRows(u"sifre"_s), 0);
    QCOMPARE(sifre.RecordCount(), 0);

    sifre.Append();
    sifre.FieldByName(u"kullanici"_s)->setAsString(u"ayse"_s);
    sifre.Post();
    QCOMPARE(countRows(u"sifre"_s), 1);

    // Clearing the name of a stored account leaves the stored row unchanged.
    sifre.Edit();
    sifre.FieldByName(u"kullanici"_s)->setAsString(QString());
    sifre.Post();
    QCOMPARE(countRows(u"sifre"_s, u"kullanici = 'ayse'"_s), 1);
    QCOMPARE(sifre.FieldByName(u"kullanici"_s)->AsString(), u"ayse"_s);
}

void tst_DataSet::masterLinkFollowsAndCompletesPendingDetail()
{
    addChildren(2);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, kilo) VALUES ('1', 10), ('1', 11), ('2', 20)"_s));

    DataSet sicil(u"sicilTable"_s);
    sicil.setTableName(u"hastasicil"_s);
    sicil.setIndexName(u"PrimaryKey"_s);
    DataSource sicilSource(u"sicilSource"_s, &sicil);
    DataSet muayene(u"muayeneTable"_s);
    muayene.setTableName(u"muayene"_s);
    muayene.setIndexFieldNames(u"hastakodu"_s);
    muayene.setMasterSource(&sicilSource);
    muayene.setMasterFields(u"hasta_kodu"_s);
    int hookRuns = 0;
    muayene.BeforePost = [&](DataSet&) { ++hookRuns; };

    sicil.Open();
    muayene.Open();
    QCOMPARE(muayene.RecordCount(), 2);
    QCOMPARE(muayene.FieldByName(u"kilo"_s)->AsFloat(), 10.0);
    sicil.Next();
    QCOMPARE(muayene.RecordCount(), 1);
    QCOMPARE(muayene.FieldByName(u"kilo"_s)->AsFloat(), 20.0);

    // A typed but unstored change of the detail is stored, with its hook, when the master moves.
    muayene.Edit();
    muayene.FieldByName(u"kilo"_s)->setAsString(u"21,5"_s);
    sicil.First();
    QCOMPARE(hookRuns, 1);
    QCOMPARE(muayene.State(), dsBrowse);
    QCOMPARE(countRows(u"muayene"_s, u"kilo = 21.5"_s), 1);
    QCOMPARE(muayene.RecNo(), 1);
    QCOMPARE(muayene.RecordCount(), 2);

    // A refused store keeps the master where it was.
    muayene.Edit();
    muayene.FieldByName(u"boy"_s)->setAsString(u"abc"_s);
    QVERIFY_THROWS_EXCEPTION(DataError, sicil.Next());
    QCOMPARE(sicil.RecNo(), 1);
    QCOMPARE(muayene.State(), dsEdit);
    QCOMPARE(muayene.FieldByName(u"boy"_s)->AsString(), u"abc"_s);
    muayene.Cancel();
}

void tst_DataSet::masterLinkCopiesValueWithoutModified()
{
    addChildren(1);
    DataSet sicil(u"sicilTable"_s);
    sicil.setTableName(u"hastasicil"_s);
    DataSource src(u"sicilSource"_s, &sicil);
    DataSet muayene(u"muayeneTable"_s);
    muayene.setTableName(u"muayene"_s);
    muayene.setIndexFieldNames(u"hastakodu"_s);
    muayene.setMasterSource(&src);
    muayene.setMasterFields(u"hasta_kodu"_s);
    sicil.Open();
    muayene.Open();
    muayene.Append();
    QCOMPARE(muayene.FieldByName(u"hastakodu"_s)->AsString(), u"1"_s);
    QVERIFY(!muayene.Modified());
    muayene.FieldByName(u"kilo"_s)->setAsFloat(3.2);
    muayene.Post();
    QCOMPARE(countRows(u"muayene"_s, u"hastakodu = '1'"_s), 1);
}

void tst_DataSet::locate_data()
{
    QTest::addColumn<int>("children");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("partial");
    QTest::addColumn<QString>("expectedCode");

    // 5 children use the in-memory comparison, 300 the indexed search: both must agree.
    for (int n : { 5, 300 }) {
        const QByteArray tag = QByteArray::number(n);
        QTest::newRow(tag + " code whole") << n << u"hasta_kodu"_s << QVariantList { u"3"_s } << false << u"3"_s;
        QTest::newRow(tag + " code needs whole value")
            << n << u"hasta_kodu"_s << QVariantList { u"0"_s } << false << QString();
        QTest::newRow(tag + " name upper İ") << n << u"adi"_s << QVariantList { u"ALİ"_s } << false << u"2"_s;
        QTest::newRow(tag + " name lower i") << n << u"adi"_s << QVariantList { u"ali"_s } << false << u"2"_s;
        QTest::newRow(tag + " dotless I") << n << u"adi"_s << QVariantList { u"IŞIK"_s } << false << u"4"_s;
        QTest::newRow(tag + " I is not i") << n << u"adi"_s << QVariantList { u"ALI"_s } << false << QString();
        QTest::newRow(tag + " prefix") << n << u"adi"_s << QVariantList { u"ışı"_s } << true << u"4"_s;
        // A prefix may be the whole value, in any letter case.
        QTest::newRow(tag + " prefix is the whole name")
            << n << u"adi"_s << QVariantList { u"Işık"_s } << true << u"4"_s;
        QTest::newRow(tag + " whole name in capitals") << n << u"adi"_s << QVariantList { u"IŞIK"_s } << true << u"4"_s;
        QTest::newRow(tag + " whole name in small letters")
            << n << u"adi"_s << QVariantList { u"ışık"_s } << true << u"4"_s;
        QTest::newRow(tag + " whole name with İ") << n << u"adi"_s << QVariantList { u"ALİ"_s } << true << u"2"_s;
        QTest::newRow(tag + " whole name, first in order")
            << n << u"adi"_s << QVariantList { u"ayşe"_s } << true << u"3"_s;
        QTest::newRow(tag + " prefix one letter too long")
            << n << u"adi"_s << QVariantList { u"ışıkl"_s } << true << QString();
        QTest::newRow(tag + " two fields, whole surname")
            << n << u"adi;soyadi"_s << QVariantList { u"ayşe"_s, u"ÖZTÜRK"_s } << true << u"5"_s;
        QTest::newRow(tag + " dotted i is not ı") << n << u"adi"_s << QVariantList { u"işı"_s } << true << QString();
        QTest::newRow(tag + " prefix Ç") << n << u"soyadi"_s << QVariantList { u"ÇEL"_s } << true << u"3"_s;
        QTest::newRow(tag + " two fields")
            << n << u"adi;soyadi"_s << QVariantList { u"ayşe"_s, u"ö"_s } << true << u"5"_s;
        QTest::newRow(tag + " missing") << n << u"adi"_s << QVariantList { u"Zeynep"_s } << false << QString();
    }
}

void tst_DataSet::locate()
{
    QFETCH(int, children);
    QFETCH(QString, fields);
    QFETCH(QVariantList, values);
    QFETCH(bool, partial);
    QFETCH(QString, expectedCode);

    addChildren(children, u"X"_s);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Ali', soyadi = 'Yılmaz' WHERE hasta_kodu = '2'"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Ayşe', soyadi = 'Çelik' WHERE hasta_kodu = '3'"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Işık', soyadi = 'Kaya' WHERE hasta_kodu = '4'"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'AYŞE', soyadi = 'Öztürk' WHERE hasta_kodu = '5'"_s));

    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    ds.Open();
    ds.setRecNo(1);
    TLocateOptions options = LocateOption::loCaseInsensitive;
    if (partial)
        options |= LocateOption::loPartialKey;
    const bool found = ds.Locate(fields, values, options);
    QCOMPARE(found, !expectedCode.isEmpty());
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), expectedCode.isEmpty() ? u"1"_s : expectedCode);
}

void tst_DataSet::locateSurnamePrefixNeedsWholeFirstName()
{
    addChildren(2);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Ali Can', soyadi = 'Yıldız' WHERE hasta_kodu = '1'"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Ali', soyadi = 'Yıldız' WHERE hasta_kodu = '2'"_s));
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    QVERIFY(ds.Locate(u"adi;soyadi"_s, { u"ali"_s, u"y"_s }, LocateOption::loPartialKey));
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"2"_s);
    // Asked for, every field may match by its beginning.
    ds.First();
    QVERIFY(!ds.Locate(u"adi;soyadi"_s, { u"a"_s, u"y"_s }, LocateOption::loPartialKey));
    QVERIFY(
        ds.Locate(u"adi;soyadi"_s, { u"a"_s, u"y"_s }, LocateOption::loPartialKey | LocateOption::loPartialAllFields));
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"1"_s);
}

void tst_DataSet::masterLinkWithFilterText_data()
{
    QTest::addColumn<QString>("masterCode");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QList<double>>("weights");

    QTest::newRow("both match") << u"1"_s << u"kilo = 10"_s << QList<double> { 10 };
    QTest::newRow("filter matches another child only") << u"1"_s << u"kilo = 12"_s << QList<double> {};
    QTest::newRow("child has no such visit") << u"2"_s << u"kilo = 11"_s << QList<double> {};
    QTest::newRow("several of the child's visits") << u"2"_s << u"kilo >= 10"_s << QList<double> { 10, 12 };
    QTest::newRow("no child's visit matches") << u"1"_s << u"kilo > 50"_s << QList<double> {};
}

// A detail table shows the visits of the current child that also pass its filter text.
void tst_DataSet::masterLinkWithFilterText()
{
    QFETCH(QString, masterCode);
    QFETCH(QString, filter);
    QFETCH(QList<double>, weights);

    addChildren(3);
    QSqlQuery q(m_conn->database());
    // Codes unlike the record numbers: the link follows the code, nothing else.
    QVERIFY(q.exec(u"UPDATE hastasicil SET hasta_kodu = CASE hid WHEN 1 THEN '2' WHEN 2 THEN '3' ELSE '1' END"_s));
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, kilo) VALUES ('1', 10), ('1', 11), ('2', 10), ('2', 12), "
                   "('2', 9), ('3', 10)"_s));

    DataSet sicil(u"sicilTable"_s);
    sicil.setTableName(u"hastasicil"_s);
    sicil.setIndexName(u"PrimaryKey"_s);
    DataSource sicilSource(u"sicilSource"_s, &sicil);
    DataSet muayene(u"muayeneTable"_s);
    muayene.setTableName(u"muayene"_s);
    muayene.setIndexFieldNames(u"hastakodu"_s);
    muayene.setMasterSource(&sicilSource);
    muayene.setMasterFields(u"hasta_kodu"_s);
    muayene.setFilter(filter);
    muayene.setFiltered(true);
    sicil.Open();
    muayene.Open();
    QVERIFY(sicil.Locate(u"hasta_kodu"_s, masterCode, {}));

    QList<double> shown;
    for (muayene.First(); !muayene.Eof(); muayene.Next()) {
        QCOMPARE(muayene.FieldByName(u"hastakodu"_s)->AsString(), masterCode);
        shown.append(muayene.FieldByName(u"kilo"_s)->AsFloat());
    }
    QCOMPARE(shown, weights);
    QCOMPARE(muayene.RecordCount(), int(weights.size()));
    // A search keeps to the same records.
    QCOMPARE(muayene.Locate(u"hastakodu"_s, u"3"_s, {}), false);
}

void tst_DataSet::recordCountIgnoresHookFilter()
{
    addChildren(10);
    DataSet ds(u"sicrapQuery"_s);
    ds.setSQL(u"Select * from hastasicil Order By hid ASC;"_s);
    ds.OnFilterRecord = [](DataSet& d, bool& accept) { accept = d.FieldByName(u"hid"_s)->AsInteger() % 2 == 0; };
    ds.Open();
    ds.setFiltered(true);
    QCOMPARE(ds.rowCount(), 5);
    QCOMPARE(ds.RecordCount(), 10);
    QCOMPARE(ds.FieldByName(u"hid"_s)->AsInteger(), 2);
    ds.Next();
    QCOMPARE(ds.FieldByName(u"hid"_s)->AsInteger(), 4);
    ds.setFiltered(false);
    QCOMPARE(ds.rowCount(), 10);
    QCOMPARE(ds.RecNo(), 1);
}

void tst_DataSet::recordCountAfterDelete_data()
{
    QTest::addColumn<bool>("hook");
    QTest::addColumn<int>("children");
    QTest::addColumn<int>("countBefore");
    QTest::addColumn<int>("rowsBefore");

    // With the hook, the count is of the records before the hook; the filter text counts only
    // the records it lets through.
    QTest::newRow("hook, short list") << true << 10 << 10 << 5;
    QTest::newRow("hook, long list") << true << 300 << 300 << 150;
    QTest::newRow("filter text, short list") << false << 10 << 6 << 6;
    QTest::newRow("filter text, long list") << false << 300 << 296 << 296;
}

void tst_DataSet::recordCountAfterDelete()
{
    QFETCH(bool, hook);
    QFETCH(int, children);
    QFETCH(int, countBefore);
    QFETCH(int, rowsBefore);

    addChildren(children);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    if (hook)
        ds.OnFilterRecord = [](DataSet& d, bool& accept) { accept = d.FieldByName(u"hid"_s)->AsInteger() % 2 == 0; };
    else
        ds.setFilter(u"hid > 4"_s);
    ds.Open();
    ds.setFiltered(true);
    QCOMPARE(ds.RecordCount(), countBefore);
    QCOMPARE(ds.rowCount(), rowsBefore);

    ds.setRecNo(2);
    const int deletedHid = ds.FieldByName(u"hid"_s)->AsInteger();
    ds.Delete();
    QCOMPARE(countRows(u"hastasicil"_s, u"hid = ?"_s, { deletedHid }), 0);
    QCOMPARE(ds.RecordCount(), countBefore - 1);
    QCOMPARE(ds.rowCount(), rowsBefore - 1);
    ds.Delete();
    QCOMPARE(ds.RecordCount(), countBefore - 2);
    // Read again, the count stays the same.
    ds.Refresh();
    QCOMPARE(ds.RecordCount(), countBefore - 2);
    QCOMPARE(ds.rowCount(), rowsBefore - 2);
}

void tst_DataSet::hookFilterReadsOnlyWhatItNeeds()
{
    addChildren(5000);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"UPDATE hastasicil SET il = 'İzmir' WHERE hid % 1000 = 0"_s));
    DataSet ds(u"sicrapQuery"_s);
    ds.setSQL(u"Select * from hastasicil order by soyadi DESC"_s);
    // The hook reads a second field only for some rows: those rows must still see it.
    ds.OnFilterRecord = [](DataSet& d, bool& accept) {
        accept = d.FieldByName(u"il"_s)->AsString() == u"İzmir"_s;
        if (accept)
            accept = d.FieldByName(u"adi"_s)->AsString() != u"Ad3000"_s;
    };
    ds.Open();
    ds.setFiltered(true);
    QCOMPARE(ds.rowCount(), 4);
    QStringList names;
    for (ds.First(); !ds.Eof(); ds.Next())
        names.append(ds.FieldByName(u"adi"_s)->AsString());
    QCOMPARE(names, (QStringList { u"Ad5000"_s, u"Ad4000"_s, u"Ad2000"_s, u"Ad1000"_s }));
}

void tst_DataSet::filterTextOnReferenceTable()
{
    DataSet ff(u"ffTable1"_s);
    ff.setTableName(u"zkilobir"_s);
    ff.Open();
    const int all = ff.RecordCount();
    ff.setFilter(u"sex='1'"_s);
    ff.setFiltered(true);
    QVERIFY(ff.RecordCount() > 0);
    QVERIFY(ff.RecordCount() < all);
    for (ff.First(); !ff.Eof(); ff.Next())
        QCOMPARE(ff.FieldByName(u"Sex"_s)->AsFloat(), 1.0);
    ff.setFilter(u"sex='2'"_s);
    ff.First();
    QCOMPARE(ff.FieldByName(u"Sex"_s)->AsFloat(), 2.0);
    QCOMPARE(ff.FieldByName(u"Age"_s)->AsFloat(), 0.0);
    QVERIFY_THROWS_EXCEPTION(DataError, ff.setFilter(u"bogus=='"_s));

    // The filter text works on a query too, together with the query's own order.
    DataSet q(u"sicrapQuery"_s);
    q.setSQL(u"select * from zbas ORDER BY Age DESC"_s);
    q.setFilter(u"Sex='2'"_s);
    q.setFiltered(true);
    q.Open();
    QCOMPARE(q.FieldByName(u"Sex"_s)->AsFloat(), 2.0);
    QCOMPARE(q.FieldByName(u"Age"_s)->AsFloat(), 36.0);
    QCOMPARE(q.RecordCount(), 38);
}

void tst_DataSet::nullValuesRead()
{
    addChildren(1);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    Field* birth = ds.FieldByName(u"dogumtarihi"_s);
    birth->DisplayFormat = u"dd.mm.yyyy"_s;
    QVERIFY(birth->IsNull());
    QCOMPARE(birth->AsString(), QString());
    QCOMPARE(birth->DisplayText(), QString());
    QCOMPARE(birth->AsDateTime(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    QCOMPARE(ds.FieldByName(u"dogumkilo"_s)->AsFloat(), 0.0);
    QCOMPARE(ds.FieldByName(u"evpostakodu"_s)->AsInteger(), 0);
    QCOMPARE(ds.FieldByName(u"anne"_s)->AsString(), QString());
}

void tst_DataSet::badValuesAreRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("17-character code") << u"hasta_kodu"_s << u"12345678901234567"_s << u"16"_s;
    QTest::newRow("letters in a number") << u"dogumkilo"_s << u"üç kilo"_s << u"sayı"_s;
    QTest::newRow("grouped number") << u"dogumkilo"_s << u"1.234,5"_s << u"sayı"_s;
    QTest::newRow("letters in postcode") << u"evpostakodu"_s << u"34A00"_s << u"tam sayı"_s;
    QTest::newRow("impossible date") << u"dogumtarihi"_s << u"31.02.2012"_s << u"tarih"_s;
}

void tst_DataSet::badValuesAreRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, messagePart);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"adi"_s)->setAsString(u"Ali"_s);
    ds.FieldByName(field)->setAsString(value);
    try {
        ds.Post();
        QFAIL("the value was accepted");
    } catch (const DataError& e) {
        QVERIFY2(e.text().contains(messagePart), qPrintable(e.text()));
    }
    QCOMPARE(ds.State(), dsInsert);
    QCOMPARE(ds.FieldByName(field)->AsString(), value);
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Ali"_s);
    QCOMPARE(countRows(u"hastasicil"_s), 0);
}

void tst_DataSet::postOutsideEditFails()
{
    DataSet rec(u"recTable"_s);
    rec.setTableName(u"recete"_s);
    rec.Open();
    try {
        rec.Post();
        QFAIL("Post in browse state succeeded");
    } catch (const DataError& e) {
        QCOMPARE(e.text(), u"Dataset not in edit or insert mode"_s);
    }
    // Smallint range is checked before anything is written.
    rec.Append();
    rec.FieldByName(u"doz"_s)->setAsString(u"40000"_s);
    QVERIFY_THROWS_EXCEPTION(DataError, rec.Post());
    rec.FieldByName(u"doz"_s)->setAsString(u"32767"_s);
    rec.Post();
    QCOMPARE(countRows(u"recete"_s, u"doz = 32767"_s), 1);
}

void tst_DataSet::deleteRules()
{
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    QVERIFY_THROWS_EXCEPTION(DataError, ds.Delete());
    addChildren(3);
    ds.Refresh();
    ds.setRecNo(2);
    ds.Delete();
    QCOMPARE(countRows(u"hastasicil"_s), 2);
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"3"_s);
    ds.Append();
    ds.Delete(); // only drops the new record
    QCOMPARE(countRows(u"hastasicil"_s), 2);
    QCOMPARE(ds.State(), dsBrowse);
}

void tst_DataSet::apostropheCodeInBoundQuery()
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, tarih) VALUES ('O''Brien', '2012-03-20 10:00:00.000'),"
                   " ('O''Brien', '2012-04-20 10:00:00.000'), ('x', '2012-01-01 00:00:00.000')"_s));
    DataSet r(u"muayeneRQuery"_s);
    r.setStaticCursor(true);
    r.setSQL(u"select * from muayene where hastakodu=:kod\nORDER BY tarih DESC"_s);
    r.setParam(u"kod"_s, u"O'Brien"_s);
    r.Open();
    QCOMPARE(r.RecordCount(), 2);
    QCOMPARE(r.FieldByName(u"tarih"_s)->AsDateTime().date(), QDate(2012, 4, 20));
    r.Delete();
    QCOMPARE(countRows(u"muayene"_s, u"hastakodu = ?"_s, { u"O'Brien"_s }), 1);
}

void tst_DataSet::staticCursorIsSnapshot()
{
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, kilo) VALUES ('1', 10)"_s));
    DataSet r(u"muayeneRQuery"_s);
    r.setStaticCursor(true);
    r.setSQL(u"select * from muayene ORDER BY tarih DESC;"_s);
    r.Open();
    QVERIFY(q.exec(u"UPDATE muayene SET kilo = 99"_s));
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu, kilo) VALUES ('1', 12)"_s));
    QCOMPARE(r.RecordCount(), 1);
    QCOMPARE(r.FieldByName(u"kilo"_s)->AsFloat(), 10.0);
    r.Close();
    r.Open();
    QCOMPARE(r.RecordCount(), 2);
}

void tst_DataSet::anotherCopyChangedTheRecord()
{
    addChildren(1);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.Edit();
    ds.FieldByName(u"adi"_s)->setAsString(u"Benim"_s);

    Connection other(m_dir->location(), u"other"_s);
    QVERIFY(other.open());
    QSqlQuery q(other.database());
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Onun' WHERE hid = 1"_s));

    QVERIFY_THROWS_EXCEPTION(DataError, ds.Post());
    QCOMPARE(ds.State(), dsEdit);
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Benim"_s);
    QCOMPARE(countRows(u"hastasicil"_s, u"adi = 'Onun'"_s), 1);

    // A change of another column by the other copy does not block this one.
    ds.Cancel();
    ds.Refresh();
    ds.Edit();
    ds.FieldByName(u"soyadi"_s)->setAsString(u"Yeni"_s);
    QVERIFY(q.exec(u"UPDATE hastasicil SET il = 'Ankara' WHERE hid = 1"_s));
    ds.Post();
    QCOMPARE(countRows(u"hastasicil"_s, u"soyadi = 'Yeni' AND il = 'Ankara' AND adi = 'Onun'"_s), 1);
}

void tst_DataSet::anotherCopyDeletedTheRecord()
{
    addChildren(1);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.Edit();
    ds.FieldByName(u"adi"_s)->setAsString(u"Benim"_s);
    Connection other(m_dir->location(), u"other"_s);
    QVERIFY(other.open());
    QSqlQuery q(other.database());
    QVERIFY(q.exec(u"DELETE FROM hastasicil"_s));
    QVERIFY_THROWS_EXCEPTION(DataError, ds.Post());
    QCOMPARE(countRows(u"hastasicil"_s), 0);
    QCOMPARE(ds.State(), dsEdit);
}

void tst_DataSet::writeHookRollsBackWithRecord()
{
    addChildren(1);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.OnWrite = [](DataSet& d, const QVector<QVariant>& before) {
        QSqlQuery q(d.connection()->database());
        q.prepare(u"UPDATE muayene SET hastakodu = ? WHERE hastakodu = ?"_s);
        q.addBindValue(d.FieldByName(u"hasta_kodu"_s)->AsString());
        q.addBindValue(before.value(d.FieldByName(u"hasta_kodu"_s)->index()));
        q.exec();
        if (d.FieldByName(u"hasta_kodu"_s)->AsString() == u"bad"_s)
            throw DataError(u"olmaz"_s);
    };
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"INSERT INTO muayene (hastakodu) VALUES ('1')"_s));
    ds.Edit();
    ds.FieldByName(u"hasta_kodu"_s)->setAsString(u"bad"_s);
    QVERIFY_THROWS_EXCEPTION(DataError, ds.Post());
    QCOMPARE(countRows(u"muayene"_s, u"hastakodu = '1'"_s), 1);
    QCOMPARE(countRows(u"hastasicil"_s, u"hasta_kodu = '1'"_s), 1);
    ds.FieldByName(u"hasta_kodu"_s)->setAsString(u"2"_s);
    ds.Post();
    QCOMPARE(countRows(u"muayene"_s, u"hastakodu = '2'"_s), 1);
    QCOMPARE(countRows(u"hastasicil"_s, u"hasta_kodu = '2'"_s), 1);
}

void tst_DataSet::cacheStaysBoundedAndPicturesLoadOnDemand()
{
    addChildren(10000);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"UPDATE hastasicil SET resim = ? WHERE hid = 5000"_s));
    q.addBindValue(QByteArray(40000, 'x'));
    QVERIFY(q.exec());
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    ds.Open();
    QVERIFY(ds.cachedRowCount() <= 64);
    int seen = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        ++seen;
    QCOMPARE(seen, 10000);
    QVERIFY2(ds.cachedRowCount() <= 4096, QByteArray::number(ds.cachedRowCount()));
    ds.setRecNo(5000);
    QCOMPARE(ds.FieldByName(u"resim"_s)->AsBytes().size(), 40000);
    QCOMPARE(ds.rawValueAt(4999, ds.FieldByName(u"adi"_s)->index()).toString(), u"Ad5000"_s);
}

void tst_DataSet::pictureStoredWithoutReadingIt_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("changedTo"); // invalid: left as it is
    QTest::addColumn<bool>("expected");
    const QVariant untouched;
    QTest::newRow("no picture") << QVariant(QMetaType(QMetaType::QByteArray)) << untouched << false;
    QTest::newRow("empty bytes") << QVariant(QByteArray("")) << untouched << false;
    QTest::newRow("picture") << QVariant(QByteArray(30000, 'j')) << untouched << true;
    QTest::newRow("picture, another field saved") << QVariant(QByteArray(10, 'j')) << QVariant(u"keep"_s) << true;
    QTest::newRow("picture removed and saved") << QVariant(QByteArray(10, 'j')) << QVariant(QByteArray()) << false;
    QTest::newRow("picture added and saved")
        << QVariant(QMetaType(QMetaType::QByteArray)) << QVariant(QByteArray(10, 'k')) << true;
}

// Which children have a picture is known for every row of a long list while the pictures
// themselves stay in the database, also after this data set saved the record.
void tst_DataSet::pictureStoredWithoutReadingIt()
{
    QFETCH(QVariant, stored);
    QFETCH(QVariant, changedTo);
    QFETCH(bool, expected);
    addChildren(3000);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"UPDATE hastasicil SET resim = ? WHERE hid = 2500"_s));
    q.addBindValue(stored);
    QVERIFY(q.exec());

    DataSet ds(u"sicrapQuery"_s);
    ds.setSQL(u"Select * from hastasicil Order By hid ASC"_s);
    ds.Open();
    const int resim = ds.FieldByName(u"resim"_s)->index();
    if (changedTo.isValid()) {
        ds.setRecNo(2500);
        ds.Edit();
        if (changedTo.typeId() == QMetaType::QString)
            ds.FieldByName(u"adi"_s)->setAsString(changedTo.toString());
        else
            ds.FieldByName(u"resim"_s)->setAsBytes(changedTo.toByteArray());
        ds.Post();
    }
    QList<int> withPicture;
    for (int row = 0; row < ds.rowCount(); ++row)
        if (ds.hasBlobAt(row, resim))
            withPicture.append(row);
    QCOMPARE(withPicture, expected ? QList<int> { 2499 } : QList<int>());
    // A field that is no picture holds "bytes" when it has a non-empty value.
    QVERIFY(ds.hasBlobAt(0, ds.FieldByName(u"adi"_s)->index()));
    QVERIFY(!ds.hasBlobAt(0, ds.FieldByName(u"adi2"_s)->index()));
}

void tst_DataSet::refreshKeepsCurrentRecord()
{
    addChildren(5);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.setRecNo(4);
    QSqlQuery q(m_conn->database());
    QVERIFY(q.exec(u"DELETE FROM hastasicil WHERE hid = 1"_s));
    QVERIFY(q.exec(u"UPDATE hastasicil SET adi = 'Yeni' WHERE hid = 4"_s));
    ds.Refresh();
    QCOMPARE(ds.RecordCount(), 4);
    QCOMPARE(ds.RecNo(), 3);
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Yeni"_s);
}

void tst_DataSet::columnsReadLazilyStayCorrect()
{
    addChildren(300);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    // A walk that reads one column only, then other columns of rows already in the cache.
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next())
        n += ds.FieldByName(u"hasta_kodu"_s)->AsString().isEmpty() ? 0 : 1;
    QCOMPARE(n, 300);
    QCOMPARE(ds.FieldByName(u"soyadi"_s)->AsString(), u"Soyad300"_s);
    QCOMPARE(ds.rawValueAt(150, ds.FieldByName(u"adi"_s)->index()).toString(), u"Ad151"_s);
    // Editing one column of a partly read row keeps the others as stored.
    ds.setRecNo(200);
    ds.Edit();
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Ad200"_s);
    ds.FieldByName(u"il"_s)->setAsString(u"Bursa"_s);
    ds.Post();
    QCOMPARE(countRows(u"hastasicil"_s, u"hid = 200 AND adi = 'Ad200' AND soyadi = 'Soyad200' AND il = 'Bursa'"_s), 1);
    QCOMPARE(ds.FieldByName(u"soyadi"_s)->AsString(), u"Soyad200"_s);
}

void tst_DataSet::displayFormats_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("age") << u"yas"_s << u"#,###.00"_s << QVariant(24.05) << u"24,05"_s;
    QTest::newRow("age below one month") << u"yas"_s << u"#,###.00"_s << QVariant(0.19) << u",19"_s;
    QTest::newRow("large age") << u"yas"_s << u"#,###.00"_s << QVariant(1356.5) << u"1.356,50"_s;
    QTest::newRow("negative age") << u"yas"_s << u"#,###.00"_s << QVariant(-2.76) << u"-2,76"_s;
    QTest::newRow("read-out") << u"kilo"_s << u"#,##0.###"_s << QVariant(3.5) << u"3,5"_s;
    QTest::newRow("read-out zero") << u"kilo"_s << u"#,##0.###"_s << QVariant(0.25) << u"0,25"_s;
    QTest::newRow("plain float") << u"kilo"_s << QString() << QVariant(24.05) << u"24,05"_s;
    QTest::newRow("visit date") << u"tarih"_s << u"dd.mm.yyyy-HH:MM"_s
                                << QVariant(QDateTime(QDate(2011, 3, 5), QTime(14, 30))) << u"05.03.2011-14:30"_s;
    QTest::newRow("day") << u"tarih"_s << u"dd.mm.yyyy"_s << QVariant(QDateTime(QDate(2011, 3, 5), QTime(14, 30)))
                         << u"05.03.2011"_s;
}

void tst_DataSet::displayFormats()
{
    QFETCH(QString, field);
    QFETCH(QString, format);
    QFETCH(QVariant, value);
    QFETCH(QString, shown);
    DataSet ds(u"muayeneTable"_s);
    ds.setTableName(u"muayene"_s);
    ds.Open();
    ds.Append();
    Field* f = ds.FieldByName(field);
    f->DisplayFormat = format;
    f->setValue(value);
    QCOMPARE(f->DisplayText(), shown);
    ds.Post();
    QCOMPARE(f->DisplayText(), shown);
}

void tst_DataSet::disableControlsHoldsNotices()
{
    addChildren(3);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    QSignalSpy current(&ds, &DataSet::currentChanged);
    QSignalSpy reset(&ds, &DataSet::dataReset);
    ds.DisableControls();
    ds.Next();
    ds.Next();
    QCOMPARE(current.count(), 0);
    ds.EnableControls();
    QCOMPARE(current.count(), 1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(ds.RecNo(), 3);
}

void tst_DataSet::maskedTextShownWithLiterals()
{
    DataSet ds(u"sicrapQuery"_s);
    ds.setSQL(u"Select * from hastasicil Order By hid ASC;"_s);
    Field* bare = ds.FieldByName(u"evtel"_s);
    bare->EditMask = u"(000) 000 00 00;0;*"_s;
    Field* literal = ds.FieldByName(u"ceptel"_s);
    literal->EditMask = u"(999) 999 99 99;1;*"_s;
    ds.Open();
    ds.Append();
    bare->setAsString(u"2125551234"_s);
    literal->setAsString(u"(532) 111 22 33"_s);
    ds.Post();
    QCOMPARE(bare->DisplayText(), u"(212) 555 12 34"_s);
    QCOMPARE(bare->AsString(), u"2125551234"_s);
    QCOMPARE(literal->DisplayText(), u"(532) 111 22 33"_s);
}

void tst_DataSet::maskedTextStoredAnyWay_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("digits") << u"2165551234"_s << u"(216) 555 12 34"_s;
    QTest::newRow("fewer digits") << u"216555"_s << u"(216) 555"_s;
    QTest::newRow("stored with literals") << u"(216) 555 12 34"_s << u"(216) 555 12 34"_s;
    QTest::newRow("other layout") << u"0216 555 1234"_s << u"0216 555 1234"_s;
    QTest::newRow("more digits than places") << u"902165551234"_s << u"902165551234"_s;
    QTest::newRow("words") << u"yok"_s << u"yok"_s;
}

// A letterhead telephone stored as digits is shown through its mask; one stored formatted by
// another program is shown as it is.
void tst_DataSet::maskedTextStoredAnyWay()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    DataSet ds(u"sifreTable"_s);
    ds.setTableName(u"sifre"_s);
    Field* phone = ds.FieldByName(u"firmatel"_s);
    phone->EditMask = u"(999) 999 99 99;0;*"_s;
    ds.Open();
    ds.Append();
    phone->setAsString(stored);
    ds.Post();
    QCOMPARE(phone->DisplayText(), shown);
    QCOMPARE(phone->AsString(), stored);
}

void tst_DataSet::cancelAfterConflictShowsStoredRecord_data()
{
    QTest::addColumn<QString>("otherCopy");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("shownName");
    QTest::newRow("changed") << u"UPDATE hastasicil SET adi = 'Onun' WHERE hid = 2"_s << 3 << u"Onun"_s;
    QTest::newRow("deleted") << u"DELETE FROM hastasicil WHERE hid = 2"_s << 2 << u"Ad3"_s;
}

// "Vazgeç" after a save that another copy's change refused shows the record as it now stands.
void tst_DataSet::cancelAfterConflictShowsStoredRecord()
{
    QFETCH(QString, otherCopy);
    QFETCH(int, count);
    QFETCH(QString, shownName);
    addChildren(3, u"Ad"_s);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.Open();
    ds.Next();
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Ad2"_s);
    ds.Edit();
    ds.FieldByName(u"adi"_s)->setAsString(u"Benim"_s);

    Connection other(m_dir->location(), u"other"_s);
    QVERIFY(other.open());
    QSqlQuery q(other.database());
    QVERIFY(q.exec(otherCopy));
    QVERIFY_THROWS_EXCEPTION(DataError, ds.Post());
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Benim"_s);

    QSignalSpy changed(&ds, &DataSet::currentChanged);
    ds.Cancel();
    QCOMPARE(ds.State(), dsBrowse);
    QCOMPARE(ds.RecordCount(), count);
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), shownName);
    QVERIFY(changed.count() >= 1);
    QCOMPARE(countRows(u"hastasicil"_s, u"adi = 'Benim'"_s), 0);

    // A plain Cancel afterwards keeps what it shows.
    ds.Edit();
    ds.FieldByName(u"adi"_s)->setAsString(u"Yine"_s);
    ds.Cancel();
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), shownName);
}

void tst_DataSet::recordsOfAnotherCopyAreReached_data()
{
    QTest::addColumn<int>("children");
    QTest::addColumn<QString>("order");
    QTest::newRow("short list, key order") << 3 << QString();
    QTest::newRow("long list, key order") << 300 << QString();
    QTest::newRow("long list, by surname") << 300 << u"soyadi"_s;
}

// A child another workstation registered after this list was read is found by Locate and reached
// by Last and Next.
void tst_DataSet::recordsOfAnotherCopyAreReached()
{
    QFETCH(int, children);
    QFETCH(QString, order);
    addChildren(children);
    DataSet ds(u"sicilTable"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexFieldNames(order);
    ds.Open();
    ds.Last();
    const QString lastBefore = ds.FieldByName(u"hasta_kodu"_s)->AsString();

    Connection other(m_dir->location(), u"other"_s);
    QVERIFY(other.open());
    QSqlQuery q(other.database());
    // "Soyad15 " sorts between Soyad15 and Soyad150 by surname, and last by key.
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('yeni', 'Yeni', 'Soyad15 ')"_s));

    QVERIFY(ds.Locate(u"hasta_kodu"_s, u"yeni"_s, {}));
    QCOMPARE(ds.FieldByName(u"adi"_s)->AsString(), u"Yeni"_s);
    QCOMPARE(ds.RecordCount(), children + 1);
    if (order.isEmpty())
        QCOMPARE(ds.RecNo(), children + 1);
    else
        QCOMPARE(ds.RecNo(), children >= 150 ? 57 + 1 : children + 1);

    // The next one is found by Last, and by Next from the former last record.
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('sonra', 'Sonra', 'Zzz')"_s));
    ds.Last();
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"sonra"_s);
    QVERIFY(q.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('daha', 'Daha', 'Zzzz')"_s));
    ds.Next();
    QVERIFY(!ds.Eof());
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"daha"_s);
    ds.Next();
    QVERIFY(ds.Eof());
    QVERIFY(lastBefore != u"daha"_s);

    // A record no copy stored is still not found.
    QVERIFY(!ds.Locate(u"hasta_kodu"_s, u"yok"_s, {}));
    QCOMPARE(ds.FieldByName(u"hasta_kodu"_s)->AsString(), u"daha"_s);
}

void tst_DataSet::textsSortInTurkishOrder_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("expected");
    const QStringList alphabetical { u"ali"_s, u"ALİ"_s, u"Can"_s, u"cengiz"_s, u"Çelik"_s, u"Gül"_s, u"Güler"_s,
        u"Ğ"_s, u"Hakan"_s, u"ılgaz"_s, u"Işık"_s, u"İnce"_s, u"Öztürk"_s, u"Quinn"_s, u"Sezer"_s, u"Şahin"_s,
        u"Üstün"_s, u"Walter"_s, u"Xavier"_s, u"Yılmaz"_s, u"Zeynep"_s };
    QStringList reversed(alphabetical.crbegin(), alphabetical.crend());
    // Equal names but for letter case keep the key order, reversed when descending.
    QTest::newRow("ascending") << u"Select * from hastasicil order by soyadi ASC"_s << alphabetical;
    QTest::newRow("descending") << u"Select * from hastasicil order by soyadi DESC"_s << reversed;
    QTest::newRow("no direction, quoted name") << u"Select * from hastasicil order by \"soyadi\";"_s << alphabetical;
    QTest::newRow("after a condition") << u"Select * from hastasicil where hasta_kodu <> 'x' ORDER BY soyadi asc"_s
                                       << alphabetical;
}

void tst_DataSet::textsSortInTurkishOrder()
{
    QFETCH(QString, statement);
    QFETCH(QStringList, expected);
    // Stored in an order that neither the alphabet nor the codes give.
    const QStringList stored { u"Zeynep"_s, u"Şahin"_s, u"ali"_s, u"Öztürk"_s, u"Yılmaz"_s, u"Çelik"_s, u"Işık"_s,
        u"İnce"_s, u"ılgaz"_s, u"Can"_s, u"Güler"_s, u"Gül"_s, u"Ğ"_s, u"Hakan"_s, u"Walter"_s, u"Xavier"_s, u"Quinn"_s,
        u"Üstün"_s, u"Sezer"_s, u"cengiz"_s, u"ALİ"_s };
    QSqlQuery q(m_conn->database());
    QVERIFY(q.prepare(u"INSERT INTO hastasicil (hasta_kodu, soyadi) VALUES (?, ?)"_s));
    for (qsizetype i = 0; i < stored.size(); ++i) {
        q.addBindValue(QString::number(i + 1));
        q.addBindValue(stored.at(i));
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    }

    DataSet ds(u"sicrapQuery"_s);
    ds.setSQL(statement);
    ds.Open();
    QStringList shown;
    for (ds.First(); !ds.Eof(); ds.Next())
        shown << ds.FieldByName(u"soyadi"_s)->AsString();
    QCOMPARE(shown, expected);
}

void tst_DataSet::conditionNarrowsWhileFiltered_data()
{
    QTest::addColumn<QString>("statement");
    QTest::newRow("table") << QString();
    QTest::newRow("query in descending order") << u"Select * from hastasicil order by soyadi DESC"_s;
}

// The condition takes part in the filter: it narrows the rows only while Filtered, together
// with the filter text, and a new condition is applied at once.
void tst_DataSet::conditionNarrowsWhileFiltered()
{
    QFETCH(QString, statement);
    addChildren(9);
    DataSet ds(u"children"_s);
    if (statement.isEmpty())
        ds.setTableName(u"hastasicil"_s);
    else
        ds.setSQL(statement);
    const auto codes = [&ds] {
        QStringList out;
        for (int row = 0; row < ds.rowCount(); ++row)
            out << ds.rawValueAt(row, ds.FieldByName(u"hasta_kodu"_s)->index()).toString();
        return out;
    };
    const bool descending = !statement.isEmpty();
    const auto ordered = [descending](QStringList list) {
        if (descending)
            std::reverse(list.begin(), list.end());
        return list;
    };
    ds.setCondition(u"hid % 3 = :r"_s, { { u":r"_s, 0 } });
    ds.Open();
    QCOMPARE(ds.RecordCount(), 9);
    ds.setFiltered(true);
    QCOMPARE(codes(), ordered({ u"3"_s, u"6"_s, u"9"_s }));
    QCOMPARE(ds.RecordCount(), 3);
    ds.setCondition(u"hid % 3 = :r"_s, { { u":r"_s, 1 } });
    QCOMPARE(codes(), ordered({ u"1"_s, u"4"_s, u"7"_s }));
    ds.setFilter(u"hasta_kodu <> '4'"_s);
    QCOMPARE(codes(), ordered({ u"1"_s, u"7"_s }));
    ds.setCondition(QString(), {});
    QCOMPARE(ds.RecordCount(), 8);
    ds.setFiltered(false);
    QCOMPARE(ds.RecordCount(), 9);
}

void tst_DataSet::locateNextFollowsTheOrder_data()
{
    QTest::addColumn<int>("startHid");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("endHid");
    // The list runs from hid 10 down to 1.
    QTest::newRow("next below") << 10 << u"hid IN (2, 7)"_s << true << 7;
    QTest::newRow("skips the current") << 7 << u"hid IN (2, 7)"_s << true << 2;
    QTest::newRow("wraps to the top") << 2 << u"hid IN (2, 7)"_s << true << 7;
    QTest::newRow("from the last row") << 1 << u"hid IN (2, 7)"_s << true << 7;
    QTest::newRow("the current is tried last") << 5 << u"hid = 5"_s << true << 5;
    QTest::newRow("none stays") << 5 << u"hid = 99"_s << false << 5;
    QTest::newRow("filtered out is not reached") << 10 << u"hid IN (4, 3)"_s << true << 3;
}

// locateNext goes to the first record after the current one in the list's order, wrapping.
void tst_DataSet::locateNextFollowsTheOrder()
{
    QFETCH(int, startHid);
    QFETCH(QString, condition);
    QFETCH(bool, found);
    QFETCH(int, endHid);
    addChildren(10);
    DataSet ds(u"children"_s);
    ds.setSQL(u"Select * from hastasicil order by hid DESC"_s);
    ds.setFilter(u"hasta_kodu <> '4'"_s);
    ds.setFiltered(true);
    ds.Open();
    QVERIFY(ds.Locate(u"hid"_s, startHid, {}));
    QSignalSpy moved(&ds, &DataSet::currentChanged);
    QCOMPARE(ds.locateNext(condition, {}), found);
    QCOMPARE(ds.FieldByName(u"hid"_s)->AsInteger(), endHid);
    QCOMPARE(moved.size(), endHid == startHid ? 0 : 1);
    QVERIFY(!ds.Eof());
}

void tst_DataSet::longListOpensWithoutReadingEveryKey_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("descending");
    QTest::newRow("table in key order") << QString() << false;
    QTest::newRow("query by surname, descending") << u"Select * from hastasicil order by soyadi DESC"_s << true;
    QTest::newRow("query with a condition") << u"select * from hastasicil where hid > 100 order by hid"_s << false;
}

// A long list opens with its count and first page; walking past that page, storing, deleting
// and another copy's records keep the same rows in the same order as a list read whole.
void tst_DataSet::longListOpensWithoutReadingEveryKey()
{
    QFETCH(QString, statement);
    QFETCH(bool, descending);
    addChildren(3000);
    DataSet ds(u"children"_s);
    if (statement.isEmpty())
        ds.setTableName(u"hastasicil"_s);
    else
        ds.setSQL(statement);
    ds.Open();
    const int all = countRows(u"hastasicil"_s, statement.contains(u"where"_s) ? u"hid > 100"_s : QString());
    QCOMPARE(ds.RecordCount(), all);
    QVERIFY(!ds.allKeysRead());
    const auto hidAt = [&ds](int row) { return ds.rawValueAt(row, ds.FieldByName(u"hid"_s)->index()).toInt(); };
    const int firstHid = hidAt(0);
    QCOMPARE(firstHid, descending ? 999 : (statement.contains(u"where"_s) ? 101 : 1));
    QVERIFY(!ds.allKeysRead());

    // Another copy adds a child past the first page; this data set stores one and deletes its
    // first record.
    QSqlQuery other(m_conn->database());
    QVERIFY(other.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('x1', 'Öteki', 'Soyad00')"_s));
    ds.Append();
    ds.FieldByName(u"hasta_kodu"_s)->setAsString(u"x2"_s);
    ds.FieldByName(u"soyadi"_s)->setAsString(u"Soyad0"_s);
    ds.Post();
    const int stored = ds.FieldByName(u"hid"_s)->AsInteger();
    QCOMPARE(ds.RecNo(), all + 1);
    QVERIFY(!ds.allKeysRead());
    ds.First();
    ds.Delete();
    QCOMPARE(ds.RecordCount(), all);
    QVERIFY(hidAt(0) != firstHid);

    // Walking to the end reads the rest once: every record once, the stored one last.
    QList<int> walked;
    for (ds.First(); !ds.Eof(); ds.Next())
        walked << ds.FieldByName(u"hid"_s)->AsInteger();
    QVERIFY(ds.allKeysRead());
    QCOMPARE(walked.last(), stored);
    QCOMPARE(QSet<int>(walked.cbegin(), walked.cend()).size(), walked.size());
    QVERIFY(!walked.contains(firstHid));
    QCOMPARE(walked.size(), all + 1); // the other copy's child is reached too
    QList<int> sorted = walked.mid(0, walked.size() - 1);
    QList<int> expected = sorted;
    std::sort(expected.begin(), expected.end(), [descending](int a, int b) {
        if (!descending)
            return a < b;
        // Surnames "SoyadN" descending as texts, as the list sorts them.
        const QString sa = a == 3001 ? u"Soyad00"_s : u"Soyad%1"_s.arg(a);
        const QString sb = b == 3001 ? u"Soyad00"_s : u"Soyad%1"_s.arg(b);
        return sa != sb ? sa > sb : a > b;
    });
    QCOMPARE(sorted, expected);
}

void tst_DataSet::farMovesReadOnlyPages_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("indexFields");
    QTest::addColumn<QString>("plainWhere");
    QTest::addColumn<QString>("plainOrder"); // the same order as plain SQL (the names are ASCII)
    QTest::newRow("table in key order") << QString() << QString() << QString() << u"hid"_s;
    QTest::newRow("table by surname") << QString() << u"soyadi"_s << QString() << u"soyadi, hid"_s;
    QTest::newRow("query by surname, descending")
        << u"select * from hastasicil order by soyadi desc"_s << QString() << QString() << u"soyadi DESC, hid DESC"_s;
    QTest::newRow("query with a condition, by name")
        << u"select * from hastasicil where hid > 100 or adi = 'Ad7' order by adi"_s << QString()
        << u"hid > 100 or adi = 'Ad7'"_s << u"adi, hid"_s;
}

// Last, a record number, Locate, Prior and the next match far from the first page read only the
// pages they show, and land on the record the plain statement puts there.
void tst_DataSet::farMovesReadOnlyPages()
{
    QFETCH(QString, statement);
    QFETCH(QString, indexFields);
    QFETCH(QString, plainWhere);
    QFETCH(QString, plainOrder);
    addChildren(3000);
    DataSet ds(u"children"_s);
    const QVector<int> expected = openLongList(ds, statement, indexFields, plainWhere, plainOrder);
    const auto hid = [&ds] { return ds.FieldByName(u"hid"_s)->AsInteger(); };
    QCOMPARE(ds.RecordCount(), expected.size());

    ds.Last();
    QCOMPARE(hid(), expected.last());
    QCOMPARE(ds.RecNo(), expected.size());
    ds.setRecNo(1500);
    QCOMPARE(hid(), expected.at(1499));
    const int readBefore = ds.keysRead();
    QVERIFY(ds.Locate(u"hasta_kodu"_s, QString::number(expected.at(2222)), {}));
    QCOMPARE(hid(), expected.at(2222));
    QCOMPARE(ds.keysRead(), readBefore); // found by its key: its place is counted when asked
    QCOMPARE(ds.RecNo(), 2223);
    for (int i = 0; i < 3; ++i)
        ds.Prior();
    QCOMPARE(hid(), expected.at(2219));
    QCOMPARE(ds.RecNo(), 2220);

    // The next match wraps to the start when none follows the current record.
    QVERIFY(ds.locateNext(u"hid = :h"_s, { { u":h"_s, expected.at(777) } }));
    QCOMPARE(ds.RecNo(), 778);
    const QVariantMap two { { u":a"_s, expected.at(100) }, { u":b"_s, expected.at(2900) } };
    QVERIFY(ds.locateNext(u"hid = :a or hid = :b"_s, two));
    QCOMPARE(hid(), expected.at(2900));
    QCOMPARE(ds.RecNo(), 2901);
    // A record found by key keeps its row when a save moves it in the order.
    ds.Edit();
    ds.FieldByName(u"adi"_s)->setAsString(u"Zzz"_s);
    ds.FieldByName(u"soyadi"_s)->setAsString(u"Zzz"_s);
    ds.Post();
    QCOMPARE(ds.RecNo(), 2901);
    QCOMPARE(countRows(u"hastasicil"_s, u"hid = ? AND adi = 'Zzz'"_s, { expected.at(2900) }), 1);
    QVERIFY(ds.locateNext(u"hid = :a or hid = :b"_s, two));
    QCOMPARE(ds.RecNo(), 101);
    QVERIFY(!ds.locateNext(u"hid = -5"_s, {}));
    QCOMPARE(ds.RecNo(), 101);
    QVERIFY(!ds.allKeysRead());
    QVERIFY2(ds.keysRead() < expected.size() / 2, qPrintable(QString::number(ds.keysRead())));

    // Deleting a record far in the list: the next one takes its place.
    ds.setRecNo(2500);
    ds.Delete();
    QCOMPARE(ds.RecNo(), 2500);
    QCOMPARE(hid(), expected.at(2500));
    QCOMPARE(ds.RecordCount(), expected.size() - 1);
    ds.Next();
    QCOMPARE(hid(), expected.at(2501));
}

void tst_DataSet::deletingARecordFoundByKey_data()
{
    farMovesReadOnlyPages_data();
}

// A record found by key is deleted before anything asked for its place: it leaves the list at
// its own row, and the one after it becomes current.
void tst_DataSet::deletingARecordFoundByKey()
{
    QFETCH(QString, statement);
    QFETCH(QString, indexFields);
    QFETCH(QString, plainWhere);
    QFETCH(QString, plainOrder);
    addChildren(3000);
    DataSet ds(u"children"_s);
    const QVector<int> expected = openLongList(ds, statement, indexFields, plainWhere, plainOrder);
    QVERIFY(ds.Locate(u"hasta_kodu"_s, QString::number(expected.at(1200)), {}));
    ds.Delete();
    QCOMPARE(ds.FieldByName(u"hid"_s)->AsInteger(), expected.at(1201));
    QCOMPARE(ds.RecNo(), 1201);
    QCOMPARE(ds.RecordCount(), expected.size() - 1);
    QCOMPARE(countRows(u"hastasicil"_s, u"hid = ?"_s, { expected.at(1200) }), 0);
}

void tst_DataSet::savedChangesKeepEveryRow_data()
{
    farMovesReadOnlyPages_data();
}

// Saved changes that sort two records elsewhere: both keep their rows until the list is read
// again, and every record between their old and new places keeps its row, counted or read.
void tst_DataSet::savedChangesKeepEveryRow()
{
    QFETCH(QString, statement);
    QFETCH(QString, indexFields);
    QFETCH(QString, plainWhere);
    QFETCH(QString, plainOrder);
    addChildren(3000);
    DataSet ds(u"children"_s);
    QVector<int> expected = openLongList(ds, statement, indexFields, plainWhere, plainOrder);
    const auto hid = [&ds] { return ds.FieldByName(u"hid"_s)->AsInteger(); };
    const auto rename = [&ds](const QString& name) {
        ds.Edit();
        ds.FieldByName(u"adi"_s)->setAsString(name);
        ds.FieldByName(u"soyadi"_s)->setAsString(name);
        ds.Post();
    };
    const int toEnd = expected.at(100);
    const int toStart = expected.at(200);
    ds.setRecNo(101);
    rename(u"Zzz"_s);
    ds.setRecNo(201);
    rename(u"Aaa"_s);
    QCOMPARE(hid(), toStart);
    QCOMPARE(ds.RecordCount(), expected.size());

    const int n = int(expected.size());
    for (int recNo : { n, n - 1, 1, 100, 101, 102, 200, 201, 202, 1500, 2000 }) {
        ds.setRecNo(recNo);
        QCOMPARE(hid(), expected.at(recNo - 1));
    }
    ds.Last();
    for (int recNo = expected.size(); recNo > expected.size() - 3; --recNo, ds.Prior())
        QCOMPARE(hid(), expected.at(recNo - 1));

    // Found by key, a record between the old and the new places is counted at its own row.
    QVERIFY(ds.Locate(u"hasta_kodu"_s, QString::number(expected.at(1500)), {}));
    QCOMPARE(ds.RecNo(), 1501);
    ds.Delete();
    QCOMPARE(hid(), expected.at(1501));
    QCOMPARE(ds.RecNo(), 1501);
    QCOMPARE(ds.RecordCount(), expected.size() - 1);
    ds.Next();
    QCOMPARE(hid(), expected.at(1502));
    expected.removeAt(1500);
    QVERIFY(ds.Locate(u"hasta_kodu"_s, QString::number(toEnd), {}));
    QCOMPARE(ds.RecNo(), 101);

    // The next match is met at the rows shown, the held ones included, and wraps once.
    const QVariantMap three { { u":a"_s, toStart }, { u":b"_s, expected.at(150) }, { u":c"_s, expected.at(1000) } };
    const QString hits = u"hid = :a or hid = :b or hid = :c"_s;
    QVERIFY(ds.locateNext(hits, three));
    QCOMPARE(ds.RecNo(), 151);
    QVERIFY(ds.locateNext(hits, three));
    QCOMPARE(ds.RecNo(), 201);
    QCOMPARE(hid(), toStart);
    QVERIFY(ds.locateNext(hits, three));
    QCOMPARE(ds.RecNo(), 1001);
    QVERIFY(ds.locateNext(hits, three));
    QCOMPARE(ds.RecNo(), 151);

    // Read again, the list shows the records where the table now sorts them.
    ds.Refresh();
    const QVector<int> now = plainKeys(plainWhere, plainOrder);
    QCOMPARE(ds.RecordCount(), now.size());
    for (int key : { toEnd, toStart }) {
        const bool listed = now.contains(key);
        QCOMPARE(ds.Locate(u"hasta_kodu"_s, QString::number(key), {}), listed);
        if (listed)
            QCOMPARE(ds.RecNo(), now.indexOf(key) + 1);
    }
    ds.Last();
    QCOMPARE(hid(), now.last());
}

void tst_DataSet::lostServerConnection_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("writes");
    QTest::newRow("last record") << u"last"_s << false;
    QTest::newRow("far record number") << u"recno"_s << false;
    QTest::newRow("refresh") << u"refresh"_s << false;
    QTest::newRow("locate") << u"locate"_s << false;
    QTest::newRow("next match") << u"locateNext"_s << false;
    QTest::newRow("reopen") << u"reopen"_s << false;
    QTest::newRow("save") << u"post"_s << true;
    QTest::newRow("delete") << u"delete"_s << true;
}

// The server ends the program's session while a long list is open: the next action fails with
// the Turkish message and leaves the list as it was, and the same action tried again opens a new
// connection and works.
void tst_DataSet::lostServerConnection()
{
    if (!TestDatabase::postgresqlChosen())
        QSKIP("the connection to a server is lost only on PostgreSQL");
    QFETCH(QString, action);
    QFETCH(bool, writes);
    addChildren(3000);
    DataSet ds(u"children"_s);
    const QVector<int> expected = openLongList(ds, QString(), u"soyadi"_s, QString(), u"soyadi, hid"_s);
    const auto hid = [&ds] { return ds.FieldByName(u"hid"_s)->AsInteger(); };
    ds.setRecNo(10);
    const int shownHid = hid();
    const int keysRead = ds.keysRead();

    const auto act = [&] {
        if (action == u"last"_s)
            ds.Last();
        else if (action == u"recno"_s)
            ds.setRecNo(2500), hid();
        else if (action == u"refresh"_s)
            ds.Refresh();
        else if (action == u"locate"_s)
            ds.Locate(u"hasta_kodu"_s, QString::number(expected.at(2222)), {});
        else if (action == u"locateNext"_s)
            ds.locateNext(u"hid = :h"_s, { { u":h"_s, expected.at(2900) } });
        else if (action == u"reopen"_s)
            ds.Open();
        else if (action == u"post"_s)
            ds.Post();
        else if (action == u"delete"_s)
            ds.Delete();
    };
    if (action == u"reopen"_s)
        ds.Close();
    if (action == u"post"_s) {
        ds.Edit();
        ds.FieldByName(u"adi"_s)->setAsString(u"Yeni"_s);
    }

    endServerSession();

    QString shown;
    bool lost = false;
    try {
        act();
    } catch (const DataError& e) {
        shown = e.text();
        lost = e.connectionLost();
    }
    QVERIFY(lost);
    QCOMPARE(shown,
        writes
            ? u"Veritabanı sunucusuyla bağlantı koptu; değişiklik kaydedilmedi. Bağlantı bir sonraki işlemde yeniden "
              "kurulacak."_s
            : u"Veritabanı sunucusuyla bağlantı koptu. Bağlantı bir sonraki işlemde yeniden kurulacak."_s);
    // Nothing half-read is shown: the list, its place and what was typed are as they were.
    if (action == u"reopen"_s) {
        QVERIFY(!ds.Active());
    } else {
        QCOMPARE(ds.RecordCount(), expected.size());
        QCOMPARE(ds.RecNo(), 10);
        QCOMPARE(hid(), shownHid);
        QCOMPARE(ds.keysRead(), keysRead);
        QCOMPARE(ds.State(), action == u"post"_s ? dsEdit : dsBrowse);
    }

    act();
    QVERIFY(ds.Active());
    if (action == u"last"_s)
        QCOMPARE(hid(), expected.last());
    else if (action == u"recno"_s)
        QCOMPARE(hid(), expected.at(2499));
    else if (action == u"locate"_s)
        QCOMPARE(hid(), expected.at(2222));
    else if (action == u"locateNext"_s)
        QCOMPARE(hid(), expected.at(2900));
    else if (action == u"refresh"_s || action == u"post"_s)
        QCOMPARE(hid(), shownHid);
    else if (action == u"reopen"_s)
        QCOMPARE(hid(), expected.first());
    else if (action == u"delete"_s)
        QCOMPARE(hid(), expected.at(10));
    QCOMPARE(countRows(u"hastasicil"_s, u"hid = ? AND adi = 'Yeni'"_s, { shownHid }), action == u"post"_s ? 1 : 0);
    QCOMPARE(countRows(u"hastasicil"_s), action == u"delete"_s ? 2999 : 3000);
}

void tst_DataSet::endServerSession()
{
    QSqlQuery own(m_conn->database());
    QVERIFY(own.exec(u"SELECT pg_backend_pid()"_s) && own.next());
    const int pid = own.value(0).toInt();
    own.finish();
    {
        QSqlDatabase other = m_dir->open(u"other"_s);
        QSqlQuery end(other);
        QVERIFY2(end.exec(u"SELECT pg_terminate_backend(%1)"_s.arg(pid)), qPrintable(end.lastError().text()));
    }
    QSqlDatabase::removeDatabase(u"other"_s);
}

// Lost in the middle of a command's batch: the records after it are refused rather than stored
// on a new connection without the ones before, and once the batch is over the next save works.
void tst_DataSet::lostServerConnectionEndsTheBatch()
{
    if (!TestDatabase::postgresqlChosen())
        QSKIP("the connection to a server is lost only on PostgreSQL");
    addChildren(3);
    DataSet ds(u"children"_s);
    ds.setTableName(u"hastasicil"_s);
    ds.setIndexName(u"PrimaryKey"_s);
    ds.Open();
    const auto rename = [&ds](const QString& name) {
        ds.Edit();
        ds.FieldByName(u"adi"_s)->setAsString(name);
    };
    const auto postLost = [&ds] {
        try {
            ds.Post();
        } catch (const DataError& e) {
            return e.connectionLost();
        }
        return false;
    };
    {
        WriteBatch batch(ds);
        rename(u"Bir"_s);
        ds.Post();
        ds.Next();
        rename(u"İki"_s);
        endServerSession();
        QVERIFY(postLost());
        QVERIFY(postLost()); // still the same batch: not stored alone
        QCOMPARE(ds.State(), dsEdit);
    }
    QCOMPARE(countRows(u"hastasicil"_s, u"adi IN ('Bir', 'İki')"_s), 0);
    ds.Post();
    QCOMPARE(countRows(u"hastasicil"_s, u"adi = 'İki'"_s), 1);
    QCOMPARE(countRows(u"hastasicil"_s, u"adi = 'Bir'"_s), 0);
}

QVector<int> tst_DataSet::plainKeys(const QString& plainWhere, const QString& plainOrder)
{
    QVector<int> keys;
    QSqlQuery plain(m_conn->database());
    if (!plain.exec(u"SELECT hid FROM hastasicil"_s + (plainWhere.isEmpty() ? QString() : u" WHERE "_s + plainWhere)
            + u" ORDER BY "_s + plainOrder))
        return keys;
    while (plain.next())
        keys.append(plain.value(0).toInt());
    return keys;
}

QVector<int> tst_DataSet::openLongList(DataSet& ds, const QString& statement, const QString& indexFields,
    const QString& plainWhere, const QString& plainOrder)
{
    const QVector<int> expected = plainKeys(plainWhere, plainOrder);
    if (statement.isEmpty()) {
        ds.setTableName(u"hastasicil"_s);
        ds.setIndexFieldNames(indexFields);
    } else {
        ds.setSQL(statement);
    }
    ds.Open();
    return expected;
}

QTEST_GUILESS_MAIN(tst_DataSet)
#include "tst_dataset.moc"
