#include "TChartF.h"

#include "ui_TChartF.h"

#include "AgeCalculator.h"
#include "CommandGuard.h"
#include "CorrectedAge.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "Field.h"
#include "GrowthAssessment.h"
#include "GrowthChart.h"
#include "GrowthReference.h"
#include "GrowthSettings.h"
#include "RangeSteps.h"
#include "Screens.h"
#include "TargetHeight.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "TyardimF.h"
#include "ValueFormats.h"
#include "VisitGrowth.h"

#include <QComboBox>
#include <QFont>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScatterSeries>
#include <QSignalBlocker>
#include <QStyle>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The page is laid out in units of this extent, scaled to fill the printable area.
constexpr double pageWidth = 4030;
constexpr double pageHeight = 2580;

const QColor girlsColor(255, 0, 255);
const QColor boysColor(166, 202, 240);

bool isEmptyValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return true;
    return value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty();
}

// Restores the normal cursor however printing ends.
class WaitCursor final
{
public:
    WaitCursor()
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

TChartF::TChartF()
    : ui(new Ui::TChartF)
    , ffTable1(new DataSet(u"ffTable1"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, ffTable1, this))
    , ffTable2(new DataSet(u"ffTable2"_s, this))
    , DataSource2(new DataSource(u"DataSource2"_s, ffTable2, this))
    , ffTable3(new DataSet(u"ffTable3"_s, this))
    , DataSource3(new DataSource(u"DataSource3"_s, ffTable3, this))
{
    setObjectName(u"ChartF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);

    ffTable1->setTableName(u"zkilobir"_s);
    ffTable2->setTableName(u"zuzunlukbir"_s);
    ffTable3->setTableName(u"zbas"_s);

    using Axis = GrowthChart::Axis;
    using Place = GrowthChart::CaptionPlace;
    m_weight
        = new GrowthChart(u"Kilo Gelişim Grafiği"_s, Place::AbovePlotRight, Axis { 0, 36, 3, 2 }, Axis { 2, 18, 2, 4 });
    m_height = new GrowthChart(
        u"Boy Gelişim Grafiği"_s, Place::AbovePlotRight, Axis { 0, 36, 3, 2 }, Axis { 45, 105, 5, 4 });
    m_head
        = new GrowthChart(u"BAŞ ÇEVRESİ"_s, Place::InsidePlotLowerRight, Axis { 0, 18, 1, 0 }, Axis { 31, 51, 1, 1 });
    m_head->setCompact(true);
    ui->Chart1->setChart(m_weight);
    ui->Chart2->setChart(m_height);
    ui->Chart3->setChart(m_head);
    for (QChartView* view : { ui->Chart1, ui->Chart2, ui->Chart3 }) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setBackgroundBrush(Qt::white);
        view->setContextMenuPolicy(Qt::NoContextMenu);
    }
    ui->Chart1->setFrameShape(QFrame::NoFrame);
    ui->Chart2->setFrameShape(QFrame::NoFrame);
    // The read-outs follow the mouse without a button pressed.
    for (QChartView* view : { ui->Chart1, ui->Chart2 }) {
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(this);
    }

    QIcon help = QIcon::fromTheme(u"help-contents"_s);
    if (help.isNull())
        help = style()->standardIcon(QStyle::SP_DialogHelpButton);
    ui->tfXPButton1->setIcon(help);
    ui->tfXPButton1->setToolTip(u"Yardım"_s);

    connect(m_weight, &QChart::plotAreaChanged, this, &TChartF::placeOverlays);
    connect(m_height, &QChart::plotAreaChanged, this, &TChartF::placeOverlays);

    connect(ui->buyukBut, &QPushButton::clicked, this, &TChartF::buyukButClick);
    connect(ui->BoyutDegistir1, &QAction::triggered, this, &TChartF::buyukButClick);
    connect(ui->yazBut, &QPushButton::clicked, this, &TChartF::yazButClick);
    connect(ui->Yazdir1, &QAction::triggered, this, &TChartF::yazButClick);
    connect(ui->JvXPButton1, &QPushButton::clicked, this, &TChartF::JvXPButton1Click);
    connect(ui->kapatBut, &QPushButton::clicked, this, &TChartF::Kapat1Click);
    connect(ui->Kapat1, &QAction::triggered, this, &TChartF::Kapat1Click);
    connect(ui->tfXPButton1, &QToolButton::clicked, this, &TChartF::tfXPButton1Click);
    setUpGrowthReference();
}

TChartF::~TChartF() = default;

GrowthChart* TChartF::weightChart() const
{
    return m_weight;
}

GrowthChart* TChartF::heightChart() const
{
    return m_height;
}

GrowthChart* TChartF::headChart() const
{
    return m_head;
}

int TChartF::rangeStep() const
{
    return m_rangeStep;
}

// Sex code of the current child: "1" for "Erkek", "2" for anything else.
QString TChartF::sexCode() const
{
    const Field* cinsiyeti = screens().ozluk->sicilTable->FieldByName(u"cinsiyeti"_s);
    return cinsiyeti->AsString() == u"Erkek"_s ? u"1"_s : u"2"_s;
}

void TChartF::BitBtn2Click()
{
    CommandGuard::run([&] { fill(); });
}

void TChartF::fill()
{
    showChosenReference();
    for (GrowthChart* chart : { m_weight, m_height, m_head })
        chart->clearPoints();

    const QString sex = sexCode();
    Button1Click();

    DataSet* sicil = screens().ozluk->sicilTable;
    fillReference(ffTable1, m_weight, sex);

    const QLocale locale;
    const Field* dogumtarihi = sicil->FieldByName(u"dogumtarihi"_s);
    const QDate visitDate = screens().frmMain->visitDate();
    ui->adiLabel->setText(u"Adı, Soyadı   : "_s + sicil->FieldByName(u"adi"_s)->AsString() + u' '
        + sicil->FieldByName(u"soyadi"_s)->AsString());
    ui->dTarihiLabel->setText(u"D.Tarihi: "_s
        + (dogumtarihi->IsNull() ? QString()
                                 : locale.toString(dogumtarihi->AsDateTime().date(), QLocale::ShortFormat)));
    ui->gTarihiLabel->setText(u"G.Tarihi: "_s + locale.toString(visitDate, QLocale::ShortFormat));

    fillReference(ffTable2, m_height, sex);
    fillReference(ffTable3, m_head, sex);
    const TargetHeight target
        = TargetHeight::of(GrowthAssessment::sexOf(sicil->FieldByName(u"cinsiyeti"_s)->AsString()),
            sicil->FieldByName(u"anneboy"_s)->IsNull() ? 0.0 : sicil->FieldByName(u"anneboy"_s)->AsFloat(),
            sicil->FieldByName(u"bababoy"_s)->IsNull() ? 0.0 : sicil->FieldByName(u"bababoy"_s)->AsFloat());
    m_height->setTarget(target.centre, target.low(), target.high());

    // The child's measurements, at birth and at every visit, each on its chart.
    const GrowthChart* charts[] = { m_weight, m_height, m_head };
    const Field* birth[]
        = { sicil->FieldByName(u"dogumkilo"_s), sicil->FieldByName(u"dogumboy"_s), sicil->FieldByName(u"dogumbas"_s) };
    for (int i = 0; i < 3; ++i) {
        if (!birth[i]->IsNull())
            GrowthChart::addPoint(charts[i]->hasta(), QPointF(0, birth[i]->AsFloat()));
    }

    DataSet* visits = screens().frmMain->muayeneRQuery;
    const int visitCount = visits->Active() ? visits->rowCount() : 0;
    const QDate birthDay = dogumtarihi->IsNull() ? QDate() : dogumtarihi->AsDateTime().date();
    int yasIndex = -1;
    int tarihIndex = -1;
    int measureIndex[3] = { -1, -1, -1 };
    if (visitCount > 0) {
        yasIndex = visits->FieldByName(u"yas"_s)->index();
        tarihIndex = visits->FieldByName(u"tarih"_s)->index();
        measureIndex[0] = visits->FieldByName(u"kilo"_s)->index();
        measureIndex[1] = visits->FieldByName(u"boy"_s)->index();
        measureIndex[2] = visits->FieldByName(u"basc"_s)->index();
    }
    GrowthChart* const faint[] = { m_weight, m_height, m_head };
    // Each visit at the child's true age on the day of the visit.
    for (int row = 0; row < visitCount; ++row) {
        const QVariant yas = visits->rawValueAt(row, yasIndex);
        // A visit without an age ends the fill: nothing after it and no new range.
        if (isEmptyValue(yas))
            return;
        const QVariant tarih = visits->rawValueAt(row, tarihIndex);
        const QDate visitDay = isEmptyValue(tarih) ? QDate() : ValueFormats::readStoredDate(tarih.toString()).date();
        bool corrected = false;
        const double months = plotMonths(birthDay, visitDay, yas.toDouble(), corrected);
        for (int i = 0; i < 3; ++i) {
            const QVariant value = visits->rawValueAt(row, measureIndex[i]);
            if (!isEmptyValue(value))
                GrowthChart::addPoint(charts[i]->hasta(), QPointF(months, value.toDouble()));
            // A child born early: the corrected age on the line, the true age faintly beside it.
            if (!isEmptyValue(value) && corrected)
                faint[i]->chronological()->append(
                    AgeCalculator::chartMonths(birthDay, visitDay, yas.toDouble()), value.toDouble());
        }
    }

    const QDate birthDate = dogumtarihi->AsDateTime().date();
    m_rangeStep = RangeSteps::stepForMonths(RangeSteps::months(birthDate, visitDate));
    buyukButClick();
}

void TChartF::fillReference(DataSet* table, GrowthChart* chart, const QString& sex)
{
    if (GrowthSettings::standard() == GrowthStandard::Who) {
        fillGrowthReference(table, chart, sex);
        return;
    }
    if (!table->Active())
        table->Open();
    table->setFilter(u"sex='"_s + sex + u"'"_s);
    table->setFiltered(true);

    const Field* age = table->FieldByName(u"Age"_s);
    QList<const Field*> percentiles;
    for (const QString& name : GrowthChart::percentileFields())
        percentiles.append(table->FieldByName(name));

    QList<QList<QPointF>> points(GrowthChart::percentileCount);
    table->First();
    while (!table->Eof()) {
        // A row without an age has no place on the curves; an empty percentile leaves a gap.
        if (!age->IsNull()) {
            for (int i = 0; i < GrowthChart::percentileCount; ++i) {
                if (!percentiles.at(i)->IsNull())
                    points[i].append(QPointF(age->AsFloat(), percentiles.at(i)->AsFloat()));
            }
        }
        table->Next();
    }
    for (int i = 0; i < GrowthChart::percentileCount; ++i) {
        QList<QPointF>& curve = points[i];
        std::stable_sort(curve.begin(), curve.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        chart->line(i)->replace(curve);
    }
    chart->updateTexts();
}

void TChartF::Button1Click()
{
    CommandGuard::run([&] {
        const QColor color = sexCode() == u"1"_s ? boysColor : girlsColor;
        for (GrowthChart* chart : { m_weight, m_height, m_head })
            chart->setSexColor(color);
    });
}

void TChartF::buyukButClick()
{
    CommandGuard::run([&] {
        RangeSteps::Ranges r;
        if (!RangeSteps::rangesFor(m_rangeStep, r))
            return;
        m_weight->setValueAxis(r.weightMax, r.weightInterval);
        m_weight->setAgeAxis(r.ageMax, r.ageInterval);
        m_height->setAgeAxis(r.ageMax, r.ageInterval);
        m_height->setValueAxis(r.heightMax, m_height->valueAxis()->tickInterval());
        m_rangeStep = RangeSteps::next(m_rangeStep);
    });
}

void TChartF::yazButClick()
{
    CommandGuard::run([&] {
        QPrinter printer(QPrinter::HighResolution);
        if (!Dialogs::choosePrinter(this, printer))
            return;
        printPage(printer);
    });
}

void TChartF::printPage(QPrinter& printer)
{
    const WaitCursor wait;
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        throw DataError(u"Yazdırma başlatılamadı."_s);
    try {
        const QRectF paper = printer.pageLayout().paintRectPixels(printer.resolution());
        const double scale = std::min(paper.width() / pageWidth, paper.height() / pageHeight);
        const auto at = [scale](double x, double y) { return QPointF(x * scale, y * scale); };
        const auto box = [&](double x1, double y1, double x2, double y2) { return QRectF(at(x1, y1), at(x2, y2)); };

        QFont font(u"Arial"_s);
        font.setPointSizeF(10);
        font.setStyleHint(QFont::SansSerif);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const auto text = [&](double x, double y, const QString& s) {
            painter.drawText(QRectF(at(x, y), QSizeF(paper.width(), paper.height())),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
        };
        const double pixelsPerPoint = printer.resolution() / 72.0;
        m_weight->renderInto(&painter, box(60, 200, 1900, 2580), pixelsPerPoint);
        m_height->renderInto(&painter, box(1801, 200, 3300, 2580), pixelsPerPoint);
        m_head->renderInto(&painter, box(3281, 1900, 4030, 2500), pixelsPerPoint);

        // The texts go on last: the third header reaches into the weight chart's white top.
        text(120, 90, ui->adiLabel->text());
        text(120, 150, ui->dTarihiLabel->text());
        text(120, 210, ui->gTarihiLabel->text());
        text(3500, 1800, u"Baş Çevresi Grafiği"_s);
        if (!painter.end())
            throw DataError(u"Sayfa yazdırılamadı."_s);
    } catch (...) {
        printer.abort();
        if (painter.isActive())
            painter.end();
        throw;
    }
}

void TChartF::JvXPButton1Click()
{
    CommandGuard::run([&] {
        const bool show = ui->Chart3->isHidden();
        ui->Chart3->setVisible(show);
        ui->JvXPButton1->setText(show ? u"Baş Çevresi Gizle"_s : u"Baş Çevresi Göster"_s);
        keepCaptionClear();
    });
}

// The height chart's caption keeps clear of the buttons laid over the chart's top left.
void TChartF::keepCaptionClear()
{
    ui->chart2Layout->activate();
    QRect buttons;
    for (int i = 0; i < ui->buttonLayout->count(); ++i) {
        if (QWidget* w = ui->buttonLayout->itemAt(i)->widget(); w && !w->isHidden())
            buttons |= w->geometry();
    }
    QWidget* viewport = ui->Chart2->viewport();
    const QRect inViewport(viewport->mapFrom(ui->Chart2, buttons.topLeft()), buttons.size());
    const QRectF inScene = ui->Chart2->mapToScene(inViewport).boundingRect();
    m_height->setCaptionClearance(inScene);
}

void TChartF::Chart1MouseMove(const QPoint& position)
{
    CommandGuard::run([&] {
        const QPointF value
            = m_weight->mapToValue(m_weight->mapFromScene(ui->Chart1->mapToScene(position)), m_weight->line(0));
        ui->kiloEdit->setText(GrowthChart::formatValue(value.y()));
        ui->kiloAyEdit->setText(GrowthChart::formatValue(value.x()));
        showNearestPoint(m_weight, ui->Chart1, position, m_weightPointLabel);
    });
}

void TChartF::Chart2MouseMove(const QPoint& position)
{
    CommandGuard::run([&] {
        const QPointF value
            = m_height->mapToValue(m_height->mapFromScene(ui->Chart2->mapToScene(position)), m_height->line(0));
        ui->boyEdit->setText(GrowthChart::formatValue(value.y()));
        ui->boyAyEdit->setText(GrowthChart::formatValue(value.x()));
        showNearestPoint(m_height, ui->Chart2, position, m_heightPointLabel);
    });
}

void TChartF::Kapat1Click()
{
    CommandGuard::run([&] {
        TfrmMain* frmMain = screens().frmMain;
        if (frmMain)
            frmMain->setEnabled(true);
        hide();
        if (frmMain) {
            frmMain->show();
            frmMain->raise();
            frmMain->activateWindow();
        }
    });
}

void TChartF::tfXPButton1Click()
{
    CommandGuard::run([&] { screens().yardimF->showTopic(u"ygrafik"_s); });
}

void TChartF::FormHide()
{
    if (screens().frmMain)
        screens().frmMain->setEnabled(true);
}

void TChartF::hideEvent(QHideEvent* event)
{
    TScreen::hideEvent(event);
    // Minimising is no closing: the visit screen waits until the charts are really put away.
    if (!event->spontaneous())
        FormHide();
}

bool TChartF::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == ui->Chart2->viewport())
        keepCaptionClear();
    if (event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (watched == ui->Chart1->viewport())
            Chart1MouseMove(move->position().toPoint());
        else if (watched == ui->Chart2->viewport())
            Chart2MouseMove(move->position().toPoint());
    }
    return TScreen::eventFilter(watched, event);
}

// Keeps the labels, read-outs and the small chart inside the plot areas, clear of the axis
// labels.
void TChartF::placeOverlays()
{
    const QRectF weightPlot = m_weight->plotArea();
    if (weightPlot.isValid())
        ui->chart1Layout->setContentsMargins(
            int(weightPlot.left()) + 4, 4, 8, int(ui->Chart1->height() - weightPlot.bottom()) + 4);
    const QRectF heightPlot = m_height->plotArea();
    if (heightPlot.isValid())
        ui->chart2Layout->setContentsMargins(int(heightPlot.left()) + 4, 4, 8, 4);
}

// --- growth reference ---------------------------------------------------------------------

namespace {

constexpr double daysPerMonth = 30.4375;

GrowthIndicator indicatorOf(const DataSet* table)
{
    if (table->TableName() == u"zkilobir"_s)
        return GrowthIndicator::WeightForAge;
    if (table->TableName() == u"zuzunlukbir"_s)
        return GrowthIndicator::LengthForAge;
    return GrowthIndicator::HeadForAge;
}

} // namespace

void TChartF::setUpGrowthReference()
{
    auto* combo = m_referenceCombo = new QComboBox(this);
    combo->setObjectName(u"referansCombo"_s);
    combo->addItems({ u"CDC 2000"_s, u"WHO"_s });
    combo->setToolTip(u"Büyüme referansı (bütün program için)"_s);
    combo->setFocusPolicy(Qt::NoFocus);
    combo->setCurrentIndex(GrowthSettings::standard() == GrowthStandard::Who ? 1 : 0);
    // Beside the help button in the plot's empty top left corner, where it stays whole however
    // narrow the screen is.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ui->helpLayout->insertWidget(1, combo);
    connect(combo, &QComboBox::currentIndexChanged, this, &TChartF::referansComboChange);

    // The percentile and z of the child's point nearest the mouse, after the read-outs.
    const auto pointLabel = [this](QBoxLayout* layout, const QString& name) {
        auto* label = new QLabel(this);
        label->setObjectName(name);
        layout->insertWidget(layout->count() - 1, label);
        return label;
    };
    m_weightPointLabel = pointLabel(ui->kiloLayout, u"kiloNoktaLabel"_s);
    m_heightPointLabel = pointLabel(ui->boyLayout, u"boyNoktaLabel"_s);
}

// The reference box shows the program's choice as it stands when the charts are drawn.
void TChartF::showChosenReference()
{
    const QSignalBlocker quiet(m_referenceCombo);
    m_referenceCombo->setCurrentIndex(GrowthSettings::standard() == GrowthStandard::Who ? 1 : 0);
}

void TChartF::referansComboChange(int index)
{
    CommandGuard::run([&] {
        GrowthSettings::setStandard(index == 1 ? GrowthStandard::Who : GrowthStandard::Cdc2000);
        if (screens().ozluk && screens().ozluk->sicilTable->Active() && !screens().ozluk->sicilTable->IsEmpty())
            fill();
    });
}

// The WHO curves of the table's measurement from the shipped tables, in months; the daily rows
// to 5 years and the monthly ones after, as the reference has them.
void TChartF::fillGrowthReference(DataSet* table, GrowthChart* chart, const QString& sex)
{
    const GrowthReference& reference = GrowthReference::of(GrowthStandard::Who);
    QList<QList<QPointF>> points(GrowthChart::percentileCount);
    for (const GrowthReference::Piece& piece : reference.pieces(indicatorOf(table), sex.toInt())) {
        for (int i = 0; i < GrowthChart::percentileCount; ++i) {
            const std::vector<double>& values = piece.table->percentile(GrowthChart::percentileFields().at(i));
            QList<QPointF>& curve = points[i];
            curve.reserve(curve.size() + qsizetype(values.size()));
            for (int row = 0; row < int(values.size()); ++row)
                curve.append(QPointF(piece.table->indexAt(row) / daysPerMonth, values[std::size_t(row)]));
        }
    }
    for (int i = 0; i < GrowthChart::percentileCount; ++i)
        chart->line(i)->replace(points[i]);
    chart->updateTexts();
}

// A visit's place on the age axis: the corrected age of a child born early while it applies.
double TChartF::plotMonths(const QDate& birth, const QDate& visit, double storedAge, bool& corrected) const
{
    const Field* weeks = screens().ozluk->sicilTable->FieldByName(u"dogumhaftasi"_s);
    const int correction = CorrectedAge::correctionDays(weeks->IsNull() ? 0 : weeks->AsInteger(), birth, visit);
    corrected = correction > 0 && visit >= birth.addDays(correction);
    if (!corrected)
        return AgeCalculator::chartMonths(birth, visit, storedAge);
    return AgeCalculator::chartMonths(birth.addDays(correction), visit, storedAge);
}

void TChartF::showNearestPoint(GrowthChart* chart, QChartView* view, const QPoint& position, QLabel* label)
{
    const QPointF mouse = chart->mapFromScene(view->mapToScene(position));
    QXYSeries* child = chart->hasta();
    int nearest = -1;
    double best = 0;
    for (int i = 0; i < child->count(); ++i) {
        const QPointF at = chart->mapToPosition(child->at(i), child);
        const double d = std::hypot(at.x() - mouse.x(), at.y() - mouse.y());
        if (nearest < 0 || d < best) {
            nearest = i;
            best = d;
        }
    }
    if (nearest < 0) {
        label->clear();
        return;
    }
    const QPointF point = child->at(nearest);
    const GrowthResult result = GrowthAssessment::assess(GrowthSettings::standard(),
        chart == m_weight ? GrowthIndicator::WeightForAge : GrowthIndicator::LengthForAge, sexCode().toInt(),
        point.x() * daysPerMonth, point.y());
    label->setText(VisitGrowth::readOut(result));
}
