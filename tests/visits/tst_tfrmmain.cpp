#include "AppFixture.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBMemo.h"
#include "DataSet.h"
#include "Field.h"
#include "MessageScript.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TChartF.h"
#include "TReport.h"
#include "TReportPreview.h"
#include "TasilarF.h"
#include "TfrmMain.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TreceteF.h"
#include "Tsicrapor.h"
#include "TtetkikgirisF.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString notFoundByCode = u"Bu kodla kayıtlı protokol bulunamadı! Listeden aramak istermisiniz?"_s;
const QString notFoundByName = u"Bu ad ve soyadla kayıt bulunamadı! Açmak istermisiniz?"_s;
const QString deleteStop
    = u"Bu kaydı silerseniz tekrar ulaşmanız mümkün olmayacaktır! Silme işlemini durdurmak istermisiniz?"_s;

// A control of the visit screen by its name.
// Types text key by key, Turkish letters included.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString deleteQuestion(const QString& date)
{
    return u"Seçili \""_s + date + u"\" tarihli kaydı silmek istediğinize eminmisiniz?"_s;
}

// Looks at every report preview as it comes up and closes it.
class PreviewWatcher final : public TReport::PreviewHandler
{
public:
    PreviewWatcher()
    {
        TReport::setPreviewHandler(this);
    }
    ~PreviewWatcher() override
    {
        TReport::setPreviewHandler(nullptr);
    }
    void previewShown(TReportPreview& preview) override
    {
        captions.append(preview.windowTitle());
        layouts.append(preview.report().layoutName());
        pages = preview.report().pageCount();
        preview.close();
    }

    QStringList captions;
    QStringList layouts;
    int pages = 0;
};

} // namespace

class tst_TfrmMain final : public QObject
{
    Q_OBJECT

private:
    // Children in registry order; "012" has two visits, "7'A" carries an apostrophe.
    static void seedRegistry(AppFixture& app);
    // Signs in and sets the visit date picker to 20.03.2012.
    static TfrmMain* signIn(AppFixture& app);
    static void lookUpCode(TfrmMain* screen, const QString& code);
    static void verifyBoxes(AppFixture& app);

private slots:
    void historyDivisionRemembered();
    void measurementUnits();
    void lookupByCode_data();
    void lookupByCode();
    void lookupByNameBeginnings_data();
    void lookupByNameBeginnings();
    void nameNotFoundAsksTwice();
    void firstNameOnlyAsksForSurname();
    void emptySearchDoesNothing();
    void saveRightAfterLookup();
    void typedMeasurementsAndTextsAreStored();
    void lookupAgainAsksEvenWithoutTyping();
    void abandonShowsOlderVisit();
    void abandonBeforeFollowingListsEveryVisit();
    void deleteAnswers_data();
    void deleteAnswers();
    void correctWithAndWithoutQuestion();
    void anotherCopyMeanwhile_data();
    void anotherCopyMeanwhile();
    void sortFlagSurvivesLookup();
    void rowHeightSequence();
    void tooltipFollowsSelectedColumn();
    void keysDependOnFocus();
    void printCommands();
    void closingWindowStoresStartedVisit();
    void exitAnsweredNoKeepsVisit();
    void badMeasurementsAreRefused_data();
    void badMeasurementsAreRefused();
    void measurementLimit_data();
    void measurementLimit();
    void impossibleDateIsRefused();
    void dateBeforeBirthStoresNegativeAge();
    void apostropheInCode();
    void guardsWithClosedVisits();
    void newChildOnEmptyRegistry();
    void vaccinesOpenWithoutQuestion();
    void childDetailAsksAndDisables();
    void enterFollowsFocusOrder();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
};

void tst_TfrmMain::seedRegistry(AppFixture& app)
{
    const QList<QStringList> children = {
        { u"012"_s, u"Ali"_s, u"Yılmaz"_s, u"2010-03-15 00:00:00.000"_s },
        { u"5"_s, u"Ayşe"_s, u"Yıldız"_s, u"2010-03-20 00:00:00.000"_s },
        { u"20"_s, u"İsmail"_s, u"Işık"_s, u"2011-12-31 00:00:00.000"_s },
        { u"7'A"_s, u"Zeynep"_s, u"Kaya"_s, u"2012-03-01 00:00:00.000"_s },
    };
    for (const QStringList& c : children)
        app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, dogumtarihi) VALUES (?, ?, ?, ?)"_s,
            { c[0], c[1], c[2], c[3] });
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, \"not\") VALUES ('012', '2011-12-08 10:00:00.000', "
             "20.23, 11.5, 'ilk not')"_s);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, \"not\") VALUES ('012', '2012-01-10 10:00:00.000', "
             "21.26, 12, 'ikinci not')"_s);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas) VALUES ('5', '2012-02-01 09:00:00.000', 22.12)"_s);
}

TfrmMain* tst_TfrmMain::signIn(AppFixture& app)
{
    if (!app.signIn())
        return nullptr;
    TfrmMain* screen = app.screens().frmMain;
    ctl<QDateTimeEdit>(screen, u"JvDateTimePicker1")->setDate(QDate(2012, 3, 20));
    // Focus changes reach the boxes only in the active window.
    QApplication::setActiveWindow(screen);
    if (!QTest::qWaitForWindowActive(screen))
        return nullptr;
    return screen;
}

void tst_TfrmMain::lookUpCode(TfrmMain* screen, const QString& code)
{
    ctl<QLineEdit>(screen, u"kisinoedit")->setText(code);
    QTest::mouseClick(ctl<QPushButton>(screen, u"JvNavPanelButton9"), Qt::LeftButton);
    // The wait window took the activation with it.
    QApplication::setActiveWindow(screen);
}

void tst_TfrmMain::verifyBoxes(AppFixture& app)
{
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
}

