#include "Field.h"

#include "DataError.h"
#include "DataSet.h"
#include "TurkishText.h"
#include "ValueFormats.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// A stored date is ISO text; values set by code may still be QDateTime or QDate.
QDateTime toDateTime(const QVariant& raw)
{
    if (!raw.isValid() || raw.isNull())
        return {};
    switch (raw.typeId()) {
    case QMetaType::QDateTime:
        return raw.toDateTime();
    case QMetaType::QDate:
        return raw.toDate().startOfDay();
    default:
        break;
    }
    return ValueFormats::readDate(raw.toString());
}

// The stored text read as a wall-clock date and time for showing. The time zone plays no part
// in showing a stored value, and looking it up for every cell of a long list is costly.
QDateTime displayDateTime(const QVariant& raw)
{
    if (raw.typeId() == QMetaType::QString) {
        const QDateTime stored = ValueFormats::readStoredDate(raw.toString());
        if (stored.isValid())
            return stored;
    }
    const QDateTime dt = toDateTime(raw);
    return dt.isValid() ? QDateTime(dt.date(), dt.time(), Qt::UTC) : dt;
}

// Formats a number by a pattern such as "#,###.00", "#.00" or "#,##0.###".
QString formatNumber(double value, const QString& pattern)
{
    const QLocale loc = TurkishText::locale();
    const int dot = pattern.indexOf(u'.');
    const QString intPart = dot < 0 ? pattern : pattern.left(dot);
    const QString fracPart = dot < 0 ? QString() : pattern.mid(dot + 1);
    const bool grouping = intPart.contains(u',');
    const int minInt = int(intPart.count(u'0'));
    const int minFrac = int(fracPart.count(u'0'));
    const int maxFrac = minFrac + int(fracPart.count(u'#'));

    const bool negative = value < 0;
    QString digits = QString::number(std::fabs(value), 'f', maxFrac);
    QString whole = digits;
    QString frac;
    if (maxFrac > 0) {
        const qsizetype p = digits.indexOf(u'.');
        whole = digits.left(p);
        frac = digits.mid(p + 1);
        while (frac.size() > minFrac && frac.endsWith(u'0'))
            frac.chop(1);
    }
    if (whole == u"0"_s && minInt == 0)
        whole.clear();
    while (whole.size() < minInt)
        whole.prepend(u'0');
    if (grouping && whole.size() > 3) {
        QString grouped;
        const qsizetype n = whole.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (i > 0 && (n - i) % 3 == 0)
                grouped += loc.groupSeparator();
            grouped += whole.at(i);
        }
        whole = grouped;
    }
    QString out = whole;
    if (!frac.isEmpty())
        out += loc.decimalPoint() + frac;
    if (negative && (out.contains(QRegularExpression(u"[1-9]"_s))))
        out.prepend(loc.negativeSign());
    return out;
}

// Whether a character may stand in a mask's place: digits where digits are asked for, letters
// where letters are; '9' and '#' also take a blank.
bool fitsMaskChar(QChar maskChar, QChar c)
{
    switch (maskChar.unicode()) {
    case u'0':
        return c.isDigit();
    case u'9':
        return c.isDigit() || c == u' ';
    case u'#':
        return c.isDigit() || c == u' ' || c == u'+' || c == u'-';
    case u'L':
    case u'l':
        return c.isLetter();
    case u'A':
    case u'a':
        return c.isLetterOrNumber();
    default:
        return true;
    }
}

