#include "AppFixture.h"
#include "DBEdit.h"
#include "DataSet.h"
#include "Field.h"
#include "PediakayApplication.h"
#include "Screens.h"
#include "TfrmMain.h"
#include "TgecmisF.h"
#include "Tozluk.h"
#include "VisitDriver.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T* control(QWidget* screen, const QString& name)
{
    T* w = screen->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

Tozluk* showChildScreen(AppFixture& app)
{
    Tozluk* ozluk = app.screens().ozluk;
    if (!ozluk->sicilTable->Active())
        ozluk->sicilTable->Open();
    ozluk->show();
    QApplication::setActiveWindow(ozluk);
    return ozluk;
}

void typeInto(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar c : text) {
        const auto key = c == u' ' ? Qt::Key_Space : Qt::Key(c.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

// The history's keys of the rows listed, top to bottom.
QList<qint64> listedRows(TgecmisF* screen)
{
    QList<qint64> keys;
    for (int row = 0; row < screen->gecmisQuery->rowCount(); ++row)
        keys << screen->gecmisQuery->keyAt(row);
    return keys;
}

// A cell of the history grid as shown.
QString shownCell(TgecmisF* screen, int row, int column)
{
    auto* grid = control<QTableView>(screen, u"gecmisGrid"_s);
    return grid->model()->index(row, column).data().toString();
}

// Child hid 1, code "5" (Ali Veli), and five history rows: four of the child, one of child "8".
void seedHistory(AppFixture& app)
{
    app.exec(u"INSERT INTO hastasicil (hid, hasta_kodu, adi, soyadi) VALUES (1, '5', 'Ali', 'Veli')"_s);
    app.exec(u"INSERT INTO hastasicil (hid, hasta_kodu, adi, soyadi) VALUES (2, '8', 'Ayşe', 'Kaya')"_s);
    const QString insert = u"INSERT INTO degisiklik (did, zaman, kullanici, islem, tablo, kayit, hastakodu, degisen) "
                           u"VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s;
    app.exec(insert,
        { 1, u"2026-12-01 09:00:00.000"_s, u"ayse"_s, u"Ekleme"_s, u"muayene"_s, 10, u"5"_s,
            uR"([{"alan":"kilo","eski":null,"yeni":12.5}])"_s });
    app.exec(insert,
        { 2, u"2026-12-02 09:00:00.000"_s, u"can"_s, u"Düzeltme"_s, u"hastasicil"_s, 1, u"5"_s,
            uR"([{"alan":"adi","eski":"Aly","yeni":"Ali"}])"_s });
    app.exec(insert,
        { 3, u"2026-12-03 09:00:00.000"_s, u"ayse"_s, u"Ekleme"_s, u"asitakip"_s, 20, u"5"_s,
            uR"([{"alan":"asiadi","eski":null,"yeni":"BCG"}])"_s });
    app.exec(insert,
        { 4, u"2026-12-04 09:00:00.000"_s, u"can"_s, u"Düzeltme"_s, u"muayene"_s, 10, u"5"_s,
            uR"([{"alan":"kilo","eski":12.5,"yeni":13},{"alan":"tani","eski":null,"yeni":"Grip"}])"_s });
    app.exec(insert,
        { 5, u"2026-12-05 09:00:00.000"_s, u"ayse"_s, u"Ekleme"_s, u"muayene"_s, 11, u"8"_s,
            uR"([{"alan":"kilo","eski":null,"yeni":9}])"_s });
}

// Opens the history of the child record screen's current child with Ctrl+G.
TgecmisF* openHistory(AppFixture& app)
{
    Tozluk* ozluk = showChildScreen(app);
    ozluk->sicilTable->First();
    QTest::keyClick(control<DBEdit>(ozluk, u"adiEdit"_s), Qt::Key_G, Qt::ControlModifier);
    TgecmisF* screen = app.screens().gecmisF;
    if (!screen->isVisible())
        qFatal("the history did not open");
    return screen;
}

} // namespace

class tst_TgecmisF final : public QObject
{
    Q_OBJECT

private slots:
    void editAndCarriedCodeBySignedInUser();
    void openedFromBothScreens_data();
    void openedFromBothScreens();
    void listAndFilter_data();
    void listAndFilter();
    void followsTheChild();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
    void picture();
};

// A child's name and code changed on the child record screen by the signed-in user: one history
// row for the child's record and one for each record the new code is carried to, and the
// history screen lists them newest first.
void tst_TgecmisF::editAndCarriedCodeBySignedInUser()
{
    AppFixture app;
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('5', 'Ali', 'Veli')"_s);
    app.exec(u"INSERT INTO muayene (mid, hastakodu) VALUES (1, '5'), (2, '5'), (3, '8')"_s);
    app.exec(u"INSERT INTO asitakip (asid, hkodu) VALUES (7, '5')"_s);
    QVERIFY(app.signIn(u"hemsire"_s, u"42"_s));
    Tozluk* ozluk = showChildScreen(app);
    ozluk->sicilTable->First();
    ozluk->sicilTable->Edit();
    auto* adi = control<DBEdit>(ozluk, u"adiEdit"_s);
    adi->setFocus();
    adi->selectAll();
    typeInto(adi, u"Can"_s);
    QTest::mouseClick(control<QPushButton>(ozluk, u"JvXPButton10"_s), Qt::LeftButton);
    QTest::keyClick(adi, Qt::Key_F2);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '6'"_s), 2);

    QSqlQuery q = app.exec(u"SELECT kullanici, islem, tablo, kayit, hastakodu, degisen FROM degisiklik ORDER BY did"_s);
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int c = 0; c < 6; ++c)
            cells << q.value(c).toString();
        rows << cells.join(u" | "_s);
    }
    QCOMPARE(rows,
        (QStringList {
            uR"(hemsire | Düzeltme | hastasicil | 1 | 6 | [{"alan":"hasta_kodu","eski":"5","yeni":"6"},{"alan":"adi","eski":"Ali","yeni":"Can"}])"_s,
            uR"(hemsire | Düzeltme | muayene | 1 | 6 | [{"alan":"hastakodu","eski":"5","yeni":"6"}])"_s,
            uR"(hemsire | Düzeltme | muayene | 2 | 6 | [{"alan":"hastakodu","eski":"5","yeni":"6"}])"_s,
            uR"(hemsire | Düzeltme | asitakip | 7 | 6 | [{"alan":"hkodu","eski":"5","yeni":"6"}])"_s,
        }));

    QTest::keyClick(adi, Qt::Key_G, Qt::ControlModifier);
    TgecmisF* screen = app.screens().gecmisF;
    QVERIFY(screen->isVisible());
    QCOMPARE(control<QLabel>(screen, u"cocukLabel"_s)->text(), u"Çocuk: 6 - Can Veli"_s);
    QCOMPARE(control<QLabel>(screen, u"sayiLabel"_s)->text(), u"4 değişiklik"_s);
    QCOMPARE(shownCell(screen, 0, 2), u"Aşı"_s);
    QCOMPARE(shownCell(screen, 0, 4), u"Çocuk Kodu: 5 → 6"_s);
    QCOMPARE(shownCell(screen, 3, 1), u"hemsire"_s);
    QCOMPARE(shownCell(screen, 3, 4), u"Çocuk Kodu: 5 → 6; Adı: Ali → Can"_s);
}

