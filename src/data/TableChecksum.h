#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QVariant>

#include <vector>

class QSqlQuery;
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

    // Sums rows one at a time where they are read anyway, exactly as of() would: each row's
    // values in the table's field order, in key order.
    class Builder final
    {
    public:
        explicit Builder(const TableDef& def);
        void addRow(const QSqlQuery& row);
        TableChecksum result();

    private:
        const TableDef& m_def;
        QCryptographicHash m_hash;
        // Rows of a table without a key have no order of their own: they are summed sorted.
        std::vector<QByteArray> m_unordered;
        QByteArray m_row;
        qint64 m_rows = 0;
    };

    // The first bytes of the sum in hexadecimal, for the user to compare by eye.
    QString shortText() const;
};
