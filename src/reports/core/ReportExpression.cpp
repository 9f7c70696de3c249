#include "ReportExpression.h"

#include "DataSet.h"
#include "Field.h"
#include "ReportBindings.h"
#include "ReportError.h"
#include "ValueFormats.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

struct ReportExpression::Token {
    enum class Kind { Literal, Value, Date, Time, Line, Page, TotalPages };
    Kind kind = Kind::Literal;
    QString text;
    DataSet* dataSet = nullptr;
    const Field* field = nullptr;
};

namespace {

// [a."f"] or [screen.a."f"]; the field name is anything up to the closing quote.
const QRegularExpression& fieldPattern()
{
    static const QRegularExpression re(
        uR"re(^\s*(?:([A-Za-z_][A-Za-z0-9_]*)\s*\.\s*)?([A-Za-z_][A-Za-z0-9_]*)\s*\.\s*"([^"]+)"\s*$)re"_s);
    return re;
}

// Dates are formatted without the time zone: a stored date is a calendar date and a clock
// time, and asking the zone for every row of a long list costs more than the list itself.
QString formatDate(const QVariant& raw, const QString& pattern)
{
    if (!raw.isValid() || raw.isNull())
        return {};
    QDate date;
    QTime time(0, 0);
    switch (raw.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = raw.toDateTime();
        date = dt.date();
        time = dt.time();
        break;
    }
    case QMetaType::QDate:
        date = raw.toDate();
        break;
    default: {
        const QString text = raw.toString().trimmed();
        const QDateTime stored = ValueFormats::readStoredDate(text);
        if (stored.isValid()) {
            date = stored.date();
            // Reports show whole seconds.
            const QTime clock = stored.time();
            time = QTime(clock.hour(), clock.minute(), clock.second());
        } else {
            date = QDate::fromString(text, u"dd.MM.yyyy"_s);
        }
        if (!date.isValid())
            return text;
        break;
    }
    }
    if (!date.isValid())
        return raw.toString();
    return ValueFormats::shownDate(QDateTime(date, time, Qt::UTC), pattern);
}

} // namespace

ReportExpression::ReportExpression() = default;
ReportExpression::~ReportExpression() = default;
ReportExpression::ReportExpression(ReportExpression&&) noexcept = default;
ReportExpression& ReportExpression::operator=(ReportExpression&&) noexcept = default;

ReportExpression::ReportExpression(const ReportExpression& other)
    : m_tokens(other.m_tokens)
    , m_modulo(other.m_modulo)
    , m_totalPages(other.m_totalPages)
    , m_format(other.m_format ? std::make_unique<Field>(*other.m_format) : nullptr)
{ }

ReportExpression& ReportExpression::operator=(const ReportExpression& other)
{
    if (this != &other) {
        m_tokens = other.m_tokens;
        m_modulo = other.m_modulo;
        m_totalPages = other.m_totalPages;
        m_format = other.m_format ? std::make_unique<Field>(*other.m_format) : nullptr;
    }
    return *this;
}

ReportExpression ReportExpression::compile(const QString& text, const QString& format, const ReportBindings& bindings)
{
    ReportExpression e;
    if (!format.isEmpty()) {
        // A field of its own formats the values; its type follows the format.
        const bool number = format.contains(u'0') || format.contains(u'#');
        e.m_format
            = std::make_unique<Field>(nullptr, 0, u"format"_s, number ? FieldType::Float : FieldType::DateTime, 0);
        e.m_format->DisplayFormat = format;
    }
    qsizetype i = 0;
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) {
            Token t;
            t.text = literal;
            e.m_tokens << t;
            literal.clear();
        }
    };
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c != u'[') {
            literal += c;
            ++i;
            continue;
        }
        // Quotes may hold a ']' of a field name; the expression ends at the first ']' outside them.
        qsizetype j = i + 1;
        bool quoted = false;
        while (j < text.size() && (quoted || text.at(j) != u']')) {
            if (text.at(j) == u'"')
                quoted = !quoted;
            ++j;
        }
        if (j >= text.size())
            throw ReportError(u"Missing \"]\" in the text %1"_s.arg(text));
        const QString inner = text.mid(i + 1, j - i - 1);
        const QString word = inner.trimmed();
        Token t;
        if (word == u"DATE")
            t.kind = Token::Kind::Date;
        else if (word == u"TIME")
            t.kind = Token::Kind::Time;
        else if (word == u"Line#" || word == u"LINE#")
            t.kind = Token::Kind::Line;
        else if (word == u"Page#")
            t.kind = Token::Kind::Page;
        else if (word == u"TotalPages")
            t.kind = Token::Kind::TotalPages;
        else {
            const QRegularExpressionMatch m = fieldPattern().match(inner);
            if (!m.hasMatch())
                throw ReportError(u"Invalid expression [%1]"_s.arg(inner));
            const QString screen = m.captured(1);
            const QString set = m.captured(2);
            const QString fieldName = m.captured(3);
            const QString setName = screen.isEmpty() ? set : screen + u'.' + set;
            DataSet* ds = bindings.find(screen, set);
            if (!ds)
                throw ReportError(u"Undefined data set \"%1\" in [%2]"_s.arg(setName, inner));
            if (!ds->Active())
                throw ReportError(u"Data set \"%1\" is closed"_s.arg(setName));
            const Field* field = ds->FindField(fieldName);
            if (!field)
                throw ReportError(u"Field \"%1\" not found in data set \"%2\""_s.arg(fieldName, setName));
            t.kind = Token::Kind::Value;
            t.dataSet = ds;
            t.field = field;
        }
        if (t.kind == Token::Kind::TotalPages)
            e.m_totalPages = true;
        flush();
        e.m_tokens << t;
        i = j + 1;
    }
    flush();
    return e;
}

