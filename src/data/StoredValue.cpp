#include "StoredValue.h"

#include "DataError.h"
#include "Field.h"
#include "TurkishText.h"
#include "ValueFormats.h"

#include <cmath>

using namespace Qt::StringLiterals;

bool StoredValue::isNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

bool StoredValue::holdsBytes(const QVariant& value)
{
    return !isNull(value) && !value.toByteArray().isEmpty();
}

bool StoredValue::readNumber(const QString& text, double& out)
{
    const std::optional<double> number = ValueFormats::readNumber(text);
    out = number.value_or(0.0);
    return number && std::isfinite(*number);
}

QVariant StoredValue::of(const Field& field, const QVariant& value)
{
    if (isNull(value))
        return {};
    const QString label = field.FieldName();
    switch (field.DataType()) {
    case FieldType::WideString: {
        const QString s = value.toString();
        if (s.isEmpty())
            return {};
        if (field.Size() > 0 && s.size() > field.Size())
            throw DataError(u"\"%1\" alanına en fazla %2 karakter girilebilir; girilen değer %3 karakter: %4"_s.arg(
                label, QString::number(field.Size()), QString::number(s.size()), s));
        return s;
    }
    case FieldType::Memo: {
        const QString s = value.toString();
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Smallint: {
        double d = 0;
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            if (!readNumber(s, d) || d != std::floor(d))
                throw DataError(u"'%1' geçerli bir tam sayı değil (%2 alanı)."_s.arg(s, label));
        } else {
            bool ok = false;
            d = value.toDouble(&ok);
            if (!ok || d != std::floor(d))
                throw DataError(u"'%1' geçerli bir tam sayı değil (%2 alanı)."_s.arg(value.toString(), label));
        }
        const double lo = field.DataType() == FieldType::Smallint ? -32768.0 : -2147483648.0;
        const double hi = field.DataType() == FieldType::Smallint ? 32767.0 : 2147483647.0;
        if (d < lo || d > hi)
            throw DataError(u"%1 değeri %2 alanı için geçersiz: %3 ile %4 arasında olmalıdır."_s.arg(
                TurkishText::locale().toString(d, 'f', 0), label, QString::number(qlonglong(lo)),
                QString::number(qlonglong(hi))));
        return qlonglong(d);
    }
    case FieldType::Float: {
        double d = 0;
        if (value.typeId() == QMetaType::QString) {
            const QString s = value.toString().trimmed();
            if (s.isEmpty())
                return {};
            if (!readNumber(s, d))
                throw DataError(u"'%1' geçerli bir sayı değil (%2 alanı)."_s.arg(s, label));
        } else {
            bool ok = false;
            d = value.toDouble(&ok);
            if (!ok || !std::isfinite(d))
                throw DataError(u"'%1' geçerli bir sayı değil (%2 alanı)."_s.arg(value.toString(), label));
        }
        return d;
    }
    case FieldType::DateTime: {
        QDateTime dt;
        if (value.typeId() == QMetaType::QDateTime)
            dt = value.toDateTime();
        else
            dt = ValueFormats::readDate(value.toString());
        if (!dt.isValid() || dt.date().year() < 100 || dt.date().year() > 9999)
            throw DataError(u"'%1' geçerli bir tarih değil (%2 alanı)."_s.arg(value.toString(), label));
        return ValueFormats::storedDate(dt);
    }
    case FieldType::Blob:
        return value.toByteArray();
    }
    return value;
}