// Shows a text stored without its mask's literals ("2125551234") the way the mask writes it
// ("(212) 555 12 34"). A text that does not fit the mask's places (stored with its literals, or
// written by another program) is shown as it is stored, never masked a second time.
QString applyMask(const QString& text, const QString& editMask)
{
    const QStringList parts = editMask.split(u';');
    if (parts.size() < 2 || parts.at(1).trimmed() != u"0"_s)
        return text;
    const QString pattern = parts.at(0);
    static const QString maskChars = u"09#LlAaCc"_s;
    QString out;
    int next = 0;
    bool escaped = false;
    for (const QChar c : pattern) {
        if (escaped) {
            out += c;
            escaped = false;
        } else if (c == u'\\') {
            escaped = true;
        } else if (c == u'!' || c == u'>' || c == u'<') {
            continue;
        } else if (maskChars.contains(c)) {
            if (next < text.size() && !fitsMaskChar(c, text.at(next)))
                return text;
            out += next < text.size() ? text.at(next) : QChar(u' ');
            ++next;
        } else if (c == u'/') {
            out += u'.';
        } else {
            out += c;
        }
    }
    if (next < text.size())
        return text;
    return out.trimmed();
}

QString plainNumber(double value)
{
    return TurkishText::locale().toString(value, 'g', 15);
}

} // namespace

Field::Field(DataSet* owner, int index, const QString& name, FieldType type, int size)
    : m_owner(owner)
    , m_index(index)
    , m_name(name)
    , m_type(type)
    , m_size(size)
{
    ReadOnly = type == FieldType::AutoInc;
}

DataSet* Field::dataSet() const
{
    return m_owner;
}

int Field::index() const
{
    return m_index;
}

const QString& Field::FieldName() const
{
    return m_name;
}

FieldType Field::DataType() const
{
    return m_type;
}

int Field::Size() const
{
    return m_size;
}

FieldKind Field::kind() const
{
    return m_kind;
}

bool Field::isStored() const
{
    return m_kind == FieldKind::fkData;
}

void Field::makeLookup(
    const QString& keyFields, DataSet* lookupDataSet, const QString& lookupKeyFields, const QString& lookupResultField)
{
    m_kind = FieldKind::fkLookup;
    KeyFields = keyFields;
    LookupDataSet = lookupDataSet;
    LookupKeyFields = lookupKeyFields;
    LookupResultField = lookupResultField;
}

void Field::makeCalculated(Calculation calculation)
{
    m_kind = FieldKind::fkCalculated;
    m_calculation = std::move(calculation);
}

QVariant Field::calculatedAt(int row) const
{
    return m_calculation && row >= 0 ? m_calculation(*m_owner, row) : QVariant();
}

bool Field::IsNull() const
{
    const QVariant v = m_owner->fieldValue(this);
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QVariant Field::Value() const
{
    const QVariant raw = m_owner->fieldValue(this);
    if (!raw.isValid() || raw.isNull())
        return {};
    switch (m_type) {
    case FieldType::DateTime: {
        const QDateTime dt = toDateTime(raw);
        return dt.isValid() ? QVariant(dt) : raw;
    }
    case FieldType::Float:
        if (raw.typeId() == QMetaType::QString)
            return raw;
        return raw.toDouble();
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Smallint:
        if (raw.typeId() == QMetaType::QString)
            return raw;
        return raw.toLongLong();
    case FieldType::Blob:
        return raw.toByteArray();
    default:
        return raw.toString();
    }
}

void Field::setValue(const QVariant& value)
{
    m_owner->setFieldValue(this, value);
}

void Field::Clear()
{
    m_owner->setFieldValue(this, QVariant());
}

QString Field::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return {};
    switch (m_type) {
    case FieldType::DateTime: {
        if (v.typeId() != QMetaType::QDateTime)
            return v.toString();
        return ValueFormats::shownDate(v.toDateTime());
    }
    case FieldType::Float:
        if (v.typeId() == QMetaType::QString)
            return v.toString();
        return plainNumber(v.toDouble());
    case FieldType::Blob:
        return QString::fromLatin1(v.toByteArray());
    default:
        return v.toString();
    }
}

void Field::setAsString(const QString& text)
{
    if (text.isEmpty())
        m_owner->setFieldValue(this, QVariant());
    else
        m_owner->setFieldValue(this, text);
}

