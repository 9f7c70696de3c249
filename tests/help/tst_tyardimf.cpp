#include "AppFixture.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TsifrelerF.h"
#include "TyardimF.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

void writeTopic(AppFixture& app, const QString& name, const QByteArray& content)
{
    QFile::remove(app.path(name));
    QFile file(app.path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString shownText(TyardimF* help)
{
    return help->findChild<QTextEdit*>(u"RichEdit1"_s)->toPlainText().trimmed();
}

QComboBox* topicList(TyardimF* help)
{
    return help->findChild<QComboBox*>(u"ComboBox1"_s);
}

} // namespace

class tst_TyardimF final : public QObject
{
    Q_OBJECT

private slots:
    void startState();
    void showTopicKeepsList();
    void missingTopicKeepsText();
    void chooseTopic_data();
    void chooseTopic();
    void unreadableTopic();
    void deliveredTopics();
    void comesToTheFront();
    void topicListKeys_data();
    void topicListKeys();
};

void tst_TyardimF::startState()
{
    AppFixture app;
    TyardimF* help = app.screens().yardimF;
    QVERIFY(help->isHidden());
    QCOMPARE(help->windowTitle(), u"Lumeko Fidanizi Programı - Yardım"_s);
    QComboBox* list = topicList(help);
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries.append(list->itemText(i));
    QCOMPARE(entries,
        (QStringList { u"Giriş Bölümü"_s, u"Gelişim Takip Bölümü"_s, u"Şifre Giriş ve Değişiklik Bölümü"_s,
            u"Çocuk Giriş ve Değişiklik Bölümü"_s, u"Gelişim Grafiği Kullanımı Bölümü"_s, u"Çocuk Listeleri Bölümü"_s,
            u"Aşı Kartları Bölümü"_s }));
    QCOMPARE(list->currentIndex(), 0);
    QVERIFY(shownText(help).isEmpty());
    QVERIFY(help->findChild<QTextEdit*>(u"RichEdit1"_s)->isReadOnly());
    QCOMPARE(help->findChild<QLabel*>(u"StatusBar1Panel1"_s)->text(), u"   Version 1.0"_s);
}

void tst_TyardimF::showTopicKeepsList()
{
    AppFixture app;
    writeTopic(app, u"ymuayene"_s, "{\\rtf1 Muayene konusu\\par}");
    writeTopic(app, u"ygrafik"_s, "Grafik konusu");
    TyardimF* help = app.screens().yardimF;
    help->showTopic(u"ymuayene"_s);
    QVERIFY(help->isVisible());
    QCOMPARE(shownText(help), u"Muayene konusu"_s);
    QCOMPARE(topicList(help)->currentText(), u"Giriş Bölümü"_s);
    // A second screen's topic replaces the first.
    help->showTopic(u"ygrafik"_s);
    QCOMPARE(shownText(help), u"Grafik konusu"_s);
    VERIFY_BOXES(app);
}

void tst_TyardimF::missingTopicKeepsText()
{
    AppFixture app;
    writeTopic(app, u"ymuayene"_s, "Muayene");
    QFile::remove(app.path(u"yasikart"_s));
    TyardimF* help = app.screens().yardimF;
    help->showTopic(u"yasikart"_s);
    QVERIFY(help->isVisible());
    QVERIFY(shownText(help).isEmpty());
    help->showTopic(u"ymuayene"_s);
    help->hide();
    help->showTopic(u"yasikart"_s);
    QCOMPARE(shownText(help), u"Muayene"_s);
    VERIFY_BOXES(app);
}

void tst_TyardimF::chooseTopic_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("present");
    QTest::newRow("present") << 5 << true;
    QTest::newRow("missing") << 3 << false;
}

void tst_TyardimF::chooseTopic()
{
    QFETCH(int, index);
    QFETCH(bool, present);

    AppFixture app;
    writeTopic(app, u"ygiris"_s, "Giris metni");
    for (const QString& name : TyardimF::topicFiles.mid(1))
        QFile::remove(app.path(name));
    if (present)
        writeTopic(app, TyardimF::topicFiles.at(index), "Secilen konu");
    TyardimF* help = app.screens().yardimF;
    help->showTopic(u"ygiris"_s);
    QComboBox* list = topicList(help);
    list->setFocus();
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
    QCOMPARE(shownText(help), present ? u"Secilen konu"_s : u"Giris metni"_s);
    VERIFY_BOXES(app);
}

