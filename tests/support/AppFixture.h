#pragma once

#include "MessageScript.h"
#include "OpenScript.h"
#include "TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <memory>

class Screens;

// Runs the whole program inside a test: a temporary program folder (with the help topic files
// and report layouts of the build, when there are any) as the working directory, a new
// database below it, message boxes and requests to open files answered from scripts, and the
// twelve screens built as at start. Rows are read back and seeded through a plain connection of its own.
class AppFixture final
{
public:
    enum class Start {
        Now, // start the program in the constructor
        Later, // prepare the folder only; script boxes or files first, then call start()
    };

    explicit AppFixture(Start when = Start::Now);
    ~AppFixture();

    AppFixture(const AppFixture&) = delete;
    AppFixture& operator=(const AppFixture&) = delete;

    // The program's start: the screens are built and the sign-in dialog is shown.
    void start();
    // The program ends and starts again on the same folder and database.
    void restart();
    // The sign-in dialog has closed since the last start.
    bool programEnded() const;

    // Signs in as the user does: types the name and password into the sign-in dialog and presses
    // "Tamam". An account of that name (first name "Deneme", surname "Doktor") is added first when
    // the database has none. True when the dialog hid itself, that is, the user is signed in.
    // With an empty registry the child record screen then waits on a new child (code "1").
    bool signIn(const QString& user = QStringLiteral("doktor"), const QString& password = QStringLiteral("1234"));

    Screens& screens() const;
    MessageScript& messages();
    // The requests to open files in other programs (answered, never carried out).
    OpenScript& opens();

    // The program's folder, and an absolute path below it ("Data/Pediakay.db").
    QString folder() const;
    QString path(const QString& relative) const;
    QString databasePath() const;

    // Writes every help topic file as a plain text holding just its own name, so that
    // shownHelpTopic() tells which topic a help button opened.
    void nameHelpTopics();
    // The text of the help viewer while it is shown; empty when it is hidden.
    QString shownHelpTopic() const;

    // A plain connection to the program's database (the file, or the server's database when the
    // tests run on PostgreSQL: see TestDatabase), separate from the program's own.
    QSqlDatabase sql();
    // Rows of table matching where (SQL with ? placeholders for binds); -1 on error.
    int count(const QString& table, const QString& where = QString(), const QVariantList& binds = QVariantList());
    // Runs one statement on the plain connection; a failure fails the running test.
    QSqlQuery exec(const QString& statement, const QVariantList& binds = QVariantList());

private:
    void copyBuildFiles();
    void closeSql();

    QString m_previousDir;
    QTemporaryDir m_dir;
    // The server's database when the tests run on PostgreSQL; dropped after the screens are gone.
    std::unique_ptr<TestDatabase> m_database;
    MessageScript m_messages;
    OpenScript m_opens;
    QString m_sqlName;
};
