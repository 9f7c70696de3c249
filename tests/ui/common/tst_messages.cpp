#include "CommandGuard.h"
#include "DataError.h"
#include "MessageScript.h"
#include "Messages.h"
#include "PediakayApplication.h"

#include <QAbstractButton>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <clocale>
#include <cstring>
#include <stdexcept>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Messages::Kind)
Q_DECLARE_METATYPE(Messages::Answer)
Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButtons)

class tst_Messages final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void applicationSetup();

    void scriptAnswers_data();
    void scriptAnswers();
    void scriptRecordsCaptions();
    void unexpectedBoxes_data();
    void unexpectedBoxes();
    void missingBoxIsReported();
    void nestedScriptsAndAnyErrorText();

    void commandGuard_data();
    void commandGuard();
    void eventHandlerFailureIsShown();

    void realDialogs_data();
    void realDialogs();
};

namespace {

enum Call { Ask, AskYesNoCancel, Information, Plain, Error, ErrorWithCaption };
enum Action { PressEscape, PressEnter, CloseWindow, ClickYes, ClickNo };

const QString title = u"Lumeko Fidanizi Programı"_s;

// What the dialog looked like when it came up.
struct SeenBox {
    bool found = false;
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
    QStringList buttonTexts;
};

// Waits for the next modal message box, notes its looks and acts on it. The timer belongs
// to the test function's scope, so a box that never comes leaves nothing behind.
void whenBoxShows(QTimer& timer, SeenBox& seen, int action)
{
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&timer, &seen, action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        timer.stop();
        seen.found = true;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.escape = box->escapeButton() ? box->standardButton(box->escapeButton()) : QMessageBox::NoButton;
        for (QAbstractButton* button : box->buttons())
            seen.buttonTexts.append(button->text());
        switch (action) {
        case PressEscape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case PressEnter:
            QTest::keyClick(box, Qt::Key_Return);
            break;
        case CloseWindow:
            box->close();
            break;
        case ClickYes:
            box->button(QMessageBox::Yes)->click();
            break;
        case ClickNo:
            box->button(QMessageBox::No)->click();
            break;
        }
        // Never leave a box open: a test that hangs tells nothing.
        QTimer::singleShot(2000, box, [box] { box->done(-1); });
    });
    timer.start();
}

} // namespace

void tst_Messages::cleanup()
{
    // Every script of a test function has restored the real dialogs.
    QCOMPARE(Messages::handler(), nullptr);
}

void tst_Messages::applicationSetup()
{
    QCOMPARE(QCoreApplication::applicationName(), title);
    QCOMPARE(QGuiApplication::applicationDisplayName(), title);
    QCOMPARE(QLocale().language(), QLocale::Turkish);
    QCOMPARE(QLocale().territory(), QLocale::Turkey);
    QCOMPARE(QLocale().toString(58.5, 'f', 1), u"58,5"_s);
    QCOMPARE(QString::fromLatin1(std::setlocale(LC_NUMERIC, nullptr)), u"C"_s);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", 58.5);
    QCOMPARE(QString::fromLatin1(buffer), u"58.5"_s);
}

void tst_Messages::scriptAnswers_data()
{
    QTest::addColumn<Messages::Answer>("answer");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("yes") << Messages::Answer::Yes << true;
    QTest::newRow("no") << Messages::Answer::No << false;
    QTest::newRow("closed") << Messages::Answer::Closed << false;
}

void tst_Messages::scriptAnswers()
{
    QFETCH(Messages::Answer, answer);
    QFETCH(bool, accepted);

    MessageScript script;
    script.expectQuestion(Messages::kayitEdilsinmi, answer);
    script.expectQuestion(Messages::kayitEdilsinmi, answer);
    script.expectYesNoCancel(u"Üç düğmeli soru"_s, answer);
    QCOMPARE(Messages::question(Messages::kayitEdilsinmi), accepted);
    QCOMPARE(Messages::ask(Messages::kayitEdilsinmi), answer);
    QCOMPARE(Messages::askYesNoCancel(u"Üç düğmeli soru"_s), answer);
    QVERIFY2(script.verifyDone(), qPrintable(script.report()));
    QCOMPARE(script.shown().size(), 3);
}

