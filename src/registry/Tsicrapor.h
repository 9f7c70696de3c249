#pragma once

#include "TScreen.h"

class DataSet;
class DataSource;

namespace Ui {
class Tsicrapor;
}

// The registry list: all children, searched, sorted, printed and exported.
class Tsicrapor final : public TScreen
{
    Q_OBJECT

public:
    Tsicrapor();
    ~Tsicrapor() override;

    // Controls, reachable by name from the other screens.
    Ui::Tsicrapor* const ui;

    DataSet* const sicrapQuery;
    DataSource* const sicilrapSource;
};
