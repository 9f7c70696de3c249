#pragma once

#include "TableChecksum.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

struct TableDef;

// Copies a whole clinic from one open database to another, on either engine: the target's
// schema is made first, then every table is copied in one transaction of its own with its key
// values kept, in batches of many rows per statement with every value bound. New records on the
// target get keys after the copied ones by the schema's own rule (SQLite's key counter, the key
// sequence moved by a trigger on PostgreSQL), which copied rows obey like any others. A target
// that already holds clinic data is refused. Afterwards each table can be checked on both sides by
// its row count and checksum.
class DatabaseCopy final
{
public:
    // Told after every batch: the table, the rows copied so far and the rows it has.
    using Progress = std::function<void(const QString& table, qint64 copied, qint64 total)>;

    struct TableCheck {
        QString table;
        TableChecksum source;
        TableChecksum target;

        bool matches() const
        {
            return source == target;
        }
    };

    DatabaseCopy(QSqlDatabase& source, QSqlDatabase& target);

    void setProgress(Progress progress);
    // At most this many rows go into one statement (fewer when the table has many columns). By
    // default 2000 on PostgreSQL and 500 on SQLite, whose Qt driver looks every bound value up
    // among all of the statement's, so that a statement's cost grows with their square.
    void setBatchRows(int rows);

    // The target's tables that hold clinic data, each with its number of rows: any row of a
    // clinic table, and reference rows other than those a new database is given. Empty when
    // the target may be written.
    QStringList occupiedTables();

    // Makes the target's schema, refuses a target holding clinic data, and copies every table.
    // Throws DataError naming the table and with the engine's text; the table being copied
    // is left as it was, those copied before stay.
    void copy();

    // Counts and sums one table on both sides (the source as it was read for the copy).
    TableCheck check(const TableDef& def);
    // The schema versions of source and target agree.
    bool versionsMatch();

private:
    void copyTable(const TableDef& def);
    // Sums of the reference tables as a new database holds them.
    const QHash<QString, TableChecksum>& newReferenceSums();

    QSqlDatabase m_source;
    QSqlDatabase m_target;
    Progress m_progress;
    // 0: the engine's own default.
    int m_batchRows = 0;
    QHash<QString, TableChecksum> m_referenceSums;
    // Each copied table's source rows, summed as they were read.
    QHash<QString, TableChecksum> m_sourceSums;
};
