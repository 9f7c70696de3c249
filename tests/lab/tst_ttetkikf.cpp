#include "AppFixture.h"
#include "DBEdit.h"
#include "DBGrid.h"
#include "DBMemo.h"
#include "DataSet.h"
#include "Messages.h"
#include "PediakayApplication.h"
#include "ScreenControls.h"
#include "Screens.h"
#include "TPasswordDlg.h"
#include "TReport.h"
#include "TReportPreview.h"
#include "TTetkikF.h"
#include "VisitDriver.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString saveQuestion = u"Bilgileri kayıt etmek istediğinize eminmisiniz?"_s;
const QString deleteQuestion = u"Bilgileri silmek istediğinize eminmisiniz?"_s;
const QString stopDeleteQuestion = u"Silme işlemi ile birlikte daha önceki kayıtlaraulaşmanız mümkün olmayacaktır. "
                                   u"Silme işlemini kesmek istermisiniz?"_s;
const QString previewTitle = u"Lumeko Rapor Önizleme - Tetkik Türü Kartları"_s;

void seedTypes(AppFixture& app)
{
    app.exec(u"INSERT INTO laborana (lid, tetkikturu, normaldegalt, normaldegust, aciklama) VALUES "
             u"(1, 'Hemoglobin', '11', '16', 'g/dL'), (2, 'Lökosit', '4000', '11000', NULL), "
             u"(3, 'Demir', '50', '120', 'aç karnına')"_s);
}

// Signs in as the clinic's user, then opens the catalogue as the results screen does.
TTetkikF* openCatalogue(AppFixture& app)
{
    app.exec(u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi, firmaadres, firmatel) VALUES "
             u"('mehmet', '2', 'Mehmet', 'Öz', 'Öz Çocuk Polikliniği', 'İstiklal Cad. 9', '2129998877')"_s);
    TPasswordDlg* dialog = app.screens().PasswordDlg;
    dialog->findChild<QLineEdit*>(u"kullan"_s)->setText(u"mehmet"_s);
    dialog->findChild<QLineEdit*>(u"Password"_s)->setText(u"2"_s);
    dialog->OKBtnClick();
    if (dialog->isVisible())
        qFatal("sign-in failed");
    TTetkikF* screen = app.screens().TetkikF;
    screen->showCatalogue();
    QApplication::setActiveWindow(screen);
    if (!QTest::qWaitForWindowActive(screen))
        qFatal("the catalogue did not become active");
    return screen;
}

// Read-only state of the name, lower, upper and remark boxes, as "1" for locked.
QString locks(QWidget* screen)
{
    QString result;
    for (const char* box : { "DBEdit1", "DBEdit2", "DBEdit3" })
        result += ctl<DBEdit>(screen, box)->isReadOnly() ? u'1' : u'0';
    result += ctl<DBMemo>(screen, "DBMemo1")->isReadOnly() ? u'1' : u'0';
    return result;
}

void typeInto(QWidget* box, const QString& text)
{
    box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
    QTest::keyClicks(box, text);
}

QString stored(AppFixture& app, const QString& column, const QString& name)
{
    QSqlQuery q = app.exec(u"SELECT %1 FROM laborana WHERE tetkikturu = ?"_s.arg(column), { name });
    return q.next() ? q.value(0).toString() : u"<none>"_s;
}

} // namespace

class tst_TTetkikF final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout();
    void editingLock_data();
    void editingLock();
    void newTypeSaved_data();
    void newTypeSaved();
    void correctionKeepsName();
    void saveWithoutEditingRefused();
    void deleting_data();
    void deleting();
    void deletingFromEmptyCatalogue();
    void enterKey_data();
    void enterKey();
    void gridEnterSteps_data();
    void gridEnterSteps();
    void printout();
    void screenshot();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
};

