#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

class Field;

// How Locate compares one field with a wanted value: texts (and lookup fields) by their
// Turkish-folded letters, whole or by prefix; dates by their edit text or as dates; numbers by
// value, an empty wanted value matching a field without one.
class LocateMatch final
{
public:
    // Whether a stored value matches, compared in memory.
    static bool matches(const Field& field, const QVariant& stored, const QVariant& wanted, bool prefix);
    // The same test in SQL, added to conditions with its values bound under names starting with
    // bind. False when no record can match (a wanted date or number that cannot be read); a
    // prefix of nothing adds no test.
    static bool condition(const Field& field, const QVariant& wanted, bool prefix, const QString& bind,
        QStringList& conditions, QVariantMap& binds);
};
