#include "DataError.h"

#include <QSqlError>

DataError::DataError(const QString& text, Cause cause)
    : std::runtime_error(text.toStdString())
    , m_text(text)
    , m_cause(cause)
{ }

QString DataError::text() const
{
    return m_text;
}

bool DataError::connectionLost() const
{
    return m_cause == ConnectionLost;
}

QString DataError::engineText(const QSqlError& error)
{
    const QString db = error.databaseText().trimmed();
    if (!db.isEmpty())
        return db;
    const QString driver = error.driverText().trimmed();
    if (!driver.isEmpty())
        return driver;
    return error.text();
}
