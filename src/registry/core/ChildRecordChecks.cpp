#include "ChildRecordChecks.h"

#include <QLocale>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The separator between day, month and year in the locale's short date format.
QString dateSeparator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter())
            return QString(c);
    return u"."_s;
}

} // namespace

bool ChildRecordChecks::photoTooLarge(qint64 bytes)
{
    return bytes > photoMaxUnits * photoUnitBytes;
}

QString ChildRecordChecks::photoSizeText(qint64 bytes)
{
    const double units = std::round(double(bytes) / double(photoUnitBytes) * 100.0) / 100.0;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(units, 'f', 2);
    const QString separator = locale.decimalPoint();
    if (text.contains(separator)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(separator))
            text.chop(separator.size());
    }
    return text;
}

QString ChildRecordChecks::photoSizeMessage(qint64 bytes)
{
    return u"Resim Boyutu "_s + photoSizeText(bytes) + u" KB"_s + u" 50 KB tan büyük resim yüklemesi yapamazsınız!"_s;
}

QString ChildRecordChecks::birthDateText(const QDate& date)
{
    const QDate d = date.isValid() ? date : QDate(1899, 12, 30);
    const QString separator = dateSeparator();
    const QString year = d.year() > 99 ? QString::number(d.year()) : u"20"_s + QString::number(d.year());
    return QString::number(d.day()).rightJustified(2, u'0') + separator
        + QString::number(d.month()).rightJustified(2, u'0') + separator + year;
}

bool ChildRecordChecks::tarihgecerli(const QString& text)
{
    bool okDay = false;
    bool okMonth = false;
    bool okYear = false;
    const int day = text.mid(0, 2).toInt(&okDay);
    const int month = text.mid(3, 2).toInt(&okMonth);
    const int year = text.mid(6, 4).toInt(&okYear);
    return okDay && okMonth && okYear && QDate::isValid(year, month, day);
}
