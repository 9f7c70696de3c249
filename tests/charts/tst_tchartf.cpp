#include "AppFixture.h"
#include "CommandGuard.h"
#include "DataSet.h"
#include "Dialogs.h"
#include "GrowthChart.h"
#include "PediakayApplication.h"
#include "RangeSteps.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TChartF.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "TyardimF.h"

#include <QAction>
#include <QChartView>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace {

// One stored visit: age value and the three measures (an invalid QVariant stores NULL).
struct Visit {
    QString tarih;
    QVariant yas;
    QVariant kilo;
    QVariant boy;
    QVariant basc;
};

struct Child {
    QString cinsiyeti = u"Erkek"_s;
    QVariant dogumtarihi = u"2012-01-10 00:00:00.000"_s;
    QVariant dogumkilo;
    QVariant dogumboy;
    QVariant dogumbas;
};

Child bornOn(const QString& dogumtarihi)
{
    Child child;
    child.dogumtarihi = dogumtarihi;
    return child;
}

// Printer dialog answers: either cancel, or a PDF file of that name.
class PrinterAnswer final : public Dialogs::Handler
{
public:
    explicit PrinterAnswer(const QString& pdf)
        : m_pdf(pdf)
    {
        Dialogs::setHandler(this);
    }
    ~PrinterAnswer() override
    {
        Dialogs::setHandler(nullptr);
    }

    int asked = 0;

    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    bool choosePrinter(QWidget*, QPrinter& printer, int) override
    {
        ++asked;
        if (m_pdf.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
        return true;
    }
    bool printersAvailable() override
    {
        return true;
    }
    QColor color(QWidget*, const QColor&, const QString&) override
    {
        return {};
    }

private:
    QString m_pdf;
};

// A control of the screen by its name.
QVariant null()
{
    return QVariant();
}

// Seeds the child "1" with its visits and makes it current the way the visit screen does.
void setUpChild(AppFixture& app, const Child& child, const QList<Visit>& visits, const QDate& visitDate)
{
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, cinsiyeti, dogumtarihi, dogumkilo, dogumboy, "
             "dogumbas) VALUES ('1', 'Ali', 'Yılmaz', ?, ?, ?, ?, ?)"_s,
        { child.cinsiyeti, child.dogumtarihi, child.dogumkilo, child.dogumboy, child.dogumbas });
    for (const Visit& v : visits)
        app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy, basc) VALUES ('1', ?, ?, ?, ?, ?)"_s,
            { v.tarih, v.yas, v.kilo, v.boy, v.basc });

    DataSet* sicil = app.screens().ozluk->sicilTable;
    if (sicil->Active())
        sicil->Refresh();
    else
        sicil->Open();
    QVERIFY(sicil->Locate(u"hasta_kodu"_s, u"1"_s, {}));

    DataSet* history = app.screens().frmMain->muayeneRQuery;
    history->Close();
    history->setSQL(u"select * from muayene where hastakodu=:kod\nORDER BY tarih DESC"_s);
    history->setParam(u":kod"_s, u"1"_s);
    history->Open();

    app.screens().frmMain->findChild<QDateTimeEdit*>(u"JvDateTimePicker1"_s)->setDate(visitDate);
}

QList<QPointF> pointsOf(const QXYSeries* series)
{
    QList<QPointF> points;
    for (int i = 0; i < series->count(); ++i)
        points.append(
            QPointF(std::round(series->at(i).x() * 1000) / 1000, std::round(series->at(i).y() * 1000) / 1000));
    return points;
}

QString pdfText(const QString& pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, { u"-layout"_s, pdf, u"-"_s });
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

Q_DECLARE_METATYPE(Visit)
Q_DECLARE_METATYPE(Child)

class tst_TChartF final : public QObject
{
    Q_OBJECT

private:
    QString m_outputDir;

private Q_SLOTS:
    void initTestCase();
    void designOfTheCharts();
    void childLine_data();
    void childLine();
    void rangeChoice_data();
    void rangeChoice();
    void rangeCycleWithF5();
    void emptyAgeKeepsAxes();
    void referenceAndColoursBySex_data();
    void referenceAndColoursBySex();
    void headChartHiddenSurvivesReopening();
    void closingEnablesVisitScreen();
    void readOut();
    void formatValue_data();
    void formatValue();
    void printsOnePdfPage();
    void cancelledPrinterPrintsNothing();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
    void screenshots_data();
    void screenshots();
};

void tst_TChartF::initTestCase()
{
    // The fixture works in a folder of its own; pictures stay where the test was started.
    m_outputDir = QDir::currentPath();
}

