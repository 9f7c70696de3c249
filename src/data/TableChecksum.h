#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QVariant>

struct TableDef;

// A table's row count and a checksum of its contents that does not depend on the engine: rows
// are read in key order (tables without a key field: in the order of their row texts) and each
// value is put in one canonical text form before it is hashed, so a copy on another engine sums
// the same when it holds the same values.
class TableChecksum final
{
public:
    qint64 rows = 0;
    QByteArray sum;

    bool operator==(const TableChecksum& other) const = default;

    // Reads the whole table; throws DataError with the engine's text.
    static TableChecksum of(QSqlDatabase& db, const TableDef& def);

    // The canonical text of one stored value of a field of that type: whole numbers without a
    // fraction, numbers in their shortest exact form, dates as the program stores them, texts
    // and bytes as they are. A null value and an empty text differ.
    static QByteArray canonical(FieldType type, const QVariant& value);

    // The first bytes of the sum in hexadecimal, for the user to compare by eye.
    QString shortText() const;
};
