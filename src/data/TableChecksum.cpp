#include "TableChecksum.h"

#include "DataError.h"
#include "Schema.h"
#include "StatementBuilder.h"
#include "ValueFormats.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A value's canonical text with its length in front, so that no two rows run together alike.
void appendValue(QByteArray& row, FieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull()) {
        row += "-;";
        return;
    }
    const QByteArray text = TableChecksum::canonical(type, value);
    row += QByteArray::number(text.size());
    row += ':';
    row += text;
    row += ';';
}

} // namespace

QByteArray TableChecksum::canonical(FieldType type, const QVariant& value)
{
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Smallint: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (ok && d == double(qlonglong(d)))
            return QByteArray::number(qlonglong(d));
        break;
    }
    case FieldType::Float: {
        bool ok = false;
        double d = value.toDouble(&ok);
        if (ok) {
            // Zero's sign is not part of the value.
            if (d == 0)
                d = 0;
            return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
        }
        break;
    }
    case FieldType::DateTime: {
        const QDateTime stored = value.typeId() == QMetaType::QDateTime
            ? value.toDateTime()
            : ValueFormats::readStoredDate(value.toString());
        if (stored.isValid())
            return ValueFormats::storedDate(stored).toUtf8();
        break;
    }
    case FieldType::Blob:
        return value.toByteArray();
    case FieldType::WideString:
    case FieldType::Memo:
        break;
    }
    // Texts, and values a column holds that are not of its type, as the engine gives them.
    return value.toString().toUtf8();
}

TableChecksum TableChecksum::of(QSqlDatabase& db, const TableDef& def)
{
    QStringList columns;
    for (const FieldDef& field : def.fields)
        columns << StatementBuilder::quoted(field.name);
    QString sql = u"SELECT %1 FROM %2"_s.arg(columns.join(u", "_s), StatementBuilder::quoted(def.name));
    if (!def.keyField.isEmpty())
        sql += u" ORDER BY %1"_s.arg(StatementBuilder::quoted(def.keyField));

    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DataError(u"%1: %2"_s.arg(def.name, DataError::engineText(q.lastError())));

    QCryptographicHash hash(QCryptographicHash::Sha256);
    // Rows of a table without a key have no order of their own: they are summed sorted.
    std::vector<QByteArray> unordered;
    TableChecksum result;
    QByteArray row;
    while (q.next()) {
        row.clear();
        for (qsizetype c = 0; c < def.fields.size(); ++c)
            appendValue(row, def.fields.at(c).type, q.value(int(c)));
        row += '\n';
        if (def.keyField.isEmpty())
            unordered.push_back(row);
        else
            hash.addData(row);
        ++result.rows;
    }
    if (q.lastError().isValid())
        throw DataError(u"%1: %2"_s.arg(def.name, DataError::engineText(q.lastError())));
    std::sort(unordered.begin(), unordered.end());
    for (const QByteArray& r : unordered)
        hash.addData(r);
    result.sum = hash.result();
    return result;
}

QString TableChecksum::shortText() const
{
    return QString::fromLatin1(sum.left(8).toHex());
}