// The doctor drags the division between the entry area and the history; the next start keeps it.
void tst_TfrmMain::historyDivisionRemembered()
{
    AppFixture app;
    TfrmMain* screen = app.screens().frmMain;
    const auto showAtClinicSize = [](TfrmMain* w) {
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->setWindowState(Qt::WindowNoState);
        w->resize(1366, 740);
        QTRY_COMPARE(w->size(), QSize(1366, 740));
    };
    showAtClinicSize(screen);
    auto* splitter = screen->findChild<QSplitter*>(u"entrySplitter"_s);
    QVERIFY(splitter);
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QCOMPARE(splitter->widget(1)->objectName(), u"lowerPanel"_s);
    const int historyBefore = splitter->sizes().at(1);

    QSplitterHandle* handle = splitter->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 150));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 150));
    const QList<int> dragged = splitter->sizes();
    QVERIFY2(dragged.at(1) >= historyBefore + 100, qPrintable(u"%1 -> %2"_s.arg(historyBefore).arg(dragged.at(1))));
    const QSettings settings(app.path(u"Ayar.ini"_s), QSettings::IniFormat);
    QVERIFY(settings.contains(u"muayene/bolme"_s));

    app.restart();
    TfrmMain* again = app.screens().frmMain;
    showAtClinicSize(again);
    QTRY_COMPARE(again->findChild<QSplitter*>(u"entrySplitter"_s)->sizes(), dragged);
}

void tst_TfrmMain::measurementUnits()
{
    AppFixture app;
    TfrmMain* screen = app.screens().frmMain;
    QCOMPARE(screen->findChild<DBEdit*>(u"kiloDBEdit"_s)->toolTip(), u"kg"_s);
    QCOMPARE(screen->findChild<DBEdit*>(u"boyDBEdit"_s)->toolTip(), u"cm"_s);
    QCOMPARE(screen->findChild<DBEdit*>(u"bascDBEdit"_s)->toolTip(), u"cm"_s);
}

void tst_TfrmMain::lookupByCode_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("found");
    QTest::addColumn<double>("age");
    QTest::addColumn<QString>("yearText");
    QTest::addColumn<int>("visits");

    QTest::newRow("whole code") << u"012"_s << true << 24.05 << u"2,0,5"_s << 2;
    QTest::newRow("no prefix match") << u"12"_s << false << 0.0 << QString() << 0;
    QTest::newRow("short month borrow") << u"5"_s << true << 24.0 << u"2,0,0"_s << 1;
    QTest::newRow("leap february borrow") << u"20"_s << true << 2.18 << u"0,2,18"_s << 0;
}

void tst_TfrmMain::lookupByCode()
{
    QFETCH(QString, code);
    QFETCH(bool, found);
    QFETCH(double, age);
    QFETCH(QString, yearText);
    QFETCH(int, visits);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı"_s);

    if (!found)
        app.messages().expectQuestion(notFoundByCode, Messages::Answer::No);
    lookUpCode(screen, code);
    verifyBoxes(app);

    if (!found) {
        QCOMPARE(screen->muayeneTable->State(), dsBrowse);
        QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı"_s);
        return;
    }
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), code);
    QCOMPARE(screen->muayeneTable->FieldByName(u"yas"_s)->AsFloat(), age);
    QCOMPARE(screen->muayeneTable->FieldByName(u"tarih"_s)->AsDateTime().date(), QDate(2012, 3, 20));
    QCOMPARE(ctl<QLineEdit>(screen, u"yasneedit")->text(), yearText);
    QCOMPARE(ctl<QLineEdit>(screen, u"kisinoedit")->text(), code);
    QCOMPARE(ctl<QLineEdit>(screen, u"FirmaAdiEdit")->text(),
        app.screens().ozluk->sicilTable->FieldByName(u"adi"_s)->AsString());
    QCOMPARE(ctl<DBEdit>(screen, u"JvDotNetDBEdit23")->text(), code);
    QCOMPARE(screen->muayeneRQuery->RecordCount(), visits);
    QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı: "_s + QString::number(visits));
}

void tst_TfrmMain::lookupByNameBeginnings_data()
{
    QTest::addColumn<QString>("typedFirst");
    QTest::addColumn<QString>("typedLast");
    QTest::addColumn<QString>("code");

    QTest::newRow("a y") << u"a"_s << u"y"_s << u"012"_s;
    QTest::newRow("ay yıl") << u"ay"_s << u"yıl"_s << u"5"_s;
    QTest::newRow("dotted and dotless i") << u"i"_s << u"ı"_s << u"20"_s;
    QTest::newRow("capitals") << u"AYŞ"_s << u"YILD"_s << u"5"_s;
}

void tst_TfrmMain::lookupByNameBeginnings()
{
    QFETCH(QString, typedFirst);
    QFETCH(QString, typedLast);
    QFETCH(QString, code);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    typeText(ctl<QLineEdit>(screen, u"FirmaAdiEdit"), typedFirst);
    typeText(ctl<QLineEdit>(screen, u"FirmaAdi2Edit"), typedLast);
    QTest::mouseClick(ctl<QPushButton>(screen, u"JvNavPanelButton9"), Qt::LeftButton);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), code);
    QCOMPARE(ctl<QLineEdit>(screen, u"kisinoedit")->text(), code);
}

void tst_TfrmMain::nameNotFoundAsksTwice()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    ctl<QLineEdit>(screen, u"FirmaAdiEdit")->setText(u"Xavier"_s);
    ctl<QLineEdit>(screen, u"FirmaAdi2Edit")->setText(u"Q"_s);
    app.messages().expectYesNoCancel(notFoundByName, Messages::Answer::Cancel);
    app.messages().expectQuestion(u"Listeden aramak istermisiniz?"_s, Messages::Answer::No);
    screen->JvNavPanelButton9Click();
    verifyBoxes(app);
    // The three-button box has its own caption.
    const auto shown = app.messages().shown();
    QVERIFY(std::any_of(shown.cbegin(), shown.cend(), [&](const MessageScript::Shown& box) {
        return box.text == notFoundByName && box.caption == u"Lumeko Fidanizi"_s;
    }));
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QVERIFY(app.screens().hazirlaF->isHidden());
}

