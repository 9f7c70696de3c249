#include "GrowthChart.h"

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

struct CurveStyle {
    QColor color;
    Qt::PenStyle style;
    int width;
};

// The outer bounds dark and solid, the median green and wider, the others lighter and dashed
// the further they lie from the median, so that the curves read apart without a legend.
CurveStyle curveStyle(int index)
{
    switch (index) {
    case 0: // P3
    case 8: // P97
        return { QColor(55, 71, 79), Qt::SolidLine, 2 };
    case 1: // P5
    case 7: // P95
        return { QColor(120, 144, 156), Qt::DotLine, 2 };
    case 2: // P10
    case 6: // P90
        return { QColor(96, 125, 139), Qt::DashLine, 2 };
    case 3: // P25
    case 5: // P75
        return { QColor(38, 115, 150), Qt::DashDotLine, 2 };
    case 4: // P50
        return { QColor(27, 120, 45), Qt::SolidLine, 3 };
    default: // the child
        return { QColor(Qt::red), Qt::SolidLine, 3 };
    }
}

// Which curve names win where two would overlap.
constexpr int namePriority[] = { 4, 0, 8, 2, 6, 3, 5, 1, 7 };

// The curve's value at age x, interpolated between its points; NaN where it has none.
double valueAt(const QXYSeries* series, double x)
{
    const int n = series->count();
    if (n == 0)
        return std::nan("");
    if (x <= series->at(0).x())
        return series->at(0).x() == x ? series->at(0).y() : std::nan("");
    for (int i = 1; i < n; ++i) {
        const QPointF a = series->at(i - 1);
        const QPointF b = series->at(i);
        if (x <= b.x()) {
            if (b.x() == a.x())
                return b.y();
            return a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
        }
    }
    return std::nan("");
}

} // namespace

const QStringList& GrowthChart::seriesNames()
{
    static const QStringList names { u"P3"_s, u"P5"_s, u"P10"_s, u"P25"_s, u"P50"_s, u"P75"_s, u"P90"_s, u"P95"_s,
        u"P97"_s, u"Hasta"_s };
    return names;
}

const QStringList& GrowthChart::percentileFields()
{
    static const QStringList fields = seriesNames().mid(0, percentileCount);
    return fields;
}

GrowthChart::GrowthChart(const QString& caption, CaptionPlace place, const Axis& age, const Axis& value)
    : m_place(place)
    , m_ageDesign(age)
    , m_valueDesign(value)
    , m_sexColor(Qt::black)
{
    setTheme(QChart::ChartThemeLight);
    setBackgroundBrush(Qt::white);
    setBackgroundRoundness(0);
    if (layout())
        layout()->setContentsMargins(0, 0, 0, 0);
    setDropShadowEnabled(false);
    setAnimationOptions(QChart::NoAnimation);
    legend()->hide();
    setLocalizeNumbers(true);
    setLocale(QLocale());

    m_ageAxis = new QValueAxis(this);
    m_valueAxis = new QValueAxis(this);
    setupAxis(m_ageAxis, age);
    setupAxis(m_valueAxis, value);
    addAxis(m_ageAxis, Qt::AlignBottom);
    addAxis(m_valueAxis, Qt::AlignLeft);

    for (int i = 0; i <= hastaIndex; ++i) {
        auto* series = new QLineSeries(this);
        series->setName(seriesNames().at(i));
        // The child's measurements carry a mark each, so that a single one shows too.
        series->setPointsVisible(i == hastaIndex);
        series->setMarkerSize(5);
        series->setPointLabelsVisible(false);
        const CurveStyle s = curveStyle(i);
        QPen pen(s.color, s.width, s.style, Qt::RoundCap, Qt::RoundJoin);
        series->setPen(pen);
        addSeries(series);
        series->attachAxis(m_ageAxis);
        series->attachAxis(m_valueAxis);
        m_lines.append(series);
    }

    m_targetName = new QGraphicsSimpleTextItem(this);
    m_targetName->setBrush(QColor(106, 27, 154));
    m_targetName->setZValue(10);
    m_targetName->hide();
    m_target[0] = std::nan("");

    m_caption = new QGraphicsSimpleTextItem(caption, this);
    m_caption->setZValue(10);
    for (int i = 0; i < percentileCount; ++i) {
        auto* name = new QGraphicsSimpleTextItem(seriesNames().at(i), this);
        name->setBrush(curveStyle(i).color.darker(120));
        name->setZValue(10);
        m_curveNames.append(name);
    }

    setCompact(false);
    setSexColor(Qt::black);

    connect(this, &QChart::plotAreaChanged, this, &GrowthChart::updateTexts);
    connect(m_ageAxis, &QValueAxis::rangeChanged, this, &GrowthChart::updateTexts);
    connect(m_valueAxis, &QValueAxis::rangeChanged, this, &GrowthChart::updateTexts);
}

