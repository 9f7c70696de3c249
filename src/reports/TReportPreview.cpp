#include "TReportPreview.h"
#include "ui_TReportPreview.h"

#include "DataError.h"
#include "Dialogs.h"
#include "Messages.h"
#include "ReportError.h"
#include "ReportJob.h"
#include "ReportPageView.h"
#include "ReportPainter.h"
#include "TReport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHideEvent>
#include <QMenu>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString ownFilter = u"Hazırlanmış rapor (*.prp)"_s;
const QString pdfFilter = u"PDF dosyası (*.pdf)"_s;

} // namespace

TReportPreview::TReportPreview(const PreparedReport& report, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::TReportPreview)
    , m_report(report)
    , m_title(report.title())
{
    setUp();
}

TReportPreview::TReportPreview(std::unique_ptr<ReportJob> job, const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , ui(new Ui::TReportPreview)
    , m_title(title)
    , m_job(std::move(job))
{
    m_report.setTitle(title);
    setUp();
}

void TReportPreview::setUp()
{
    ui->setupUi(this);
    setObjectName(u"PreviewForm"_s);
    setWindowModality(Qt::ApplicationModal);
    buildZoomMenu();

    connect(ui->printButton, &QPushButton::clicked, this, &TReportPreview::printClick);
    connect(ui->saveButton, &QPushButton::clicked, this, &TReportPreview::saveClick);
    connect(ui->openButton, &QPushButton::clicked, this, &TReportPreview::openClick);
    connect(ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->pageView, &ReportPageView::currentPageChanged, this, &TReportPreview::updatePageLabel);

    if (m_job) {
        // The rest of the pages is made a slice at a time between the window's events.
        m_prepareTimer = new QTimer(this);
        m_prepareTimer->setInterval(0);
        connect(m_prepareTimer, &QTimer::timeout, this, &TReportPreview::prepareMore);
        m_prepareTimer->start();
    }
    showReport();
    ui->pageView->setFocus();
}

TReportPreview::~TReportPreview() = default;

const PreparedReport& TReportPreview::report() const
{
    return m_job ? m_job->report() : m_report;
}

bool TReportPreview::preparing() const
{
    return m_job != nullptr;
}

void TReportPreview::finishPreparing()
{
    while (m_job)
        prepareMore();
}

void TReportPreview::prepareMore()
{
    if (!m_job)
        return;
    QString problem;
    try {
        QElapsedTimer slice;
        slice.start();
        while (!m_job->step(500) && slice.elapsed() < 40) { }
    } catch (const std::exception& e) {
        const auto* data = dynamic_cast<const DataError*>(&e);
        const auto* report = dynamic_cast<const ReportError*>(&e);
        problem = data ? data->text() : report ? report->text() : QString::fromUtf8(e.what());
    }
    if (!problem.isEmpty()) {
        m_job.reset();
        m_prepareTimer->stop();
        Messages::errorWithCaption(u"Error"_s, problem);
        close();
        return;
    }
    if (m_job->done()) {
        preparationDone();
        return;
    }
    ui->pageView->reportChanged(&m_job->report());
    updatePageLabel();
}

void TReportPreview::preparationDone()
{
    m_prepareTimer->stop();
    m_report = m_job->take();
    m_report.setTitle(m_title);
    m_job.reset();
    ui->pageView->reportChanged(&m_report);
    updatePageLabel();
    updateButtons();
    emit prepared();
}

void TReportPreview::updateButtons()
{
    ui->printButton->setEnabled(!m_job && Dialogs::printersAvailable());
    ui->saveButton->setEnabled(!m_job);
    ui->openButton->setEnabled(!m_job);
}

ReportPageView* TReportPreview::pageView() const
{
    return ui->pageView;
}

QMenu* TReportPreview::zoomMenu() const
{
    return m_zoomMenu;
}

void TReportPreview::buildZoomMenu()
{
    m_zoomMenu = new QMenu(this);
    m_zoomMenu->setObjectName(u"zoomMenu"_s);
    for (const int percent : { 200, 150, 100, 75, 50, 25, 10 }) {
        QAction* action = m_zoomMenu->addAction(u"%1%"_s.arg(percent));
        connect(action, &QAction::triggered, ui->pageView, [this, percent] { ui->pageView->setZoom(percent); });
    }
    m_zoomMenu->addSeparator();
    const QList<QPair<QString, ReportPageView::Fit>> fits = {
        { u"Sayfa genişliği"_s, ReportPageView::Fit::PageWidth },
        { u"Tüm sayfa"_s, ReportPageView::Fit::WholePage },
        { u"İki sayfa"_s, ReportPageView::Fit::TwoPages },
    };
    for (const auto& [text, fit] : fits) {
        QAction* action = m_zoomMenu->addAction(text);
        const ReportPageView::Fit f = fit;
        connect(action, &QAction::triggered, ui->pageView, [this, f] { ui->pageView->setFit(f); });
    }
    ui->zoomButton->setMenu(m_zoomMenu);
}

void TReportPreview::showReport()
{
    setWindowTitle(u"Preview - "_s + m_title);
    ui->pageView->setReport(&report());
    updatePageLabel();
    updateButtons();
}

void TReportPreview::updatePageLabel()
{
    const int pages = report().pageCount();
    ui->pageLabel->setText(m_job ? u"Sayfa %1 / %2 ..."_s.arg(ui->pageView->currentPage() + 1).arg(pages)
                                 : u"Sayfa %1 / %2"_s.arg(ui->pageView->currentPage() + 1).arg(pages));
}

void TReportPreview::printClick()
{
    if (!Dialogs::printersAvailable())
        return;
    finishPreparing();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_report.title());
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), m_report.landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF()));
    if (!Dialogs::choosePrinter(this, printer, m_report.pageCount()))
        return;
    printTo(printer);
}