void tst_TfrmMain::firstNameOnlyAsksForSurname()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    ctl<QLineEdit>(screen, u"FirmaAdiEdit")->setText(u"Ali"_s);
    app.messages().expectPlain(u"En azından soyadının bir harfini girmelisiniz!"_s);
    screen->JvNavPanelButton9Click();
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
}

void tst_TfrmMain::emptySearchDoesNothing()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    screen->JvNavPanelButton9Click();
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QVERIFY(app.messages().shown().isEmpty());
}

void tst_TfrmMain::saveRightAfterLookup()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, u"Button2"), Qt::LeftButton);
    verifyBoxes(app);

    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '012'"_s), 3);
    QSqlQuery q = app.exec(u"SELECT tarih, yas, doktoru, kilo, boy, basc, randevuno FROM muayene "
                           "WHERE hastakodu = '012' ORDER BY mid DESC LIMIT 1"_s);
    QVERIFY(q.next());
    QVERIFY(q.value(0).toString().startsWith(u"2012-03-20 "_s));
    QCOMPARE(q.value(1).toDouble(), 24.05);
    QCOMPARE(q.value(2).toString(), u"Deneme Doktor"_s);
    for (int i = 3; i <= 6; ++i)
        QVERIFY(q.value(i).isNull());
    QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı: 3"_s);

    // Nothing changed since: a second "Kaydet" stores nothing.
    QTest::mouseClick(ctl<QPushButton>(screen, u"Button2"), Qt::LeftButton);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '012'"_s), 3);
    verifyBoxes(app);
}

void tst_TfrmMain::typedMeasurementsAndTextsAreStored()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    ctl<DBEdit>(screen, u"kiloDBEdit")->setFocus();
    QTest::keyClicks(ctl<DBEdit>(screen, u"kiloDBEdit"), u"12,5"_s);
    QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key_Return);
    QTest::keyClicks(ctl<DBEdit>(screen, u"boyDBEdit"), u"88"_s);
    ctl<DBMemo>(screen, u"taniDBMemo")->setFocus();
    typeText(ctl<DBMemo>(screen, u"taniDBMemo"), u"Üst solunum"_s);
    QTest::keyClick(ctl<DBMemo>(screen, u"taniDBMemo"), Qt::Key_Return);
    QTest::keyClicks(ctl<DBMemo>(screen, u"taniDBMemo"), u"yolu"_s);
    // F2 with the caret still in the memo stores what was typed there as well.
    QTest::keyClick(ctl<DBMemo>(screen, u"taniDBMemo"), Qt::Key_F2);
    verifyBoxes(app);

    QSqlQuery q = app.exec(u"SELECT kilo, boy, tani FROM muayene WHERE hastakodu = '5' ORDER BY mid DESC LIMIT 1"_s);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 12.5);
    QCOMPARE(q.value(1).toDouble(), 88.0);
    QCOMPARE(q.value(2).toString(), u"Üst solunum\nyolu"_s);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
}

void tst_TfrmMain::lookupAgainAsksEvenWithoutTyping()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::No);
    lookUpCode(screen, u"5"_s);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), u"012"_s);

    // F5 asks as well; No keeps the started visit.
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::No);
    QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key_F5);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    QVERIFY(screen->isEnabled());
}

void tst_TfrmMain::abandonShowsOlderVisit()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, u"JvXPButton3"), Qt::LeftButton);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QVERIFY(screen->muayeneTable->FieldByName(u"tarih"_s)->AsDateTime().date() < QDate(2012, 3, 20));
    QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı: 2"_s);
    QCOMPARE(screen->muayeneRQuery->RecordCount(), 2);

    // Typing into the entry controls now corrects that older visit.
    const qint64 mid = screen->muayeneTable->currentKey();
    ctl<DBEdit>(screen, u"kiloDBEdit")->setFocus();
    ctl<DBEdit>(screen, u"kiloDBEdit")->selectAll();
    QTest::keyClicks(ctl<DBEdit>(screen, u"kiloDBEdit"), u"13"_s);
    QCOMPARE(screen->muayeneTable->State(), dsEdit);
    QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key_F2);
    QCOMPARE(app.exec(u"SELECT kilo FROM muayene WHERE mid = ?"_s, { mid }).next(), true);
    QSqlQuery q = app.exec(u"SELECT kilo, doktoru FROM muayene WHERE mid = ?"_s, { mid });
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 13.0);
    QCOMPARE(q.value(1).toString(), u"Deneme Doktor"_s);
    QCOMPARE(app.count(u"muayene"_s), 3);
    verifyBoxes(app);
}

void tst_TfrmMain::abandonBeforeFollowingListsEveryVisit()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = app.screens().frmMain;
    screen->JvXPButton3Click();
    verifyBoxes(app);
    QCOMPARE(screen->muayeneRQuery->RecordCount(), 3);
    QCOMPARE(screen->muayeneRQuery->FieldByName(u"hastakodu"_s)->AsString(), u"5"_s);
}

void tst_TfrmMain::deleteAnswers_data()
{
    QTest::addColumn<Messages::Answer>("first");
    QTest::addColumn<Messages::Answer>("second");
    QTest::addColumn<int>("left");

    QTest::newRow("no to the first") << Messages::Answer::No << Messages::Answer::Closed << 2;
    QTest::newRow("yes then yes stops") << Messages::Answer::Yes << Messages::Answer::Yes << 2;
    QTest::newRow("yes then no deletes") << Messages::Answer::Yes << Messages::Answer::No << 1;
    QTest::newRow("closed first goes on") << Messages::Answer::Closed << Messages::Answer::No << 1;
}

