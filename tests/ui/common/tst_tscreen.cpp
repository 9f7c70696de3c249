#include "PediakayApplication.h"
#include "TScreen.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A screen that records the keys offered to it and swallows "x".
class KeyScreen final : public TScreen
{
public:
    explicit KeyScreen(bool seesKeys)
    {
        auto* layout = new QVBoxLayout(this);
        panel = new QWidget(this);
        auto* panelLayout = new QVBoxLayout(panel);
        edit = new QLineEdit(panel);
        label = new QLabel(u"label"_s, panel);
        panelLayout->addWidget(edit);
        panelLayout->addWidget(label);
        layout->addWidget(panel);
        setSeesKeysFirst(seesKeys);
    }

    void seeKeys(bool on)
    {
        setSeesKeysFirst(on);
    }

    QWidget* panel = nullptr;
    QLineEdit* edit = nullptr;
    QLabel* label = nullptr;
    QList<int> keys;
    QList<QPointer<QWidget>> targets;

protected:
    bool screenKey(QKeyEvent* event) override
    {
        keys.append(event->key());
        targets.append(keyTarget());
        return event->key() == Qt::Key_X;
    }
};

} // namespace

class tst_TScreen final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysReachScreenBeforeControl();
    void ignoredKeyIsOfferedOnce();
    void onlyOwnWindowsKeys();
};

void tst_TScreen::keysReachScreenBeforeControl()
{
    KeyScreen screen(true);
    screen.show();

    QTest::keyClick(screen.edit, Qt::Key_X);
    QCOMPARE(screen.keys, QList<int> { Qt::Key_X });
    QCOMPARE(screen.targets.constFirst(), screen.edit);
    QCOMPARE(screen.edit->text(), QString()); // swallowed

    QTest::keyClick(screen.edit, Qt::Key_A);
    QCOMPARE(screen.keys, (QList<int> { Qt::Key_X, Qt::Key_A }));
    QCOMPARE(screen.edit->text(), u"a"_s); // passed on

    // Key releases are not offered.
    QTest::keyRelease(screen.edit, Qt::Key_B);
    QCOMPARE(screen.keys.size(), 2);
}

void tst_TScreen::ignoredKeyIsOfferedOnce()
{
    KeyScreen screen(true);
    screen.show();

    // A label ignores keys, so the key travels up through the panel to the window.
    QTest::keyClick(screen.label, Qt::Key_F5);
    QCOMPARE(screen.keys, QList<int> { Qt::Key_F5 });
    QCOMPARE(screen.targets.constFirst(), screen.label);

    // The next press of the same key is a new key, even where the event happens to reuse memory.
    QTest::keyClick(screen.label, Qt::Key_F5);
    QTest::keyClick(screen.panel, Qt::Key_F5);
    QCOMPARE(screen.keys.size(), 3);
    QCOMPARE(screen.targets.at(2), screen.panel);
}

void tst_TScreen::onlyOwnWindowsKeys()
{
    KeyScreen seeing(true);
    KeyScreen other(false);
    QWidget plain;
    auto* plainEdit = new QLineEdit(&plain);
    seeing.show();
    other.show();
    plain.show();

    QTest::keyClick(other.edit, Qt::Key_X);
    QTest::keyClick(plainEdit, Qt::Key_X);
    QVERIFY(seeing.keys.isEmpty());
    QVERIFY(other.keys.isEmpty());
    QCOMPARE(other.edit->text(), u"x"_s);

    // A screen that stops seeing keys first leaves them to its controls.
    seeing.seeKeys(false);
    QTest::keyClick(seeing.edit, Qt::Key_X);
    QVERIFY(seeing.keys.isEmpty());
    QCOMPARE(seeing.edit->text(), u"x"_s);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    tst_TScreen test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tscreen.moc"