void tst_Messages::scriptRecordsCaptions()
{
    MessageScript script;
    script.expectInformation(u"bilgi"_s);
    script.expectPlain(u"düz"_s);
    script.expectError(u"hata"_s);
    script.expectError(u"rapor"_s);
    Messages::information(u"bilgi"_s);
    Messages::plain(u"düz"_s);
    Messages::error(u"hata"_s);
    Messages::errorWithCaption(u"Error"_s, u"rapor"_s);
    QVERIFY2(script.verifyDone(), qPrintable(script.report()));

    const QList<MessageScript::Shown> shown = script.shown();
    QCOMPARE(shown.size(), 4);
    QCOMPARE(shown.at(0).kind, Messages::Kind::Information);
    QCOMPARE(shown.at(0).caption, u"Information"_s);
    QCOMPARE(shown.at(1).kind, Messages::Kind::Plain);
    QCOMPARE(shown.at(1).caption, title);
    QCOMPARE(shown.at(2).kind, Messages::Kind::Error);
    QCOMPARE(shown.at(2).caption, title);
    QCOMPARE(shown.at(3).caption, u"Error"_s);
    QCOMPARE(script.shownTexts(), QStringList({ u"bilgi"_s, u"düz"_s, u"hata"_s, u"rapor"_s }));
}

void tst_Messages::unexpectedBoxes_data()
{
    QTest::addColumn<bool>("queueExpectation");
    QTest::addColumn<Messages::Kind>("expectedKind");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<bool>("threeButtons");

    QTest::newRow("nothing queued") << false << Messages::Kind::Question << QString() << false;
    QTest::newRow("other text") << true << Messages::Kind::Question << Messages::kayitEdilmedenCikilsinmi << false;
    QTest::newRow("other kind") << true << Messages::Kind::Plain << Messages::kayitEdilsinmi << false;
    QTest::newRow("three buttons expected") << true << Messages::Kind::Question << Messages::kayitEdilsinmi << true;
}

void tst_Messages::unexpectedBoxes()
{
    QFETCH(bool, queueExpectation);
    QFETCH(Messages::Kind, expectedKind);
    QFETCH(QString, expectedText);
    QFETCH(bool, threeButtons);

    MessageScript script;
    if (queueExpectation) {
        if (threeButtons)
            script.expectYesNoCancel(expectedText, Messages::Answer::Yes);
        else
            script.expect(expectedKind, expectedText, Messages::Answer::Yes);
    }
    const QRegularExpression warning(u"unexpected question box"_s);
    QTest::ignoreMessage(QtWarningMsg, warning);
    QTest::ignoreMessage(QtWarningMsg, warning);
    QCOMPARE(Messages::ask(Messages::kayitEdilsinmi), Messages::Answer::Closed);
    // The expectation stays queued: a second wrong box does not use it up either.
    QCOMPARE(Messages::question(Messages::kayitEdilsinmi), false);

    QCOMPARE(script.unexpected().size(), 2);
    QCOMPARE(script.unexpected().constFirst().text, Messages::kayitEdilsinmi);
    QCOMPARE(script.remaining().size(), queueExpectation ? 1 : 0);
    QString why;
    QVERIFY(!script.verifyDone(&why));
    QVERIFY2(why.contains(u"unexpected question box: \"%1\""_s.arg(Messages::kayitEdilsinmi)), qPrintable(why));
    QCOMPARE(why, script.report());
}

