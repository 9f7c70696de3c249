#pragma once

#include "TScreen.h"

class Connection;
class QCloseEvent;

namespace Ui {
class TPasswordDlg;
}

// The sign-in dialog: the first screen built and the program's main window. It owns the
// database connection that every data set uses; closing it ends the program.
class TPasswordDlg final : public TScreen
{
    Q_OBJECT

public:
    TPasswordDlg();
    ~TPasswordDlg() override;

    // Controls, reachable by name from the other screens.
    Ui::TPasswordDlg* const ui;

    Connection* const anaConnection;

    // Ends the program when the dialog closes.
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;
};
