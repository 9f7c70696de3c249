#include "StatementBuilder.h"

#include "DataError.h"
#include "Field.h"
#include "Schema.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

// In small letters: PostgreSQL keeps the columns in small letters, and SQLite finds a column
// whatever the case of its name.
QString StatementBuilder::quoted(const QString& identifier)
{
    return u'"' + identifier.toLower() + u'"';
}

QStringList StatementBuilder::splitNames(const QString& names)
{
    QStringList out;
    for (const QString& part : names.split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            out.append(name);
    }
    return out;
}

QString StatementBuilder::keyColumn(const TableDef& def)
{
    return def.rowKey() == u"rowid"_s ? u"rowid"_s : quoted(def.rowKey());
}

StatementBuilder::Query StatementBuilder::parseQuery(const QString& statement, const SqlDialect& dialect)
{
    static const QRegularExpression re(u"^\\s*select\\s+\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)(.*)$"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString text = statement;
    text.replace(u'\n', u' ').replace(u'\r', u' ');
    const QRegularExpressionMatch m = re.match(text);
    Query query;
    query.table = m.hasMatch() ? Schema::table(m.captured(1)) : nullptr;
    if (!query.table)
        return query;
    QString tail = m.captured(2).trimmed();
    while (tail.endsWith(u';'))
        tail.chop(1);
    query.tail = withTurkishOrder(tail, *query.table, dialect);
    return query;
}

// Every list, printout and export made from a query follows the Turkish alphabet; the record
// key breaks ties (names equal but for letter case) in the direction of the last term.
QString StatementBuilder::withTurkishOrder(const QString& tail, const TableDef& def, const SqlDialect& dialect)
{
    static const QRegularExpression orderBy(u"\\border\\s+by\\s+(.+)$"_s,
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression term(
        u"^\\s*\"?([A-Za-z_][A-Za-z0-9_]*)\"?\\s*(asc|desc)?\\s*$"_s, QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = orderBy.match(tail);
    if (!m.hasMatch())
        return tail;
    QStringList terms;
    bool anyText = false;
    QString direction;
    for (const QString& text : m.captured(1).split(u',')) {
        const QRegularExpressionMatch t = term.match(text);
        if (!t.hasMatch())
            return tail;
        direction = t.captured(2).isEmpty() ? QString() : u' ' + t.captured(2).toUpper();
        const FieldDef* f = def.field(t.captured(1));
        if (f && (f->type == FieldType::WideString || f->type == FieldType::Memo)) {
            terms << dialect.orderTermSql(Schema::sortKeySql(quoted(f->name)), direction);
            anyText = true;
        } else {
            terms << text.trimmed();
        }
    }
    if (!anyText)
        return tail;
    terms << keyColumn(def) + direction;
    return tail.left(m.capturedStart(0)) + u"ORDER BY "_s + terms.join(u", "_s);
}

QString StatementBuilder::filterCondition(const QString& text,
    const std::function<const Field*(const QString&)>& fieldNamed, QVariantMap& binds, const QString& owner)
{
    if (text.trimmed().isEmpty())
        return {};
    static const QRegularExpression token(
        u"\\s*(?:(\\()|(\\))|(and|or|not)\\b|([A-Za-z_][A-Za-z0-9_]*)\\s*(=|<>|<=|>=|<|>)\\s*(?:'((?:[^']|'')*)'|\"([^\"]*)\"|(-?[0-9]+(?:[.,][0-9]+)?)))"_s,
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    int pos = 0;
    int n = int(binds.size());
    while (pos < text.size()) {
        if (text.mid(pos).trimmed().isEmpty())
            break;
        const QRegularExpressionMatch m
            = token.match(text, pos, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            throw DataError(u"%1: süzgeç ifadesi anlaşılamadı: %2"_s.arg(owner, text));
        if (!m.captured(1).isEmpty()) {
            out += u" ("_s;
        } else if (!m.captured(2).isEmpty()) {
            out += u" )"_s;
        } else if (!m.captured(3).isEmpty()) {
            out += u' ' + m.captured(3).toUpper();
        } else {
            const Field* f = fieldNamed(m.captured(4));
            if (!f->isStored())
                throw DataError(u"%1: süzgeçte hesaplanan alan kullanılamaz: %2"_s.arg(owner, f->FieldName()));
            QVariant value;
            if (m.capturedStart(6) >= 0)
                value = m.captured(6).replace(u"''"_s, u"'"_s);
            else if (m.capturedStart(7) >= 0)
                value = m.captured(7);
            else
                value = m.captured(8).replace(u',', u'.').toDouble();
            QString bind = u":f%1"_s.arg(n++);
            while (binds.contains(bind))
                bind = u":f%1"_s.arg(n++);
            binds.insert(bind, value);
            out += u' ' + quoted(f->FieldName()) + u' ' + m.captured(5) + u' ' + bind;
        }
        pos = int(m.capturedEnd(0));
    }
    return out;
}
