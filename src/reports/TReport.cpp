#include "TReport.h"

#include "DataError.h"
#include "Messages.h"
#include "ReportError.h"
#include "ReportJob.h"
#include "ReportLayout.h"
#include "ScreenReportResolver.h"
#include "TReportPreview.h"

using namespace Qt::StringLiterals;

namespace {

TReport::PreviewHandler* currentHandler = nullptr;

} // namespace

namespace {

std::unique_ptr<ReportJob> startJob(const QString& layoutName, const ReportBindings& bindings)
{
    static const ScreenReportResolver screenResolver;
    ReportBindings withScreens = bindings;
    if (!withScreens.resolver())
        withScreens.setResolver(&screenResolver);
    return std::make_unique<ReportJob>(ReportLayout::load(layoutName), withScreens);
}

} // namespace

bool TReport::Preview(const QString& layoutName, const QString& previewTitle, const ReportBindings& bindings)
{
    std::unique_ptr<ReportJob> job;
    QString problem;
    try {
        job = startJob(layoutName, bindings);
        // The first page before the window comes up; the rest while it is up.
        job->makePages(1);
    } catch (const ReportError& e) {
        problem = e.text();
    } catch (const DataError& e) {
        problem = e.text();
    }
    // The box comes after the handler, when the exception is gone.
    if (!problem.isEmpty()) {
        Messages::errorWithCaption(u"Error"_s, problem);
        return false;
    }
    TReportPreview preview(std::move(job), previewTitle);
    preview.exec();
    return true;
}

PreparedReport TReport::prepare(const QString& layoutName, const ReportBindings& bindings)
{
    return startJob(layoutName, bindings)->take();
}

void TReport::showPreview(const PreparedReport& report)
{
    TReportPreview preview(report);
    preview.exec();
}

void TReport::setPreviewHandler(PreviewHandler* handler)
{
    currentHandler = handler;
}

TReport::PreviewHandler* TReport::previewHandler()
{
    return currentHandler;
}
