#include "Connection.h"
#include "DataSet.h"
#include "Dialogs.h"
#include "MessageScript.h"
#include "ReportEngine.h"
#include "ReportLayout.h"
#include "ReportPageView.h"
#include "TReport.h"
#include "TReportPreview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Answers the file and printer dialogs as a test says.
class ScriptedDialogs final : public Dialogs::Handler
{
public:
    ScriptedDialogs()
    {
        Dialogs::setHandler(this);
    }
    ~ScriptedDialogs() override
    {
        Dialogs::setHandler(nullptr);
    }

    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        ++openDialogs;
        return openPath;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString& filter, QString* selected) override
    {
        ++saveDialogs;
        offeredFilters = filter;
        if (selected)
            *selected = saveFilter;
        return savePath;
    }
    bool choosePrinter(QWidget*, QPrinter& printer, int pageCount) override
    {
        ++printerDialogs;
        offeredPages = pageCount;
        if (!setUpPrinter)
            return false;
        setUpPrinter(printer);
        return true;
    }
    bool printersAvailable() override
    {
        return printers;
    }
    QColor color(QWidget*, const QColor&, const QString&) override
    {
        return {};
    }

    bool printers = true;
    QString openPath;
    QString savePath;
    QString saveFilter;
    QString offeredFilters;
    std::function<void(QPrinter&)> setUpPrinter;
    int printerDialogs = 0;
    int openDialogs = 0;
    int saveDialogs = 0;
    int offeredPages = 0;
};

// Runs a test's look at every preview and closes it, unless told to leave it open.
class PreviewWatcher final : public TReport::PreviewHandler
{
public:
    PreviewWatcher()
    {
        TReport::setPreviewHandler(this);
    }
    ~PreviewWatcher() override
    {
        TReport::setPreviewHandler(nullptr);
    }

    void previewShown(TReportPreview& preview) override
    {
        ++shown;
        caption = preview.windowTitle();
        if (look)
            look(preview);
        if (closeAtOnce)
            preview.close();
    }

    std::function<void(TReportPreview&)> look;
    bool closeAtOnce = true;
    int shown = 0;
    QString caption;
};

// A printer whose second page never comes: the device fails in the middle of the job.
class FailingPrinter final : public QPrinter
{
public:
    bool newPage() override
    {
        return false;
    }
};

// A prepared report made by hand: "Sayfa n" at the top of each page.
PreparedReport pages(int count, const QString& title = u"Deneme"_s)
{
    PreparedReport r;
    r.setTitle(title);
    r.setPageSize(ReportLayout::a4Portrait());
    PreparedReport::Style heading;
    heading.fontFamily = u"Times New Roman"_s;
    heading.fontSize = 12;
    heading.bold = true;
    const int h = r.addStyle(heading);
    PreparedReport::Style shade = heading;
    shade.background = QColor(240, 240, 240);
    const int s = r.addStyle(shade);
    for (int p = 0; p < count; ++p) {
        r.addPage();
        r.page(p).items.append({ QRectF(60, 60, 400, 24), u"Sayfa %1"_s.arg(p + 1), h });
        for (int row = 0; row < 40; ++row)
            r.page(p).items.append({ QRectF(60, 100 + row * 24, 600, 24), u"Satır %1 Çocuk Şükrü Öztürk"_s.arg(row + 1),
                row % 2 ? h : s });
    }
    return r;
}

