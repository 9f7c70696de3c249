#include "AppFixture.h"
#include "DBGrid.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "Field.h"
#include "PediakayApplication.h"
#include "RegistrySearch.h"
#include "Screens.h"
#include "TReport.h"
#include "TReportPreview.h"
#include "TfrmMain.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"
#include "WorkbookReadBack.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

struct Child {
    QString code;
    QVariant adi;
    QVariant soyadi;
    QVariant adi2 = {};
    QVariant baba = {};
    QVariant anne = {};
};

void seed(AppFixture& app, const QList<Child>& children)
{
    for (const Child& c : children)
        app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, adi2, baba, anne) VALUES (?, ?, ?, ?, ?, ?)"_s,
            { c.code, c.adi, c.soyadi, c.adi2, c.baba, c.anne });
}

Tsicrapor* showList(AppFixture& app)
{
    Tsicrapor* list = app.screens().sicrapor;
    list->sicrapQuery->Open();
    list->show();
    return list;
}

QStringList shownCodes(const Tsicrapor* list)
{
    QStringList codes;
    const DataSet* q = list->sicrapQuery;
    const int col = q->FieldByName(u"hasta_kodu"_s)->index();
    for (int row = 0; row < q->rowCount(); ++row)
        codes.append(q->rawValueAt(row, col).toString());
    return codes;
}

QString currentCode(const DataSet* ds)
{
    return ds->FieldByName(u"hasta_kodu"_s)->AsString();
}

QLineEdit* searchBox(Tsicrapor* list)
{
    return list->findChild<QLineEdit*>(u"JvDotNetEdit3"_s);
}

const QVariant null = QVariant();

// The system's temporary folder is a new, empty one while it lives.
class TemporaryFolder final
{
public:
    TemporaryFolder()
        : m_previous(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir.path()));
    }
    ~TemporaryFolder()
    {
        qputenv("TMPDIR", m_previous);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    QString path() const
    {
        return m_dir.path();
    }
    QStringList files() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

private:
    QByteArray m_previous;
    QTemporaryDir m_dir;
};

// The columns of the exported sheet, A to AR.
const QStringList sheetHeadings = { u"hasta_kodu"_s, u"adi"_s, u"adi2"_s, u"soyadi"_s, u"resim"_s, u"cinsiyeti"_s,
    u"dogumtarihi"_s, u"tckimlik"_s, u"dogumkilo"_s, u"dogumboy"_s, u"dogumbas"_s, u"dogumsekli"_s, u"dogumhastahane"_s,
    u"kangrubu"_s, u"alerji"_s, u"anne"_s, u"annekizlik"_s, u"baba"_s, u"meslegi"_s, u"sosyalguvku"_s, u"sosyalguv"_s,
    u"evtel"_s, u"istel"_s, u"ceptel"_s, u"fax"_s, u"isyeri"_s, u"evadresi"_s, u"semt"_s, u"ilce"_s, u"il"_s,
    u"evpostakodu"_s, u"isadresi"_s, u"issemt"_s, u"isilce"_s, u"isil"_s, u"ispostakodu"_s, u"email"_s, u"web"_s,
    u"aciklama1"_s, u"aciklama2"_s, u"aciklama3"_s, u"doktoru"_s, u"soygecmis"_s, u"ozgecmis"_s };

void clickExcel(Tsicrapor* list)
{
    QTest::mouseClick(list->findChild<QPushButton*>(u"Excel"_s), Qt::LeftButton);
}

// Clicks the title of a grid column as the user does.
void clickTitle(Tsicrapor* list, int column)
{
    QHeaderView* header = list->findChild<DBGrid*>(u"bolumgrid"_s)->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

// Closes every preview window as soon as it is on screen.
class PreviewCloser final : public TReport::PreviewHandler
{
public:
    int shown = 0;
    QString caption;

    PreviewCloser()
    {
        TReport::setPreviewHandler(this);
    }
    ~PreviewCloser() override
    {
        TReport::setPreviewHandler(nullptr);
    }

    void previewShown(TReportPreview& preview) override
    {
        ++shown;
        caption = preview.windowTitle();
        preview.close();
    }
};

} // namespace

class tst_Tsicrapor final : public QObject
{
    Q_OBJECT

private slots:
    void filter_data();
    void filter();
    void filterLooksAtEveryName_data();
    void filterLooksAtEveryName();
    void newSearchWithNullFields();
    void sortDirections();
    void sortRefusesOtherNames();
    void sequentialSearch_data();
    void sequentialSearch();
    void filterKeepsSortedOrder_data();
    void filterKeepsSortedOrder();
    void sequentialSearchInSortedOrder_data();
    void sequentialSearchInSortedOrder();
    void chooseWholeCode();
    void childOfAnotherCopyIsChosen();
    void closeHandsBack();
    void enterInGrid();
    void printAndExport();
    void exportShowsTheList_data();
    void exportShowsTheList();
    void exportFailures_data();
    void exportFailures();
    void exportCutTextsCounted();
    void exportCancelled();
    void everyButtonAndKey_data();
    void everyButtonAndKey();
};

