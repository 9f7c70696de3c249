#pragma once

#include <QString>

#include <stdexcept>

// The one error type of the data layer and the database engine. It carries the text shown
// to the user in an error box; the command that raised it is abandoned.
class DataError final : public std::runtime_error
{
public:
    explicit DataError(const QString& text);

    QString text() const;

private:
    QString m_text;
};
