#include "DataError.h"

DataError::DataError(const QString& text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{
}

QString DataError::text() const
{
    return m_text;
}