GrowthChart::~GrowthChart() = default;

void GrowthChart::setupAxis(QValueAxis* axis, const Axis& design)
{
    axis->setRange(design.min, design.max);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(design.min);
    axis->setTickInterval(design.interval);
    axis->setMinorTickCount(design.minorTicks);
    axis->setLabelFormat(u"%.0f"_s);
    axis->setGridLineVisible(true);
    axis->setMinorGridLineVisible(true);
}

QLineSeries* GrowthChart::line(int index) const
{
    return m_lines.value(index);
}

QLineSeries* GrowthChart::hasta() const
{
    return m_lines.at(hastaIndex);
}

QValueAxis* GrowthChart::ageAxis() const
{
    return m_ageAxis;
}

QValueAxis* GrowthChart::valueAxis() const
{
    return m_valueAxis;
}

QString GrowthChart::caption() const
{
    return m_caption->text();
}

QColor GrowthChart::captionColor() const
{
    return m_caption->brush().color();
}

QGraphicsSimpleTextItem* GrowthChart::captionItem() const
{
    return m_caption;
}

void GrowthChart::clearPoints()
{
    for (QLineSeries* series : std::as_const(m_lines))
        series->clear();
    if (m_chronological)
        m_chronological->clear();
    updateTexts();
}

// Made on first use, so that a chart without them has its ten series only.
QScatterSeries* GrowthChart::chronological()
{
    if (!m_chronological) {
        m_chronological = new QScatterSeries(this);
        m_chronological->setName(u"Takvim yaşı"_s);
        m_chronological->setMarkerSize(6);
        m_chronological->setColor(QColor(255, 0, 0, 70));
        m_chronological->setBorderColor(QColor(255, 0, 0, 70));
        addSeries(m_chronological);
        m_chronological->attachAxis(m_ageAxis);
        m_chronological->attachAxis(m_valueAxis);
    }
    return m_chronological;
}

void GrowthChart::setTarget(double centre, double low, double high)
{
    m_target[0] = centre;
    m_target[1] = low;
    m_target[2] = high;
    m_targetName->setText(std::isnan(centre) ? QString() : u"Hedef "_s + formatValue(centre));
    placeTarget();
}

QPointF GrowthChart::targetPoint() const
{
    return std::isnan(m_target[0]) ? QPointF(std::nan(""), std::nan("")) : QPointF(m_ageAxis->max(), m_target[0]);
}

QString GrowthChart::targetText() const
{
    return m_targetName->text();
}

// The target stands on the right edge of the plot at whatever age the axis reaches.
void GrowthChart::placeTarget()
{
    if (std::isnan(m_target[0])) {
        if (m_targetRange)
            m_targetRange->clear();
        m_targetName->hide();
        return;
    }
    if (!m_targetRange) {
        m_targetRange = new QLineSeries(this);
        m_targetRange->setName(u"Hedef boy"_s);
        m_targetRange->setPen(QPen(QColor(106, 27, 154), 5, Qt::SolidLine, Qt::FlatCap));
        m_targetRange->setPointsVisible(true);
        m_targetRange->setMarkerSize(7);
        addSeries(m_targetRange);
        m_targetRange->attachAxis(m_ageAxis);
        m_targetRange->attachAxis(m_valueAxis);
    }
    const double x = m_ageAxis->max();
    const QList<QPointF> points { QPointF(x, m_target[1]), QPointF(x, m_target[0]), QPointF(x, m_target[2]) };
    if (m_targetRange->points() != points)
        m_targetRange->replace(points);
    const bool inside = m_target[0] >= m_valueAxis->min() && m_target[0] <= m_valueAxis->max();
    m_targetName->setVisible(inside && plotArea().isValid());
    if (inside && plotArea().isValid()) {
        const QPointF at = mapToPosition(QPointF(x, m_target[0]), m_targetRange);
        const QRectF r = m_targetName->boundingRect();
        m_targetName->setPos(at.x() - r.width() - 6, at.y() - r.height() - 2);
    }
}

