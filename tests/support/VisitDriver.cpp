#include "VisitDriver.h"

#include "AppFixture.h"
#include "Screens.h"
#include "TReportPreview.h"
#include "TfrmMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

VisitDriver::VisitDriver(AppFixture& app)
    : m_app(app)
{ }

QList<qint64> VisitDriver::seed()
{
    m_app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, adi2, soyadi, dogumtarihi) VALUES "
               u"('012', 'Ali', 'Can', 'Yılmaz', '2010-03-15 00:00:00.000'), "
               u"('5', 'Ayşe', NULL, 'Yıldız', '2010-03-20 00:00:00.000')"_s);
    m_app.exec(u"INSERT INTO muayene (hastakodu, tarih, yas) VALUES ('012', '2011-12-08 10:00:00.000', 20.23), "
               u"('012', '2012-01-10 10:00:00.000', 21.26)"_s);
    QList<qint64> mids;
    QSqlQuery q = m_app.exec(u"SELECT mid FROM muayene ORDER BY tarih"_s);
    while (q.next())
        mids.append(q.value(0).toLongLong());
    return mids;
}

TfrmMain* VisitDriver::signIn()
{
    m_app.exec(u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi, firmaadres, firmatel) VALUES "
               u"('doktor', '1234', 'Deneme', 'Doktor', 'Deneme Klinik', 'Çiçek Sok. 3', '2125554433')"_s);
    if (!m_app.signIn())
        qFatal("sign-in failed");
    TfrmMain* screen = m_app.screens().frmMain;
    screen->findChild<QDateTimeEdit*>(u"JvDateTimePicker1"_s)->setDate(QDate(2012, 3, 20));
    QApplication::setActiveWindow(screen);
    if (!QTest::qWaitForWindowActive(screen))
        qFatal("the visit screen did not become active");
    return screen;
}

void VisitDriver::lookUp(const QString& code)
{
    TfrmMain* screen = m_app.screens().frmMain;
    screen->findChild<QLineEdit*>(u"kisinoedit"_s)->setText(code);
    click(u"JvNavPanelButton9"_s);
    QApplication::setActiveWindow(screen);
}

void VisitDriver::lookUpWithoutPending(const QString& code)
{
    lookUp(code);
    click(u"JvXPButton3"_s);
}

void VisitDriver::selectVisit(int row)
{
    QAbstractItemView* grid = history();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, 1));
}

QAbstractItemView* VisitDriver::history() const
{
    return m_app.screens().frmMain->findChild<QAbstractItemView*>(u"muqueryGrid1"_s);
}

void VisitDriver::click(const QString& button)
{
    auto* b = m_app.screens().frmMain->findChild<QPushButton*>(button);
    if (!b)
        qFatal("no button %s", qPrintable(button));
    QTest::mouseClick(b, Qt::LeftButton);
}

PreviewWatcher::PreviewWatcher()
{
    TReport::setPreviewHandler(this);
}

PreviewWatcher::~PreviewWatcher()
{
    TReport::setPreviewHandler(nullptr);
}

QString PreviewWatcher::pdfText() const
{
    QTemporaryDir folder;
    const QString pdf = folder.filePath(u"report.pdf"_s);
    if (!folder.isValid() || !report.writePdf(pdf))
        return {};
    QProcess text;
    text.start(u"pdftotext"_s, { u"-layout"_s, pdf, u"-"_s });
    if (!text.waitForFinished(20000))
        return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}

void PreviewWatcher::previewShown(TReportPreview& preview)
{
    ++shown;
    caption = preview.windowTitle();
    report = preview.report();
    preview.close();
}
