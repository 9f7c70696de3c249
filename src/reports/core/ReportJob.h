#pragma once

#include "PreparedReport.h"

#include <QDateTime>

#include <memory>

class ReportBindings;
class ReportLayout;

// One report being made into pages, a piece at a time, so that the preview can show the first
// page of a long list while the rest is still being made. Every expression is checked when the
// job is created: a layout naming an unknown data set or field fails there with ReportError,
// before any page exists.
//
// Master data bands read their data set's visible rows (rowCount/rawValueAt, so the filter and
// master link hold and its cursor never moves); every other expression reads the current
// record of its data set, the edit buffer of a record being typed included. [TotalPages] is
// filled in when the last page is made; until then it reads "?".
class ReportJob final
{
public:
    // Throws ReportError.
    ReportJob(const ReportLayout& layout, const ReportBindings& bindings,
        const QDateTime& now = QDateTime::currentDateTime());
    ~ReportJob();

    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;

    // Makes up to rows more data rows (and the pages they need); true when the report is done.
    bool step(int rows);
    // Makes pages until at least count pages are complete or the report is done.
    void makePages(int count);
    // Makes everything that is left.
    void finish();
    bool done() const;

    // Pages that will not change any more; all of them once done.
    int completePages() const;
    // The pages so far; the last one may still grow while the job is not done.
    const PreparedReport& report() const;
    // The finished report (finishes it first); the job is empty afterwards.
    PreparedReport take();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
