#pragma once

#include <QString>
#include <QStringList>

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

    // The record filter: the current record of dataSet is shown when its code or one of the
    // five names equals typed, or one of the names equals its capitals. Whole values, letter
    // case kept; a field without a value equals nothing.
    static bool accepts(const DataSet& dataSet, const QString& typed);

    // The text the sequential search looks in: first name, surname and second name in small
    // letters, one blank between them.
    static QString searchText(const QString& adi, const QString& soyadi, const QString& adi2);

    // The sequential search (siraliara): moves forward record by record from the one after
    // the current, wrapping from the end to the first record, at most RecordCount + 1 steps,
    // and stops on the first record whose searchText contains text. True when it found one;
    // otherwise the current record is again where the search started.
    static bool siraliara(DataSet& dataSet, const QString& text);
};
