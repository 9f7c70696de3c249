#pragma once

#include "SqlDialect.h"
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class Field;
struct TableDef;

// The pieces of the statements a data set runs: quoted names, the key column, a query's table
// and its order in the Turkish alphabet, and the filter text as a condition with bound values.
class StatementBuilder final
{
public:
    // A one-table query "select * from <table> <tail>": the table, and the tail with its ORDER
    // BY in Turkish order. table is null for any other statement.
    struct Query {
        const TableDef* table = nullptr;
        QString tail;
    };

    static QString quoted(const QString& identifier);
    // A list of field names separated by ';', blanks and empty names dropped.
    static QStringList splitNames(const QString& names);
    // The column that identifies a record: the table's key field, or SQLite's rowid.
    static QString keyColumn(const TableDef& def);

    static Query parseQuery(const QString& statement, const SqlDialect& dialect = SqlDialect::sqlite());
    // A query's closing ORDER BY with its text columns sorted by their Turkish sort key and the
    // record key breaking ties; anything the pattern does not know is left as written.
    static QString withTurkishOrder(
        const QString& tail, const TableDef& def, const SqlDialect& dialect = SqlDialect::sqlite());

    // The filter text: comparisons "field op value" joined by and/or/not and brackets, values
    // quoted or numbers, turned into SQL with every value bound (":f<n>" added to binds).
    // fieldNamed resolves a name (throwing for an unknown one). Throws DataError, naming
    // owner, for a text it cannot read or a calculated field.
    static QString filterCondition(const QString& text, const std::function<const Field*(const QString&)>& fieldNamed,
        QVariantMap& binds, const QString& owner);
};
