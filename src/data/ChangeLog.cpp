#include "ChangeLog.h"

#include "DataError.h"
#include "FieldTitles.h"
#include "Schema.h"
#include "Statement.h"
#include "StatementBuilder.h"
#include "StoredValue.h"
#include "ValueFormats.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

using namespace Qt::StringLiterals;

namespace {

const auto quoted = StatementBuilder::quoted;

QString& signedInUser()
{
    static QString user;
    return user;
}

// Fields whose values the history never holds: the passwords.
bool isSecret(const QString& table, const QString& field)
{
    const QString name = table.toLower() + u'.' + field.toLower();
    return name == u"sifre.sifre"_s || name == u"master.mids"_s;
}

QJsonValue jsonValue(const TableDef& table, const QString& field, const QVariant& value)
{
    if (StoredValue::isNull(value))
        return QJsonValue(QJsonValue::Null);
    if (isSecret(table.name, field))
        return u"***"_s;
    const FieldDef* def = table.field(field);
    if (def && def->type == FieldType::Blob)
        return u"(%1 bayt)"_s.arg(value.toByteArray().size());
    return QJsonValue::fromVariant(value);
}

QString shownValue(const FieldDef* def, const QVariant& value)
{
    if (StoredValue::isNull(value))
        return u"(boş)"_s;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int: {
        QLocale turkish(QLocale::Turkish, QLocale::Turkey);
        turkish.setNumberOptions(QLocale::OmitGroupSeparator);
        return turkish.toString(value.toDouble(), 'g', 15);
    }
    default:
        break;
    }
    const QString text = value.toString();
    if (text.isEmpty())
        return u"(boş)"_s;
    if (def && def->type == FieldType::DateTime) {
        const QDateTime date = ValueFormats::readStoredDate(text);
        if (date.isValid())
            return ValueFormats::shownDate(date);
    }
    // A long text is shown on one line.
    return text.simplified();
}

} // namespace

QString ChangeLog::tableName()
{
    return u"degisiklik"_s;
}

bool ChangeLog::isHistory(const TableDef& table)
{
    return table.name.compare(tableName(), Qt::CaseInsensitive) == 0;
}

void ChangeLog::setUser(const QString& user)
{
    signedInUser() = user;
}

QString ChangeLog::user()
{
    return signedInUser();
}

QString ChangeLog::childCodeColumn(const QString& table)
{
    const QString name = table.toLower();
    if (name == u"hastasicil"_s)
        return u"hasta_kodu"_s;
    if (name == u"muayene"_s || name == u"recete"_s || name == u"laboratuar"_s)
        return u"hastakodu"_s;
    if (name == u"asitakip"_s || name == u"asitakip2"_s)
        return u"hkodu"_s;
    return QString();
}

QString ChangeLog::kindText(Kind kind)
{
    switch (kind) {
    case Kind::Insert:
        return u"Ekleme"_s;
    case Kind::Update:
        return u"Düzeltme"_s;
    case Kind::Delete:
        return u"Silme"_s;
    }
    return QString();
}

void ChangeLog::write(QSqlDatabase& db, Kind kind, const TableDef& table, qint64 key, const QVariant& childCode,
    const QList<Change>& changes)
{
    QSqlQuery q(db);
    Statement::prepare(q,
        u"INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) VALUES (?, ?, ?, ?, ?, ?, ?)"_s.arg(quoted(tableName()),
            quoted(u"zaman"_s), quoted(u"kullanici"_s), quoted(u"islem"_s), quoted(u"tablo"_s), quoted(u"kayit"_s),
            quoted(u"hastakodu"_s), quoted(u"degisen"_s)));
    q.addBindValue(ValueFormats::storedDate(QDateTime::currentDateTime()));
    q.addBindValue(user().isNull() ? u""_s : user());
    q.addBindValue(kindText(kind));
    q.addBindValue(table.name);
    q.addBindValue(key);
    q.addBindValue(StoredValue::isNull(childCode) ? QVariant() : QVariant(childCode.toString()));
    q.addBindValue(json(table, changes));
    Statement::exec(q);
}

bool ChangeLog::writeDelete(QSqlDatabase& db, const TableDef& table, qint64 key)
{
    QStringList columns;
    for (const FieldDef& f : table.fields)
        columns << quoted(f.name);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    Statement::prepare(q,
        u"SELECT %1 FROM %2 WHERE %3 = ?"_s.arg(
            columns.join(u", "_s), quoted(table.name), StatementBuilder::keyColumn(table)));
    q.addBindValue(key);
    Statement::exec(q);
    if (!q.next())
        return false;
    QList<Change> changes;
    QVariant childCode;
    const QString codeColumn = childCodeColumn(table.name);
    for (int i = 0; i < table.fields.size(); ++i) {
        const FieldDef& f = table.fields.at(i);
        const QVariant value = q.value(i);
        if (!codeColumn.isEmpty() && f.name.compare(codeColumn, Qt::CaseInsensitive) == 0)
            childCode = value;
        if (f.type != FieldType::AutoInc && !StoredValue::isNull(value))
            changes.append({ f.name, value, QVariant() });
    }
    q.finish();
    write(db, Kind::Delete, table, key, childCode, changes);
    return true;
}

