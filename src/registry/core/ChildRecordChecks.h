#pragma once

#include <QDate>
#include <QString>

// Checks of the child record screen: the photo's size and the birth date.
class ChildRecordChecks final
{
public:
    // The photo is measured in units of 5120 bytes; at most 50 of them are accepted.
    static constexpr qint64 photoUnitBytes = 5120;
    static constexpr qint64 photoMaxUnits = 50;

    static bool photoTooLarge(qint64 bytes);
    // The size in photo units, rounded to two decimals, written with the locale's decimal
    // separator and without trailing zeros ("58,59", "50").
    static QString photoSizeText(qint64 bytes);
    // "Resim Boyutu <size> KB 50 KB tan büyük resim yüklemesi yapamazsınız!"
    static QString photoSizeMessage(qint64 bytes);

    // The stored birth date written for the check: day and month with two digits, the
    // locale's date separator, and the year (a year below 100 is written "20" followed by its
    // digits, so 12 becomes 2012 and 5 becomes 205).
    static QString birthDateText(const QDate& date);
    // tarihgecerli: characters 1-2 the day, 4-5 the month, 7-10 the year, all whole numbers
    // forming a real calendar date.
    static bool tarihgecerli(const QString& text);
};