void tst_TgecmisF::openedFromBothScreens_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("child record screen, Ctrl+G") << u"ozluk"_s << false;
    QTest::newRow("child record screen, menu") << u"ozluk"_s << true;
    QTest::newRow("visit screen, Ctrl+G") << u"frmMain"_s << false;
    QTest::newRow("visit screen, menu") << u"frmMain"_s << true;
}

void tst_TgecmisF::openedFromBothScreens()
{
    QFETCH(QString, from);
    QFETCH(bool, byMenu);
    AppFixture app;
    VisitDriver visits(app);
    visits.seed();
    TfrmMain* frmMain = visits.signIn();
    visits.lookUpWithoutPending(u"012"_s);
    app.exec(u"INSERT INTO degisiklik (kullanici, tablo, kayit, hastakodu, degisen) VALUES "
             u"('doktor', 'muayene', 1, '012', '[]'), ('doktor', 'muayene', 2, '5', '[]')"_s);

    QWidget* screen = frmMain;
    if (from == u"ozluk"_s) {
        screen = showChildScreen(app);
        QVERIFY(app.screens().ozluk->sicilTable->Locate(u"hasta_kodu"_s, u"012"_s, {}));
    }
    if (byMenu) {
        QAction* entry = nullptr;
        QMenu* menu = from == u"ozluk"_s ? control<QMenu>(screen, u"PopupMenu1"_s) : frmMain->PopupMenu1;
        for (QAction* action : menu->findChildren<QAction*>()) {
            if (action->text().startsWith(u"Değişiklik Geçmişi"_s) && !entry)
                entry = action;
        }
        QVERIFY(entry);
        entry->trigger();
    } else {
        QWidget* focus = from == u"ozluk"_s ? static_cast<QWidget*>(control<DBEdit>(screen, u"adiEdit"_s))
                                            : control<QWidget>(screen, u"kisinoedit"_s);
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_G, Qt::ControlModifier);
    }
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    TgecmisF* history = app.screens().gecmisF;
    QVERIFY(history->isVisible());
    QCOMPARE(control<QLabel>(history, u"cocukLabel"_s)->text(), u"Çocuk: 012 - Ali Can Yılmaz"_s);
    QCOMPARE(history->gecmisQuery->rowCount(), 1);
}

