#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QVector>

#include <optional>

// Reads a list's keys a page at a time in the list's order, by ranges of its sort terms and
// the record key: "the next n after this record" is one indexed statement, so walking, jumping
// to the end or finding the next hit never reads the keys in between. A record's position is a
// count of the records before it, asked only when it is needed.
//
// The order is a list of terms ending with the record key; a term whose value is missing sorts
// before every value, as the engine sorts it (after them in a descending term).
class KeysetQuery final
{
public:
    struct Term {
        QString sql;
        bool descending = false;
    };

    // One page: the records after the anchor record (the terms' values of that record, or from
    // the start of the list when empty), or before it when backward, in reading order.
    struct Page {
        QVariantList anchor;
        bool backward = false;
        int skip = 0;
        int limit = 1;
        // A further condition on the records and its bound values.
        QString extra;
        QVariantMap extraBinds;
        // Keys left out (records this data set stored, which it lists last).
        QVector<qint64> excluded;
        // When not empty, only these keys are read.
        QVector<qint64> only;
    };

    // members is the condition that picks the list's records (empty: the whole table), with
    // its bound values; order ends with keyColumn (added when missing).
    KeysetQuery(QString table, QString keyColumn, QString members, QVariantMap binds, QVector<Term> order);

    // A one-table query's text after its table, "[WHERE condition] [ORDER BY terms]": the
    // condition and the terms; nullopt for any other text (grouping, limits, joins, subqueries).
    struct Tail {
        QString where;
        QVector<Term> order;
    };
    static std::optional<Tail> readTail(const QString& tail);

    const QVector<Term>& order() const;
    // Whether a column may decide the list's order or its records: its name appears in the
    // condition or a term (a cautious test: a name inside another word counts too).
    bool mentions(const QString& column) const;

    // The keys of a page; edges, when given, gets the terms' values of the first and the last
    // key read (the anchors of the pages next to it).
    QVector<qint64> keys(QSqlDatabase& db, const Page& page, QVector<QVariantList>* edges = nullptr) const;
    // The values of the order's terms for a record (only a listed one when listedOnly); nullopt
    // when there is none.
    std::optional<QVariantList> anchorOf(QSqlDatabase& db, qint64 key, bool listedOnly) const;
    // How many listed records come before the anchor record, the excluded ones left out.
    int countBefore(QSqlDatabase& db, const QVariantList& anchor, const QVector<qint64>& excluded) const;

    // Whether the list is in the order of its keys alone (either way).
    bool keyOrdered() const;
    // The columns (a select list) of at most limit listed records from the anchor record on,
    // that record included, in the list's order: the rows of a run of the list, in no
    // particular order.
    QSqlQuery rowsFrom(QSqlDatabase& db, const QString& columns, const QVariantList& anchor, int limit) const;
    // The columns of the listed records whose keys lie from low to high, in no particular order:
    // the rows of a run of a list in key order.
    QSqlQuery rowsBetween(QSqlDatabase& db, const QString& columns, qint64 low, qint64 high) const;

    // The condition "comes after the anchor" (before it when backward; or is the anchor record
    // itself, when inclusive) with its values bound into binds; missing values are compared as
    // the engine sorts them.
    static QString afterCondition(const QVector<Term>& order, const QVariantList& anchor, bool backward,
        QVariantMap& binds, bool inclusive = false);

private:
    QString whereSql(const QStringList& conditions) const;
    QString orderBySql(QSqlDatabase& db, bool backward) const;
    QString keysSql(const QVector<qint64>& keys, bool in) const;

    QString m_table;
    QString m_key;
    QString m_members;
    QVariantMap m_binds;
    QVector<Term> m_order;
};