void tst_Messages::missingBoxIsReported()
{
    MessageScript script;
    script.expectQuestion(Messages::kayitEdilsinmi, Messages::Answer::No);
    script.expectInformation(u"Kullanıcı adı hatalı"_s);
    QCOMPARE(Messages::question(Messages::kayitEdilsinmi), false);

    QCOMPARE(script.remaining().size(), 1);
    QCOMPARE(script.remaining().constFirst().text, u"Kullanıcı adı hatalı"_s);
    QVERIFY(script.unexpected().isEmpty());
    QString why;
    QVERIFY(!script.verifyDone(&why));
    QCOMPARE(why, u"expected information box not shown: \"Kullanıcı adı hatalı\""_s);
}

void tst_Messages::nestedScriptsAndAnyErrorText()
{
    MessageScript script;
    {
        MessageScript inner;
        QCOMPARE(Messages::handler(), &inner);
    }
    QCOMPARE(Messages::handler(), &script);
    script.expectError();
    Messages::error(u"database is locked"_s);
    QVERIFY2(script.verifyDone(), qPrintable(script.report()));
    QCOMPARE(script.shown().constFirst().text, u"database is locked"_s);
}

void tst_Messages::commandGuard_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("text");

    QTest::newRow("none") << 0 << QString();
    QTest::newRow("data error") << 1 << u"Kayıt başka bir kullanıcı tarafından değiştirildi."_s;
    QTest::newRow("std exception") << 2 << u"bad thing"_s;
    QTest::newRow("unknown") << 3 << u"Beklenmeyen bir hata oluştu. İşlem yapılamadı."_s;
}

void tst_Messages::commandGuard()
{
    QFETCH(int, failure);
    QFETCH(QString, text);

    MessageScript script;
    if (failure != 0)
        script.expectError(text);
    bool reachedEnd = false;
    const bool ran = CommandGuard::run([&] {
        switch (failure) {
        case 1:
            throw DataError(u"Kayıt başka bir kullanıcı tarafından değiştirildi."_s);
        case 2:
            throw std::runtime_error("bad thing");
        case 3:
            throw 42;
        default:
            break;
        }
        reachedEnd = true;
    });
    QCOMPARE(ran, failure == 0);
    QCOMPARE(reachedEnd, failure == 0);
    QVERIFY2(script.verifyDone(), qPrintable(script.report()));
    if (failure != 0) {
        QCOMPARE(script.shown().constFirst().kind, Messages::Kind::Error);
        QCOMPARE(script.shown().constFirst().caption, title);
    }
}

void tst_Messages::eventHandlerFailureIsShown()
{
    // A click handler that lets a failure escape: the application object catches it at the
    // event, shows it, and the program goes on.
    MessageScript script;
    script.expectError(u"Veritabanı kilitli"_s);
    QPushButton button(u"Kaydet"_s);
    int clicks = 0;
    connect(&button, &QPushButton::clicked, &button, [&clicks] {
        if (++clicks == 1)
            throw DataError(u"Veritabanı kilitli"_s);
    });
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    // The release handler was cut short, so the event stays unaccepted.
    QTest::ignoreMessage(QtWarningMsg, "Mouse event \"MouseRelease\" not accepted by receiving widget");
    QTest::mouseClick(&button, Qt::LeftButton);
    QVERIFY2(script.verifyDone(), qPrintable(script.report()));
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicks, 2);
    QCOMPARE(script.shown().size(), 1);
}

