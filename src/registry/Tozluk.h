#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class Tozluk;
}

// The child record screen. Its sicilTable's current record is the current child of every
// screen.
class Tozluk final : public TScreen
{
    Q_OBJECT

public:
    Tozluk();
    ~Tozluk() override;

    // Controls, reachable by name from the other screens.
    Ui::Tozluk* const ui;

    DataSet* const sicilTable;
    DataSource* const sicilSource;

    // Starts a new child record with a proposed code ("Yeni Kayıt", F5).
    void JvXPButton3Click();
};
