#include "AppFixture.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBMemo.h"
#include "DataSet.h"
#include "Field.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TTetkikF.h"
#include "TfrmMain.h"
#include "TtetkikgirisF.h"
#include "VisitDriver.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString saveVisitQuestion
    = u"Bu işlemden önce muayene bilgilerini kayıt etmelisiniz! Bilgileri şimdi kayıt etmek "
      u"istermisiniz?"_s;
const QString deleteRowQuestion = u"Seçili kaydı silmek istediğinize eminmisiniz?"_s;
const QString catalogueSave = u"Bilgileri kayıt etmek istediğinize eminmisiniz?"_s;

enum Column { Type, Lower, Upper, Result, Remark };

void seedTypes(AppFixture& app)
{
    app.exec(u"INSERT INTO laborana (tetkikturu, normaldegalt, normaldegust) VALUES ('Lökosit', '4000', '11000'), "
             u"('Demir', '50', '120')"_s);
}

// A results screen opened from the visit screen on child "012", nothing pending; the newest
// visit is selected.
struct LabScreen {
    explicit LabScreen(AppFixture& app)
        : app(app)
        , visits(app)
    {
        mids = visits.seed();
        seedTypes(app);
        visits.signIn();
        visits.lookUpWithoutPending(u"012"_s);
        visits.click(u"JvXPButton10"_s);
        screen = app.screens().tetkikgirisF;
        QApplication::setActiveWindow(screen);
        if (!QTest::qWaitForWindowActive(screen))
            qFatal("the results screen did not become active");
        grid = ctl<DBGrid>(screen, u"JvDBUltimGrid1"_s);
    }

    QString cell(int row, int column) const
    {
        return grid->model()->index(row, column).data().toString();
    }

    // Back to the results screen after another window was in front.
    void activate()
    {
        // The window system hands the activation on after a hidden window; let that pass first.
        QTest::qWait(20);
        QApplication::setActiveWindow(screen);
        if (!QTest::qWaitForWindowActive(screen))
            qFatal("the results screen did not become active");
    }

    // Makes a cell current in the grid; its editor opens.
    QWidget* editCell(int row, int column)
    {
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        // The editor opens once the event loop has turned.
        for (int i = 0; i < 50 && !grid->indexWidget(grid->currentIndex()); ++i)
            QTest::qWait(10);
        return grid->indexWidget(grid->currentIndex());
    }

    // Chooses a type from the list of the current row's "Tetkik Türü" cell, key by key.
    bool chooseType(int row, const QString& name)
    {
        auto* list = qobject_cast<QComboBox*>(editCell(row, Type));
        if (!list || list->findText(name) < 0) {
            qWarning("no %s in the list of row %d: %s", qPrintable(name), row, list ? "list" : "no list");
            if (list)
                for (int i = 0; i < list->count(); ++i)
                    qWarning("  %s", qPrintable(list->itemText(i)));
            return false;
        }
        list->setFocus();
        const Qt::Key key = list->findText(name) > list->currentIndex() ? Qt::Key_Down : Qt::Key_Up;
        for (int i = 0; i < list->count() && list->currentText() != name; ++i)
            QTest::keyClick(list, key);
        return list->currentText() == name;
    }

    void typeCell(int row, int column, const QString& text)
    {
        auto* line = qobject_cast<QLineEdit*>(editCell(row, column));
        if (!line)
            qFatal("no text editor in the cell");
        line->selectAll();
        QTest::keyClicks(line, text);
    }

    // Adds a result for the selected visit through "Yeni Tetkik Ekle" and "Sakla".
    void addResult(const QString& type, const QString& result)
    {
        click(screen, u"JvNavPanelButton1"_s);
        const int row = grid->model()->rowCount() - 1;
        if (!type.isEmpty() && !chooseType(row, type))
            qFatal("type %s not offered", qPrintable(type));
        typeCell(row, Result, result);
        click(screen, u"OKBtn"_s);
    }