template <typename T> T* child(QWidget& window, const QString& name)
{
    T* widget = window.findChild<T*>(name);
    if (!widget)
        qFatal("no %s", qPrintable(name));
    return widget;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, { path, u"-"_s });
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A clinic database with children in the registry list and one account, bound as the registry
// list's printing command binds them.
struct Registry {
    explicit Registry(int children)
        : connection(dir.filePath(u"Data/Pediakay.db"_s), u"preview"_s)
    {
        ReportLayout::addLayoutDirectory(qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/src/reports/layouts"_s);
        if (!connection.open())
            return;
        QSqlDatabase& db = connection.database();
        db.transaction();
        QSqlQuery q(db);
        q.exec(
            u"INSERT INTO sifre (kullanici, sifre, firmaadi, firmaadres, firmatel) VALUES "
            u"('zeynep', '1', 'Şifa Çocuk Polikliniği', 'Güzelyalı Mah. Işık Sok. 4 Üsküdar İstanbul', '02165554433')"_s);
        q.prepare(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, dogumtarihi, evadresi, evtel) "
                  u"VALUES (?, ?, 'Yıldız', '2021-06-15 00:00:00.000', 'Çınar Sok. No 5 Kadıköy', '0216 444 33 22')"_s);
        for (int i = 1; i <= children; ++i) {
            q.addBindValue(QString::number(i));
            q.addBindValue(u"Çocuk%1"_s.arg(i));
            if (!q.exec())
                return;
        }
        db.commit();
        list.setConnection(&connection);
        list.setSQL(u"Select * from hastasicil Order By hid ASC"_s);
        list.Open();
        accounts.setConnection(&connection);
        accounts.setTableName(u"sifre"_s);
        accounts.Open();
        accounts.First();
        bindings.bind(u"sicrapQuery"_s, &list).bind(u"sifrelerF.sifreTable"_s, &accounts);
        ok = true;
    }

    QTemporaryDir dir;
    Connection connection;
    DataSet list { u"sicrapQuery"_s };
    DataSet accounts { u"sifreTable"_s };
    ReportBindings bindings { u"sicrapor"_s };
    bool ok = false;
};

} // namespace

class tst_ReportPreview final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void windowAndButtons_data();
    void windowAndButtons();
    void zoomMenu_data();
    void zoomMenu();
    void pageKeys();
    void commandWaitsUntilClosed();
    void badLayoutShowsErrorAndNoPreview_data();
    void badLayoutShowsErrorAndNoPreview();
    void onlyShownPagesAreDrawn();
    void longListIsShownWhileStillBeingMade();
    void printsThePagesChosen();
    void printerFailingMidJob();
    void saveAndOpen_data();
    void saveAndOpen();
    void screenshot();
    void packedPageScreenshot();
    void everyButtonAndKey_data();
    void everyButtonAndKey();

private:
    QTemporaryDir m_dir;
};

void tst_ReportPreview::initTestCase()
{
    QVERIFY(m_dir.isValid());
    ReportLayout::addLayoutDirectory(m_dir.path());
}

void tst_ReportPreview::windowAndButtons_data()
{
    QTest::addColumn<bool>("printers");
    QTest::newRow("printer installed") << true;
    QTest::newRow("no printer") << false;
}

