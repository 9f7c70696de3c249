#pragma once

#include <QStringList>

class QTextStream;

// pediakay --copy-database FROM TO: copies a whole clinic from one database to another (each
// a database file or a server address), shows the progress on the terminal and checks every
// table afterwards. No window opens.
class CopyDatabaseCommand final
{
public:
    static bool requested(int argc, char** argv);

    // Runs the command given on the program's command line and returns the exit status: 0 when
    // the copy is complete and every check passed, 1 when it failed, 2 for wrong arguments.
    static int run(const QStringList& arguments, QTextStream& out);
};