void tst_TfrmMain::deleteAnswers()
{
    QFETCH(Messages::Answer, first);
    QFETCH(Messages::Answer, second);
    QFETCH(int, left);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    // The newest visit is selected: 10.01.2012.
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    app.messages().expectQuestion(deleteQuestion(u"10.01.2012"_s), first);
    if (first != Messages::Answer::No)
        app.messages().expectQuestion(deleteStop, second);
    QTest::mouseClick(ctl<QPushButton>(screen, u"satirSilButton"), Qt::LeftButton);
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '012'"_s), left);
    if (left == 1)
        QCOMPARE(app.count(u"muayene"_s, u"tarih LIKE '2012-01-10%'"_s), 0);
    QCOMPARE(screen->muayeneRQuery->RecordCount(), left);
    // The count label keeps what the start showed.
    QCOMPARE(ctl<QLabel>(screen, u"Label31")->text(), u"Bilgi Giriş Sayısı: 2"_s);
}

void tst_TfrmMain::correctWithAndWithoutQuestion()
{
    AppFixture app;
    seedRegistry(app);
    app.exec(u"UPDATE muayene SET doktoru = 'Eski Doktor'"_s);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);

    // "Bu Satırı Düzelt" asks about the started visit first; Yes drops it.
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    QTest::mouseClick(ctl<QPushButton>(screen, u"JvNavPanelButton10"), Qt::LeftButton);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsEdit);
    const qint64 mid = screen->muayeneRQuery->currentKey();
    QCOMPARE(screen->muayeneTable->currentKey(), mid);
    screen->muayeneTable->FieldByName(u"kilo"_s)->setAsString(u"12,25"_s);
    screen->Button2Click();
    {
        QSqlQuery q = app.exec(u"SELECT kilo, doktoru FROM muayene WHERE mid = ?"_s, { mid });
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toDouble(), 12.25);
        QCOMPARE(q.value(1).toString(), u"Deneme Doktor"_s);
    }
    QCOMPARE(app.count(u"muayene"_s), 3);

    // "Düzelt" of the pop-up menu asks nothing: a changed started visit is stored as it is,
    // without the doctor's name.
    lookUpCode(screen, u"5"_s);
    screen->Dzelt1Click();
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 2);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5' AND doktoru IS NULL"_s), 1);
    QCOMPARE(screen->muayeneTable->State(), dsEdit);
}

void tst_TfrmMain::anotherCopyMeanwhile_data()
{
    QTest::addColumn<bool>("correcting");
    QTest::addColumn<QString>("otherCopy");
    QTest::addColumn<QString>("storedKilo");
    QTest::newRow("added a visit of the same child") << false
                                                     << u"INSERT INTO muayene (hastakodu, tarih, kilo) VALUES ('5', "
                                                        "'2012-03-20 11:00:00.000', 14)"_s
                                                     << QString();
    QTest::newRow("changed the visit being corrected")
        << true << u"UPDATE muayene SET kilo = 14 WHERE mid = ?"_s << u"14"_s;
    QTest::newRow("deleted the visit being corrected") << true << u"DELETE FROM muayene WHERE mid = ?"_s << QString();
}

// Another workstation writes the same child's visits while this screen records or corrects
// one: a new visit from each copy is stored; a corrected visit the other copy changed or
// deleted first is refused with a clear message, and the typed weight waits on screen.
void tst_TfrmMain::anotherCopyMeanwhile()
{
    QFETCH(bool, correcting);
    QFETCH(QString, otherCopy);
    QFETCH(QString, storedKilo);
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, correcting ? u"012"_s : u"5"_s);
    qint64 mid = -1;
    if (correcting) {
        app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
        QTest::mouseClick(ctl<QPushButton>(screen, u"JvNavPanelButton10"), Qt::LeftButton);
        verifyBoxes(app);
        mid = screen->muayeneTable->currentKey();
    }
    auto* kilo = ctl<DBEdit>(screen, u"kiloDBEdit");
    kilo->setFocus();
    kilo->selectAll();
    QTest::keyClicks(kilo, u"12,5"_s);
    if (correcting)
        app.exec(otherCopy, { mid });
    else
        app.exec(otherCopy);
    if (correcting)
        app.messages().expectError(
            u"Bu kayıt siz okuduktan sonra başka bir kullanıcı tarafından değiştirilmiş veya silinmiş. "
            "Değişiklikleriniz kaydedilmedi; Vazgeç ile kaydın güncel hâlini görebilirsiniz."_s);
    QTest::keyClick(kilo, Qt::Key_F2);
    verifyBoxes(app);

    if (!correcting) {
        QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 3);
        QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5' AND kilo = 14"_s), 1);
        QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5' AND kilo = 12.5"_s), 1);
        QCOMPARE(screen->muayeneTable->State(), dsBrowse);
        return;
    }
    QCOMPARE(app.count(u"muayene"_s, u"kilo = 12.5"_s), 0);
    if (storedKilo.isEmpty()) {
        QCOMPARE(app.count(u"muayene"_s, u"mid = ?"_s, { mid }), 0);
    } else {
        QSqlQuery q = app.exec(u"SELECT kilo FROM muayene WHERE mid = ?"_s, { mid });
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toDouble(), storedKilo.toDouble());
    }
    QCOMPARE(screen->muayeneTable->State(), dsEdit);
    QCOMPARE(kilo->text(), u"12,5"_s);
}

void tst_TfrmMain::sortFlagSurvivesLookup()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    screen->Button2Click();
    QHeaderView* titles = ctl<DBGrid>(screen, u"muqueryGrid1")->horizontalHeader();
    auto firstDate = [screen] { return screen->muayeneRQuery->FieldByName(u"tarih"_s)->AsDateTime().date(); };

    QCOMPARE(firstDate(), QDate(2012, 3, 20));
    Q_EMIT titles->sectionClicked(3);
    QCOMPARE(firstDate(), QDate(2011, 12, 8));
    QCOMPARE(screen->sortFlag(), 1);

    lookUpCode(screen, u"012"_s);
    QCOMPARE(firstDate(), QDate(2012, 3, 20));
    // The flag was left at 1: the next click keeps newest first; only the one after sorts oldest first.
    Q_EMIT titles->sectionClicked(0);
    QCOMPARE(firstDate(), QDate(2012, 3, 20));
    QCOMPARE(screen->sortFlag(), 0);
    Q_EMIT titles->sectionClicked(7);
    QCOMPARE(firstDate(), QDate(2011, 12, 8));
    verifyBoxes(app);
}

