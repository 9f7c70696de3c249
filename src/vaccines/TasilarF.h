#pragma once

#include "TScreen.h"

#include <QString>

#include <memory>

class DataSet;
class DataSource;

namespace Ui {
class TasilarF;
}

// The vaccine screen: the vaccine catalogue, the current child's single vaccinations and the
// child's dose table.
class TasilarF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TasilarF> ui;

public:
    TasilarF();
    ~TasilarF() override;

    // Vaccine kinds.
    DataSet* const asiturTable;
    DataSource* const asiturSource;
    // Vaccinations given, one record per shot.
    DataSet* const receTable;
    DataSource* const receSource;
    DataSet* const asiQuery;
    DataSource* const asiSource;
    // The dose table; follows ozluk->sicilSource.
    DataSet* const asi2Table;
    DataSource* const asi2Source;

    // Lists the current child's vaccinations.
    void JvXPButton2Click();

    // What the opener asks of the screen: whether a new vaccination record is begun.
    enum class Entry {
        Keep,
        New,
    };
    // Shows the screen for the current child, with the child's age text in both age captions,
    // its data sets open and the list read; with Entry::New a new vaccination record is begun.
    void showForChild(const QString& ageText, Entry entry);
};