void tst_TChartF::designOfTheCharts()
{
    AppFixture app;
    TChartF* f = app.screens().ChartF;
    const QStringList names { u"P3"_s, u"P5"_s, u"P10"_s, u"P25"_s, u"P50"_s, u"P75"_s, u"P90"_s, u"P95"_s, u"P97"_s,
        u"Hasta"_s };
    struct Design {
        GrowthChart* chart;
        double ageMax, ageStep;
        int ageMinor;
        double valueMin, valueMax, valueStep;
        int valueMinor;
    };
    const Design designs[] = { { f->weightChart(), 36, 3, 2, 2, 18, 2, 4 },
        { f->heightChart(), 36, 3, 2, 45, 105, 5, 4 }, { f->headChart(), 18, 1, 0, 31, 51, 1, 1 } };
    for (const Design& d : designs) {
        const QList<QAbstractSeries*> series = d.chart->series();
        QCOMPARE(series.size(), 10);
        for (int i = 0; i < 10; ++i) {
            auto* line = qobject_cast<QLineSeries*>(series.at(i));
            QVERIFY(line);
            QCOMPARE(line->name(), names.at(i));
            // Only the child's line marks its points, so that a single measurement shows.
            QCOMPARE(line->pointsVisible(), i == 9);
            QVERIFY(!line->pointLabelsVisible());
            QCOMPARE(line->pen().width(), (i == 4 || i == 9) ? 3 : 2);
        }
        QCOMPARE(d.chart->hasta()->pen().color(), QColor(Qt::red));
        QVERIFY(!d.chart->legend()->isVisible());
        QCOMPARE(d.chart->ageAxis()->min(), 0.0);
        QCOMPARE(d.chart->ageAxis()->max(), d.ageMax);
        QCOMPARE(d.chart->valueAxis()->min(), d.valueMin);
        QCOMPARE(d.chart->valueAxis()->max(), d.valueMax);
        QCOMPARE(d.chart->ageDesign().interval, d.ageStep);
        QCOMPARE(d.chart->ageDesign().minorTicks, d.ageMinor);
        QCOMPARE(d.chart->valueDesign().interval, d.valueStep);
        QCOMPARE(d.chart->valueDesign().minorTicks, d.valueMinor);
        // The small chart may thin out its labels, never its grid.
        for (auto [axis, step, minor] : { std::tuple(d.chart->ageAxis(), d.ageStep, d.ageMinor),
                 std::tuple(d.chart->valueAxis(), d.valueStep, d.valueMinor) }) {
            if (d.chart != f->headChart()) {
                QCOMPARE(axis->tickInterval(), step);
                QCOMPARE(axis->minorTickCount(), minor);
            }
            QCOMPARE(axis->tickInterval() / (axis->minorTickCount() + 1), step / (minor + 1));
        }
    }

    QCOMPARE(f->weightChart()->caption(), u"Kilo Gelişim Grafiği"_s);
    QCOMPARE(f->heightChart()->caption(), u"Boy Gelişim Grafiği"_s);
    QCOMPARE(f->headChart()->caption(), u"BAŞ ÇEVRESİ"_s);
    QCOMPARE(ctl<QLabel>(f, "adiLabel")->text(), u"Çocuk"_s);
    QCOMPARE(ctl<QLabel>(f, "ayLabel1")->text(), u"A  Y  L  A  R"_s);
    QCOMPARE(ctl<QPushButton>(f, "JvXPButton1")->text(), u"Baş Çevresi Gizle"_s);
    QCOMPARE(f->windowTitle(), u"Lumeko Fidanizi Programı - Grafikler"_s);

    // The context menu with its keys, which work anywhere on the screen.
    QCOMPARE(f->contextMenuPolicy(), Qt::ActionsContextMenu);
    QStringList menu;
    for (const QAction* action : f->actions())
        menu << action->text() + u' ' + action->shortcut().toString();
    QCOMPARE(menu, (QStringList { u"Yazdır F4"_s, u"Boyut Değiştir F5"_s, u"Kapat F10"_s }));
}

namespace {

// A visit's place on the month axis: whole months plus the days over an average month, to
// the thousandth as pointsOf() reads them.
double at(int months, int days)
{
    return std::round((months + days / 30.4375) * 1000) / 1000;
}

Child withoutBirthDate()
{
    Child child;
    child.dogumtarihi = QVariant();
    return child;
}

} // namespace

