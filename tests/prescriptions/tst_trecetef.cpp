#include "AppFixture.h"
#include "ColumnChooser.h"
#include "ColumnChooserButton.h"
#include "DBGrid.h"
#include "DataSet.h"
#include "Field.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TfrmMain.h"
#include "TreceteF.h"
#include "VisitDriver.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString saveVisitQuestion = u"Bu işlemden önce muayene bilgilerini kayıt etmelisiniz! Bilgileri şimdi kayıt "
                                  u"etmek istermisiniz?"_s;
const QString deleteLineQuestion = u"Seçili kaydı silmek istediğinize eminmisiniz?"_s;

enum Column { Code, Name, Dose, Days };

// A prescription screen opened from the visit screen on child "012", nothing pending; the
// newest visit is selected.
struct RecipeScreen {
    explicit RecipeScreen(AppFixture& app)
        : app(app)
        , visits(app)
    {
        mids = visits.seed();
        visits.signIn();
        visits.lookUpWithoutPending(u"012"_s);
        visits.click(u"JvXPButton11"_s);
        screen = app.screens().receteF;
        activate();
        grid = ctl<DBGrid>(screen, u"JvDBUltimGrid2"_s);
    }

    void activate()
    {
        QApplication::setActiveWindow(screen);
        if (!QTest::qWaitForWindowActive(screen))
            qFatal("the prescription screen did not become active");
    }

    QString cell(int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }

    // Opens a cell's editor with F2 and types into it.
    void typeCell(int row, int column, const QString& text)
    {
        const QModelIndex index = grid->model()->index(row, column);
        grid->setFocus();
        grid->setCurrentIndex(index);
        QTest::keyClick(grid, Qt::Key_F2);
        auto* line = qobject_cast<QLineEdit*>(grid->indexWidget(index));
        if (!line)
            qFatal("no editor in the cell");
        line->selectAll();
        // Key by key, Turkish letters included.
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(line, char(c.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    // Starts a line with "Giriş (F7)" and types its four cells; the line stays pending.
    void typeLine(const QString& code, const QString& name, const QString& dose, const QString& days)
    {
        click(screen, u"JvNavPanelButton2"_s);
        const int row = grid->model()->rowCount() - 1;
        typeCell(row, Code, code);
        typeCell(row, Name, name);
        typeCell(row, Dose, dose);
        typeCell(row, Days, days);
        // Leaving the last cell writes it into the line.
        grid->setCurrentIndex(grid->model()->index(row, Code));
    }

    AppFixture& app;
    VisitDriver visits;
    QList<qint64> mids;
    TreceteF* screen = nullptr;
    DBGrid* grid = nullptr;
};

} // namespace

class tst_TreceteF final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void columnChooserKeepsOneColumn();
    void linesStoredWhenLeft();
    void visitsKeepSeparateLists();
    void startLine_data();
    void startLine();
    void correctionLeftUnchangedAsksAgain();
    void nothingStartedWithoutVisit();
    void deleteLine_data();
    void deleteLine();
    void numbersChecked_data();
    void numbersChecked();
    void printout();
    void screenshot();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
    void keysStayOnThisScreen();
};

void tst_TreceteF::layout()
{
    AppFixture app;
    RecipeScreen recipe(app);
    TreceteF* screen = recipe.screen;
    QCOMPARE(screen->windowTitle(), u"Lumeko Fidanizi Programı - Reçete Girişi"_s);
    QCOMPARE(ctl<QLabel>(screen, u"toolBarTitle"_s)->text(), u"Reçeteler"_s);
    QList<QPushButton*> buttons = screen->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton* b : buttons)
        texts.append(b->text());
    QCOMPARE(texts, (QStringList { u"Yazdır (Ctrl+R)"_s, u"Satır Sil"_s, u"Giriş (F7)"_s }));

    DBGrid* grid = recipe.grid;
    QStringList titles;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        titles.append(grid->model()->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(titles, (QStringList { u"İlaç Kodu"_s, u"İlaç Adı"_s, u"Doz"_s, u"Süre"_s }));
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 20);
    QCOMPARE(grid->horizontalHeader()->height(), 20);

    // Read-only until the first line is started, then editable for good.
    QVERIFY(grid->isReadOnly());
    click(screen, u"JvNavPanelButton2"_s);
    QVERIFY(!grid->isReadOnly());
    recipe.visits.selectVisit(1);
    QCOMPARE(app.count(u"recete"_s), 0);
    QVERIFY(!grid->isReadOnly());
    VERIFY_BOXES(app);
}

