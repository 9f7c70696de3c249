#pragma once

#include "ChangeLog.h"
#include "RowCache.h"

#include <QBitArray>
#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVector>

class Field;
struct TableDef;

// The record being edited or appended: its values as read and as changed, and which fields
// changed. It checks what a save writes, tells the change log what changed and gives the row the
// cache keeps after the save; it writes nothing itself (RecordWriter does).
class EditBuffer final
{
public:
    using Row = RowCache::Row;

    // What a save writes: the quoted columns and their values, and every field's value as stored.
    struct Write {
        QStringList columns;
        QVariantList values;
        QVector<QVariant> stored;
    };

    // Starts on a record read (or, without one, on a new record with no values).
    void begin(int fieldCount, const Row* row);
    void clear();

    // A value as it is kept: an empty text is no value, a date or a time its stored text.
    static QVariant normalized(const QVariant& value);

    QVariant value(int field) const;
    const QVector<QVariant>& values() const;
    // The values a hook reads while the record is written (the stored ones), and back.
    void setValues(const QVector<QVariant>& values);
    // A value given before anything is typed (a new child's master link): not a change.
    void preset(int field, const QVariant& value);
    // A value typed or set: a change.
    void set(int field, const QVariant& value);
    // The value a field had when read, for a picture read only when it is changed.
    void setOriginal(int field, const QVariant& value);
    bool changed(int field) const;
    const QVector<QVariant>& original() const;

    // The checked values of a save over the first storedCount fields (throws DataError for a
    // value its field cannot store): a new record's filled fields, an edited record's changed
    // ones; counters are the engine's.
    Write prepare(const QList<Field*>& fields, int storedCount, bool inserting) const;
    // The values as read of the columns an update writes, in prepare's order.
    QVariantList originals(const QList<Field*>& fields, int storedCount) const;
    // The change log's lines of a record written with stored: every filled field of a new record,
    // the fields of an edited one whose stored value differs from the one read.
    QList<ChangeLog::Change> changes(const TableDef& def, bool inserting, const QVector<QVariant>& stored) const;
    // The row the cache keeps for the record written with stored (key: the edited record): the
    // pictures left alone keep what the cache knew of them.
    Row savedRow(
        const QVector<QVariant>& stored, int storedCount, bool inserting, const RowCache& rows, qint64 key) const;

private:
    QVector<QVariant> m_values; // the record as changed
    QVector<QVariant> m_original; // values as read, to detect another copy's change
    QBitArray m_changed;
};