double Field::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        double d = TurkishText::locale().toDouble(v.toString().trimmed(), &ok);
        if (!ok)
            d = v.toString().trimmed().toDouble(&ok);
        return ok ? d : 0.0;
    }
    if (v.typeId() == QMetaType::QDateTime)
        return double(nullDate().msecsTo(v.toDateTime())) / 86400000.0;
    return v.toDouble();
}

void Field::setAsFloat(double value)
{
    m_owner->setFieldValue(this, value);
}

int Field::AsInteger() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return 0;
    if (m_type == FieldType::Float || v.typeId() == QMetaType::QString)
        return int(std::lround(AsFloat()));
    return v.toInt();
}

QDateTime Field::AsDateTime() const
{
    const QVariant v = Value();
    if (!v.isValid() || v.isNull())
        return nullDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    const QDateTime dt = toDateTime(v);
    return dt.isValid() ? dt : nullDate();
}

void Field::setAsDateTime(const QDateTime& value)
{
    m_owner->setFieldValue(this, value.isValid() ? QVariant(value) : QVariant());
}

QByteArray Field::AsBytes() const
{
    return m_owner->fieldValue(this).toByteArray();
}

void Field::setAsBytes(const QByteArray& bytes)
{
    m_owner->setFieldValue(this, bytes.isEmpty() ? QVariant() : QVariant(bytes));
}

QString Field::DisplayText() const
{
    return formatDisplay(m_owner->fieldValue(this));
}

QString Field::EditText() const
{
    return formatEdit(m_owner->fieldValue(this));
}

QString Field::formatDisplay(const QVariant& raw) const
{
    if (!raw.isValid() || raw.isNull())
        return {};
    switch (m_type) {
    case FieldType::DateTime: {
        const QDateTime dt = displayDateTime(raw);
        if (!dt.isValid())
            return raw.toString();
        return ValueFormats::shownDate(dt, DisplayFormat);
    }
    case FieldType::Float:
    case FieldType::Integer:
    case FieldType::Smallint:
    case FieldType::AutoInc: {
        bool ok = false;
        const double d = raw.typeId() == QMetaType::QString ? TurkishText::locale().toDouble(raw.toString(), &ok)
                                                            : raw.toDouble(&ok);
        if (!ok)
            return raw.toString();
        if (!DisplayFormat.isEmpty())
            return formatNumber(d, DisplayFormat);
        if (m_type == FieldType::Float)
            return plainNumber(d);
        return QString::number(qlonglong(d));
    }
    case FieldType::Blob:
        return {};
    case FieldType::WideString:
        return EditMask.isEmpty() ? raw.toString() : applyMask(raw.toString(), EditMask);
    default:
        return raw.toString();
    }
}

QString Field::formatEdit(const QVariant& raw) const
{
    if (!raw.isValid() || raw.isNull())
        return {};
    switch (m_type) {
    case FieldType::DateTime: {
        const QDateTime dt = displayDateTime(raw);
        if (!dt.isValid())
            return raw.toString();
        if (EditMask.contains(u':'))
            return dt.toString(u"dd.MM.yyyy HH:mm"_s);
        if (!EditMask.isEmpty())
            return dt.toString(u"dd.MM.yyyy"_s);
        return formatDisplay(raw);
    }
    case FieldType::Float: {
        if (raw.typeId() == QMetaType::QString)
            return raw.toString();
        if (!EditFormat.isEmpty())
            return formatNumber(raw.toDouble(), EditFormat);
        return plainNumber(raw.toDouble());
    }
    case FieldType::Integer:
    case FieldType::Smallint:
    case FieldType::AutoInc:
        if (raw.typeId() == QMetaType::QString)
            return raw.toString();
        return QString::number(raw.toLongLong());
    case FieldType::Blob:
        return {};
    default:
        return raw.toString();
    }
}

QDateTime Field::nullDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}
