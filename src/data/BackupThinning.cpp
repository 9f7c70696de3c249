#include "BackupThinning.h"

#include <algorithm>
#include <functional>

namespace {

// The newest copy in each of the first `count` periods (newest first) that have copies.
void keepNewestPerPeriod(const QList<QDateTime>& newestFirst, int count,
    const std::function<qint64(const QDateTime&)>& period, QList<QDateTime>& kept)
{
    int periods = 0;
    bool any = false;
    qint64 last = 0;
    for (const QDateTime& copy : newestFirst) {
        if (periods >= count)
            return;
        const qint64 current = period(copy);
        if (any && current == last)
            continue;
        any = true;
        last = current;
        ++periods;
        if (!kept.contains(copy))
            kept.append(copy);
    }
}

} // namespace

QList<QDateTime> BackupThinning::keep(QList<QDateTime> copies, const Limits& limits)
{
    std::sort(copies.begin(), copies.end(), std::greater<QDateTime>());
    QList<QDateTime> kept;
    keepNewestPerPeriod(
        copies, limits.daily, [](const QDateTime& t) { return t.date().toJulianDay(); }, kept);
    // Weeks start on Monday; the Monday's day number names the week.
    keepNewestPerPeriod(
        copies, limits.weekly, [](const QDateTime& t) { return t.date().toJulianDay() - (t.date().dayOfWeek() - 1); },
        kept);
    keepNewestPerPeriod(
        copies, limits.monthly, [](const QDateTime& t) { return qint64(t.date().year()) * 12 + t.date().month(); },
        kept);
    std::sort(kept.begin(), kept.end(), std::greater<QDateTime>());
    return kept;
}

QList<QDateTime> BackupThinning::keep(const QList<QDateTime>& copies)
{
    return keep(copies, Limits {});
}

QList<QDateTime> BackupThinning::remove(const QList<QDateTime>& copies)
{
    const QList<QDateTime> kept = keep(copies);
    QList<QDateTime> removed;
    for (const QDateTime& copy : copies) {
        if (!kept.contains(copy))
            removed.append(copy);
    }
    return removed;
}