    AppFixture& app;
    VisitDriver visits;
    QList<qint64> mids;
    TtetkikgirisF* screen = nullptr;
    DBGrid* grid = nullptr;
};

QString storedType(AppFixture& app, const QString& result)
{
    QSqlQuery q = app.exec(u"SELECT tetkikturu FROM laboratuar WHERE tetkiksonucu = ?"_s, { result });
    return q.next() ? q.value(0).toString() : u"<none>"_s;
}

// Opens the catalogue through "Yeni Tetkik Türü Ekle" and stores a new type there.
TTetkikF* addType(LabScreen& lab, const QString& name, const QString& lower, const QString& upper)
{
    click(lab.screen, u"JvNavPanelButton9"_s);
    TTetkikF* catalogue = lab.app.screens().TetkikF;
    if (!catalogue->isVisible())
        qFatal("the catalogue did not open");
    click(catalogue, u"baslaBut"_s);
    const std::pair<const char16_t*, QString> boxes[]
        = { { u"DBEdit1", name }, { u"DBEdit2", lower }, { u"DBEdit3", upper } };
    for (const auto& [box, text] : boxes) {
        auto* edit = ctl<DBEdit>(catalogue, QString::fromUtf16(box));
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    lab.app.messages().expectQuestion(catalogueSave, Messages::Answer::Yes);
    click(catalogue, u"Button1"_s);
    return catalogue;
}

} // namespace

class tst_TtetkikgirisF final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void newTypeOfferedAndShown();
    void catalogueChangeShowsAtOnce_data();
    void catalogueChangeShowsAtOnce();
    void emptyTypeStoredAsBos();
    void visitsKeepSeparateLists();
    void pendingRowStoredUnderItsVisit();
    void saveVisitFirst_data();
    void saveVisitFirst();
    void correctionLeftUnchangedAsksAgain();
    void nothingAddedWithoutVisit();
    void deleteRow_data();
    void deleteRow();
    void closeStoresPendingRow();
    void tooLongTextRefused_data();
    void tooLongTextRefused();
    void printout();
    void screenshot();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
};

void tst_TtetkikgirisF::layout()
{
    AppFixture app;
    LabScreen lab(app);
    app.exec(u"INSERT INTO laboratuar (muayeneno, hastakodu, tetkikturu, tetkiksonucu, detay) VALUES "
             u"(?, '012', 'Demir', '80', 'aç karnına')"_s,
        { lab.mids.at(1) });
    lab.visits.selectVisit(1);
    lab.visits.selectVisit(0);
    TtetkikgirisF* screen = lab.screen;
    QCOMPARE(screen->windowTitle(), u"Lumeko Fidanizi Programı - Tetkik Girişi"_s);
    QCOMPARE(ctl<QLabel>(screen, u"JvCaptionPanel1"_s)->text(), u"Tetkikleri"_s);
    QCOMPARE(ctl<QLabel>(screen, u"adiLabel"_s)->text(), u"Ali"_s);
    QCOMPARE(ctl<QLabel>(screen, u"soyadiLabel"_s)->text(), u"Yılmaz"_s);
    QCOMPARE(ctl<QLabel>(screen, u"Label1"_s)->text(), u"Gelişim Tarih ve Saati"_s);
    QCOMPARE(ctl<QLabel>(screen, u"tarihLabel"_s)->text(), u"10.01.2012"_s);
    QCOMPARE(ctl<QLabel>(screen, u"Label2"_s)->text(),
        u"      Tetkik Detay Bilgi Girişi (Tetkik Alanındaki Tetkik Türüne Göre)"_s);

    QList<QPushButton*> buttons = screen->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton* b : buttons)
        texts.append(b->text());
    QCOMPARE(texts,
        (QStringList { u"Sakla"_s, u"Yeni Tetkik Ekle"_s, u"Girişten Vazgeç"_s, u"Satır Sil"_s, u"Yazdır"_s,
            u"Yeni Tetkik Türü Ekle"_s, u"Kapat"_s }));

    DBGrid* grid = lab.grid;
    QStringList titles;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        titles.append(grid->model()->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(titles,
        (QStringList { u"Tetkik Türü"_s, u"Tetkik Alt"_s, u"Tetkik Üst"_s, u"Tetkik Sonucu"_s, u"Açıklama"_s }));
    QVERIFY(!grid->isReadOnly());
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 20);
    QCOMPARE(lab.cell(0, Type), u"Demir"_s);
    QCOMPARE(lab.cell(0, Lower), u"50"_s);
    QCOMPARE(lab.cell(0, Upper), u"120"_s);
    QCOMPARE(ctl<DBMemo>(screen, u"DBMemo1"_s)->toPlainText(), u"aç karnına"_s);

    // The cell editor is open on whatever cell is current, a list of the catalogue for the type.
    auto* list = qobject_cast<QComboBox*>(lab.editCell(0, Type));
    QVERIFY(list);
    QStringList offered;
    for (int i = 0; i < list->count(); ++i)
        offered.append(list->itemText(i));
    QCOMPARE(offered, (QStringList { u"Lökosit"_s, u"Demir"_s }));
    QVERIFY(qobject_cast<QLineEdit*>(lab.editCell(0, Result)));
    // Opening the editors changed nothing.
    QCOMPARE(app.screens().tetkikgirisF->labTable->State(), dsBrowse);

    // The older visit's date follows the history.
    lab.visits.selectVisit(1);
    QCOMPARE(ctl<QLabel>(screen, u"tarihLabel"_s)->text(), u"08.12.2011"_s);
    QCOMPARE(grid->model()->rowCount(), 0);
    VERIFY_BOXES(app);
}

