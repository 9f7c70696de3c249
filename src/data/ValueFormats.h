#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

// How values are written as text and read back: the stored form of dates, dates and numbers as
// they are typed, and the date patterns of fields and report layouts.
class ValueFormats final
{
public:
    // Dates and times are stored as text, "yyyy-MM-dd HH:mm:ss.zzz"; empty for an invalid value.
    static QString storedDate(const QDateTime& value);
    // The same for a calendar date and a clock time, with no time zone in between.
    static QString storedDate(const QDate& date, const QTime& time);
    // A text in the stored form as its calendar date and clock time, with no time zone looked up
    // (the result is in UTC); a date without its time is midnight. Invalid when the text is not
    // in the stored form.
    static QDateTime readStoredDate(const QString& text);
    // A date (and time) as stored or as typed: the stored form, ISO 8601, dd.MM.yyyy and d.M.yyyy
    // with or without the time, dd/MM/yyyy. In local time; invalid when no form fits.
    static QDateTime readDate(const QString& text);

    // A number typed the Turkish way ("58,5") or with a plain point ("58.5"). Group separators
    // are refused, so "58.5" never silently becomes 585. Nothing when the text is no number.
    static std::optional<double> readNumber(const QString& text);

    // A date pattern of the fields and layouts (dd.mm.yyyy hh:nn, where mm after an hour and nn
    // are minutes) in Qt's notation.
    static QString qtDatePattern(const QString& pattern);
    // A date as shown: by such a pattern, or without one as dd.MM.yyyy followed by HH:mm:ss
    // when the time is not midnight.
    static QString shownDate(const QDateTime& value, const QString& pattern = QString());
};
