#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

// One transaction (a savepoint inside a WriteBatch) that writes a record: begun when made, rolled back when destroyed
// without commit (so a refused record or a failing hook leaves nothing behind). Every value is bound.
class RecordWriter final
{
public:
    explicit RecordWriter(QSqlDatabase& db);
    ~RecordWriter();
    RecordWriter(const RecordWriter&) = delete;
    RecordWriter& operator=(const RecordWriter&) = delete;

    // Inserts a row with the given (quoted) columns and returns its key, the value of keyColumn
    // (which PostgreSQL needs named; SQLite knows the row it inserted).
    qint64 insert(const QString& table, const QStringList& columns, const QVariantList& values,
        const QString& keyColumn = QString());
    // Sets the columns of the row with this key, only where each of them still holds its value
    // as read (originals): so another copy's change is never overwritten. False when no such
    // row was there to change.
    bool update(const QString& table, const QString& keyColumn, qint64 key, const QStringList& columns,
        const QVariantList& values, const QVariantList& originals);
    void commit();

private:
    QSqlDatabase& m_db;
    const bool m_batched; // a savepoint of a WriteBatch's transaction
    bool m_open = false;
};
