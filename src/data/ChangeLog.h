#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

class QSqlDatabase;
struct TableDef;

// The change history: every record the data-set layer inserts, changes or deletes leaves one
// row in the table degisiklik, written in the transaction of the change itself, so that the
// change and its row are stored or taken back together. A row holds the time, the signed-in
// user, the table, the record's key, the child code where the table has one, and the changed
// fields with their values before and after as JSON text.
class ChangeLog final
{
public:
    enum class Kind {
        Insert,
        Update,
        Delete,
    };

    // One field of a change; a new record has no value before, a deleted one none after.
    struct Change {
        QString field;
        QVariant before;
        QVariant after;
        bool operator==(const Change&) const = default;
    };

    // The history table's name.
    static QString tableName();
    // True for the history table itself, whose rows nobody may change.
    static bool isHistory(const TableDef& table);

    // The user written into every history row from now on (set by the sign-in).
    static void setUser(const QString& user);
    static QString user();

    // The column holding the child code in that table; empty for a table without one.
    static QString childCodeColumn(const QString& table);
    // The word the history shows for the kind of change ("Ekleme", "Düzeltme", "Silme").
    static QString kindText(Kind kind);

    // Writes one history row. Runs in the caller's transaction; throws DataError.
    static void write(QSqlDatabase& db, Kind kind, const TableDef& table, qint64 key, const QVariant& childCode,
        const QList<Change>& changes);
    // Writes the history row of deleting the record with that key, from the record as it still
    // is; false (and nothing written) when there is no such record. Call before the delete, in
    // its transaction.
    static bool writeDelete(QSqlDatabase& db, const TableDef& table, qint64 key);
    // Gives every row of the table whose column holds the value from the value to, each with
    // its history row. Runs in the caller's transaction; throws DataError.
    static void carry(
        QSqlDatabase& db, const QString& table, const QString& column, const QString& from, const QString& to);

    // The codes a child has had: its code now and every code its own record held before or
    // after a change, as the history tells, in the order first met.
    static QStringList childCodes(QSqlDatabase& db, qint64 hid, const QString& currentCode);
    // The condition on the history's rows of one child (its codes and its own record), narrowed
    // to a table when it is not empty and to a user when one is given (an empty name is the
    // user of changes made while nobody was signed in); the values are added to binds.
    static QString childCondition(qint64 hid, const QStringList& codes, const QString& table,
        const std::optional<QString>& user, QVariantMap& binds);

    // The JSON text of the changes, in the order given: pictures by their size, passwords
    // hidden.
    static QString json(const TableDef& table, const QList<Change>& changes);
    // The changes of a JSON text written by json(); empty for anything else.
    static QList<Change> parse(const QString& json);
    // The changes as the history screen shows them, one line per field:
    // "Title: before → after", with Turkish field titles and number and date formats.
    static QString describe(const QString& table, const QString& json);
};