void tst_TTetkikF::layout()
{
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    QCOMPARE(screen->windowTitle(), u"Lumeko Fidanizi Programı - Tetkik Türü Kartları"_s);
    QStringList labels;
    for (const char* name : { "Label1", "Label2", "Label3", "Label4" })
        labels.append(ctl<QLabel>(screen, name)->text());
    QCOMPARE(labels, (QStringList { u"Tetkik Türü"_s, u"Normal Değer Alt"_s, u"Normal Değer Üst"_s, u"Açıklama"_s }));

    // The buttons left to right.
    QList<QPushButton*> buttons = screen->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton* b : buttons)
        texts.append(b->text());
    QCOMPARE(texts,
        (QStringList {
            u"Yeni"_s, u"Kaydet"_s, u"Vazgeç"_s, u"Sil"_s, u"Düzelt"_s, u"Kapat"_s, u"Yazdır - Önizleme"_s }));

    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    QVERIFY(grid->isReadOnly());
    QVERIFY(grid->wordWrap());
    QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 20);
    QStringList titles;
    for (int column = 0; column < grid->model()->columnCount(); ++column)
        titles.append(grid->model()->headerData(column, Qt::Horizontal).toString());
    QCOMPARE(titles, (QStringList { u"Tetkik Türü"_s, u"Normal Değer Alt"_s, u"Normal Değer Üst"_s, u"Açıklama"_s }));
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(grid->model()->index(1, 0).data().toString(), u"Lökosit"_s);
    // A click on a title does not sort.
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
        QPoint(grid->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
    QCOMPARE(grid->model()->index(0, 0).data().toString(), u"Hemoglobin"_s);

    // Selecting a row shows it in the boxes.
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, 1));
    QTRY_COMPARE(ctl<DBEdit>(screen, "DBEdit1")->text(), u"Demir"_s);
    QCOMPARE(ctl<DBMemo>(screen, "DBMemo1")->toPlainText(), u"aç karnına"_s);

    QCOMPARE(ctl<QLabel>(screen, "StatusBar1Panel3")->text(),
        u"  F2 Kaydet - F3 Yeni - F4 Yazdır - F5 Sil - F6 Vazgeç - F10 Kapat"_s);
    QCOMPARE(locks(screen), u"1111"_s);

    // The window's context menu names the keys.
    QStringList entries;
    for (QAction* action : ctl<QMenu>(screen, "PopupMenu1")->actions())
        entries.append(action->text() + u' ' + action->shortcut().toString());
    QCOMPARE(entries,
        (QStringList { u"Kaydet F2"_s, u"Yeni F3"_s, u"Yazdır F4"_s, u"Sil F5"_s, u"Vazgeç F6"_s, u"Kapat F10"_s }));
    QCOMPARE(screen->contextMenuPolicy(), Qt::CustomContextMenu);
    VERIFY_BOXES(app);
}

void tst_TTetkikF::editingLock_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("locked");

    QTest::newRow("Yeni opens all four") << QStringList { u"baslaBut"_s } << u"0000"_s;
    QTest::newRow("Düzelt keeps the name locked") << QStringList { u"duzBut"_s } << u"1000"_s;
    QTest::newRow("Vazgeç after Yeni") << QStringList { u"baslaBut"_s, u"vazBut"_s } << u"1111"_s;
    QTest::newRow("Vazgeç after Düzelt") << QStringList { u"duzBut"_s, u"vazBut"_s } << u"1111"_s;
    QTest::newRow("Kapat after Yeni") << QStringList { u"baslaBut"_s, u"kapatBut"_s } << u"1111"_s;
    QTest::newRow("Düzelt after Yeni locks the name") << QStringList { u"baslaBut"_s, u"duzBut"_s } << u"1000"_s;
}

void tst_TTetkikF::editingLock()
{
    QFETCH(QStringList, buttons);
    QFETCH(QString, locked);
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    for (const QString& b : std::as_const(buttons))
        click(screen, b.toLatin1().constData());
    QCOMPARE(locks(screen), locked);
    QCOMPARE(app.count(u"laborana"_s), 3);
    VERIFY_BOXES(app);
}

void tst_TTetkikF::newTypeSaved_data()
{
    QTest::addColumn<Messages::Answer>("answer");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("locked");

    QTest::newRow("Yes stores") << Messages::Answer::Yes << 1 << u"1111"_s;
    QTest::newRow("No stores nothing") << Messages::Answer::No << 0 << u"0000"_s;
    QTest::newRow("Escape stores nothing") << Messages::Answer::Closed << 0 << u"0000"_s;
}

void tst_TTetkikF::newTypeSaved()
{
    QFETCH(Messages::Answer, answer);
    QFETCH(int, rows);
    QFETCH(QString, locked);
    AppFixture app;
    TTetkikF* screen = openCatalogue(app);
    click(screen, "baslaBut");
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"Hemoglobin"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit2"), u"11"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit3"), u"16"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo1"), u"g/dL"_s);
    app.messages().expectQuestion(saveQuestion, answer);
    click(screen, "Button1");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laborana"_s,
                 u"tetkikturu = 'Hemoglobin' AND normaldegalt = '11' AND normaldegust = '16' "
                 u"AND aciklama = 'g/dL'"_s),
        rows);
    QCOMPARE(locks(screen), locked);
}

