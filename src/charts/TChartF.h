#pragma once

#include "TScreen.h"

#include <QDate>
#include <QString>

#include <memory>

class DataSet;
class DataSource;
class GrowthChart;
class QChartView;
class QComboBox;
class QHideEvent;
class QLabel;
class QPoint;
class QPrinter;

namespace Ui {
class TChartF;
}

// Growth charts: the current child's measurements against the reference percentile curves.
class TChartF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TChartF> ui;

public:
    TChartF();
    ~TChartF() override;

    // Percentile references of weight, length/height and head circumference.
    DataSet* const ffTable1;
    DataSource* const DataSource1;
    DataSet* const ffTable2;
    DataSource* const DataSource2;
    DataSet* const ffTable3;
    DataSource* const DataSource3;

    // The charts shown by Chart1 (weight), Chart2 (height) and Chart3 (head circumference).
    GrowthChart* weightChart() const;
    GrowthChart* heightChart() const;
    GrowthChart* headChart() const;

    // The number of years the next range command shows (below 5 counts as 3).
    int rangeStep() const;

    // Fills the three charts for the current child.
    void BitBtn2Click();
    // Colours the three charts by the current child's sex.
    void Button1Click();
    // Applies the current range step to the axes and moves on to the next one.
    void buyukButClick();
    // Prints the three charts on one landscape page of the chosen printer.
    void yazButClick();
    // Hides or shows the head-circumference chart.
    void JvXPButton1Click();
    // Shows the weight and age under the mouse over the weight chart.
    void Chart1MouseMove(const QPoint& position);
    // Shows the height and age under the mouse over the height chart.
    void Chart2MouseMove(const QPoint& position);
    // Closes the screen and hands back to the visit screen.
    void Kapat1Click();
    // Opens the help topic of the charts.
    void tfXPButton1Click();
    // Lets the visit screen take input again once this screen is hidden.
    void FormHide();
    // Switches the whole program to the reference chosen and draws the charts again.
    void referansComboChange(int index);

    // The page itself, on a printer that is already chosen (the part of yazButClick after the
    // printer dialog).
    void printPage(QPrinter& printer);

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepCaptionClear();
    void fill();
    QString sexCode() const;
    void fillReference(DataSet* table, GrowthChart* chart, const QString& sex);
    void placeOverlays();
    void setUpGrowthReference();
    void showChosenReference();
    void fillGrowthReference(DataSet* table, GrowthChart* chart, const QString& sex);
    void showNearestPoint(GrowthChart* chart, QChartView* view, const QPoint& position, QLabel* label);
    double plotMonths(const QDate& birth, const QDate& visit, double storedAge, bool& corrected) const;

    GrowthChart* m_weight = nullptr;
    GrowthChart* m_height = nullptr;
    GrowthChart* m_head = nullptr;
    int m_rangeStep = 0;
    // Made in code: the reference choice and the nearest point's percentile under each chart.
    QComboBox* m_referenceCombo = nullptr;
    QLabel* m_weightPointLabel = nullptr;
    QLabel* m_heightPointLabel = nullptr;
};