void tst_TChartF::childLine_data()
{
    QTest::addColumn<Child>("child");
    QTest::addColumn<QList<Visit>>("visits");
    QTest::addColumn<int>("chart"); // 0 weight, 1 height, 2 head
    QTest::addColumn<QList<QPointF>>("expected");

    // Born on 10.01.2012. The stored age values below are deliberately not those of the dates:
    // the charts go by the dates.
    Child withBirthWeight;
    withBirthWeight.dogumkilo = 3.2;
    QTest::newRow("visits at their true age, left to right although listed newest first")
        << withBirthWeight
        << QList<Visit> { { u"2012-02-25 10:00:00.000"_s, 1.15, 4.1, null(), null() },
               { u"2012-07-08 10:00:00.000"_s, 6.28, 7.9, null(), null() },
               { u"2012-05-12 10:00:00.000"_s, 4.02, 6.4, null(), null() } }
        << 0 << QList<QPointF> { { 0, 3.2 }, { at(1, 15), 4.1 }, { at(4, 2), 6.4 }, { at(5, 28), 7.9 } };
    QTest::newRow("29 days") << Child {} << QList<Visit> { { u"2012-02-08 10:00:00.000"_s, 0.29, 4.4, null(), null() } }
                             << 0 << QList<QPointF> { { at(0, 29), 4.4 } };
    QTest::newRow("23 months 29 days") << Child {}
                                       << QList<Visit> { { u"2014-01-08 10:00:00.000"_s, 23.29, 12.6, null(), null() } }
                                       << 0 << QList<QPointF> { { at(23, 29), 12.6 } };
    QTest::newRow("no birth date: the stored age value")
        << withoutBirthDate() << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, 2.10, 5.5, null(), null() } } << 0
        << QList<QPointF> { { at(2, 10), 5.5 } };
    QTest::newRow("birth weight only: a single marked point")
        << withBirthWeight << QList<Visit> {} << 0 << QList<QPointF> { { 0, 3.2 } };
    QTest::newRow("one visit without birth weight: a single marked point")
        << Child {} << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, 2.10, 5.5, null(), null() } } << 0
        << QList<QPointF> { { at(2, 10), 5.5 } };
    QTest::newRow("one visit with birth weight: joined")
        << withBirthWeight << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, 2.10, 5.5, null(), null() } } << 0
        << QList<QPointF> { { 0, 3.2 }, { at(2, 10), 5.5 } };

    Child withBirthLength;
    withBirthLength.dogumboy = 50.0;
    QTest::newRow("one visit with empty height keeps the birth point alone")
        << withBirthLength << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, 2.10, 5.5, null(), 39.0 } } << 1
        << QList<QPointF> { { 0, 50 } };
    QTest::newRow("head chart of that visit: a single marked point")
        << withBirthLength << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, 2.10, 5.5, null(), 39.0 } } << 2
        << QList<QPointF> { { at(2, 10), 39 } };
    QTest::newRow("equal ages in the order added")
        << withBirthWeight
        << QList<Visit> { { u"2012-07-01 10:00:00.000"_s, 5.21, 7.0, null(), null() },
               { u"2012-07-01 11:00:00.000"_s, 5.21, 7.1, null(), null() } }
        << 0 << QList<QPointF> { { 0, 3.2 }, { at(5, 21), 7.1 }, { at(5, 21), 7.0 } };
    QTest::newRow("an empty age ends the fill at that visit")
        << withBirthWeight
        << QList<Visit> { { u"2012-02-25 10:00:00.000"_s, 1.15, 4.1, null(), null() },
               { u"2012-05-12 10:00:00.000"_s, null(), 6.4, null(), null() },
               { u"2012-07-08 10:00:00.000"_s, 6.28, 7.9, null(), null() } }
        << 0 << QList<QPointF> { { 0, 3.2 }, { at(5, 28), 7.9 } };
    QTest::newRow("an empty age on the only visit: nothing")
        << Child {} << QList<Visit> { { u"2012-03-20 10:00:00.000"_s, null(), 5.5, null(), null() } } << 0
        << QList<QPointF> {};
}

void tst_TChartF::childLine()
{
    QFETCH(Child, child);
    QFETCH(QList<Visit>, visits);
    QFETCH(int, chart);
    QFETCH(QList<QPointF>, expected);

    AppFixture app;
    setUpChild(app, child, visits, QDate(2012, 8, 1));
    TChartF* f = app.screens().ChartF;
    f->BitBtn2Click();
    QVERIFY2(app.messages().verifyDone(), qPrintable(app.messages().report()));

    GrowthChart* charts[] = { f->weightChart(), f->heightChart(), f->headChart() };
    QCOMPARE(pointsOf(charts[chart]->hasta()), expected);
}

