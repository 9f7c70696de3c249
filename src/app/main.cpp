#include "CopyDatabaseCommand.h"
#include "PediakayApplication.h"
#include "RestoreCommand.h"
#include "Screens.h"
#include "TPasswordDlg.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <QTimer>

using namespace Qt::StringLiterals;

int main(int argc, char** argv)
{
    // Moving a clinic between databases runs on the terminal alone.
    if (CopyDatabaseCommand::requested(argc, argv)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        return CopyDatabaseCommand::run(QCoreApplication::arguments(), out);
    }

    PediakayApplication app(argc, argv);
    // The program ends only when the sign-in dialog closes, not when its last window hides.
    app.setQuitOnLastWindowClosed(false);

    // pediakay --restore FILE: a backup takes the database's place, and the program ends.
    QString backup;
    if (RestoreCommand::asked(QCoreApplication::arguments(), backup)) {
        QTextStream console(stderr);
        return RestoreCommand::run(backup, QCoreApplication::applicationDirPath(), console);
    }

    Screens& all = screens();
    all.useProgramFolder = true;
    all.automaticBackups = true;
    // exit() rather than quit(): quitting would first ask every window to close.
    all.onEnd = [] { QCoreApplication::exit(0); };
    all.start();
    if (all.ended()) {
        all.destroy();
        return 1;
    }
    // For start-up checks: the program closes its sign-in dialog as soon as it runs.
    if (QCoreApplication::arguments().contains(u"--quit-after-start"_s))
        QTimer::singleShot(0, all.PasswordDlg, &TPasswordDlg::close);

    const int result = app.exec();
    all.destroy();
    return result;
}
