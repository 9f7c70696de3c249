#include "TurkishText.h"

namespace {

// Blanks and control characters (everything up to the space) are cut from both ends.
QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

bool isAsciiUpper(char16_t c)
{
    return c >= u'A' && c <= u'Z';
}

bool isAsciiLower(char16_t c)
{
    return c >= u'a' && c <= u'z';
}

// The capitals whose lower case differs from plain ASCII or that SQL lower() leaves alone.
char16_t turkishLower(char16_t c)
{
    switch (c) {
    case u'I':
        return u'ı';
    case u'İ':
        return u'i';
    case u'Ç':
        return u'ç';
    case u'Ğ':
        return u'ğ';
    case u'Ö':
        return u'ö';
    case u'Ş':
        return u'ş';
    case u'Ü':
        return u'ü';
    default:
        return 0;
    }
}

char16_t turkishUpper(char16_t c)
{
    switch (c) {
    case u'i':
        return u'İ';
    case u'ı':
        return u'I';
    case u'ç':
        return u'Ç';
    case u'ğ':
        return u'Ğ';
    case u'ö':
        return u'Ö';
    case u'ş':
        return u'Ş';
    case u'ü':
        return u'Ü';
    default:
        return 0;
    }
}

} // namespace

QLocale TurkishText::locale()
{
    return QLocale(QLocale::Turkish, QLocale::Turkey);
}

QChar TurkishText::lower(QChar c)
{
    const char16_t u = c.unicode();
    if (const char16_t mapped = turkishLower(u))
        return QChar(mapped);
    if (isAsciiUpper(u))
        return QChar(char16_t(u - u'A' + u'a'));
    return c;
}

QChar TurkishText::upper(QChar c)
{
    const char16_t u = c.unicode();
    if (const char16_t mapped = turkishUpper(u))
        return QChar(mapped);
    if (isAsciiLower(u))
        return QChar(char16_t(u - u'a' + u'A'));
    return c;
}

QChar TurkishText::wordCapital(QChar c)
{
    return upper(c);
}

QString TurkishText::kucukharf(const QString& text)
{
    QString result = trimBlanks(text);
    for (QChar& c : result)
        c = lower(c);
    return result;
}

QString TurkishText::buyukharf(const QString& text)
{
    QString result = trimBlanks(text);
    for (QChar& c : result)
        c = upper(c);
    return result;
}

QString TurkishText::fold(const QString& text)
{
    // Must give the same as the connection's SQL fold expression, which the indexes are built on.
    QString result = text;
    for (QChar& c : result) {
        switch (c.unicode()) {
        case u'Â':
            c = u'â';
            break;
        case u'Î':
            c = u'î';
            break;
        case u'Û':
            c = u'û';
            break;
        default:
            c = lower(c);
            break;
        }
    }
    return result;
}
