#include "ValueFormats.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

class tst_ValueFormats final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readNumber_data();
    void readNumber();
    void qtDatePattern_data();
    void qtDatePattern();
    void shownDate_data();
    void shownDate();
    void storedDateRoundTrip_data();
    void storedDateRoundTrip();
    void readStoredDate_data();
    void readStoredDate();
    void readDate_data();
    void readDate();
};

void tst_ValueFormats::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("expected");

    QTest::newRow("decimal comma") << u"58,5"_s << true << 58.5;
    QTest::newRow("plain point") << u"58.5"_s << true << 58.5;
    QTest::newRow("negative with comma") << u"-3,25"_s << true << -3.25;
    QTest::newRow("whole number") << u"1200"_s << true << 1200.0;
    QTest::newRow("blanks around") << u"  12,5\t"_s << true << 12.5;
    // A Turkish thousands point would make 1.234 into 1234; it is read as a decimal point.
    QTest::newRow("point is never a group separator") << u"1.234"_s << true << 1.234;
    QTest::newRow("group and decimal separators") << u"1.234,5"_s << false << 0.0;
    QTest::newRow("comma group in plain notation") << u"1,234.5"_s << false << 0.0;
    QTest::newRow("two points") << u"12.34.567"_s << false << 0.0;
    QTest::newRow("two commas") << u"1,2,3"_s << false << 0.0;
    QTest::newRow("unit after the number") << u"12,5 kg"_s << false << 0.0;
    QTest::newRow("letters") << u"on iki"_s << false << 0.0;
    QTest::newRow("only blanks") << u"   "_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
}

void tst_ValueFormats::readNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, expected);
    const std::optional<double> number = ValueFormats::readNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, expected);
}

void tst_ValueFormats::qtDatePattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("shown");

    // Shown for 7 March 2024, 09:05:02.
    QTest::newRow("day month year") << u"dd.mm.yyyy"_s << u"07.03.2024"_s;
    QTest::newRow("capital letters") << u"DD.MM.YYYY"_s << u"07.03.2024"_s;
    QTest::newRow("short day and month") << u"d.m.yy"_s << u"7.3.24"_s;
    QTest::newRow("slashes") << u"dd/mm/yyyy"_s << u"07/03/2024"_s;
    QTest::newRow("nn minutes") << u"dd.mm.yyyy hh:nn"_s << u"07.03.2024 09:05"_s;
    QTest::newRow("mm after an hour is minutes") << u"hh:mm"_s << u"09:05"_s;
    QTest::newRow("month again after the minutes") << u"hh:mm dd.mm.yyyy"_s << u"09:05 07.03.2024"_s;
    QTest::newRow("seconds") << u"hh:nn:ss"_s << u"09:05:02"_s;
    QTest::newRow("iso order") << u"yyyy-mm-dd"_s << u"2024-03-07"_s;
    QTest::newRow("other letters are literal") << u"yyyy-mm-ddThh:nn"_s << u"2024-03-07T09:05"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_ValueFormats::qtDatePattern()
{
    QFETCH(QString, pattern);
    QFETCH(QString, shown);
    const QDateTime when(QDate(2024, 3, 7), QTime(9, 5, 2));
    QCOMPARE(when.toString(ValueFormats::qtDatePattern(pattern)), shown);
}

void tst_ValueFormats::shownDate_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("shown");

    // On 7 March 2024.
    QTest::newRow("midnight shows the date alone") << QTime(0, 0) << QString() << u"07.03.2024"_s;
    QTest::newRow("other times show the clock") << QTime(9, 5, 2) << QString() << u"07.03.2024 09:05:02"_s;
    QTest::newRow("one second past midnight") << QTime(0, 0, 1) << QString() << u"07.03.2024 00:00:01"_s;
    QTest::newRow("pattern wins") << QTime(9, 5, 2) << u"dd.mm.yyyy"_s << u"07.03.2024"_s;
    QTest::newRow("pattern with the clock at midnight")
        << QTime(0, 0) << u"dd.mm.yyyy hh:nn"_s << u"07.03.2024 00:00"_s;
}

void tst_ValueFormats::shownDate()
{
    QFETCH(QTime, time);
    QFETCH(QString, pattern);
    QFETCH(QString, shown);
    QCOMPARE(ValueFormats::shownDate(QDateTime(QDate(2024, 3, 7), time), pattern), shown);
}

