#include "BackupNames.h"
#include "BackupThinning.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Which backups stay, over simulated years of a clinic's copies: after every copy the rule is
// applied to what is left, the way the program thins its folder after each backup.
class tst_BackupThinning final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void simulatedYear_data();
    void simulatedYear();
    void names_data();
    void names();
};

void tst_BackupThinning::simulatedYear_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<bool>("weekdaysOnly");
    // No copies on the days of this range (the clinic was closed).
    QTest::addColumn<QDate>("closedFrom");
    QTest::addColumn<QDate>("closedTo");
    QTest::addColumn<QStringList>("kept");

    const QStringList evening { u"18:00"_s };
    QTest::newRow("a copy every evening of 2026")
        << QDate(2026, 1, 1) << QDate(2026, 12, 31) << evening << false << QDate() << QDate()
        << QStringList { u"2026-12-31_1800"_s, u"2026-12-30_1800"_s, u"2026-12-29_1800"_s, u"2026-12-28_1800"_s,
               u"2026-12-27_1800"_s, u"2026-12-26_1800"_s, u"2026-12-25_1800"_s, // 7 days
               u"2026-12-20_1800"_s, u"2026-12-13_1800"_s, // the weeks before
               u"2026-11-30_1800"_s, u"2026-10-31_1800"_s, u"2026-09-30_1800"_s, u"2026-08-31_1800"_s,
               u"2026-07-31_1800"_s, u"2026-06-30_1800"_s, u"2026-05-31_1800"_s, u"2026-04-30_1800"_s,
               u"2026-03-31_1800"_s, u"2026-02-28_1800"_s, u"2026-01-31_1800"_s };
    QTest::newRow("morning and evening copies: the day's last stays")
        << QDate(2026, 1, 1) << QDate(2026, 12, 31) << QStringList { u"08:00"_s, u"17:30"_s } << false << QDate()
        << QDate()
        << QStringList { u"2026-12-31_1730"_s, u"2026-12-30_1730"_s, u"2026-12-29_1730"_s, u"2026-12-28_1730"_s,
               u"2026-12-27_1730"_s, u"2026-12-26_1730"_s, u"2026-12-25_1730"_s, u"2026-12-20_1730"_s,
               u"2026-12-13_1730"_s, u"2026-11-30_1730"_s, u"2026-10-31_1730"_s, u"2026-09-30_1730"_s,
               u"2026-08-31_1730"_s, u"2026-07-31_1730"_s, u"2026-06-30_1730"_s, u"2026-05-31_1730"_s,
               u"2026-04-30_1730"_s, u"2026-03-31_1730"_s, u"2026-02-28_1730"_s, u"2026-01-31_1730"_s };
    QTest::newRow("closed at weekends: seven working days, Fridays for weeks")
        << QDate(2026, 1, 1) << QDate(2026, 12, 31) << evening << true << QDate() << QDate()
        << QStringList { u"2026-12-31_1800"_s, u"2026-12-30_1800"_s, u"2026-12-29_1800"_s, u"2026-12-28_1800"_s,
               u"2026-12-25_1800"_s, u"2026-12-24_1800"_s, u"2026-12-23_1800"_s, u"2026-12-18_1800"_s,
               u"2026-12-11_1800"_s, u"2026-11-30_1800"_s, u"2026-10-30_1800"_s, u"2026-09-30_1800"_s,
               u"2026-08-31_1800"_s, u"2026-07-31_1800"_s, u"2026-06-30_1800"_s, u"2026-05-29_1800"_s,
               u"2026-04-30_1800"_s, u"2026-03-31_1800"_s, u"2026-02-27_1800"_s, u"2026-01-30_1800"_s };
    QTest::newRow("closed April to November: the copies before the pause stay")
        << QDate(2026, 1, 1) << QDate(2026, 12, 10) << evening << false << QDate(2026, 4, 1) << QDate(2026, 11, 30)
        << QStringList { u"2026-12-10_1800"_s, u"2026-12-09_1800"_s, u"2026-12-08_1800"_s, u"2026-12-07_1800"_s,
               u"2026-12-06_1800"_s, u"2026-12-05_1800"_s, u"2026-12-04_1800"_s, u"2026-03-31_1800"_s,
               u"2026-03-29_1800"_s, u"2026-02-28_1800"_s, u"2026-01-31_1800"_s };
    QTest::newRow("closed February to December: January of each year is its own month")
        << QDate(2026, 1, 1) << QDate(2027, 1, 20) << evening << false << QDate(2026, 2, 1) << QDate(2026, 12, 31)
        << QStringList { u"2027-01-20_1800"_s, u"2027-01-19_1800"_s, u"2027-01-18_1800"_s, u"2027-01-17_1800"_s,
               u"2027-01-16_1800"_s, u"2027-01-15_1800"_s, u"2027-01-14_1800"_s, u"2027-01-10_1800"_s,
               u"2027-01-03_1800"_s, u"2026-01-31_1800"_s };
    QTest::newRow("into the next year: a week across New Year, twelve months back")
        << QDate(2026, 1, 1) << QDate(2027, 1, 13) << QStringList { u"12:05"_s } << false << QDate() << QDate()
        << QStringList { u"2027-01-13_1205"_s, u"2027-01-12_1205"_s, u"2027-01-11_1205"_s, u"2027-01-10_1205"_s,
               u"2027-01-09_1205"_s, u"2027-01-08_1205"_s, u"2027-01-07_1205"_s, u"2027-01-03_1205"_s,
               u"2026-12-31_1205"_s, u"2026-12-27_1205"_s, u"2026-11-30_1205"_s, u"2026-10-31_1205"_s,
               u"2026-09-30_1205"_s, u"2026-08-31_1205"_s, u"2026-07-31_1205"_s, u"2026-06-30_1205"_s,
               u"2026-05-31_1205"_s, u"2026-04-30_1205"_s, u"2026-03-31_1205"_s, u"2026-02-28_1205"_s };
}