void tst_TgecmisF::listAndFilter_data()
{
    QTest::addColumn<int>("tableSteps");
    QTest::addColumn<int>("userSteps");
    QTest::addColumn<QList<qint64>>("rows");

    // The table box lists (Tümü), Muayene, Aşı, Çocuk Kaydı as met newest first; the user box
    // (Tümü), ayse, can.
    QTest::newRow("everything, newest first") << 0 << 0 << QList<qint64> { 4, 3, 2, 1 };
    QTest::newRow("visits") << 1 << 0 << QList<qint64> { 4, 1 };
    QTest::newRow("vaccinations") << 2 << 0 << QList<qint64> { 3 };
    QTest::newRow("child's record") << 3 << 0 << QList<qint64> { 2 };
    QTest::newRow("one user") << 0 << 2 << QList<qint64> { 4, 2 };
    QTest::newRow("visits by the other user") << 1 << 1 << QList<qint64> { 1 };
    QTest::newRow("vaccinations by nobody of them") << 2 << 2 << QList<qint64> {};
}

void tst_TgecmisF::listAndFilter()
{
    QFETCH(int, tableSteps);
    QFETCH(int, userSteps);
    QFETCH(QList<qint64>, rows);
    AppFixture app;
    seedHistory(app);
    TgecmisF* screen = openHistory(app);
    QCOMPARE(listedRows(screen), (QList<qint64> { 4, 3, 2, 1 }));
    auto* tables = control<QComboBox>(screen, u"tabloCombo"_s);
    auto* users = control<QComboBox>(screen, u"kullaniciCombo"_s);
    QCOMPARE(tables->count(), 4);
    QCOMPARE(users->count(), 3);
    for (int i = 0; i < tableSteps; ++i)
        QTest::keyClick(tables, Qt::Key_Down);
    for (int i = 0; i < userSteps; ++i)
        QTest::keyClick(users, Qt::Key_Down);
    QCOMPARE(listedRows(screen), rows);
    QCOMPARE(control<QLabel>(screen, u"sayiLabel"_s)->text(), u"%1 değişiklik"_s.arg(rows.size()));
    // The first listed row's changes, one field a line.
    auto* detail = control<QPlainTextEdit>(screen, u"ayrintiMemo"_s);
    if (rows.value(0) == 4)
        QCOMPARE(detail->toPlainText(), u"Kilo: 12,5 → 13\nTanı: (boş) → Grip"_s);
    if (rows.isEmpty())
        QCOMPARE(detail->toPlainText(), QString());
    // Back to everything.
    for (int i = 0; i < tableSteps; ++i)
        QTest::keyClick(tables, Qt::Key_Up);
    for (int i = 0; i < userSteps; ++i)
        QTest::keyClick(users, Qt::Key_Up);
    QCOMPARE(listedRows(screen), (QList<qint64> { 4, 3, 2, 1 }));
}

