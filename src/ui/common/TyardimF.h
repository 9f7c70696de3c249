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

    // Shows the viewer and loads the topic file of that name when it exists.
    void showTopic(const QString& fileName);
};
