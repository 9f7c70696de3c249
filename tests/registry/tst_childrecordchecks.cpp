#include "ChildRecordChecks.h"
#include "PediakayApplication.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ChildRecordChecks final : public QObject
{
    Q_OBJECT

private slots:
    void photoSize_data();
    void photoSize();
    void birthDate_data();
    void birthDate();
};

void tst_ChildRecordChecks::photoSize_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<bool>("tooLarge");
    QTest::addColumn<QString>("sizeText");
    QTest::newRow("exactly the limit") << qint64(50 * 5120) << false << u"50"_s;
    QTest::newRow("one byte more rounds to 50") << qint64(50 * 5120 + 1) << true << u"50"_s;
    QTest::newRow("300000 bytes") << qint64(300000) << true << u"58,59"_s;
    QTest::newRow("one decimal kept") << qint64(51 * 5120 + 512) << true << u"51,1"_s;
    QTest::newRow("small file") << qint64(1000) << false << u"0,2"_s;
}

void tst_ChildRecordChecks::photoSize()
{
    QFETCH(qint64, bytes);
    QFETCH(bool, tooLarge);
    QFETCH(QString, sizeText);
    QCOMPARE(ChildRecordChecks::photoTooLarge(bytes), tooLarge);
    QCOMPARE(ChildRecordChecks::photoSizeText(bytes), sizeText);
    QCOMPARE(ChildRecordChecks::photoSizeMessage(bytes),
        u"Resim Boyutu "_s + sizeText + u" KB 50 KB tan büyük resim yüklemesi yapamazsınız!"_s);
}

void tst_ChildRecordChecks::birthDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ordinary") << QDate(2012, 3, 5) << u"05.03.2012"_s << true;
    QTest::newRow("leap day") << QDate(2016, 2, 29) << u"29.02.2016"_s << true;
    QTest::newRow("empty reads as 1899") << QDate() << u"30.12.1899"_s << true;
    QTest::newRow("two-digit year") << QDate(12, 6, 1) << u"01.06.2012"_s << true;
    QTest::newRow("one-digit year") << QDate(5, 6, 1) << u"01.06.205"_s << true;
}

void tst_ChildRecordChecks::birthDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(ChildRecordChecks::birthDateText(date), text);
    QCOMPARE(ChildRecordChecks::tarihgecerli(text), valid);
    // Texts that do not form a calendar date.
    QVERIFY(!ChildRecordChecks::tarihgecerli(u"31.02.2012"_s));
    QVERIFY(!ChildRecordChecks::tarihgecerli(u"29.02.2013"_s));
    QVERIFY(!ChildRecordChecks::tarihgecerli(u"ab.03.2012"_s));
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_ChildRecordChecks test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_childrecordchecks.moc"