void tst_TfrmMain::rowHeightSequence()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    QHeaderView* rows = ctl<DBGrid>(screen, u"muqueryGrid1")->verticalHeader();
    QCOMPARE(rows->defaultSectionSize(), 20);
    QTest::mouseClick(ctl<QCheckBox>(screen, u"CheckBox1"), Qt::LeftButton);
    QCOMPARE(rows->defaultSectionSize(), 41);
    QTest::mouseClick(ctl<QCheckBox>(screen, u"CheckBox2"), Qt::LeftButton);
    QCOMPARE(rows->defaultSectionSize(), 61);
    QVERIFY(!ctl<QCheckBox>(screen, u"CheckBox1")->isChecked());
    QTest::mouseClick(ctl<QCheckBox>(screen, u"CheckBox2"), Qt::LeftButton);
    QCOMPARE(rows->defaultSectionSize(), 17);
    QVERIFY(!ctl<QCheckBox>(screen, u"CheckBox2")->isChecked());
}

void tst_TfrmMain::tooltipFollowsSelectedColumn()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    screen->JvXPButton3Click();
    DBGrid* grid = ctl<DBGrid>(screen, u"muqueryGrid1");
    QCOMPARE(grid->model()->rowCount(), 2);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, grid->columnOf(u"not"_s)));
    QCOMPARE(screen->muayeneRQuery->FieldByName(u"not"_s)->AsString(), u"ikinci not"_s);

    // The mouse over the other row's date: the tooltip still shows the selected row's note.
    const QRect other = grid->visualRect(grid->model()->index(1, 0));
    QMouseEvent move(QEvent::MouseMove, other.center(), grid->viewport()->mapToGlobal(other.center()), Qt::NoButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTRY_COMPARE(grid->toolTip(), u"ikinci not"_s);
    QCOMPARE(screen->historyToolTipTime(), 30000);

    // A column without text: no tooltip.
    grid->setCurrentIndex(grid->model()->index(0, grid->columnOf(u"kilo"_s)));
    screen->Detay1Click();
    QCOMPARE(grid->toolTip(), QString());

    ctl<QLineEdit>(screen, u"kisinoedit")->setFocus();
    QCOMPARE(screen->historyToolTipTime(), 5000);
    verifyBoxes(app);
}

void tst_TfrmMain::printCommands()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    screen->Button2Click();
    const int stored = app.count(u"muayene"_s);
    PreviewWatcher previews;

    // The cards print the visit as it stands, without a question.
    lookUpCode(screen, u"012"_s);
    screen->muayeneTable->FieldByName(u"kilo"_s)->setAsString(u"12,5"_s);
    screen->JvXPButton8Click();
    screen->JvXPButton9Click();
    QCOMPARE(previews.captions,
        (QStringList { u"Preview - Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
            u"Preview - Lumeko Rapor Önizleme - Hasta Takip Kartları"_s }));
    QCOMPARE(screen->muayeneTable->State(), dsInsert);

    // The lists ask first: No keeps the visit and prints nothing, Yes drops it and prints.
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::No);
    screen->JvNavPanelButton8Click();
    QCOMPARE(previews.captions.size(), 2);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    screen->JvNavPanelButton8Click();
    QCOMPARE(previews.captions.size(), 3);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QCOMPARE(app.count(u"muayene"_s), stored);
    QVERIFY(previews.pages >= 1);
    verifyBoxes(app);
}

void tst_TfrmMain::keysDependOnFocus()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    screen->Button2Click();

    // F4 in the code search box does nothing; in an entry box it prints the list.
    PreviewWatcher previews;
    QTest::keyClick(ctl<QLineEdit>(screen, u"kisinoedit"), Qt::Key_F4);
    QVERIFY(app.messages().shown().isEmpty());
    QVERIFY(previews.captions.isEmpty());
    QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key_F4);
    QCOMPARE(previews.captions, QStringList { u"Preview - Lumeko Rapor Önizleme - Protokol Takip Kartları"_s });
    verifyBoxes(app);

    // F6, F7 and the Ctrl keys named in the menus do nothing.
    const int before = app.count(u"muayene"_s);
    for (int key : { int(Qt::Key_F6), int(Qt::Key_F7) }) {
        QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key(key));
    }
    for (int key : { int(Qt::Key_T), int(Qt::Key_R), int(Qt::Key_A), int(Qt::Key_H) }) {
        QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key(key), Qt::ControlModifier);
    }
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QCOMPARE(app.count(u"muayene"_s), before);
    verifyBoxes(app);

    // F3 abandons, F2 saves from the search bar too.
    lookUpCode(screen, u"5"_s);
    QTest::keyClick(ctl<QLineEdit>(screen, u"FirmaAdiEdit"), Qt::Key_F3);
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QCOMPARE(app.count(u"muayene"_s), before);
    verifyBoxes(app);
}

void tst_TfrmMain::closingWindowStoresStartedVisit()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"20"_s);
    app.messages().expectQuestion(Messages::kayitEdilsinmi, Messages::Answer::Yes);
    screen->close();
    verifyBoxes(app);
    QVERIFY(app.programEnded());
    QSqlQuery q = app.exec(u"SELECT yas, doktoru FROM muayene WHERE hastakodu = '20'"_s);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 2.18);
    QCOMPARE(q.value(1).toString(), u"Deneme Doktor"_s);
}

