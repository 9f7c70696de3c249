#include "DataError.h"
#include "Field.h"
#include "StoredValue.h"

#include <QDateTime>
#include <QTest>

using namespace Qt::StringLiterals;

// What a field stores for a typed or set value, and the values it refuses.
class tst_StoredValue final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stored_data();
    void stored();
    void refused_data();
    void refused();
};

void tst_StoredValue::stored_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");
    const auto t = [](FieldType type) { return int(type); };
    QTest::newRow("text at its size") << t(FieldType::WideString) << 3 << QVariant(u"abc"_s) << QVariant(u"abc"_s);
    QTest::newRow("empty text is none") << t(FieldType::WideString) << 3 << QVariant(QString()) << QVariant();
    QTest::newRow("long memo") << t(FieldType::Memo) << 0 << QVariant(QString(5000, u'x'))
                               << QVariant(QString(5000, u'x'));
    QTest::newRow("typed whole number") << t(FieldType::Integer) << 0 << QVariant(u" 42 "_s) << QVariant(42LL);
    QTest::newRow("typed with decimal comma zero") << t(FieldType::Integer) << 0 << QVariant(u"7,0"_s) << QVariant(7LL);
    QTest::newRow("smallint upper bound") << t(FieldType::Smallint) << 0 << QVariant(32767) << QVariant(32767LL);
    QTest::newRow("smallint lower bound") << t(FieldType::Smallint) << 0 << QVariant(u"-32768"_s) << QVariant(-32768LL);
    QTest::newRow("integer upper bound") << t(FieldType::Integer) << 0 << QVariant(2147483647.0)
                                         << QVariant(2147483647LL);
    QTest::newRow("typed decimal") << t(FieldType::Float) << 0 << QVariant(u"3,25"_s) << QVariant(3.25);
    QTest::newRow("blank number is none") << t(FieldType::Float) << 0 << QVariant(u"  "_s) << QVariant();
    QTest::newRow("typed date") << t(FieldType::DateTime) << 0 << QVariant(u"05.03.2024"_s)
                                << QVariant(u"2024-03-05 00:00:00.000"_s);
    QTest::newRow("picture bytes") << t(FieldType::Blob) << 0 << QVariant(QByteArray("\x01\x02", 2))
                                   << QVariant(QByteArray("\x01\x02", 2));
}

void tst_StoredValue::stored()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    const Field field(nullptr, 0, u"alan"_s, FieldType(type), size);
    const QVariant stored = StoredValue::of(field, value);
    QCOMPARE(StoredValue::isNull(stored), StoredValue::isNull(expected));
    if (!StoredValue::isNull(expected))
        QCOMPARE(stored, expected);
}

void tst_StoredValue::refused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("message");
    const auto t = [](FieldType type) { return int(type); };
    QTest::newRow("text one over its size") << t(FieldType::WideString) << 3 << QVariant(u"abcd"_s)
                                            << u"\"alan\" alanına en fazla 3 karakter girilebilir"_s;
    QTest::newRow("fraction in a whole number")
        << t(FieldType::Integer) << 0 << QVariant(u"2,5"_s) << u"'2,5' geçerli bir tam sayı değil"_s;
    QTest::newRow("letters in a whole number")
        << t(FieldType::Integer) << 0 << QVariant(u"on"_s) << u"'on' geçerli bir tam sayı değil"_s;
    QTest::newRow("smallint one over") << t(FieldType::Smallint) << 0 << QVariant(32768)
                                       << u"32.768 değeri alan alanı için geçersiz"_s;
    QTest::newRow("smallint one under") << t(FieldType::Smallint) << 0 << QVariant(u"-32769"_s)
                                        << u"-32.769 değeri alan alanı için geçersiz"_s;
    QTest::newRow("integer one over") << t(FieldType::Integer) << 0 << QVariant(2147483648.0)
                                      << u"2.147.483.648 değeri alan alanı için geçersiz"_s;
    QTest::newRow("letters in a number") << t(FieldType::Float) << 0 << QVariant(u"3,5 kg"_s)
                                         << u"'3,5 kg' geçerli bir sayı değil"_s;
    QTest::newRow("infinite number") << t(FieldType::Float) << 0 << QVariant(qInf())
                                     << u"'inf' geçerli bir sayı değil"_s;
    QTest::newRow("no such day") << t(FieldType::DateTime) << 0 << QVariant(u"31.02.2024"_s)
                                 << u"'31.02.2024' geçerli bir tarih değil"_s;
    QTest::newRow("year past 9999") << t(FieldType::DateTime) << 0
                                    << QVariant(QDateTime(QDate(10000, 1, 1), QTime(0, 0)))
                                    << u"geçerli bir tarih değil"_s;
}

void tst_StoredValue::refused()
{
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QString, message);
    const Field field(nullptr, 0, u"alan"_s, FieldType(type), size);
    try {
        StoredValue::of(field, value);
        QFAIL("stored");
    } catch (const DataError& e) {
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(tst_StoredValue)
#include "tst_storedvalue.moc"
