#include "ValueFormats.h"

#include "TurkishText.h"

#include <QLocale>
#include <QStringList>
#include <QStringView>

using namespace Qt::StringLiterals;

namespace {

QString storedFormat()
{
    return u"yyyy-MM-dd HH:mm:ss.zzz"_s;
}

QLocale withoutGroups(QLocale locale)
{
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

QString ValueFormats::storedDate(const QDateTime& value)
{
    return value.isValid() ? value.toString(storedFormat()) : QString();
}

QString ValueFormats::storedDate(const QDate& date, const QTime& time)
{
    return storedDate(QDateTime(date, time, Qt::UTC));
}

QDateTime ValueFormats::readStoredDate(const QString& text)
{
    const QStringView t(text);
    if (t.size() < 10 || t.at(4) != u'-' || t.at(7) != u'-')
        return {};
    const QDate date(t.mid(0, 4).toInt(), t.mid(5, 2).toInt(), t.mid(8, 2).toInt());
    QTime time(0, 0);
    if (t.size() >= 19)
        time = QTime(t.mid(11, 2).toInt(), t.mid(14, 2).toInt(), t.mid(17, 2).toInt(),
            t.size() >= 23 ? t.mid(20, 3).toInt() : 0);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

QDateTime ValueFormats::readDate(const QString& text)
{
    static const QStringList formats = {
        storedFormat(),
        u"yyyy-MM-dd HH:mm:ss"_s,
        u"yyyy-MM-dd"_s,
        u"dd.MM.yyyy HH:mm:ss"_s,
        u"dd.MM.yyyy HH:mm"_s,
        u"d.M.yyyy HH:mm"_s,
        u"dd.MM.yyyy"_s,
        u"d.M.yyyy"_s,
        u"dd/MM/yyyy HH:mm"_s,
        u"dd/MM/yyyy"_s,
    };
    const QString t = text.simplified();
    for (const QString& format : formats) {
        const QDateTime dt = QDateTime::fromString(t, format);
        if (dt.isValid())
            return dt;
    }
    return QDateTime::fromString(t, Qt::ISODateWithMs);
}

std::optional<double> ValueFormats::readNumber(const QString& text)
{
    static const QLocale locales[] = { withoutGroups(TurkishText::locale()), withoutGroups(QLocale::c()) };
    for (const QLocale& locale : locales) {
        bool ok = false;
        const double number = locale.toDouble(text, &ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

QString ValueFormats::qtDatePattern(const QString& pattern)
{
    QString out;
    bool afterHour = false;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        qsizetype n = 1;
        while (i + n < pattern.size() && pattern.at(i + n) == c)
            ++n;
        const QChar lc = c.toLower();
        if (lc == u'm') {
            out += QString(n, afterHour ? u'm' : u'M');
            afterHour = false;
        } else if (lc == u'n') {
            out += QString(n, u'm');
        } else if (lc == u'h') {
            out += QString(n, u'H');
            afterHour = true;
        } else if (lc == u'd' || lc == u'y' || lc == u's' || lc == u'z') {
            out += QString(n, lc);
            afterHour = false;
        } else if (c.isLetter()) {
            out += u'\'' + QString(n, c) + u'\'';
        } else {
            out += QString(n, c);
        }
        i += n;
    }
    return out;
}

QString ValueFormats::shownDate(const QDateTime& value, const QString& pattern)
{
    if (!pattern.isEmpty())
        return value.toString(qtDatePattern(pattern));
    return value.toString(value.time() == QTime(0, 0) ? u"dd.MM.yyyy"_s : u"dd.MM.yyyy HH:mm:ss"_s);
}
