#include "AppFixture.h"
#include "ColumnChooser.h"
#include "ColumnChooserButton.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "GrowthAssessment.h"
#include "GrowthReference.h"
#include "GrowthSettings.h"
#include "MessageScript.h"
#include "PediakayApplication.h"
#include "ProgramSettings.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TfrmMain.h"
#include "VisitGrowth.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

class tst_VisitGrowth final : public QObject
{
    Q_OBJECT

private slots:
    void textsFollowTyping_data();
    void textsFollowTyping();
    void warnings_data();
    void warnings();
    void fallSincePreviousVisit_data();
    void fallSincePreviousVisit();
    void sameDayVisitIsNoPreviousVisit();
    void correctedAgeBesideTheAge();
    void targetHeight();
    void choiceKeptInProgramSettings();
    void historyColumnsThroughTheChooser();
    void screenshotWithAllTexts();
};

namespace {

// The visit date picker's day in every test.
const QDate visitDay(2012, 3, 20);

QString shown(TfrmMain* screen, const char16_t* label)
{
    return ctl<QLabel>(screen, label)->text();
}

void seedChild(AppFixture& app, const QString& sex, const QDate& birth, const QVariant& weeks = {},
    const QVariant& mother = {}, const QVariant& father = {})
{
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, cinsiyeti, dogumtarihi, dogumhaftasi, anneboy, "
             u"bababoy) VALUES ('30', 'Can', 'Er', ?, ?, ?, ?, ?)"_s,
        { sex, birth.toString(u"yyyy-MM-dd 00:00:00.000"_s), weeks, mother, father });
}

// Signs in, sets the visit date and fetches child 30, which starts a new visit.
TfrmMain* openVisit(AppFixture& app)
{
    if (!app.signIn())
        return nullptr;
    TfrmMain* screen = app.screens().frmMain;
    ctl<QDateTimeEdit>(screen, u"JvDateTimePicker1")->setDate(visitDay);
    QApplication::setActiveWindow(screen);
    if (!QTest::qWaitForWindowActive(screen))
        return nullptr;
    ctl<QLineEdit>(screen, u"kisinoedit")->setText(u"30"_s);
    QTest::mouseClick(ctl<QPushButton>(screen, u"JvNavPanelButton9"), Qt::LeftButton);
    QApplication::setActiveWindow(screen);
    return screen;
}

void typeInto(TfrmMain* screen, const QString& box, const QString& text)
{
    auto* edit = screen->findChild<DBEdit*>(box);
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

// The value a child of the reference has at z on the day.
double valueAtZ(GrowthStandard standard, GrowthIndicator indicator, int sex, double day, double z)
{
    Lms lms;
    if (!GrowthReference::of(standard).lmsAt(indicator, sex, day, lms))
        return std::nan("");
    return lms.m * std::pow(1 + lms.l * lms.s * z, 1 / lms.l);
}

QString typed(double value)
{
    return QLocale(QLocale::Turkish).toString(value, 'f', 2);
}

} // namespace

void tst_VisitGrowth::textsFollowTyping_data()
{
    QTest::addColumn<int>("standard");
    QTest::newRow("CDC 2000") << int(GrowthStandard::Cdc2000);
    QTest::newRow("WHO") << int(GrowthStandard::Who);
}

// A boy of one year: each key typed into a box changes its text at once.
void tst_VisitGrowth::textsFollowTyping()
{
    QFETCH(int, standard);
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard(standard));
    const QDate birth(2011, 3, 20);
    seedChild(app, u"Erkek"_s, birth);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    QVERIFY(shown(screen, u"kiloPLabel").isEmpty());
    const double day = double(birth.daysTo(visitDay));

    typeInto(screen, u"kiloDBEdit"_s, u"9"_s);
    const QString afterNine = shown(screen, u"kiloPLabel");
    QCOMPARE(afterNine,
        VisitGrowth::readOut(
            GrowthAssessment::assess(GrowthStandard(standard), GrowthIndicator::WeightForAge, 1, day, 9)));
    QVERIFY(afterNine.startsWith(u'P'));
    QVERIFY(afterNine.contains(u" · z "_s));
    QVERIFY(afterNine.contains(u','));
    QTest::keyClicks(ctl<DBEdit>(screen, u"kiloDBEdit"), u",5"_s);
    const QString afterNineAndHalf = shown(screen, u"kiloPLabel");
    QVERIFY(afterNineAndHalf != afterNine);
    QCOMPARE(afterNineAndHalf,
        VisitGrowth::readOut(
            GrowthAssessment::assess(GrowthStandard(standard), GrowthIndicator::WeightForAge, 1, day, 9.5)));
    QVERIFY(shown(screen, u"vkiLabel").isEmpty());

    typeInto(screen, u"boyDBEdit"_s, u"75"_s);
    QVERIFY(!shown(screen, u"boyPLabel").isEmpty());
    // 9.5 / 0.75^2 = 16.89; CDC gives BMI from 2 years only, WHO from birth.
    const QString bmi = shown(screen, u"vkiLabel");
    if (GrowthStandard(standard) == GrowthStandard::Cdc2000)
        QCOMPARE(bmi, u"VKİ 16,9"_s);
    else
        QVERIFY2(bmi.startsWith(u"VKİ 16,9 · P"_s), qPrintable(bmi));
    typeInto(screen, u"bascDBEdit"_s, u"46"_s);
    QVERIFY(shown(screen, u"bascPLabel").startsWith(u'P'));

    // Cleared, the text goes with it.
    ctl<DBEdit>(screen, u"kiloDBEdit")->clear();
    QVERIFY(shown(screen, u"kiloPLabel").isEmpty());
    QVERIFY(shown(screen, u"vkiLabel").isEmpty());
}