void tst_TtetkikgirisF::newTypeOfferedAndShown()
{
    AppFixture app;
    LabScreen lab(app);
    TTetkikF* catalogue = addType(lab, u"Hemoglobin"_s, u"11"_s, u"16"_s);
    QCOMPARE(app.count(u"laborana"_s, u"tetkikturu = 'Hemoglobin'"_s), 1);
    QTest::mouseClick(ctl<QPushButton>(catalogue, u"kapatBut"_s), Qt::LeftButton);
    lab.activate();
    lab.addResult(u"Hemoglobin"_s, u"12,5"_s);
    VERIFY_BOXES(app);
    QCOMPARE(lab.cell(0, Type), u"Hemoglobin"_s);
    QCOMPARE(lab.cell(0, Lower), u"11"_s);
    QCOMPARE(lab.cell(0, Upper), u"16"_s);
    QCOMPARE(app.count(u"laboratuar"_s,
                 u"muayeneno = ? AND hastakodu = '012' AND tetkikturu = 'Hemoglobin' AND tetkiksonucu = '12,5'"_s,
                 { lab.mids.at(1) }),
        1);
}

void tst_TtetkikgirisF::catalogueChangeShowsAtOnce_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("upper");

    QTest::newRow("upper value corrected") << u"correct"_s << u"Demir"_s << u"130"_s;
    QTest::newRow("type deleted") << u"delete"_s << QString() << QString();
    QTest::newRow("type renamed") << u"rename"_s << QString() << QString();
}

