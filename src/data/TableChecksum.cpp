#include "TableChecksum.h"

#include "DataError.h"
#include "PostgresRowReader.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "StatementBuilder.h"
#include "ValueFormats.h"

#include <QDateTime>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <openssl/evp.h>

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
        const double d = value.toDouble(&ok);
        // The shortest text that reads back as the same number (zero without its sign).
        if (ok)
            return QByteArray::number(d, 'g', QLocale::FloatingPointShortest);
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

    Builder builder(def);
    if (SqlDialect::of(db).isPostgreSQL()) {
        try {
            PostgresRowReader rows(db, sql);
            while (rows.next())
                builder.addRow(rows);
        } catch (const DataError& e) {
            throw DataError(u"%1: %2"_s.arg(def.name, e.text()));
        }
        return builder.result();
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DataError(u"%1: %2"_s.arg(def.name, DataError::engineText(q.lastError())));
    while (q.next())
        builder.addRow(q);
    if (q.lastError().isValid())
        throw DataError(u"%1: %2"_s.arg(def.name, DataError::engineText(q.lastError())));
    return builder.result();
}

void TableChecksum::Builder::HashDeleter::operator()(evp_md_ctx_st* hash) const
{
    EVP_MD_CTX_free(hash);
}

TableChecksum::Builder::Builder(const TableDef& def)
    : m_def(def)
    , m_hash(EVP_MD_CTX_new())
{
    if (!m_hash || EVP_DigestInit_ex(m_hash.get(), EVP_sha256(), nullptr) != 1)
        throw DataError(u"%1: SHA-256 hesaplanamıyor."_s.arg(def.name));
}

TableChecksum::Builder::~Builder() = default;

void TableChecksum::Builder::hash(const QByteArray& bytes)
{
    EVP_DigestUpdate(m_hash.get(), bytes.constData(), size_t(bytes.size()));
}

void TableChecksum::Builder::addRow(const QSqlQuery& row)
{
    addValues(row);
}

void TableChecksum::Builder::addRow(const PostgresRowReader& row)
{
    addValues(row);
}

template <typename Row> void TableChecksum::Builder::addValues(const Row& row)
{
    m_row.clear();
    for (qsizetype c = 0; c < m_def.fields.size(); ++c)
        appendValue(m_row, m_def.fields.at(c).type, row.value(int(c)));
    m_row += '\n';
    if (m_def.keyField.isEmpty())
        m_unordered.push_back(m_row);
    else
        hash(m_row);
    ++m_rows;
}

TableChecksum TableChecksum::Builder::result()
{
    std::sort(m_unordered.begin(), m_unordered.end());
    for (const QByteArray& r : m_unordered)
        hash(r);
    m_unordered.clear();
    TableChecksum sum;
    sum.rows = m_rows;
    sum.sum.resize(EVP_MAX_MD_SIZE);
    unsigned int size = 0;
    EVP_DigestFinal_ex(m_hash.get(), reinterpret_cast<unsigned char*>(sum.sum.data()), &size);
    sum.sum.resize(int(size));
    return sum;
}

QString TableChecksum::shortText() const
{
    return QString::fromLatin1(sum.left(8).toHex());
}
