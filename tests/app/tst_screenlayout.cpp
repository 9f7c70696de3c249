#include "AppFixture.h"
#include "GrowthChart.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "TChartF.h"
#include "TfrmMain.h"
#include "Tozluk.h"
#include "Tsicrapor.h"

#include <QAbstractButton>
#include <QDir>
#include <QGraphicsView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Pixels a caption keeps from the control beside it (half on each side).
constexpr int captionGap = 3;

// A control the user reads or types into: a caption, a button or a box.
bool isLeaf(const QWidget* w)
{
    return qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w)
        || qobject_cast<const QLineEdit*>(w);
}

// Where a control is drawn in its window: a caption by the extent of its text and a few pixels
// around it, any other control by its whole rectangle.
QRect area(const QWidget* c, const QWidget* window)
{
    const QPoint origin = c->mapTo(window, QPoint(0, 0));
    auto* label = qobject_cast<const QLabel*>(c);
    if (!label || label->text().isEmpty() || label->wordWrap())
        return QRect(origin, c->size());
    const QString text = QString(label->text()).remove(u'&');
    const QRect textRect
        = c->style()->itemTextRect(label->fontMetrics(), label->contentsRect(), int(label->alignment()), true, text);
    return textRect.translated(origin).adjusted(-captionGap, 0, captionGap, 0);
}

QString describe(const QWidget* w)
{
    QString text;
    if (auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    return u"%1 \"%2\""_s.arg(w->objectName(), text);
}

} // namespace

// The working screens at the smallest screen size a clinic uses, 1366x768: no caption runs into
// another control or is cut, and a picture of each to look at.
class tst_ScreenLayout final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readable_data();
    void readable();

private:
    QString m_outputDir;
};

void tst_ScreenLayout::initTestCase()
{
    m_outputDir = QDir::currentPath();
}

void tst_ScreenLayout::readable_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("headShown");
    QTest::addColumn<QSize>("size");
    // A maximised window on a 1366x768 screen with a task bar; the chart screen at its own size
    // and narrower.
    const QSize maximised(1366, 740);
    QTest::newRow("frmMain") << u"frmMain"_s << false << maximised;
    QTest::newRow("ozluk") << u"ozluk"_s << false << maximised;
    QTest::newRow("sicrapor") << u"sicrapor"_s << false << maximised;
    QTest::newRow("TetkikF") << u"TetkikF"_s << false << maximised;
    QTest::newRow("asilarF") << u"asilarF"_s << false << maximised;
    QTest::newRow("tetkikgirisF") << u"tetkikgirisF"_s << false << maximised;
    QTest::newRow("receteF") << u"receteF"_s << false << maximised;
    QTest::newRow("gecmisF") << u"gecmisF"_s << false << maximised;
    QTest::newRow("ChartF") << u"ChartF"_s << false << QSize(1280, 720);
    QTest::newRow("ChartF, head chart hidden") << u"ChartF"_s << true << QSize(1280, 720);
    QTest::newRow("ChartF, narrow, head chart hidden") << u"ChartF"_s << true << QSize(1024, 700);
    // The accounts screen at the size it opens with (no size given).
    QTest::newRow("sifrelerF") << u"sifrelerF"_s << false << QSize();
}

void tst_ScreenLayout::readable()
{
    QFETCH(QString, screen);
    QFETCH(bool, headShown);
    QFETCH(QSize, size);

    AppFixture app;
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, cinsiyeti, dogumtarihi) VALUES "
             u"('1', 'Ali', 'Yılmaz', 'Erkek', '2012-01-10 00:00:00.000')"_s);
    QWidget* w = app.screens().byName(screen);
    QVERIFY(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    // The test platform's screen is smaller than a clinic's: the window takes the size a
    // maximised window has on a 1366x768 screen with a task bar.
    w->setWindowState(Qt::WindowNoState);
    if (!size.isValid())
        size = w->size();
    QVERIFY(size.width() <= 1366 && size.height() <= 740);
    w->resize(size);
    QTRY_COMPARE(w->size(), size);
    if (headShown) {
        // The head chart's button then reads "Baş Çevresi Göster", its longest caption.
        auto* head = w->findChild<QAbstractButton*>(u"JvXPButton1"_s);
        QVERIFY(head);
        QTest::mouseClick(head, Qt::LeftButton);
        QCOMPARE(head->text(), u"Baş Çevresi Göster"_s);
    }
    QApplication::processEvents();

    const QString file = m_outputDir
        + u"/tst_screenlayout_%1%2_%3.png"_s.arg(screen, headShown ? u"_head"_s : QString()).arg(size.width());
    QVERIFY(w->grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));

    QList<QWidget*> leaves;
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (isLeaf(c) && c->isVisibleTo(w) && !c->rect().isEmpty())
            leaves.append(c);
    }
    QStringList problems;
    for (QWidget* c : std::as_const(leaves)) {
        // A single-line caption is not cut.
        if (auto* label = qobject_cast<QLabel*>(c); label && !label->wordWrap() && !label->text().isEmpty()
            && label->textFormat() != Qt::RichText && !label->text().contains(u'<')) {
            const int needed = label->fontMetrics().horizontalAdvance(label->text().remove(u'&'));
            if (needed > label->contentsRect().width())
                problems
                    << u"cut: %1 needs %2, has %3"_s.arg(describe(c)).arg(needed).arg(label->contentsRect().width());
        }
        // Nothing overlaps another control of the same window, and a caption keeps a few
        // pixels from the control beside it.
        const QRect mine = area(c, w);
        for (QWidget* other : std::as_const(leaves)) {
            if (other <= c || other->isAncestorOf(c) || c->isAncestorOf(other))
                continue;
            const QRect theirs = area(other, w);
            if (mine.intersects(theirs))
                problems << u"overlap: %1 and %2"_s.arg(describe(c), describe(other));
        }
    }
    // The height chart's caption, drawn over the chart, keeps clear of the buttons above it.
    if (auto* charts = qobject_cast<TChartF*>(w)) {
        auto* view = w->findChild<QGraphicsView*>(u"Chart2"_s);
        QVERIFY(view);
        const QRect inView = view->mapFromScene(charts->heightChart()->captionRect()).boundingRect();
        const QRect caption(view->viewport()->mapTo(w, inView.topLeft()), inView.size());
        QVERIFY(charts->heightChart()->plotArea().top() > charts->heightChart()->captionRect().bottom());
        for (QWidget* c : std::as_const(leaves)) {
            if (view->isAncestorOf(c) && caption.intersects(area(c, w)))
                problems << u"caption \"Boy Gelişim Grafiği\" under %1"_s.arg(describe(c));
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"\n"_s)));
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_ScreenLayout test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenlayout.moc"