void tst_TtetkikgirisF::catalogueChangeShowsAtOnce()
{
    QFETCH(QString, change);
    QFETCH(QString, type);
    QFETCH(QString, upper);
    AppFixture app;
    LabScreen lab(app);
    // Results of that type in both visits.
    lab.addResult(u"Demir"_s, u"80"_s);
    lab.visits.selectVisit(1);
    lab.addResult(u"Demir"_s, u"95"_s);
    QCOMPARE(lab.cell(0, Upper), u"120"_s);

    click(lab.screen, u"JvNavPanelButton9"_s);
    TTetkikF* catalogue = app.screens().TetkikF;
    auto* types = ctl<DBGrid>(catalogue, u"recetegrid"_s);
    types->setFocus();
    types->setCurrentIndex(types->model()->index(1, 0));
    QTRY_COMPARE(ctl<DBEdit>(catalogue, u"DBEdit1"_s)->text(), u"Demir"_s);
    if (change == u"correct"_s) {
        click(catalogue, u"duzBut"_s);
        auto* box = ctl<DBEdit>(catalogue, u"DBEdit3"_s);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, u"130"_s);
        app.messages().expectQuestion(catalogueSave, Messages::Answer::Yes);
        click(catalogue, u"Button1"_s);
    } else if (change == u"delete"_s) {
        app.messages().expectQuestion(u"Bilgileri silmek istediğinize eminmisiniz?"_s, Messages::Answer::Yes);
        app.messages().expectQuestion(u"Silme işlemi ile birlikte daha önceki kayıtlaraulaşmanız mümkün "
                                      u"olmayacaktır. Silme işlemini kesmek istermisiniz?"_s,
            Messages::Answer::No);
        click(catalogue, u"silBut"_s);
    } else {
        // "Yeni" opens the name box; the next row chosen can then be renamed.
        click(catalogue, u"baslaBut"_s);
        types->setFocus();
        types->setCurrentIndex(types->model()->index(1, 0));
        auto* name = ctl<DBEdit>(catalogue, u"DBEdit1"_s);
        QTRY_COMPARE(name->text(), u"Demir"_s);
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, u"Serum Demir"_s);
        app.messages().expectQuestion(catalogueSave, Messages::Answer::Yes);
        click(catalogue, u"Button1"_s);
    }
    VERIFY_BOXES(app);

    // Both visits' results show the change at once; the stored name stays.
    for (int visit : { 1, 0 }) {
        lab.visits.selectVisit(visit);
        QCOMPARE(lab.grid->model()->rowCount(), 1);
        QCOMPARE(lab.cell(0, Type), type);
        QCOMPARE(lab.cell(0, Upper), upper);
        QCOMPARE(lab.cell(0, Lower), type.isEmpty() ? QString() : u"50"_s);
    }
    QCOMPARE(app.count(u"laboratuar"_s, u"tetkikturu = 'Demir'"_s), 2);

    // The printout still names the old type.
    PreviewWatcher watcher;
    click(lab.screen, u"JvNavPanelButton6"_s);
    QCOMPARE(watcher.shown, 1);
    QVERIFY(watcher.report.texts(0).contains(u"Demir"_s));
}

void tst_TtetkikgirisF::emptyTypeStoredAsBos()
{
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(QString(), u"pozitif"_s);
    VERIFY_BOXES(app);
    QCOMPARE(storedType(app, u"pozitif"_s), u"Boş"_s);
    QCOMPARE(lab.cell(0, Type), QString());
    QCOMPARE(lab.cell(0, Lower), QString());
    PreviewWatcher watcher;
    click(lab.screen, u"JvNavPanelButton6"_s);
    QVERIFY(watcher.report.texts(0).contains(u"Boş"_s));
}

void tst_TtetkikgirisF::visitsKeepSeparateLists()
{
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(u"Demir"_s, u"80"_s);
    lab.addResult(u"Lökosit"_s, u"7000"_s);
    lab.visits.selectVisit(1);
    QCOMPARE(lab.grid->model()->rowCount(), 0);
    lab.addResult(u"Lökosit"_s, u"9000"_s);
    QCOMPARE(lab.grid->model()->rowCount(), 1);
    lab.visits.selectVisit(0);
    QCOMPARE(lab.grid->model()->rowCount(), 2);
    QCOMPARE(lab.cell(1, Result), u"7000"_s);
    QCOMPARE(app.count(u"laboratuar"_s, u"muayeneno = ?"_s, { lab.mids.at(1) }), 2);
    QCOMPARE(app.count(u"laboratuar"_s, u"muayeneno = ? AND tetkiksonucu = '9000'"_s, { lab.mids.at(0) }), 1);
    VERIFY_BOXES(app);
}