void tst_TfrmMain::exitAnsweredNoKeepsVisit()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::No);
    QTest::mouseClick(ctl<QPushButton>(screen, u"kapatButton"), Qt::LeftButton);
    verifyBoxes(app);
    QVERIFY(!app.programEnded());
    QCOMPARE(screen->muayeneTable->State(), dsInsert);

    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    QTest::keyClick(ctl<QLineEdit>(screen, u"kisinoedit"), Qt::Key_F10);
    verifyBoxes(app);
    QVERIFY(app.programEnded());
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 1);
}

void tst_TfrmMain::badMeasurementsAreRefused_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");

    QTest::newRow("letters in weight") << u"kiloDBEdit"_s << u"on iki"_s;
    QTest::newRow("huge weight") << u"kiloDBEdit"_s << u"1e9"_s;
    QTest::newRow("huge height") << u"boyDBEdit"_s << u"1000000000"_s;
    QTest::newRow("negative head") << u"bascDBEdit"_s << u"-4"_s;
}

void tst_TfrmMain::badMeasurementsAreRefused()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    auto* edit = screen->findChild<DBEdit*>(box);
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, typed);
    app.messages().expectError();
    QTest::keyClick(edit, Qt::Key_F2);
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 1);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    QVERIFY(!app.messages().shown().constLast().text.isEmpty());

    // Corrected, the same visit is stored.
    edit->selectAll();
    QTest::keyClicks(edit, u"12"_s);
    QTest::keyClick(edit, Qt::Key_F2);
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 2);
}

void tst_TfrmMain::measurementLimit_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("weight") << u"kiloDBEdit"_s << u"kilo"_s
                            << u"Kilo değeri 0 ile 1.000 arasında olmalıdır; girilen değer: 1.000"_s;
    QTest::newRow("height") << u"boyDBEdit"_s << u"boy"_s
                            << u"Boy değeri 0 ile 1.000 arasında olmalıdır; girilen değer: 1.000"_s;
    QTest::newRow("head circumference") << u"bascDBEdit"_s << u"basc"_s
                                        << u"Baş çevresi değeri 0 ile 1.000 arasında olmalıdır; girilen değer: 1.000"_s;
}

// Measurements stop just below 1000: 1000 is refused with its reason, 999,99 is stored.
void tst_TfrmMain::measurementLimit()
{
    QFETCH(QString, box);
    QFETCH(QString, column);
    QFETCH(QString, refusal);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    auto* edit = screen->findChild<DBEdit*>(box);
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, u"1000"_s);
    app.messages().expectError(refusal);
    QTest::mouseClick(ctl<QPushButton>(screen, u"Button2"), Qt::LeftButton);
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 1);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);

    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, u"999,99"_s);
    QTest::keyClick(edit, Qt::Key_F2);
    verifyBoxes(app);
    QSqlQuery q = app.exec(u"SELECT %1 FROM muayene WHERE hastakodu = '5' ORDER BY mid DESC LIMIT 1"_s.arg(column));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 999.99);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 2);
}

void tst_TfrmMain::impossibleDateIsRefused()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    DBEdit* date = ctl<DBEdit>(screen, u"JvDotNetDBEdit22");
    date->setFocus();
    date->selectAll();
    QTest::keyClicks(date, u"310220121000"_s);
    app.messages().expectError();
    ctl<DBEdit>(screen, u"yasDBEdit")->setFocus();
    verifyBoxes(app);
    app.messages().expectError();
    screen->Button2Click();
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '5'"_s), 1);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
}

void tst_TfrmMain::dateBeforeBirthStoresNegativeAge()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    DBEdit* date = ctl<DBEdit>(screen, u"JvDotNetDBEdit22");
    date->setFocus();
    date->selectAll();
    // Born 20.03.2010; a visit dated 20.05.2009 is 10 months before the birth.
    QTest::keyClicks(date, u"200520091000"_s);
    ctl<DBEdit>(screen, u"yasDBEdit")->setFocus();
    verifyBoxes(app);
    QCOMPARE(ctl<QLineEdit>(screen, u"yasneedit")->text(), u"-1,2,0"_s);
    screen->Button2Click();
    verifyBoxes(app);
    QSqlQuery q = app.exec(u"SELECT yas, tarih FROM muayene WHERE hastakodu = '5' ORDER BY mid DESC LIMIT 1"_s);
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), -10.0);
    QVERIFY(q.value(1).toString().startsWith(u"2009-05-20 10:00"_s));
}

void tst_TfrmMain::apostropheInCode()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"7'A"_s);
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), u"7'A"_s);
    QCOMPARE(ctl<QLineEdit>(screen, u"yasneedit")->text(), u"0,0,19"_s);
    screen->Button2Click();
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = ?"_s, { u"7'A"_s }), 1);
    QCOMPARE(screen->muayeneRQuery->RecordCount(), 1);

    app.messages().expectQuestion(deleteQuestion(u"20.03.2012"_s), Messages::Answer::Yes);
    app.messages().expectQuestion(deleteStop, Messages::Answer::No);
    screen->silButClick();
    verifyBoxes(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = ?"_s, { u"7'A"_s }), 0);
    QCOMPARE(app.count(u"muayene"_s), 3);
}

