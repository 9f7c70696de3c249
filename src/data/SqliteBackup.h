#pragma once

#include <QString>

#include <functional>

// A consistent copy of an SQLite database in use, through SQLite's online backup API: the copy
// reads one snapshot of the source on a connection of its own, a number of pages per step, so
// other connections go on reading and writing meanwhile. The copy is written under a temporary
// name, checked with PRAGMA integrity_check, and only then gets its name.
class SqliteBackup final
{
public:
    struct Result {
        bool ok = false;
        QString error; // in Turkish, for the user
    };

    // destination must not exist yet; its folder is created when missing. cancelled, when given,
    // is asked between steps.
    static Result copy(const QString& source, const QString& destination, int pagesPerStep = 1024,
        const std::function<bool()>& cancelled = {});

    // The backup API between two open handles, in steps; false keeps the failure in error.
    static bool copyPages(struct sqlite3* from, struct sqlite3* to, int pagesPerStep,
        const std::function<bool()>& cancelled, QString& error);
};
