#include "MenuKeys.h"
#include "PediakayApplication.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

using namespace Qt::StringLiterals;

class tst_MenuKeys final : public QObject
{
    Q_OBJECT

private slots:
    void keyWorksAnywhere_data();
    void keyWorksAnywhere();
};

void tst_MenuKeys::keyWorksAnywhere_data()
{
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("triggered");
    QTest::newRow("shown entry") << true << true << 1;
    QTest::newRow("hidden entry") << false << true << 1;
    QTest::newRow("disabled entry") << true << false << 0;
}

void tst_MenuKeys::keyWorksAnywhere()
{
    QFETCH(bool, visible);
    QFETCH(bool, enabled);
    QFETCH(int, triggered);

    QWidget screen;
    auto* layout = new QVBoxLayout(&screen);
    auto* bar = new QMenuBar(&screen);
    layout->setMenuBar(bar);
    QMenu* menu = bar->addMenu(u"Dosya"_s);
    QAction* print = menu->addAction(u"Yazdır"_s);
    print->setShortcut(QKeySequence(Qt::Key_F4));
    auto* edit = new QLineEdit(&screen);
    layout->addWidget(edit);
    MenuKeys::carry(&screen, print);
    print->setVisible(visible);
    print->setEnabled(enabled);
    QCOMPARE(print->shortcut(), QKeySequence(Qt::Key_F4)); // the entry still shows its key

    screen.show();
    QApplication::setActiveWindow(&screen);
    QVERIFY(QTest::qWaitForWindowActive(&screen));
    edit->setFocus();
    QSignalSpy spy(print, &QAction::triggered);
    QTest::keyClick(edit, Qt::Key_F4);
    QCOMPARE(spy.count(), triggered);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_MenuKeys test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_menukeys.moc"
