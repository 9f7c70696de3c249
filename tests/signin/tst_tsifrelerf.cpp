#include "AppFixture.h"
#include "AutoBackup.h"
#include "BackupRestore.h"
#include "ColumnChooser.h"
#include "ColumnChooserButton.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DataSet.h"
#include "Dialogs.h"
#include "Field.h"
#include "FileAnswer.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "SqliteBackup.h"
#include "SqliteHandle.h"
#include "TPasswordDlg.h"
#include "TsifrelerF.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Messages::Answer)

namespace {

const QString wrongNameOrPassword = u"Kullanıcı adınız yada şifre yanlış! Tekrar deneyin!"_s;
const QString onlyOneAccount = u"Eğer tek şifre mevcut ise silemezsiniz!"_s;

void seedAccounts(AppFixture& app, int count)
{
    const QStringList names = { u"ayse"_s, u"mehmet"_s, u"zeynep"_s };
    for (int i = 0; i < count; ++i)
        app.exec(u"INSERT INTO sifre (sid, kullanici, sifre, adi, soyadi) VALUES (?, ?, ?, 'Ad', 'Soyad')"_s,
            { i + 1, names.at(i), u"p%1"_s.arg(i + 1) });
}

// Opens the accounts screen from the sign-in dialog as the user does (empty master password).
TsifrelerF* openAccounts(AppFixture& app)
{
    TPasswordDlg* signIn = app.screens().PasswordDlg;
    ctl<QLineEdit>(signIn, "Password")->clear();
    signIn->JvXPBar1Items0Click();
    TsifrelerF* accounts = app.screens().sifrelerF;
    if (!accounts->isVisible())
        qFatal("the accounts screen did not open");
    accounts->activateWindow();
    QApplication::setActiveWindow(accounts);
    return accounts;
}

DBGrid* grid(TsifrelerF* accounts)
{
    return ctl<DBGrid>(accounts, "JvDBUltimGrid1");
}

void goToCell(TsifrelerF* accounts, int row, const QString& field)
{
    DBGrid* g = grid(accounts);
    g->setFocus();
    g->setCurrentIndex(g->model()->index(row, g->columnOf(field)));
    if (!g->indexWidget(g->currentIndex()))
        g->edit(g->currentIndex());
}

// Types into the cell editor of the current cell, replacing its text.
void typeInCell(TsifrelerF* accounts, const QString& text)
{
    DBGrid* g = grid(accounts);
    QWidget* editor = g->indexWidget(g->currentIndex());
    if (!editor) {
        g->edit(g->currentIndex());
        editor = g->indexWidget(g->currentIndex());
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    QVERIFY(line);
    line->selectAll();
    bool latin1 = true;
    for (const QChar c : text)
        latin1 = latin1 && c.unicode() < 0x80;
    if (text.isEmpty())
        QTest::keyClick(line, Qt::Key_Delete);
    else if (latin1)
        QTest::keyClicks(line, text);
    else
        line->insert(text); // typed through an input method
}

const QString restoreQuestionStart = u"Seçilen yedek şimdiki veritabanının yerine konacak"_s;

QString stored(AppFixture& app, int sid, const QString& column)
{
    QSqlQuery q = app.exec(u"SELECT %1 FROM sifre WHERE sid = ?"_s.arg(column), { sid });
    return q.next() ? q.value(0).toString() : u"<none>"_s;
}

} // namespace

class tst_TsifrelerF final : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void gridEnterSteps_data();
    void gridEnterSteps();
    void deleteButton_data();
    void deleteButton();
    void ctrlDelete_data();
    void ctrlDelete();
    void saveAndEmptyName_data();
    void saveAndEmptyName();
    void tooLongRefused_data();
    void tooLongRefused();
    void newRowUnchangedDropped();
    void masterPassword_data();
    void masterPassword();
    void leaving_data();
    void leaving();
    void handBackSignsIn();
    void columnChooser();
    void letterhead();
    void letterheadCopyAfterAnotherCopy();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
    void restoreFromBackup_data();
    void restoreFromBackup();
};

