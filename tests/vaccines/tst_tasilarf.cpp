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
#include "TReport.h"
#include "TReportPreview.h"
#include "TasilarF.h"
#include "TfrmMain.h"
#include "Tozluk.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString saveQuestion = u"İşlenen bilgiler kayıt edilsinmi?"_s;
const QString stopDeleteQuestion
    = u"Bu kaydı silerseniz tekrar ulaşmanız mümkün olmayacaktır! Silme işlemini durdurmak istermisiniz?"_s;
const QString stopCardDeleteQuestion
    = u"Bu işlem sonucu silinen kayda tekrar ulaşmanız mümkün olmayacaktır. İşlemi kesmek istermisiniz?"_s;
const QString alreadyOnCard = u"Bu aşı daha önceden eklenmiş!"_s;
const QString previewTitle = u"Lumeko Rapor Önizleme - Aşı Takip Kartları"_s;

QString deleteQuestion(const QString& name)
{
    return u"Seçili \"%1\" tarihli adlı aşı kaydını silmek istediğinize eminmisiniz?"_s.arg(name);
}

QString cardDeleteQuestion(const QString& name)
{
    return u"Seçili \"%1 adlı aşı kaydını silmek istediğinize eminmisiniz?"_s.arg(name);
}

QString typeDeleteQuestion(const QString& name)
{
    return u"Seçili \"%1\" adlı aşı türü kaydını silmek istediğinize eminmisiniz?"_s.arg(name);
}

enum class Opener {
    ChildRecord,
    VisitScreen,
};

// Four children, one with an apostrophe in the code; four vaccine kinds; the first child's
// vaccinations, two kinds given twice each, and one of another child.
void seed(AppFixture& app)
{
    app.exec(u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi, firmaadres, firmatel) VALUES "
             u"('doktor', '1234', 'Mehmet', 'Öz', 'Öz Çocuk Polikliniği', 'İstiklal Cad. 9', '2129998877')"_s);
    const QList<QStringList> children = {
        { u"1"_s, u"Ali"_s, u"Can"_s, u"Yılmaz"_s, u"2023-01-10 00:00:00.000"_s },
        { u"2"_s, u"Ayşe"_s, u""_s, u"Yıldız"_s, u"2022-06-01 00:00:00.000"_s },
        { u"7'A"_s, u"Zeynep"_s, u""_s, u"Kaya"_s, u"2021-03-01 00:00:00.000"_s },
        { u"9"_s, u"Deniz"_s, u""_s, u"Ak"_s, u"2024-02-02 00:00:00.000"_s },
    };
    for (const QStringList& c : children)
        app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, adi2, soyadi, dogumtarihi) VALUES (?, ?, ?, ?, ?)"_s,
            { c[0], c[1], c[2], c[3], c[4] });
    app.exec(u"INSERT INTO asitur (asit, asiadi, asiaraligi, asiadedi, aciklama) VALUES "
             u"(1, 'BCG', 0, 1, 'doğumda'), (2, 'Hepatit B', 30, 3, NULL), (3, 'KKK', 365, 2, '12. ay'), "
             u"(4, 'DaBT', 60, 3, NULL)"_s);
    const QList<QStringList> shots = {
        { u"1"_s, u"KKK"_s, u"2024-05-01 00:00:00.000"_s, u"ikinci doz"_s, u"ateş yok"_s },
        { u"1"_s, u"BCG"_s, u"2024-03-01 00:00:00.000"_s, u"tekrar"_s, u""_s },
        { u"1"_s, u"BCG"_s, u"2023-02-01 00:00:00.000"_s, u"doğumda"_s, u"sol kol"_s },
        { u"1"_s, u"KKK"_s, u"2024-01-15 00:00:00.000"_s, u"ilk doz"_s, u""_s },
        { u"2"_s, u"BCG"_s, u"2022-07-01 00:00:00.000"_s, u"başka çocuk"_s, u""_s },
    };
    for (const QStringList& s : shots)
        app.exec(u"INSERT INTO asitakip (hkodu, asiadi, tarih, aciklama, \"not\") VALUES (?, ?, ?, ?, ?)"_s,
            { s[0], s[1], s[2], s[3], s[4] });
}

// Opens the vaccine screen for the child as a user would: from the child record screen
// ("Aşı Takip") or from the visit screen (F8 after looking the child up).
TasilarF* openFor(AppFixture& app, Opener opener, const QString& code)
{
    if (!app.signIn())
        qFatal("sign-in failed");
    if (opener == Opener::VisitScreen) {
        TfrmMain* visits = app.screens().frmMain;
        QApplication::setActiveWindow(visits);
        auto* codeBox = ctl<QLineEdit>(visits, "kisinoedit");
        codeBox->setText(code);
        QTest::mouseClick(ctl<QPushButton>(visits, "JvNavPanelButton9"), Qt::LeftButton);
        QApplication::setActiveWindow(visits);
        QTest::keyClick(codeBox, Qt::Key_F8);
    } else {
        Tozluk* ozluk = app.screens().ozluk;
        ozluk->sicilTable->Open();
        if (!ozluk->sicilTable->Locate(u"hasta_kodu"_s, code, {}))
            qFatal("no child %s", qPrintable(code));
        ozluk->show();
        QApplication::setActiveWindow(ozluk);
        QTest::mouseClick(ctl<QPushButton>(ozluk, "JvXPButton11"), Qt::LeftButton);
    }
    TasilarF* screen = app.screens().asilarF;
    if (!screen->isVisible())
        qFatal("the vaccine screen did not open");
    QApplication::setActiveWindow(screen);
    if (!QTest::qWaitForWindowActive(screen))
        qFatal("the vaccine screen did not become active");
    return screen;
}

void showTab(TasilarF* screen, int index)
{
    ctl<QTabWidget>(screen, "PageControl1")->setCurrentIndex(index);
}

// Types the text key by key, Turkish letters included.
void typeKeys(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void typeInto(QWidget* box, const QString& text)
{
    box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Backspace);
        line->home(false);
    }
    typeKeys(box, text);
}

// Chooses a vaccine kind in a type list by clicking its name.
void chooseType(TasilarF* screen, const char* list, const QString& name)
{
    auto* box = ctl<QListWidget>(screen, list);
    const QList<QListWidgetItem*> found = box->findItems(name, Qt::MatchExactly);
    if (found.isEmpty())
        qFatal("no type %s", qPrintable(name));
    box->scrollToItem(found.first());
    QTest::mouseClick(box->viewport(), Qt::LeftButton, {}, box->visualItemRect(found.first()).center());
}

// The list as shown: "name date" per row.
QStringList shownList(TasilarF* screen)
{
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    QStringList rows;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        rows.append(
            grid->model()->index(row, 0).data().toString() + u' ' + grid->model()->index(row, 1).data().toString());
    return rows;
}

// The dose card as stored: "name:doz1" per row in storing order.
QStringList storedCard(AppFixture& app, const QString& code)
{
    QSqlQuery q = app.exec(
        u"SELECT asiadi, coalesce(doz1, ''), asiturid FROM asitakip2 WHERE hkodu = ? ORDER BY asid"_s, { code });
    QStringList rows;
    while (q.next())
        rows.append(q.value(0).toString() + u':' + q.value(1).toString() + u':' + q.value(2).toString());
    return rows;
}

void selectListRow(TasilarF* screen, int row)
{
    DBGrid* grid = ctl<DBGrid>(screen, "recetegrid");
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, 0));
}

// Looks at every preview as it comes up and closes it.
class PreviewWatcher final : public TReport::PreviewHandler
{
public:
    explicit PreviewWatcher(std::function<void()> whileShown = {})
        : m_whileShown(std::move(whileShown))
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
        report = preview.report();
        if (m_whileShown)
            m_whileShown();
        preview.close();
    }

    int shown = 0;
    QString caption;
    PreparedReport report;

private:
    std::function<void()> m_whileShown;
};

QStringList allTexts(const PreparedReport& report)
{
    QStringList texts;
    for (int page = 0; page < report.pageCount(); ++page)
        texts += report.texts(page);
    return texts;
}

