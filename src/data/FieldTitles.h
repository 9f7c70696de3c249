#pragma once

#include <QString>

// Readable Turkish titles of the stored fields, as the change history shows them.
class FieldTitles final
{
public:
    // The title of a field of a table; the field's own name where none is known.
    static QString of(const QString& table, const QString& field);
    // The title of a table ("Muayene" for muayene); the table's own name where none is known.
    static QString ofTable(const QString& table);
};