void GrowthChart::setSexColor(const QColor& color)
{
    m_sexColor = color;
    applyAxisPens();
    // A title takes the colour; a caption inside the plot stays dark to be read over the grid.
    m_caption->setBrush(m_place == CaptionPlace::AbovePlotRight ? color : QColor(60, 60, 60));
}

void GrowthChart::applyAxisPens()
{
    for (QValueAxis* axis : { m_ageAxis, m_valueAxis }) {
        // The axis line pen also draws the major and minor ticks.
        axis->setLinePen(QPen(m_sexColor, 1));
        axis->setGridLinePen(QPen(m_sexColor, 1, Qt::SolidLine));
        axis->setMinorGridLinePen(QPen(m_sexColor, 1, Qt::DotLine));
    }
}

void GrowthChart::setAgeAxis(double max, double interval)
{
    m_ageDesign.max = max;
    m_ageDesign.interval = interval;
    m_ageAxis->setMax(max);
    m_ageAxis->setTickInterval(interval);
    fitLabels();
}

void GrowthChart::setValueAxis(double max, double interval)
{
    m_valueDesign.max = max;
    m_valueDesign.interval = interval;
    m_valueAxis->setMax(max);
    m_valueAxis->setTickInterval(interval);
    fitLabels();
}

const GrowthChart::Axis& GrowthChart::ageDesign() const
{
    return m_ageDesign;
}

const GrowthChart::Axis& GrowthChart::valueDesign() const
{
    return m_valueDesign;
}

void GrowthChart::fitLabels()
{
    if (!m_compact)
        return;
    const QRectF plot = plotArea();
    if (!plot.isValid())
        return;
    const QFontMetricsF metrics(m_ageAxis->labelsFont());
    const auto fit = [](QValueAxis* axis, const Axis& design, double pixels, double needed) {
        // The axis draws a label only where it has room for it with some padding.
        int every = 1;
        for (int candidate : { 1, 2, 5, 10 }) {
            every = candidate;
            if (pixels * design.interval * candidate / (design.max - design.min) >= needed)
                break;
        }
        const double interval = design.interval * every;
        const int minor = (design.minorTicks + 1) * every - 1;
        if (axis->tickInterval() != interval || axis->minorTickCount() != minor) {
            axis->setTickInterval(interval);
            axis->setMinorTickCount(minor);
        }
    };
    const QString widest = QLocale().toString(std::max(std::abs(m_ageDesign.min), std::abs(m_ageDesign.max)), 'f', 0);
    fit(m_ageAxis, m_ageDesign, plot.width(), metrics.horizontalAdvance(widest) + 14);
    fit(m_valueAxis, m_valueDesign, plot.height(), metrics.height() + 12);
}

void GrowthChart::setCompact(bool compact)
{
    m_compact = compact;
    QFont labels = font();
    labels.setPointSizeF(compact ? 6.5 : 8.5);
    m_ageAxis->setLabelsFont(labels);
    m_valueAxis->setLabelsFont(labels);

    QFont captionFont = font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(compact ? 7.5 : 11);
    m_caption->setFont(captionFont);

    QFont nameFont = font();
    nameFont.setPointSizeF(compact ? 5.5 : 7.5);
    m_targetName->setFont(nameFont);
    for (QGraphicsSimpleTextItem* name : std::as_const(m_curveNames))
        name->setFont(nameFont);

    // Room for the caption above the plot and for the curve names on its right.
    const QFontMetricsF captionMetrics(captionFont);
    const QFontMetricsF nameMetrics(nameFont);
    const int right = int(std::ceil(nameMetrics.horizontalAdvance(u"P97"_s))) + 6;
    const int top = m_place == CaptionPlace::AbovePlotRight ? int(std::ceil(captionMetrics.height())) + 10 : 4;
    m_designTop = top;
    setMargins(QMargins(compact ? 2 : 4, top, right, compact ? 2 : 4));
    updateTexts();
}

void GrowthChart::setCaptionClearance(const QRectF& area)
{
    if (m_clearance == area)
        return;
    m_clearance = area;
    updateTexts();
}

QRectF GrowthChart::captionRect() const
{
    return m_caption->sceneBoundingRect();
}

