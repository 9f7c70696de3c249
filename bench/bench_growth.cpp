// Times the growth assessment: one measurement against each reference (tables already read),
// the whole assessment of a visit, a key typed into the visit screen's weight box (the texts
// following it), and opening the growth charts with the WHO tables, the first time (the tables
// read from the program) and again. Runs the program's screens on a new clinic file in a
// temporary folder.
//
//   QT_QPA_PLATFORM=offscreen bench_growth [--repeat N]

#include "BenchSupport.h"
#include "Connection.h"
#include "DBEdit.h"
#include "DataSet.h"
#include "Field.h"
#include "GrowthAssessment.h"
#include "GrowthSettings.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "TChartF.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "VisitGrowth.h"

#include <QDateTimeEdit>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Median time of one call in microseconds, over `rounds` rounds of `calls` calls.
template <typename F> double microsPerCall(int rounds, int calls, F&& f)
{
    std::vector<double> per;
    for (int r = 0; r < rounds; ++r) {
        const double start = bench::nowMs();
        for (int i = 0; i < calls; ++i)
            f(i);
        per.push_back((bench::nowMs() - start) * 1000.0 / calls);
    }
    return bench::median(per);
}

void line(const QString& name, double value, const QString& unit, double limit)
{
    bench::print(u"%1 %2 %3 (limit %4) %5"_s.arg(name, -44)
                     .arg(value, 9, 'f', 3)
                     .arg(unit)
                     .arg(limit)
                     .arg(value <= limit ? u"ok"_s : u"SLOW"_s));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const bench::Options options(app.arguments(), { u"repeat"_s });
    if (!options.ok()) {
        bench::print(options.error());
        return 2;
    }
    const int repeat = int(std::max<qint64>(3, options.number(u"repeat"_s, 7)));

    // Opening the charts first, in a fresh process: the WHO tables are read on this first use.
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    Screens& all = screens();
    all.useProgramFolder = false;
    all.start();
    QSqlQuery seed(Connection::defaultConnection()->database());
    seed.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, cinsiyeti, dogumtarihi, dogumhaftasi, anneboy, "
              u"bababoy) VALUES ('1', 'Ali', 'Yılmaz', 'Erkek', '2011-01-10 00:00:00.000', 32, 165, 178)"_s);
    seed.prepare(u"INSERT INTO muayene (hastakodu, tarih, yas, kilo, boy, basc) VALUES ('1', ?, ?, ?, ?, ?)"_s);
    for (int month = 1; month <= 24; ++month) {
        seed.addBindValue(QDate(2011, 1, 10).addMonths(month).toString(u"yyyy-MM-dd 10:00:00.000"_s));
        seed.addBindValue(month);
        seed.addBindValue(3.5 + 0.4 * month);
        seed.addBindValue(50 + 1.5 * month);
        seed.addBindValue(35 + 0.4 * month);
        seed.exec();
    }
    DataSet* sicil = all.ozluk->sicilTable;
    sicil->Open();
    sicil->Locate(u"hasta_kodu"_s, u"1"_s, {});
    DataSet* history = all.frmMain->muayeneRQuery;
    history->Close();
    history->setSQL(u"select * from muayene where hastakodu=:kod\nORDER BY tarih DESC"_s);
    history->setParam(u":kod"_s, u"1"_s);
    history->Open();
    all.frmMain->findChild<QDateTimeEdit*>(u"JvDateTimePicker1"_s)->setDate(QDate(2013, 1, 10));
    GrowthSettings::setStandard(GrowthStandard::Who);
    all.ChartF->resize(1366, 768);
    all.ChartF->show();

    const double coldStart = bench::nowMs();
    all.ChartF->BitBtn2Click();
    const double coldMs = bench::nowMs() - coldStart;
    std::vector<double> warm;
    for (int r = 0; r < repeat; ++r) {
        const double start = bench::nowMs();
        all.ChartF->BitBtn2Click();
        warm.push_back(bench::nowMs() - start);
    }
    GrowthSettings::setStandard(GrowthStandard::Cdc2000);
    std::vector<double> cdc;
    for (int r = 0; r < repeat; ++r) {
        const double start = bench::nowMs();
        all.ChartF->BitBtn2Click();
        cdc.push_back(bench::nowMs() - start);
    }
    all.ChartF->hide();

    // One assessment, tables in memory; ages and values vary so nothing is cached.
    const auto assessOne = [repeat](GrowthStandard standard) {
        return microsPerCall(repeat, 200000, [standard](int i) {
            const GrowthResult r = GrowthAssessment::assess(
                standard, GrowthIndicator::WeightForAge, 1 + (i & 1), 30 + (i % 1800), 4.0 + (i % 97) * 0.1);
            if (std::isnan(r.z) && i < 0)
                bench::print(u"unreachable"_s);
        });
    };
    const double whoMicros = assessOne(GrowthStandard::Who);
    const double cdcMicros = assessOne(GrowthStandard::Cdc2000);
    const double visitMicros = microsPerCall(repeat, 50000, [](int i) {
        VisitGrowth::Input in;
        in.standard = GrowthStandard::Who;
        in.sex = 1;
        in.birth = QDate(2011, 1, 10);
        in.gestationalWeeks = 32;
        in.visit = QDate(2012, 1, 10).addDays(i % 300);
        in.weight = 9 + (i % 20) * 0.1;
        in.height = 75;
        in.head = 46;
        in.previousVisit = QDate(2011, 10, 10);
        in.previousWeight = 8.2;
        const VisitGrowth growth(in);
        if (growth.warnings().size() > 100)
            bench::print(u"unreachable"_s);
    });

    // A key typed into the weight box of a visit being recorded: the box's text changes and every
    // growth text follows.
    all.frmMain->show();
    history->Close();
    DataSet* visit = all.frmMain->muayeneTable;
    visit->Open();
    visit->Append();
    visit->FieldByName(u"hastakodu"_s)->setAsString(u"1"_s);
    visit->FieldByName(u"tarih"_s)->setAsDateTime(QDateTime(QDate(2012, 6, 10), QTime(10, 0)));
    history->Open();
    auto* kilo = all.frmMain->findChild<DBEdit*>(u"kiloDBEdit"_s);
    const QStringList texts { u"9"_s, u"9,"_s, u"9,4"_s, u"9,45"_s };
    const double typingMicros = microsPerCall(repeat, 400, [&](int i) { kilo->setText(texts.at(i % texts.size())); });
    visit->Cancel();

    bench::print(u"growth assessment, RelWithDebInfo build; median of %1 rounds"_s.arg(repeat));
    line(u"one assessment, WHO (weight-for-age)"_s, whoMicros, u"us"_s, 5);
    line(u"one assessment, CDC 2000 (weight-for-age)"_s, cdcMicros, u"us"_s, 5);
    line(u"a visit (4 assessments, BMI, trend, warnings)"_s, visitMicros, u"us"_s, 50);
    line(u"a key typed in the weight box (texts follow)"_s, typingMicros / 1000.0, u"ms"_s, 16);
    line(u"charts opened with WHO, first time"_s, coldMs, u"ms"_s, 100);
    line(u"charts opened with WHO, again"_s, bench::median(warm), u"ms"_s, 100);
    line(u"charts opened with CDC 2000 (for comparison)"_s, bench::median(cdc), u"ms"_s, 100);
    bench::print(u"peak memory %1 MB"_s.arg(bench::peakMemoryMb(), 0, 'f', 1));

    all.destroy();
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
