#include "AppFixture.h"
#include "DataSet.h"
#include "Field.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TPasswordDlg.h"
#include "TfrmMain.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TsifrelerF.h"
#include "TyardimF.h"
#include <QFrame>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString wrongNameOrPassword = u"Kullanıcı adınız yada şifre yanlış! Tekrar deneyin!"_s;
const QString tooManyAttempts = u"Şifreyi üç kez üst üste yanlış girdiniz! Program kapatılacaktır!"_s;
const QString wrongMaster = u"Master Şifreyi yanlış girdiniz! Şifre alanına master şifreyi girerek tekrar deneyin!"_s;

// Accounts in PrimaryKey order; "ayse" comes before the longer "ayseb".
void seedAccounts(AppFixture& app)
{
    app.exec(u"INSERT INTO sifre (sid, kullanici, sifre, adi, soyadi) VALUES (1, 'ayse', 'Gul1', 'Ayşe', 'Gül')"_s);
    app.exec(u"INSERT INTO sifre (sid, kullanici, sifre, adi, soyadi) VALUES (2, 'ayseb', 'b', 'Ayşe', 'Bal')"_s);
    app.exec(u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (3, 'bos', NULL)"_s);
    app.exec(u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (4, NULL, NULL)"_s);
}

void seedChild(AppFixture& app)
{
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('1', 'Ali', 'Kaya')"_s);
}

TPasswordDlg* dialog(AppFixture& app)
{
    return app.screens().PasswordDlg;
}

void type(AppFixture& app, const QString& user, const QString& password)
{
    ctl<QLineEdit>(dialog(app), "kullan")->setText(user);
    ctl<QLineEdit>(dialog(app), "Password")->setText(password);
}

void makeActive(QWidget* window)
{
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

class tst_TPasswordDlg final : public QObject
{
    Q_OBJECT

private slots:
    void layoutAndTabOrder();
    void enterKeys();
    void signIn_data();
    void signIn();
    void fourthAttemptEndsProgram();
    void rightOnThirdAttempt();
    void masterPassword_data();
    void masterPassword();
    void emptyRegistryOpensNewChild();
    void firstRunOpensAccounts();
    void firstUseLine();
    void focusOpensAccounts();
    void rememberedName_data();
    void rememberedName();
    void nameWrittenAtClose();
    void unwritableSettings();
    void helpButton();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
    void unusableDatabaseEndsTheProgram_data();
    void unusableDatabaseEndsTheProgram();
};

void tst_TPasswordDlg::layoutAndTabOrder()
{
    AppFixture app;
    TPasswordDlg* dlg = dialog(app);
    QCOMPARE(ctl<QPushButton>(dlg, "JvXPBar1Item0")->text(), u"Yeni Kullanıcı"_s);
    QCOMPARE(ctl<QPushButton>(dlg, "JvXPBar1Item1")->text(), u"Şifre Değiştir"_s);
    QCOMPARE(ctl<QPushButton>(dlg, "JvXPBar1Item2")->text(), u"Listeden Seç"_s);
    // "Şifre Gizlenmesin" shows the typed password while ticked.
    QCOMPARE(ctl<QLineEdit>(dlg, "Password")->echoMode(), QLineEdit::Password);
    QTest::mouseClick(ctl<QCheckBox>(dlg, "CheckBox1"), Qt::LeftButton);
    QCOMPARE(ctl<QLineEdit>(dlg, "Password")->echoMode(), QLineEdit::Normal);
    QTest::mouseClick(ctl<QCheckBox>(dlg, "CheckBox1"), Qt::LeftButton);
    QCOMPARE(ctl<QLineEdit>(dlg, "Password")->echoMode(), QLineEdit::Password);

    makeActive(dlg);
    ctl<QLineEdit>(dlg, "kullan")->setFocus();
    const QList<QWidget*> order = { ctl<QLineEdit>(dlg, "Password"), ctl<QPushButton>(dlg, "OKBtn"),
        ctl<QCheckBox>(dlg, "CheckBox1"), ctl<QToolButton>(dlg, "tfXPButton1"), ctl<QLineEdit>(dlg, "kullan") };
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void tst_TPasswordDlg::enterKeys()
{
    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    TPasswordDlg* dlg = dialog(app);
    makeActive(dlg);

    ctl<QLineEdit>(dlg, "kullan")->setFocus();
    QTest::keyClicks(ctl<QLineEdit>(dlg, "kullan"), u"ayse"_s);
    QTest::keyClick(ctl<QLineEdit>(dlg, "kullan"), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), ctl<QLineEdit>(dlg, "Password"));
    QCOMPARE(dlg->attempts(), 0);

    // Enter on the panel itself signs in, as "Tamam" does.
    app.messages().expectInformation(wrongNameOrPassword);
    ctl<QFrame>(dlg, "Panel1")->setFocus();
    QTest::keyClick(ctl<QFrame>(dlg, "Panel1"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(dlg->attempts(), 1);

    QTest::keyClicks(ctl<QLineEdit>(dlg, "Password"), u"Gul1"_s);
    QTest::keyClick(ctl<QLineEdit>(dlg, "Password"), Qt::Key_Return);
    VERIFY_BOXES(app);
    QCOMPARE(dlg->attempts(), 2);
    QVERIFY(dlg->isHidden());
    QVERIFY(app.screens().frmMain->isVisible());
}

void tst_TPasswordDlg::signIn_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("account"); // sid signed in as, 0 when refused

    QTest::newRow("exact") << u"ayse"_s << u"Gul1"_s << 1;
    QTest::newRow("user in other case") << u"Ayse"_s << u"Gul1"_s << 0;
    QTest::newRow("password in other case") << u"ayse"_s << u"gul1"_s << 0;
    QTest::newRow("longer name's password") << u"ayse"_s << u"b"_s << 0;
    QTest::newRow("longer name") << u"ayseb"_s << u"b"_s << 2;
    QTest::newRow("prefix of a name") << u"ays"_s << u"Gul1"_s << 0;
    QTest::newRow("trailing blank") << u"ayse "_s << u"Gul1"_s << 0;
    QTest::newRow("unknown, empty password") << u"kimse"_s << QString() << 0;
    QTest::newRow("empty stored password") << u"bos"_s << QString() << 3;
    QTest::newRow("empty stored, typed one") << u"bos"_s << u"x"_s << 0;
    QTest::newRow("row without a name") << QString() << QString() << 0;
    QTest::newRow("longer than the field") << u"ayse567890123456X"_s << u"Gul1"_s << 0;
}

void tst_TPasswordDlg::signIn()
{
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(int, account);

    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    TPasswordDlg* dlg = dialog(app);
    type(app, user, password);
    if (account == 0)
        app.messages().expectInformation(wrongNameOrPassword);
    QTest::mouseClick(ctl<QPushButton>(dlg, "OKBtn"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(dlg->attempts(), 1);

    Screens& all = app.screens();
    if (account == 0) {
        QVERIFY(dlg->isVisible());
        QCOMPARE(ctl<QLineEdit>(dlg, "kullan")->text(), user);
        QVERIFY(ctl<QLineEdit>(dlg, "Password")->text().isEmpty());
        QVERIFY(!all.frmMain->isVisible());
        return;
    }
    QVERIFY(dlg->isHidden());
    QVERIFY(all.hazirlaF->isHidden());
    QCOMPARE(all.hazirlaF->windowTitle(), u"BEKLEYİN DOSYALAR HAZIRLANIYOR..."_s);
    QVERIFY(all.frmMain->isVisible());
    QVERIFY(all.frmMain->muayeneTable->Active());
    QVERIFY(all.ozluk->sicilTable->Active());
    QVERIFY(!all.ozluk->isVisible());
    QCOMPARE(all.sifrelerF->sifreTable->FieldByName(u"sid"_s)->AsInteger(), account);
}

void tst_TPasswordDlg::fourthAttemptEndsProgram()
{
    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    TPasswordDlg* dlg = dialog(app);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        app.messages().expectInformation(wrongNameOrPassword);
        type(app, u"ayse"_s, u"yanlis"_s);
        dlg->OKBtnClick();
        QVERIFY(!app.programEnded());
        QVERIFY(dlg->isVisible());
    }
    // The fourth press ends the program even with the right name and password.
    app.messages().expectInformation(tooManyAttempts);
    type(app, u"ayse"_s, u"Gul1"_s);
    dlg->OKBtnClick();
    VERIFY_BOXES(app);
    QVERIFY(app.programEnded());
    QVERIFY(!app.screens().frmMain->isVisible());
    QVERIFY(!app.screens().frmMain->muayeneTable->Active());
    // The user name is kept at the end, as at every close; the password never is.
    const QSettings settings(app.path(u"Ayar.ini"_s), QSettings::IniFormat);
    QCOMPARE(settings.value(u"kullan/kullan_Text"_s).toString(), u"ayse"_s);
}

void tst_TPasswordDlg::rightOnThirdAttempt()
{
    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        app.messages().expectInformation(wrongNameOrPassword);
        type(app, u"AYSE"_s, u"Gul1"_s);
        dialog(app)->OKBtnClick();
    }
    type(app, u"ayse"_s, u"Gul1"_s);
    dialog(app)->OKBtnClick();
    VERIFY_BOXES(app);
    QVERIFY(!app.programEnded());
    QVERIFY(dialog(app)->isHidden());
}

void tst_TPasswordDlg::masterPassword_data()
{
    QTest::addColumn<QString>("stored"); // null: the master table is empty
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("opens");

    QTest::newRow("empty table, empty box") << QString() << QString() << true;
    QTest::newRow("empty table, text") << QString() << u"x"_s << false;
    QTest::newRow("right") << u"M4ster"_s << u"M4ster"_s << true;
    QTest::newRow("other case") << u"M4ster"_s << u"m4ster"_s << false;
    QTest::newRow("empty box") << u"M4ster"_s << QString() << false;
}

void tst_TPasswordDlg::masterPassword()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, opens);

    AppFixture app;
    seedAccounts(app);
    if (!stored.isNull())
        app.exec(u"INSERT INTO master (mids) VALUES (?)"_s, { stored });
    TPasswordDlg* dlg = dialog(app);
    type(app, u"ayse"_s, typed);
    if (!opens)
        app.messages().expectInformation(wrongMaster);
    QTest::mouseClick(ctl<QPushButton>(dlg, "JvXPBar1Item1"), Qt::LeftButton);
    VERIFY_BOXES(app);
    // The check is no sign-in attempt.
    QCOMPARE(dlg->attempts(), 0);
    TsifrelerF* accounts = app.screens().sifrelerF;
    QCOMPARE(accounts->isVisible(), opens);
    QCOMPARE(dlg->isEnabled(), !opens);
    QCOMPARE(ctl<QLineEdit>(dlg, "Password")->text(), opens ? typed : QString());
    QVERIFY(accounts->sifreTable->Active());
    QVERIFY(accounts->masterTable->Active());
}

void tst_TPasswordDlg::emptyRegistryOpensNewChild()
{
    AppFixture app;
    seedAccounts(app);
    type(app, u"ayse"_s, u"Gul1"_s);
    dialog(app)->OKBtnClick();
    QVERIFY(app.messages().verifyDone());
    Screens& all = app.screens();
    QVERIFY(dialog(app)->isHidden());
    QVERIFY(all.frmMain->isVisible());
    QVERIFY(all.ozluk->isVisible());
    QCOMPARE(all.ozluk->sicilTable->State(), dsInsert);
    QCOMPARE(all.ozluk->sicilTable->FieldByName(u"hasta_kodu"_s)->AsString(), u"1"_s);
    QVERIFY(!all.frmMain->muayeneTable->Active());
    QCOMPARE(app.count(u"hastasicil"_s), 0);
}

// A new database has no account and no master password: the empty password box opens the
// accounts screen from every header command.
void tst_TPasswordDlg::firstRunOpensAccounts()
{
    AppFixture app;
    QCOMPARE(app.count(u"sifre"_s), 0);
    QCOMPARE(app.count(u"master"_s), 0);
    TPasswordDlg* dlg = dialog(app);
    for (QPushButton* item : { ctl<QPushButton>(dlg, "JvXPBar1Item0"), ctl<QPushButton>(dlg, "JvXPBar1Item1"),
             ctl<QPushButton>(dlg, "JvXPBar1Item2") }) {
        app.screens().sifrelerF->hide();
        dlg->setEnabled(true);
        QTest::mouseClick(item, Qt::LeftButton);
        QVERIFY(app.screens().sifrelerF->isVisible());
        QVERIFY(!dlg->isEnabled());
    }
    VERIFY_BOXES(app);

    // Nobody can sign in before an account exists.
    dlg->setEnabled(true);
    app.messages().expectInformation(wrongNameOrPassword);
    dlg->OKBtnClick();
    VERIFY_BOXES(app);
}

void tst_TPasswordDlg::firstUseLine()
{
    // The picture goes where the test was started, beside the others.
    const QString picture = QDir::current().filePath(u"tst_tpassworddlg_first_use.png"_s);
    AppFixture app;
    TPasswordDlg* dlg = dialog(app);
    QLabel* line = ctl<QLabel>(dlg, "ilkKullanimLabel");
    QVERIFY(dlg->isVisible());
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(),
        u"İlk kullanım: şifreyi boş bırakıp 'Yeni Kullanıcı'yı tıklayın; hesabınızı ve master şifreyi orada "
        u"oluşturun."_s);
    // The whole line fits in the dialog, wrapped.
    QTRY_VERIFY(line->y() > ctl<QWidget>(dlg, "Panel1")->geometry().bottom());
    QVERIFY(dlg->grab().save(picture));
    qInfo("screenshot: %s", qPrintable(picture));
    QVERIFY(dlg->rect().contains(line->geometry()));
    QVERIFY(line->heightForWidth(line->width()) <= line->height());

    // Gone as soon as the first account is stored on the accounts screen.
    DataSet* accounts = app.screens().sifrelerF->sifreTable;
    accounts->Open();
    accounts->Append();
    QVERIFY(line->isVisible());
    accounts->FieldByName(u"kullanici"_s)->setAsString(u"ayse"_s);
    accounts->FieldByName(u"sifre"_s)->setAsString(u"1"_s);
    accounts->Post();
    QVERIFY(!line->isVisible());
    VERIFY_BOXES(app);

    // A clinic with accounts never sees it.
    app.restart();
    QVERIFY(dialog(app)->isVisible());
    QVERIFY(!ctl<QLabel>(dialog(app), "ilkKullanimLabel")->isVisible());
    VERIFY_BOXES(app);
}

void tst_TPasswordDlg::focusOpensAccounts()
{
    AppFixture app;
    TPasswordDlg* dlg = dialog(app);
    DataSet* accounts = app.screens().sifrelerF->sifreTable;
    ctl<QPushButton>(dlg, "OKBtn")->setFocus();
    QVERIFY(!accounts->Active());
    makeActive(dlg);
    ctl<QLineEdit>(dlg, "Password")->setFocus();
    QVERIFY(accounts->Active());
}

void tst_TPasswordDlg::rememberedName_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file
    QTest::addColumn<QString>("shown");

    QTest::newRow("no file") << QByteArray() << QString();
    QTest::newRow("empty file") << QByteArray("") << QString();
    QTest::newRow("name") << QByteArray("[kullan]\r\nkullan_Text=ayse\r\n") << u"ayse"_s;
    QTest::newRow("turkish letters") << QByteArray("[kullan]\nkullan_Text=Şükrü\n") << u"Şükrü"_s;
    QTest::newRow("name with a comma") << QByteArray("[kullan]\nkullan_Text=Ali, Veli\n") << u"Ali, Veli"_s;
    QTest::newRow("other section") << QByteArray("[baska]\nkullan_Text=ayse\n") << QString();
    QTest::newRow("no key") << QByteArray("[kullan]\n") << QString();
    QTest::newRow("garbage") << QByteArray("\x00\xff\xfe[[[=\n\x01\x02==]]", 16) << QString();
}