void tst_TreceteF::columnChooserKeepsOneColumn()
{
    AppFixture app;
    RecipeScreen recipe(app);
    auto* arrow = ctl<ColumnChooserButton>(recipe.screen, u"JvDBUltimGrid2Kolonlar"_s);
    QTest::mouseClick(arrow, Qt::LeftButton);
    ColumnChooser* chooser = arrow->chooser();
    QVERIFY(chooser);
    QCOMPARE(chooser->windowTitle(), u"Gösterlecek Kolonları Seç"_s);
    QCOMPARE(ctl<QPushButton>(chooser, u"TamamBtn"_s)->text(), u"&Tamam"_s);
    for (const QString& title : chooser->titles())
        chooser->setTicked(title, false);
    app.messages().expectPlain(u"En Az bir kolon görünür olmalı"_s);
    QTest::mouseClick(ctl<QPushButton>(chooser, u"TamamBtn"_s), Qt::LeftButton);
    VERIFY_BOXES(app);
    QVERIFY(chooser->isVisible());
    chooser->setTicked(u"İlaç Adı"_s, true);
    QTest::mouseClick(ctl<QPushButton>(chooser, u"TamamBtn"_s), Qt::LeftButton);
    QVERIFY(recipe.grid->isColumnHidden(Code));
    QVERIFY(!recipe.grid->isColumnHidden(Name));
}

void tst_TreceteF::linesStoredWhenLeft()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol Şurup"_s, u"3"_s, u"5"_s);
    // Nothing is stored while the cursor stays on the line.
    QCOMPARE(app.count(u"recete"_s), 0);
    // Another line started stores the first one.
    recipe.typeLine(u"B7"_s, u"Augmentin"_s, u"2"_s, u"7"_s);
    QCOMPARE(app.count(u"recete"_s,
                 u"muayeneno = ? AND hastakodu = '012' AND ilackodu = 'A12' AND ilacadi = 'Parol Şurup' AND doz = 3 "
                 u"AND sure = 5 AND ilacfirma IS NULL AND muayenekodu IS NULL"_s,
                 { recipe.mids.at(1) }),
        1);
    // Choosing another visit stores the second one under its own visit.
    recipe.visits.selectVisit(1);
    QCOMPARE(app.count(u"recete"_s, u"muayeneno = ? AND ilacadi = 'Augmentin'"_s, { recipe.mids.at(1) }), 1);
    // A line started and left untouched is dropped.
    click(recipe.screen, u"JvNavPanelButton2"_s);
    recipe.visits.selectVisit(0);
    QCOMPARE(app.count(u"recete"_s), 2);
    QCOMPARE(recipe.grid->model()->rowCount(), 2);
    QCOMPARE(recipe.cell(1, Name), u"Augmentin"_s);
    VERIFY_BOXES(app);
}

void tst_TreceteF::visitsKeepSeparateLists()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol"_s, u"3"_s, u"5"_s);
    recipe.visits.selectVisit(1);
    QCOMPARE(recipe.grid->model()->rowCount(), 0);
    recipe.typeLine(u"C1"_s, u"Ventolin"_s, u"1"_s, u"10"_s);
    recipe.visits.selectVisit(0);
    QCOMPARE(recipe.grid->model()->rowCount(), 1);
    QCOMPARE(recipe.cell(0, Name), u"Parol"_s);
    recipe.visits.selectVisit(1);
    QCOMPARE(recipe.grid->model()->rowCount(), 1);
    QCOMPARE(recipe.cell(0, Name), u"Ventolin"_s);
    QCOMPARE(app.count(u"recete"_s, u"muayeneno = ? AND ilacadi = 'Ventolin'"_s, { recipe.mids.at(0) }), 1);
    VERIFY_BOXES(app);
}

void tst_TreceteF::startLine_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<Messages::Answer>("answer");

    for (const char* start : { "button", "F7", "Insert" }) {
        QTest::newRow(qPrintable(QString::fromLatin1(start) + u", Yes"_s))
            << QString::fromLatin1(start) << Messages::Answer::Yes;
        QTest::newRow(qPrintable(QString::fromLatin1(start) + u", No"_s))
            << QString::fromLatin1(start) << Messages::Answer::No;
    }
}

