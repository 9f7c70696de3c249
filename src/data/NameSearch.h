#pragma once

#include "SqlDialect.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

// The registry's name search index: a trigram index over each child's names as the sequential
// search compares them ("first name surname second name", in small letters), kept current by the
// engine itself (SQLite: a full-text table and triggers on hastasicil; PostgreSQL: an index on
// the names' expression), so that any connection writing the registry keeps it right.
class NameSearch final
{
public:
    // An SQL condition on hastasicil's key column selecting the children whose folded names contain
    // the folded text; empty when the index cannot answer it (fewer than three letters), and the
    // caller then walks the list as before.
    static QString condition(const QString& text, QVariantMap& binds, const SqlDialect& dialect = SqlDialect::sqlite());

    // The name of the index table, the triggers keeping it, and the statements making them.
    static QString indexTable();
    static QStringList triggers();
    static QStringList createStatements(const SqlDialect& dialect = SqlDialect::sqlite());
    // Empties the index and fills it from every record of hastasicil.
    static QStringList fillStatements(const SqlDialect& dialect = SqlDialect::sqlite());
    // Removes the index and its triggers (before they are made again).
    static QStringList dropStatements(const SqlDialect& dialect = SqlDialect::sqlite());

    // SQL of the text the index holds for one record, on the columns of rowName ("new", "old",
    // or the table's name): the same as RegistrySearch::searchText on the record's values.
    static QString namesSql(const QString& rowName, const SqlDialect& dialect = SqlDialect::sqlite());
};
