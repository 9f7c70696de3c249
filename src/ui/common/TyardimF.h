#pragma once

#include "TScreen.h"

namespace Ui {
class TyardimF;
}

// The help viewer: one of the help topic files beside the program.
class TyardimF final : public TScreen
{
    Q_OBJECT

public:
    TyardimF();
    ~TyardimF() override;

    // Controls, reachable by name from the other screens.
    Ui::TyardimF* const ui;
};
