#include "ReportPainter.h"

#include "PreparedReport.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>

using namespace Qt::StringLiterals;

namespace {

// Room between a box's edges and its text, in layout units.
constexpr double textPadding = 2;

void paintItem(
    QPainter& painter, const PreparedReport::Item& item, const PreparedReport::Style& style, const QFont& font)
{
    const QRectF& r = item.rect;
    if (style.background.isValid())
        painter.fillRect(r, style.background);
    if (!item.text.isEmpty()) {
        painter.setFont(font);
        painter.setPen(style.color);
        const QRectF inner = r.adjusted(textPadding, 0, -textPadding, 0);
        int flags = style.alignment;
        if (style.wordWrap)
            flags |= Qt::TextWordWrap;
        // drawText cuts the text off at the box by itself, and only when it does not fit.
        if (!style.clip)
            flags |= Qt::TextDontClip;
        painter.drawText(inner, flags, item.text);
    }
    if (style.frames != PreparedReport::FrameNone) {
        QPen pen(Qt::black);
        pen.setWidthF(style.frameWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        if (style.frames & PreparedReport::FrameTop)
            painter.drawLine(r.topLeft(), r.topRight());
        if (style.frames & PreparedReport::FrameBottom)
            painter.drawLine(r.bottomLeft(), r.bottomRight());
        if (style.frames & PreparedReport::FrameLeft)
            painter.drawLine(r.topLeft(), r.bottomLeft());
        if (style.frames & PreparedReport::FrameRight)
            painter.drawLine(r.topRight(), r.bottomRight());
    }
}

} // namespace

void ReportPainter::paintPage(QPainter& painter, const PreparedReport& report, int page, double scale)
{
    paintPage(painter, report, page, scale, QRectF(QPointF(0, 0), report.pageSize()));
}

void ReportPainter::paintPage(
    QPainter& painter, const PreparedReport& report, int page, double scale, const QRectF& visible)
{
    if (page < 0 || page >= report.pageCount())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.scale(scale, scale);

    // Font sizes are points of the paper: with the painter scaled to layout units the device's
    // own resolution must not count twice.
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    const double fontFactor = 96.0 / (dpi > 0 ? dpi : 96);
    QList<QFont> fonts;
    fonts.reserve(report.styles().size());
    for (const PreparedReport::Style& s : report.styles()) {
        QFont f = s.font();
        f.setPointSizeF(s.fontSize * fontFactor);
        fonts << f;
    }

    for (const PreparedReport::Item& item : report.page(page).items) {
        if (!item.rect.intersects(visible) && !(item.rect.height() == 0 && visible.contains(item.rect.topLeft())))
            continue;
        paintItem(painter, item, report.style(item.style), fonts.at(item.style));
    }
    painter.restore();
}

bool ReportPainter::printPages(
    const PreparedReport& report, QPagedPaintDevice& device, int first, int last, QString* error)
{
    first = qMax(0, first);
    last = qMin(last, report.pageCount() - 1);
    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = u"Yazdırma başlatılamadı."_s;
        return false;
    }
    const double scale = device.logicalDpiX() / 96.0;
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage()) {
            painter.end();
            if (error)
                *error = u"Yazıcı %1. sayfada hata verdi."_s.arg(page + 1);
            return false;
        }
        paintPage(painter, report, page, scale);
        if (!painter.isActive()) {
            if (error)
                *error = u"Yazıcı %1. sayfada hata verdi."_s.arg(page + 1);
            return false;
        }
    }
    painter.end();
    return true;
}