void tst_TtetkikgirisF::pendingRowStoredUnderItsVisit()
{
    AppFixture app;
    LabScreen lab(app);
    click(lab.screen, u"JvNavPanelButton1"_s);
    lab.chooseType(0, u"Demir"_s);
    lab.typeCell(0, Result, u"77"_s);
    ctl<DBMemo>(lab.screen, u"DBMemo1"_s)->setFocus();
    QTest::keyClicks(ctl<DBMemo>(lab.screen, u"DBMemo1"_s), u"tok"_s);
    // The doctor picks the older visit in the history while the row is still being typed.
    lab.visits.selectVisit(1);
    QCOMPARE(lab.grid->model()->rowCount(), 0);
    QCOMPARE(app.count(u"laboratuar"_s,
                 u"muayeneno = ? AND tetkikturu = 'Demir' AND tetkiksonucu = '77' AND detay = 'tok' "
                 u"AND hastakodu = '012'"_s,
                 { lab.mids.at(1) }),
        1);
    // A row started and left untouched is dropped.
    click(lab.screen, u"JvNavPanelButton1"_s);
    lab.visits.selectVisit(0);
    QCOMPARE(app.count(u"laboratuar"_s), 1);
    VERIFY_BOXES(app);
}

void tst_TtetkikgirisF::saveVisitFirst_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<Messages::Answer>("answer");

    for (const char* start : { "button", "Insert", "types" }) {
        QTest::newRow(qPrintable(QString::fromLatin1(start) + u", Yes"_s))
            << QString::fromLatin1(start) << Messages::Answer::Yes;
        QTest::newRow(qPrintable(QString::fromLatin1(start) + u", No"_s))
            << QString::fromLatin1(start) << Messages::Answer::No;
    }
}

void tst_TtetkikgirisF::saveVisitFirst()
{
    QFETCH(QString, start);
    QFETCH(Messages::Answer, answer);
    AppFixture app;
    LabScreen lab(app);
    // A new visit started on the visit screen and not stored yet.
    lab.visits.lookUp(u"012"_s);
    QApplication::setActiveWindow(lab.screen);
    QVERIFY(QTest::qWaitForWindowActive(lab.screen));
    const bool yes = answer == Messages::Answer::Yes;

    app.messages().expectQuestion(saveVisitQuestion, answer);
    if (start == u"button"_s) {
        click(lab.screen, u"JvNavPanelButton1"_s);
    } else if (start == u"Insert"_s) {
        lab.grid->setFocus();
        QTest::keyClick(lab.grid, Qt::Key_Insert);
    } else {
        click(lab.screen, u"JvNavPanelButton9"_s);
    }
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"muayene"_s, u"hastakodu = '012'"_s), yes ? 3 : 2);
    QCOMPARE(app.screens().frmMain->muayeneTable->State(), yes ? dsBrowse : dsInsert);
    if (start == u"types"_s) {
        QCOMPARE(app.screens().TetkikF->isVisible(), yes);
        return;
    }
    QCOMPARE(lab.screen->labTable->State(), yes ? dsInsert : dsBrowse);
    if (!yes)
        return;
    // The row belongs to the visit just stored, the newest.
    lab.chooseType(0, u"Demir"_s);
    click(lab.screen, u"OKBtn"_s);
    QSqlQuery newest = app.exec(u"SELECT max(mid) FROM muayene"_s);
    QVERIFY(newest.next());
    QCOMPARE(app.count(u"laboratuar"_s, u"muayeneno = ? AND tetkikturu = 'Demir'"_s, { newest.value(0) }), 1);
    VERIFY_BOXES(app);
}