void tst_Messages::realDialogs_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("escape");
    QTest::addColumn<Messages::Answer>("answer");

    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    const QMessageBox::StandardButtons yesNoCancel = yesNo | QMessageBox::Cancel;
    const QMessageBox::StandardButtons ok = QMessageBox::Ok;
    using A = Messages::Answer;

    QTest::newRow("question escape") << int(Ask) << int(PressEscape) << title << QMessageBox::NoIcon << yesNo
                                     << QMessageBox::No << A::No;
    QTest::newRow("question close") << int(Ask) << int(CloseWindow) << title << QMessageBox::NoIcon << yesNo
                                    << QMessageBox::No << A::Closed;
    QTest::newRow("question enter") << int(Ask) << int(PressEnter) << title << QMessageBox::NoIcon << yesNo
                                    << QMessageBox::No << A::Yes;
    QTest::newRow("question yes") << int(Ask) << int(ClickYes) << title << QMessageBox::NoIcon << yesNo
                                  << QMessageBox::No << A::Yes;
    QTest::newRow("question no") << int(Ask) << int(ClickNo) << title << QMessageBox::NoIcon << yesNo << QMessageBox::No
                                 << A::No;
    QTest::newRow("three escape") << int(AskYesNoCancel) << int(PressEscape) << title << QMessageBox::NoIcon
                                  << yesNoCancel << QMessageBox::Cancel << A::Cancel;
    QTest::newRow("three close") << int(AskYesNoCancel) << int(CloseWindow) << title << QMessageBox::NoIcon
                                 << yesNoCancel << QMessageBox::Cancel << A::Closed;
    QTest::newRow("three no") << int(AskYesNoCancel) << int(ClickNo) << title << QMessageBox::NoIcon << yesNoCancel
                              << QMessageBox::Cancel << A::No;
    QTest::newRow("information") << int(Information) << int(PressEnter) << u"Information"_s << QMessageBox::Information
                                 << ok << QMessageBox::Ok << A::Ok;
    QTest::newRow("plain") << int(Plain) << int(PressEscape) << title << QMessageBox::NoIcon << ok << QMessageBox::Ok
                           << A::Ok;
    QTest::newRow("error") << int(Error) << int(CloseWindow) << title << QMessageBox::Critical << ok << QMessageBox::Ok
                           << A::Closed;
    QTest::newRow("error caption") << int(ErrorWithCaption) << int(PressEnter) << u"Error"_s << QMessageBox::Critical
                                   << ok << QMessageBox::Ok << A::Ok;
}

void tst_Messages::realDialogs()
{
    QFETCH(int, call);
    QFETCH(int, action);
    QFETCH(QString, caption);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButtons, buttons);
    QFETCH(QMessageBox::StandardButton, escape);
    QFETCH(Messages::Answer, answer);

    // Texts that look like markup are shown as typed.
    const QString text = u"Seçili \"<b>20.03.2012</b>\" tarihli kaydı silmek istediğinize eminmisiniz?"_s;
    QTimer timer;
    SeenBox seen;
    whenBoxShows(timer, seen, action);
    Messages::Answer given = Messages::Answer::Ok;
    switch (call) {
    case Ask:
        given = Messages::ask(text);
        break;
    case AskYesNoCancel:
        given = Messages::askYesNoCancel(text);
        break;
    case Information:
        Messages::information(text);
        break;
    case Plain:
        Messages::plain(text);
        break;
    case Error:
        Messages::error(text);
        break;
    case ErrorWithCaption:
        Messages::errorWithCaption(u"Error"_s, text);
        break;
    }

    QVERIFY(seen.found);
    QCOMPARE(seen.caption, caption);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, icon);
    QCOMPARE(seen.buttons, buttons);
    QCOMPARE(seen.escape, escape);
    if (buttons.testFlag(QMessageBox::Yes)) {
        QVERIFY2(seen.buttonTexts.contains(u"&Evet"_s), qPrintable(seen.buttonTexts.join(u", "_s)));
        QVERIFY2(seen.buttonTexts.contains(u"&Hayır"_s), qPrintable(seen.buttonTexts.join(u", "_s)));
    } else {
        QCOMPARE(seen.buttonTexts, QStringList({ u"Tamam"_s }));
    }
    if (call == Ask || call == AskYesNoCancel)
        QCOMPARE(given, answer);
}

// The test runs under the program's own application object, so its event guard is under test too.
int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    tst_Messages test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_messages.moc"
