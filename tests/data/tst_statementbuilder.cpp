#include "DataError.h"
#include "Field.h"
#include "Schema.h"
#include "StatementBuilder.h"

#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// Statement pieces of the data-set layer: a query's table and Turkish order, the filter text.
class tst_StatementBuilder final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseQuery_data();
    void parseQuery();
    void filterCondition_data();
    void filterCondition();
    void filterConditionRefuses_data();
    void filterConditionRefuses();
};

void tst_StatementBuilder::parseQuery_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("tail");
    const QString soyadiKey = Schema::sortKeySql(u"\"soyadi\""_s);
    const QString adiKey = Schema::sortKeySql(u"\"adi\""_s);
    QTest::newRow("number order as written")
        << u"Select * from hastasicil Order By hid ASC;"_s << u"hastasicil"_s << u"Order By hid ASC"_s;
    QTest::newRow("text by its sort key, key breaks ties")
        << u"Select * from hastasicil order by soyadi DESC"_s << u"hastasicil"_s
        << u"ORDER BY "_s + soyadiKey + u" DESC, \"hid\" DESC"_s;
    QTest::newRow("direction of the last term")
        << u"select * from hastasicil\nwhere hid > 3 order by soyadi, adi asc"_s << u"hastasicil"_s
        << u"where hid > 3 ORDER BY "_s + soyadiKey + u", "_s + adiKey + u" ASC, \"hid\" ASC"_s;
    QTest::newRow("an expression is left alone")
        << u"select * from hastasicil order by length(adi)"_s << u"hastasicil"_s << u"order by length(adi)"_s;
    QTest::newRow("unknown table") << u"select * from nosuchtable"_s << QString() << QString();
    QTest::newRow("not select star") << u"select adi from hastasicil"_s << QString() << QString();
}

void tst_StatementBuilder::parseQuery()
{
    QFETCH(QString, statement);
    QFETCH(QString, table);
    QFETCH(QString, tail);
    const StatementBuilder::Query q = StatementBuilder::parseQuery(statement);
    QCOMPARE(q.table ? q.table->name : QString(), table);
    QCOMPARE(q.tail, tail);
}

namespace {

// The fields of a small table: a text, a number and a calculated one.
struct Fields {
    Field adi { nullptr, 0, u"adi"_s, FieldType::WideString, 20 };
    Field kilo { nullptr, 1, u"kilo"_s, FieldType::Float, 0 };
    std::unique_ptr<Field> shown;

    Fields()
    {
        shown = std::make_unique<Field>(nullptr, 2, u"shown"_s, FieldType::WideString, 20);
        shown->makeLookup(u"adi"_s, nullptr, u"adi"_s, u"adi"_s);
    }
    const Field* named(const QString& name) const
    {
        for (const Field* f : { &adi, &kilo, static_cast<const Field*>(shown.get()) })
            if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
                return f;
        throw DataError(u"unknown "_s + name);
    }
};

} // namespace

void tst_StatementBuilder::filterCondition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("empty") << u"  "_s << QString() << QVariantList();
    QTest::newRow("quoted text") << u"adi = 'Ali'"_s << u" \"adi\" = :f0"_s << QVariantList { u"Ali"_s };
    QTest::newRow("doubled quote inside") << u"adi='O''Neil'"_s << u" \"adi\" = :f0"_s << QVariantList { u"O'Neil"_s };
    QTest::newRow("double quotes") << u"adi <> \"x\""_s << u" \"adi\" <> :f0"_s << QVariantList { u"x"_s };
    QTest::newRow("decimal comma") << u"kilo >= 3,5"_s << u" \"kilo\" >= :f0"_s << QVariantList { 3.5 };
    QTest::newRow("negative number") << u"kilo < -2"_s << u" \"kilo\" < :f0"_s << QVariantList { -2.0 };
    QTest::newRow("and, or, not, brackets")
        << u"(adi = 'a' or not kilo > 1) and ADI <= 'z'"_s
        << u" ( \"adi\" = :f0 OR NOT \"kilo\" > :f1 ) AND \"adi\" <= :f2"_s << QVariantList { u"a"_s, 1.0, u"z"_s };
    QTest::newRow("SQL in a value stays a value")
        << u"adi = 'x'' OR 1=1 --'"_s << u" \"adi\" = :f0"_s << QVariantList { u"x' OR 1=1 --"_s };
}

void tst_StatementBuilder::filterCondition()
{
    QFETCH(QString, text);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    Fields fields;
    QVariantMap binds;
    QCOMPARE(StatementBuilder::filterCondition(
                 text, [&fields](const QString& n) { return fields.named(n); }, binds, u"ds"_s),
        sql);
    QVariantList bound;
    for (int i = 0; i < values.size(); ++i)
        bound << binds.value(u":f%1"_s.arg(i));
    QCOMPARE(bound, values);
    QCOMPARE(binds.size(), values.size());
}

void tst_StatementBuilder::filterConditionRefuses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("free SQL") << u"adi = 'a'; DROP TABLE x"_s << u"ds: süzgeç ifadesi anlaşılamadı"_s;
    QTest::newRow("no value") << u"adi ="_s << u"ds: süzgeç ifadesi anlaşılamadı"_s;
    QTest::newRow("column against column") << u"adi = kilo"_s << u"ds: süzgeç ifadesi anlaşılamadı"_s;
    QTest::newRow("calculated field") << u"shown = 'a'"_s << u"ds: süzgeçte hesaplanan alan kullanılamaz: shown"_s;
    QTest::newRow("unknown field") << u"yok = 1"_s << u"unknown yok"_s;
}

void tst_StatementBuilder::filterConditionRefuses()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    Fields fields;
    QVariantMap binds;
    try {
        StatementBuilder::filterCondition(
            text, [&fields](const QString& n) { return fields.named(n); }, binds, u"ds"_s);
        QFAIL("accepted");
    } catch (const DataError& e) {
        QVERIFY2(e.text().startsWith(message), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(tst_StatementBuilder)
#include "tst_statementbuilder.moc"