void tst_TtetkikgirisF::correctionLeftUnchangedAsksAgain()
{
    AppFixture app;
    LabScreen lab(app);
    // "Bu Satırı Düzelt" on the newest visit; nothing typed, so storing it stores nothing.
    lab.visits.selectVisit(0);
    lab.visits.click(u"JvNavPanelButton10"_s);
    QCOMPARE(app.screens().frmMain->muayeneTable->State(), dsEdit);
    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::Yes);
    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::No);
    click(lab.screen, u"JvNavPanelButton1"_s);
    VERIFY_BOXES(app);
    QCOMPARE(lab.screen->labTable->State(), dsBrowse);

    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::Yes);
    app.messages().expectQuestion(saveVisitQuestion, Messages::Answer::Yes);
    click(lab.screen, u"JvNavPanelButton1"_s);
    VERIFY_BOXES(app);
    QCOMPARE(lab.screen->labTable->State(), dsInsert);
    QCOMPARE(app.screens().frmMain->muayeneTable->State(), dsEdit);
}

void tst_TtetkikgirisF::nothingAddedWithoutVisit()
{
    AppFixture app;
    LabScreen lab(app);
    // Child "5" has no visit; its started visit is dropped.
    lab.visits.lookUpWithoutPending(u"5"_s);
    QCOMPARE(lab.visits.history()->model()->rowCount(), 0);
    click(lab.screen, u"JvNavPanelButton1"_s);
    lab.grid->setFocus();
    QTest::keyClick(lab.grid, Qt::Key_Insert);
    QCOMPARE(lab.screen->labTable->State(), dsBrowse);
    // "Satır Sil" on the empty list does nothing either.
    click(lab.screen, u"JvNavPanelButton4"_s);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laboratuar"_s), 0);
}

void tst_TtetkikgirisF::deleteRow_data()
{
    QTest::addColumn<bool>("visitChanged");
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");

    using A = Messages::Answer;
    QTest::newRow("Yes deletes") << false << QList<A> { A::Yes } << true;
    QTest::newRow("No keeps") << false << QList<A> { A::No } << false;
    QTest::newRow("Escape keeps") << false << QList<A> { A::Closed } << false;
    QTest::newRow("changed visit given up, then Yes") << true << QList<A> { A::Yes, A::Yes } << true;
    QTest::newRow("changed visit kept") << true << QList<A> { A::No } << false;
}

void tst_TtetkikgirisF::deleteRow()
{
    QFETCH(bool, visitChanged);
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(u"Demir"_s, u"80"_s);
    lab.addResult(u"Lökosit"_s, u"7000"_s);
    if (visitChanged)
        lab.visits.lookUp(u"012"_s);
    lab.editCell(1, Result);
    if (visitChanged)
        app.messages().expectQuestion(Messages::kayitEdilmedenCikilsinmi, answers.takeFirst());
    if (!answers.isEmpty())
        app.messages().expectQuestion(deleteRowQuestion, answers.first());
    click(lab.screen, u"JvNavPanelButton4"_s);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laboratuar"_s, u"tetkiksonucu = '7000'"_s), deleted ? 0 : 1);
    QCOMPARE(app.count(u"laboratuar"_s, u"tetkiksonucu = '80'"_s), 1);
    if (visitChanged)
        QCOMPARE(app.screens().frmMain->muayeneTable->State(), deleted ? dsBrowse : dsInsert);
}

void tst_TtetkikgirisF::closeStoresPendingRow()
{
    AppFixture app;
    LabScreen lab(app);
    click(lab.screen, u"JvNavPanelButton1"_s);
    lab.chooseType(0, u"Lökosit"_s);
    lab.typeCell(0, Remark, u"tekrar"_s);
    click(lab.screen, u"JvXPButton6"_s);
    VERIFY_BOXES(app);
    QVERIFY(!lab.screen->isVisible());
    QCOMPARE(app.count(u"laboratuar"_s, u"tetkikturu = 'Lökosit' AND aciklama = 'tekrar' AND muayeneno = ?"_s,
                 { lab.mids.at(1) }),
        1);
}