void tst_Tsicrapor::filter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("whole name, as stored or in capitals") << u"Ali"_s << QStringList { u"1"_s, u"2"_s, u"5"_s, u"6"_s };
    QTest::newRow("code is whole") << u"123"_s << QStringList { u"123"_s };
    QTest::newRow("nothing matches") << u"Zeki"_s << QStringList();
}

void tst_Tsicrapor::filter()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Ali"_s, u"Yılmaz"_s },
            { u"2"_s, u"ALİ"_s, u"Kaya"_s },
            { u"3"_s, u"Ali Can"_s, u"Demir"_s },
            { u"4"_s, u"ali"_s, u"Şahin"_s },
            { u"5"_s, u"Mehmet"_s, u"Öz"_s, null, u"Ali"_s },
            { u"6"_s, u"Ayşe"_s, u"Ali"_s },
            { u"123"_s, u"Can"_s, u"Er"_s },
            { u"1234"_s, u"Cem"_s, u"Er"_s },
        });
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(typed);
    QTest::mouseClick(list->findChild<QPushButton*>(u"araButton"_s), Qt::LeftButton);
    QCOMPARE(shownCodes(list), shown);
    QVERIFY(list->sicrapQuery->Filtered());

    // The sequential search switches the filter off again.
    list->JvXPButton2Click();
    QVERIFY(!list->sicrapQuery->Filtered());
    QCOMPARE(list->sicrapQuery->rowCount(), 8);
}

void tst_Tsicrapor::filterLooksAtEveryName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("first name") << u"Deniz"_s << QStringList { u"1"_s };
    QTest::newRow("second name") << u"Kerem"_s << QStringList { u"1"_s };
    QTest::newRow("second name stored in capitals") << u"Sinan"_s << QStringList { u"2"_s };
    QTest::newRow("surname") << u"Ak"_s << QStringList { u"1"_s };
    QTest::newRow("father's name") << u"Hasan"_s << QStringList { u"2"_s };
    QTest::newRow("mother's name") << u"Fatma"_s << QStringList { u"1"_s };
    QTest::newRow("mother's name stored in capitals") << u"nur"_s << QStringList { u"2"_s };
    QTest::newRow("part of a name") << u"Fat"_s << QStringList();
}

// "Ara" (F6) keeps the children whose code or any of the five names is the typed text.
void tst_Tsicrapor::filterLooksAtEveryName()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Deniz"_s, u"Ak"_s, u"Kerem"_s, u"Osman"_s, u"Fatma"_s },
            { u"2"_s, u"Ece"_s, u"Gül"_s, u"SİNAN"_s, u"Hasan"_s, u"NUR"_s },
            { u"3"_s, u"Can"_s, u"Er"_s },
        });
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(typed);
    QTest::keyClick(searchBox(list), Qt::Key_F6);
    QVERIFY(list->sicrapQuery->Filtered());
    QCOMPARE(shownCodes(list), shown);
    QVERIFY(app.messages().shown().isEmpty());
}

void tst_Tsicrapor::newSearchWithNullFields()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, null } });
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(u"Ali"_s);
    QTest::keyClick(searchBox(list), Qt::Key_F5);
    QVERIFY(searchBox(list)->text().isEmpty());
    QVERIFY(list->sicrapQuery->Filtered());
    QCOMPARE(shownCodes(list), QStringList());

    // A field holding an empty text equals the empty search text.
    app.exec(u"UPDATE hastasicil SET baba = '' WHERE hasta_kodu = '2'"_s);
    list->araButtonClick();
    QCOMPARE(shownCodes(list), QStringList { u"2"_s });
}

void tst_Tsicrapor::sortDirections()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Can"_s, u"Bal"_s }, { u"2"_s, u"Ali"_s, u"Cengiz"_s }, { u"3"_s, u"Bora"_s, u"Aksoy"_s } });
    Tsicrapor* list = showList(app);
    auto* grid = list->findChild<DBGrid*>(u"bolumgrid"_s);
    QVERIFY(grid);
    QHeaderView* header = grid->horizontalHeader();
    const auto click = [header](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    QCOMPARE(grid->model()->headerData(2, Qt::Horizontal).toString(), u"Soyadı"_s);
    QCOMPARE(grid->model()->columnCount(), 17);

    list->sicrapQuery->Last();
    click(2);
    QCOMPARE(list->sicrapQuery->SQL(), u"Select * from hastasicil order by soyadi ASC"_s);
    QCOMPARE(shownCodes(list), (QStringList { u"3"_s, u"1"_s, u"2"_s }));
    QCOMPARE(list->sicrapQuery->RecNo(), 1);
    click(1);
    QCOMPARE(list->sicrapQuery->SQL(), u"Select * from hastasicil order by adi DESC"_s);
    QCOMPARE(shownCodes(list), (QStringList { u"1"_s, u"3"_s, u"2"_s }));
    click(2);
    QCOMPARE(list->siraYonu, u"ASC"_s);

    // The order stays when the list is hidden; the child record screen puts the default back.
    list->kapatButClick();
    list->eskikod();
    QCOMPARE(list->sicrapQuery->SQL(), u"Select * from hastasicil Order By hid ASC"_s);
    QCOMPARE(list->siraYonu, u"ASC"_s);
}