void tst_TTetkikF::correctionKeepsName()
{
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    click(screen, "duzBut");
    auto* name = ctl<DBEdit>(screen, "DBEdit1");
    name->setFocus();
    QTest::keyClicks(name, u"xx"_s);
    QCOMPARE(name->text(), u"Hemoglobin"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit3"), u"17"_s);
    app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    click(screen, "Button1");
    VERIFY_BOXES(app);
    QCOMPARE(stored(app, u"normaldegust"_s, u"Hemoglobin"_s), u"17"_s);
    QCOMPARE(stored(app, u"normaldegalt"_s, u"Hemoglobin"_s), u"11"_s);
    QCOMPARE(app.count(u"laborana"_s), 3);
}

void tst_TTetkikF::saveWithoutEditingRefused()
{
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    click(screen, "duzBut");
    app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    app.messages().expectError();
    click(screen, "Button1");
    VERIFY_BOXES(app);
    // The refused save leaves the lock as it was.
    QCOMPARE(locks(screen), u"1000"_s);
    QCOMPARE(app.count(u"laborana"_s), 3);
}

void tst_TTetkikF::deleting_data()
{
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");

    using A = Messages::Answer;
    QTest::newRow("Yes then No deletes") << QList<A> { A::Yes, A::No } << true;
    QTest::newRow("Yes then Escape deletes") << QList<A> { A::Yes, A::Closed } << true;
    QTest::newRow("Yes then Yes keeps") << QList<A> { A::Yes, A::Yes } << false;
    QTest::newRow("No keeps at once") << QList<A> { A::No } << false;
}

void tst_TTetkikF::deleting()
{
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 0));
    click(screen, "baslaBut");
    click(screen, "vazBut");
    grid->setCurrentIndex(grid->model()->index(1, 0));
    QTRY_COMPARE(ctl<DBEdit>(screen, "DBEdit1")->text(), u"Lökosit"_s);
    click(screen, "duzBut");
    app.messages().expectQuestion(deleteQuestion, answers.at(0));
    if (answers.size() > 1)
        app.messages().expectQuestion(stopDeleteQuestion, answers.at(1));
    click(screen, "silBut");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laborana"_s, u"tetkikturu = 'Lökosit'"_s), deleted ? 0 : 1);
    QCOMPARE(app.count(u"laborana"_s), deleted ? 2 : 3);
    QCOMPARE(locks(screen), deleted ? u"1111"_s : u"1000"_s);
}

// Nothing to delete: the questions are asked, then the refusal says so; nothing else happens.
void tst_TTetkikF::deletingFromEmptyCatalogue()
{
    AppFixture app;
    TTetkikF* screen = openCatalogue(app);
    app.messages().expectQuestion(deleteQuestion, Messages::Answer::Yes);
    app.messages().expectQuestion(stopDeleteQuestion, Messages::Answer::No);
    app.messages().expectError();
    click(screen, "silBut");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"laborana"_s), 0);
    QVERIFY(screen->isVisible());
    QCOMPARE(screen->tetkikTTable->State(), dsBrowse);
}

void tst_TTetkikF::enterKey_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");

    QTest::newRow("name to lower") << u"DBEdit1"_s << u"DBEdit2"_s;
    QTest::newRow("upper to remark") << u"DBEdit3"_s << u"DBMemo1"_s;
    QTest::newRow("remark takes no line break") << u"DBMemo1"_s << u"baslaBut"_s;
    QTest::newRow("button to button") << u"baslaBut"_s << u"Button1"_s;
}

void tst_TTetkikF::enterKey()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    click(screen, "baslaBut");
    auto* start = screen->findChild<QWidget*>(from);
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), to);
    QVERIFY(!ctl<DBMemo>(screen, "DBMemo1")->toPlainText().contains(u'\n'));
    // Enter stores nothing by itself.
    QCOMPARE(app.count(u"laborana"_s), 3);
    VERIFY_BOXES(app);
}

void tst_TTetkikF::gridEnterSteps_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("toColumn");

    QTest::newRow("next column") << 0 << 1;
    QTest::newRow("last column back to the first of the row") << 3 << 0;
}

void tst_TTetkikF::gridEnterSteps()
{
    QFETCH(int, column);
    QFETCH(int, toColumn);
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, column));
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(grid->currentIndex().column(), toColumn);
    QCOMPARE(QApplication::focusWidget(), grid);
    VERIFY_BOXES(app);
}

