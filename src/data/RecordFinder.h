#pragma once

#include "KeyList.h"
#include "KeysetQuery.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

#include <functional>
#include <optional>

// Finds the records of a data set's list that meet a condition, in the list's order: in a list
// whose keys are read whole by the keys themselves, in a list read by pages by the pages'
// statements (KeysetQuery), with the records appended here last and the records held at their
// rows met at those rows. It reads the list and runs statements; it never moves a cursor.
class RecordFinder final
{
public:
    // The order's values a page is read after, for a key of the list; nullopt when gone.
    using AnchorOf = std::function<std::optional<QVariantList>(qint64 key)>;

    RecordFinder(QSqlDatabase& db, const KeyList& keys);

    // The keys of the table's records meeting the condition (which may end in an order and a
    // limit), in the engine's order.
    QVector<qint64> matchingKeys(
        const QString& table, const QString& keyColumn, const QString& where, const QVariantMap& binds) const;
    // The row of the first record in a list read whole that meets the condition (which holds
    // the list's own conditions too); keyOrder when the list is the table's in key order. -1 when
    // records meet it but none is listed, nullopt when none meets it.
    std::optional<int> firstListedMatch(const QString& table, const QString& keyColumn, const QString& where,
        const QVariantMap& binds, bool keyOrder) const;
    // The first row after start (-1: from the first row) whose key is a hit, wrapping once so
    // that start itself comes last; -1 when none is.
    int nextListedRow(const QSet<qint64>& hits, int start) const;

    // The first record of a list read by pages meeting a condition: after the current record
    // (current, at the row currentRow gives) when current >= 0, the keys appended here coming
    // last, wrapping once to the start and ending with the current record; from the start when
    // current < 0. -1 when none does.
    qint64 firstPagedMatch(const KeysetQuery& keyset, const AnchorOf& anchorFor, const QString& sql,
        const QVariantMap& binds, qint64 current, const std::function<int()>& currentRow) const;

private:
    QSqlDatabase& m_db;
    const KeyList& m_keys;
};