void tst_Tsicrapor::sortRefusesOtherNames()
{
    for (const QString& name : { u"hid; DROP TABLE hastasicil"_s, u"resim"_s, u"SOYADI"_s, QString() })
        QVERIFY_THROWS_EXCEPTION(std::exception, RegistrySearch::sortStatement(name, u"ASC"_s));
    QVERIFY_THROWS_EXCEPTION(std::exception, RegistrySearch::sortStatement(u"adi"_s, u"ASC, hid"_s));
    QCOMPARE(RegistrySearch::nextDirection(QString()), u"ASC"_s);
    QCOMPARE(RegistrySearch::nextDirection(u"ASC"_s), u"DESC"_s);
    QCOMPARE(RegistrySearch::nextDirection(u"DESC"_s), u"ASC"_s);
}

void tst_Tsicrapor::sequentialSearch_data()
{
    QTest::addColumn<QString>("startCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("foundCode");
    QTest::newRow("next match after the current") << u"1"_s << u"ali"_s << u"3"_s;
    QTest::newRow("wraps from the last match") << u"5"_s << u"ali"_s << u"1"_s;
    QTest::newRow("first name and surname") << u"1"_s << u"ali yılmaz"_s << u"5"_s;
    QTest::newRow("surname and second name") << u"1"_s << u"YILMAZ MEHMET"_s << u"5"_s;
    QTest::newRow("second name alone") << u"1"_s << u"mehmet"_s << u"5"_s;
    QTest::newRow("second name in capitals, from after it") << u"6"_s << u"MEHMET"_s << u"5"_s;
    QTest::newRow("no match stays") << u"3"_s << u"zeki"_s << u"3"_s;
    QTest::newRow("only match is the current") << u"2"_s << u"ayşe"_s << u"2"_s;
    // Stepping past the end looks at the last record once more before going to the top.
    QTest::newRow("last record looked at twice") << u"6"_s << u"cem"_s << u"6"_s;
}

void tst_Tsicrapor::sequentialSearch()
{
    QFETCH(QString, startCode);
    QFETCH(QString, text);
    QFETCH(QString, foundCode);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Ali"_s, u"Kaya"_s },
            { u"2"_s, u"Ayşe"_s, u"Demir"_s },
            { u"3"_s, u"Ali"_s, u"Öz"_s },
            { u"4"_s, u"Can"_s, null },
            { u"5"_s, u"Ali"_s, u"Yılmaz"_s, u"Mehmet"_s },
            { u"6"_s, u"Cem"_s, u"Er"_s },
        });
    Tsicrapor* list = showList(app);
    QVERIFY(list->sicrapQuery->Locate(u"hasta_kodu"_s, startCode, {}));
    list->findChild<QLineEdit*>(u"JvDotNetEdit6"_s)->setText(text);
    QTest::mouseClick(list->findChild<QPushButton*>(u"JvXPButton2"_s), Qt::LeftButton);
    QCOMPARE(currentCode(list->sicrapQuery), foundCode);
    QCOMPARE(app.messages().shown().size(), 0);
}

void tst_Tsicrapor::filterKeepsSortedOrder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    // Surnames descending: Yılmaz, Kaya, Er (1234 before 123), Demir, Ak, "" and none last.
    QTest::newRow("as typed and in capitals") << u"Ali"_s << QStringList { u"1"_s, u"2"_s, u"4"_s };
    QTest::newRow("capitals of a small-letter text") << u"ali"_s << QStringList { u"2"_s };
    QTest::newRow("same surname keeps the order") << u"Er"_s << QStringList { u"1234"_s, u"123"_s };
    QTest::newRow("code that begins another") << u"123"_s << QStringList { u"123"_s };
    QTest::newRow("empty box: empty texts, not missing ones") << QString() << QStringList { u"5"_s };
    QTest::newRow("nothing") << u"Zeki"_s << QStringList();
}

// "Ara" on a list sorted by a column title shows the matches in that order.
void tst_Tsicrapor::filterKeepsSortedOrder()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Ali"_s, u"Yılmaz"_s },
            { u"2"_s, u"ALİ"_s, u"Kaya"_s },
            { u"3"_s, u"Ali Can"_s, u"Demir"_s },
            { u"4"_s, u"Veli"_s, u"Ak"_s, null, u"Ali"_s },
            { u"5"_s, u"Can"_s, u""_s },
            { u"6"_s, u"Cem"_s, null },
            { u"123"_s, u"Deniz"_s, u"Er"_s },
            { u"1234"_s, u"Ece"_s, u"Er"_s },
        });
    Tsicrapor* list = showList(app);
    clickTitle(list, 2);
    clickTitle(list, 2);
    QCOMPARE(list->sicrapQuery->SQL(), u"Select * from hastasicil order by soyadi DESC"_s);
    QCOMPARE(shownCodes(list), (QStringList { u"1"_s, u"2"_s, u"1234"_s, u"123"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s }));
    searchBox(list)->setText(typed);
    QTest::keyClick(searchBox(list), Qt::Key_F6);
    QVERIFY(list->sicrapQuery->Filtered());
    QCOMPARE(shownCodes(list), shown);
    QCOMPARE(list->sicrapQuery->RecordCount(), shown.size());
    QCOMPARE(list->sicrapQuery->RecNo(), shown.isEmpty() ? 0 : 1);

    // A picture of the searched, sorted list at the smallest screen a clinic uses.
    if (typed == u"Ali"_s) {
        list->setWindowState(Qt::WindowNoState);
        list->resize(1366, 740);
        QTRY_COMPARE(list->size(), QSize(1366, 740));
        QVERIFY(list->grab().save(QDir(qEnvironmentVariable("PEDIAKAY_BUILD_DIR", u"."_s))
                                      .filePath(u"tst_tsicrapor_filtered_sorted_1366.png"_s)));
    }

    // "Yeni Arama" empties the box and searches for that; the sequential search shows every
    // child again, still in the same order.
    QTest::keyClick(searchBox(list), Qt::Key_F5);
    QCOMPARE(shownCodes(list), QStringList { u"5"_s });
    QTest::mouseClick(list->findChild<QPushButton*>(u"JvXPButton2"_s), Qt::LeftButton);
    QVERIFY(!list->sicrapQuery->Filtered());
    QCOMPARE(shownCodes(list), (QStringList { u"1"_s, u"2"_s, u"1234"_s, u"123"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s }));
    QVERIFY(app.messages().shown().isEmpty());
}

