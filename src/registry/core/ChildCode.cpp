#include "ChildCode.h"

#include "ChangeLog.h"
#include "Schema.h"
#include "Statement.h"
#include "TurkishText.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cmath>
#include <utility>

using namespace Qt::StringLiterals;

double ChildCode::koddansayi(const QString& code, bool* ok)
{
    const QString separator = QLocale().decimalPoint();
    QString kept;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (i == 0 && (c == u'+' || c == u'-'))
            kept += c;
        else if (c >= u'0' && c <= u'9')
            kept += c;
        else if (code.mid(i, separator.size()) == separator) {
            kept += u'.';
            i += separator.size() - 1;
        }
    }
    if (ok)
        *ok = true;
    if (kept.isEmpty())
        return 0.0;

    // sign? digits* (separator digits*)? with at least one digit
    qsizetype pos = (kept.at(0) == u'+' || kept.at(0) == u'-') ? 1 : 0;
    int digits = 0;
    int separators = 0;
    for (qsizetype i = pos; i < kept.size(); ++i) {
        if (kept.at(i) == u'.')
            ++separators;
        else
            ++digits;
    }
    if (digits == 0 || separators > 1) {
        if (ok)
            *ok = false;
        return 0.0;
    }
    bool parsed = false;
    const double value = kept.toDouble(&parsed);
    if (!parsed || !std::isfinite(value)) {
        if (ok)
            *ok = false;
        return 0.0;
    }
    return value;
}

QString ChildCode::nextCode(const QString& lastCode)
{
    bool ok = false;
    const double number = koddansayi(lastCode, &ok);
    if (!ok)
        return u"1"_s;
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(number + 1.0, 'g', 15);
}

QString ChildCode::duplicateMessage(const QString& code)
{
    return u"Mükerrer hasta kodu kullanamazsınız! "_s + code + u" kayıtlarda mevcut!"_s;
}

bool ChildCode::inUse(QSqlDatabase& db, const QString& code, qint64 exceptHid)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = u"SELECT hid FROM hastasicil WHERE "_s + Schema::foldSql(u"\"hasta_kodu\""_s)
        + u" = ? AND hid <> ? LIMIT 1"_s;
    Statement::prepare(q, sql);
    q.addBindValue(TurkishText::fold(code));
    q.addBindValue(exceptHid);
    Statement::exec(q);
    return q.next();
}

std::optional<qint64> ChildCode::firstHolder(QSqlDatabase& db, const QString& code)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = u"SELECT hid FROM hastasicil WHERE "_s + Schema::foldSql(u"\"hasta_kodu\""_s)
        + u" = ? ORDER BY hid LIMIT 1"_s;
    Statement::prepare(q, sql);
    q.addBindValue(TurkishText::fold(code));
    Statement::exec(q);
    if (!q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

void ChildCode::carryRecords(QSqlDatabase& db, const QString& oldCode, const QString& newCode)
{
    // The child code is the only link between a child and these rows; each carried row leaves
    // its history row.
    static const std::pair<const char16_t*, const char16_t*> links[] = {
        { u"muayene", u"hastakodu" },
        { u"asitakip", u"hkodu" },
        { u"asitakip2", u"hkodu" },
        { u"laboratuar", u"hastakodu" },
        { u"recete", u"hastakodu" },
    };
    for (const auto& [table, column] : links)
        ChangeLog::carry(db, QString::fromUtf16(table), QString::fromUtf16(column), oldCode, newCode);
}