void tst_ValueFormats::storedDateRoundTrip_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("stored");

    QTest::newRow("with milliseconds") << QDate(2024, 3, 7) << QTime(9, 5, 2, 123) << u"2024-03-07 09:05:02.123"_s;
    QTest::newRow("midnight") << QDate(2023, 12, 31) << QTime(0, 0) << u"2023-12-31 00:00:00.000"_s;
    QTest::newRow("last moment of a leap day")
        << QDate(2024, 2, 29) << QTime(23, 59, 59, 999) << u"2024-02-29 23:59:59.999"_s;
    QTest::newRow("early year") << QDate(1900, 1, 1) << QTime(12, 0) << u"1900-01-01 12:00:00.000"_s;
}

void tst_ValueFormats::storedDateRoundTrip()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, stored);

    QCOMPARE(ValueFormats::storedDate(QDateTime(date, time)), stored);
    QCOMPARE(ValueFormats::storedDate(date, time), stored);

    const QDateTime read = ValueFormats::readStoredDate(stored);
    QCOMPARE(read.date(), date);
    QCOMPARE(read.time(), time);
    QCOMPARE(ValueFormats::readDate(stored), QDateTime(date, time));
}

void tst_ValueFormats::readStoredDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // in UTC: the wall clock with no time zone

    QTest::newRow("full") << u"2024-03-07 09:05:02.123"_s << QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2, 123), Qt::UTC);
    QTest::newRow("without milliseconds")
        << u"2024-03-07 09:05:02"_s << QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2), Qt::UTC);
    QTest::newRow("date alone is midnight") << u"2024-03-07"_s << QDateTime(QDate(2024, 3, 7), QTime(0, 0), Qt::UTC);
    QTest::newRow("day that does not exist") << u"2023-02-29 10:00:00.000"_s << QDateTime();
    QTest::newRow("hour that does not exist") << u"2024-03-07 24:00:00.000"_s << QDateTime();
    QTest::newRow("typed date is not the stored form") << u"07.03.2024"_s << QDateTime();
    QTest::newRow("too short") << u"2024-03"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void tst_ValueFormats::readStoredDate()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const QDateTime read = ValueFormats::readStoredDate(text);
    QCOMPARE(read.isValid(), expected.isValid());
    if (!expected.isValid())
        return;
    QCOMPARE(read, expected);
    QCOMPARE(read.timeSpec(), Qt::UTC);
}

void tst_ValueFormats::readDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected"); // local time

    const QDate day(2024, 3, 7);
    QTest::newRow("stored") << u"2024-03-07 09:05:02.123"_s << QDateTime(day, QTime(9, 5, 2, 123));
    QTest::newRow("stored date alone") << u"2024-03-07"_s << QDateTime(day, QTime(0, 0));
    QTest::newRow("iso with T") << u"2024-03-07T09:05:02"_s << QDateTime(day, QTime(9, 5, 2));
    QTest::newRow("dotted") << u"07.03.2024"_s << QDateTime(day, QTime(0, 0));
    QTest::newRow("dotted without leading zeros") << u"7.3.2024"_s << QDateTime(day, QTime(0, 0));
    QTest::newRow("dotted with hour and minute") << u"07.03.2024 09:05"_s << QDateTime(day, QTime(9, 5));
    QTest::newRow("dotted with seconds") << u"07.03.2024 09:05:02"_s << QDateTime(day, QTime(9, 5, 2));
    QTest::newRow("slashes") << u"07/03/2024"_s << QDateTime(day, QTime(0, 0));
    QTest::newRow("slashes with time") << u"07/03/2024 09:05"_s << QDateTime(day, QTime(9, 5));
    QTest::newRow("extra blanks") << u"  07.03.2024   09:05 "_s << QDateTime(day, QTime(9, 5));
    QTest::newRow("day that does not exist") << u"30.02.2024"_s << QDateTime();
    QTest::newRow("day past the end of the month") << u"2024-04-31"_s << QDateTime();
    QTest::newRow("words") << u"dün"_s << QDateTime();
    QTest::newRow("empty") << QString() << QDateTime();
}

void tst_ValueFormats::readDate()
{
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    const QDateTime read = ValueFormats::readDate(text);
    QCOMPARE(read.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(read, expected);
}

QTEST_GUILESS_MAIN(tst_ValueFormats)
#include "tst_valueformats.moc"