void tst_Tsicrapor::sequentialSearchInSortedOrder_data()
{
    QTest::addColumn<QString>("startCode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("foundCode");
    QTest::addColumn<bool>("eof");
    // Surnames descending: 4 Yılmaz, 7 Şahin, 1 Kaya, 2 Işık, 3 Doğan, 5 Çelik, 6 Ağaoğlu.
    QTest::newRow("next in the shown order") << u"4"_s << u"ali"_s << u"1"_s << false;
    QTest::newRow("skips a name with the letters apart") << u"1"_s << u"ali"_s << u"6"_s << false;
    QTest::newRow("last record matching stays, past the end") << u"6"_s << u"ali"_s << u"6"_s << true;
    QTest::newRow("wraps from the last record") << u"6"_s << u"kaya"_s << u"1"_s << false;
    QTest::newRow("text over two words, wrapping") << u"1"_s << u"yılmaz mehmet"_s << u"4"_s << false;
    QTest::newRow("dotless i typed small") << u"4"_s << u"ışık"_s << u"2"_s << false;
    QTest::newRow("dotless i typed in capitals") << u"4"_s << u"IŞIK"_s << u"2"_s << false;
    QTest::newRow("dotted capital I") << u"4"_s << u"İSMAİL"_s << u"2"_s << false;
    QTest::newRow("Ş and Ğ") << u"1"_s << u"ŞULE DOĞ"_s << u"3"_s << false;
    QTest::newRow("ğ inside a word") << u"7"_s << u"ğaoğ"_s << u"6"_s << false;
    QTest::newRow("only the current matches") << u"5"_s << u"çelik"_s << u"5"_s << false;
    QTest::newRow("no match stays") << u"1"_s << u"zeki"_s << u"1"_s << false;
    QTest::newRow("short text, walked") << u"4"_s << u"ka"_s << u"1"_s << false;
    QTest::newRow("one letter, walked") << u"1"_s << u"ş"_s << u"2"_s << false;
}

// "Sırayla arama yap" on a list sorted by surname, descending: from the row after the current,
// in the shown order, wrapping once.
void tst_Tsicrapor::sequentialSearchInSortedOrder()
{
    QFETCH(QString, startCode);
    QFETCH(QString, text);
    QFETCH(QString, foundCode);
    QFETCH(bool, eof);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Ali"_s, u"Kaya"_s },
            { u"2"_s, u"İsmail"_s, u"Işık"_s },
            { u"3"_s, u"Şule"_s, u"Doğan"_s },
            { u"4"_s, u"Ali"_s, u"Yılmaz"_s, u"Mehmet"_s },
            { u"5"_s, u"Ayşe"_s, u"Çelik"_s },
            { u"6"_s, u"Ali"_s, u"Ağaoğlu"_s },
            { u"7"_s, u"Işıl"_s, u"Şahin"_s },
        });
    Tsicrapor* list = showList(app);
    clickTitle(list, 2);
    clickTitle(list, 2);
    QCOMPARE(shownCodes(list), (QStringList { u"4"_s, u"7"_s, u"1"_s, u"2"_s, u"3"_s, u"5"_s, u"6"_s }));
    QVERIFY(list->sicrapQuery->Locate(u"hasta_kodu"_s, startCode, {}));
    list->findChild<QLineEdit*>(u"JvDotNetEdit6"_s)->setText(text);
    QTest::mouseClick(list->findChild<QPushButton*>(u"JvXPButton2"_s), Qt::LeftButton);
    QCOMPARE(currentCode(list->sicrapQuery), foundCode);
    QCOMPARE(list->sicrapQuery->Eof(), eof);
    QCOMPARE(shownCodes(list).indexOf(foundCode), list->sicrapQuery->RecNo() - 1);
    QCOMPARE(app.messages().shown().size(), 0);
}

