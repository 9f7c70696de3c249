#pragma once

#include "TScreen.h"

#include <memory>

class DataSet;
class DataSource;

namespace Ui {
class TreceteF;
}

// Prescription lines of the visit selected in the visit screen's history.
class TreceteF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TreceteF> ui;

public:
    TreceteF();
    ~TreceteF() override;

    // Follows frmMain->muayeneRSource.
    DataSet* const recTable;
    DataSource* const recSource;
};