void tst_VisitGrowth::warnings_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("z");
    QTest::addColumn<QString>("warning");
    using S = GrowthStandard;
    QTest::newRow("low weight") << int(S::Cdc2000) << u"kiloDBEdit"_s << u"kiloPLabel"_s << -2.0
                                << u"Kilo P3'ün altında"_s;
    QTest::newRow("weight just inside") << int(S::Cdc2000) << u"kiloDBEdit"_s << u"kiloPLabel"_s << -1.8 << QString();
    QTest::newRow("tall") << int(S::Who) << u"boyDBEdit"_s << u"boyPLabel"_s << 2.0 << u"Boy P97'nin üstünde"_s;
    QTest::newRow("small head") << int(S::Who) << u"bascDBEdit"_s << u"bascPLabel"_s << -2.5
                                << u"Baş çevresi P3'ün altında"_s;
}

void tst_VisitGrowth::warnings()
{
    QFETCH(int, standard);
    QFETCH(QString, box);
    QFETCH(QString, label);
    QFETCH(double, z);
    QFETCH(QString, warning);
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard(standard));
    const QDate birth(2011, 3, 20);
    seedChild(app, u"Kız"_s, birth);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    const GrowthIndicator indicator = box == u"kiloDBEdit"_s ? GrowthIndicator::WeightForAge
        : box == u"boyDBEdit"_s                              ? GrowthIndicator::LengthForAge
                                                             : GrowthIndicator::HeadForAge;
    const double value = valueAtZ(GrowthStandard(standard), indicator, 2, double(birth.daysTo(visitDay)), z);
    typeInto(screen, box, typed(value));
    QCOMPARE(shown(screen, u"growthWarningLabel"), warning);
    // A flagged value shows in colour.
    QCOMPARE(screen->findChild<QLabel*>(label)->styleSheet().contains(u"color"_s), !warning.isEmpty());
}

void tst_VisitGrowth::fallSincePreviousVisit_data()
{
    QTest::addColumn<double>("z");
    QTest::addColumn<bool>("warned");
    QTest::newRow("fell 1.5 SD") << -0.5 << true;
    QTest::newRow("fell 1.2 SD") << -0.2 << false;
}

// The visit three months before had the weight of z +1.
void tst_VisitGrowth::fallSincePreviousVisit()
{
    QFETCH(double, z);
    QFETCH(bool, warned);
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard::Who);
    const QDate birth(2011, 3, 20);
    seedChild(app, u"Erkek"_s, birth);
    const QDate before(2011, 12, 20);
    const double earlier = valueAtZ(GrowthStandard::Who, GrowthIndicator::WeightForAge, 1, birth.daysTo(before), 1);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo) VALUES ('30', ?, 9, ?)"_s,
        { before.toString(u"yyyy-MM-dd 10:00:00.000"_s), earlier });
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    const double now = valueAtZ(GrowthStandard::Who, GrowthIndicator::WeightForAge, 1, birth.daysTo(visitDay), z);
    typeInto(screen, u"kiloDBEdit"_s, typed(now));
    QCOMPARE(shown(screen, u"growthWarningLabel").contains(u"iki ana persentil çizgisini"_s), warned);
}