void tst_Tsicrapor::chooseWholeCode()
{
    AppFixture app;
    seed(app, { { u"10"_s, u"On"_s, u"Kaya"_s }, { u"1"_s, u"Bir"_s, u"Kaya"_s }, { u"2"_s, u"İki"_s, u"Kaya"_s } });
    Tozluk* ozluk = app.screens().ozluk;
    ozluk->sicilTable->Open();
    ozluk->sicilTable->Last();
    Tsicrapor* list = showList(app);
    QVERIFY(list->sicrapQuery->Locate(u"hasta_kodu"_s, u"1"_s, {}));
    QTest::keyClick(list->findChild<DBGrid*>(u"bolumgrid"_s), Qt::Key_F8);
    QCOMPARE(currentCode(ozluk->sicilTable), u"1"_s);
    QCOMPARE(ozluk->sicilTable->FieldByName(u"adi"_s)->AsString(), u"Bir"_s);
    QVERIFY(list->isHidden());
    QVERIFY(!list->sicrapQuery->Active());
    QVERIFY(app.screens().hazirlaF->isHidden());
    QVERIFY(app.screens().frmMain->isHidden());
}

// A child registered at another workstation after this copy read its registry is chosen from the
// reopened list, and reached by the child record screen's "Son Kayıt".
void tst_Tsicrapor::childOfAnotherCopyIsChosen()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Bir"_s, u"Kaya"_s }, { u"2"_s, u"İki"_s, u"Kaya"_s } });
    Tozluk* ozluk = app.screens().ozluk;
    ozluk->sicilTable->Open();
    ozluk->sicilTable->First();

    // The fixture's own connection stands for the other workstation.
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('3', 'Üç', 'Başka')"_s);
    Tsicrapor* list = showList(app);
    QVERIFY(list->sicrapQuery->Locate(u"hasta_kodu"_s, u"3"_s, {}));
    QTest::keyClick(list->findChild<DBGrid*>(u"bolumgrid"_s), Qt::Key_F8);
    QCOMPARE(currentCode(ozluk->sicilTable), u"3"_s);
    QCOMPARE(ozluk->sicilTable->FieldByName(u"adi"_s)->AsString(), u"Üç"_s);

    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi) VALUES ('4', 'Dört', 'Başka')"_s);
    ozluk->sicilTable->First();
    ozluk->show();
    QTest::mouseClick(ozluk->findChild<QPushButton*>(u"JvXPButton8"_s), Qt::LeftButton);
    QCOMPARE(currentCode(ozluk->sicilTable), u"4"_s);
    QCOMPARE(ozluk->sicilTable->RecordCount(), 4);
}

void tst_Tsicrapor::closeHandsBack()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s } });
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(u"Ali"_s);
    list->araButtonClick();
    app.screens().frmMain->setEnabled(false);
    app.screens().listeAcan = u"muayene"_s;
    QTest::keyClick(searchBox(list), Qt::Key_F10);
    QVERIFY(list->isHidden());
    QVERIFY(searchBox(list)->text().isEmpty());
    QVERIFY(!list->sicrapQuery->Active());
    QVERIFY(!list->sicrapQuery->Filtered());
    QVERIFY(app.screens().frmMain->isEnabled());
    QVERIFY(app.screens().listeAcan.isEmpty());

    // Hiding by any other way closes it the same.
    list->sicrapQuery->Open();
    list->show();
    list->hide();
    QVERIFY(!list->sicrapQuery->Active());
}

void tst_Tsicrapor::enterInGrid()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, u"Er"_s } });
    Tsicrapor* list = showList(app);
    auto* grid = list->findChild<DBGrid*>(u"bolumgrid"_s);
    grid->setFocus();
    const QModelIndex last = grid->model()->index(1, grid->model()->columnCount() - 1);
    grid->setCurrentIndex(last);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(grid->currentIndex().column(), 0);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(grid->currentIndex().column(), 1);

    // The search box capitalises words; Enter there moves on without filtering.
    QLineEdit* box = searchBox(list);
    box->setFocus();
    QTest::keyClicks(box, u"ali can"_s);
    QCOMPARE(box->text(), u"Ali Can"_s);
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(!list->sicrapQuery->Filtered());
}

void tst_Tsicrapor::printAndExport()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, u"Er"_s }, { u"3"_s, u"Ali"_s, u"Kaya"_s } });
    // The letterhead comes from the signed-in user's account.
    app.exec(
        u"INSERT INTO sifre (kullanici, sifre, adi, soyadi, firmaadi) VALUES ('d', '1', 'Zeynep', 'Kaya', 'Klinik')"_s);
    app.screens().sifrelerF->sifreTable->Open();
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(u"Ali"_s);
    list->araButtonClick();
    PreviewCloser closer;
    QTest::keyClick(searchBox(list), Qt::Key_F4);
    QCOMPARE(closer.shown, 1);
    QVERIFY(closer.caption.endsWith(u"Çocuk Sicil Kartları"_s));
    // Printing reads the rows in place: the filter and the current row stay.
    QVERIFY(list->sicrapQuery->Filtered());
    QCOMPARE(list->sicrapQuery->rowCount(), 2);

    // The export walks the filtered rows to the last one and opens the workbook.
    TemporaryFolder temp;
    clickExcel(list);
    QCOMPARE(app.opens().asked().size(), 1);
    QCOMPARE(WorkbookReadBack(app.opens().asked().constFirst()).rowCount(), 3);
    QVERIFY(list->sicrapQuery->Filtered());
    QCOMPARE(list->sicrapQuery->RecNo(), 2);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
}