void tst_ReportPreview::windowAndButtons()
{
    QFETCH(bool, printers);
    ScriptedDialogs dialogs;
    dialogs.printers = printers;
    PreviewWatcher watcher;
    QStringList buttons;
    bool maximised = false;
    bool printEnabled = !printers;
    watcher.look = [&](TReportPreview& preview) {
        maximised = preview.windowState() & Qt::WindowMaximized;
        // Left to right along the top.
        QList<QAbstractButton*> row = preview.findChildren<QAbstractButton*>();
        std::sort(row.begin(), row.end(), [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
        for (QAbstractButton* b : std::as_const(row))
            buttons << b->text();
        printEnabled = child<QPushButton>(preview, u"printButton"_s)->isEnabled();
    };
    TReport::showPreview(pages(3, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s));
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - Lumeko Rapor Önizleme - Protokol Takip Kartları"_s);
    QVERIFY(maximised);
    QCOMPARE(buttons, (QStringList { u"200%"_s, u"Yazdır"_s, u"Sakla"_s, u"Aç"_s, u"Kapat"_s }));
    QCOMPARE(printEnabled, printers);
}

void tst_ReportPreview::zoomMenu_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("fit");
    QTest::addColumn<double>("zoom"); // 0: depends on the window
    QTest::newRow("200") << u"200%"_s << int(ReportPageView::Fit::None) << 200.0;
    QTest::newRow("150") << u"150%"_s << int(ReportPageView::Fit::None) << 150.0;
    QTest::newRow("100") << u"100%"_s << int(ReportPageView::Fit::None) << 100.0;
    QTest::newRow("75") << u"75%"_s << int(ReportPageView::Fit::None) << 75.0;
    QTest::newRow("50") << u"50%"_s << int(ReportPageView::Fit::None) << 50.0;
    QTest::newRow("25") << u"25%"_s << int(ReportPageView::Fit::None) << 25.0;
    QTest::newRow("10") << u"10%"_s << int(ReportPageView::Fit::None) << 10.0;
    QTest::newRow("page width") << u"Sayfa genişliği"_s << int(ReportPageView::Fit::PageWidth) << 0.0;
    QTest::newRow("whole page") << u"Tüm sayfa"_s << int(ReportPageView::Fit::WholePage) << 0.0;
    QTest::newRow("two pages") << u"İki sayfa"_s << int(ReportPageView::Fit::TwoPages) << 0.0;
}

void tst_ReportPreview::zoomMenu()
{
    QFETCH(QString, entry);
    QFETCH(int, fit);
    QFETCH(double, zoom);
    TReportPreview preview(pages(4));
    preview.resize(1000, 800);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QStringList entries;
    QAction* chosen = nullptr;
    for (QAction* a : preview.zoomMenu()->actions()) {
        if (a->isSeparator())
            continue;
        entries << a->text();
        if (a->text() == entry)
            chosen = a;
    }
    QCOMPARE(entries.size(), 10);
    QVERIFY(chosen);
    QCOMPARE(child<QToolButton>(preview, u"zoomButton"_s)->menu(), preview.zoomMenu());
    ReportPageView* view = preview.pageView();
    view->goToPage(2);
    chosen->trigger();
    QCOMPARE(int(view->fit()), fit);
    if (zoom > 0)
        QCOMPARE(qRound(view->zoom()), qRound(zoom));
    // The page in view stays in view.
    QCOMPARE(view->currentPage(), 2);
    const int viewWidth = view->viewport()->width();
    if (fit == int(ReportPageView::Fit::PageWidth))
        QVERIFY(qAbs(view->zoom() / 100 * ReportLayout::a4Portrait().width() - (viewWidth - 24)) < 2);
    if (fit == int(ReportPageView::Fit::WholePage))
        QVERIFY(view->zoom() / 100 * ReportLayout::a4Portrait().height() <= view->viewport()->height());
}

void tst_ReportPreview::pageKeys()
{
    TReportPreview preview(pages(5));
    preview.resize(900, 700);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    ReportPageView* view = preview.pageView();
    view->setZoom(100);
    QCOMPARE(view->currentPage(), 0);
    QTest::keyClick(view, Qt::Key_PageDown);
    QCOMPARE(view->currentPage(), 1);
    QTest::keyClick(view, Qt::Key_PageDown);
    QTest::keyClick(view, Qt::Key_PageUp);
    QCOMPARE(view->currentPage(), 1);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view->currentPage(), 4);
    QCOMPARE(child<QLabel>(preview, u"pageLabel"_s)->text(), u"Sayfa 5 / 5"_s);
    QTest::keyClick(view, Qt::Key_PageDown);
    QCOMPARE(view->currentPage(), 4);
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view->currentPage(), 0);
    QVERIFY(view->verticalScrollBar()->maximum() > 0);
}

void tst_ReportPreview::commandWaitsUntilClosed()
{
    PreviewWatcher watcher;
    watcher.closeAtOnce = false;
    bool closedByUser = false;
    watcher.look = [&](TReportPreview& preview) {
        QTimer::singleShot(100, &preview, [&closedByUser, &preview] {
            closedByUser = true;
            child<QPushButton>(preview, u"closeButton"_s)->click();
        });
    };
    TReport::showPreview(pages(2));
    QCOMPARE(watcher.shown, 1);
    // The command went on only after "Kapat".
    QVERIFY(closedByUser);
}