// Whether each data row of the first page is shaded grey, top to bottom. A row is found by the
// text of its first column, one of names; it is grey when a grey box lies under that text.
QList<bool> rowShading(const PreparedReport& report, const QStringList& names)
{
    QList<QRectF> grey;
    QList<QRectF> rows;
    for (const PreparedReport::Item& item : report.page(0).items) {
        if (report.style(item.style).background == QColor(240, 240, 240))
            grey.append(item.rect);
        else if (names.contains(item.text))
            rows.append(item.rect);
    }
    std::sort(rows.begin(), rows.end(), [](const QRectF& a, const QRectF& b) { return a.top() < b.top(); });
    QList<bool> shading;
    for (const QRectF& row : std::as_const(rows))
        shading.append(
            std::any_of(grey.cbegin(), grey.cend(), [&](const QRectF& g) { return g.contains(row.center()); }));
    return shading;
}

int greyBoxes(const PreparedReport& report)
{
    int count = 0;
    for (const PreparedReport::Item& item : report.page(0).items)
        count += report.style(item.style).background == QColor(240, 240, 240) ? 1 : 0;
    return count;
}

} // namespace

class tst_TasilarF final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void screenAtOpening_data();
    void screenAtOpening();
    void fieldLengths();
    void saveFromEitherOpener_data();
    void saveFromEitherOpener();
    void rememberedDescriptionAndNote_data();
    void rememberedDescriptionAndNote();
    void saveWithoutEntryRefused();
    void impossibleDateRefused_data();
    void impossibleDateRefused();
    void changeSelected();
    void deleteSelected_data();
    void deleteSelected();
    void nothingToChangeOrDelete_data();
    void nothingToChangeOrDelete();
    void rowHeight();
    void addOneType();
    void addAllTypes();
    void doseEntry_data();
    void doseEntry();
    void deleteCardRow_data();
    void deleteCardRow();
    void cardFollowsChild();
    void hidingCancelsPendingEdits();
    void enterKey_data();
    void enterKey();
    void cataloguePanel_data();
    void cataloguePanel();
    void catalogueSaveQuestion_data();
    void catalogueSaveQuestion();
    void catalogueDelete_data();
    void catalogueDelete();
    void printouts_data();
    void printouts();
    void oneVaccinePrintout();
    void filterOffAfterFailedReport();
    void emptyChildPrintouts_data();
    void emptyChildPrintouts();
    void rowShadingAndHeights();
    void pdfReadsBack();
    void screenshots();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
};

void tst_TasilarF::screenAtOpening_data()
{
    QTest::addColumn<Opener>("opener");
    QTest::addColumn<int>("state");
    QTest::newRow("child record screen") << Opener::ChildRecord << int(dsBrowse);
    QTest::newRow("visit screen") << Opener::VisitScreen << int(dsInsert);
}

void tst_TasilarF::screenAtOpening()
{
    QFETCH(Opener, opener);
    QFETCH(int, state);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, opener, u"1"_s);
    VERIFY_BOXES(app);
    QCOMPARE(screen->windowTitle(), u"Lumeko Fidanizi Programı  - Aşı Takip Kartları"_s);
    auto* tabs = ctl<QTabWidget>(screen, "PageControl1");
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), u"Kartlı Takip"_s);
    QCOMPARE(tabs->tabText(1), u"Standart Takip"_s);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(screen->receTable->State(), TDataSetState(state));

    // The child's texts on both tabs; the age written by the opener.
    for (const char* name : { "adiText1", "adiText2" })
        QCOMPARE(ctl<QLabel>(screen, name)->text(), u"Ali"_s);
    for (const char* name : { "soyadiText1", "soyadiText2" })
        QCOMPARE(ctl<QLabel>(screen, name)->text(), u"Yılmaz"_s);
    QCOMPARE(ctl<QLabel>(screen, "dogumText2")->text(), u"10.01.2023"_s);
    QVERIFY(ctl<QLabel>(screen, "Label9")->text().endsWith(u" Gün"_s));
    QCOMPARE(ctl<QLabel>(screen, "Label16")->text(), ctl<QLabel>(screen, "Label9")->text());

    // Both type lists hold the catalogue in its order.
    const QStringList types = { u"BCG"_s, u"Hepatit B"_s, u"KKK"_s, u"DaBT"_s };
    for (const char* name : { "DBLookupListBox1", "DBLookupListBox2" }) {
        QStringList shown;
        auto* list = ctl<QListWidget>(screen, name);
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QCOMPARE(shown, types);
    }

    QCOMPARE(ctl<QDateTimeEdit>(screen, "JvDateTimePicker1")->date(), QDate::currentDate());
    QVERIFY(ctl<QCheckBox>(screen, "CheckBox1")->isChecked());
    QCOMPARE(ctl<QCheckBox>(screen, "CheckBox1")->text(), u"Aynı açıklama ve notu diğerlerine al"_s);
    QCOMPARE(ctl<QGroupBox>(screen, "RadioGroup1")->title(), u"  Yazdırma Seçenekleri  "_s);
    QStringList options;
    for (QRadioButton* option : ctl<QGroupBox>(screen, "RadioGroup1")->findChildren<QRadioButton*>())
        options.append(option->text() + (option->isChecked() ? u"*"_s : QString()));
    QCOMPARE(options,
        (QStringList { u"Tüm Aşıları Yazdır*"_s, u"Seçili Aşıyı Yazdır"_s, u"Seçili Tek Aşıyı Yazdır"_s,
            u"Giriş Yapılan Aşıyı Yaz"_s, u"Tüm Aşıları Yazdır2"_s }));
    QCOMPARE(ctl<QLabel>(screen, "StatusBar1Panel1")->text(),
        u"  F4 Yazdır - F5 Sil - F6 Kaydet - F7 Yeni - F8 Vazgeç - F9 Yeni Aşı Türü - F10 Kapat"_s);
    QVERIFY(!ctl<QWidget>(screen, "asiturPanel")->isVisible());

    // The list: the child's four records, titles centred, rows 20 high.
    DBGrid* list = ctl<DBGrid>(screen, "recetegrid");
    QVERIFY(list->isReadOnly());
    QCOMPARE(list->verticalHeader()->defaultSectionSize(), 20);
    QCOMPARE(list->horizontalHeader()->defaultAlignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QStringList titles;
    for (int c = 0; c < list->model()->columnCount(); ++c)
        titles.append(list->model()->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(titles, (QStringList { u"Aşı Adı"_s, u"Tarih"_s, u"Açıklama"_s, u"Not"_s }));
    QCOMPARE(shownList(screen).size(), 4);

    // The dose card: the name is not editable, the five dose cells are; doz4 is not shown.
    DBGrid* card = ctl<DBGrid>(screen, "JvDBGrid2");
    QCOMPARE(card->columns(), (QStringList { u"asiadi"_s, u"doz1"_s, u"doz2"_s, u"doz3"_s, u"rapel1"_s, u"rapel2"_s }));
    titles.clear();
    for (int c = 0; c < card->model()->columnCount(); ++c)
        titles.append(card->model()->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(titles, (QStringList { u"Aşı Adı"_s, u"Doz 1"_s, u"Doz 2"_s, u"Doz 3"_s, u"Rapel 1"_s, u"Rapel 2"_s }));

    // The context menu names the keys; F4's entry is hidden.
    QStringList entries;
    for (QAction* action : ctl<QMenu>(screen, "PopupMenu1")->actions())
        entries.append(action->text() + u' ' + action->shortcut().toString() + (action->isVisible() ? u""_s : u" -"_s));
    QCOMPARE(entries,
        (QStringList { u"Yazdır (Önizleme) F4 -"_s, u"Aşı Sil F5"_s, u"Kaydet F6"_s, u"Yeni F7"_s, u"Vazgeç F8"_s,
            u"Yeni Aşı Türü F9"_s, u"Kapat F10"_s }));
}

void tst_TasilarF::fieldLengths()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    auto* name = ctl<DBEdit>(screen, "DBEdit2");
    typeInto(name, u"ABCDEFGHIJKLMNOPQRST"_s);
    QCOMPARE(name->text(), u"ABCDEFGHIJKLMNO"_s);

    // A dose cell takes 15 characters, the catalogue's description 50.
    click(screen, "JvXPButton4");
    showTab(screen, 0);
    DBGrid* card = ctl<DBGrid>(screen, "JvDBGrid2");
    const QModelIndex dose = card->model()->index(0, 1);
    QVERIFY(card->model()->flags(dose) & Qt::ItemIsEditable);
    QVERIFY(!(card->model()->flags(card->model()->index(0, 0)) & Qt::ItemIsEditable));
    card->setFocus();
    card->setCurrentIndex(dose);
    card->edit(dose);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 15);

    click(screen, "JvXPButton5");
    DBGrid* catalogue = ctl<DBGrid>(screen, "JvDBGrid1");
    const QModelIndex description = catalogue->model()->index(0, 3);
    catalogue->setCurrentIndex(description);
    catalogue->edit(description);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->maxLength(), 50);
}

