#include "EditBuffer.h"

#include "Field.h"
#include "Schema.h"
#include "StatementBuilder.h"
#include "StoredValue.h"
#include "ValueFormats.h"

namespace {

const auto isNullValue = StoredValue::isNull;

// Whether a field's stored value is the one it had, a null only equal to a null.
bool sameValue(const QVariant& before, const QVariant& after)
{
    if (isNullValue(before) || isNullValue(after))
        return isNullValue(before) == isNullValue(after);
    return before == after;
}

} // namespace

void EditBuffer::begin(int fieldCount, const Row* row)
{
    const int n = fieldCount;
    m_values = QVector<QVariant>(n);
    m_original = QVector<QVariant>(n);
    if (row) {
        for (int i = 0; i < row->values.size() && i < n; ++i) {
            m_values[i] = row->values.at(i);
            m_original[i] = row->values.at(i);
        }
    }
    m_changed = QBitArray(n);
}

void EditBuffer::clear()
{
    m_values.clear();
    m_original.clear();
}

QVariant EditBuffer::normalized(const QVariant& value)
{
    QVariant v = value;
    if (v.typeId() == QMetaType::QString && v.toString().isEmpty())
        v = QVariant();
    if (v.typeId() == QMetaType::QDateTime)
        v = ValueFormats::storedDate(v.toDateTime());
    else if (v.typeId() == QMetaType::QDate)
        v = ValueFormats::storedDate(v.toDate().startOfDay());
    return v;
}

QVariant EditBuffer::value(int field) const
{
    return m_values.value(field);
}

const QVector<QVariant>& EditBuffer::values() const
{
    return m_values;
}

void EditBuffer::setValues(const QVector<QVariant>& values)
{
    m_values = values;
}

void EditBuffer::preset(int field, const QVariant& value)
{
    m_values[field] = value;
}

void EditBuffer::set(int field, const QVariant& value)
{
    m_values[field] = value;
    m_changed.setBit(field);
}

void EditBuffer::setOriginal(int field, const QVariant& value)
{
    m_original[field] = value;
}

bool EditBuffer::changed(int field) const
{
    return field >= 0 && field < m_changed.size() && m_changed.testBit(field);
}

const QVector<QVariant>& EditBuffer::original() const
{
    return m_original;
}

// Everything is checked first: nothing reaches the database unless all values are sound.
EditBuffer::Write EditBuffer::prepare(const QList<Field*>& fields, int storedCount, bool inserting) const
{
    Write write;
    write.stored = m_values;
    for (int i = 0; i < storedCount; ++i) {
        const Field* f = fields.at(i);
        if (f->DataType() == FieldType::AutoInc)
            continue;
        const bool take = inserting ? !isNullValue(m_values.at(i)) : m_changed.testBit(i);
        if (!take)
            continue;
        const QVariant v = StoredValue::of(*f, m_values.at(i));
        write.stored[i] = v;
        if (inserting && isNullValue(v))
            continue;
        write.columns.append(StatementBuilder::quoted(f->FieldName()));
        write.values.append(v);
    }
    return write;
}

QVariantList EditBuffer::originals(const QList<Field*>& fields, int storedCount) const
{
    QVariantList originals;
    for (int i = 0; i < storedCount; ++i) {
        const Field* f = fields.at(i);
        if (f->DataType() != FieldType::AutoInc && m_changed.testBit(i))
            originals.append(m_original.at(i));
    }
    return originals;
}

QList<ChangeLog::Change> EditBuffer::changes(const TableDef& def, bool inserting, const QVector<QVariant>& stored) const
{
    QList<ChangeLog::Change> changes;
    for (int i = 0; i < def.fields.size(); ++i) {
        const FieldDef& f = def.fields.at(i);
        if (f.type == FieldType::AutoInc)
            continue;
        if (inserting) {
            if (!isNullValue(stored.at(i)))
                changes.append({ f.name, QVariant(), stored.at(i) });
        } else if (m_changed.testBit(i) && !sameValue(m_original.at(i), stored.at(i))) {
            changes.append({ f.name, m_original.at(i), stored.at(i) });
        }
    }
    return changes;
}

EditBuffer::Row EditBuffer::savedRow(
    const QVector<QVariant>& stored, int storedCount, bool inserting, const RowCache& rows, qint64 key) const
{
    Row row;
    row.values = stored.mid(0, storedCount);
    row.blobsLoaded = true;
    for (int c : rows.blobColumns()) {
        if (!inserting && !m_changed.testBit(c)) {
            const Row* old = rows.find(key);
            if (old && old->blobsLoaded)
                row.values[c] = old->values.value(c);
            else
                row.blobsLoaded = false;
        }
    }
    if (row.blobsLoaded) {
        rows.markBlobsPresent(row);
    } else if (const Row* old = rows.find(key)) {
        // Pictures left as they were keep what was known of them; a changed one is known now.
        row.blobsPresent = old->blobsPresent;
        for (int b = 0; b < rows.blobColumns().size() && b < row.blobsPresent.size(); ++b) {
            const int c = rows.blobColumns().at(b);
            if (m_changed.testBit(c))
                row.blobsPresent.setBit(b, StoredValue::holdsBytes(row.values.at(c)));
        }
    }
    return row;
}