void GrowthChart::addPoint(QXYSeries* series, const QPointF& point)
{
    const int n = series->count();
    if (n == 0 || series->at(n - 1).x() <= point.x()) {
        series->append(point);
        return;
    }
    // First point with a greater age: the new one goes just before it.
    int lo = 0;
    int hi = n;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (series->at(mid).x() <= point.x())
            lo = mid + 1;
        else
            hi = mid;
    }
    series->insert(lo, point);
}

QString GrowthChart::formatValue(double value)
{
    const QLocale locale;
    const double rounded = std::round(value * 1000.0) / 1000.0;
    QString text = locale.toString(rounded == 0.0 ? 0.0 : rounded, 'f', 3);
    const QString decimal = locale.decimalPoint();
    const qsizetype point = text.lastIndexOf(decimal);
    if (point >= 0) {
        qsizetype end = text.size();
        while (end > point + decimal.size() && text.at(end - 1) == u'0')
            --end;
        if (end == point + decimal.size())
            end = point;
        text.truncate(end);
    }
    return text;
}

void GrowthChart::updateTexts()
{
    const QRectF plot = plotArea();
    if (!plot.isValid())
        return;
    fitLabels();

    placeTarget();
    const QRectF c = m_caption->boundingRect();
    if (m_place == CaptionPlace::AbovePlotRight) {
        // Above the plot at its right end; below the controls laid over the chart when it would
        // run into them, with the plot moved down to make room.
        const double left = plot.right() - c.width();
        const bool blocked = m_clearance.isValid() && !m_clearance.isEmpty() && left < m_clearance.right() + 8;
        const int top = blocked ? int(std::ceil(m_clearance.bottom() + c.height())) + 6 : m_designTop;
        if (top != margins().top()) {
            QMargins m = margins();
            m.setTop(top);
            setMargins(m); // lays the chart out again and comes back here
            return;
        }
        m_caption->setPos(left, std::max(0.0, plot.top() - c.height() - 4));
    } else
        m_caption->setPos(plot.right() - c.width() - 4, plot.bottom() - c.height() - 2);

    // Each curve named where it leaves the plot on the right, the more important names first.
    const double xEnd = m_ageAxis->max();
    QList<QRectF> taken;
    for (int index : namePriority) {
        QGraphicsSimpleTextItem* name = m_curveNames.at(index);
        QLineSeries* series = m_lines.at(index);
        double x = xEnd;
        double y = valueAt(series, x);
        if (std::isnan(y) && series->count() > 0 && series->at(series->count() - 1).x() < xEnd) {
            x = series->at(series->count() - 1).x();
            y = series->at(series->count() - 1).y();
        }
        if (std::isnan(y) || y < m_valueAxis->min() || y > m_valueAxis->max() || x < m_ageAxis->min()) {
            name->hide();
            continue;
        }
        const QPointF at = mapToPosition(QPointF(x, y), series);
        const QRectF r = name->boundingRect();
        QRectF place(QPointF(at.x() + 3, at.y() - r.height() / 2), r.size());
        if (x < xEnd)
            place.moveLeft(at.x() + 3);
        bool clash = false;
        for (const QRectF& other : std::as_const(taken))
            clash = clash || place.adjusted(0, -1, 0, 1).intersects(other);
        if (clash) {
            name->hide();
            continue;
        }
        taken.append(place);
        name->setPos(place.topLeft());
        name->show();
    }
}

void GrowthChart::renderInto(QPainter* painter, const QRectF& target, double pixelsPerPoint)
{
    const QRectF before = geometry();
    // Nothing is laid over a printed chart.
    const QRectF clearance = std::exchange(m_clearance, QRectF());
    // Lay the chart out as a screen of 96 pixels per inch would show a chart of the target's
    // size, then scale that picture onto the target.
    const double scale = pixelsPerPoint * 72.0 / 96.0;
    setGeometry(QRectF(before.topLeft(), target.size() / scale));
    settle();
    const QRectF source = mapRectToScene(rect());
    scene()->render(painter, target, source, Qt::KeepAspectRatio);
    m_clearance = clearance;
    setGeometry(before);
    settle();
}

// Lays the chart out now and places its texts; twice, as placing the caption may first move
// the plot.
void GrowthChart::settle()
{
    for (int pass = 0; pass < 2; ++pass) {
        if (layout())
            layout()->activate();
        updateTexts();
    }
}
