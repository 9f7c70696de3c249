#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

// The registry's name search index: a trigram full-text table over each child's names as the
// sequential search compares them ("first name surname second name", in small letters), kept
// current by triggers on hastasicil, so that any connection writing the registry keeps it right.
class NameSearch final
{
public:
    // An SQL condition on hastasicil's key column selecting the children whose folded names contain
    // the folded text; empty when the index cannot answer it (fewer than three letters), and the
    // caller then walks the list as before.
    static QString condition(const QString& text, QVariantMap& binds);

    // The name of the index table, the triggers keeping it, and the statements making them.
    static QString indexTable();
    static QStringList triggers();
    static QStringList createStatements();
    // Empties the index and fills it from every record of hastasicil.
    static QStringList fillStatements();
    // Removes the index and its triggers (before they are made again).
    static QStringList dropStatements();

    // SQL of the text the index holds for one record, on the columns of rowName ("new", "old",
    // or the table's name): the same as RegistrySearch::searchText on the record's values.
    static QString namesSql(const QString& rowName);
};
