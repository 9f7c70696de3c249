#pragma once

#include <QVariant>

class Field;

// The value checks of the data-set layer: what a field stores for a value from the edit buffer,
// and the small tests on stored values the other parts share.
class StoredValue final
{
public:
    static bool isNull(const QVariant& value);
    // A picture is stored when its field holds at least one byte.
    static bool holdsBytes(const QVariant& value);
    // A typed number the data layer can store: one ValueFormats reads, and finite.
    static bool readNumber(const QString& text, double& out);
    // The value as stored in the field's column (null for an empty text), or a DataError that
    // explains in Turkish why it can't be stored (too long, not a whole number, out of range,
    // not a date).
    static QVariant of(const Field& field, const QVariant& value);
};