void tst_ReportPreview::badLayoutShowsErrorAndNoPreview_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown data set")
        << uR"({"bands": [{"kind": "reportTitle", "height": 20, "boxes": [{"left": 0, "top": 0, "width": 90, "height": 20, "text": "[yokTable.\"adi\"]"}]}]})"_s
        << u"Undefined data set \"yokTable\" in [yokTable.\"adi\"]"_s;
    QTest::newRow("unknown master data set")
        << uR"({"bands": [{"kind": "masterData", "height": 20, "dataSet": "frDBDataSet1", "boxes": []}]})"_s
        << u"Undefined data set \"frDBDataSet1\" of the master data band"_s;
    QTest::newRow("no such layout") << QString() << u"Layout \"hata_yok\" not found"_s;
}

void tst_ReportPreview::badLayoutShowsErrorAndNoPreview()
{
    QFETCH(QString, layout);
    QFETCH(QString, text);
    const QString name = layout.isEmpty()
        ? u"hata_yok"_s
        : u"hata_%1"_s.arg(QString::fromUtf8(QTest::currentDataTag())).replace(u' ', u'_');
    if (!layout.isEmpty()) {
        QFile f(m_dir.filePath(name + u".json"_s));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(layout.toUtf8());
    }
    MessageScript messages;
    messages.expectError(text);
    PreviewWatcher watcher;
    QVERIFY(!TReport::Preview(name, u"Başlık"_s, ReportBindings(u"frmMain"_s)));
    QString problems;
    QVERIFY2(messages.verifyDone(&problems), qPrintable(problems));
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().at(0).caption, u"Error"_s);
    QCOMPARE(watcher.shown, 0);
}

void tst_ReportPreview::onlyShownPagesAreDrawn()
{
    const PreparedReport big = pages(2500);
    PreviewWatcher watcher;
    int painted = -1;
    qint64 firstPageMs = -1;
    QElapsedTimer clock;
    watcher.look = [&](TReportPreview& preview) {
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QTRY_VERIFY(preview.pageView()->paintedPageCount() > 0);
        firstPageMs = clock.elapsed();
        painted = preview.pageView()->paintedPageCount();
        preview.pageView()->goToPage(1234);
        QTest::qWait(20);
    };
    clock.start();
    TReport::showPreview(big);
    QVERIFY(painted > 0 && painted <= 3);
    qInfo("first page of 2500 on screen after %lld ms", firstPageMs);
    QVERIFY(firstPageMs < 1000);
}

void tst_ReportPreview::longListIsShownWhileStillBeingMade()
{
    Registry registry(20000);
    QVERIFY(registry.ok);
    const ReportBindings& bindings = registry.bindings;

    // Watch for the first page on screen from inside the command.
    bool drawnWhileMaking = false;
    QString firstFooter;
    QTimer watch;
    watch.setInterval(1);
    connect(&watch, &QTimer::timeout, this, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* preview = qobject_cast<TReportPreview*>(w);
            if (preview && preview->isVisible() && preview->pageView()->paintedPageCount() > 0
                && firstFooter.isEmpty()) {
                drawnWhileMaking = preview->preparing();
                firstFooter = preview->report().texts(0).last();
            }
        }
    });
    watch.start();
    PreviewWatcher watcher;
    int pages = 0;
    QStringList lastPage;
    watcher.look = [&](TReportPreview& preview) {
        QVERIFY(!preview.preparing());
        pages = preview.report().pageCount();
        lastPage = preview.report().texts(pages - 1);
    };
    QElapsedTimer clock;
    clock.start();
    QVERIFY(TReport::Preview(u"sicrapor_liste"_s, u"Liste"_s, bindings));
    qInfo("20000 children: %d pages in %lld ms", pages, clock.elapsed());
    QVERIFY(drawnWhileMaking);
    QCOMPARE(firstFooter, u"Sayfa 1 / ?"_s);
    QVERIFY(pages > 400);
    // Once made, the count is filled in and the last child is on the last page.
    QVERIFY(lastPage.contains(u"Sayfa %1 / %1"_s.arg(pages)));
    QVERIFY(lastPage.contains(u"Çocuk20000"_s));
}