// A topic that cannot be read is reported and the viewer keeps its text and stays usable.
void tst_TyardimF::unreadableTopic()
{
    AppFixture app;
    writeTopic(app, u"ygiris"_s, "Giris metni");
    QFile::remove(app.path(u"ysifreler"_s));
    QVERIFY(QDir(app.folder()).mkdir(u"ysifreler"_s));
    TyardimF* help = app.screens().yardimF;
    help->showTopic(u"ygiris"_s);
    app.messages().expectError();
    help->showTopic(u"ysifreler"_s);
    VERIFY_BOXES(app);
    QVERIFY(app.messages().shownTexts().last().contains(u"ysifreler"_s));
    QVERIFY(help->isVisible());
    QCOMPARE(shownText(help), u"Giris metni"_s);
    help->showTopic(u"ygiris"_s);
    QCOMPARE(shownText(help), u"Giris metni"_s);
}

// The seven topics delivered with the program are there and read as Turkish text.
void tst_TyardimF::deliveredTopics()
{
    if (qEnvironmentVariableIsEmpty("PEDIAKAY_BUILD_DIR"))
        QSKIP("needs the build folder");
    AppFixture app;
    TyardimF* help = app.screens().yardimF;
    for (const QString& name : TyardimF::topicFiles) {
        QVERIFY2(QFile::exists(app.path(name)), qPrintable(name));
        help->findChild<QTextEdit*>(u"RichEdit1"_s)->clear();
        help->showTopic(name);
        const QString text = shownText(help);
        QVERIFY2(text.size() > 400, qPrintable(name));
        QVERIFY2(!text.contains(u'\\') && !text.contains(u'{'), qPrintable(name));
        QVERIFY2(text.contains(u'ş') || text.contains(u'ı') || text.contains(u'İ'), qPrintable(name));
    }
    VERIFY_BOXES(app);
}

void tst_TyardimF::comesToTheFront()
{
    AppFixture app;
    writeTopic(app, u"ysifreler"_s, "Şifreler");
    TsifrelerF* accounts = app.screens().sifrelerF;
    TyardimF* help = app.screens().yardimF;
    accounts->show();
    QApplication::setActiveWindow(accounts);
    QVERIFY(QTest::qWaitForWindowActive(accounts));
    QVERIFY(accounts->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // The accounts screen stays on top: its help button brings the viewer above it.
    QTest::mouseClick(accounts->findChild<QAbstractButton*>(u"tfXPButton1"_s), Qt::LeftButton);
    QTRY_VERIFY(help->isVisible());
    QCOMPARE(shownText(help), u"Şifreler"_s);
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QTRY_COMPARE(QApplication::activeWindow(), help);

    // Over ordinary screens it is an ordinary window again.
    help->hide();
    accounts->hide();
    help->showTopic(u"ysifreler"_s);
    QVERIFY(!help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(help->isVisible());
    VERIFY_BOXES(app);
}

void tst_TyardimF::topicListKeys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QString>("topic");

    const QList<int> down(6, Qt::Key_Down);
    for (int n = 1; n <= 6; ++n)
        QTest::addRow("%d x Down", n) << down.mid(0, n) << TyardimF::topicFiles.at(n);
    QTest::newRow("End, then Home") << QList<int> { Qt::Key_End, Qt::Key_Home } << u"ygiris"_s;
}

// Stepping through the topic list with the keys shows each topic as it is chosen.
void tst_TyardimF::topicListKeys()
{
    QFETCH(QList<int>, keys);
    QFETCH(QString, topic);

    AppFixture app;
    app.nameHelpTopics();
    TyardimF* help = app.screens().yardimF;
    help->showTopic(u"ygiris"_s);
    QCOMPARE(app.shownHelpTopic(), u"ygiris"_s);
    QComboBox* list = topicList(help);
    list->setFocus();
    for (int key : keys)
        QTest::keyClick(list, Qt::Key(key));
    QCOMPARE(app.shownHelpTopic(), topic);
    QCOMPARE(list->currentIndex(), TyardimF::topicFiles.indexOf(topic));
    VERIFY_BOXES(app);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TyardimF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tyardimf.moc"
