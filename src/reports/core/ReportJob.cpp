#include "ReportJob.h"

#include "DataSet.h"
#include "ReportBindings.h"
#include "ReportError.h"
#include "ReportExpression.h"
#include "ReportLayout.h"

#include <QFontMetricsF>
#include <QImage>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using Kind = ReportLayout::BandKind;

constexpr double textPadding = 2; // as ReportPainter leaves at the sides
constexpr double measureSlack = 2; // room for small differences of the paper's text layout

struct CompiledBox {
    const ReportLayout::TextBox* box = nullptr;
    ReportExpression text;
    ReportExpression highlight;
    bool hasHighlight = false;
    bool hasText = false;
    int style = 0;
    int highlightStyle = 0;
    double offset = 0; // top within the band
};

struct CompiledBand {
    const ReportLayout::Band* band = nullptr;
    QList<CompiledBox> boxes;
    DataSet* dataSet = nullptr;
    bool measures = false; // grows with word-wrapped text
};

struct Fixup {
    int page;
    qsizetype item;
    const ReportExpression* text;
    ReportExpression::Context context;
};

// The measuring device: 96 dots per inch, so that measured heights are layout units.
const QPaintDevice* measureDevice()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(qRound(96 / 0.0254));
        i.setDotsPerMeterY(qRound(96 / 0.0254));
        return i;
    }();
    return &image;
}

} // namespace

struct ReportJob::Private {
    Private(const ReportLayout& layout, const ReportBindings& bindings, const QDateTime& now)
        : m_layout(layout)
        , m_bindings(bindings)
    {
        m_context.now = now;
        m_report.setLayoutName(m_layout.name());
        m_report.setTitle(m_layout.title());
        m_report.setPageSize(m_layout.pageSize());
        compile();
        const QMarginsF m = m_layout.margins();
        m_footerTop = m_layout.pageSize().height() - m.bottom() - height(m_footers);
        m_bodyBottom = m_footerTop;
        // The most a data row may take: a whole page below the page headers.
        m_rowRoom = m_bodyBottom - m.top() - height(m_headers);
        if (m_rowRoom <= 1)
            throw ReportError(u"Layout \"%1\": the page headers and footers leave no room"_s.arg(m_layout.name()));
    }

    // Makes up to rows data rows; true when the report is done.
    bool step(int rows)
    {
        if (m_done)
            return true;
        if (m_report.pageCount() == 0)
            startPage();
        int made = 0;
        while (m_band < m_masters.size()) {
            const CompiledBand& band = m_masters.at(m_band);
            if (m_row == 0)
                m_rows = band.dataSet->rowCount();
            m_context.master = band.dataSet;
            while (m_row < m_rows) {
                if (made >= rows) {
                    m_context.row = -1;
                    return false;
                }
                m_context.row = m_row;
                m_context.line = m_row + 1;
                // A row taller than a page is cut off at the page's end.
                const double h = qMin(rowHeight(band), m_rowRoom);
                if (m_y + h > m_bodyBottom + 0.01) {
                    endPage();
                    startPage();
                }
                place(band, h);
                ++m_row;
                ++made;
            }
            m_context.row = -1;
            m_context.master = nullptr;
            m_row = 0;
            ++m_band;
        }
        endPage();
        m_context.totalPages = m_report.pageCount();
        for (const Fixup& f : std::as_const(m_fixups)) {
            ReportExpression::Context c = f.context;
            c.totalPages = m_context.totalPages;
            m_report.page(f.page).items[f.item].text = f.text->evaluate(c);
        }
        m_fixups.clear();
        m_done = true;
        return true;
    }

    static double height(const QList<CompiledBand>& bands)
    {
        double h = 0;
        for (const CompiledBand& b : bands)
            h += b.band->height;
        return h;
    }

    PreparedReport::Style styleOf(const ReportLayout::TextBox& box) const
    {
        PreparedReport::Style s;
        s.fontFamily = box.fontFamily.isEmpty() ? m_layout.fontFamily() : box.fontFamily;
        s.fontSize = box.fontSize;
        s.bold = box.bold;
        s.color = box.color;
        s.background = box.background;
        s.alignment = box.alignment;
        s.frames = box.frames;
        s.frameWidth = box.frameWidth;
        s.wordWrap = box.wordWrap;
        s.clip = box.clip;
        return s;
    }

    DataSet* masterDataSet(const QString& name) const
    {
        const qsizetype dot = name.indexOf(u'.');
        const QString screen = dot < 0 ? QString() : name.left(dot);
        const QString set = dot < 0 ? name : name.mid(dot + 1);
        DataSet* ds = m_bindings.find(screen, set);
        if (!ds)
            throw ReportError(u"Undefined data set \"%1\" of the master data band"_s.arg(name));
        if (!ds->Active())
            throw ReportError(u"Data set \"%1\" is closed"_s.arg(name));
        return ds;
    }