void tst_TasilarF::saveFromEitherOpener_data()
{
    QTest::addColumn<Opener>("opener");
    QTest::addColumn<QString>("code");
    QTest::addColumn<Messages::Answer>("answer");
    QTest::addColumn<QStringList>("list");

    const QStringList before = { u"BCG 01.02.2023"_s, u"BCG 01.03.2024"_s, u"KKK 15.01.2024"_s, u"KKK 01.05.2024"_s };
    const QStringList after = { u"BCG 01.02.2023"_s, u"BCG 01.03.2024"_s, u"Hepatit B 10.02.2024"_s,
        u"KKK 15.01.2024"_s, u"KKK 01.05.2024"_s };
    using A = Messages::Answer;
    QTest::newRow("visit screen, Yes") << Opener::VisitScreen << u"1"_s << A::Yes << after;
    QTest::newRow("visit screen, No") << Opener::VisitScreen << u"1"_s << A::No << before;
    QTest::newRow("visit screen, Escape") << Opener::VisitScreen << u"1"_s << A::Closed << before;
    QTest::newRow("child record, Yes") << Opener::ChildRecord << u"1"_s << A::Yes << after;
    QTest::newRow("code with an apostrophe")
        << Opener::ChildRecord << u"7'A"_s << A::Yes << QStringList { u"Hepatit B 10.02.2024"_s };
}

void tst_TasilarF::saveFromEitherOpener()
{
    QFETCH(Opener, opener);
    QFETCH(QString, code);
    QFETCH(Messages::Answer, answer);
    QFETCH(QStringList, list);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, opener, code);
    showTab(screen, 1);
    if (opener == Opener::ChildRecord) {
        // The entry area shows some record of the table; F7 begins a new one.
        QCOMPARE(screen->receTable->State(), dsBrowse);
        QCOMPARE(ctl<DBEdit>(screen, "DBEdit2")->text(), u"KKK"_s);
        QTest::keyClick(ctl<DBEdit>(screen, "DBEdit2"), Qt::Key_F7);
    }
    chooseType(screen, "DBLookupListBox2", u"Hepatit B"_s);
    QCOMPARE(ctl<DBEdit>(screen, "DBEdit2")->text(), u"Hepatit B"_s);
    QCOMPARE(screen->asiturTable->FieldByName(u"asit"_s)->AsInteger(), 2);
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"10022024"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo1"), u"sağ kol"_s);
    app.messages().expectQuestion(saveQuestion, answer);
    QTest::keyClick(ctl<DBMemo>(screen, "DBMemo1"), Qt::Key_F6);
    VERIFY_BOXES(app);

    const int stored = app.count(u"asitakip"_s,
        u"hkodu = ? AND asiadi = 'Hepatit B' AND tarih LIKE '2024-02-10%' AND aciklama = 'sağ kol'"_s, { code });
    QCOMPARE(stored, answer == Messages::Answer::Yes ? 1 : 0);
    QCOMPARE(app.count(u"asitakip"_s), answer == Messages::Answer::Yes ? 6 : 5);
    QCOMPARE(shownList(screen), list);
    QCOMPARE(screen->receTable->State(), dsBrowse);
}

void tst_TasilarF::rememberedDescriptionAndNote_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::newRow("ticked") << true;
    QTest::newRow("unticked") << false;
}

void tst_TasilarF::rememberedDescriptionAndNote()
{
    QFETCH(bool, ticked);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    if (!ticked)
        click(screen, "CheckBox1");
    chooseType(screen, "DBLookupListBox2", u"DaBT"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo1"), u"uyluk"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo2"), u"hafif kızarıklık"_s);
    app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    click(screen, "Button1");
    VERIFY_BOXES(app);

    // The texts survive closing and a reopening for another child.
    click(screen, "kapatBut");
    screen = openFor(app, Opener::ChildRecord, u"2"_s);
    showTab(screen, 1);
    click(screen, "baslaBut");
    QCOMPARE(screen->receTable->State(), dsInsert);
    QCOMPARE(ctl<DBMemo>(screen, "DBMemo1")->toPlainText(), ticked ? u"uyluk"_s : QString());
    QCOMPARE(ctl<DBMemo>(screen, "DBMemo2")->toPlainText(), ticked ? u"hafif kızarıklık"_s : QString());
    QCOMPARE(ctl<DBEdit>(screen, "DBEdit1")->text(), QString());
    QCOMPARE(ctl<DBEdit>(screen, "DBEdit2")->text(), QString());
}

void tst_TasilarF::saveWithoutEntryRefused()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    app.messages().expectError();
    click(screen, "Button1");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip"_s), 5);
    QCOMPARE(screen->receTable->State(), dsBrowse);
}

void tst_TasilarF::impossibleDateRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("refused");
    QTest::newRow("31 February") << u"31022024"_s << u"31.02.2024"_s << true;
    QTest::newRow("month 13") << u"01132024"_s << u"01.13.2024"_s << true;
    QTest::newRow("letters are not taken") << u"ab"_s << u"__.__.____"_s << false;
    QTest::newRow("29 February of a leap year") << u"29022024"_s << u"29.02.2024"_s << false;
}

void tst_TasilarF::impossibleDateRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, refused);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"BCG"_s);
    auto* date = ctl<DBEdit>(screen, "DBEdit1");
    typeInto(date, typed);
    QCOMPARE(date->displayText(), shown);
    if (refused)
        app.messages().expectError(u"'%1' geçerli bir tarih değil."_s.arg(shown));
    else
        app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    QTest::keyClick(date, Qt::Key_F6);
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip"_s), refused ? 5 : 6);
    if (refused) {
        // The entry stays, with the date to correct.
        QCOMPARE(screen->receTable->State(), dsInsert);
        QCOMPARE(date->displayText(), shown);
        typeInto(date, u"28022024"_s);
        app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
        QTest::keyClick(date, Qt::Key_F6);
        VERIFY_BOXES(app);
        QCOMPARE(app.count(u"asitakip"_s, u"tarih LIKE '2024-02-28%' AND hkodu = '1'"_s), 1);
    }
}

void tst_TasilarF::changeSelected()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    selectListRow(screen, 3); // KKK 2024-05-01
    click(screen, "degistir");
    QCOMPARE(screen->receTable->State(), dsEdit);
    QCOMPARE(ctl<DBMemo>(screen, "DBMemo1")->toPlainText(), u"ikinci doz"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"02052024"_s);
    app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    click(screen, "Button1");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip"_s, u"aciklama = 'ikinci doz' AND tarih LIKE '2024-05-02%' AND hkodu = '1'"_s), 1);
    QCOMPARE(app.count(u"asitakip"_s), 5);
    QCOMPARE(shownList(screen).last(), u"KKK 02.05.2024"_s);
}

void tst_TasilarF::deleteSelected_data()
{
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");
    using A = Messages::Answer;
    QTest::newRow("Yes then No deletes") << QList<A> { A::Yes, A::No } << true;
    QTest::newRow("Yes then Escape deletes") << QList<A> { A::Yes, A::Closed } << true;
    QTest::newRow("Yes then Yes keeps") << QList<A> { A::Yes, A::Yes } << false;
    QTest::newRow("No keeps") << QList<A> { A::No } << false;
}

