#pragma once

#include <QDateTime>
#include <QList>

// Which backups are kept: the newest copy of each of the last 7 days that have one, of each of
// the last 4 weeks (Monday to Sunday) and of each of the last 12 months. A copy kept for any of
// the three reasons stays; a day, week or month without copies does not use up a place, so a
// clinic that was closed for a while still keeps its last copies.
class BackupThinning final
{
public:
    struct Limits {
        int daily = 7;
        int weekly = 4;
        int monthly = 12;
    };

    // The copies (taken at these moments, in any order) to keep, newest first.
    static QList<QDateTime> keep(QList<QDateTime> copies, const Limits& limits);
    static QList<QDateTime> keep(const QList<QDateTime>& copies);
    // The copies to delete: every copy that keep() does not name.
    static QList<QDateTime> remove(const QList<QDateTime>& copies);
};
