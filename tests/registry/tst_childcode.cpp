#include "ChildCode.h"
#include "PediakayApplication.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ChildCode final : public QObject
{
    Q_OBJECT

private slots:
    void nextCode_data();
    void nextCode();
    void koddansayiRefusesNonNumbers_data();
    void koddansayiRefusesNonNumbers();
};

void tst_ChildCode::nextCode_data()
{
    QTest::addColumn<QString>("lastCode");
    QTest::addColumn<QString>("proposal");
    QTest::newRow("plain number") << u"16"_s << u"17"_s;
    QTest::newRow("minus not first is dropped") << u"A-12"_s << u"13"_s;
    QTest::newRow("no digits") << u"ABC"_s << u"1"_s;
    QTest::newRow("slash dropped") << u"20/15"_s << u"2016"_s;
    QTest::newRow("empty code") << QString() << u"1"_s;
    QTest::newRow("leading zeros") << u"007"_s << u"8"_s;
    QTest::newRow("sign first") << u"-5"_s << u"-4"_s;
    QTest::newRow("decimal comma") << u"1,5"_s << u"2,5"_s;
    QTest::newRow("lone sign") << u"+"_s << u"1"_s;
    QTest::newRow("two separators") << u"1,2,3"_s << u"1"_s;
    QTest::newRow("dot is not the separator") << u"3.4"_s << u"35"_s;
    QTest::newRow("letters around digits") << u"P2024-07"_s << u"202408"_s;
    // Long codes keep every digit.
    QTest::newRow("eight digits") << u"20240715"_s << u"20240716"_s;
    QTest::newRow("fifteen digits") << u"100000000000000"_s << u"100000000000001"_s;
}

void tst_ChildCode::nextCode()
{
    QFETCH(QString, lastCode);
    QFETCH(QString, proposal);
    QCOMPARE(ChildCode::nextCode(lastCode), proposal);
}

void tst_ChildCode::koddansayiRefusesNonNumbers_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("nothing kept is zero") << u"XYZ"_s << true << 0.0;
    QTest::newRow("minus only") << u"-"_s << false << 0.0;
    QTest::newRow("sign then letters") << u"-AB"_s << false << 0.0;
    QTest::newRow("separator and digits") << u",5"_s << true << 0.5;
    QTest::newRow("double separator") << u"1,,2"_s << false << 0.0;
}

void tst_ChildCode::koddansayiRefusesNonNumbers()
{
    QFETCH(QString, code);
    QFETCH(bool, ok);
    QFETCH(double, value);
    bool parsed = !ok;
    QCOMPARE(ChildCode::koddansayi(code, &parsed), value);
    QCOMPARE(parsed, ok);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_ChildCode test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_childcode.moc"