void tst_TsifrelerF::layout()
{
    AppFixture app;
    seedAccounts(app, 1);
    TsifrelerF* accounts = openAccounts(app);
    QCOMPARE(accounts->windowTitle(), u"Lumeko Şifreler"_s);
    QVERIFY(accounts->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(accounts->windowFlags() & Qt::WindowCloseButtonHint));
    DBGrid* g = grid(accounts);
    QCOMPARE(g->columns(),
        (QStringList { u"kullanici"_s, u"sifre"_s, u"adi"_s, u"soyadi"_s, u"firmaadi"_s, u"firmaadres"_s, u"firmatel"_s,
            u"firmafax"_s }));
    QStringList shownTitles;
    for (int column = 0; column < g->model()->columnCount(); ++column) {
        if (!g->isColumnHidden(column))
            shownTitles.append(g->model()->headerData(column, Qt::Horizontal).toString());
    }
    QCOMPARE(shownTitles, (QStringList { u"Kullanıcı Kodu"_s, u"Şifresi"_s, u"Adı"_s, u"Soyadı"_s }));
    // The password shows in plain text.
    QCOMPARE(g->model()->index(0, 1).data().toString(), u"p1"_s);
    QCOMPARE(accounts->focusWidget(), ctl<QPushButton>(accounts, "OKBtn"));

    // The tab order, as Tab walks it (the grid's own cells and headers left out).
    const QList<QWidget*> order
        = { ctl<QPushButton>(accounts, "OKBtn"), grid(accounts), ctl<DBEdit>(accounts, "JvDotNetDBEdit1"),
              ctl<QPushButton>(accounts, "JvXPButton1"), ctl<QPushButton>(accounts, "JvXPButton2"),
              ctl<QPushButton>(accounts, "JvXPButton3"), ctl<QPushButton>(accounts, "JvXPButton4") };
    QList<QWidget*> chain;
    QWidget* w = order.first();
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(accounts)
            && (w == grid(accounts) || !grid(accounts)->isAncestorOf(w)))
            chain.append(w);
        w = w->nextInFocusChain();
    } while (w != order.first());
    QStringList names;
    for (QWidget* c : chain)
        names.append(c->objectName());
    // The letterhead boxes come after the screen's own order, the restore command last.
    QCOMPARE(names.join(u' '),
        u"OKBtn JvDBUltimGrid1 JvDotNetDBEdit1 JvXPButton1 JvXPButton2 JvXPButton3 JvXPButton4 "
        u"firmaadiEdit firmaadresEdit firmatelEdit firmafaxEdit TumHesaplaraButton geriYukleButton"_s);
}

void tst_TsifrelerF::gridEnterSteps_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<int>("toRow");
    QTest::addColumn<int>("toColumn");

    QTest::newRow("next column") << 0 << 0 << false << 0 << 1;
    QTest::newRow("last column to next row") << 0 << 3 << false << 1 << 0;
    QTest::newRow("last row stays") << 2 << 3 << false << 2 << 0;
    QTest::newRow("back a column") << 1 << 2 << true << 1 << 1;
    QTest::newRow("first column to previous row") << 1 << 0 << true << 0 << 3;
    QTest::newRow("first row stays") << 0 << 0 << true << 0 << 3;
}

void tst_TsifrelerF::gridEnterSteps()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, shift);
    QFETCH(int, toRow);
    QFETCH(int, toColumn);

    AppFixture app;
    seedAccounts(app, 3);
    TsifrelerF* accounts = openAccounts(app);
    DBGrid* g = grid(accounts);
    g->setCurrentIndex(g->model()->index(row, column));
    g->setFocus();
    QTRY_VERIFY(g->indexWidget(g->currentIndex()));
    QWidget* target = g->indexWidget(g->currentIndex());
    QVERIFY2(target, "the current cell shows its editor");
    QTest::keyClick(target, Qt::Key_Return, shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(g->currentIndex().row(), toRow);
    QCOMPARE(g->currentIndex().column(), toColumn);
    QCOMPARE(accounts->sifreTable->RecNo(), toRow + 1);
    VERIFY_BOXES(app);
}

void tst_TsifrelerF::deleteButton_data()
{
    QTest::addColumn<int>("accounts");
    QTest::addColumn<int>("left");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("two") << 2 << 1;
}

void tst_TsifrelerF::deleteButton()
{
    QFETCH(int, accounts);
    QFETCH(int, left);

    AppFixture app;
    seedAccounts(app, accounts);
    TsifrelerF* screen = openAccounts(app);
    if (accounts < 2)
        app.messages().expectPlain(onlyOneAccount);
    else
        screen->sifreTable->Last();
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton3"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s), left);
    if (accounts == 2)
        QCOMPARE(app.count(u"sifre"_s, u"kullanici = 'ayse'"_s), 1);
}