void tst_ReportPreview::printsThePagesChosen()
{
    ScriptedDialogs dialogs;
    const QString pdf = m_dir.filePath(u"printed.pdf"_s);
    dialogs.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
    };
    TReportPreview preview(pages(4));
    preview.show();
    QVERIFY(child<QPushButton>(preview, u"printButton"_s)->isEnabled());
    child<QPushButton>(preview, u"printButton"_s)->click();
    QCOMPARE(dialogs.printerDialogs, 1);
    QCOMPARE(dialogs.offeredPages, 4);
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(u"Sayfa 2"_s) && text.contains(u"Sayfa 3"_s), qPrintable(text.left(400)));
    QVERIFY(!text.contains(u"Sayfa 1\n"_s) && !text.contains(u"Sayfa 4"_s));
    QVERIFY(text.contains(u"Çocuk Şükrü Öztürk"_s));

    // Cancelling the printer selection prints nothing.
    QFile::remove(pdf);
    dialogs.setUpPrinter = nullptr;
    child<QPushButton>(preview, u"printButton"_s)->click();
    QCOMPARE(dialogs.printerDialogs, 2);
    QVERIFY(!QFile::exists(pdf));
}

void tst_ReportPreview::printerFailingMidJob()
{
    MessageScript messages;
    messages.expectError();
    TReportPreview preview(pages(3));
    preview.show();
    FailingPrinter failing;
    failing.setOutputFormat(QPrinter::PdfFormat);
    failing.setOutputFileName(m_dir.filePath(u"failing.pdf"_s));
    QVERIFY(!preview.printTo(failing));
    QString problems;
    QVERIFY2(messages.verifyDone(&problems), qPrintable(problems));
    QVERIFY(messages.shown().at(0).text.contains(u"iptal edildi"_s));
    // The window carries on, and the next printer works.
    QVERIFY(preview.isVisible());
    QPrinter good;
    good.setOutputFormat(QPrinter::PdfFormat);
    good.setOutputFileName(m_dir.filePath(u"good.pdf"_s));
    QVERIFY(preview.printTo(good));
    QVERIFY(pdfText(m_dir.filePath(u"good.pdf"_s)).contains(u"Sayfa 3"_s));
}

void tst_ReportPreview::saveAndOpen_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("pdf");
    QTest::newRow("own format") << u"rapor.prp"_s << u"Hazırlanmış rapor (*.prp)"_s << false;
    QTest::newRow("own format, no suffix") << u"rapor2"_s << u"Hazırlanmış rapor (*.prp)"_s << false;
    QTest::newRow("pdf") << u"rapor.pdf"_s << u"PDF dosyası (*.pdf)"_s << true;
    QTest::newRow("pdf chosen by filter") << u"rapor3"_s << u"PDF dosyası (*.pdf)"_s << true;
}

void tst_ReportPreview::saveAndOpen()
{
    QFETCH(QString, file);
    QFETCH(QString, filter);
    QFETCH(bool, pdf);
    ScriptedDialogs dialogs;
    dialogs.savePath = m_dir.filePath(file);
    dialogs.saveFilter = filter;
    TReportPreview preview(pages(3, u"Kayıtlı"_s));
    child<QPushButton>(preview, u"saveButton"_s)->click();
    QVERIFY(dialogs.offeredFilters.contains(u"PDF"_s));
    const QString written
        = dialogs.savePath + (QFileInfo(file).suffix().isEmpty() ? (pdf ? u".pdf"_s : u".prp"_s) : QString());
    QVERIFY2(QFile::exists(written), qPrintable(written));
    if (pdf) {
        QVERIFY(pdfText(written).contains(u"Sayfa 3"_s));
        return;
    }
    // "Aç" shows the saved pages in another preview.
    TReportPreview other(pages(1, u"Başka"_s));
    dialogs.openPath = written;
    child<QPushButton>(other, u"openButton"_s)->click();
    QCOMPARE(other.report().pageCount(), 3);
    QCOMPARE(other.report().texts(2), preview.report().texts(2));
    QCOMPARE(other.windowTitle(), u"Preview - Kayıtlı"_s);

    // A file that is no saved report: a message, and the pages stay.
    MessageScript messages;
    messages.expectError();
    const QString junk = m_dir.filePath(u"bozuk.prp"_s);
    QFile f(junk);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PKRP but not really");
    f.close();
    dialogs.openPath = junk;
    child<QPushButton>(other, u"openButton"_s)->click();
    QVERIFY(messages.verifyDone());
    QCOMPARE(other.report().pageCount(), 3);
}

