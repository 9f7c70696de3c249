#include "PediakayApplication.h"
#include "RtfReader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

// The text of every block, joined by "|".
QString blocks(const QTextDocument& document)
{
    QStringList texts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        texts.append(block.text());
    while (!texts.isEmpty() && texts.last().isEmpty())
        texts.removeLast();
    return texts.join(u'|');
}

QTextCharFormat formatAt(const QTextDocument& document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

} // namespace

class tst_RtfReader final : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void formatting();
    void signature_data();
    void signature();
    void plainText_data();
    void plainText();
};

void tst_RtfReader::text_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    QTest::newRow("paragraphs") << QByteArray("{\\rtf1\\ansi Bir\\par \\pard Iki\\par}") << u"Bir|Iki"_s;
    QTest::newRow("code page bytes") << QByteArray(
        "{\\rtf1\\ansi\\ansicpg1254 \\'d0\\'dd\\'de\\'f0\\'fd\\'fe \\'c7\\'e7\\'d6\\'f6\\'dc\\'fc}")
                                     << u"ĞİŞğış ÇçÖöÜü"_s;
    QTest::newRow("unicode with fallback") << QByteArray("{\\rtf1\\uc1 \\u350?eker \\u305?\\u287?}") << u"Şeker ığ"_s;
    QTest::newRow("unicode without fallback") << QByteArray("{\\rtf1\\uc0 \\u304 stanbul}") << u"İstanbul"_s;
    QTest::newRow("negative unicode") << QByteArray("{\\rtf1\\u-3913?}") << QString(QChar(0xF0B7));
    QTest::newRow("tables skipped") << QByteArray(
        "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
        "{\\*\\generator Msftedit;}{\\info{\\title Baslik}}\\f0 Metin\\par}")
                                    << u"Metin"_s;
    QTest::newRow("escaped symbols") << QByteArray("{\\rtf1 a\\\\b \\{c\\}}") << u"a\\b {c}"_s;
    QTest::newRow("line breaks in the file") << QByteArray("{\\rtf1 bir\r\niki}") << u"biriki"_s;
    QTest::newRow("line and tab") << QByteArray("{\\rtf1 a\\line b\\tab c}")
                                  << (u"a"_s + QChar::LineSeparator + u"b\tc"_s);
    QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 {\\b kalin") << u"kalin"_s;
    QTest::newRow("stray closing braces") << QByteArray("{\\rtf1 a}}}b") << u"ab"_s;
    QTest::newRow("truncated escape") << QByteArray("{\\rtf1 a\\'") << u"a"_s;
    QTest::newRow("quotes") << QByteArray("{\\rtf1 \\ldblquote Evet\\rdblquote}") << u"\u201CEvet\u201D"_s;
}

void tst_RtfReader::text()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    QTextDocument document;
    RtfReader::read(rtf, &document);
    QCOMPARE(blocks(document), expected);
}

void tst_RtfReader::formatting()
{
    QTextDocument document;
    RtfReader::read(
        "{\\rtf1 {\\b Kalin} duz \\i egik\\i0  \\ul alti\\ulnone  {\\fs32 buyuk} \\b x\\plain y}", &document);
    const QString text = document.toPlainText();
    QCOMPARE(text, u"Kalin duz egik alti buyuk xy"_s);
    QCOMPARE(formatAt(document, text.indexOf(u"Kalin"_s)).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(document, text.indexOf(u"duz"_s)).fontWeight(), int(QFont::Normal));
    QVERIFY(formatAt(document, text.indexOf(u"egik"_s)).fontItalic());
    QVERIFY(!formatAt(document, text.indexOf(u"alti"_s) - 1).fontItalic());
    QVERIFY(formatAt(document, text.indexOf(u"alti"_s)).fontUnderline());
    QCOMPARE(formatAt(document, text.indexOf(u"buyuk"_s)).fontPointSize(), 16.0);
    QCOMPARE(formatAt(document, text.indexOf(u"x"_s)).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(document, text.indexOf(u"y"_s)).fontWeight(), int(QFont::Normal));
}

void tst_RtfReader::signature_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("rtf") << QByteArray("{\\rtf1\\ansi}") << true;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF{\\rtf1}") << true;
    QTest::newRow("plain") << QByteArray("Giriş bölümü") << false;
    QTest::newRow("brace only") << QByteArray("{metin}") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void tst_RtfReader::signature()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, rtf);
    QCOMPARE(RtfReader::isRtf(bytes), rtf);
}

void tst_RtfReader::plainText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("utf-8") << u"Şifre ğüı"_s.toUtf8() << u"Şifre ğüı"_s;
    QTest::newRow("utf-8 with mark") << (QByteArray("\xEF\xBB\xBF") + u"Çocuk"_s.toUtf8()) << u"Çocuk"_s;
    QTest::newRow("windows-1254") << QByteArray("\xdeifre \xf0\xfc\xfd \xddzmir") << u"Şifre ğüı İzmir"_s;
}

void tst_RtfReader::plainText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(RtfReader::decodePlain(bytes), expected);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_RtfReader test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtfreader.moc"