void tst_TsifrelerF::ctrlDelete_data()
{
    QTest::addColumn<int>("accounts");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("left");
    QTest::newRow("last account, yes") << 1 << int(Messages::Answer::Yes) << 0;
    QTest::newRow("no") << 2 << int(Messages::Answer::No) << 2;
    QTest::newRow("escape") << 2 << int(Messages::Answer::No) << 2;
    QTest::newRow("closed") << 2 << int(Messages::Answer::Closed) << 2;
    QTest::newRow("second of two") << 2 << int(Messages::Answer::Yes) << 1;
}

void tst_TsifrelerF::ctrlDelete()
{
    QFETCH(int, accounts);
    QFETCH(int, answer);
    QFETCH(int, left);

    AppFixture app;
    seedAccounts(app, accounts);
    TsifrelerF* screen = openAccounts(app);
    goToCell(screen, accounts - 1, u"adi"_s);
    app.messages().expectQuestion(u"Delete record?"_s, Messages::Answer(answer));
    QWidget* target = grid(screen)->indexWidget(grid(screen)->currentIndex());
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key_Delete, Qt::ControlModifier);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s), left);
    if (left < accounts)
        QCOMPARE(app.count(u"sifre"_s, u"sid = ?"_s, { accounts }), 0);
}

void tst_TsifrelerF::saveAndEmptyName_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<QString>("expectedPassword");

    QTest::newRow("new password") << u"sifre"_s << u"Yeni9"_s << u"ayse"_s << u"Yeni9"_s;
    QTest::newRow("new name") << u"kullanici"_s << u"Ayse"_s << u"Ayse"_s << u"p1"_s;
    // Clearing the user name and saving leaves the stored account as it was.
    QTest::newRow("cleared name") << u"kullanici"_s << QString() << u"ayse"_s << u"p1"_s;
}

void tst_TsifrelerF::saveAndEmptyName()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, expectedName);
    QFETCH(QString, expectedPassword);

    AppFixture app;
    seedAccounts(app, 2);
    TsifrelerF* screen = openAccounts(app);
    goToCell(screen, 0, field);
    typeInCell(screen, typed);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton2"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, u"kullanici"_s), expectedName);
    QCOMPARE(stored(app, 1, u"sifre"_s), expectedPassword);
    QCOMPARE(screen->sifreTable->State(), dsBrowse);
    QCOMPARE(app.count(u"sifre"_s), 2);
}

void tst_TsifrelerF::tooLongRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::newRow("user name") << u"kullanici"_s
                               << u"Kullanıcı adı en fazla 16 karakter olabilir! Bilgiler kayıt edilmedi."_s;
    QTest::newRow("password") << u"sifre"_s << u"Şifre en fazla 16 karakter olabilir! Bilgiler kayıt edilmedi."_s;
}

void tst_TsifrelerF::tooLongRefused()
{
    QFETCH(QString, field);
    QFETCH(QString, message);

    AppFixture app;
    seedAccounts(app, 1);
    TsifrelerF* screen = openAccounts(app);
    // The cell editor takes no more than 16 characters.
    goToCell(screen, 0, field);
    typeInCell(screen, u"12345678901234567890"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton2"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, field), u"1234567890123456"_s);

    // A longer value set another way is refused with a clear message and nothing is stored.
    screen->sifreTable->Edit();
    screen->sifreTable->FieldByName(field)->setAsString(u"abcdefghijklmnopq"_s);
    app.messages().expectError(message);
    screen->JvXPButton2Click();
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, field), u"1234567890123456"_s);
    QCOMPARE(screen->sifreTable->State(), dsEdit);
}

void tst_TsifrelerF::newRowUnchangedDropped()
{
    AppFixture app;
    seedAccounts(app, 1);
    TsifrelerF* screen = openAccounts(app);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton4"), Qt::LeftButton);
    QCOMPARE(screen->sifreTable->State(), dsInsert);
    QVERIFY(grid(screen)->hasFocus() || grid(screen)->isAncestorOf(QApplication::focusWidget()));
    // Leaving the grid drops the untouched row; nothing is asked.
    ctl<DBEdit>(screen, "JvDotNetDBEdit1")->setFocus();
    QCOMPARE(screen->sifreTable->State(), dsBrowse);

    // A new row with a user name is stored; one without is not.
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton4"), Qt::LeftButton);
    goToCell(screen, 1, u"adi"_s);
    typeInCell(screen, u"Fatma"_s);
    screen->JvXPButton2Click();
    QCOMPARE(app.count(u"sifre"_s), 1);
    QCOMPARE(screen->sifreTable->State(), dsBrowse);

    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton4"), Qt::LeftButton);
    goToCell(screen, 1, u"kullanici"_s);
    typeInCell(screen, u"fatma"_s);
    screen->JvXPButton2Click();
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s, u"kullanici = 'fatma'"_s), 1);
}

