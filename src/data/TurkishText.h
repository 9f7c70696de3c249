#pragma once

#include <QChar>
#include <QLocale>
#include <QString>

// Turkish letter case: i/İ and ı/I are distinct pairs. And the locale numbers and dates are
// shown in.
class TurkishText final
{
public:
    // Turkish as written in Turkey: a decimal comma and a point between thousands.
    static QLocale locale();
    // Trims and maps every letter to its Turkish lower case.
    static QString kucukharf(const QString& text);
    // Trims and maps every letter to its Turkish capital.
    static QString buyukharf(const QString& text);
    // Lower case without trimming, as used for case-insensitive comparisons.
    static QString fold(const QString& text);
    static QChar upper(QChar c);
    static QChar lower(QChar c);
    // The capital that a word's first typed letter becomes ("i" -> "İ", "ı" -> "I").
    static QChar wordCapital(QChar c);
};