void tst_ReportPreview::screenshot()
{
    // The registry list as the user sees it first.
    Registry registry(60);
    QVERIFY(registry.ok);
    PreparedReport list = ReportEngine::prepare(ReportLayout::load(u"sicrapor_liste"_s), registry.bindings);
    list.setTitle(u"Lumeko Rapor Önizleme - Çocuk Sicil Kartları"_s);
    TReportPreview preview(list);
    preview.resize(1100, 800);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTest::qWait(50);
    const QImage shot = preview.grab().toImage();
    QVERIFY(!shot.isNull());
    const QString dir = qEnvironmentVariableIsSet("PEDIAKAY_BUILD_DIR")
        ? qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/test-output"_s
        : QDir::current().absoluteFilePath(u"test-output"_s);
    QDir().mkpath(dir);
    const QString path = dir + u"/report-preview.png"_s;
    QVERIFY(shot.save(path));
    qInfo("preview screenshot: %s", qPrintable(path));
    // White paper on a grey ground, with the shading of the first row on it.
    ReportPageView* view = preview.pageView();
    const QPoint origin = view->viewport()->mapTo(&preview, QPoint(0, 0));
    QCOMPARE(shot.pixelColor(origin + QPoint(4, 4)), QColor(128, 128, 128));
    QCOMPARE(shot.pixelColor(origin + QPoint(view->viewport()->width() / 2, 16)), QColor(Qt::white));
    const double scale = view->zoom() / 100.0;
    const PreparedReport::Item* first = list.findItem(0, u"Çocuk1"_s);
    const QPoint shaded = origin
        + QPoint(12 + int((first->rect.left() - 6) * scale), 12 + int(first->rect.center().y() * scale)) + QPoint(0, 0);
    QCOMPARE(shot.pixelColor(shaded), QColor(240, 240, 240));
}

// A page far down a long list, long since packed, is drawn with its own rows at 1366 x 768.
void tst_ReportPreview::packedPageScreenshot()
{
    Registry registry(2000);
    QVERIFY(registry.ok);
    PreparedReport list = ReportEngine::prepare(ReportLayout::load(u"sicrapor_liste"_s), registry.bindings);
    QVERIFY(list.pageCount() > 40);
    // Pages asked for after it push page 31 out of the few kept unpacked.
    for (int p = 40; p >= 32; --p)
        QVERIFY(!list.texts(p).isEmpty());
    TReportPreview preview(list);
    preview.resize(1366, 768);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    ReportPageView* view = preview.pageView();
    view->goToPage(30);
    QTRY_COMPARE(view->currentPage(), 30);
    QTest::qWait(50);
    const QImage shot = preview.grab().toImage();
    const QString dir = qEnvironmentVariableIsSet("PEDIAKAY_BUILD_DIR")
        ? qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/test-output"_s
        : QDir::current().absoluteFilePath(u"test-output"_s);
    QDir().mkpath(dir);
    QVERIFY(shot.save(dir + u"/report-preview-page31.png"_s));

    // The page's first child is written where the page puts it.
    const QStringList texts = list.texts(30);
    const auto child
        = std::find_if(texts.cbegin(), texts.cend(), [](const QString& t) { return t.startsWith(u"Çocuk"_s); });
    QVERIFY(child != texts.cend());
    const PreparedReport::Item* item = list.findItem(30, *child);
    QVERIFY(item);
    const double scale = view->zoom() / 100.0;
    const QPoint origin = view->viewport()->mapTo(&preview, QPoint(0, 0));
    const QRect area(origin.x() + 12 + int(item->rect.left() * scale), origin.y() + 12 + int(item->rect.top() * scale),
        int(item->rect.width() * scale), int(item->rect.height() * scale));
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += shot.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    QVERIFY2(ink > 20, qPrintable(u"%1 dark pixels in %2"_s.arg(ink).arg(*child)));
    QCOMPARE(shot.pixelColor(origin + QPoint(4, 4)), QColor(128, 128, 128));
}