void tst_TTetkikF::printout()
{
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    PreviewWatcher watcher;
    click(screen, "JvXPButton1");
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - "_s + previewTitle);
    const QStringList printed = watcher.report.texts(0);
    for (const QString& t : { u"TETKİK TÜRLERİ RAPORU"_s, u"SIRA NO"_s, u"TETKİK TÜRÜ"_s, u"TETKİK ALT DEĞER"_s,
             u"TETKİK ÜST DEĞER"_s, u"AÇIKLAMA"_s, u"Hemoglobin"_s, u"Lökosit"_s, u"11000"_s, u"aç karnına"_s,
             u"Öz Çocuk Polikliniği"_s, u"mehmet"_s, u"Sayfa 1 / 1"_s })
        QVERIFY2(printed.contains(t), qPrintable(t + u" not in "_s + printed.join(u'|')));
    // In the table's order, each with its number.
    const int hemoglobin = printed.indexOf(u"Hemoglobin"_s);
    QVERIFY(hemoglobin < printed.indexOf(u"Lökosit"_s));
    QVERIFY(printed.indexOf(u"Lökosit"_s) < printed.indexOf(u"Demir"_s));
    QCOMPARE(printed.at(hemoglobin - 1), u"1"_s);
    // The same on paper.
    const QString pdf = watcher.pdfText();
    for (const QString& t : { u"TETKİK TÜRLERİ RAPORU"_s, u"TETKİK ÜST DEĞER"_s, u"Lökosit"_s, u"aç karnına"_s })
        QVERIFY2(pdf.contains(t), qPrintable(t + u" not in:\n"_s + pdf));
    // Rows 1 and 3 shaded, row 2 not.
    int shaded = 0;
    for (const PreparedReport::Item& item : watcher.report.page(0).items) {
        if (watcher.report.style(item.style).background == QColor(240, 240, 240))
            ++shaded;
    }
    QCOMPARE(shaded, 2);
}

void tst_TTetkikF::screenshot()
{
    // The picture goes to the folder the test started in, not the program's temporary one.
    const QString folder = QDir::currentPath();
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    screen->resize(1366, 740);
    QVERIFY(screen->grab().save(folder + u"/TetkikF.png"_s));
}

void tst_TTetkikF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");

    const struct {
        const char* button;
        Qt::Key key;
        const char* effect;
    } rows[] = {
        { "Button1", Qt::Key_F2, "save" },
        { "baslaBut", Qt::Key_F3, "new" },
        { "JvXPButton1", Qt::Key_F4, "print" },
        { "silBut", Qt::Key_F5, "delete" },
        { "duzBut", Qt::Key_F6, "correct" },
        { "kapatBut", Qt::Key_F10, "close" },
        { "vazBut", Qt::Key_unknown, "cancel" },
    };
    for (const auto& row : rows) {
        QTest::newRow(row.button) << QString::fromLatin1(row.button) << int(Qt::Key_unknown)
                                  << QString::fromLatin1(row.effect);
        if (row.key != Qt::Key_unknown)
            QTest::newRow(qPrintable(QKeySequence(row.key).toString()))
                << QString() << int(row.key) << QString::fromLatin1(row.effect);
    }
}

void tst_TTetkikF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, effect);
    AppFixture app;
    seedTypes(app);
    TTetkikF* screen = openCatalogue(app);
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 0));
    // A change in progress, so that saving, dropping and closing show.
    click(screen, "duzBut");
    typeInto(ctl<DBEdit>(screen, "DBEdit2"), u"12"_s);
    // Keys are pressed in the grid: they work anywhere on the screen.
    grid->setFocus();

    if (effect == u"save"_s)
        app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    if (effect == u"delete"_s) {
        app.messages().expectQuestion(deleteQuestion, Messages::Answer::Yes);
        app.messages().expectQuestion(stopDeleteQuestion, Messages::Answer::No);
    }
    PreviewWatcher watcher;
    if (!button.isEmpty())
        click(screen, button.toLatin1().constData());
    else
        QTest::keyClick(grid, Qt::Key(key));
    VERIFY_BOXES(app);

    const QString lower = stored(app, u"normaldegalt"_s, u"Hemoglobin"_s);
    QCOMPARE(watcher.shown, effect == u"print"_s ? 1 : 0);
    QCOMPARE(screen->isVisible(), effect != u"close"_s);
    if (effect == u"save"_s) {
        QCOMPARE(lower, u"12"_s);
        QCOMPARE(locks(screen), u"1111"_s);
    } else if (effect == u"new"_s) {
        QCOMPARE(locks(screen), u"0000"_s);
        QCOMPARE(ctl<DBEdit>(screen, "DBEdit1")->text(), QString());
    } else if (effect == u"delete"_s) {
        QCOMPARE(app.count(u"laborana"_s, u"tetkikturu = 'Hemoglobin'"_s), 0);
    } else if (effect == u"correct"_s) {
        // Nothing dropped: the typed value stays and the boxes stay open.
        QCOMPARE(ctl<DBEdit>(screen, "DBEdit2")->text(), u"12"_s);
        QCOMPARE(locks(screen), u"1000"_s);
    } else if (effect == u"cancel"_s || effect == u"close"_s) {
        QCOMPARE(lower, u"11"_s);
        QCOMPARE(ctl<DBEdit>(screen, "DBEdit2")->text(), u"11"_s);
        QCOMPARE(locks(screen), u"1111"_s);
    }
    if (effect != u"delete"_s)
        QCOMPARE(app.count(u"laborana"_s), 3);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TTetkikF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ttetkikf.moc"