// A visit stored earlier the same day (the one being corrected, or a second one) is no visit
// before: the trend is taken from the last visit of an earlier day.
void tst_VisitGrowth::sameDayVisitIsNoPreviousVisit()
{
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard::Who);
    const QDate birth(2011, 3, 20);
    seedChild(app, u"Erkek"_s, birth);
    const QDate before(2011, 12, 20);
    const auto weightAt = [&](const QDate& day, double z) {
        return valueAtZ(GrowthStandard::Who, GrowthIndicator::WeightForAge, 1, birth.daysTo(day), z);
    };
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo) VALUES ('30', ?, 9, ?)"_s,
        { before.toString(u"yyyy-MM-dd 10:00:00.000"_s), weightAt(before, -0.5) });
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo) VALUES ('30', ?, 12, ?)"_s,
        { visitDay.toString(u"yyyy-MM-dd 08:00:00.000"_s), weightAt(visitDay, 1.0) });
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    typeInto(screen, u"kiloDBEdit"_s, typed(weightAt(visitDay, -0.5)));
    QVERIFY(!shown(screen, u"kiloPLabel").isEmpty());
    QVERIFY(!shown(screen, u"growthWarningLabel").contains(u"persentil çizgisini"_s));
}

// A girl born at 30 weeks, six months old: her age counts from her due date, 70 days later.
void tst_VisitGrowth::correctedAgeBesideTheAge()
{
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard::Who);
    const QDate birth(2011, 9, 20);
    seedChild(app, u"Kız"_s, birth, 30);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    // Due 29.11.2011; to 20.03.2012 is 3 months (29.02) and 20 days.
    QCOMPARE(shown(screen, u"duzeltilmisYasLabel"), u"Düzeltilmiş yaş: 3 Ay 20 Gün"_s);
    typeInto(screen, u"kiloDBEdit"_s, u"6"_s);
    const double corrected = double(birth.daysTo(visitDay) - 70);
    QCOMPARE(shown(screen, u"kiloPLabel"),
        VisitGrowth::readOut(
            GrowthAssessment::assess(GrowthStandard::Who, GrowthIndicator::WeightForAge, 2, corrected, 6)));
    QVERIFY(shown(screen, u"kiloPLabel")
        != VisitGrowth::readOut(
            GrowthAssessment::assess(GrowthStandard::Who, GrowthIndicator::WeightForAge, 2, corrected + 70, 6)));
}

// Mother 160 cm, father 180 cm: a boy's target is (160 + 180 + 13) / 2 = 176.5 cm.
void tst_VisitGrowth::targetHeight()
{
    AppFixture app;
    seedChild(app, u"Erkek"_s, QDate(2008, 1, 1), {}, 160.0, 180.0);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    QCOMPARE(shown(screen, u"hedefBoyLabel"), u"Hedef boy: 176,5 cm (168,0–185,0)"_s);
    QVERIFY(shown(screen, u"duzeltilmisYasLabel").isEmpty());
}

// The choice lives in Data/Program.ini and outlasts a restart; Ayar.ini keeps only the user.
void tst_VisitGrowth::choiceKeptInProgramSettings()
{
    AppFixture app;
    QCOMPARE(GrowthSettings::standard(), GrowthStandard::Cdc2000);
    GrowthSettings::setStandard(GrowthStandard::Who);
    QCOMPARE(ProgramSettings::file(), app.path(u"Data/Program.ini"_s));
    QFile ini(app.path(u"Data/Program.ini"_s));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    QVERIFY(ini.readAll().contains("WHO"));
    QFile ayar(app.path(u"Ayar.ini"_s));
    if (ayar.open(QIODevice::ReadOnly))
        QVERIFY(!ayar.readAll().contains("WHO"));
    app.restart();
    QCOMPARE(GrowthSettings::standard(), GrowthStandard::Who);
}

