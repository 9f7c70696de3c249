#pragma once

#include "FieldType.h"

#include <QByteArray>
#include <QSqlDatabase>
#include <QVariant>

#include <memory>
#include <vector>

class PostgresRowReader;
class QSqlQuery;
struct TableDef;
struct evp_md_ctx_st;

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

    // Reads the whole table (on PostgreSQL through the server's client library); throws
    // DataError with the engine's text.
    static TableChecksum of(QSqlDatabase& db, const TableDef& def);

    // The canonical text of one stored value of a field of that type: whole numbers without a
    // fraction, numbers in their shortest exact form, dates as the program stores them, texts
    // and bytes as they are. A null value and an empty text differ.
    static QByteArray canonical(FieldType type, const QVariant& value);

    // Sums rows one at a time where they are read anyway, exactly as of() would: each row's
    // values in the table's field order, in key order. The sum is SHA-256, by the system's
    // cryptographic library (several times faster than Qt's own on a clinic's pictures).
    class Builder final
    {
    public:
        explicit Builder(const TableDef& def);
        ~Builder();
        Builder(const Builder&) = delete;
        Builder& operator=(const Builder&) = delete;

        void addRow(const QSqlQuery& row);
        void addRow(const PostgresRowReader& row);
        TableChecksum result();

    private:
        template <typename Row> void addValues(const Row& row);
        void hash(const QByteArray& bytes);

        struct HashDeleter {
            void operator()(evp_md_ctx_st* hash) const;
        };

        const TableDef& m_def;
        std::unique_ptr<evp_md_ctx_st, HashDeleter> m_hash;
        // Rows of a table without a key have no order of their own: they are summed sorted.
        std::vector<QByteArray> m_unordered;
        QByteArray m_row;
        qint64 m_rows = 0;
    };

    // The first bytes of the sum in hexadecimal, for the user to compare by eye.
    QString shortText() const;
};
