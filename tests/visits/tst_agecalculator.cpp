#include "AgeCalculator.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_AgeCalculator final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compute_data();
    void compute();
    void timeOfDayIsIgnored();
    void emptyBirthDateCountsFrom1899();
    void emptyReferenceDateGivesLargeNegativeAge();
};

namespace {

QDate dmy(const char* text)
{
    return QDate::fromString(QString::fromLatin1(text), u"dd.MM.yyyy"_s);
}

} // namespace

void tst_AgeCalculator::compute_data()
{
    QTest::addColumn<QDate>("birth");
    QTest::addColumn<QDate>("reference");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<QString>("vaccineText");

    struct Row {
        const char* birth;
        const char* reference;
        double value;
        int months;
        int days;
        const char* yearText;
        const char* vaccineText;
    };
    const Row rows[] = {
        // Same month, no borrow.
        { "15.03.2010", "20.03.2012", 24.05, 24, 5, "2,0,5", "24 Ay 5 Gün" },
        { "01.03.2012", "20.03.2012", 0.19, 0, 19, "0,0,19", "0 Ay 19 Gün" },
        { "10.02.2008", "10.02.2012", 48.00, 48, 0, "4,0,0", "48 Ay 0 Gün" },
        // Borrow of February's 29 days in 2012.
        { "20.03.2010", "15.03.2012", 23.24, 23, 24, "1,11,24", "23 Ay 24 Gün" },
        // January references borrow December's 31 days.
        { "31.12.2011", "01.01.2012", 0.01, 0, 1, "0,0,1", "0 Ay 1 Gün" },
        { "10.06.2011", "05.01.2012", 6.26, 6, 26, "0,6,26", "6 Ay 26 Gün" },
        { "05.08.2011", "20.01.2012", 5.15, 5, 15, "0,5,15", "5 Ay 15 Gün" },
        // Borrow of July's 31 days.
        { "20.05.2010", "10.08.2012", 26.21, 26, 21, "2,2,21", "26 Ay 21 Gün" },
        // Borrow of January's 31 days, leap birthday.
        { "29.02.2012", "28.02.2013", 11.30, 11, 30, "0,11,30", "11 Ay 30 Gün" },
        // Short February: the day stays negative after the one borrow.
        { "31.01.2012", "01.03.2012", 0.99, 1, -1, "0,1,-1", "1 Ay -1 Gün" },
        { "31.01.2011", "01.03.2011", 0.98, 1, -2, "0,1,-2", "1 Ay -2 Gün" },
        { "30.01.2011", "01.03.2011", 0.99, 1, -1, "0,1,-1", "1 Ay -1 Gün" },
        { "29.01.2011", "01.03.2011", 1.00, 1, 0, "0,1,0", "1 Ay 0 Gün" },
        // Reference before birth: years round toward minus infinity.
        { "10.05.2012", "05.03.2012", -2.76, -3, 24, "-1,9,24", "-3 Ay 24 Gün" },
        { "10.05.2012", "20.05.2011", -11.90, -12, 10, "-1,0,10", "-12 Ay 10 Gün" },
        { "10.05.2012", "10.05.2011", -12.00, -12, 0, "-1,0,0", "-12 Ay 0 Gün" },
        { "10.05.2012", "11.04.2011", -12.99, -13, 1, "-2,11,1", "-13 Ay 1 Gün" },
        { "10.05.2012", "10.05.2012", 0.00, 0, 0, "0,0,0", "0 Ay 0 Gün" },
        // Exactly one year and one month.
        { "10.05.2011", "10.06.2012", 13.00, 13, 0, "1,1,0", "13 Ay 0 Gün" },
    };
    for (const Row& row : rows) {
        QTest::addRow("%s->%s", row.birth, row.reference)
            << dmy(row.birth) << dmy(row.reference) << row.value << row.months << row.days
            << QString::fromUtf8(row.yearText) << QString::fromUtf8(row.vaccineText);
    }
}

void tst_AgeCalculator::compute()
{
    QFETCH(QDate, birth);
    QFETCH(QDate, reference);
    QFETCH(double, value);
    QFETCH(int, months);
    QFETCH(int, days);
    QFETCH(QString, yearText);
    QFETCH(QString, vaccineText);
    QVERIFY(birth.isValid());
    QVERIFY(reference.isValid());

    const Age age = AgeCalculator::compute(birth, reference);
    QCOMPARE(age.months, months);
    QCOMPARE(age.days, days);
    QVERIFY2(qAbs(age.value - value) < 1e-9, qPrintable(QString::number(age.value, 'g', 17)));
    QCOMPARE(age.yearText, yearText);
    QCOMPARE(age.vaccineText, vaccineText);
}

void tst_AgeCalculator::timeOfDayIsIgnored()
{
    const QDateTime birth(QDate(2010, 3, 20), QTime(23, 59, 59));
    const QDateTime reference(QDate(2012, 3, 20), QTime(0, 0));
    QCOMPARE(AgeCalculator::compute(birth.date(), reference.date()).yearText, u"2,0,0"_s);
    QCOMPARE(AgeCalculator::compute(birth.date(), reference.addSecs(86399).date()).value, 24.0);
}

void tst_AgeCalculator::emptyBirthDateCountsFrom1899()
{
    const Age empty = AgeCalculator::compute(QDate(), QDate(2012, 3, 20));
    const Age zero = AgeCalculator::compute(QDate(1899, 12, 30), QDate(2012, 3, 20));
    QVERIFY(empty.months > 1000);
    QCOMPARE(empty.months, 1346);
    QCOMPARE(empty.days, 19); // 20 - 30 + 29 days of February 2012
    QCOMPARE(empty.yearText, zero.yearText);
    QCOMPARE(empty.yearText, u"112,2,19"_s);
}

void tst_AgeCalculator::emptyReferenceDateGivesLargeNegativeAge()
{
    const Age age = AgeCalculator::compute(QDate(2012, 3, 20), QDate());
    QVERIFY(age.value < -1000.0);
    QCOMPARE(age.yearText, AgeCalculator::compute(QDate(2012, 3, 20), QDate(1899, 12, 30)).yearText);
}

QTEST_GUILESS_MAIN(tst_AgeCalculator)
#include "tst_agecalculator.moc"