void tst_TasilarF::deleteSelected()
{
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    selectListRow(screen, 1); // BCG 2024-03-01
    app.messages().expectQuestion(deleteQuestion(u"BCG"_s), answers.at(0));
    if (answers.size() > 1)
        app.messages().expectQuestion(stopDeleteQuestion, answers.at(1));
    click(screen, "JvNavPanelButton2");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip"_s, u"tarih LIKE '2024-03-01%'"_s), deleted ? 0 : 1);
    QCOMPARE(app.count(u"asitakip"_s), deleted ? 4 : 5);
    QCOMPARE(shownList(screen).contains(u"BCG 01.03.2024"_s), !deleted);
    QCOMPARE(shownList(screen).size(), deleted ? 3 : 4);
}

void tst_TasilarF::nothingToChangeOrDelete_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("goneElsewhere");

    const QString empty = u"Listede seçili bir aşı kaydı yok!"_s;
    QTest::newRow("change, empty list") << u"9"_s << u"degistir"_s << false;
    QTest::newRow("delete, empty list") << u"9"_s << u"silBut"_s << false;
    QTest::newRow("change, deleted by another copy") << u"1"_s << u"degistir"_s << true;
    QTest::newRow("delete, deleted by another copy") << u"1"_s << u"silBut"_s << true;
}

void tst_TasilarF::nothingToChangeOrDelete()
{
    QFETCH(QString, code);
    QFETCH(QString, button);
    QFETCH(bool, goneElsewhere);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, code);
    showTab(screen, 1);
    int remaining = 5;
    if (goneElsewhere) {
        selectListRow(screen, 0);
        app.exec(u"DELETE FROM asitakip WHERE tarih LIKE '2023-02-01%'"_s);
        remaining = 4;
        app.messages().expectPlain(u"Seçili aşı kaydı bulunamadı; başka bir bilgisayarda silinmiş olabilir!"_s);
    } else {
        app.messages().expectPlain(u"Listede seçili bir aşı kaydı yok!"_s);
    }
    click(screen, button.toLatin1().constData());
    VERIFY_BOXES(app);
    QCOMPARE(screen->receTable->State(), dsBrowse);
    QCOMPARE(app.count(u"asitakip"_s), remaining);
}

void tst_TasilarF::rowHeight()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    QHeaderView* rows = ctl<DBGrid>(screen, "recetegrid")->verticalHeader();
    auto* widen = ctl<QCheckBox>(screen, "CheckBox2");
    QTest::mouseClick(widen, Qt::LeftButton);
    QCOMPARE(rows->defaultSectionSize(), 41);
    QTest::mouseClick(widen, Qt::LeftButton);
    QCOMPARE(rows->defaultSectionSize(), 17);
    // Leaving the box sets the height by its tick again.
    widen->setFocus();
    widen->setChecked(true);
    ctl<DBEdit>(screen, "DBEdit1")->setFocus();
    QCOMPARE(rows->defaultSectionSize(), 41);
}

void tst_TasilarF::addOneType()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    chooseType(screen, "DBLookupListBox1", u"KKK"_s);
    click(screen, "JvXPButton3");
    VERIFY_BOXES(app);
    QCOMPARE(storedCard(app, u"1"_s), QStringList { u"KKK::3"_s });
    // The choice on this tab also went into the other tab's entry record.
    QCOMPARE(screen->receTable->FieldByName(u"asiadi"_s)->AsString(), u"KKK"_s);

    app.messages().expectPlain(alreadyOnCard);
    click(screen, "JvXPButton3");
    VERIFY_BOXES(app);
    QCOMPARE(storedCard(app, u"1"_s), QStringList { u"KKK::3"_s });
    // Another child may have the same type.
    QCOMPARE(ctl<DBGrid>(screen, "JvDBGrid2")->model()->rowCount(), 1);
    QCOMPARE(ctl<DBGrid>(screen, "JvDBGrid2")->model()->index(0, 0).data().toString(), u"KKK"_s);
}

void tst_TasilarF::addAllTypes()
{
    AppFixture app;
    seed(app);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, doz1, asiturid) VALUES ('1', 'Hepatit B', '01.02.2023', 2)"_s);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, asiturid) VALUES ('2', 'BCG', 1)"_s);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton4");
    VERIFY_BOXES(app);
    QCOMPARE(
        storedCard(app, u"1"_s), (QStringList { u"Hepatit B:01.02.2023:2"_s, u"BCG::1"_s, u"KKK::3"_s, u"DaBT::4"_s }));
    QCOMPARE(storedCard(app, u"2"_s), QStringList { u"BCG::1"_s });
    // Again: nothing is missing, nothing is added, nothing is said.
    click(screen, "JvXPButton4");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip2"_s, u"hkodu = '1'"_s), 4);
    QCOMPARE(ctl<DBGrid>(screen, "JvDBGrid2")->model()->rowCount(), 4);
    // No dates appear anywhere by themselves.
    QCOMPARE(app.count(u"asitakip2"_s, u"doz2 IS NOT NULL OR doz3 IS NOT NULL OR tarih IS NOT NULL"_s), 0);
}

void tst_TasilarF::doseEntry_data()
{
    QTest::addColumn<bool>("closeAtOnce");
    QTest::newRow("moving to another row stores") << false;
    QTest::newRow("F10 at once drops") << true;
}

void tst_TasilarF::doseEntry()
{
    QFETCH(bool, closeAtOnce);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton4");
    DBGrid* card = ctl<DBGrid>(screen, "JvDBGrid2");
    const QModelIndex cell = card->model()->index(0, 1);
    card->setFocus();
    card->setCurrentIndex(cell);
    card->edit(cell);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != card);
    typeKeys(editor, u"05.03.2023"_s);
    if (closeAtOnce) {
        QTest::keyClick(editor, Qt::Key_F10);
        QVERIFY(!screen->isVisible());
        QCOMPARE(app.count(u"asitakip2"_s, u"doz1 IS NOT NULL"_s), 0);
        QCOMPARE(screen->asi2Table->State(), dsBrowse);
    } else {
        card->setCurrentIndex(card->model()->index(1, 1));
        QCOMPARE(app.count(u"asitakip2"_s, u"doz1 = '05.03.2023' AND hkodu = '1'"_s), 1);
        // Moving down from the last row adds nothing.
        card->setCurrentIndex(card->model()->index(card->model()->rowCount() - 1, 1));
        QTest::keyClick(card, Qt::Key_Down);
        QCOMPARE(card->model()->rowCount(), 4);
        QCOMPARE(screen->asi2Table->State(), dsBrowse);
    }
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip2"_s), 4);
}

void tst_TasilarF::deleteCardRow_data()
{
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");
    using A = Messages::Answer;
    QTest::newRow("Yes then No deletes") << QList<A> { A::Yes, A::No } << true;
    QTest::newRow("Yes then Yes keeps") << QList<A> { A::Yes, A::Yes } << false;
    QTest::newRow("No keeps") << QList<A> { A::No } << false;
}

void tst_TasilarF::deleteCardRow()
{
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton4");
    DBGrid* card = ctl<DBGrid>(screen, "JvDBGrid2");
    card->setFocus();
    card->setCurrentIndex(card->model()->index(2, 0));
    app.messages().expectQuestion(cardDeleteQuestion(u"KKK"_s), answers.at(0));
    if (answers.size() > 1)
        app.messages().expectQuestion(stopCardDeleteQuestion, answers.at(1));
    click(screen, "JvNavPanelButton11");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitakip2"_s, u"asiadi = 'KKK'"_s), deleted ? 0 : 1);
    QCOMPARE(card->model()->rowCount(), deleted ? 3 : 4);
}

