#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

class DataSet;

// Searching and sorting the registry list: the record filter over the typed text, the
// sequential name search and the sort statements.
class RegistrySearch final
{
public:
    // The statement of the list at start, and the one that puts the order by hid back.
    static QString initialStatement();
    static QString defaultStatement();

    // The grid's columns, left to right; the only field names a sort may name.
    static const QStringList& gridFields();

    // The sort direction after current: "ASC" becomes "DESC", anything else "ASC".
    static QString nextDirection(const QString& current);
    // The statement sorting by one of the grid's fields. Throws DataError for any other name
    // or direction, so no free text ever reaches the statement.
    static QString sortStatement(const QString& fieldName, const QString& direction);

    // The record filter as a condition on the list's rows: a child is shown when its code or one
    // of the five names equals typed, or one of the names equals its capitals. Whole values,
    // letter case kept; a field without a value equals nothing, so an empty box shows the
    // children with an empty text there.
    static QString filterCondition(const QString& typed, QVariantMap& binds);

    // The text the sequential search looks in: first name, surname and second name in small
    // letters, one blank between them.
    static QString searchText(const QString& adi, const QString& soyadi, const QString& adi2);

    // The sequential search (siraliara): moves forward from the record after the current,
    // wrapping from the end to the first record, to the first record whose searchText contains
    // text; when the current record is the last one, it is tried first (and Eof is then set, as
    // a step past the end would). True when it found one; otherwise the cursor stays.
    static bool siraliara(DataSet& dataSet, const QString& text);
};