void tst_TfrmMain::guardsWithClosedVisits()
{
    AppFixture app;
    TfrmMain* screen = app.screens().frmMain;
    QVERIFY(!screen->muayeneTable->Active());
    app.messages().expectPlain(u"Gelişim grafiği görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
    app.messages().expectPlain(u"Aşıları görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
    app.messages().expectPlain(u"Tetkikleri görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
    app.messages().expectPlain(u"Reçete görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
    screen->graphButClick();
    screen->ReeteGir1Click();
    screen->JvXPButton10Click();
    screen->JvXPButton11Click();
    verifyBoxes(app);
    QVERIFY(screen->isEnabled());
}

void tst_TfrmMain::newChildOnEmptyRegistry()
{
    AppFixture app;
    QVERIFY(app.signIn());
    TfrmMain* screen = app.screens().frmMain;
    DataSet* registry = app.screens().ozluk->sicilTable;
    screen->JvXPButton4Click();
    verifyBoxes(app);
    QVERIFY(app.screens().ozluk->isVisible());
    QCOMPARE(registry->State(), dsInsert);
    QCOMPARE(registry->FieldByName(u"hasta_kodu"_s)->AsString(), u"1"_s);
    QVERIFY(!screen->isEnabled());
    // The child record screen hands back itself once it is closed.
    QCOMPARE(app.screens().ozlukAcan, u"muayene"_s);
    QCOMPARE(app.screens().listeAcan, QString());

    // Handed back after the child was stored, a visit is started for it.
    registry->FieldByName(u"adi"_s)->setAsString(u"Deniz"_s);
    registry->Post();
    screen->setEnabled(true);
    screen->Button1Click();
    verifyBoxes(app);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), u"1"_s);
}

void tst_TfrmMain::vaccinesOpenWithoutQuestion()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    ctl<QDateTimeEdit>(screen, u"JvDateTimePicker1")->setDate(QDate(2012, 3, 15));
    QTest::keyClick(ctl<QLineEdit>(screen, u"kisinoedit"), Qt::Key_F8);
    verifyBoxes(app);
    QCOMPARE(app.screens().asilarF->findChild<QLabel*>(u"Label9"_s)->text(), u"23 Ay 24 Gün"_s);
    QCOMPARE(app.screens().asilarF->findChild<QLabel*>(u"Label16"_s)->text(), u"23 Ay 24 Gün"_s);
    QVERIFY(app.screens().asilarF->isVisible());
    QVERIFY(screen->isEnabled());
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    // Opened from a visit, the vaccine screen starts a new vaccination at once.
    QCOMPARE(app.screens().asilarF->receTable->State(), dsInsert);
    QVERIFY(app.screens().asilarF->asi2Table->Active());
}

void tst_TfrmMain::childDetailAsksAndDisables()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::No);
    QTest::mouseClick(ctl<QPushButton>(screen, u"cocukDetayButton"), Qt::LeftButton);
    verifyBoxes(app);
    QVERIFY(app.screens().ozluk->isHidden());
    QCOMPARE(screen->muayeneTable->State(), dsInsert);

    app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    QTest::keyClick(ctl<DBEdit>(screen, u"kiloDBEdit"), Qt::Key_F11);
    verifyBoxes(app);
    QVERIFY(app.screens().ozluk->isVisible());
    QCOMPARE(app.screens().ozlukAcan, u"muayene"_s);
    QVERIFY(!screen->isEnabled());
    QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    QCOMPARE(app.screens().ozluk->sicilTable->FieldByName(u"hasta_kodu"_s)->AsString(), u"5"_s);
}

void tst_TfrmMain::enterFollowsFocusOrder()
{
    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"5"_s);
    const QList<QWidget*> order = { ctl<DBEdit>(screen, u"JvDotNetDBEdit22"), ctl<DBEdit>(screen, u"yasDBEdit"),
        ctl<DBEdit>(screen, u"kiloDBEdit"), ctl<DBEdit>(screen, u"boyDBEdit"), ctl<DBEdit>(screen, u"bascDBEdit"),
        ctl<DBMemo>(screen, u"beslenmeDBMemo") };
    QApplication::setActiveWindow(screen);
    order.first()->setFocus();
    for (int i = 0; i + 1 < order.size(); ++i) {
        QTRY_COMPARE(QApplication::focusWidget(), order.at(i));
        QTest::keyClick(order.at(i), Qt::Key_Return);
    }
    QTRY_COMPARE(QApplication::focusWidget(), order.last());
    // In a memo Enter makes a new line and the focus stays.
    QTest::keyClick(order.last(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), order.last());
    QCOMPARE(ctl<DBMemo>(screen, u"beslenmeDBMemo")->toPlainText(), u"\n"_s);
    QCOMPARE(ctl<QDateTimeEdit>(screen, u"JvDateTimePicker1")->displayFormat(),
        QLocale(QLocale::Turkish, QLocale::Turkey).dateFormat(QLocale::LongFormat));
    verifyBoxes(app);
}

void tst_TfrmMain::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("asksToLeave");
    QTest::addColumn<QString>("effect");

    const auto button = [](const char* tag, const QString& name, bool asks, const QString& effect) {
        QTest::newRow(tag) << name << 0 << asks << effect;
    };
    const auto key = [](const char* tag, Qt::Key k, bool asks, const QString& effect) {
        QTest::newRow(tag) << QString() << int(k) << asks << effect;
    };
    button("Ara", u"JvNavPanelButton9"_s, true, u"other child"_s);
    button("Listeden Seç", u"yeniButton"_s, true, u"registry list"_s);
    button("Kaydet", u"Button2"_s, false, u"visit stored"_s);
    key("F2", Qt::Key_F2, false, u"visit stored"_s);
    button("Vazgeç", u"JvXPButton3"_s, false, u"visit dropped"_s);
    key("F3", Qt::Key_F3, false, u"visit dropped"_s);
    button("Sil", u"silBut"_s, true, u"visit deleted"_s);
    button("Bu Satırı Sil", u"satirSilButton"_s, true, u"visit deleted"_s);
    button("Bu Satırı Düzelt", u"JvNavPanelButton10"_s, true, u"visit opened"_s);
    button("Çocuk Detay", u"cocukDetayButton"_s, true, u"child record"_s);
    key("F11", Qt::Key_F11, true, u"child record"_s);
    button("Grafik", u"graphBut"_s, true, u"growth chart"_s);
    key("F9", Qt::Key_F9, true, u"growth chart"_s);
    button("Aşı", u"asiButton"_s, false, u"vaccines"_s);
    key("F8", Qt::Key_F8, false, u"vaccines"_s);
    button("Tetkik", u"JvXPButton10"_s, true, u"lab"_s);
    button("Reçete", u"JvXPButton11"_s, true, u"prescriptions"_s);
    key("F5", Qt::Key_F5, true, u"new child"_s);
    button("Kapat", u"kapatButton"_s, true, u"program ends"_s);
    key("F10", Qt::Key_F10, true, u"program ends"_s);
    button("Yardım", u"tfXPButton1"_s, false, u"help ymuayene"_s);
    button("Kart A", u"JvXPButton8"_s, false, u"report muayene_kart_a"_s);
    button("Kart B", u"JvXPButton9"_s, false, u"report muayene_kart_b"_s);
    button("Liste yatay", u"JvNavPanelButton8"_s, true, u"report muayene_liste_yatay"_s);
    button("Liste dikey", u"JvNavPanelButton11"_s, true, u"report muayene_liste_dikey"_s);
    key("F4", Qt::Key_F4, true, u"report muayene_liste_dikey"_s);
    button("Satır 3 kat", u"CheckBox1"_s, false, u"rows 41"_s);
    button("Satır 4 kat", u"CheckBox2"_s, false, u"rows 61"_s);
}