void tst_TsifrelerF::masterPassword_data()
{
    QTest::addColumn<QString>("before"); // null: no master row
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("after");

    QTest::newRow("first master, yes") << QString() << int(Messages::Answer::Yes) << u"Gizli1"_s;
    QTest::newRow("first master, no") << QString() << int(Messages::Answer::No) << QString();
    QTest::newRow("change, yes") << u"eski"_s << int(Messages::Answer::Yes) << u"Gizli1"_s;
    QTest::newRow("change, escape") << u"eski"_s << int(Messages::Answer::No) << u"eski"_s;
}

void tst_TsifrelerF::masterPassword()
{
    QFETCH(QString, before);
    QFETCH(int, answer);
    QFETCH(QString, after);

    AppFixture app;
    seedAccounts(app, 1);
    if (!before.isNull())
        app.exec(u"INSERT INTO master (mids) VALUES (?)"_s, { before });
    TPasswordDlg* signIn = app.screens().PasswordDlg;
    ctl<QLineEdit>(signIn, "Password")->setText(before);
    signIn->JvXPBar1Items0Click();
    TsifrelerF* screen = app.screens().sifrelerF;
    QVERIFY(screen->isVisible());

    // Without a change the button does nothing.
    screen->JvXPButton1Click();
    VERIFY_BOXES(app);

    auto* box = ctl<DBEdit>(screen, "JvDotNetDBEdit1");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, u"Gizli1"_s);
    app.messages().expectQuestion(Messages::kayitEdilsinmi, Messages::Answer(answer));
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton1"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"master"_s), after.isNull() ? 0 : 1);
    if (!after.isNull())
        QCOMPARE(app.exec(u"SELECT mids FROM master"_s).next() ? true : false, true);
    QSqlQuery q = app.exec(u"SELECT mids FROM master"_s);
    QCOMPARE(q.next() ? q.value(0).toString() : QString(), after);

    // The next check in the sign-in dialog uses the stored value.
    QTest::mouseClick(ctl<QPushButton>(screen, "OKBtn"), Qt::LeftButton);
    VERIFY_BOXES(app);
    ctl<QLineEdit>(signIn, "Password")->setText(after);
    signIn->JvXPBar1Items0Click();
    VERIFY_BOXES(app);
    QVERIFY(screen->isVisible());
}

void tst_TsifrelerF::leaving_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<int>("answer"); // -1: no question
    QTest::addColumn<bool>("left");

    QTest::newRow("no change") << false << -1 << true;
    QTest::newRow("change, yes") << true << int(Messages::Answer::Yes) << true;
    QTest::newRow("change, no") << true << int(Messages::Answer::No) << false;
    QTest::newRow("change, closed") << true << int(Messages::Answer::Closed) << false;
}

void tst_TsifrelerF::leaving()
{
    QFETCH(bool, change);
    QFETCH(int, answer);
    QFETCH(bool, left);

    AppFixture app;
    seedAccounts(app, 2);
    TsifrelerF* screen = openAccounts(app);
    goToCell(screen, 1, u"soyadi"_s);
    if (change)
        typeInCell(screen, u"Yılmaz"_s);
    if (answer >= 0)
        app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer(answer));
    QTest::mouseClick(ctl<QPushButton>(screen, "OKBtn"), Qt::LeftButton);
    VERIFY_BOXES(app);
    TPasswordDlg* signIn = app.screens().PasswordDlg;
    QCOMPARE(screen->isVisible(), !left);
    QCOMPARE(signIn->isEnabled(), left);
    QCOMPARE(stored(app, 2, u"soyadi"_s), u"Soyad"_s);
    if (left) {
        QCOMPARE(screen->sifreTable->State(), dsBrowse);
        QCOMPARE(ctl<QLineEdit>(signIn, "kullan")->text(), u"mehmet"_s);
        QCOMPARE(ctl<QLineEdit>(signIn, "Password")->text(), u"p2"_s);
    } else {
        // The change is still pending.
        QVERIFY(screen->sifreTable->Modified());
        QCOMPARE(screen->sifreTable->FieldByName(u"soyadi"_s)->AsString(), u"Yılmaz"_s);
    }
}

