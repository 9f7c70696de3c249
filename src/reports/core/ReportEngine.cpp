#include "ReportEngine.h"

#include "ReportJob.h"

PreparedReport ReportEngine::prepare(const ReportLayout& layout, const ReportBindings& bindings, const QDateTime& now)
{
    ReportJob job(layout, bindings, now);
    return job.take();
}