void tst_TtetkikgirisF::tooLongTextRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("stored");

    QTest::newRow("detail of 255 fits") << u"detay"_s << 255 << true;
    QTest::newRow("detail of 256 refused") << u"detay"_s << 256 << false;
    QTest::newRow("result of 15 fits") << u"tetkiksonucu"_s << 15 << true;
    QTest::newRow("result of 16 refused") << u"tetkiksonucu"_s << 16 << false;
    QTest::newRow("remark of 101 refused") << u"aciklama"_s << 101 << false;
}

void tst_TtetkikgirisF::tooLongTextRefused()
{
    QFETCH(QString, field);
    QFETCH(int, length);
    QFETCH(bool, stored);
    AppFixture app;
    LabScreen lab(app);
    click(lab.screen, u"JvNavPanelButton1"_s);
    const QString text(length, u'x');
    if (field == u"detay"_s) {
        auto* memo = ctl<DBMemo>(lab.screen, u"DBMemo1"_s);
        memo->setFocus();
        QTest::keyClicks(memo, text);
    } else {
        // Pasted text is not limited by the cell.
        lab.screen->labTable->FieldByName(field)->setAsString(text);
    }
    if (!stored) {
        const QString title = field == u"detay"_s ? u"Tetkik Detay"_s
            : field == u"aciklama"_s              ? u"Açıklama"_s
                                                  : u"Tetkik Sonucu"_s;
        app.messages().expectError(u"\"%1\" en fazla %2 karakter olabilir; yazılan %3 karakter. Bilgiler kayıt "
                                   u"edilmedi."_s.arg(title)
                                       .arg(length - 1)
                                       .arg(length));
    }
    click(lab.screen, u"OKBtn"_s);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laboratuar"_s, u"length(%1) = ?"_s.arg(field), { length }), stored ? 1 : 0);
    QCOMPARE(app.count(u"laboratuar"_s), stored ? 1 : 0);
    // A refused row stays as typed, to be corrected.
    QCOMPARE(lab.screen->labTable->State(), stored ? dsBrowse : dsInsert);
    if (!stored)
        QCOMPARE(lab.screen->labTable->FieldByName(field)->AsString(), text);
}

void tst_TtetkikgirisF::printout()
{
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(u"Demir"_s, u"80"_s);
    lab.addResult(u"Lökosit"_s, u"7000"_s);
    lab.addResult(QString(), u"negatif"_s);
    ctl<DBMemo>(lab.screen, u"DBMemo1"_s)->setFocus();
    QTest::keyClicks(ctl<DBMemo>(lab.screen, u"DBMemo1"_s), u"gizli detay"_s);
    click(lab.screen, u"OKBtn"_s);
    // A result of the other visit is not printed.
    lab.visits.selectVisit(1);
    lab.addResult(u"Demir"_s, u"99"_s);
    lab.visits.selectVisit(0);

    PreviewWatcher watcher;
    click(lab.screen, u"JvNavPanelButton6"_s);
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - Lumeko Rapor Önizleme - Laboratuar Takip Kartları"_s);
    const QStringList printed = watcher.report.texts(0);
    for (const QString& t : { u"LABORATUAR"_s, u"TETKİK TÜRÜ"_s, u"ALT DEĞER"_s, u"ÜST DEĞER"_s, u"SONUÇ"_s,
             u"AÇIKLAMA"_s, u"Demir"_s, u"50"_s, u"120"_s, u"80"_s, u"Lökosit"_s, u"11000"_s, u"Boş"_s, u"Ali"_s,
             u"Can"_s, u"Yılmaz"_s, u"Deneme Klinik"_s, u"Sayfa 1 / 1"_s })
        QVERIFY2(printed.contains(t), qPrintable(t + u" not in "_s + printed.join(u'|')));
    QVERIFY(!printed.contains(u"gizli detay"_s));
    // The same on paper.
    const QString pdf = watcher.pdfText();
    for (const QString& t : { u"LABORATUAR"_s, u"TETKİK TÜRÜ"_s, u"Lökosit"_s, u"Boş"_s, u"Yılmaz"_s })
        QVERIFY2(pdf.contains(t), qPrintable(t + u" not in:\n"_s + pdf));
    QVERIFY(!pdf.contains(u"gizli detay"_s));
    QVERIFY(!printed.contains(u"99"_s));
    QVERIFY(printed.indexOf(u"80"_s) < printed.indexOf(u"7000"_s));
    // Rows 1 and 3 shaded, row 2 not.
    int shaded = 0;
    for (const PreparedReport::Item& item : watcher.report.page(0).items) {
        if (watcher.report.style(item.style).background == QColor(240, 240, 240))
            ++shaded;
    }
    QCOMPARE(shaded, 2);
}