void tst_TasilarF::cardFollowsChild()
{
    AppFixture app;
    seed(app);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, asiturid) VALUES ('2', 'BCG', 1)"_s);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton4");
    DBGrid* card = ctl<DBGrid>(screen, "JvDBGrid2");
    QCOMPARE(card->model()->rowCount(), 4);
    QVERIFY(app.screens().ozluk->sicilTable->Locate(u"hasta_kodu"_s, u"2"_s, {}));
    QCOMPARE(card->model()->rowCount(), 1);
    QCOMPARE(card->model()->index(0, 0).data().toString(), u"BCG"_s);
    QCOMPARE(ctl<QLabel>(screen, "adiText1")->text(), u"Ayşe"_s);
    QCOMPARE(ctl<QLabel>(screen, "soyadiText2")->text(), u"Yıldız"_s);
    // The list follows only when it is read again.
    QCOMPARE(shownList(screen).size(), 4);
    click(screen, "JvNavPanelButton8");
    QCOMPARE(shownList(screen).size(), 4);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"KKK"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"01012024"_s);
    app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    click(screen, "Button1");
    VERIFY_BOXES(app);
    QCOMPARE(shownList(screen), (QStringList { u"BCG 01.07.2022"_s, u"KKK 01.01.2024"_s }));
}

void tst_TasilarF::hidingCancelsPendingEdits()
{
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    click(screen, "JvXPButton4");
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"BCG"_s);
    screen->asi2Table->Edit();
    screen->asi2Table->FieldByName(u"rapel1"_s)->setAsString(u"x"_s);
    click(screen, "yeniasiBut");
    click(screen, "JvNavPanelButton1");
    QCOMPARE(screen->asiturTable->State(), dsInsert);
    screen->close();
    VERIFY_BOXES(app);
    for (DataSet* ds : { screen->receTable, screen->asiturTable, screen->asi2Table })
        QCOMPARE(ds->State(), dsBrowse);
    QCOMPARE(app.count(u"asitakip"_s), 5);
    QCOMPARE(app.count(u"asitur"_s), 4);
    QCOMPARE(app.count(u"asitakip2"_s, u"rapel1 IS NOT NULL"_s), 0);
}

void tst_TasilarF::enterKey_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("toColumn");

    QTest::newRow("date box to name box") << u"DBEdit1"_s << -1 << u"DBEdit2"_s << -1;
    QTest::newRow("memo takes a line break") << u"DBMemo1"_s << -1 << u"DBMemo1"_s << -1;
    QTest::newRow("tick box to the next control") << u"CheckBox1"_s << -1 << u"RadioButton1"_s << -1;
    QTest::newRow("dose card: next column") << u"JvDBGrid2"_s << 2 << u"JvDBGrid2"_s << 3;
    QTest::newRow("dose card: last column to the first") << u"JvDBGrid2"_s << 5 << u"JvDBGrid2"_s << 0;
    QTest::newRow("catalogue: last column to the first") << u"JvDBGrid1"_s << 3 << u"JvDBGrid1"_s << 0;
}

void tst_TasilarF::enterKey()
{
    QFETCH(QString, from);
    QFETCH(int, column);
    QFETCH(QString, to);
    QFETCH(int, toColumn);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    click(screen, "JvXPButton4");
    if (from == u"JvDBGrid1"_s)
        click(screen, "yeniasiBut");
    else
        showTab(screen, from == u"JvDBGrid2"_s ? 0 : 1);
    auto* start = screen->findChild<QWidget*>(from);
    start->setFocus();
    if (auto* grid = qobject_cast<DBGrid*>(start))
        grid->setCurrentIndex(grid->model()->index(1, column));
    QTest::keyClick(start, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(), to);
    if (auto* grid = qobject_cast<DBGrid*>(start)) {
        QCOMPARE(grid->currentIndex().row(), 1);
        QCOMPARE(grid->currentIndex().column(), toColumn);
    }
    QCOMPARE(ctl<DBMemo>(screen, "DBMemo1")->toPlainText(), from == u"DBMemo1"_s ? u"\n"_s : QString());
    VERIFY_BOXES(app);
}

void tst_TasilarF::cataloguePanel_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::newRow("button of Kartlı Takip") << u"JvXPButton5"_s << 0;
    QTest::newRow("button of Standart Takip") << u"yeniasiBut"_s << 0;
    QTest::newRow("F9") << QString() << int(Qt::Key_F9);
    QTest::newRow("menu entry") << QString() << 0;
}

void tst_TasilarF::cataloguePanel()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, button == u"JvXPButton5"_s ? 0 : 1);
    auto* panel = ctl<QWidget>(screen, "asiturPanel");
    QVERIFY(!panel->isVisible());
    if (!button.isEmpty())
        click(screen, button.toLatin1().constData());
    else if (key)
        QTest::keyClick(ctl<DBEdit>(screen, "DBEdit2"), Qt::Key(key));
    else
        screen->findChild<QAction*>(u"YeniAsTr1"_s)->trigger();
    QVERIFY(panel->isVisible());
    DBGrid* grid = ctl<DBGrid>(screen, "JvDBGrid1");
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->model()->rowCount(), 4);
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles.append(grid->model()->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(titles, (QStringList { u"Aşı Adı"_s, u"Aşı Aralığı"_s, u"Aşı Adedi"_s, u"Açıklama"_s }));

    // The panel's buttons keep it; the grid losing the focus hides it.
    click(screen, "JvNavPanelButton9");
    QVERIFY(panel->isVisible());
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->model()->rowCount(), 4);
    ctl<QListWidget>(screen, "DBLookupListBox1")->setFocus();
    if (ctl<QTabWidget>(screen, "PageControl1")->currentIndex() == 1)
        ctl<DBEdit>(screen, "DBEdit1")->setFocus();
    QVERIFY(!panel->isVisible());
    QCOMPARE(app.count(u"asitur"_s), 4);
    VERIFY_BOXES(app);
}

void tst_TasilarF::catalogueSaveQuestion_data()
{
    QTest::addColumn<bool>("bySaveButton");
    QTest::addColumn<Messages::Answer>("answer");
    QTest::newRow("Aşı Türü Sakla, Yes") << true << Messages::Answer::Yes;
    QTest::newRow("Aşı Türü Sakla, No") << true << Messages::Answer::No;
    QTest::newRow("moving to another row, Yes") << false << Messages::Answer::Yes;
    QTest::newRow("moving to another row, No") << false << Messages::Answer::No;
}

void tst_TasilarF::catalogueSaveQuestion()
{
    QFETCH(bool, bySaveButton);
    QFETCH(Messages::Answer, answer);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton5");
    click(screen, "JvNavPanelButton1");
    DBGrid* grid = ctl<DBGrid>(screen, "JvDBGrid1");
    QCOMPARE(grid->model()->rowCount(), 5);
    const QModelIndex name = grid->model()->index(4, 0);
    grid->setCurrentIndex(name);
    grid->edit(name);
    typeKeys(QApplication::focusWidget(), u"Rota"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    app.messages().expectQuestion(saveQuestion, answer);
    if (bySaveButton)
        click(screen, "JvNavPanelButton7");
    else
        grid->setCurrentIndex(grid->model()->index(0, 0));
    VERIFY_BOXES(app);
    const bool yes = answer == Messages::Answer::Yes;
    QCOMPARE(app.count(u"asitur"_s, u"asiadi = 'Rota'"_s), yes ? 1 : 0);
    QCOMPARE(grid->model()->rowCount(), yes ? 5 : 4);
    // The type lists follow the catalogue.
    QCOMPARE(ctl<QListWidget>(screen, "DBLookupListBox2")->count(), yes ? 5 : 4);
    QCOMPARE(screen->asiturTable->State(), dsBrowse);
}

void tst_TasilarF::catalogueDelete_data()
{
    QTest::addColumn<bool>("emptyCatalogue");
    QTest::addColumn<QList<Messages::Answer>>("answers");
    QTest::addColumn<bool>("deleted");
    using A = Messages::Answer;
    QTest::newRow("Yes then No deletes") << false << QList<A> { A::Yes, A::No } << true;
    QTest::newRow("Yes then Yes keeps") << false << QList<A> { A::Yes, A::Yes } << false;
    QTest::newRow("No keeps") << false << QList<A> { A::No } << false;
    QTest::newRow("empty catalogue") << true << QList<A> { A::Yes, A::No } << false;
}

void tst_TasilarF::catalogueDelete()
{
    QFETCH(bool, emptyCatalogue);
    QFETCH(QList<Messages::Answer>, answers);
    QFETCH(bool, deleted);
    AppFixture app;
    seed(app);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, doz1, asiturid) VALUES ('1', 'KKK', '01.01.2024', 3)"_s);
    if (emptyCatalogue)
        app.exec(u"DELETE FROM asitur"_s);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    click(screen, "JvXPButton5");
    DBGrid* grid = ctl<DBGrid>(screen, "JvDBGrid1");
    if (!emptyCatalogue)
        grid->setCurrentIndex(grid->model()->index(2, 0));
    app.messages().expectQuestion(typeDeleteQuestion(emptyCatalogue ? QString() : u"KKK"_s), answers.at(0));
    if (answers.size() > 1)
        app.messages().expectQuestion(stopDeleteQuestion, answers.at(1));
    if (emptyCatalogue)
        app.messages().expectError();
    click(screen, "JvNavPanelButton4");
    VERIFY_BOXES(app);
    QCOMPARE(app.count(u"asitur"_s), emptyCatalogue ? 0 : (deleted ? 3 : 4));
    QCOMPARE(app.count(u"asitur"_s, u"asiadi = 'KKK'"_s), emptyCatalogue || deleted ? 0 : 1);
    // The child's records keep the name and the doses.
    QCOMPARE(app.count(u"asitakip2"_s, u"asiadi = 'KKK' AND doz1 = '01.01.2024'"_s), 1);
    QCOMPARE(app.count(u"asitakip"_s, u"asiadi = 'KKK'"_s), 2);
}

