#include "ReportError.h"

ReportError::ReportError(const QString& text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{ }

QString ReportError::text() const
{
    return m_text;
}