void tst_BackupThinning::simulatedYear()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, times);
    QFETCH(bool, weekdaysOnly);
    QFETCH(QDate, closedFrom);
    QFETCH(QDate, closedTo);
    QFETCH(QStringList, kept);

    QList<QDateTime> folder;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        if (weekdaysOnly && day.dayOfWeek() > 5)
            continue;
        if (closedFrom.isValid() && day >= closedFrom && day <= closedTo)
            continue;
        for (const QString& time : times) {
            const QDateTime copy(day, QTime::fromString(time, u"HH:mm"_s));
            folder.append(copy);
            const QList<QDateTime> removed = BackupThinning::remove(folder);
            // The copy just taken is never the one thinned away.
            QVERIFY2(!removed.contains(copy), qPrintable(copy.toString(Qt::ISODate)));
            for (const QDateTime& old : removed)
                folder.removeOne(old);
        }
    }

    QStringList left;
    for (const QDateTime& copy : BackupThinning::keep(folder))
        left.append(copy.toString(u"yyyy-MM-dd_HHmm"_s));
    QCOMPARE(left, kept);
    QCOMPARE(folder.size(), kept.size());
}

void tst_BackupThinning::names_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QDateTime>("taken");

    QTest::newRow("a backup") << u"Pediakay-2026-12-10_0148.db"_s << QDateTime(QDate(2026, 12, 10), QTime(1, 48));
    QTest::newRow("a server's dump") << u"Pediakay-2026-01-31_2359.dump"_s
                                     << QDateTime(QDate(2026, 1, 31), QTime(23, 59));
    QTest::newRow("kept aside by a restore: no backup") << u"Pediakay-oncesi-2026-12-10_0148.db"_s << QDateTime();
    QTest::newRow("half written: no backup") << u"Pediakay-2026-12-10_0148.db.yarim"_s << QDateTime();
    QTest::newRow("no such hour") << u"Pediakay-2026-12-10_2560.db"_s << QDateTime();
    QTest::newRow("another program's file") << u"Yedek-2026-12-10_0148.db"_s << QDateTime();
}

void tst_BackupThinning::names()
{
    QFETCH(QString, fileName);
    QFETCH(QDateTime, taken);
    QCOMPARE(BackupNames::takenAt(fileName), taken);
    if (taken.isValid())
        QCOMPARE(BackupNames::backupFile(taken, fileName.section(u'.', -1)), fileName);
}

QTEST_GUILESS_MAIN(tst_BackupThinning)
#include "tst_backupthinning.moc"