void tst_TsifrelerF::handBackSignsIn()
{
    AppFixture app;
    seedAccounts(app, 3);
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('1', 'Ali')"_s);
    TsifrelerF* screen = openAccounts(app);
    goToCell(screen, 2, u"kullanici"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, "OKBtn"), Qt::LeftButton);
    TPasswordDlg* signIn = app.screens().PasswordDlg;
    QTest::mouseClick(ctl<QPushButton>(signIn, "OKBtn"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QVERIFY(signIn->isHidden());
    QCOMPARE(screen->sifreTable->FieldByName(u"kullanici"_s)->AsString(), u"zeynep"_s);
}

void tst_TsifrelerF::letterhead()
{
    // The picture goes where the test was started.
    const QString picture = QDir::current().filePath(u"tst_tsifrelerf_letterhead.png"_s);
    AppFixture app;
    seedAccounts(app, 3);
    TsifrelerF* screen = openAccounts(app);
    QCOMPARE(ctl<QGroupBox>(screen, "KurumBilgileri")->title(), u"Kurum Bilgileri"_s);

    // Typed into the boxes of the current account and stored with "Kaydet".
    const std::pair<const char*, QString> typed[]
        = { { "firmaadiEdit", u"Cocuk Klinigi"_s }, { "firmaadresEdit", u"Bagdat Cad. 215 Kadikoy"_s },
              { "firmatelEdit", u"2165551234"_s }, { "firmafaxEdit", u"2165551235"_s } };
    for (const auto& [name, text] : typed) {
        DBEdit* box = ctl<DBEdit>(screen, name);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, text);
    }
    QCOMPARE(ctl<DBEdit>(screen, "firmatelEdit")->text(), u"(216) 555 12 34"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton2"), Qt::LeftButton);
    QCOMPARE(stored(app, 1, u"firmaadi"_s), u"Cocuk Klinigi"_s);
    QCOMPARE(stored(app, 1, u"firmaadres"_s), u"Bagdat Cad. 215 Kadikoy"_s);
    QCOMPARE(stored(app, 1, u"firmatel"_s), u"2165551234"_s);
    QCOMPARE(stored(app, 1, u"firmafax"_s), u"2165551235"_s);
    QCOMPARE(stored(app, 2, u"firmaadi"_s), QString());

    // Copied to every account only after Yes; the current account stays current.
    QPushButton* apply = ctl<QPushButton>(screen, "TumHesaplaraButton");
    app.messages().expectQuestion(u"Kurum bilgileri tüm hesaplara uygulansınmı?"_s, Messages::Answer::No);
    QTest::mouseClick(apply, Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s, u"firmaadi = 'Cocuk Klinigi'"_s), 1);
    app.messages().expectQuestion(u"Kurum bilgileri tüm hesaplara uygulansınmı?"_s, Messages::Answer::Yes);
    QTest::mouseClick(apply, Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s,
                 u"firmaadi = 'Cocuk Klinigi' AND firmaadres = 'Bagdat Cad. 215 Kadikoy' AND firmatel = '2165551234' "
                 u"AND firmafax = '2165551235'"_s),
        3);
    QCOMPARE(screen->sifreTable->FieldByName(u"kullanici"_s)->AsString(), u"ayse"_s);
    QCOMPARE(screen->sifreTable->State(), dsBrowse);
    QVERIFY(screen->grab().save(picture));
    qInfo("screenshot: %s", qPrintable(picture));

    // The boxes follow the account chosen in the grid; the grid's columns are as they were.
    app.exec(u"UPDATE sifre SET firmaadi = 'Diger' WHERE sid = 3"_s);
    screen->sifreTable->Refresh();
    goToCell(screen, 2, u"kullanici"_s);
    QCOMPARE(ctl<DBEdit>(screen, "firmaadiEdit")->text(), u"Diger"_s);
    QVERIFY(grid(screen)->isColumnHidden(grid(screen)->columnOf(u"firmaadi"_s)));
}

