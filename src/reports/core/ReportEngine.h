#pragma once

#include "PreparedReport.h"

#include <QDateTime>

class ReportBindings;
class ReportLayout;

// Makes all pages of a layout from data sets at once (ReportJob makes them a piece at a time).
class ReportEngine final
{
public:
    // Throws ReportError.
    static PreparedReport prepare(const ReportLayout& layout, const ReportBindings& bindings,
        const QDateTime& now = QDateTime::currentDateTime());
};
