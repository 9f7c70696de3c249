#include "AppFixture.h"
#include "DataSet.h"
#include "GrowthAssessment.h"
#include "GrowthChart.h"
#include "GrowthReference.h"
#include "GrowthSettings.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "TChartF.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "VisitGrowth.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QScatterSeries>
#include <QTest>
#include <QValueAxis>

#include <cmath>

using namespace Qt::StringLiterals;

class tst_GrowthCharts final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void curvesFollowTheReference_data();
    void curvesFollowTheReference();
    void correctedAgeOnTheLine();
    void targetHeightMark();
    void readOutOfTheNearestPoint();
    void screenshots_data();
    void screenshots();
};

namespace {

constexpr double daysPerMonth = 30.4375;

// Child "1" with its visits, current the way the visit screen makes it.
void setUpChild(AppFixture& app, const QString& sex, const QDate& birth, const QVariant& weeks,
    const QList<std::pair<QDate, double>>& weights, const QVariant& mother = {}, const QVariant& father = {})
{
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, cinsiyeti, dogumtarihi, dogumhaftasi, anneboy, "
             u"bababoy) VALUES ('1', 'Ali', 'Yılmaz', ?, ?, ?, ?, ?)"_s,
        { sex, birth.toString(u"yyyy-MM-dd 00:00:00.000"_s), weeks, mother, father });
    for (const auto& [day, kilo] : weights)
        app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy) VALUES ('1', ?, 1, ?, ?)"_s,
            { day.toString(u"yyyy-MM-dd 10:00:00.000"_s), kilo, 60 + kilo });
    DataSet* sicil = app.screens().ozluk->sicilTable;
    sicil->Open();
    QVERIFY(sicil->Locate(u"hasta_kodu"_s, u"1"_s, {}));
    DataSet* history = app.screens().frmMain->muayeneRQuery;
    history->Close();
    history->setSQL(u"select * from muayene where hastakodu=:kod\nORDER BY tarih DESC"_s);
    history->setParam(u":kod"_s, u"1"_s);
    history->Open();
    app.screens().frmMain->findChild<QDateTimeEdit*>(u"JvDateTimePicker1"_s)->setDate(QDate(2013, 1, 10));
}

TChartF* showCharts(AppFixture& app, const QSize& size = QSize(1366, 768))
{
    TChartF* f = app.screens().ChartF;
    f->resize(size);
    f->show();
    if (!QTest::qWaitForWindowExposed(f))
        return nullptr;
    f->BitBtn2Click();
    QApplication::processEvents();
    return f;
}

QComboBox* referenceCombo(TChartF* f)
{
    return f->findChild<QComboBox*>(u"referansCombo"_s);
}

} // namespace

void tst_GrowthCharts::curvesFollowTheReference_data()
{
    QTest::addColumn<QString>("cinsiyeti");
    QTest::addColumn<int>("sex");
    QTest::newRow("boy") << u"Erkek"_s << 1;
    QTest::newRow("girl") << u"Kız"_s << 2;
}

// CDC 2000 first, as for every existing user; WHO chosen on the screen draws WHO's curves from
// its daily and monthly tables, and back.
void tst_GrowthCharts::curvesFollowTheReference()
{
    QFETCH(QString, cinsiyeti);
    QFETCH(int, sex);
    AppFixture app;
    setUpChild(app, cinsiyeti, QDate(2012, 1, 10), {}, {});
    TChartF* f = showCharts(app);
    QVERIFY(f);
    QComboBox* combo = referenceCombo(f);
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), u"CDC 2000"_s);
    const int cdcRows = app.count(u"zkilobir"_s, u"Sex = ?"_s, { sex });
    QCOMPARE(f->weightChart()->line(4)->count(), cdcRows);

    // The user steps the box to WHO with the arrow key.
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), u"WHO"_s);
    QCOMPARE(GrowthSettings::standard(), GrowthStandard::Who);
    const GrowthReference& who = GrowthReference::of(GrowthStandard::Who);
    const struct {
        GrowthChart* chart;
        GrowthIndicator indicator;
    } charts[] = { { f->weightChart(), GrowthIndicator::WeightForAge },
        { f->heightChart(), GrowthIndicator::LengthForAge }, { f->headChart(), GrowthIndicator::HeadForAge } };
    for (const auto& c : charts) {
        int rows = 0;
        for (const GrowthReference::Piece& piece : who.pieces(c.indicator, sex))
            rows += piece.table->rowCount();
        for (int i = 0; i < GrowthChart::percentileCount; ++i)
            QCOMPARE(c.chart->line(i)->count(), rows);
        // The median at birth and at the last row, in months.
        const LmsTable* first = who.pieces(c.indicator, sex).first().table;
        const LmsTable* last = who.pieces(c.indicator, sex).last().table;
        QCOMPARE(c.chart->line(4)->at(0), QPointF(0, first->percentile(u"P50"_s).front()));
        const QPointF end = c.chart->line(4)->at(rows - 1);
        QVERIFY(std::abs(end.x() - last->last() / daysPerMonth) < 1e-9);
        // P3 and P97 are WHO's, not the CDC's.
        QCOMPARE(c.chart->line(0)->at(0).y(), first->percentile(u"P3"_s).front());
        QCOMPARE(c.chart->line(8)->at(0).y(), first->percentile(u"P97"_s).front());
    }

    QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(combo->currentText(), u"CDC 2000"_s);
    QCOMPARE(f->weightChart()->line(4)->count(), cdcRows);
    QCOMPARE(GrowthSettings::standard(), GrowthStandard::Cdc2000);
}

