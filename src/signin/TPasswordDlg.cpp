#include "TPasswordDlg.h"

#include "ui_TPasswordDlg.h"

#include "Connection.h"
#include "Messages.h"
#include "Screens.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>

using namespace Qt::StringLiterals;

TPasswordDlg::TPasswordDlg()
    : ui(new Ui::TPasswordDlg)
    , anaConnection(new Connection)
{
    setObjectName(u"PasswordDlg"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnScreen);

    // All relative paths (the database, the settings file, the help topics) are taken against
    // the program's folder, so it must be the working directory before the connection opens.
    if (screens().useProgramFolder)
        QDir::setCurrent(QCoreApplication::applicationDirPath());

    Connection::setDefaultConnection(anaConnection);
    // Start-up goes on with the connection closed; the first data access tries again.
    if (!anaConnection->open())
        Messages::error(anaConnection->lastError());
}

TPasswordDlg::~TPasswordDlg()
{
    if (Connection::defaultConnection() == anaConnection)
        Connection::setDefaultConnection(nullptr);
    delete anaConnection;
    delete ui;
}

void TPasswordDlg::FormClose()
{
    screens().end();
}

void TPasswordDlg::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}
