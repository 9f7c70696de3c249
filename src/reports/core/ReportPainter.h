#pragma once

#include <QString>

class PreparedReport;
class QPagedPaintDevice;
class QPainter;
class QRectF;

// Draws prepared pages: on screen at any zoom, into a PDF, on a printer.
class ReportPainter final
{
public:
    // Draws one page with its top left corner at the painter's origin, scale device pixels per
    // layout unit. The painter's device resolution is taken into account for the fonts.
    static void paintPage(QPainter& painter, const PreparedReport& report, int page, double scale);
    // Only the items that meet visible (in layout units of the page); the preview uses it.
    static void paintPage(
        QPainter& painter, const PreparedReport& report, int page, double scale, const QRectF& visible);

    // Prints pages first..last (0-based, inclusive) on a device that is already set up for the
    // report's paper (full page, no margins). False, with the reason, when the device failed;
    // the painter is ended then, and the caller aborts the job.
    static bool printPages(
        const PreparedReport& report, QPagedPaintDevice& device, int first, int last, QString* error = nullptr);
};