// Another workstation changed an account's letterhead after this screen read it: the copy the
// user asks for reads each account as it now stands and replaces it without a conflict.
void tst_TsifrelerF::letterheadCopyAfterAnotherCopy()
{
    AppFixture app;
    seedAccounts(app, 3);
    TsifrelerF* screen = openAccounts(app);
    DBEdit* name = ctl<DBEdit>(screen, "firmaadiEdit");
    name->setFocus();
    QTest::keyClicks(name, u"Klinik"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton2"), Qt::LeftButton);
    app.exec(u"UPDATE sifre SET firmaadi = 'Baska' WHERE sid = 2"_s);

    app.messages().expectQuestion(u"Kurum bilgileri tüm hesaplara uygulansınmı?"_s, Messages::Answer::Yes);
    QTest::mouseClick(ctl<QPushButton>(screen, "TumHesaplaraButton"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"sifre"_s, u"firmaadi = 'Klinik'"_s), 3);
    QCOMPARE(screen->sifreTable->State(), dsBrowse);
    QCOMPARE(screen->sifreTable->FieldByName(u"kullanici"_s)->AsString(), u"ayse"_s);
    QVERIFY(!screen->sifreTable->ControlsDisabled());
}

void tst_TsifrelerF::columnChooser()
{
    AppFixture app;
    seedAccounts(app, 1);
    TsifrelerF* screen = openAccounts(app);
    DBGrid* g = grid(screen);
    ColumnChooserButton* arrow = screen->columnChooser();
    QVERIFY(arrow->isVisible());
    QTest::mouseClick(arrow, Qt::LeftButton);
    ColumnChooser* chooser = arrow->chooser();
    QVERIFY(chooser);
    QCOMPARE(chooser->windowTitle(), u"Gösterlecek Kolonları Seç"_s);
    QCOMPARE(ctl<QPushButton>(chooser, "TamamBtn")->text(), u"&Tamam"_s);
    QVERIFY(chooser->isTicked(u"Şifresi"_s));
    QVERIFY(!chooser->isTicked(u"Firma Adı"_s));

    // Nothing ticked: the warning, and the dialog stays.
    for (const QString& title : chooser->titles())
        chooser->setTicked(title, false);
    app.messages().expectPlain(u"En Az bir kolon görünür olmalı"_s);
    QTest::mouseClick(ctl<QPushButton>(chooser, "TamamBtn"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QVERIFY(chooser->isVisible());

    chooser->setTicked(u"Kullanıcı Kodu"_s, true);
    chooser->setTicked(u"Firma Adı"_s, true);
    chooser->setTicked(u"Firma Telefonu"_s, true);
    QTest::mouseClick(ctl<QPushButton>(chooser, "TamamBtn"), Qt::LeftButton);
    QTRY_VERIFY(!arrow->chooser());
    QVERIFY(!g->isColumnHidden(g->columnOf(u"firmaadi"_s)));
    QVERIFY(g->isColumnHidden(g->columnOf(u"sifre"_s)));

    // The choice outlasts the rows being read again.
    screen->sifreTable->Refresh();
    QVERIFY(g->isColumnHidden(g->columnOf(u"sifre"_s)));
    QVERIFY(!g->isColumnHidden(g->columnOf(u"firmatel"_s)));

    // Enter now steps over the hidden columns: Kullanıcı Kodu, Firma Adı, Firma Telefonu.
    goToCell(screen, 0, u"kullanici"_s);
    QTest::keyClick(g->indexWidget(g->currentIndex()), Qt::Key_Return);
    QCOMPARE(g->currentIndex().column(), g->columnOf(u"firmaadi"_s));

    // The letterhead is edited and stored there.
    typeInCell(screen, u"Çocuk Kliniği"_s);
    screen->JvXPButton2Click();
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, u"firmaadi"_s), u"Çocuk Kliniği"_s);

    // The telephone goes through its pattern; only the digits are stored.
    goToCell(screen, 0, u"firmatel"_s);
    auto* phone = qobject_cast<QLineEdit*>(g->indexWidget(g->currentIndex()));
    QVERIFY(phone);
    QVERIFY(!phone->inputMask().isEmpty());
    phone->setCursorPosition(0);
    QTest::keyClicks(phone, u"2125551234"_s);
    screen->JvXPButton2Click();
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, u"firmatel"_s), u"2125551234"_s);
    auto* cells = qobject_cast<QStyledItemDelegate*>(g->itemDelegateForColumn(g->columnOf(u"firmatel"_s)));
    QVERIFY(cells);
    QCOMPARE(cells->displayText(u"2125551234"_s, QLocale()), u"(212) 555 12 34"_s);
}

void tst_TsifrelerF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("typed"); // "cell": a first name typed in the grid; "master": a master password
    QTest::addColumn<QString>("effect");

    QTest::newRow("Yeni") << u"JvXPButton4"_s << QKeySequence() << QString() << u"new account"_s;
    QTest::newRow("Kaydet") << u"JvXPButton2"_s << QKeySequence() << u"cell"_s << u"account stored"_s;
    QTest::newRow("Sil") << u"JvXPButton3"_s << QKeySequence() << QString() << u"account deleted"_s;
    QTest::newRow("Ctrl+Delete") << QString() << QKeySequence(u"Ctrl+Del"_s) << QString() << u"asked and deleted"_s;
    QTest::newRow("Master Şifre Kaydet") << u"JvXPButton1"_s << QKeySequence() << u"master"_s << u"master stored"_s;
    QTest::newRow("Tamam") << u"OKBtn"_s << QKeySequence() << QString() << u"back to sign-in"_s;
    QTest::newRow("Yardım") << u"tfXPButton1"_s << QKeySequence() << QString() << u"help ysifreler"_s;
    QTest::newRow("Tüm Hesaplara Uygula")
        << u"TumHesaplaraButton"_s << QKeySequence() << QString() << u"letterhead copied"_s;
    // The test's own connection has the database open, as another copy of the program would.
    QTest::newRow("Yedekten Geri Yükle") << u"geriYukleButton"_s << QKeySequence() << QString()
                                         << u"restore refused: open elsewhere"_s;
}

