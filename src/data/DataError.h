#pragma once

#include <QString>

class QSqlError;

#include <stdexcept>

// The one error type of the data layer and the database engine. It carries the text shown
// to the user in an error box; the command that raised it is abandoned.
class DataError final : public std::runtime_error
{
public:
    enum Cause { Refused, ConnectionLost };

    explicit DataError(const QString& text, Cause cause = Refused);

    QString text() const;
    // The statement failed because the connection to the server is gone.
    bool connectionLost() const;

    // The database engine's own message, as the user is to see it.
    static QString engineText(const QSqlError& error);

private:
    QString m_text;
    Cause m_cause = Refused;
};
