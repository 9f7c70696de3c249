#pragma once

#include "PreparedReport.h"

#include <QWidget>

#include <memory>

class QMenu;
class QPrinter;
class QTimer;
class ReportJob;
class ReportPageView;

namespace Ui {
class TReportPreview;
}

// The preview window of every report: the prepared pages, zoom, printing, saving and opening
// prepared reports. Caption "Preview - " + the report's title.
class TReportPreview final : public QWidget
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::TReportPreview> ui;

public:
    explicit TReportPreview(const PreparedReport& report, QWidget* parent = nullptr);
    // Shows the pages of a report still being made; the rest is made while the window is up.
    TReportPreview(std::unique_ptr<ReportJob> job, const QString& title, QWidget* parent = nullptr);
    ~TReportPreview() override;

    // The pages shown; while preparing() the last ones are still to come.
    const PreparedReport& report() const;
    bool preparing() const;
    // Makes the rest of the pages at once.
    void finishPreparing();
    ReportPageView* pageView() const;
    QMenu* zoomMenu() const;

    // "Yazdır": printer selection, then the pages chosen there. Does nothing without printers.
    void printClick();
    // Prints on a printer already chosen; a printer that fails aborts the job and says so.
    // False when the job did not complete.
    bool printTo(QPrinter& printer);
    // "Sakla": the program's own format or PDF, by the chosen file type.
    void saveClick();
    // "Aç": shows a prepared report saved before.
    void openClick();

    // Saves or opens without a dialog; false (after an error box) when the file cannot be
    // written or read.
    bool saveTo(const QString& path, bool pdf);
    bool openFrom(const QString& path);

    // Shows the window maximised and returns when it is closed.
    void exec();

signals:
    void closed();
    void prepared();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void setUp();
    void buildZoomMenu();
    void showReport();
    void updatePageLabel();
    void updateButtons();
    void prepareMore();
    void preparationDone();

    PreparedReport m_report;
    QString m_title;
    std::unique_ptr<ReportJob> m_job;
    QTimer* m_prepareTimer = nullptr;
    QMenu* m_zoomMenu = nullptr;
};