void tst_TasilarF::printouts_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("printed");
    QTest::addColumn<QStringList>("notPrinted");

    const QStringList list = { u"AŞI TAKİP KARTI"_s, u"AŞI ADI"_s, u"TARİH"_s, u"AÇIKLAMA"_s, u"NOT"_s, u"BCG"_s,
        u"KKK"_s, u"01.02.2023"_s, u"01.05.2024"_s, u"ateş yok"_s, u"Ali Can Yılmaz"_s, u"ÇOCUK NO"_s, u"1"_s,
        u"Sayfa 1 / 1"_s, u"Öz Çocuk Polikliniği"_s, u"İstiklal Cad. 9"_s, u"(212) 999 88 77"_s, u"doktor"_s };
    QTest::newRow("L1 every record") << u"RadioButton1"_s << u"JvXPButton1"_s << u"asi_liste"_s << list
                                     << QStringList { u"başka çocuk"_s };
    QTest::newRow("L6 fixed rows") << u"RadioButton5"_s << u"JvNavPanelButton3"_s << u"asi_liste_sabit"_s << list
                                   << QStringList { u"başka çocuk"_s };
    QTest::newRow("L3 the selected record") << u"RadioButton3"_s << u"JvXPButton1"_s << u"asi_kart_secili"_s
                                            << QStringList { u"RAPORLANAN AŞI :"_s, u"KKK"_s, u"01.05.2024"_s,
                                                   u"NOT : ateş yok"_s, u"TARİH   "_s, u"Sayfa 1 / 1"_s }
                                            << QStringList { u"BCG"_s };
    QTest::newRow("L4 the entry, unsaved") << u"RadioButton4"_s << u"JvXPButton1"_s << u"asi_kart_giris"_s
                                           << QStringList { u"RAPORLANAN AŞI :"_s, u"DaBT"_s, u"07.07.2024"_s,
                                                  u"NOT : henüz kaydedilmedi"_s, u"Ali Can Yılmaz"_s }
                                           << QStringList { u"KKK"_s };
    QTest::newRow("L7 dose card") << QString() << u"JvNavPanelButton12"_s << u"asi_doz_karti"_s
                                  << QStringList { u"AŞI TAKİP KARTI"_s, u"DOZ 1"_s, u"DOZ 2"_s, u"DOZ 3"_s,
                                         u"RAPEL 1"_s, u"RAPEL 2"_s, u"Hepatit B"_s, u"01.02.2023"_s, u"d3"_s, u"r1"_s,
                                         u"r2"_s, u"Sayfa 1 / 1"_s }
                                  << QStringList { u"d4"_s, u"kart notu"_s };
    QTest::newRow("L5 catalogue") << QString() << u"JvNavPanelButton6"_s << u"asi_turleri"_s
                                  << QStringList { u"AŞI TÜRLERİ RAPORU"_s, u"SN"_s, u"AŞI ARALIĞI"_s, u"AŞI ADETİ"_s,
                                         u"Hepatit B"_s, u"365"_s, u"12. ay"_s, u"4"_s, u"Sayfa 1 / 1"_s }
                                  << QStringList { u"ÇOCUK NO"_s, u"Ali Can Yılmaz"_s };
}

void tst_TasilarF::printouts()
{
    QFETCH(QString, option);
    QFETCH(QString, button);
    QFETCH(QString, layout);
    QFETCH(QStringList, printed);
    QFETCH(QStringList, notPrinted);
    AppFixture app;
    seed(app);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, doz1, doz3, doz4, rapel1, rapel2, \"not\", asiturid) VALUES "
             u"('1', 'Hepatit B', '01.02.2023', 'd3', 'd4', 'r1', 'r2', 'kart notu', 2)"_s);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"DaBT"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"07072024"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo2"), u"henüz kaydedilmedi"_s);
    selectListRow(screen, 3);
    if (!option.isEmpty())
        click(screen, option.toLatin1().constData());
    if (button == u"JvNavPanelButton6"_s)
        click(screen, "yeniasiBut");
    else if (button == u"JvNavPanelButton12"_s)
        showTab(screen, 0);
    bool frozen = false;
    PreviewWatcher watcher([&] { frozen = screen->asiQuery->ControlsDisabled(); });
    click(screen, button.toLatin1().constData());
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.caption, u"Preview - "_s + previewTitle);
    QCOMPARE(watcher.report.layoutName(), layout);
    const QStringList texts = allTexts(watcher.report);
    for (const QString& t : std::as_const(printed))
        QVERIFY2(texts.contains(t), qPrintable(t + u" not in "_s + texts.join(u'|')));
    for (const QString& t : std::as_const(notPrinted))
        QVERIFY2(!texts.contains(t), qPrintable(t + u" in "_s + texts.join(u'|')));
    // The list is held still only while a printout of the option group is made.
    QCOMPARE(frozen, !option.isEmpty());
    QVERIFY(!screen->asiQuery->ControlsDisabled());
    // Printing stores nothing, and the entry is still being typed.
    QCOMPARE(app.count(u"asitakip"_s), 5);
    QCOMPARE(screen->receTable->State(), dsInsert);
}

void tst_TasilarF::oneVaccinePrintout()
{
    AppFixture app;
    seed(app);
    // A name that only begins like the chosen one is another vaccine.
    app.exec(u"INSERT INTO asitakip (hkodu, asiadi, tarih, aciklama) VALUES ('1', 'BCG 2', '2024-06-01 00:00:00.000', "
             u"'benzer ad')"_s);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"BCG"_s);
    click(screen, "RadioButton2");
    int shownWhilePrinting = -1;
    PreviewWatcher watcher([&] { shownWhilePrinting = screen->asiQuery->rowCount(); });
    QTest::keyClick(ctl<QListWidget>(screen, "DBLookupListBox2"), Qt::Key_F4);
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.report.layoutName(), u"asi_tek_tur"_s);
    QCOMPARE(shownWhilePrinting, 2);
    const QStringList texts = allTexts(watcher.report);
    QVERIFY2(texts.contains(u"BCG Aşı kodlu aşı'ya ait rapor."_s), qPrintable(texts.join(u'|')));
    for (const QString& t : { u"01.02.2023"_s, u"01.03.2024"_s, u"doğumda"_s, u"sol kol"_s, u"tekrar"_s })
        QVERIFY2(texts.contains(t), qPrintable(t));
    for (const QString& t : { u"01.05.2024"_s, u"ilk doz"_s, u"başka çocuk"_s, u"22.07.2022"_s, u"benzer ad"_s })
        QVERIFY2(!texts.contains(t), qPrintable(t));
    // Afterwards the list shows every record again.
    QVERIFY(!screen->asiQuery->Filtered());
    QCOMPARE(shownList(screen).size(), 5);
}

