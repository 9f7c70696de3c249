#include "ReportPageView.h"

#include "PreparedReport.h"
#include "ReportPainter.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

namespace {

constexpr int gap = 12; // pixels around and between pages

} // namespace

ReportPageView::ReportPageView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void ReportPageView::setReport(const PreparedReport* report)
{
    m_report = report;
    m_paintedPages.clear();
    m_lastPage = -1;
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    notifyPage();
}

void ReportPageView::reportChanged(const PreparedReport* report)
{
    m_report = report;
    updateScrollBars();
    viewport()->update();
    notifyPage();
}

void ReportPageView::setZoom(double percent)
{
    const int page = currentPage();
    m_fit = Fit::None;
    m_zoom = qBound(5.0, percent, 400.0);
    updateScrollBars();
    goToPage(page);
    viewport()->update();
}

void ReportPageView::setFit(Fit fit)
{
    const int page = currentPage();
    m_fit = fit;
    updateScrollBars();
    goToPage(page);
    viewport()->update();
}

double ReportPageView::zoom() const
{
    return scale() / (logicalDpiX() / 96.0) * 100.0;
}

ReportPageView::Fit ReportPageView::fit() const
{
    return m_fit;
}

double ReportPageView::scale() const
{
    const QSizeF paper = m_report && !m_report->pageSize().isEmpty() ? m_report->pageSize() : QSizeF(794, 1123);
    const QSize room = viewport()->size();
    switch (m_fit) {
    case Fit::PageWidth:
        return qMax(0.05, (room.width() - 2.0 * gap) / paper.width());
    case Fit::WholePage:
        return qMax(
            0.05, qMin((room.width() - 2.0 * gap) / paper.width(), (room.height() - 2.0 * gap) / paper.height()));
    case Fit::TwoPages:
        return qMax(
            0.05, qMin((room.width() - 3.0 * gap) / (2 * paper.width()), (room.height() - 2.0 * gap) / paper.height()));
    case Fit::None:
        break;
    }
    return m_zoom / 100.0 * logicalDpiX() / 96.0;
}

int ReportPageView::columns() const
{
    return m_fit == Fit::TwoPages ? 2 : 1;
}

QSizeF ReportPageView::pagePixels() const
{
    const QSizeF paper = m_report ? m_report->pageSize() : QSizeF();
    return paper * scale();
}

QSize ReportPageView::contentSize() const
{
    if (!m_report || m_report->pageCount() == 0)
        return QSize(0, 0);
    const QSizeF page = pagePixels();
    const int cols = columns();
    const int rows = (m_report->pageCount() + cols - 1) / cols;
    const double width = cols * page.width() + (cols + 1) * gap;
    const double height = rows * (page.height() + gap) + gap;
    return QSize(int(std::ceil(width)), int(std::ceil(qMin(height, 2.0e9))));
}

QRectF ReportPageView::pageRect(int page) const
{
    const QSizeF size = pagePixels();
    const int cols = columns();
    const int row = page / cols;
    const int col = page % cols;
    const QSize content = contentSize();
    // Centred when narrower than the view.
    const double left = qMax(0.0, (viewport()->width() - content.width()) / 2.0);
    return QRectF(
        left + gap + col * (size.width() + gap), gap + row * (size.height() + gap), size.width(), size.height());
}

void ReportPageView::updateScrollBars()
{
    const QSize content = contentSize();
    const QSize room = viewport()->size();
    verticalScrollBar()->setRange(0, qMax(0, content.height() - room.height()));
    verticalScrollBar()->setPageStep(room.height());
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - room.width()));
    horizontalScrollBar()->setPageStep(room.width());
    horizontalScrollBar()->setSingleStep(40);
}

int ReportPageView::currentPage() const
{
    if (!m_report || m_report->pageCount() == 0)
        return 0;
    const double rowHeight = pagePixels().height() + gap;
    if (rowHeight <= 0)
        return 0;
    // The page that holds the upper third of the view.
    const double y = verticalScrollBar()->value() + viewport()->height() / 3.0;
    const int row = int(qMax(0.0, (y - gap / 2.0) / rowHeight));
    return qBound(0, row * columns(), m_report->pageCount() - 1);
}

void ReportPageView::goToPage(int page)
{
    if (!m_report || m_report->pageCount() == 0)
        return;
    page = qBound(0, page, m_report->pageCount() - 1);
    const double rowHeight = pagePixels().height() + gap;
    verticalScrollBar()->setValue(int((page / columns()) * rowHeight));
    viewport()->update();
    notifyPage();
}

void ReportPageView::nextPage()
{
    goToPage(currentPage() + columns());
}

void ReportPageView::previousPage()
{
    goToPage(currentPage() - columns());
}

int ReportPageView::paintedPageCount() const
{
    return int(m_paintedPages.size());
}

void ReportPageView::notifyPage()
{
    const int page = currentPage();
    if (page != m_lastPage) {
        m_lastPage = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(128, 128, 128));
    if (!m_report || m_report->pageCount() == 0)
        return;

    const QPointF scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRectF visible = QRectF(event->rect()).translated(scroll);
    const double rowHeight = pagePixels().height() + gap;
    const int cols = columns();
    const int firstRow = qMax(0, int((visible.top() - gap) / rowHeight));
    const int lastRow = int(visible.bottom() / rowHeight);
    const double s = scale();
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int col = 0; col < cols; ++col) {
            const int page = row * cols + col;
            if (page >= m_report->pageCount())
                break;
            const QRectF area = pageRect(page);
            if (!area.intersects(visible))
                continue;
            const QRectF onScreen = area.translated(-scroll);
            painter.fillRect(onScreen.translated(3, 3), QColor(70, 70, 70));
            painter.fillRect(onScreen, Qt::white);
            painter.save();
            painter.translate(onScreen.topLeft());
            painter.setClipRect(QRectF(QPointF(0, 0), onScreen.size()));
            const QRectF seen = visible.intersected(area).translated(-area.topLeft());
            const QRectF seenOnPaper(seen.topLeft() / s, seen.size() / s);
            ReportPainter::paintPage(painter, *m_report, page, s, seenOnPaper);
            painter.restore();
            m_paintedPages.insert(page);
        }
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event)
{
    const int page = currentPage();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (m_fit != Fit::None)
        goToPage(page);
}

void ReportPageView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
        nextPage();
        return;
    case Qt::Key_PageUp:
        previousPage();
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            goToPage(0);
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier && m_report) {
            goToPage(m_report->pageCount() - 1);
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ReportPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    notifyPage();
}
