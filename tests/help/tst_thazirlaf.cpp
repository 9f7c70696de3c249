#include "AppFixture.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "ThazirlaF.h"

#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ThazirlaF final : public QObject
{
    Q_OBJECT

private slots:
    void window();
    void hiding_data();
    void hiding();
};

void tst_ThazirlaF::window()
{
    AppFixture app;
    ThazirlaF* wait = app.screens().hazirlaF;
    QVERIFY(wait->isHidden());
    QCOMPARE(wait->windowTitle(), u"BEKLEYİN DOSYALAR HAZIRLANIYOR..."_s);
    QCOMPARE(wait->minimumSize(), wait->maximumSize());
    auto* button = wait->findChild<QPushButton*>(u"Yenile"_s);
    QCOMPARE(button->text(), u"KAPAT"_s);

    wait->showMessage(u"BEKLEYİN DOSYA GÜNCELLENİYOR..."_s);
    QVERIFY(wait->isVisible());
    QCOMPARE(wait->windowTitle(), u"BEKLEYİN DOSYA GÜNCELLENİYOR..."_s);
    // The button fills the window and keeps its caption whatever the message.
    QCOMPARE(button->size(), wait->size());
    QCOMPARE(button->text(), u"KAPAT"_s);
    wait->hideMessage();
    QVERIFY(wait->isHidden());
    // The caption stays as the last caller set it.
    QCOMPARE(wait->windowTitle(), u"BEKLEYİN DOSYA GÜNCELLENİYOR..."_s);
}

void tst_ThazirlaF::hiding_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("click on the button") << u"click"_s;
    QTest::newRow("enter on the button") << u"enter"_s;
    QTest::newRow("space on the button") << u"space"_s;
    QTest::newRow("click on the window") << u"window click"_s;
    QTest::newRow("key on the window") << u"window key"_s;
}

void tst_ThazirlaF::hiding()
{
    QFETCH(QString, how);

    AppFixture app;
    ThazirlaF* wait = app.screens().hazirlaF;
    auto* button = wait->findChild<QPushButton*>(u"Yenile"_s);
    wait->showMessage(u"BEKLEYİN DOSYALAR KAPATILIYOR..."_s);
    QVERIFY(wait->isVisible());
    if (how == u"click"_s) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else if (how == u"enter"_s) {
        QTest::keyClick(button, Qt::Key_Return);
    } else if (how == u"space"_s) {
        QTest::keyClick(button, Qt::Key_Space);
    } else if (how == u"window click"_s) {
        QTest::mouseClick(wait, Qt::LeftButton);
    } else {
        // A key the button ignores does not close the window; one on the window itself does.
        button->setFocus();
        QTest::keyClick(button, Qt::Key_A);
        QVERIFY(wait->isVisible());
        wait->setFocus();
        QTest::keyClick(wait, Qt::Key_A);
    }
    QVERIFY(wait->isHidden());
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_ThazirlaF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_thazirlaf.moc"