void tst_TChartF::rangeChoice_data()
{
    QTest::addColumn<QVariant>("birth");
    QTest::addColumn<QDate>("visit");
    QTest::addColumn<double>("ageMax");
    QTest::addColumn<double>("weightMax");
    QTest::addColumn<double>("heightMax");
    QTest::addColumn<int>("nextStep");

    QTest::newRow("25 months, the days not looked at")
        << QVariant(u"2010-12-31 00:00:00.000"_s) << QDate(2013, 1, 1) << 36.0 << 18.0 << 105.0 << 5;
    QTest::newRow("4 x 12 + (1 - 12) = 37 months")
        << QVariant(u"2009-12-31 00:00:00.000"_s) << QDate(2013, 1, 1) << 60.0 << 26.0 << 120.0 << 10;
    QTest::newRow("36 months") << QVariant(u"2010-05-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 36.0 << 18.0 << 105.0
                               << 5;
    QTest::newRow("37 months") << QVariant(u"2010-04-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 60.0 << 26.0 << 120.0
                               << 10;
    QTest::newRow("120 months") << QVariant(u"2003-05-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 120.0 << 52.0 << 152.0
                                << 15;
    QTest::newRow("180 months") << QVariant(u"1998-05-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 180.0 << 85.0 << 190.0
                                << 20;
    QTest::newRow("181 months") << QVariant(u"1998-04-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 240.0 << 102.0
                                << 192.0 << 3;
    QTest::newRow("empty birth date counts from 1899")
        << QVariant() << QDate(2013, 5, 1) << 240.0 << 102.0 << 192.0 << 3;
    QTest::newRow("visit before the birth date")
        << QVariant(u"2014-05-20 00:00:00.000"_s) << QDate(2013, 5, 1) << 36.0 << 18.0 << 105.0 << 5;
}

void tst_TChartF::rangeChoice()
{
    QFETCH(QVariant, birth);
    QFETCH(QDate, visit);
    QFETCH(double, ageMax);
    QFETCH(double, weightMax);
    QFETCH(double, heightMax);
    QFETCH(int, nextStep);

    AppFixture app;
    Child child;
    child.dogumtarihi = birth;
    child.dogumkilo = 3.3;
    setUpChild(app, child, {}, visit);
    TChartF* f = app.screens().ChartF;
    f->BitBtn2Click();

    QCOMPARE(f->weightChart()->ageAxis()->max(), ageMax);
    QCOMPARE(f->heightChart()->ageAxis()->max(), ageMax);
    QCOMPARE(f->weightChart()->valueAxis()->max(), weightMax);
    QCOMPARE(f->heightChart()->valueAxis()->max(), heightMax);
    QCOMPARE(f->weightChart()->valueAxis()->min(), 2.0);
    QCOMPARE(f->heightChart()->valueAxis()->min(), 45.0);
    QCOMPARE(f->heightChart()->valueAxis()->tickInterval(), 5.0);
    QCOMPARE(f->headChart()->ageAxis()->max(), 18.0);
    QCOMPARE(f->headChart()->valueAxis()->max(), 51.0);
    QCOMPARE(f->rangeStep(), nextStep);
    QCOMPARE(ctl<QLabel>(f, "dTarihiLabel")->text(),
        birth.isValid() ? u"D.Tarihi: "_s + QLocale().toString(birth.toDateTime().date(), QLocale::ShortFormat)
                        : u"D.Tarihi: "_s);
}

void tst_TChartF::rangeCycleWithF5()
{
    AppFixture app;
    setUpChild(app, bornOn(u"2010-12-31 00:00:00.000"_s), {}, QDate(2013, 1, 1));
    TChartF* f = app.screens().ChartF;
    f->show();
    QApplication::setActiveWindow(f);
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->BitBtn2Click();
    QCOMPARE(f->weightChart()->ageAxis()->max(), 36.0);

    struct Step {
        double age, ageInterval, weight, weightInterval, height;
    };
    const Step cycle[] = { { 60, 5, 26, 3, 120 }, { 120, 10, 52, 4, 152 }, { 180, 15, 85, 4, 190 },
        { 240, 20, 102, 5, 192 }, { 36, 3, 18, 2, 105 }, { 60, 5, 26, 3, 120 } };
    for (const Step& s : cycle) {
        QTest::keyClick(ctl<QLineEdit>(f, "kiloEdit"), Qt::Key_F5);
        QCOMPARE(f->weightChart()->ageAxis()->max(), s.age);
        QCOMPARE(f->weightChart()->ageAxis()->tickInterval(), s.ageInterval);
        QCOMPARE(f->heightChart()->ageAxis()->max(), s.age);
        QCOMPARE(f->weightChart()->valueAxis()->max(), s.weight);
        QCOMPARE(f->weightChart()->valueAxis()->tickInterval(), s.weightInterval);
        QCOMPARE(f->heightChart()->valueAxis()->max(), s.height);
    }
    // The button does the same.
    QTest::mouseClick(ctl<QPushButton>(f, "buyukBut"), Qt::LeftButton);
    QCOMPARE(f->weightChart()->ageAxis()->max(), 120.0);
    QVERIFY2(app.messages().verifyDone(), qPrintable(app.messages().report()));
}

void tst_TChartF::emptyAgeKeepsAxes()
{
    AppFixture app;
    // 40 months: the fill shows five years.
    setUpChild(app, bornOn(u"2010-01-05 00:00:00.000"_s),
        { { u"2013-05-01 10:00:00.000"_s, 40.0, 15.0, null(), null() } }, QDate(2013, 5, 1));
    TChartF* f = app.screens().ChartF;
    f->BitBtn2Click();
    QCOMPARE(f->weightChart()->ageAxis()->max(), 60.0);
    QCOMPARE(f->rangeStep(), 10);

    // The same child with a visit lacking its age (and a younger birth date): nothing changes.
    app.exec(u"UPDATE muayene SET yas = NULL"_s);
    app.exec(u"UPDATE hastasicil SET dogumtarihi = '2013-01-05 00:00:00.000'"_s);
    app.screens().ozluk->sicilTable->Refresh();
    DataSet* history = app.screens().frmMain->muayeneRQuery;
    history->Close();
    history->Open();
    f->BitBtn2Click();
    QCOMPARE(f->weightChart()->ageAxis()->max(), 60.0);
    QCOMPARE(f->heightChart()->valueAxis()->max(), 120.0);
    QCOMPARE(f->rangeStep(), 10);
    QCOMPARE(f->weightChart()->hasta()->count(), 0);
    // The reference curves are drawn all the same.
    QVERIFY(f->weightChart()->line(4)->count() > 0);
}

void tst_TChartF::referenceAndColoursBySex_data()
{
    QTest::addColumn<QString>("cinsiyeti");
    QTest::addColumn<int>("sex");
    QTest::addColumn<QColor>("color");

    QTest::newRow("Erkek") << u"Erkek"_s << 1 << QColor(166, 202, 240);
    QTest::newRow("Kız") << u"Kız"_s << 2 << QColor(255, 0, 255);
    QTest::newRow("empty") << QString() << 2 << QColor(255, 0, 255);
    QTest::newRow("erkek in small letters is no boy") << u"erkek"_s << 2 << QColor(255, 0, 255);
}

void tst_TChartF::referenceAndColoursBySex()
{
    QFETCH(QString, cinsiyeti);
    QFETCH(int, sex);
    QFETCH(QColor, color);

    AppFixture app;
    Child child;
    child.cinsiyeti = cinsiyeti;
    setUpChild(app, child, {}, QDate(2012, 8, 1));
    TChartF* f = app.screens().ChartF;
    f->BitBtn2Click();

    const struct {
        GrowthChart* chart;
        QString table;
    } charts[] = { { f->weightChart(), u"zkilobir"_s }, { f->heightChart(), u"zuzunlukbir"_s },
        { f->headChart(), u"zbas"_s } };
    for (const auto& c : charts) {
        const int rows = app.count(c.table, u"Sex = ?"_s, { sex });
        QVERIFY(rows > 0);
        QSqlQuery q = app.exec(u"SELECT Age, P3, P50, P97 FROM %1 WHERE Sex = ? ORDER BY Age"_s.arg(c.table), { sex });
        QVERIFY(q.next());
        for (int i : { 0, 4, 8 }) {
            QCOMPARE(c.chart->line(i)->count(), rows);
            QCOMPARE(c.chart->line(i)->at(0).x(), q.value(0).toDouble());
        }
        QCOMPARE(c.chart->line(0)->at(0).y(), q.value(1).toDouble());
        QCOMPARE(c.chart->line(4)->at(0).y(), q.value(2).toDouble());
        QCOMPARE(c.chart->line(8)->at(0).y(), q.value(3).toDouble());

        for (QValueAxis* axis : { c.chart->ageAxis(), c.chart->valueAxis() }) {
            QCOMPARE(axis->linePen().color(), color);
            QCOMPARE(axis->gridLinePen().color(), color);
            QCOMPARE(axis->minorGridLinePen().color(), color);
        }
        QCOMPARE(c.chart->hasta()->pen().color(), QColor(Qt::red));
    }
    QCOMPARE(f->weightChart()->captionColor(), color);
    QCOMPARE(f->heightChart()->captionColor(), color);
}

void tst_TChartF::headChartHiddenSurvivesReopening()
{
    AppFixture app;
    setUpChild(app, Child {}, {}, QDate(2012, 8, 1));
    TChartF* f = app.screens().ChartF;
    f->show();
    f->BitBtn2Click();
    QVERIFY(ctl<QChartView>(f, "Chart3")->isVisible());

    QTest::mouseClick(ctl<QPushButton>(f, "JvXPButton1"), Qt::LeftButton);
    QVERIFY(!ctl<QChartView>(f, "Chart3")->isVisible());
    QCOMPARE(ctl<QPushButton>(f, "JvXPButton1")->text(), u"Baş Çevresi Göster"_s);

    QTest::mouseClick(ctl<QPushButton>(f, "kapatBut"), Qt::LeftButton);
    QVERIFY(f->isHidden());
    f->show();
    f->BitBtn2Click();
    QVERIFY(ctl<QChartView>(f, "Chart3")->isHidden());
    QCOMPARE(ctl<QPushButton>(f, "JvXPButton1")->text(), u"Baş Çevresi Göster"_s);

    QTest::mouseClick(ctl<QPushButton>(f, "JvXPButton1"), Qt::LeftButton);
    QVERIFY(ctl<QChartView>(f, "Chart3")->isVisible());
    QCOMPARE(ctl<QPushButton>(f, "JvXPButton1")->text(), u"Baş Çevresi Gizle"_s);
}

void tst_TChartF::closingEnablesVisitScreen()
{
    AppFixture app;
    TChartF* f = app.screens().ChartF;
    TfrmMain* frmMain = app.screens().frmMain;

    // Closed with F10.
    f->show();
    frmMain->setEnabled(false);
    QApplication::setActiveWindow(f);
    QVERIFY(QTest::qWaitForWindowActive(f));
    QTest::keyClick(ctl<QLineEdit>(f, "kiloEdit"), Qt::Key_F10);
    QVERIFY(f->isHidden());
    QVERIFY(frmMain->isEnabled());
    QVERIFY(frmMain->isVisible());

    // Closed through its window.
    f->show();
    frmMain->setEnabled(false);
    f->close();
    QVERIFY(f->isHidden());
    QVERIFY(frmMain->isEnabled());

    // The help button opens the chart topic.
    f->show();
    QTest::mouseClick(ctl<QToolButton>(f, "tfXPButton1"), Qt::LeftButton);
    QVERIFY(app.screens().yardimF->isVisible());
}

void tst_TChartF::readOut()
{
    AppFixture app;
    setUpChild(app, Child {}, {}, QDate(2012, 8, 1));
    TChartF* f = app.screens().ChartF;
    f->resize(1366, 768);
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    f->BitBtn2Click();
    QApplication::processEvents();

    const QLocale locale;
    GrowthChart* weight = f->weightChart();
    const QPointF at = weight->mapToPosition(QPointF(24, 9), weight->line(0));
    QTest::mouseMove(
        ctl<QChartView>(f, "Chart1")->viewport(), ctl<QChartView>(f, "Chart1")->mapFromScene(weight->mapToScene(at)));
    QTRY_VERIFY(!ctl<QLineEdit>(f, "kiloEdit")->text().isEmpty());
    bool ok = false;
    QVERIFY(std::abs(locale.toDouble(ctl<QLineEdit>(f, "kiloEdit")->text(), &ok) - 9) < 0.1);
    QVERIFY(ok);
    QVERIFY(std::abs(locale.toDouble(ctl<QLineEdit>(f, "kiloAyEdit")->text(), &ok) - 24) < 0.2);
    QVERIFY(ok);
    QVERIFY(ctl<QLineEdit>(f, "boyEdit")->text().isEmpty());

    GrowthChart* height = f->heightChart();
    const QPointF h = height->mapToPosition(QPointF(30, 95.5), height->line(0));
    QTest::mouseMove(
        ctl<QChartView>(f, "Chart2")->viewport(), ctl<QChartView>(f, "Chart2")->mapFromScene(height->mapToScene(h)));
    QTRY_VERIFY(!ctl<QLineEdit>(f, "boyEdit")->text().isEmpty());
    QVERIFY(std::abs(locale.toDouble(ctl<QLineEdit>(f, "boyEdit")->text(), &ok) - 95.5) < 0.2);
    QVERIFY(ctl<QLineEdit>(f, "boyEdit")->text().contains(u','));

    // Over the head chart the weight boxes stay as they were.
    const QString kilo = ctl<QLineEdit>(f, "kiloEdit")->text();
    QTest::mouseMove(ctl<QChartView>(f, "Chart3")->viewport(), QPoint(40, 40));
    QTest::mouseMove(ctl<QChartView>(f, "Chart3")->viewport(), QPoint(60, 50));
    QCOMPARE(ctl<QLineEdit>(f, "kiloEdit")->text(), kilo);
}

void tst_TChartF::formatValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 12.0 << u"12"_s;
    QTest::newRow("decimal comma") << 2.1 << u"2,1"_s;
    QTest::newRow("three decimals at most") << 3.14159 << u"3,142"_s;
    QTest::newRow("grouping") << 1234.5 << u"1.234,5"_s;
    QTest::newRow("tiny negative is zero") << -0.0002 << u"0"_s;
    QTest::newRow("negative") << -1.25 << u"-1,25"_s;
}

void tst_TChartF::formatValue()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(GrowthChart::formatValue(value), text);
}

void tst_TChartF::printsOnePdfPage()
{
    AppFixture app;
    Child child;
    child.dogumkilo = 3.2;
    setUpChild(app, child, { { u"2012-07-08 10:00:00.000"_s, 6.28, 7.9, 66.0, 43.0 } }, QDate(2012, 8, 1));
    TChartF* f = app.screens().ChartF;
    f->show();
    f->BitBtn2Click();
    QTest::mouseClick(ctl<QPushButton>(f, "JvXPButton1"), Qt::LeftButton); // the head chart is printed even when hidden

    const QSizeF weightSize = f->weightChart()->size();
    const QRectF weightPlot = f->weightChart()->plotArea();
    const QString pdf = app.path(u"grafik.pdf"_s);
    PrinterAnswer printer(pdf);
    QTest::mouseClick(ctl<QPushButton>(f, "yazBut"), Qt::LeftButton);
    QCOMPARE(printer.asked, 1);
    QVERIFY2(app.messages().verifyDone(), qPrintable(app.messages().report()));
    QVERIFY(QFile::exists(pdf));
    const QString kept = m_outputDir + u"/tst_tchartf_page.pdf"_s;
    QFile::remove(kept);
    if (QFile::copy(pdf, kept))
        qInfo("printed page: %s", qPrintable(kept));

    // pdftotext gives the "fi" of "Grafiği" as one ligature letter.
    const QString text = pdfText(pdf).replace(u"\uFB01"_s, u"fi"_s);
    const QString date = QLocale().toString(QDate(2012, 1, 10), QLocale::ShortFormat);
    QVERIFY2(text.contains(u"Adı, Soyadı"_s), qPrintable(text));
    QVERIFY(text.contains(u": Ali Yılmaz"_s));
    QVERIFY(text.contains(u"D.Tarihi: "_s + date));
    QVERIFY(text.contains(u"G.Tarihi: "_s + QLocale().toString(QDate(2012, 8, 1), QLocale::ShortFormat)));
    QVERIFY(text.contains(u"Baş Çevresi Grafiği"_s));
    QVERIFY(text.contains(u"Kilo Gelişim Grafiği"_s));
    QVERIFY(text.contains(u"Boy Gelişim Grafiği"_s));
    QVERIFY(text.contains(u"BAŞ ÇEVRESİ"_s));
    QCOMPARE(text.count(u'\f'), 1); // one page

    // The screen is as it was.
    QVERIFY(ctl<QChartView>(f, "Chart3")->isHidden());
    QCOMPARE(f->weightChart()->size(), weightSize);
    QCOMPARE(f->weightChart()->plotArea(), weightPlot);
}

void tst_TChartF::cancelledPrinterPrintsNothing()
{
    AppFixture app;
    TChartF* f = app.screens().ChartF;
    PrinterAnswer printer { QString() };
    f->show();
    QApplication::setActiveWindow(f);
    QVERIFY(QTest::qWaitForWindowActive(f));
    QTest::keyClick(ctl<QLineEdit>(f, "kiloEdit"), Qt::Key_F4);
    QCOMPARE(printer.asked, 1);
    QVERIFY(QDir(app.folder()).entryList({ u"*.pdf"_s }).isEmpty());
    QVERIFY2(app.messages().verifyDone(), qPrintable(app.messages().report()));

    // A file that cannot be written is reported, not passed over.
    QPrinter bad(QPrinter::HighResolution);
    bad.setOutputFormat(QPrinter::PdfFormat);
    bad.setOutputFileName(app.path(u"no/such/folder/grafik.pdf"_s));
    app.messages().expectError();
    QVERIFY(!CommandGuard::run([&] { f->printPage(bad); }));
    QVERIFY2(app.messages().verifyDone(), qPrintable(app.messages().report()));
    QVERIFY(!QGuiApplication::overrideCursor());
}

void tst_TChartF::screenshots_data()
{
    QTest::addColumn<QString>("cinsiyeti");
    QTest::addColumn<QSize>("size");
    QTest::newRow("boy 1366x768") << u"Erkek"_s << QSize(1366, 768);
    QTest::newRow("boy 1920x1080") << u"Erkek"_s << QSize(1920, 1080);
    QTest::newRow("girl 1366x768") << u"Kız"_s << QSize(1366, 768);
}

void tst_TChartF::screenshots()
{
    QFETCH(QString, cinsiyeti);
    QFETCH(QSize, size);

    AppFixture app;
    Child child;
    child.cinsiyeti = cinsiyeti;
    child.dogumkilo = 3.4;
    child.dogumboy = 50.5;
    child.dogumbas = 34.5;
    setUpChild(app, child,
        { { u"2012-02-25 10:00:00.000"_s, 1.15, 4.6, 55.0, 37.5 },
            { u"2012-05-12 10:00:00.000"_s, 4.02, 6.9, 63.5, 41.0 },
            { u"2012-07-08 10:00:00.000"_s, 6.28, 8.1, 67.5, 43.2 },
            { u"2012-12-20 10:00:00.000"_s, 11.10, 9.8, 75.0, 45.5 } },
        QDate(2013, 1, 10));
    TChartF* f = app.screens().ChartF;
    f->resize(size);
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f));
    f->BitBtn2Click();
    QApplication::processEvents();

    const QString file = m_outputDir
        + u"/tst_tchartf_%1_%2x%3.png"_s.arg(cinsiyeti == u"Erkek"_s ? u"boy"_s : u"girl"_s)
              .arg(size.width())
              .arg(size.height());
    QVERIFY(f->grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));

    // The titles stand above the plots, clear of the texts and buttons laid over the charts.
    const struct {
        GrowthChart* chart;
        QWidget* lastOnTop;
    } rows[] = { { f->weightChart(), ctl<QLabel>(f, "gTarihiLabel") },
        { f->heightChart(), ctl<QPushButton>(f, "kapatBut") } };
    for (const auto& r : rows) {
        const QRectF title = r.chart->captionItem()->sceneBoundingRect();
        QVERIFY(title.right() <= r.chart->sceneBoundingRect().right());
        QVERIFY(title.bottom() <= r.chart->plotArea().top());
        const QRect top(r.lastOnTop->mapTo(r.lastOnTop->parentWidget(), QPoint(0, 0)), r.lastOnTop->size());
        QVERIFY2(top.right() < title.left(), qPrintable(u"%1 reaches the title"_s.arg(r.lastOnTop->objectName())));
    }
    // The small chart lies inside the weight chart's plot, below the read-out.
    const QRect head = ctl<QChartView>(f, "Chart3")->geometry();
    QVERIFY(f->weightChart()->plotArea().contains(QRectF(head)));
    QVERIFY(head.top() > ctl<QLineEdit>(f, "kiloEdit")->geometry().bottom());
}