void tst_TPasswordDlg::rememberedName()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);

    AppFixture app(AppFixture::Start::Later);
    if (!content.isNull()) {
        QFile file(app.path(u"Ayar.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    app.start();
    VERIFY_BOXES(app);
    QVERIFY(dialog(app)->isVisible());
    QCOMPARE(ctl<QLineEdit>(dialog(app), "kullan")->text(), shown);
}

void tst_TPasswordDlg::nameWrittenAtClose()
{
    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    type(app, u"ayse"_s, u"Gul1"_s);
    dialog(app)->OKBtnClick();
    QVERIFY(dialog(app)->isHidden());
    // Hiding after the sign-in writes nothing.
    QVERIFY(!QFile::exists(app.path(u"Ayar.ini"_s)));
    dialog(app)->close();
    QVERIFY(app.programEnded());

    QFile file(app.path(u"Ayar.ini"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY2(written.contains("[kullan]"), written.constData());
    QVERIFY2(written.contains("kullan_Text=ayse"), written.constData());
    QVERIFY(!written.contains("Gul1"));
    file.close();

    app.restart();
    QCOMPARE(ctl<QLineEdit>(dialog(app), "kullan")->text(), u"ayse"_s);
    QVERIFY(ctl<QLineEdit>(dialog(app), "Password")->text().isEmpty());
}

// A settings file that cannot be read or written (here a folder of that name) never stops the
// program.
void tst_TPasswordDlg::unwritableSettings()
{
    AppFixture app(AppFixture::Start::Later);
    QVERIFY(QDir(app.folder()).mkdir(u"Ayar.ini"_s));
    app.start();
    VERIFY_BOXES(app);
    QVERIFY(ctl<QLineEdit>(dialog(app), "kullan")->text().isEmpty());
    ctl<QLineEdit>(dialog(app), "kullan")->setText(u"ayse"_s);
    dialog(app)->close();
    QVERIFY(app.programEnded());
    VERIFY_BOXES(app);
}

void tst_TPasswordDlg::helpButton()
{
    AppFixture app(AppFixture::Start::Later);
    QFile::remove(app.path(u"ygiris"_s));
    {
        QFile topic(app.path(u"ygiris"_s));
        QVERIFY(topic.open(QIODevice::WriteOnly));
        topic.write("{\\rtf1\\ansi\\ansicpg1254 {\\b Giri\\'fe} ilk ad\\'fdm\\par}");
    }
    app.start();
    QTest::mouseClick(ctl<QToolButton>(dialog(app), "tfXPButton1"), Qt::LeftButton);
    TyardimF* help = app.screens().yardimF;
    QVERIFY(help->isVisible());
    QCOMPARE(ctl<QTextEdit>(help, "RichEdit1")->toPlainText().trimmed(), u"Giriş ilk adım"_s);
    // The sign-in dialog stays usable beside it.
    QVERIFY(dialog(app)->isEnabled());
}

void tst_TPasswordDlg::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Tamam") << u"OKBtn"_s << 0 << u"Gul1"_s << u"signed in"_s;
    QTest::newRow("Tamam, master password") << u"OKBtn"_s << 0 << u"M4ster"_s << u"refused"_s;
    QTest::newRow("Enter in the password box") << u"Password"_s << int(Qt::Key_Return) << u"Gul1"_s << u"signed in"_s;
    QTest::newRow("Enter in the name box") << u"kullan"_s << int(Qt::Key_Return) << u"Gul1"_s << u"to password"_s;
    QTest::newRow("Yeni Kullanıcı") << u"JvXPBar1Item0"_s << 0 << u"M4ster"_s << u"accounts"_s;
    QTest::newRow("Şifre Değiştir") << u"JvXPBar1Item1"_s << 0 << u"M4ster"_s << u"accounts"_s;
    QTest::newRow("Listeden Seç") << u"JvXPBar1Item2"_s << 0 << u"M4ster"_s << u"accounts"_s;
    QTest::newRow("Şifre Gizlenmesin") << u"CheckBox1"_s << 0 << u"Gul1"_s << u"password shown"_s;
    QTest::newRow("Yardım") << u"tfXPButton1"_s << 0 << u"Gul1"_s << u"help ygiris"_s;
}

// Each button and key of the sign-in dialog does its own command, with "ayse" typed as the name.
void tst_TPasswordDlg::everyButtonAndKey()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(QString, password);
    QFETCH(QString, effect);

    AppFixture app;
    seedAccounts(app);
    seedChild(app);
    app.exec(u"INSERT INTO master (mids) VALUES ('M4ster')"_s);
    app.nameHelpTopics();
    TPasswordDlg* dlg = dialog(app);
    makeActive(dlg);
    type(app, u"ayse"_s, password);

    if (effect == u"refused"_s)
        app.messages().expectInformation(wrongNameOrPassword);
    auto* widget = dlg->findChild<QWidget*>(control);
    QVERIFY2(widget, qPrintable(control));
    if (key != 0) {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key(key));
    } else {
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    VERIFY_BOXES(app);

    const bool signedIn = effect == u"signed in"_s;
    QCOMPARE(dlg->isHidden(), signedIn);
    QCOMPARE(app.screens().frmMain->isVisible(), signedIn);
    QCOMPARE(app.screens().sifrelerF->isVisible(), effect == u"accounts"_s);
    QCOMPARE(dlg->isEnabled(), effect != u"accounts"_s);
    QCOMPARE(dlg->attempts(), signedIn || effect == u"refused"_s ? 1 : 0);
    QCOMPARE(ctl<QLineEdit>(dlg, "Password")->echoMode(),
        effect == u"password shown"_s ? QLineEdit::Normal : QLineEdit::Password);
    QCOMPARE(app.shownHelpTopic(), effect.startsWith(u"help "_s) ? effect.mid(5) : QString());
    if (effect == u"to password"_s)
        QCOMPARE(QApplication::focusWidget(), ctl<QLineEdit>(dlg, "Password"));
    if (effect == u"refused"_s)
        QVERIFY(ctl<QLineEdit>(dlg, "Password")->text().isEmpty());
}

void tst_TPasswordDlg::unusableDatabaseEndsTheProgram_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("text");

    QTest::newRow("no server there") << u"[Veritabani]\nMotor=PostgreSQL\nSunucu=%1/sunucu-yok\nPort=5432\n"
                                        u"Veritabani=klinik\nKullanici=pediakay\n"_s
                                     << u"Veritabanına bağlanılamadı: "_s;
    QTest::newRow("password in the settings")
        << u"[Veritabani]\nMotor=PostgreSQL\nSunucu=sunucu\nVeritabani=klinik\nParola=gizli\n"_s
        << u"Veritabanı parolası"_s;
    QTest::newRow("unknown engine") << u"[Veritabani]\nMotor=Access\n"_s << u"bilinmeyen motor"_s;
}

// A workstation whose server is not there, or whose settings are wrong, says why and ends: it
// shows no sign-in and makes no SQLite file in place of the clinic's database.
void tst_TPasswordDlg::unusableDatabaseEndsTheProgram()
{
    QFETCH(QString, settings);
    QFETCH(QString, text);
    AppFixture app(AppFixture::Start::Later);
    QDir().mkpath(app.path(u"Data"_s));
    QFile file(app.path(u"Data/Veritabani.ini"_s));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(settings.arg(app.folder()).toUtf8());
    file.close();
    app.messages().expectError();
    app.start();
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QVERIFY2(app.messages().shownTexts().value(0).contains(text), qPrintable(app.messages().shownTexts().value(0)));
    QVERIFY(app.programEnded());
    QVERIFY(!app.screens().PasswordDlg->isVisible());
    QVERIFY(!QFile::exists(app.databasePath()));
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TPasswordDlg test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tpassworddlg.moc"