// Each button and key of the accounts screen does its own command, on the first of two accounts.
void tst_TsifrelerF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, typed);
    QFETCH(QString, effect);

    AppFixture app;
    seedAccounts(app, 2);
    app.nameHelpTopics();
    TsifrelerF* screen = openAccounts(app);
    goToCell(screen, 0, u"adi"_s);
    if (typed == u"cell"_s) {
        typeInCell(screen, u"Veli"_s);
    } else if (typed == u"master"_s) {
        auto* box = ctl<DBEdit>(screen, "JvDotNetDBEdit1");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, u"Gizli1"_s);
    }

    if (effect == u"master stored"_s)
        app.messages().expectQuestion(Messages::kayitEdilsinmi, Messages::Answer::Yes);
    if (effect == u"asked and deleted"_s)
        app.messages().expectQuestion(u"Delete record?"_s, Messages::Answer::Yes);
    if (effect == u"letterhead copied"_s) {
        app.exec(u"UPDATE sifre SET firmaadi = 'Klinik' WHERE sid = 1"_s);
        screen->sifreTable->Refresh();
        app.messages().expectQuestion(u"Kurum bilgileri tüm hesaplara uygulansınmı?"_s, Messages::Answer::Yes);
    }
    FileAnswer files;
    // A server's database is not restored from here: the screen says how it is done instead.
    const bool onServer = effect.startsWith(u"restore"_s) && TestDatabase::postgresqlChosen();
    if (onServer) {
        app.messages().expectInformation(BackupRestore::onServer);
    } else if (effect.startsWith(u"restore"_s)) {
        files.file = app.path(u"yedek.db"_s);
        QVERIFY(SqliteBackup::copy(app.databasePath(), files.file).ok);
        app.messages().expect(Messages::Kind::Question, QString(), Messages::Answer::Yes);
        app.messages().expectError(BackupRestore::openElsewhere);
    }
    if (!keys.isEmpty()) {
        QWidget* target = grid(screen)->indexWidget(grid(screen)->currentIndex());
        QVERIFY(target);
        QTest::keySequence(target, keys);
    } else {
        auto* pressed = screen->findChild<QAbstractButton*>(button);
        QVERIFY2(pressed, qPrintable(button));
        QTest::mouseClick(pressed, Qt::LeftButton);
    }
    VERIFY_BOXES(app);

    const bool deleted = effect == u"account deleted"_s || effect == u"asked and deleted"_s;
    QCOMPARE(app.count(u"sifre"_s), deleted ? 1 : 2);
    QCOMPARE(stored(app, 1, u"adi"_s), deleted ? u"<none>"_s : effect == u"account stored"_s ? u"Veli"_s : u"Ad"_s);
    QCOMPARE(app.count(u"master"_s, u"mids = 'Gizli1'"_s), effect == u"master stored"_s ? 1 : 0);
    QCOMPARE(app.count(u"sifre"_s, u"firmaadi = 'Klinik'"_s), effect == u"letterhead copied"_s ? 2 : 0);
    QCOMPARE(screen->sifreTable->State(), effect == u"new account"_s ? dsInsert : dsBrowse);
    QCOMPARE(screen->isHidden(), effect == u"back to sign-in"_s);
    QCOMPARE(app.shownHelpTopic(), effect.startsWith(u"help "_s) ? effect.mid(5) : QString());
    QCOMPARE(files.asked, effect.startsWith(u"restore"_s) && !onServer ? 1 : 0);
    if (effect == u"back to sign-in"_s) {
        QVERIFY(app.screens().PasswordDlg->isEnabled());
        QCOMPARE(ctl<QLineEdit>(app.screens().PasswordDlg, "kullan")->text(), u"ayse"_s);
    }
}