void tst_TChartF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Boyut Değiştir") << u"buyukBut"_s << 0 << u"next range"_s;
    QTest::newRow("F5") << QString() << int(Qt::Key_F5) << u"next range"_s;
    QTest::newRow("Yazdır") << u"yazBut"_s << 0 << u"printer asked"_s;
    QTest::newRow("F4") << QString() << int(Qt::Key_F4) << u"printer asked"_s;
    QTest::newRow("Baş Çevresi") << u"JvXPButton1"_s << 0 << u"head chart hidden"_s;
    QTest::newRow("Kapat") << u"kapatBut"_s << 0 << u"closed"_s;
    QTest::newRow("F10") << QString() << int(Qt::Key_F10) << u"closed"_s;
    QTest::newRow("Yardım") << u"tfXPButton1"_s << 0 << u"help ygrafik"_s;
}

// Each button and menu key of the growth charts does its own command, on a child of two
// years shown from the visit screen.
void tst_TChartF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, effect);

    AppFixture app;
    app.nameHelpTopics();
    Child child;
    child.dogumkilo = 3.3;
    setUpChild(app, child, {}, QDate(2014, 1, 20));
    TChartF* f = app.screens().ChartF;
    TfrmMain* frmMain = app.screens().frmMain;
    frmMain->show();
    f->show();
    f->BitBtn2Click();
    frmMain->setEnabled(false);
    QApplication::setActiveWindow(f);
    QVERIFY(QTest::qWaitForWindowActive(f));
    const int step = f->rangeStep();
    const double weightMax = f->weightChart()->valueAxis()->max();
    PrinterAnswer printer { QString() };

    if (key != 0) {
        auto* box = ctl<QLineEdit>(f, "kiloEdit");
        box->setFocus();
        QTest::keyClick(box, Qt::Key(key));
    } else {
        auto* pressed = f->findChild<QAbstractButton*>(button);
        QVERIFY2(pressed, qPrintable(button));
        QTest::mouseClick(pressed, Qt::LeftButton);
    }
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));

    const bool nextRange = effect == u"next range"_s;
    QCOMPARE(f->rangeStep(), nextRange ? RangeSteps::next(step) : step);
    QCOMPARE(f->weightChart()->valueAxis()->max() != weightMax, nextRange);
    QCOMPARE(printer.asked, effect == u"printer asked"_s ? 1 : 0);
    const bool headHidden = effect == u"head chart hidden"_s;
    QCOMPARE(f->findChild<QChartView*>(u"Chart3"_s)->isHidden(), headHidden);
    QCOMPARE(ctl<QPushButton>(f, "JvXPButton1")->text(), headHidden ? u"Baş Çevresi Göster"_s : u"Baş Çevresi Gizle"_s);
    const bool closed = effect == u"closed"_s;
    QCOMPARE(f->isHidden(), closed);
    QCOMPARE(frmMain->isEnabled(), closed);
    QCOMPARE(app.shownHelpTopic(), effect.startsWith(u"help "_s) ? effect.mid(5) : QString());
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TChartF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tchartf.moc"