    void compile()
    {
        for (const ReportLayout::Band& band : m_layout.bands()) {
            CompiledBand cb;
            cb.band = &band;
            if (band.kind == Kind::MasterData)
                cb.dataSet = masterDataSet(band.dataSet);
            for (const ReportLayout::TextBox& box : band.boxes) {
                CompiledBox c;
                c.box = &box;
                c.offset = box.top - band.top;
                c.text = ReportExpression::compile(box.text, box.format, m_bindings);
                c.hasText = !c.text.isEmpty();
                PreparedReport::Style style = styleOf(box);
                c.style = m_report.addStyle(style);
                if (!box.highlight.isEmpty()) {
                    c.highlight = ReportExpression::compileCondition(box.highlight, m_bindings);
                    c.hasHighlight = true;
                    style.background = box.highlightBackground;
                    c.highlightStyle = m_report.addStyle(style);
                }
                if (band.kind == Kind::MasterData && band.grow && box.wordWrap && c.hasText)
                    cb.measures = true;
                cb.boxes << c;
            }
            switch (band.kind) {
            case Kind::ReportTitle:
                m_titles << cb;
                break;
            case Kind::PageHeader:
                m_headers << cb;
                break;
            case Kind::MasterData:
                m_masters << cb;
                break;
            case Kind::PageFooter:
                m_footers << cb;
                break;
            }
        }
        for (const PreparedReport::Style& s : m_report.styles())
            m_metrics.emplace_back(QFontMetricsF(s.font(), measureDevice()));
    }

    void startPage()
    {
        m_report.addPage();
        m_context.page = m_report.pageCount();
        m_y = m_layout.margins().top();
        const int row = m_context.row;
        m_context.row = -1;
        if (m_report.pageCount() == 1) {
            for (const CompiledBand& b : std::as_const(m_titles))
                place(b, b.band->height);
        }
        for (const CompiledBand& b : std::as_const(m_headers))
            place(b, b.band->height);
        m_context.row = row;
    }

    void endPage()
    {
        const int row = m_context.row;
        m_context.row = -1;
        m_y = m_footerTop;
        for (const CompiledBand& b : std::as_const(m_footers))
            place(b, b.band->height);
        m_context.row = row;
    }

    double rowHeight(const CompiledBand& band)
    {
        double h = band.band->height;
        if (!band.measures)
            return h;
        for (const CompiledBox& c : band.boxes) {
            if (!c.box->wordWrap || !c.hasText)
                continue;
            const QString text = c.text.evaluate(m_context);
            if (text.isEmpty())
                continue;
            const QFontMetricsF& fm = *m_metrics[size_t(c.style)];
            const QRectF room(0, 0, qMax(1.0, c.box->width - 2 * textPadding), 1e7);
            const double textHeight = fm.boundingRect(room, Qt::TextWordWrap | c.box->alignment, text).height();
            h = qMax(h, c.offset + textHeight + measureSlack);
        }
        return h;
    }

    void place(const CompiledBand& band, double bandHeight)
    {
        const double x0 = m_layout.margins().left();
        const bool grew = bandHeight > band.band->height + 0.01;
        const bool shrank = bandHeight < band.band->height - 0.01;
        const double bottom = m_y + bandHeight;
        QList<PreparedReport::Item>& items = m_report.page(m_report.pageCount() - 1).items;
        for (const CompiledBox& c : band.boxes) {
            const ReportLayout::TextBox& box = *c.box;
            int style = c.style;
            if (c.hasHighlight && c.highlight.holds(m_context))
                style = c.highlightStyle;
            const PreparedReport::Style& s = m_report.style(style);
            QString text;
            if (c.hasText)
                text = c.text.evaluate(m_context);
            if (text.isEmpty() && !s.background.isValid() && s.frames == PreparedReport::FrameNone)
                continue;
            const double top = m_y + c.offset;
            double h = box.height;
            if (box.stretch && (grew || shrank))
                h = bandHeight - c.offset;
            else if (grew && box.wordWrap)
                h = qMax(h, bandHeight - c.offset);
            if (top + h > bottom && (grew || shrank))
                h = qMax(0.0, bottom - top);
            PreparedReport::Item item;
            item.rect = QRectF(x0 + box.left, top, box.width, h);
            item.text = std::move(text);
            item.style = style;
            items.append(std::move(item));
            if (c.text.usesTotalPages())
                m_fixups.append({ m_report.pageCount() - 1, items.size() - 1, &c.text, m_context });
        }
        m_y += bandHeight;
    }

    const ReportLayout m_layout;
    const ReportBindings m_bindings;
    PreparedReport m_report;
    ReportExpression::Context m_context;
    QList<CompiledBand> m_titles;
    QList<CompiledBand> m_headers;
    QList<CompiledBand> m_masters;
    QList<CompiledBand> m_footers;
    std::vector<std::optional<QFontMetricsF>> m_metrics;
    QList<Fixup> m_fixups;
    double m_y = 0;
    double m_footerTop = 0;
    double m_bodyBottom = 0;
    double m_rowRoom = 0;
    qsizetype m_band = 0; // master band being made
    int m_row = 0; // its next row
    int m_rows = 0; // its row count
    bool m_done = false;
};

ReportJob::ReportJob(const ReportLayout& layout, const ReportBindings& bindings, const QDateTime& now)
    : d(std::make_unique<Private>(layout, bindings, now))
{ }

ReportJob::~ReportJob() = default;

bool ReportJob::step(int rows)
{
    return d->step(qMax(1, rows));
}

void ReportJob::makePages(int count)
{
    while (!d->m_done && completePages() < count)
        d->step(64);
}

void ReportJob::finish()
{
    while (!d->step(1 << 20)) { }
}

bool ReportJob::done() const
{
    return d->m_done;
}

int ReportJob::completePages() const
{
    const int pages = d->m_report.pageCount();
    return d->m_done ? pages : qMax(0, pages - 1);
}

const PreparedReport& ReportJob::report() const
{
    return d->m_report;
}

PreparedReport ReportJob::take()
{
    finish();
    return std::move(d->m_report);
}
