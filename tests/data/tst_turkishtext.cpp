#include "Schema.h"
#include "TurkishText.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_TurkishText final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kucukharf_data();
    void kucukharf();
    void buyukharf_data();
    void buyukharf();
    void fold_data();
    void fold();
    void foldMatchesSqlForEveryCharacter();
    void wordCapital_data();
    void wordCapital();
    void alphabetRoundTrip();
};

namespace {

const QString upperAlphabet = u"ABCÇDEFGĞHIİJKLMNOÖPRSŞTUÜVYZQWX"_s;
const QString lowerAlphabet = u"abcçdefgğhıijklmnoöprsştuüvyzqwx"_s;

} // namespace

void tst_TurkishText::kucukharf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dotted capital") << u"İSTANBUL"_s << u"istanbul"_s;
    QTest::newRow("dotless capital") << u"IŞIK"_s << u"ışık"_s;
    QTest::newRow("turkish capitals") << u"ÇĞÖŞÜ"_s << u"çğöşü"_s;
    QTest::newRow("already lower") << u"ılık çiğ"_s << u"ılık çiğ"_s;
    QTest::newRow("trims blanks") << u"  Ali Veli \t"_s << u"ali veli"_s;
    QTest::newRow("trims control characters") << u"\x01\r\nALİ\x1f"_s << u"ali"_s;
    QTest::newRow("inner blanks kept") << u"A  B"_s << u"a  b"_s;
    QTest::newRow("no-break space kept") << u"\u00a0ALİ"_s << u"\u00a0ali"_s;
    QTest::newRow("circumflex keeps case") << u"ÂLÎ ÛMİT"_s << u"ÂlÎ Ûmit"_s;
    QTest::newRow("other letters keep case") << u"ÉÄß"_s << u"ÉÄß"_s;
    QTest::newRow("digits and signs") << u"KOD-12/3"_s << u"kod-12/3"_s;
    QTest::newRow("only blanks") << u"   "_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_TurkishText::kucukharf()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TurkishText::kucukharf(text), expected);
}

void tst_TurkishText::buyukharf_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("dotted small") << u"istanbul"_s << u"İSTANBUL"_s;
    QTest::newRow("dotless small") << u"ışık"_s << u"IŞIK"_s;
    QTest::newRow("turkish smalls") << u"çğöşü"_s << u"ÇĞÖŞÜ"_s;
    QTest::newRow("mixed") << u"Çiğdem Işıl"_s << u"ÇİĞDEM IŞIL"_s;
    QTest::newRow("trims") << u"\t ali \n"_s << u"ALİ"_s;
    QTest::newRow("circumflex keeps case") << u"âlî ûmit"_s << u"âLî ûMİT"_s;
    QTest::newRow("other letters keep case") << u"éäß"_s << u"éäß"_s;
    QTest::newRow("digits and signs") << u"kod-12/3"_s << u"KOD-12/3"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_TurkishText::buyukharf()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TurkishText::buyukharf(text), expected);
}

void tst_TurkishText::fold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pairs") << u"IİıiÇçĞğÖöŞşÜü"_s << u"ıiıiççğğööşşüü"_s;
    QTest::newRow("circumflex folds") << u"ÂLÎ ÛMİT"_s << u"âlî ûmit"_s;
    QTest::newRow("not trimmed") << u"  KOD-12/É "_s << u"  kod-12/É "_s;
    QTest::newRow("other capitals kept") << u"ÉÄÑΩЖ"_s << u"ÉÄÑΩЖ"_s;
    QTest::newRow("empty") << QString() << QString();
}

void tst_TurkishText::fold()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TurkishText::fold(text), expected);
}

void tst_TurkishText::foldMatchesSqlForEveryCharacter()
{
    // Searches fold in the program and compare with indexes built on the SQL fold: both must
    // agree on every character, or a record is found one way and missed the other.
    QString all;
    // Surrogates and non-characters do not survive the trip through UTF-8.
    for (char32_t c = 1; c < 0xFFFE; ++c) {
        if ((c < 0xD800 || c > 0xDFFF) && (c < 0xFDD0 || c > 0xFDEF))
            all.append(QChar(char16_t(c)));
    }
    all.append(QString::fromUcs4(U"\U0001D400\U0001F600"));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"fold"_s);
        db.setDatabaseName(u":memory:"_s);
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        QVERIFY(q.prepare(u"SELECT "_s + Schema::foldSql(u"?"_s)));
        q.addBindValue(all);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        QVERIFY(q.next());
        const QString sql = q.value(0).toString();
        const QString program = TurkishText::fold(all);
        QCOMPARE(program.size(), all.size());
        QCOMPARE(sql.size(), all.size());
        for (qsizetype i = 0; i < all.size(); ++i) {
            if (program.at(i) != sql.at(i)) {
                QFAIL(qPrintable(u"U+%1: program %2, SQL %3"_s.arg(int(all.at(i).unicode()), 4, 16, QChar(u'0'))
                                     .arg(program.at(i))
                                     .arg(sql.at(i))));
            }
        }
    }
    QSqlDatabase::removeDatabase(u"fold"_s);
}

void tst_TurkishText::wordCapital_data()
{
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<QChar>("capital");

    QTest::newRow("a") << QChar(u'a') << QChar(u'A');
    QTest::newRow("h") << QChar(u'h') << QChar(u'H');
    QTest::newRow("j") << QChar(u'j') << QChar(u'J');
    QTest::newRow("z") << QChar(u'z') << QChar(u'Z');
    QTest::newRow("i") << QChar(u'i') << QChar(u'İ');
    QTest::newRow("ı") << QChar(u'ı') << QChar(u'I');
    QTest::newRow("ç") << QChar(u'ç') << QChar(u'Ç');
    QTest::newRow("ğ") << QChar(u'ğ') << QChar(u'Ğ');
    QTest::newRow("ö") << QChar(u'ö') << QChar(u'Ö');
    QTest::newRow("ş") << QChar(u'ş') << QChar(u'Ş');
    QTest::newRow("ü") << QChar(u'ü') << QChar(u'Ü');
    QTest::newRow("capital") << QChar(u'I') << QChar(u'I');
    QTest::newRow("digit") << QChar(u'5') << QChar(u'5');
    QTest::newRow("blank") << QChar(u' ') << QChar(u' ');
    QTest::newRow("â") << QChar(u'â') << QChar(u'â');
    QTest::newRow("é") << QChar(u'é') << QChar(u'é');
}

void tst_TurkishText::wordCapital()
{
    QFETCH(QChar, typed);
    QFETCH(QChar, capital);
    QCOMPARE(TurkishText::wordCapital(typed), capital);
}

void tst_TurkishText::alphabetRoundTrip()
{
    QCOMPARE(TurkishText::kucukharf(upperAlphabet), lowerAlphabet);
    QCOMPARE(TurkishText::buyukharf(lowerAlphabet), upperAlphabet);
    for (qsizetype i = 0; i < upperAlphabet.size(); ++i) {
        QCOMPARE(TurkishText::lower(upperAlphabet.at(i)), lowerAlphabet.at(i));
        QCOMPARE(TurkishText::upper(lowerAlphabet.at(i)), upperAlphabet.at(i));
    }
    QCOMPARE(TurkishText::fold(upperAlphabet), lowerAlphabet);
}

QTEST_GUILESS_MAIN(tst_TurkishText)
#include "tst_turkishtext.moc"