void ChangeLog::carry(
    QSqlDatabase& db, const QString& table, const QString& column, const QString& from, const QString& to)
{
    const TableDef* def = Schema::table(table);
    if (!def)
        throw DataError(u"Tablo bulunamadı: %1"_s.arg(table));
    const QString keyColumn = StatementBuilder::keyColumn(*def);
    QList<qint64> keys;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        Statement::prepare(q, u"SELECT %1 FROM %2 WHERE %3 = ?"_s.arg(keyColumn, quoted(def->name), quoted(column)));
        q.addBindValue(from);
        Statement::exec(q);
        while (q.next())
            keys << q.value(0).toLongLong();
    }
    if (keys.isEmpty())
        return;
    QSqlQuery q(db);
    Statement::prepare(q, u"UPDATE %1 SET %2 = ? WHERE %2 = ?"_s.arg(quoted(def->name), quoted(column)));
    q.addBindValue(to);
    q.addBindValue(from);
    Statement::exec(q);
    const bool isCode = column.compare(childCodeColumn(table), Qt::CaseInsensitive) == 0;
    for (qint64 key : std::as_const(keys))
        write(db, Kind::Update, *def, key, isCode ? to : QString(), { { column, from, to } });
}

QStringList ChangeLog::childCodes(QSqlDatabase& db, qint64 hid, const QString& currentCode)
{
    QStringList codes;
    if (!currentCode.isEmpty())
        codes << currentCode;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    Statement::prepare(q,
        u"SELECT %1 FROM %2 WHERE %3 = ? AND %4 = ? ORDER BY %5"_s.arg(
            quoted(u"degisen"_s), quoted(tableName()), quoted(u"tablo"_s), quoted(u"kayit"_s), quoted(u"did"_s)));
    q.addBindValue(u"hastasicil"_s);
    q.addBindValue(hid);
    Statement::exec(q);
    const QString codeColumn = childCodeColumn(u"hastasicil"_s);
    while (q.next()) {
        for (const Change& c : parse(q.value(0).toString())) {
            if (c.field.compare(codeColumn, Qt::CaseInsensitive) != 0)
                continue;
            for (const QVariant& code : { c.before, c.after }) {
                const QString text = StoredValue::isNull(code) ? QString() : code.toString();
                if (!text.isEmpty() && !codes.contains(text))
                    codes << text;
            }
        }
    }
    return codes;
}

QString ChangeLog::childCondition(
    qint64 hid, const QStringList& codes, const QString& table, const std::optional<QString>& user, QVariantMap& binds)
{
    QStringList marks;
    for (const QString& code : codes) {
        const QString mark = u":h%1"_s.arg(binds.size());
        binds.insert(mark, code);
        marks << mark;
    }
    const QString ownMark = u":h%1"_s.arg(binds.size());
    binds.insert(ownMark, hid);
    QString sql = u"((%1 = 'hastasicil' AND %2 = %3)"_s.arg(quoted(u"tablo"_s), quoted(u"kayit"_s), ownMark);
    if (!marks.isEmpty())
        sql += u" OR %1 IN (%2)"_s.arg(quoted(u"hastakodu"_s), marks.join(u", "_s));
    sql += u')';
    if (!table.isEmpty()) {
        const QString mark = u":h%1"_s.arg(binds.size());
        binds.insert(mark, table);
        sql += u" AND %1 = %2"_s.arg(quoted(u"tablo"_s), mark);
    }
    if (user) {
        const QString mark = u":h%1"_s.arg(binds.size());
        binds.insert(mark, *user);
        sql += u" AND %1 = %2"_s.arg(quoted(u"kullanici"_s), mark);
    }
    return sql;
}

QString ChangeLog::json(const TableDef& table, const QList<Change>& changes)
{
    QJsonArray list;
    for (const Change& c : changes) {
        QJsonObject item;
        item.insert(u"alan"_s, c.field);
        item.insert(u"eski"_s, jsonValue(table, c.field, c.before));
        item.insert(u"yeni"_s, jsonValue(table, c.field, c.after));
        list.append(item);
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

QList<ChangeLog::Change> ChangeLog::parse(const QString& json)
{
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    QList<Change> changes;
    if (!doc.isArray())
        return changes;
    const QJsonArray list = doc.array();
    for (const QJsonValue& entry : list) {
        const QJsonObject item = entry.toObject();
        changes.append(
            { item.value(u"alan"_s).toString(), item.value(u"eski"_s).toVariant(), item.value(u"yeni"_s).toVariant() });
    }
    return changes;
}

QString ChangeLog::describe(const QString& table, const QString& json)
{
    const TableDef* def = Schema::table(table);
    QStringList lines;
    for (const Change& c : parse(json)) {
        const FieldDef* field = def ? def->field(c.field) : nullptr;
        lines << u"%1: %2 → %3"_s.arg(
            FieldTitles::of(table, c.field), shownValue(field, c.before), shownValue(field, c.after));
    }
    return lines.join(u'\n');
}