void tst_TreceteF::startLine()
{
    QFETCH(QString, start);
    QFETCH(Messages::Answer, answer);
    AppFixture app;
    RecipeScreen recipe(app);
    if (start == u"Insert"_s) {
        // Insert works once the grid is editable.
        click(recipe.screen, u"JvNavPanelButton2"_s);
        recipe.visits.selectVisit(0);
    }
    // A new visit started on the visit screen and not stored yet.
    recipe.visits.lookUp(u"012"_s);
    recipe.activate();
    const bool yes = answer == Messages::Answer::Yes;
    app.messages().expectQuestion(saveVisitQuestion, answer);
    if (start == u"button"_s) {
        click(recipe.screen, u"JvNavPanelButton2"_s);
    } else if (start == u"F7"_s) {
        recipe.grid->setFocus();
        QTest::keyClick(recipe.grid, Qt::Key_F7);
    } else {
        recipe.grid->setFocus();
        QTest::keyClick(recipe.grid, Qt::Key_Insert);
    }
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '012'"_s), yes ? 3 : 2);
    QCOMPARE(recipe.screen->recTable->State(), yes ? dsInsert : dsBrowse);
    QCOMPARE(recipe.grid->isReadOnly(), !yes && start != u"Insert"_s);
    if (!yes)
        return;
    // The line belongs to the visit just stored, the newest in the history.
    recipe.typeCell(0, Name, u"Parol"_s);
    recipe.visits.selectVisit(1);
    QSqlQuery newest = app.exec(u"SELECT max(mid) FROM muayene"_s);
    QVERIFY(newest.next());
    QCOMPARE(app.count(u"recete"_s, u"muayeneno = ? AND ilacadi = 'Parol'"_s, { newest.value(0) }), 1);
}

void tst_TreceteF::correctionLeftUnchangedAsksAgain()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.visits.selectVisit(0);
    recipe.visits.click(u"JvNavPanelButton10"_s);
    QCOMPARE(app.screens().frmMain->muayeneTable->State(), dsEdit);
    // Storing the unchanged visit stores nothing, so the question comes back; No ends it.
    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::Yes);
    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::No);
    click(recipe.screen, u"JvNavPanelButton2"_s);
    VERIFY_BOXES(app);
    QCOMPARE(recipe.screen->recTable->State(), dsBrowse);
    QVERIFY(recipe.grid->isReadOnly());
    QCOMPARE(app.screens().frmMain->muayeneTable->State(), dsEdit);
}

void tst_TreceteF::nothingStartedWithoutVisit()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.visits.lookUpWithoutPending(u"5"_s);
    QCOMPARE(recipe.visits.history()->model()->rowCount(), 0);
    recipe.activate();
    click(recipe.screen, u"JvNavPanelButton2"_s);
    recipe.grid->setFocus();
    QTest::keyClick(recipe.grid, Qt::Key_F7);
    VERIFY_BOXES(app);
    QCOMPARE(recipe.screen->recTable->State(), dsBrowse);
    QVERIFY(recipe.grid->isReadOnly());
}

void tst_TreceteF::deleteLine_data()
{
    QTest::addColumn<bool>("visitChanged");
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");

    using A = Messages::Answer;
    QTest::newRow("Yes deletes") << false << QList<A> { A::Yes } << true;
    QTest::newRow("No keeps") << false << QList<A> { A::No } << false;
    QTest::newRow("closing the box deletes") << false << QList<A> { A::Closed } << true;
    QTest::newRow("changed visit given up, then Yes") << true << QList<A> { A::Yes, A::Yes } << true;
    QTest::newRow("changed visit kept") << true << QList<A> { A::No } << false;
}

void tst_TreceteF::deleteLine()
{
    QFETCH(bool, visitChanged);
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol"_s, u"3"_s, u"5"_s);
    recipe.typeLine(u"B7"_s, u"Augmentin"_s, u"2"_s, u"7"_s);
    recipe.grid->setCurrentIndex(recipe.grid->model()->index(0, Name));
    QCOMPARE(app.count(u"recete"_s), 2);
    if (visitChanged)
        recipe.visits.lookUp(u"012"_s);
    if (visitChanged)
        app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, answers.takeFirst());
    if (!answers.isEmpty())
        app.messages().expectQuestion(deleteLineQuestion, answers.first());
    click(recipe.screen, u"JvNavPanelButton5"_s);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"recete"_s, u"ilacadi = 'Parol'"_s), deleted ? 0 : 1);
    QCOMPARE(app.count(u"recete"_s, u"ilacadi = 'Augmentin'"_s), 1);
}

