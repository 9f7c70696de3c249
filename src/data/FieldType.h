#pragma once

#include <QString>

// Field types of the clinic database.
enum class FieldType {
    AutoInc,
    WideString,
    Integer,
    Smallint,
    Float,
    DateTime,
    Memo,
    Blob,
};

enum class FieldKind {
    fkData,
    fkLookup,
    fkCalculated, // computed from the other fields of its row; never stored
};

// Column description as the schema declares it.
struct FieldDef {
    QString name;
    FieldType type = FieldType::WideString;
    int size = 0;
};
