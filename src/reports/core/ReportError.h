#pragma once

#include <QString>

#include <stdexcept>

// A report that cannot be prepared: a layout that names a data set or field that does not
// exist, a closed data set, a layout file that cannot be read. The text is what the "Error"
// box shows.
class ReportError final : public std::runtime_error
{
public:
    explicit ReportError(const QString& text);

    QString text() const;

private:
    QString m_text;
};
