#pragma once

#include "FieldType.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class QSqlQuery;

// Everything that differs between the two database engines the program runs on: the embedded
// SQLite file and a PostgreSQL server. Every other statement the program writes is plain SQL
// that both accept. On PostgreSQL every text column compares byte by byte (collation "C"), as
// SQLite's do, so that the fold and sort-key expressions, their indexes and every ORDER BY give
// the same rows in the same order on both.
class SqlDialect final
{
public:
    enum class Engine {
        SQLite,
        PostgreSQL,
    };

    static const SqlDialect& sqlite();
    static const SqlDialect& postgresql();
    // The dialect of an open (or at least added) connection, by its driver.
    static const SqlDialect& of(const QSqlDatabase& db);

    Engine engine() const;
    bool isPostgreSQL() const;
    // The Qt driver that talks to the engine.
    QString driverName() const;

    // Run on every new connection before anything else.
    QStringList openingStatements() const;

    // Whether a forward-only query may stay open, half read, while others run on the same
    // connection. PostgreSQL's driver streams a forward-only query's rows and loses them when
    // another statement runs; a query walked alongside others reads its rows at once there.
    bool forwardOnlyWhileOthersRun() const;

    // A term of an ORDER BY with its direction (" ASC", " DESC" or empty): missing values first
    // (last going down) on both engines, as SQLite puts them and PostgreSQL does only when told.
    // A term never missing (the record key) is left as it is, so the engine walks its index
    // (the key's index keeps PostgreSQL's own order) instead of sorting every row.
    QString orderTermSql(const QString& termSql, const QString& direction, bool neverMissing = false) const;
    // An index's term; on PostgreSQL with missing values first, as SQLite keeps them and the
    // program's orders ask.
    QString indexTermSql(const QString& termSql) const;
    // Statements keeping a table's automatic numbers ahead of the keys its rows hold, also of
    // rows written with their keys given (a copied clinic, another program): SQLite does that
    // itself, PostgreSQL's sequence needs a trigger.
    QStringList keyFollowsRowsStatements(const QString& tableSql, const QString& keyColumnSql) const;
    // Statements run after a whole clinic was written in at once, outside any transaction:
    // PostgreSQL plans by statistics and answers counts from the visibility map, both of which
    // it otherwise makes only when its background worker comes round. SQLite plans by its indexes
    // alone, and the program's statements are written for that.
    QStringList afterBulkLoadStatements() const;

    // Column types of a new table.
    QString columnType(const FieldDef& field) const;
    // The column a table without a key field gets as its record identity ("rowid" on both:
    // SQLite's own, a generated column on PostgreSQL); empty when the engine has it anyway.
    QString rowIdColumnSql() const;

    // Starts a transaction that will write, taking the write lock at once where the engine has
    // one for the whole database.
    QString beginWrite() const;
    // Starts the transaction that creates or upgrades the schema; two copies of the program
    // starting on one new database wait for each other here.
    QStringList beginSchemaChange() const;

    // A condition true when the column holds the bound value, NULL equal to NULL.
    QString sameValueSql(const QString& columnSql, const QString& mark) const;
    // Added to an INSERT so that the new row's key can be read back by insertedKey().
    QString returningSql(const QString& keyColumnSql) const;
    qint64 insertedKey(QSqlQuery& insert) const;

    // Blanks and control characters (codes 1 to 32) cut from both ends of a text.
    QString trimmedSql(const QString& textSql) const;

    // The schema version recorded in the database, and the statements recording one.
    QString versionSql() const;
    QStringList setVersionStatements(int version) const;
    // Rows (table, column) of every table of the database, both in small letters.
    QString columnsSql() const;
    // Rows (name, "index" or "trigger") of the indexes and triggers, names in small letters.
    QString indexesAndTriggersSql() const;
    // The type ("table", "view", ...) of the object named by the one bound value, if any.
    QString objectTypeSql() const;
    // Names (in small letters) of every table of the database.
    QString tablesSql() const;

    // The registry's name search index over each child's names (namesSql on the registry's own
    // row, on new and old rows in triggers): statements making, filling and removing it, the
    // objects (tables, triggers, indexes, in small letters) it consists of, and the condition
    // on hastasicil's key that selects the records whose names contain the small-letter text.
    QStringList nameSearchCreate(const QString& indexName, const QStringList& triggerNames,
        const std::function<QString(const QString& rowName)>& namesSql) const;
    QStringList nameSearchFill(const QString& indexName, const QString& namesSqlOfTable) const;
    QStringList nameSearchDrop(const QString& indexName, const QStringList& triggerNames) const;
    // True when the index is complete among the database's tables, indexes and triggers.
    bool hasNameSearch(const QString& indexName, const QStringList& triggerNames, const QStringList& tables,
        const QStringList& indexes, const QStringList& triggers) const;
    QString nameSearchCondition(const QString& indexName, const QString& namesSqlOfTable, const QString& wanted,
        const QString& bind, QVariantMap& binds) const;

private:
    explicit SqlDialect(Engine engine);

    Engine m_engine;
};