void tst_TasilarF::filterOffAfterFailedReport()
{
    AppFixture app;
    seed(app);
    QVERIFY(QFile::remove(app.path(u"layouts/asi_tek_tur.json"_s)));
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"KKK"_s);
    click(screen, "RadioButton2");
    PreviewWatcher watcher;
    app.messages().expectError();
    click(screen, "JvXPButton1");
    VERIFY_BOXES(app);
    QCOMPARE(watcher.shown, 0);
    QVERIFY(!screen->asiQuery->Filtered());
    QVERIFY(!screen->asiQuery->ControlsDisabled());
    QCOMPARE(shownList(screen).size(), 4);
}

void tst_TasilarF::emptyChildPrintouts_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QStringList>("headings");
    const QStringList list = { u"AŞI ADI"_s, u"TARİH"_s, u"AÇIKLAMA"_s, u"NOT"_s };
    QTest::newRow("L1") << u"RadioButton1"_s << list;
    QTest::newRow("L2") << u"RadioButton2"_s << QStringList { u"TARİH"_s, u"AÇIKLAMA"_s, u"NOT"_s };
    QTest::newRow("L6") << u"RadioButton5"_s << list;
}

void tst_TasilarF::emptyChildPrintouts()
{
    QFETCH(QString, option);
    QFETCH(QStringList, headings);
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"9"_s);
    showTab(screen, 1);
    click(screen, option.toLatin1().constData());
    PreviewWatcher watcher;
    click(screen, "JvXPButton1");
    VERIFY_BOXES(app);
    QCOMPARE(watcher.report.pageCount(), 1);
    const QStringList texts = watcher.report.texts(0);
    for (const QString& t : headings + QStringList { u"AŞI TAKİP KARTI"_s, u"Sayfa 1 / 1"_s, u"Deniz  Ak"_s })
        QVERIFY2(texts.contains(t), qPrintable(t + u" not in "_s + texts.join(u'|')));
    QCOMPARE(greyBoxes(watcher.report), 0);
}

void tst_TasilarF::rowShadingAndHeights()
{
    AppFixture app;
    seed(app);
    const QString longNote = u"birinci satır ikinci satır üçüncü satır dördüncü satır beşinci satır altıncı satır "
                             u"yedinci satır sekizinci satır dokuzuncu satır onuncu satır"_s;
    for (int i = 0; i < 3; ++i)
        app.exec(u"INSERT INTO asitakip (hkodu, asiadi, tarih, \"not\") VALUES ('1', 'Rota', ?, ?)"_s,
            { u"2024-0%1-01 00:00:00.000"_s.arg(i + 1), i == 2 ? longNote : QString() });
    TasilarF* screen = openFor(app, Opener::ChildRecord, u"1"_s);
    showTab(screen, 1);
    QList<double> noteHeights;
    for (const char* option : { "RadioButton1", "RadioButton5" }) {
        click(screen, option);
        PreviewWatcher watcher;
        click(screen, "JvXPButton1");
        VERIFY_BOXES(app);
        // Odd rows grey, even rows white: the fourth white, the fifth grey.
        QCOMPARE(rowShading(watcher.report, { u"BCG"_s, u"KKK"_s, u"Rota"_s }),
            (QList<bool> { true, false, true, false, true, false, true }));
        for (const PreparedReport::Item& item : watcher.report.page(0).items) {
            if (item.text == longNote)
                noteHeights.append(item.rect.height());
        }
    }
    QCOMPARE(noteHeights.size(), 2);
    // L1 grows with the note; L6 keeps its 22 units.
    QVERIFY2(noteHeights.at(0) > 40, qPrintable(QString::number(noteHeights.at(0))));
    QVERIFY2(noteHeights.at(1) <= 22, qPrintable(QString::number(noteHeights.at(1))));
}

void tst_TasilarF::pdfReadsBack()
{
    AppFixture app;
    seed(app);
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, doz1, asiturid) VALUES ('1', 'Hepatit B', '01.02.2023', 2)"_s);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"KKK"_s);
    typeInto(ctl<DBMemo>(screen, "DBMemo2"), u"yazılmamış not"_s);
    selectListRow(screen, 0);
    QTemporaryDir dir;
    const struct {
        const char* option;
        const char* button;
        const char* expected;
    } prints[] = {
        { "RadioButton1", "JvXPButton1", "AŞI TAKİP KARTI" },
        { "RadioButton2", "JvXPButton1", "KKK Aşı kodlu aşı'ya ait rapor." },
        { "RadioButton3", "JvXPButton1", "NOT : sol kol" },
        { "RadioButton4", "JvXPButton1", "NOT : yazılmamış not" },
        { "RadioButton5", "JvXPButton1", "01.05.2024" },
        { nullptr, "JvNavPanelButton12", "RAPEL 2" },
        { nullptr, "JvNavPanelButton6", "AŞI TÜRLERİ RAPORU" },
    };
    for (const auto& print : prints) {
        if (print.option)
            click(screen, print.option);
        if (QByteArray(print.button) == "JvNavPanelButton6")
            click(screen, "yeniasiBut");
        PreviewWatcher watcher;
        click(screen, print.button);
        VERIFY_BOXES(app);
        QCOMPARE(watcher.shown, 1);
        const QString pdf = dir.filePath(watcher.report.layoutName() + u".pdf"_s);
        QString error;
        QVERIFY2(watcher.report.writePdf(pdf, &error), qPrintable(error));
        QProcess text;
        text.start(u"pdftotext"_s, { u"-layout"_s, pdf, u"-"_s });
        QVERIFY(text.waitForFinished(20000));
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        for (const QString& t : { QString::fromUtf8(print.expected), u"Sayfa 1 / 1"_s, u"Öz Çocuk Polikliniği"_s })
            QVERIFY2(out.contains(t), qPrintable(watcher.report.layoutName() + u": "_s + t + u" not in\n"_s + out));
    }
}

void tst_TasilarF::screenshots()
{
    // The pictures go to the folder the test started in, not the program's temporary one.
    const QString folder = QDir::currentPath();
    AppFixture app;
    seed(app);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    click(screen, "JvXPButton4");
    screen->resize(1366, 740);
    QVERIFY(screen->grab().save(folder + u"/asilarF_kartli.png"_s));
    showTab(screen, 1);
    QVERIFY(screen->grab().save(folder + u"/asilarF_standart.png"_s));
    click(screen, "yeniasiBut");
    QVERIFY(ctl<QWidget>(screen, "asiturPanel")->isVisible());
    QVERIFY(screen->grab().save(folder + u"/asilarF_panel.png"_s));
    // The list keeps room for its rows with the panel shown.
    QVERIFY(ctl<DBGrid>(screen, "recetegrid")->height() >= 80);
}