void tst_Tsicrapor::exportShowsTheList_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("surnameClicks");
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("whole list") << QString() << 0 << QStringList { u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s };
    QTest::newRow("filter showing three children") << u"Ali"_s << 0 << QStringList { u"1"_s, u"3"_s, u"4"_s };
    QTest::newRow("surname descending") << QString() << 2 << QStringList { u"1"_s, u"4"_s, u"3"_s, u"5"_s, u"2"_s };
    QTest::newRow("filter, surname descending") << u"Ali"_s << 2 << QStringList { u"1"_s, u"4"_s, u"3"_s };
    QTest::newRow("surname ascending") << QString() << 1 << QStringList { u"2"_s, u"5"_s, u"3"_s, u"4"_s, u"1"_s };
    QTest::newRow("empty list: headings only") << u"Zeki"_s << 0 << QStringList();
}

// "Excel" writes the rows the list shows, in its order, into a new workbook in the temporary
// folder and opens it; the list then stands on its last row with the grid following it.
void tst_Tsicrapor::exportShowsTheList()
{
    QFETCH(QString, search);
    QFETCH(int, surnameClicks);
    QFETCH(QStringList, codes);
    AppFixture app;
    seed(app,
        {
            { u"1"_s, u"Ali"_s, u"Yılmaz"_s },
            { u"2"_s, u"Ayşe"_s, u"Çelik"_s },
            { u"3"_s, u"Ali"_s, u"Öztürk"_s },
            { u"4"_s, u"Ali"_s, u"Şahin"_s, u"İsmail"_s },
            { u"5"_s, u"Can"_s, u"Kaya"_s },
        });
    app.exec(u"UPDATE hastasicil SET dogumtarihi = '2012-03-20 00:00:00.000', dogumkilo = 3.25, resim = ?, "
             u"evpostakodu = 34710 WHERE hasta_kodu = '1'"_s,
        { QByteArray(20000, 'p') });
    TemporaryFolder temp;
    Tsicrapor* list = showList(app);
    searchBox(list)->setText(search);
    if (!search.isEmpty())
        QTest::mouseClick(list->findChild<QPushButton*>(u"araButton"_s), Qt::LeftButton);
    for (int i = 0; i < surnameClicks; ++i)
        clickTitle(list, 2);

    clickExcel(list);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QCOMPARE(app.opens().asked().size(), 1);
    const QString path = app.opens().asked().constFirst();
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(temp.path()).absoluteFilePath());
    QVERIFY2(QRegularExpression(u"^Cocuk_Sicil_\\d{4}-\\d{2}-\\d{2}_\\d{4}\\.xlsx$"_s)
                 .match(QFileInfo(path).fileName())
                 .hasMatch(),
        qPrintable(path));

    const WorkbookReadBack book(path);
    QVERIFY2(book.ok(), qPrintable(book.error()));
    QCOMPARE(book.sheetNames().size(), 1);
    QCOMPARE(book.rowTexts(1), sheetHeadings);
    QCOMPARE(book.rowCount(), 1 + codes.size());
    QCOMPARE(book.columnTexts(1), codes);
    const int first = int(codes.indexOf(u"1"_s)) + 2;
    const int other = int(codes.indexOf(u"2"_s)) + 2;
    if (first >= 2) {
        QCOMPARE(book.kind(first, 7), u"date"_s);
        QCOMPARE(book.value(first, 7).toString(), u"2012-03-20T00:00:00"_s);
        QCOMPARE(book.value(first, 5).toString(), u"(resim)"_s);
        QCOMPARE(book.kind(first, 9), u"number"_s);
        QCOMPARE(book.value(first, 9).toDouble(), 3.25);
        QCOMPARE(book.value(first, 31).toDouble(), 34710.0);
        QCOMPARE(book.value(first, 4).toString(), u"Yılmaz"_s);
    }
    if (other >= 2) {
        QCOMPARE(book.kind(other, 7), u"empty"_s);
        QCOMPARE(book.kind(other, 5), u"empty"_s);
        QCOMPARE(book.value(other, 4).toString(), u"Çelik"_s);
    }
    const int four = int(codes.indexOf(u"4"_s)) + 2;
    if (four >= 2)
        QCOMPARE(book.value(four, 3).toString(), u"İsmail"_s);

    DataSet* q = list->sicrapQuery;
    QCOMPARE(q->RecNo(), codes.size());
    QVERIFY(!q->ControlsDisabled());
    if (!codes.isEmpty()) {
        QCOMPARE(currentCode(q), codes.last());
        QCOMPARE(list->findChild<DBGrid*>(u"bolumgrid"_s)->currentIndex().row(), codes.size() - 1);
    }
    QCOMPARE(q->Filtered(), !search.isEmpty());
}

void tst_Tsicrapor::exportFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("systemText"); // after "Sistem Mesajı: "; %1 is the workbook's path
    QTest::addColumn<bool>("fileKept");
    QTest::newRow("no spreadsheet program") << u"open"_s << u"Uygulama bulunamadı. Dosya burada: %1"_s << true;
    QTest::newRow("temporary folder missing") << u"missing"_s << u"geçici dosya klasörü bulunamadı"_s << false;
    QTest::newRow("temporary folder is a file") << u"file"_s << u"Not a directory"_s << false;
    QTest::newRow("workbook cannot be written") << u"write"_s << u"Is a directory"_s << false;
}