void tst_TtetkikgirisF::screenshot()
{
    const QString folder = QDir::currentPath();
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(u"Demir"_s, u"80"_s);
    lab.addResult(u"Lökosit"_s, u"7000"_s);
    lab.screen->setWindowState(Qt::WindowNoState);
    lab.screen->resize(1366, 740);
    QTRY_COMPARE(lab.screen->size(), QSize(1366, 740));
    QVERIFY(lab.screen->grab().save(folder + u"/tetkikgirisF.png"_s));
}

void tst_TtetkikgirisF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Sakla") << u"OKBtn"_s << u"store"_s;
    QTest::newRow("Yeni Tetkik Ekle") << u"JvNavPanelButton1"_s << u"new"_s;
    QTest::newRow("Girişten Vazgeç") << u"JvXPButton2"_s << u"drop"_s;
    QTest::newRow("Satır Sil") << u"JvNavPanelButton4"_s << u"delete"_s;
    QTest::newRow("Yazdır") << u"JvNavPanelButton6"_s << u"print"_s;
    QTest::newRow("Yeni Tetkik Türü Ekle") << u"JvNavPanelButton9"_s << u"types"_s;
    QTest::newRow("Kapat") << u"JvXPButton6"_s << u"close"_s;
    QTest::newRow("Insert") << QString() << u"new"_s;
    QTest::newRow("Ctrl+Delete") << QString() << u"delete"_s;
}

void tst_TtetkikgirisF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(QString, effect);
    AppFixture app;
    LabScreen lab(app);
    lab.addResult(u"Demir"_s, u"80"_s);
    // A change in progress, so that storing, dropping and closing show.
    lab.typeCell(0, Remark, u"yeni not"_s);

    if (effect == u"delete"_s)
        app.messages().expectQuestion(
            button.isEmpty() ? u"Delete record?"_s : deleteRowQuestion, Messages::Answer::Yes);
    PreviewWatcher watcher;
    if (!button.isEmpty())
        click(lab.screen, button);
    else if (effect == u"new"_s)
        QTest::keyClick(lab.grid->indexWidget(lab.grid->currentIndex()), Qt::Key_Insert);
    else
        QTest::keyClick(lab.grid->indexWidget(lab.grid->currentIndex()), Qt::Key_Delete, Qt::ControlModifier);
    VERIFY_BOXES(app);

    QCOMPARE(watcher.shown, effect == u"print"_s ? 1 : 0);
    QCOMPARE(lab.screen->isVisible(), effect != u"close"_s);
    QCOMPARE(app.screens().TetkikF->isVisible(), effect == u"types"_s);
    const int remarked = app.count(u"laboratuar"_s, u"aciklama = 'yeni not'"_s);
    if (effect == u"store"_s || effect == u"close"_s || effect == u"new"_s)
        QCOMPARE(remarked, 1);
    if (effect == u"drop"_s) {
        QCOMPARE(remarked, 0);
        QCOMPARE(lab.screen->labTable->State(), dsBrowse);
        QCOMPARE(lab.cell(0, Remark), QString());
    }
    QCOMPARE(lab.screen->labTable->State(), effect == u"new"_s ? dsInsert : lab.screen->labTable->State());
    QCOMPARE(app.count(u"laboratuar"_s), effect == u"delete"_s ? 0 : 1);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TtetkikgirisF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ttetkikgirisf.moc"