// A boy born at 30 weeks (70 days early): visits before two years stand at corrected age, the
// true age faintly beside; the visit after two years is not corrected.
void tst_GrowthCharts::correctedAgeOnTheLine()
{
    AppFixture app;
    const QDate birth(2010, 6, 1);
    setUpChild(app, u"Erkek"_s, birth, 30, { { QDate(2010, 12, 1), 6.0 }, { QDate(2012, 12, 1), 12.5 } });
    TChartF* f = showCharts(app);
    QVERIFY(f);
    const QXYSeries* line = f->weightChart()->hasta();
    QCOMPARE(line->count(), 2);
    // 1.12.2010 from the due date 10.08.2010: 3 months 21 days.
    QVERIFY(std::abs(line->at(0).x() - (3 + 21 / daysPerMonth)) < 1e-9);
    QCOMPARE(line->at(1).x(), 30.0);
    QScatterSeries* faint = f->weightChart()->chronological();
    QCOMPARE(faint->count(), 1);
    QCOMPARE(faint->at(0), QPointF(6, 6.0));
    QVERIFY(faint->color().alpha() < 255);
}

// Mother 165, father 172: a girl's target is (165 + 172 - 13) / 2 = 162 cm, at the right edge.
void tst_GrowthCharts::targetHeightMark()
{
    AppFixture app;
    setUpChild(app, u"Kız"_s, QDate(2003, 1, 10), {}, { { QDate(2012, 1, 10), 30 } }, 165.0, 172.0);
    TChartF* f = showCharts(app);
    QVERIFY(f);
    GrowthChart* height = f->heightChart();
    QCOMPARE(height->targetPoint(), QPointF(height->ageAxis()->max(), 162.0));
    QCOMPARE(height->targetText(), u"Hedef 162"_s);
    // The mark moves with the axis when the range changes.
    f->buyukButClick();
    QCOMPARE(height->targetPoint().x(), height->ageAxis()->max());
    QVERIFY(std::isnan(f->weightChart()->targetPoint().y()));
}

// Over the weight chart, the read-out gives the percentile of the child's point nearest the mouse.
void tst_GrowthCharts::readOutOfTheNearestPoint()
{
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard::Who);
    setUpChild(app, u"Erkek"_s, QDate(2012, 1, 10), {}, { { QDate(2012, 4, 10), 6.5 }, { QDate(2012, 10, 10), 7.2 } });
    TChartF* f = showCharts(app);
    QVERIFY(f);
    GrowthChart* weight = f->weightChart();
    auto* view = f->findChild<QChartView*>(u"Chart1"_s);
    auto* label = f->findChild<QLabel*>(u"kiloNoktaLabel"_s);
    QVERIFY(label);
    for (int i = 0; i < 2; ++i) {
        const QPointF point = weight->hasta()->at(i);
        const QPointF at = weight->mapToPosition(point + QPointF(0.3, 0.2), weight->hasta());
        QTest::mouseMove(view->viewport(), view->mapFromScene(weight->mapToScene(at)));
        const QString expected = VisitGrowth::readOut(GrowthAssessment::assess(
            GrowthStandard::Who, GrowthIndicator::WeightForAge, 1, point.x() * daysPerMonth, point.y()));
        QVERIFY(!expected.isEmpty());
        QTRY_COMPARE(label->text(), expected);
    }
}

void tst_GrowthCharts::screenshots_data()
{
    QTest::addColumn<int>("standard");
    QTest::addColumn<QSize>("size");
    QTest::newRow("CDC 2000") << int(GrowthStandard::Cdc2000) << QSize(1366, 768);
    QTest::newRow("WHO") << int(GrowthStandard::Who) << QSize(1366, 768);
    QTest::newRow("WHO, narrow") << int(GrowthStandard::Who) << QSize(1024, 700);
}

// Both charts with each reference, a boy born at 32 weeks whose parents' heights are known.
void tst_GrowthCharts::screenshots()
{
    QFETCH(int, standard);
    QFETCH(QSize, size);
    const QString outputDir = QDir::currentPath();
    AppFixture app;
    GrowthSettings::setStandard(GrowthStandard(standard));
    setUpChild(app, u"Erkek"_s, QDate(2011, 1, 10), 32,
        { { QDate(2011, 3, 10), 3.9 }, { QDate(2011, 7, 10), 6.4 }, { QDate(2012, 1, 10), 8.6 },
            { QDate(2012, 12, 10), 11.4 } },
        168.0, 181.0);
    TChartF* f = showCharts(app, size);
    QVERIFY(f);
    f->buyukButClick();
    QApplication::processEvents();
    const QString file = outputDir
        + u"/tst_growthcharts_%1_%2.png"_s.arg(standard == int(GrowthStandard::Who) ? u"who"_s : u"cdc"_s)
              .arg(size.width());
    QVERIFY(f->grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));
    QCOMPARE(referenceCombo(f)->currentIndex(), standard == int(GrowthStandard::Who) ? 1 : 0);
    // The box is whole and inside the height chart's plot, clear of the curves' names.
    QComboBox* combo = referenceCombo(f);
    QVERIFY(combo->isVisible());
    QVERIFY(combo->width() >= combo->sizeHint().width());
    auto* view = f->findChild<QChartView*>(u"Chart2"_s);
    QVERIFY(view);
    const QRectF plot = f->heightChart()->plotArea();
    const QRect box(view->viewport()->mapFromGlobal(combo->mapToGlobal(QPoint(0, 0))), combo->size());
    QVERIFY(plot.contains(view->mapToScene(box).boundingRect()));
    QVERIFY(f->weightChart()->chronological()->count() > 0);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_GrowthCharts test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_growthcharts.moc"
