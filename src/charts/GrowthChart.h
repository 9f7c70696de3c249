#pragma once

#include <QChart>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QPainter;
class QScatterSeries;
class QValueAxis;
class QXYSeries;

// One growth chart: nine percentile curves and the child's line over an age axis (months) and
// a value axis, white, with major and minor grids and no legend. Its caption is a text of its
// own that stands right-aligned above the plot area (the chart's title) or inside the plot
// area's lower right corner; each percentile curve is named at the right edge of the plot.
class GrowthChart final : public QChart
{
    Q_OBJECT

public:
    struct Axis {
        double min = 0;
        double max = 0;
        double interval = 1; // one label every interval
        int minorTicks = 0; // between two labels
    };
    enum class CaptionPlace {
        AbovePlotRight, // a title, right-aligned over the plot area
        InsidePlotLowerRight,
    };

    // Series indexes: P3 .. P97 are 0 .. 8, the child is 9.
    static constexpr int percentileCount = 9;
    static constexpr int hastaIndex = 9;
    static const QStringList& seriesNames();
    // Names of the percentile fields of the reference tables, in series order.
    static const QStringList& percentileFields();

    GrowthChart(const QString& caption, CaptionPlace place, const Axis& age, const Axis& value);
    ~GrowthChart() override;

    QLineSeries* line(int index) const;
    QLineSeries* hasta() const;
    QValueAxis* ageAxis() const;
    QValueAxis* valueAxis() const;

    QString caption() const;
    QColor captionColor() const;
    QGraphicsSimpleTextItem* captionItem() const;

    // Removes every point of every series.
    void clearPoints();
    // The child's points at chronological age, drawn faintly where the line shows the
    // corrected age; not one of the indexed series.
    QScatterSeries* chronological();
    // The target height and its range as a mark at the right edge of the plot; NaN removes it.
    void setTarget(double centre, double low, double high);
    // The mark's centre in chart values (NaN when there is none), and its caption.
    QPointF targetPoint() const;
    QString targetText() const;
    // The colour of the axes (lines, ticks, grids) and of the caption.
    void setSexColor(const QColor& color);
    void setAgeAxis(double max, double interval);
    void setValueAxis(double max, double interval);
    // Smaller texts for a small chart, whose labels thin out (every 2nd, 5th, 10th) where
    // the designed ones would not fit; the grid keeps its designed spacing.
    void setCompact(bool compact);
    const Axis& ageDesign() const;
    const Axis& valueDesign() const;

    // Adds a point keeping the series sorted by age; a point of equal age goes after the ones
    // already there.
    static void addPoint(QXYSeries* series, const QPointF& point);
    // The read-out format of the values: digit grouping and at most three decimals, in the
    // program's locale ("#,##0.###").
    static QString formatValue(double value);

    // Moves the caption and the curve names to the current plot area and axis ranges.
    void updateTexts();
    // Controls laid over the chart's top left (in scene coordinates): a caption above the plot
    // that would run into them goes below them, and the plot makes room for it.
    void setCaptionClearance(const QRectF& area);
    // Where the caption stands, in scene coordinates.
    QRectF captionRect() const;
    // Draws the chart alone into target of painter, laid out for a page of that size
    // (pixelsPerPoint: device pixels of one typographic point), then returns to its own size.
    void renderInto(QPainter* painter, const QRectF& target, double pixelsPerPoint);

private:
    void settle();
    void applyAxisPens();
    void fitLabels();
    void setupAxis(QValueAxis* axis, const Axis& design);

    void placeTarget();

    QList<QLineSeries*> m_lines;
    QScatterSeries* m_chronological = nullptr;
    QLineSeries* m_targetRange = nullptr;
    QGraphicsSimpleTextItem* m_targetName = nullptr;
    double m_target[3] = { 0, 0, 0 }; // centre, low, high; NaN centre: none
    QValueAxis* m_ageAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
    QGraphicsSimpleTextItem* m_caption = nullptr;
    QList<QGraphicsSimpleTextItem*> m_curveNames;
    CaptionPlace m_place;
    Axis m_ageDesign;
    Axis m_valueDesign;
    QColor m_sexColor;
    bool m_compact = false;
    QRectF m_clearance;
    int m_designTop = 0;
};
