#pragma once

#include "FieldType.h"

#include <functional>

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The clinic database's tables: one description each, used to create the file and by every
// data set to know its fields.
struct TableDef {
    QString name;
    QList<FieldDef> fields;
    // AutoInc field that identifies a record; empty for tables without one (the rowid is used).
    QString keyField;
    // Columns of the PrimaryKey index, in order; empty when the table has none.
    QStringList primaryKey;

    const FieldDef* field(const QString& fieldName) const;
    int indexOf(const QString& fieldName) const;
    // The column a data set uses as record identity: the key field or SQLite's rowid.
    QString rowKey() const;
};

class Schema final
{
public:
    // Version written into a new file; existing files are migrated up to it.
    static constexpr int currentVersion = 4;

    static const QList<TableDef>& tables();
    static const TableDef* table(const QString& name);

    // Creates every table, index and the reference rows in an empty database, or migrates an
    // older file; adds the columns, indexes and reference rows a file lacks, and refuses a file
    // that lacks a table or a record key, naming them. Throws DataError with the text on failure;
    // nothing is half-written. busy is told true before an older file's records are brought up
    // to date (on a large clinic that takes a while) and false when that is over.
    static void ensure(QSqlDatabase& db, const std::function<void(bool busy)>& busy = {});

    // SQL for the Turkish case fold of a column, built only from SQLite's own functions so that
    // any client can use the indexes made on it.
    static QString foldSql(const QString& columnSql);

    // SQL for the sort key of a text column: Turkish alphabetical order (a b c ç d ... ı i ...
    // ö ... ş ... ü ... z, q w x where the Latin alphabet puts them) without regard to letter
    // case, as a plain text that sorts byte by byte. Built from SQLite's own functions, so any
    // client can use and update the indexes made on it.
    static QString sortKeySql(const QString& columnSql);

    // The growth reference tables a new database is given rows for.
    static const QStringList& referenceTables();

    // The columns of hastasicil the growth assessment reads (gestational weeks at birth, the
    // mother's and the father's height). The registry's export keeps to the other columns.
    static const QStringList& growthColumns();

    // The schema version recorded in the file (0 for an empty file).
    static int version(QSqlDatabase& db);
};