void tst_TreceteF::numbersChecked_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");

    const QString bad = u"\"%1\" için -32768 ile 32767 arasında bir tam sayı yazılmalıdır; \"%2\" kayıt edilmedi."_s;
    QTest::newRow("dose 2") << int(Dose) << u"2"_s << QString();
    QTest::newRow("dose 32767") << int(Dose) << u"32767"_s << QString();
    QTest::newRow("dose 32768") << int(Dose) << u"32768"_s << bad.arg(u"Doz"_s, u"32768"_s);
    QTest::newRow("dose 1,5") << int(Dose) << u"1,5"_s << bad.arg(u"Doz"_s, u"1,5"_s);
    QTest::newRow("dose in words") << int(Dose) << u"iki"_s << bad.arg(u"Doz"_s, u"iki"_s);
    QTest::newRow("days -32768") << int(Days) << u"-32768"_s << QString();
    QTest::newRow("days -32769") << int(Days) << u"-32769"_s << bad.arg(u"Süre"_s, u"-32769"_s);
    QTest::newRow("days 7 gün") << int(Days) << u"7 gün"_s << bad.arg(u"Süre"_s, u"7 gün"_s);
}

void tst_TreceteF::numbersChecked()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    AppFixture app;
    RecipeScreen recipe(app);
    click(recipe.screen, u"JvNavPanelButton2"_s);
    recipe.typeCell(0, Name, u"Parol"_s);
    recipe.typeCell(0, column, typed);
    if (!refusal.isEmpty())
        app.messages().expectError(refusal);
    // Leaving the line stores it, or tells what is wrong and keeps it for correction.
    recipe.grid->setCurrentIndex(recipe.grid->model()->index(0, Code));
    recipe.visits.selectVisit(1);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"recete"_s), refusal.isEmpty() ? 1 : 0);
    if (refusal.isEmpty()) {
        const QString name = column == Dose ? u"doz"_s : u"sure"_s;
        QCOMPARE(app.count(u"recete"_s, u"%1 = ?"_s.arg(name), { typed.toInt() }), 1);
    } else {
        QCOMPARE(recipe.screen->recTable->State(), dsInsert);
        QCOMPARE(recipe.screen->recTable->FieldByName(column == Dose ? u"doz"_s : u"sure"_s)->AsString(), typed);
        QCOMPARE(recipe.cell(0, Name), u"Parol"_s);
    }
}

void tst_TreceteF::printout()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol"_s, u"3"_s, u"5"_s);
    recipe.typeLine(u"B7"_s, u"Augmentin"_s, u"2"_s, u"7"_s);
    recipe.typeLine(u"C1"_s, u"Ventolin"_s, u"1"_s, u"10"_s);
    recipe.visits.selectVisit(1);
    recipe.typeLine(u"D4"_s, u"Başka Ziyaret"_s, u"1"_s, u"1"_s);
    recipe.visits.selectVisit(0);
    // The note is not in the grid; it comes with the line from elsewhere.
    app.exec(u"UPDATE recete SET \"not\" = 'tok karnına' WHERE ilacadi = 'Augmentin'"_s);
    recipe.screen->recTable->Refresh();

    PreviewWatcher watcher;
    click(recipe.screen, u"JvNavPanelButton7"_s);
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - Lumeko Rapor Önizleme - Reçete Takip Kartları"_s);
    const QStringList printed = watcher.report.texts(0);
    for (const QString& t : { u"REÇETE"_s, u"İLAÇ KODU"_s, u"İLAÇ ADI"_s, u"DOZ"_s, u"SÜRE"_s, u"NOT"_s, u"A12"_s,
             u"Parol"_s, u"Augmentin"_s, u"tok karnına"_s, u"Ventolin"_s, u"10"_s, u"Ali"_s, u"Can"_s, u"Yılmaz"_s,
             u"Deneme Klinik"_s, u"Sayfa 1 / 1"_s })
        QVERIFY2(printed.contains(t), qPrintable(t + u" not in "_s + printed.join(u'|')));
    QVERIFY(!printed.contains(u"Başka Ziyaret"_s));
    // The same on paper.
    const QString pdf = watcher.pdfText();
    for (const QString& t : { u"REÇETE"_s, u"İLAÇ KODU"_s, u"Augmentin"_s, u"tok karnına"_s, u"Sayfa 1 / 1"_s })
        QVERIFY2(pdf.contains(t), qPrintable(t + u" not in:\n"_s + pdf));
    QVERIFY(printed.indexOf(u"Parol"_s) < printed.indexOf(u"Ventolin"_s));

    // Headings dark red, bold, 10 point; values black; the title 12 point bold; rows 1 and 3 shaded.
    int shaded = 0;
    for (const PreparedReport::Item& item : watcher.report.page(0).items) {
        const PreparedReport::Style& style = watcher.report.style(item.style);
        if (style.background == QColor(240, 240, 240))
            ++shaded;
        if (item.text == u"İLAÇ ADI"_s) {
            QCOMPARE(style.color, QColor(128, 0, 0));
            QVERIFY(style.bold);
            QCOMPARE(style.fontSize, 10.0);
            QCOMPARE(style.fontFamily, u"Times New Roman"_s);
        }
        if (item.text == u"Augmentin"_s) {
            QCOMPARE(style.color, QColor(Qt::black));
            QVERIFY(!style.bold);
        }
        if (item.text == u"REÇETE"_s) {
            QCOMPARE(style.fontSize, 12.0);
            QVERIFY(style.bold);
        }
    }
    QCOMPARE(shaded, 2);
}

