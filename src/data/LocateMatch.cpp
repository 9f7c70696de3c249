#include "LocateMatch.h"

#include "Field.h"
#include "Schema.h"
#include "StatementBuilder.h"
#include "StoredValue.h"
#include "TurkishText.h"
#include "ValueFormats.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace {

bool isText(FieldType type)
{
    return type == FieldType::WideString || type == FieldType::Memo;
}

} // namespace

bool LocateMatch::matches(const Field& field, const QVariant& stored, const QVariant& wanted, bool prefix)
{
    if (isText(field.DataType()) || field.kind() == FieldKind::fkLookup) {
        const QString have = TurkishText::fold(StoredValue::isNull(stored) ? QString() : stored.toString());
        const QString want = TurkishText::fold(wanted.toString());
        return prefix ? have.startsWith(want) : have == want;
    }
    if (field.DataType() == FieldType::DateTime) {
        if (field.formatEdit(stored) == wanted.toString()
            || (StoredValue::isNull(stored) && wanted.toString().isEmpty()))
            return true;
        return wanted.typeId() == QMetaType::QDateTime
            && ValueFormats::readDate(stored.toString()) == wanted.toDateTime();
    }
    double a = 0;
    double b = 0;
    const bool okA = !StoredValue::isNull(stored) && StoredValue::readNumber(stored.toString(), a);
    const bool okB = StoredValue::readNumber(wanted.toString(), b);
    return okA && okB ? a == b : (!okA && wanted.toString().isEmpty());
}

bool LocateMatch::condition(const Field& field, const QVariant& wanted, bool prefix, const QString& bind,
    QStringList& conditions, QVariantMap& binds)
{
    const QString col = StatementBuilder::quoted(field.FieldName());
    if (isText(field.DataType())) {
        const QString w = TurkishText::fold(wanted.toString());
        const QString folded = Schema::foldSql(col);
        if (prefix) {
            if (w.isEmpty())
                return true;
            // A range on the fold index: from the prefix to the prefix followed by the last letter.
            conditions.append(folded + u" >= "_s + bind + u" AND "_s + folded + u" < "_s + bind + u'h');
            binds.insert(bind, w);
            binds.insert(bind + u'h', w + QChar::highSurrogate(0x10FFFF) + QChar::lowSurrogate(0x10FFFF));
        } else if (w.isEmpty()) {
            conditions.append(u"("_s + col + u" IS NULL OR "_s + col + u" = '')"_s);
        } else {
            conditions.append(folded + u" = "_s + bind);
            binds.insert(bind, w);
        }
        return true;
    }
    if (field.DataType() == FieldType::DateTime) {
        const QDateTime dt
            = wanted.typeId() == QMetaType::QDateTime ? wanted.toDateTime() : ValueFormats::readDate(wanted.toString());
        if (!dt.isValid())
            return false;
        conditions.append(col + u" = "_s + bind);
        binds.insert(bind, ValueFormats::storedDate(dt));
        return true;
    }
    if (wanted.toString().isEmpty()) {
        conditions.append(col + u" IS NULL"_s);
        return true;
    }
    double d = 0;
    if (!StoredValue::readNumber(wanted.toString(), d))
        return false;
    conditions.append(col + u" = "_s + bind);
    binds.insert(bind, d);
    return true;
}