ReportExpression ReportExpression::compileCondition(const QString& condition, const ReportBindings& bindings)
{
    static const QRegularExpression mod(uR"(^(.*\S)\s+mod\s+(\d+)\s*$)"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = mod.match(condition);
    if (!m.hasMatch())
        return compile(condition.trimmed(), QString(), bindings);
    ReportExpression e = compile(m.captured(1).trimmed(), QString(), bindings);
    e.m_modulo = m.captured(2).toLongLong();
    if (e.m_modulo == 0)
        throw ReportError(u"Division by zero in %1"_s.arg(condition));
    return e;
}

QString ReportExpression::evaluate(const Context& context) const
{
    // The common case of one expression and nothing else needs no joining.
    QString out;
    for (const Token& t : m_tokens) {
        switch (t.kind) {
        case Token::Kind::Literal:
            out += t.text;
            break;
        case Token::Kind::Value: {
            const QVariant raw = (t.dataSet == context.master && context.row >= 0)
                ? t.dataSet->rawValueAt(context.row, t.field->index())
                : t.field->Value();
            if (m_format && m_format->DataType() == FieldType::DateTime)
                out += formatDate(raw, m_format->DisplayFormat);
            else if (m_format)
                out += m_format->formatDisplay(raw);
            else if (t.field->DataType() == FieldType::DateTime)
                out += formatDate(raw, t.field->DisplayFormat);
            else
                out += t.field->formatDisplay(raw);
            break;
        }
        case Token::Kind::Date:
            out += context.now.date().toString(u"dd.MM.yyyy"_s);
            break;
        case Token::Kind::Time:
            out += context.now.time().toString(u"HH:mm:ss"_s);
            break;
        case Token::Kind::Line:
            out += QString::number(context.line);
            break;
        case Token::Kind::Page:
            out += QString::number(context.page);
            break;
        case Token::Kind::TotalPages:
            // Not known before the last page is made.
            out += context.totalPages > 0 ? QString::number(context.totalPages) : u"?"_s;
            break;
        }
    }
    return out;
}

bool ReportExpression::holds(const Context& context) const
{
    const QString value = evaluate(context).trimmed();
    bool ok = false;
    const qint64 n = value.toLongLong(&ok);
    if (!ok)
        return m_modulo == 0 && !value.isEmpty();
    return (m_modulo != 0 ? n % m_modulo : n) != 0;
}

bool ReportExpression::isEmpty() const
{
    return m_tokens.isEmpty();
}

bool ReportExpression::usesTotalPages() const
{
    return m_totalPages;
}