// A failure shows "Excel açılamadı" with the system's own text; an unwritten workbook leaves no
// file behind, and a written one that cannot be opened is named so the user can open it.
void tst_Tsicrapor::exportFailures()
{
    QFETCH(QString, failure);
    QFETCH(QString, systemText);
    QFETCH(bool, fileKept);
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, u"Er"_s } });
    TemporaryFolder temp;
    Tsicrapor* list = showList(app);
    if (failure == u"open"_s)
        app.opens().failNext(u"Uygulama bulunamadı."_s);
    if (failure == u"missing"_s)
        qputenv("TMPDIR", QFile::encodeName(temp.path() + u"/yok"_s));
    if (failure == u"file"_s) {
        QFile file(temp.path() + u"/dosya"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        qputenv("TMPDIR", QFile::encodeName(file.fileName()));
    }
    // A folder takes the workbook's place once the export has begun.
    if (failure == u"write"_s) {
        QTimer::singleShot(0, list, [&temp] {
            const QStringList reserved = temp.files();
            if (reserved.size() != 1)
                return;
            QFile::remove(temp.path() + u'/' + reserved.constFirst());
            QDir(temp.path()).mkdir(reserved.constFirst());
        });
    }
    app.messages().expectError();
    clickExcel(list);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    const QString shown = app.messages().shown().constLast().text;
    const QString prefix = u"Excel açılamadı. Sistem Mesajı: "_s;
    QVERIFY2(shown.startsWith(prefix), qPrintable(shown));

    const QStringList left = temp.files();
    if (fileKept) {
        QCOMPARE(left.size(), 1);
        const QString path = QDir::toNativeSeparators(temp.path() + u'/' + left.constFirst());
        QCOMPARE(shown, prefix + systemText.arg(path));
        QVERIFY(WorkbookReadBack(path).ok());
    } else {
        QVERIFY2(shown.contains(systemText), qPrintable(shown));
        for (const QString& name : left)
            QVERIFY2(!name.endsWith(u".xlsx"_s) || QFileInfo(temp.path() + u'/' + name).isDir(), qPrintable(name));
    }
    QCOMPARE(app.opens().asked().size(), failure == u"open"_s ? 1 : 0);
    QVERIFY(!list->sicrapQuery->ControlsDisabled());
}

void tst_Tsicrapor::exportCutTextsCounted()
{
    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, u"Er"_s }, { u"3"_s, u"Cem"_s, u"Ak"_s } });
    app.exec(u"UPDATE hastasicil SET ozgecmis = ?, soygecmis = ? WHERE hasta_kodu <> '2'"_s,
        { u"ö"_s.repeated(40000), u"ç"_s.repeated(32767) });
    TemporaryFolder temp;
    Tsicrapor* list = showList(app);
    app.messages().expectInformation(
        u"2 metin bir hücrenin alabileceği 32.767 karakterden uzun olduğu için kısaltıldı; sonlarında "
        u"\"…(kısaltıldı)\" yazar."_s);
    clickExcel(list);
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QCOMPARE(app.opens().asked().size(), 1);
    const WorkbookReadBack book(app.opens().asked().constFirst());
    QCOMPARE(book.value(2, 44).toString().size(), 32767);
    QCOMPARE(book.value(2, 43).toString(), u"ç"_s.repeated(32767));
}

// A long export shows its progress after half a second; "Vazgeç" stops it, removes the file
// and opens nothing.
void tst_Tsicrapor::exportCancelled()
{
    AppFixture app;
    app.exec(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150000) "
             u"INSERT INTO hastasicil (hasta_kodu, adi, soyadi, dogumtarihi, dogumkilo, ozgecmis) "
             u"SELECT i, 'Ad' || i, 'Soyad' || i, '2015-01-02 00:00:00.000', 3.5, 'Özgeçmiş ' || i FROM n"_s);
    TemporaryFolder temp;
    Tsicrapor* list = showList(app);

    QElapsedTimer clock;
    qint64 shownAfter = -1;
    QString label;
    QString button;
    QStringList filesMeanwhile;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, list, [&] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || shownAfter >= 0)
            return;
        shownAfter = clock.elapsed();
        label = dialog->findChild<QLabel*>()->text();
        filesMeanwhile = temp.files();
        auto* cancel = dialog->findChild<QPushButton*>();
        button = cancel->text();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    watch.start();
    clock.start();
    clickExcel(list);
    watch.stop();

    QVERIFY2(shownAfter >= 400, qPrintable(QString::number(shownAfter)));
    QCOMPARE(button, u"Vazgeç"_s);
    QVERIFY2(label.contains(u" / 150.000 çocuk"_s), qPrintable(label));
    QCOMPARE(filesMeanwhile.size(), 1);
    QCOMPARE(temp.files(), QStringList());
    QCOMPARE(app.opens().asked(), QStringList());
    QCOMPARE(app.messages().shown().size(), 0);
    QVERIFY(!list->sicrapQuery->ControlsDisabled());
    QVERIFY(list->sicrapQuery->RecNo() < 150000);
    QVERIFY(!QApplication::activeModalWidget());
}