void tst_TsifrelerF::restoreFromBackup_data()
{
    QTest::addColumn<QString>("backup"); // "good", "damaged", "none" (the dialog was cancelled)
    QTest::addColumn<Messages::Answer>("answer");
    QTest::addColumn<bool>("restored");

    QTest::newRow("a good backup, Yes") << u"good"_s << Messages::Answer::Yes << true;
    QTest::newRow("a good backup, No") << u"good"_s << Messages::Answer::No << false;
    QTest::newRow("a damaged file: no question") << u"damaged"_s << Messages::Answer::Yes << false;
    QTest::newRow("no file chosen") << u"none"_s << Messages::Answer::Yes << false;
}

// The backup holds one account the database does not; the database holds one the backup does
// not. Until the end, nothing here opens the database beside the program.
void tst_TsifrelerF::restoreFromBackup()
{
    QFETCH(QString, backup);
    QFETCH(Messages::Answer, answer);
    QFETCH(bool, restored);
    if (TestDatabase::postgresqlChosen())
        QSKIP("a backup file takes the place of an SQLite file only");

    AppFixture app;
    FileAnswer files;
    if (backup != u"none"_s)
        files.file = app.path(u"Data/Yedek/Pediakay-2026-12-01_1800.db"_s);
    QVERIFY(SqliteBackup::copy(app.databasePath(), app.path(u"Data/Yedek/Pediakay-2026-12-01_1800.db"_s)).ok);
    {
        SqliteHandle copy(app.path(u"Data/Yedek/Pediakay-2026-12-01_1800.db"_s), SqliteHandle::Mode::ReadWrite);
        QVERIFY(copy.exec(u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (1, 'yedekteki', 'y1')"_s));
    }
    if (backup == u"damaged"_s) {
        QFile f(files.file);
        QVERIFY(f.open(QIODevice::ReadWrite));
        // A page in the middle: the file still opens, its tables do not check.
        f.seek(f.size() / 2 / 4096 * 4096);
        f.write(QByteArray(4096, '\x5a'));
    }
    {
        SqliteHandle current(app.databasePath(), SqliteHandle::Mode::ReadWrite);
        QVERIFY(current.exec(u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (1, 'simdiki', 's1')"_s));
    }
    TsifrelerF* screen = openAccounts(app);
    QCOMPARE(screen->sifreTable->FieldByName(u"kullanici"_s)->AsString(), u"simdiki"_s);

    if (backup == u"damaged"_s)
        app.messages().expectError();
    if (backup == u"good"_s)
        app.messages().expect(Messages::Kind::Question, QString(), answer);
    if (restored)
        app.messages().expect(Messages::Kind::Information, QString(), Messages::Answer::Ok);
    QTest::mouseClick(ctl<QPushButton>(screen, "geriYukleButton"), Qt::LeftButton);
    VERIFY_BOXES(app);

    QCOMPARE(files.asked, 1);
    QCOMPARE(files.folder, AutoBackup::folder());
    const QList<MessageScript::Shown> shown = app.messages().shown();
    if (backup == u"good"_s) {
        QVERIFY2(shown.first().text.startsWith(restoreQuestionStart), qPrintable(shown.first().text));
        QVERIFY(shown.first().text.contains(QDir::toNativeSeparators(files.file)));
    }
    if (backup == u"damaged"_s)
        QVERIFY2(shown.first().text.startsWith(u"Yedek dosyası bozuk"_s), qPrintable(shown.first().text));
    const QStringList aside = QDir(app.path(u"Data"_s)).entryList({ u"Pediakay-oncesi-*.db"_s }, QDir::Files);
    QCOMPARE(aside.size(), restored ? 1 : 0);
    if (restored)
        QVERIFY(shown.last().text.contains(aside.first()));

    // The screen shows the database it now has, and can go on storing.
    const QString expected = restored ? u"yedekteki"_s : u"simdiki"_s;
    QCOMPARE(screen->sifreTable->FieldByName(u"kullanici"_s)->AsString(), expected);
    QVERIFY(screen->masterTable->Active());
    goToCell(screen, 0, u"adi"_s);
    typeInCell(screen, u"Veli"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, "JvXPButton2"), Qt::LeftButton);
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, 1, u"kullanici"_s), expected);
    QCOMPARE(stored(app, 1, u"adi"_s), u"Veli"_s);
    if (restored) {
        SqliteHandle kept(app.path(u"Data/"_s + aside.first()), SqliteHandle::Mode::ReadOnly);
        QStringList names;
        QVERIFY(kept.rows(u"SELECT kullanici FROM sifre"_s, names));
        QCOMPARE(names, QStringList { u"simdiki"_s });
    }
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TsifrelerF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tsifrelerf.moc"
