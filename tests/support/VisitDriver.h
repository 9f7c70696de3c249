#pragma once

#include "PreparedReport.h"
#include "TReport.h"

#include <QList>
#include <QString>

class AppFixture;
class QAbstractItemView;
class TfrmMain;

// Drives the visit screen the way the lab result and prescription screens' tests need it: a
// child with two saved visits, the sign-in, the lookup, choosing a visit in the history.
class VisitDriver final
{
public:
    explicit VisitDriver(AppFixture& app);

    // Child "012" (Ali Can Yılmaz) with the visits of 08.12.2011 and 10.01.2012; child "5" with
    // none. Returns the two visit numbers, older first.
    QList<qint64> seed();
    // Signs in as "doktor" (Deneme Doktor of "Deneme Klinik") and sets the visit date to 20.03.2012.
    TfrmMain* signIn();
    // Looks the child up by code; a new visit is then started and pending.
    void lookUp(const QString& code);
    // Looks the child up and drops the visit it starts ("Vazgeç"), so nothing is pending.
    void lookUpWithoutPending(const QString& code);
    // Makes a history row (0 = newest) the selected visit, as a click on it does.
    void selectVisit(int row);
    // The history grid.
    QAbstractItemView* history() const;
    // Clicks a button of the visit screen by name.
    void click(const QString& button);

private:
    AppFixture& m_app;
};

// Looks at every report preview as it comes up and closes it.
class PreviewWatcher final : public TReport::PreviewHandler
{
public:
    PreviewWatcher();
    ~PreviewWatcher() override;
    void previewShown(TReportPreview& preview) override;

    // The shown report written to a PDF file and read back by pdftotext (empty when that fails).
    QString pdfText() const;

    int shown = 0;
    QString caption;
    PreparedReport report;
};