// While shown, the detail follows the grid's row and the list the child record screen's child.
void tst_TgecmisF::followsTheChild()
{
    AppFixture app;
    seedHistory(app);
    TgecmisF* screen = openHistory(app);
    QCOMPARE(listedRows(screen).size(), 4);
    // The detail follows the row chosen in the grid.
    QTest::keyClick(control<QTableView>(screen, u"gecmisGrid"_s), Qt::Key_Down);
    QCOMPARE(control<QPlainTextEdit>(screen, u"ayrintiMemo"_s)->toPlainText(), u"Aşı Adı: (boş) → BCG"_s);
    Tozluk* ozluk = app.screens().ozluk;
    QTest::keyClick(control<DBEdit>(ozluk, u"adiEdit"_s), Qt::Key_F9);
    QCOMPARE(control<QLabel>(screen, u"cocukLabel"_s)->text(), u"Çocuk: 8 - Ayşe Kaya"_s);
    QCOMPARE(listedRows(screen), (QList<qint64> { 5 }));
}

void tst_TgecmisF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");
    QTest::newRow("Yazdır") << u"yazdirBut"_s << 0 << u"printed"_s;
    QTest::newRow("F4") << QString() << int(Qt::Key_F4) << u"printed"_s;
    QTest::newRow("Kapat") << u"kapatBut"_s << 0 << u"closed"_s;
    QTest::newRow("F10") << QString() << int(Qt::Key_F10) << u"closed"_s;
    QTest::newRow("Escape") << QString() << int(Qt::Key_Escape) << u"closed"_s;
}

void tst_TgecmisF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, effect);
    AppFixture app;
    seedHistory(app);
    // The letterhead is the signed-in user's.
    QVERIFY(app.signIn());
    TgecmisF* screen = openHistory(app);
    auto* tables = control<QComboBox>(screen, u"tabloCombo"_s);
    QTest::keyClick(tables, Qt::Key_Down); // visits only
    PreviewWatcher previews;
    if (key != 0)
        QTest::keyClick(control<QTableView>(screen, u"gecmisGrid"_s), Qt::Key(key));
    else
        QTest::mouseClick(control<QPushButton>(screen, button), Qt::LeftButton);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    if (effect == u"printed"_s) {
        QCOMPARE(previews.shown, 1);
        QCOMPARE(previews.caption, u"Preview - Lumeko Rapor Önizleme - Değişiklik Geçmişi"_s);
        const QString text = previews.pdfText().simplified();
        QVERIFY2(text.contains(u"DEĞİŞİKLİK GEÇMİŞİ"_s), qPrintable(text));
        QVERIFY2(text.contains(u"Kilo: 12,5 → 13; Tanı: (boş) → Grip"_s), qPrintable(text));
        QVERIFY2(text.contains(u"04.12.2026 09:00"_s), qPrintable(text));
        // Only the rows listed: the record of the child's name is not a visit.
        QVERIFY2(!text.contains(u"Adı: Aly"_s), qPrintable(text));
        QVERIFY(screen->isVisible());
    } else {
        QCOMPARE(previews.shown, 0);
        QVERIFY(screen->isHidden());
    }
}

// A picture of the screen with a child's history at the size of a maximised window on a
// 1366x768 screen.
void tst_TgecmisF::picture()
{
    const QString file = QDir::currentPath() + u"/tst_tgecmisf_1366.png"_s;
    AppFixture app;
    seedHistory(app);
    TgecmisF* screen = openHistory(app);
    screen->setWindowState(Qt::WindowNoState);
    screen->resize(1366, 740);
    QTRY_COMPARE(screen->size(), QSize(1366, 740));
    QApplication::processEvents();
    QVERIFY(screen->grab().save(file));
    qInfo("screenshot: %s", qPrintable(file));
    // Every column's title and the change text of the newest row are shown whole.
    auto* grid = control<QTableView>(screen, u"gecmisGrid"_s);
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
        QVERIFY2(grid->fontMetrics().horizontalAdvance(title) < grid->columnWidth(c), qPrintable(title));
    }
    const QString newest = shownCell(screen, 0, 4);
    QVERIFY(grid->fontMetrics().horizontalAdvance(newest) < grid->columnWidth(4));
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TgecmisF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tgecmisf.moc"