void tst_TreceteF::screenshot()
{
    const QString folder = QDir::currentPath();
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol Şurup"_s, u"3"_s, u"5"_s);
    recipe.typeLine(u"B7"_s, u"Augmentin"_s, u"2"_s, u"7"_s);
    recipe.screen->setWindowState(Qt::WindowNoState);
    recipe.screen->resize(1366, 740);
    QTRY_COMPARE(recipe.screen->size(), QSize(1366, 740));
    QVERIFY(recipe.screen->grab().save(folder + u"/receteF.png"_s));
}

void tst_TreceteF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Yazdır (Ctrl+R)") << u"JvNavPanelButton7"_s << 0 << u"print"_s;
    QTest::newRow("Ctrl+R") << QString() << (Qt::CTRL | Qt::Key_R).toCombined() << u"print"_s;
    QTest::newRow("Satır Sil") << u"JvNavPanelButton5"_s << 0 << u"delete"_s;
    QTest::newRow("Giriş (F7)") << u"JvNavPanelButton2"_s << 0 << u"new"_s;
    QTest::newRow("F7") << QString() << int(Qt::Key_F7) << u"new"_s;
    QTest::newRow("Insert") << QString() << int(Qt::Key_Insert) << u"new"_s;
}

void tst_TreceteF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, effect);
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol"_s, u"3"_s, u"5"_s);
    // Away to the older visit and back: the line is stored.
    recipe.visits.selectVisit(1);
    recipe.visits.selectVisit(0);
    QCOMPARE(app.count(u"recete"_s), 1);
    recipe.activate();
    recipe.grid->setFocus();
    recipe.grid->setCurrentIndex(recipe.grid->model()->index(0, Code));

    if (effect == u"delete"_s)
        app.messages().expectQuestion(deleteLineQuestion, Messages::Answer::Yes);
    PreviewWatcher watcher;
    if (!button.isEmpty()) {
        click(recipe.screen, button);
    } else {
        const QKeyCombination combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(recipe.grid, combination.key(), combination.keyboardModifiers());
    }
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, effect == u"print"_s ? 1 : 0);
    QCOMPARE(app.count(u"recete"_s), effect == u"delete"_s ? 0 : 1);
    QCOMPARE(recipe.screen->recTable->State() == dsInsert, effect == u"new"_s);
}

void tst_TreceteF::keysStayOnThisScreen()
{
    AppFixture app;
    RecipeScreen recipe(app);
    recipe.typeLine(u"A12"_s, u"Parol"_s, u"3"_s, u"5"_s);
    recipe.visits.selectVisit(1);
    // Back on the visit screen, F7 and Ctrl+R mean nothing, the prescription screen open beside.
    TfrmMain* visits = app.screens().frmMain;
    QApplication::setActiveWindow(visits);
    QVERIFY(QTest::qWaitForWindowActive(visits));
    QWidget* history = recipe.visits.history();
    history->setFocus();
    PreviewWatcher watcher;
    QTest::keyClick(history, Qt::Key_F7);
    QTest::keyClick(history, Qt::Key_R, Qt::ControlModifier);
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 0);
    QCOMPARE(recipe.screen->recTable->State(), dsBrowse);
    QCOMPARE(app.count(u"recete"_s), 1);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TreceteF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trecetef.moc"