void tst_ReportPreview::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("effect");

    QTest::newRow("200%") << u"zoomButton"_s << QKeySequence() << u"zoom menu"_s;
    QTest::newRow("Yazdır") << u"printButton"_s << QKeySequence() << u"printer asked"_s;
    QTest::newRow("Sakla") << u"saveButton"_s << QKeySequence() << u"saved"_s;
    QTest::newRow("Aç") << u"openButton"_s << QKeySequence() << u"opened"_s;
    QTest::newRow("Kapat") << u"closeButton"_s << QKeySequence() << u"closed"_s;
    QTest::newRow("PageDown") << QString() << QKeySequence(Qt::Key_PageDown) << u"page 2"_s;
    QTest::newRow("Ctrl+End") << QString() << QKeySequence(Qt::CTRL | Qt::Key_End) << u"page 4"_s;
}

// Each button and paging key of the preview does its own command, on a report of four pages.
void tst_ReportPreview::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, effect);

    ScriptedDialogs dialogs;
    dialogs.savePath = m_dir.filePath(u"kept.pdf"_s);
    QFile::remove(dialogs.savePath);
    dialogs.openPath = m_dir.filePath(u"two.%1"_s.arg(PreparedReport::fileSuffix()));
    QVERIFY(pages(2).save(dialogs.openPath));
    MessageScript messages;

    TReportPreview preview(pages(4));
    preview.resize(900, 700);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    preview.pageView()->setZoom(100);
    QWidget* poppedUp = nullptr;
    if (!keys.isEmpty()) {
        QTest::keySequence(preview.pageView(), keys);
    } else {
        auto* pressed = preview.findChild<QAbstractButton*>(button);
        QVERIFY2(pressed, qPrintable(button));
        // A menu opened by the press is looked at and closed again.
        QTimer::singleShot(0, &preview, [&poppedUp] {
            poppedUp = QApplication::activePopupWidget();
            if (poppedUp)
                poppedUp->close();
        });
        QTest::mouseClick(pressed, Qt::LeftButton);
        QTRY_VERIFY(effect != u"zoom menu"_s || poppedUp);
    }
    QVERIFY2(messages.verifyDone(), qPrintable(messages.report()));

    QCOMPARE(poppedUp == preview.zoomMenu(), effect == u"zoom menu"_s);
    QCOMPARE(dialogs.printerDialogs, effect == u"printer asked"_s ? 1 : 0);
    QCOMPARE(dialogs.saveDialogs, effect == u"saved"_s ? 1 : 0);
    QCOMPARE(QFile::exists(dialogs.savePath), effect == u"saved"_s);
    QCOMPARE(dialogs.openDialogs, effect == u"opened"_s ? 1 : 0);
    QCOMPARE(preview.report().pageCount(), effect == u"opened"_s ? 2 : 4);
    QCOMPARE(preview.isHidden(), effect == u"closed"_s);
    const int page = effect.startsWith(u"page "_s) ? effect.mid(5).toInt() : 1;
    QCOMPARE(preview.pageView()->currentPage(), page - 1);
}

QTEST_MAIN(tst_ReportPreview)
#include "tst_reportpreview.moc"