void tst_TasilarF::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("effect");

    const struct {
        const char* button;
        Qt::Key key;
        int tab;
        const char* effect;
    } rows[] = {
        { "JvXPButton1", Qt::Key_F4, 1, "print list" },
        { "JvNavPanelButton3", Qt::Key_unknown, 1, "print list" },
        { "silBut", Qt::Key_F5, 1, "delete" },
        { "JvNavPanelButton2", Qt::Key_unknown, 1, "delete" },
        { "Button1", Qt::Key_F6, 1, "save" },
        { "baslaBut", Qt::Key_F7, 1, "new" },
        { "JvNavPanelButton10", Qt::Key_unknown, 1, "new" },
        { "vazBut", Qt::Key_F8, 1, "cancel" },
        { "yeniasiBut", Qt::Key_F9, 1, "panel" },
        { "JvXPButton5", Qt::Key_unknown, 0, "panel" },
        { "kapatBut", Qt::Key_F10, 1, "close" },
        { "degistir", Qt::Key_unknown, 1, "change" },
        { "JvNavPanelButton8", Qt::Key_unknown, 1, "refresh" },
        { "CheckBox2", Qt::Key_unknown, 1, "row height" },
        { "tfXPButton1", Qt::Key_unknown, 1, "help" },
        { "tfXPButton2", Qt::Key_unknown, 0, "help" },
        { "JvXPButton3", Qt::Key_unknown, 0, "add type" },
        { "JvXPButton4", Qt::Key_unknown, 0, "add all" },
        { "JvNavPanelButton11", Qt::Key_unknown, 0, "delete card row" },
        { "JvNavPanelButton12", Qt::Key_unknown, 0, "print card" },
        { "JvNavPanelButton1", Qt::Key_unknown, 2, "add catalogue row" },
        { "JvNavPanelButton7", Qt::Key_unknown, 2, "save catalogue row" },
        { "JvNavPanelButton4", Qt::Key_unknown, 2, "delete catalogue row" },
        { "JvNavPanelButton9", Qt::Key_unknown, 2, "refresh catalogue" },
        { "JvNavPanelButton6", Qt::Key_unknown, 2, "print catalogue" },
    };
    for (const auto& row : rows) {
        QTest::newRow(row.button) << QString::fromLatin1(row.button) << int(Qt::Key_unknown) << row.tab
                                  << QString::fromLatin1(row.effect);
        if (row.key != Qt::Key_unknown) {
            // Keys work on either tab.
            for (int tab : { 0, 1 })
                QTest::newRow(qPrintable(QKeySequence(row.key).toString() + u" on tab "_s + QString::number(tab)))
                    << QString() << int(row.key) << tab << QString::fromLatin1(row.effect);
        }
    }
}

void tst_TasilarF::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, tab);
    QFETCH(QString, effect);
    AppFixture app;
    seed(app);
    app.nameHelpTopics();
    app.exec(u"INSERT INTO asitakip2 (hkodu, asiadi, asiturid) VALUES ('1', 'BCG', 1)"_s);
    TasilarF* screen = openFor(app, Opener::VisitScreen, u"1"_s);
    showTab(screen, 1);
    chooseType(screen, "DBLookupListBox2", u"BCG"_s);
    typeInto(ctl<DBEdit>(screen, "DBEdit1"), u"03032024"_s);
    selectListRow(screen, 2); // KKK 2024-01-15
    DBGrid* catalogue = ctl<DBGrid>(screen, "JvDBGrid1");
    if (tab == 2) {
        click(screen, "yeniasiBut");
        catalogue->setCurrentIndex(catalogue->model()->index(3, 0));
    } else {
        showTab(screen, tab);
    }
    // Keys are pressed in the type list of the shown tab.
    QWidget* keyControl = ctl<QListWidget>(screen, tab == 0 ? "DBLookupListBox1" : "DBLookupListBox2");

    if (effect == u"save"_s || effect == u"save catalogue row"_s)
        app.messages().expectQuestion(saveQuestion, Messages::Answer::Yes);
    if (effect == u"delete"_s) {
        app.messages().expectQuestion(deleteQuestion(u"KKK"_s), Messages::Answer::Yes);
        app.messages().expectQuestion(stopDeleteQuestion, Messages::Answer::No);
        // Finding the record in the entry area leaves the vaccination being typed.
        app.messages().expectQuestion(saveQuestion, Messages::Answer::No);
    }
    if (effect == u"change"_s)
        app.messages().expectQuestion(saveQuestion, Messages::Answer::No);
    if (effect == u"delete card row"_s) {
        app.messages().expectQuestion(cardDeleteQuestion(u"BCG"_s), Messages::Answer::Yes);
        app.messages().expectQuestion(stopCardDeleteQuestion, Messages::Answer::No);
    }
    if (effect == u"delete catalogue row"_s) {
        app.messages().expectQuestion(typeDeleteQuestion(u"DaBT"_s), Messages::Answer::Yes);
        app.messages().expectQuestion(stopDeleteQuestion, Messages::Answer::No);
    }
    if (effect == u"add type"_s)
        app.messages().expectPlain(alreadyOnCard);
    if (effect == u"new"_s)
        app.messages().expectQuestion(saveQuestion, Messages::Answer::No);
    if (effect == u"refresh catalogue"_s)
        app.exec(u"INSERT INTO asitur (asiadi) VALUES ('Başka kopya')"_s);
    if (effect == u"refresh"_s)
        app.exec(u"INSERT INTO asitakip (hkodu, asiadi) VALUES ('1', 'Başka kopya')"_s);
    if (effect == u"save catalogue row"_s) {
        catalogue->setFocus();
        click(screen, "JvNavPanelButton1");
        screen->asiturTable->FieldByName(u"asiadi"_s)->setAsString(u"Rota"_s);
    }

    PreviewWatcher watcher;
    if (!button.isEmpty())
        click(screen, button.toLatin1().constData());
    else
        QTest::keyClick(keyControl, Qt::Key(key));
    VERIFY_BOXES(app);

    const QString shownHelp = app.shownHelpTopic();
    QCOMPARE(watcher.shown, effect.startsWith(u"print"_s) ? 1 : 0);
    if (effect.startsWith(u"print"_s)) {
        const QString layout = effect == u"print list"_s ? u"asi_liste"_s
            : effect == u"print card"_s                  ? u"asi_doz_karti"_s
                                                         : u"asi_turleri"_s;
        QCOMPARE(watcher.report.layoutName(), layout);
    }
    QCOMPARE(screen->isVisible(), effect != u"close"_s);
    QCOMPARE(ctl<QWidget>(screen, "asiturPanel")->isVisible(), effect == u"panel"_s || tab == 2);
    QCOMPARE(shownHelp, effect == u"help"_s ? u"yasikart"_s : QString());
    const int shots = app.count(u"asitakip"_s);
    if (effect == u"save"_s) {
        QCOMPARE(app.count(u"asitakip"_s, u"asiadi = 'BCG' AND tarih LIKE '2024-03-03%' AND hkodu = '1'"_s), 1);
        QCOMPARE(shownList(screen).size(), 5);
    } else if (effect == u"delete"_s) {
        QCOMPARE(shots, 4);
        QCOMPARE(app.count(u"asitakip"_s, u"tarih LIKE '2024-01-15%'"_s), 0);
    } else if (effect == u"refresh"_s) {
        QCOMPARE(shownList(screen).size(), 5);
    } else {
        QCOMPARE(shots, 5);
    }
    if (effect == u"new"_s) {
        QCOMPARE(screen->receTable->State(), dsInsert);
        QCOMPARE(ctl<DBEdit>(screen, "DBEdit1")->text(), QString());
    } else if (effect == u"cancel"_s || effect == u"close"_s) {
        QCOMPARE(screen->receTable->State(), dsBrowse);
    } else if (effect == u"change"_s) {
        QCOMPARE(screen->receTable->State(), dsEdit);
        QCOMPARE(screen->receTable->FieldByName(u"aciklama"_s)->AsString(), u"ilk doz"_s);
    } else if (effect == u"row height"_s) {
        QCOMPARE(ctl<DBGrid>(screen, "recetegrid")->verticalHeader()->defaultSectionSize(), 41);
    }
    const int cardRows = app.count(u"asitakip2"_s, u"hkodu = '1'"_s);
    QCOMPARE(cardRows, effect == u"add all"_s ? 4 : (effect == u"delete card row"_s ? 0 : 1));
    const int types = app.count(u"asitur"_s);
    if (effect == u"delete catalogue row"_s)
        QCOMPARE(types, 3);
    else if (effect == u"save catalogue row"_s)
        QCOMPARE(app.count(u"asitur"_s, u"asiadi = 'Rota'"_s), 1);
    else if (effect == u"add catalogue row"_s || effect == u"refresh catalogue"_s)
        QCOMPARE(catalogue->model()->rowCount(), 5);
    else
        QCOMPARE(types, 4);
    if (effect == u"add catalogue row"_s)
        QCOMPARE(screen->asiturTable->State(), dsInsert);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_TasilarF test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tasilarf.moc"