// The history offers the percentiles and BMI of each visit, hidden until the column chooser
// shows them; nothing of them is stored.
void tst_VisitGrowth::historyColumnsThroughTheChooser()
{
    AppFixture app;
    const QDate birth(2011, 3, 20);
    seedChild(app, u"Erkek"_s, birth);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy, basc) VALUES ('30', '2011-09-20 10:00:00.000', "
             u"6, 7.6, 66, 43)"_s);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    auto* grid = ctl<DBGrid>(screen, u"muqueryGrid1");
    const QStringList titles { u"Kilo P"_s, u"Boy P"_s, u"Baş P"_s, u"VKİ"_s };
    const QStringList fields { u"kiloP"_s, u"boyP"_s, u"bascP"_s, u"vki"_s };
    for (const QString& field : fields)
        QVERIFY(grid->isColumnHidden(grid->columnOf(field)));

    auto* arrow = grid->findChild<ColumnChooserButton*>();
    QVERIFY(arrow);
    QTest::mouseClick(arrow, Qt::LeftButton);
    ColumnChooser* chooser = arrow->chooser();
    QVERIFY(chooser);
    for (const QString& title : titles) {
        QVERIFY(chooser->titles().contains(title));
        QVERIFY(!chooser->isTicked(title));
        chooser->setTicked(title, true);
    }
    QTest::mouseClick(chooser->findChild<QPushButton*>(u"TamamBtn"_s), Qt::LeftButton);
    QTRY_VERIFY(!arrow->chooser());
    for (const QString& field : fields)
        QVERIFY(!grid->isColumnHidden(grid->columnOf(field)));
    QVERIFY(grid->isColumnHidden(grid->columnOf(u"mid"_s)));

    // The older visit (the second row, newest first): 7.6 kg, 66 cm, 43 cm at six months.
    const int row = grid->model()->rowCount() - 1;
    const double day = double(birth.daysTo(QDate(2011, 9, 20)));
    const auto cell
        = [&](const QString& field) { return grid->model()->index(row, grid->columnOf(field)).data().toString(); };
    using I = GrowthIndicator;
    QCOMPARE(cell(u"kiloP"_s),
        GrowthAssessment::percentileText(
            GrowthAssessment::assess(GrowthStandard::Cdc2000, I::WeightForAge, 1, day, 7.6).percentile));
    QCOMPARE(cell(u"boyP"_s),
        GrowthAssessment::percentileText(
            GrowthAssessment::assess(GrowthStandard::Cdc2000, I::LengthForAge, 1, day, 66).percentile));
    QVERIFY(cell(u"bascP"_s).startsWith(u'P'));
    QCOMPARE(cell(u"vki"_s), u"17,4"_s); // 7.6 / 0.66^2 = 17.447
    QSqlQuery columnsOfVisits = app.exec(u"SELECT count(*) FROM pragma_table_info('muayene')"_s);
    QVERIFY(columnsOfVisits.next());
    QCOMPARE(columnsOfVisits.value(0).toInt(), 15);
}

// Every text at once on a maximised window of a 1366x768 screen: each is whole and clear of
// the other controls. The picture is left in the working folder.
void tst_VisitGrowth::screenshotWithAllTexts()
{
    const QString outputDir = QDir::currentPath();
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard::Who);
    const QDate birth(2011, 4, 20);
    seedChild(app, u"Erkek"_s, birth, 33, 158.5, 176.0);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo) VALUES ('30', '2011-12-20 10:00:00.000', 8, 9.9)"_s);
    TfrmMain* screen = openVisit(app);
    QVERIFY(screen);
    screen->setWindowState(Qt::WindowNoState);
    screen->resize(1366, 740);
    QTRY_COMPARE(screen->size(), QSize(1366, 740));
    typeInto(screen, u"kiloDBEdit"_s, u"6,4"_s);
    typeInto(screen, u"boyDBEdit"_s, u"66"_s);
    typeInto(screen, u"bascDBEdit"_s, u"44,5"_s);
    QApplication::processEvents();
    const QString file = outputDir + u"/tst_visitgrowth_frmMain_1366.png"_s;
    QVERIFY(screen->grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));

    const auto area = [screen](const QWidget* w) { return QRect(w->mapTo(screen, QPoint(0, 0)), w->size()); };
    const QList<QWidget*> others = screen->findChildren<QWidget*>();
    for (const char16_t* name : { u"kiloPLabel", u"boyPLabel", u"bascPLabel", u"vkiLabel", u"hedefBoyLabel",
             u"growthWarningLabel", u"duzeltilmisYasLabel" }) {
        auto* label = ctl<QLabel>(screen, name);
        QVERIFY2(!label->text().isEmpty(), qPrintable(QString::fromUtf16(name)));
        QVERIFY(label->isVisible());
        const QSize needed = label->wordWrap()
            ? QSize(label->contentsRect().width(), label->heightForWidth(label->width()))
            : QSize(label->fontMetrics().horizontalAdvance(label->text()), label->fontMetrics().height());
        QVERIFY2(needed.width() <= label->contentsRect().width() && needed.height() <= label->height(),
            qPrintable(label->text()));
        for (const QWidget* other : others) {
            if (other == label || !other->isVisible() || other->isAncestorOf(label) || other->children().size() > 0
                || other->window() != screen)
                continue;
            QVERIFY2(!area(label).intersects(area(other)),
                qPrintable(label->text() + u" overlaps "_s + other->objectName()));
        }
    }
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_VisitGrowth test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_visitgrowth.moc"
