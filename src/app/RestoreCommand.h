#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

// "pediakay --restore FILE": puts a backup in the place of the program's database before any
// window opens, and says on the console what it did or why it did nothing.
class RestoreCommand final
{
public:
    // True when the program was started to restore; file is the argument after --restore (empty
    // when it is missing).
    static bool asked(const QStringList& arguments, QString& file);
    // Restores file (relative to the working directory it was typed in) into the database below
    // programFolder; returns the program's exit code.
    static int run(const QString& file, const QString& programFolder, QTextStream& out);
};