void tst_Tsicrapor::everyButtonAndKey_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("effect");

    QTest::newRow("Ara") << u"araButton"_s << 0 << u"filtered"_s;
    QTest::newRow("F6") << QString() << int(Qt::Key_F6) << u"filtered"_s;
    QTest::newRow("Yeni Arama") << u"yeniBut"_s << 0 << u"new search"_s;
    QTest::newRow("F5") << QString() << int(Qt::Key_F5) << u"new search"_s;
    QTest::newRow("Sıralı Ara") << u"JvXPButton2"_s << 0 << u"next match"_s;
    QTest::newRow("Seç") << u"secBut"_s << 0 << u"chosen"_s;
    QTest::newRow("F8") << QString() << int(Qt::Key_F8) << u"chosen"_s;
    QTest::newRow("Yazdır") << u"yazBut"_s << 0 << u"printed"_s;
    QTest::newRow("F4") << QString() << int(Qt::Key_F4) << u"printed"_s;
    QTest::newRow("Kapat") << u"kapatBut"_s << 0 << u"closed"_s;
    QTest::newRow("F10") << QString() << int(Qt::Key_F10) << u"closed"_s;
    QTest::newRow("Excel") << u"Excel"_s << 0 << u"excel"_s;
    QTest::newRow("Yardım") << u"tfXPButton1"_s << 0 << u"help yprotliste"_s;
}

// Each button and function key of the registry list does its own command: "Ali" typed into the
// filter box, "can" into the sequential search, the third child current in the list and the
// first in the child record screen.
void tst_Tsicrapor::everyButtonAndKey()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, effect);

    AppFixture app;
    seed(app, { { u"1"_s, u"Ali"_s, u"Veli"_s }, { u"2"_s, u"Can"_s, u"Er"_s }, { u"3"_s, u"Ali"_s, u"Kaya"_s } });
    app.nameHelpTopics();
    // Signed in, the accounts are open: the printed list's letterhead comes from there.
    app.screens().sifrelerF->sifreTable->Open();
    DataSet* registry = app.screens().ozluk->sicilTable;
    registry->Open();
    Tsicrapor* list = showList(app);
    QVERIFY(list->sicrapQuery->Locate(u"hasta_kodu"_s, u"3"_s, {}));
    searchBox(list)->setText(u"Ali"_s);
    list->findChild<QLineEdit*>(u"JvDotNetEdit6"_s)->setText(u"can"_s);
    PreviewCloser previews;

    TemporaryFolder temp;
    if (key != 0) {
        QTest::keyClick(searchBox(list), Qt::Key(key));
    } else {
        auto* pressed = list->findChild<QAbstractButton*>(button);
        QVERIFY2(pressed, qPrintable(button));
        QTest::mouseClick(pressed, Qt::LeftButton);
    }
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));

    const bool hides = effect == u"chosen"_s || effect == u"closed"_s;
    QCOMPARE(list->isHidden(), hides);
    if (effect == u"filtered"_s) {
        QCOMPARE(shownCodes(list), (QStringList { u"1"_s, u"3"_s }));
    } else if (effect == u"new search"_s) {
        QVERIFY(searchBox(list)->text().isEmpty());
        QVERIFY(list->sicrapQuery->Filtered());
        QCOMPARE(shownCodes(list), QStringList());
    } else if (effect == u"next match"_s) {
        QCOMPARE(currentCode(list->sicrapQuery), u"2"_s);
        QCOMPARE(list->sicrapQuery->rowCount(), 3);
    } else if (effect == u"chosen"_s) {
        QCOMPARE(currentCode(registry), u"3"_s);
        QVERIFY(!list->sicrapQuery->Active());
    } else if (effect == u"closed"_s) {
        QCOMPARE(currentCode(registry), u"1"_s);
        QVERIFY(searchBox(list)->text().isEmpty());
        QVERIFY(!list->sicrapQuery->Active());
    } else if (effect == u"printed"_s) {
        QVERIFY(previews.caption.endsWith(u"Çocuk Sicil Kartları"_s));
    } else if (effect == u"excel"_s) {
        QCOMPARE(app.opens().asked().size(), 1);
        QCOMPARE(WorkbookReadBack(app.opens().asked().constFirst()).columnTexts(1),
            (QStringList { u"1"_s, u"2"_s, u"3"_s }));
        QCOMPARE(currentCode(list->sicrapQuery), u"3"_s);
    } else if (effect.startsWith(u"help "_s)) {
        QCOMPARE(app.shownHelpTopic(), effect.mid(5));
    } else {
        QFAIL(qPrintable(u"unknown effect "_s + effect));
    }
    QCOMPARE(previews.shown, effect == u"printed"_s ? 1 : 0);
    QCOMPARE(app.opens().asked().isEmpty(), effect != u"excel"_s);
    if (!effect.startsWith(u"help "_s))
        QVERIFY(app.shownHelpTopic().isEmpty());
    // Only the filtering rows filter.
    if (list->sicrapQuery->Active() && effect != u"filtered"_s && effect != u"new search"_s)
        QVERIFY(!list->sicrapQuery->Filtered());
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_Tsicrapor test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tsicrapor.moc"