bool TReportPreview::printTo(QPrinter& printer)
{
    finishPreparing();
    int first = 0;
    int last = m_report.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        if (printer.toPage() > 0)
            last = qMin(last, printer.toPage() - 1);
    }
    printer.setFullPage(true);
    QString error;
    bool ok = ReportPainter::printPages(m_report, printer, first, last, &error);
    if (ok && printer.printerState() == QPrinter::Error) {
        ok = false;
        error = u"Yazıcı hata verdi."_s;
    }
    if (!ok) {
        printer.abort();
        Messages::error(u"Yazdırma işlemi tamamlanamadı, iş iptal edildi.\n"_s + error);
    }
    return ok;
}

void TReportPreview::saveClick()
{
    QString selected = ownFilter;
    QString path
        = Dialogs::getSaveFileName(this, u"Raporu sakla"_s, QString(), ownFilter + u";;"_s + pdfFilter, &selected);
    if (path.isEmpty())
        return;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool pdf = suffix == u"pdf" || (suffix != PreparedReport::fileSuffix() && selected == pdfFilter);
    if (suffix.isEmpty())
        path += pdf ? u".pdf"_s : u"."_s + PreparedReport::fileSuffix();
    saveTo(path, pdf);
}

void TReportPreview::openClick()
{
    const QString path = Dialogs::getOpenFileName(this, u"Rapor aç"_s, QString(), ownFilter + u";;Tüm dosyalar (*)"_s);
    if (!path.isEmpty())
        openFrom(path);
}

bool TReportPreview::saveTo(const QString& path, bool pdf)
{
    finishPreparing();
    QString error;
    const bool ok = pdf ? m_report.writePdf(path, &error) : m_report.save(path, &error);
    if (!ok)
        Messages::error(u"Rapor kaydedilemedi: %1\n%2"_s.arg(QDir::toNativeSeparators(path), error));
    return ok;
}

bool TReportPreview::openFrom(const QString& path)
{
    PreparedReport loaded;
    QString error;
    if (!PreparedReport::load(path, loaded, &error)) {
        Messages::error(u"Rapor açılamadı: %1\n%2"_s.arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    if (m_job) {
        m_prepareTimer->stop();
        m_job.reset();
    }
    m_report = std::move(loaded);
    m_title = m_report.title();
    showReport();
    return true;
}

void TReportPreview::exec()
{
    showMaximized();
    if (m_job) {
        // The handler (tests) sees the finished report.
        QEventLoop making;
        connect(this, &TReportPreview::prepared, &making, &QEventLoop::quit);
        connect(this, &TReportPreview::closed, &making, &QEventLoop::quit);
        making.exec();
        if (!isVisible())
            return;
    }
    if (TReport::previewHandler())
        TReport::previewHandler()->previewShown(*this);
    if (!isVisible())
        return;
    QEventLoop loop;
    connect(this, &TReportPreview::closed, &loop, &QEventLoop::quit);
    loop.exec();
}

void TReportPreview::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Minimising is not closing.
    if (!event->spontaneous() || !isVisible())
        emit closed();
}