// Each button and function key of the visit screen does its own command: with child "012"
// looked up (a new visit started) and "5" typed into the code box, the press is checked by
// what it shows, stores or asks.
void tst_TfrmMain::everyButtonAndKey()
{
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(bool, asksToLeave);
    QFETCH(QString, effect);

    AppFixture app;
    seedRegistry(app);
    TfrmMain* screen = signIn(app);
    QVERIFY(screen);
    lookUpCode(screen, u"012"_s);
    QCOMPARE(screen->muayeneTable->State(), dsInsert);
    ctl<QLineEdit>(screen, u"kisinoedit")->setText(u"5"_s);
    app.nameHelpTopics();
    PreviewWatcher previews;

    if (asksToLeave)
        app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, Messages::Answer::Yes);
    if (effect == u"visit deleted"_s) {
        app.messages().expectQuestion(deleteQuestion(u"10.01.2012"_s), Messages::Answer::Yes);
        app.messages().expectQuestion(deleteStop, Messages::Answer::No);
    }
    if (key != 0) {
        DBEdit* box = ctl<DBEdit>(screen, u"kiloDBEdit");
        box->setFocus();
        QTest::keyClick(box, Qt::Key(key));
    } else {
        auto* button = screen->findChild<QAbstractButton*>(control);
        QVERIFY2(button, qPrintable(control));
        QVERIFY(button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
    }
    verifyBoxes(app);

    const int visits012 = app.count(u"muayene"_s, u"hastakodu = '012'"_s);
    if (effect == u"other child"_s) {
        QCOMPARE(screen->muayeneTable->FieldByName(u"hastakodu"_s)->AsString(), u"5"_s);
        QCOMPARE(screen->muayeneTable->State(), dsInsert);
        QCOMPARE(visits012, 2);
    } else if (effect == u"registry list"_s) {
        QVERIFY(app.screens().sicrapor->isVisible());
        QVERIFY(screen->isEnabled());
        QCOMPARE(app.screens().listeAcan, u"muayene"_s);
    } else if (effect == u"new child"_s) {
        QVERIFY(app.screens().sicrapor->isVisible());
        QVERIFY(!screen->isEnabled());
    } else if (effect == u"visit stored"_s) {
        QCOMPARE(visits012, 3);
        QCOMPARE(screen->muayeneTable->State(), dsBrowse);
    } else if (effect == u"visit dropped"_s) {
        QCOMPARE(visits012, 2);
        QCOMPARE(screen->muayeneTable->State(), dsBrowse);
        QCOMPARE(screen->muayeneRQuery->RecordCount(), 2);
    } else if (effect == u"visit deleted"_s) {
        QCOMPARE(visits012, 1);
        QCOMPARE(app.count(u"muayene"_s, u"tarih LIKE '2012-01-10%'"_s), 0);
    } else if (effect == u"visit opened"_s) {
        QCOMPARE(screen->muayeneTable->State(), dsEdit);
        QCOMPARE(visits012, 2);
    } else if (effect == u"child record"_s) {
        QVERIFY(app.screens().ozluk->isVisible());
        QVERIFY(!screen->isEnabled());
    } else if (effect == u"growth chart"_s) {
        QVERIFY(app.screens().ChartF->isVisible());
        QVERIFY(!screen->isEnabled());
    } else if (effect == u"vaccines"_s) {
        QVERIFY(app.screens().asilarF->isVisible());
    } else if (effect == u"lab"_s) {
        QVERIFY(app.screens().tetkikgirisF->isVisible());
    } else if (effect == u"prescriptions"_s) {
        QVERIFY(app.screens().receteF->isVisible());
    } else if (effect == u"program ends"_s) {
        QVERIFY(app.programEnded());
        QCOMPARE(visits012, 2);
    } else if (effect.startsWith(u"help "_s)) {
        QCOMPARE(app.shownHelpTopic(), effect.mid(5));
    } else if (effect.startsWith(u"report "_s)) {
        QCOMPARE(previews.layouts, QStringList { effect.mid(7) });
    } else if (effect.startsWith(u"rows "_s)) {
        QCOMPARE(ctl<DBGrid>(screen, u"muqueryGrid1")->verticalHeader()->defaultSectionSize(), effect.mid(5).toInt());
    } else {
        QFAIL(qPrintable(u"unknown effect "_s + effect));
    }
    // Only the report rows print, only the closing rows end the program.
    if (!effect.startsWith(u"report "_s))
        QVERIFY(previews.layouts.isEmpty());
    if (!effect.startsWith(u"help "_s))
        QVERIFY(app.shownHelpTopic().isEmpty());
    QCOMPARE(app.programEnded(), effect == u"program ends"_s);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TfrmMain test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tfrmmain.moc"
