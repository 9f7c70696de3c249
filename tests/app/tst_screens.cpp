#include "AppFixture.h"
#include "AutoBackup.h"
#include "BackupRestore.h"
#include "Connection.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "PediakayApplication.h"
#include "ProgramSettings.h"
#include "Schema.h"
#include "Screens.h"
#include "TChartF.h"
#include "TPasswordDlg.h"
#include "TTetkikF.h"
#include "TasilarF.h"
#include "TfrmMain.h"
#include "TgecmisF.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TreceteF.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"
#include "TtetkikgirisF.h"
#include "TyardimF.h"

#include <QDate>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

struct ScreenRow {
    const char* className;
    const char* instance;
    QString caption;
};

const QList<ScreenRow>& screenTable()
{
    static const QList<ScreenRow> rows = {
        { "TPasswordDlg", "PasswordDlg", u"Lumeko Şifre Girişi"_s },
        { "TfrmMain", "frmMain", u"Lumeko Fidanizi Programı - Giriş İşlemleri"_s },
        { "Tsicrapor", "sicrapor", u"Lumeko Fidanizi Programı - Protokol Kayıtları"_s },
        { "Tozluk", "ozluk", u"Lumeko Fidanizi Programı - Sicil İşlemleri"_s },
        { "TasilarF", "asilarF", u"Lumeko Fidanizi Programı  - Aşı Takip Kartları"_s },
        { "TChartF", "ChartF", u"Lumeko Fidanizi Programı - Grafikler"_s },
        { "TsifrelerF", "sifrelerF", u"Lumeko Şifreler"_s },
        { "TTetkikF", "TetkikF", u"Lumeko Fidanizi Programı - Tetkik Türü Kartları"_s },
        { "ThazirlaF", "hazirlaF", u"BEKLEYİN DOSYALAR HAZIRLANIYOR..."_s },
        { "TtetkikgirisF", "tetkikgirisF", u"Lumeko Fidanizi Programı - Tetkik Girişi"_s },
        { "TreceteF", "receteF", u"Lumeko Fidanizi Programı - Reçete Girişi"_s },
        { "TyardimF", "yardimF", u"Lumeko Fidanizi Programı - Yardım"_s },
        { "TgecmisF", "gecmisF", u"Lumeko Fidanizi Programı - Değişiklik Geçmişi"_s },
    };
    return rows;
}

bool hasTitleBarButtons(const QWidget* window)
{
    const Qt::WindowFlags flags = window->windowFlags();
    if (!(flags & Qt::CustomizeWindowHint))
        return true;
    return flags
        & (Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint
            | Qt::WindowSystemMenuHint);
}

// Records the captions of wait windows shown, whichever instance shows them.
struct WaitWatcher final : QObject {
    QStringList shown;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->objectName() == u"hazirlaF"_s)
            shown << static_cast<QWidget*>(watched)->windowTitle();
        return false;
    }
};

QList<DataSet*> allDataSets(const Screens& all)
{
    QList<DataSet*> sets;
    for (TScreen* screen : all.all())
        sets += screen->findChildren<DataSet*>();
    return sets;
}

} // namespace

class tst_Screens final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void buildsTwelveScreensInOrder();
    void startState();
    void windowTraits();
    void placementWhenShown();
    void dataSetsOfEveryScreen_data();
    void dataSetsOfEveryScreen();
    void linksAcrossScreens();
    void linksFollowTheCurrentRecords();
    void closingSignInDialogEndsProgram();
    void closingOtherScreensKeepsRunning();
    void programEndDiscardsPendingEdits();
    void unopenableDatabaseIsReportedAtStart();
    void olderFileIsUpdatedUnderWaitWindow();
    void programFolderIsWorkingDirectory();
    void failedBackupToldOnceAndWorkGoesOn();
    void backupAtProgramEnd();
    void programRestoresFromCommandLine();
};

void tst_Screens::buildsTwelveScreensInOrder()
{
    AppFixture app;
    const QList<TScreen*> built = app.screens().all();
    QCOMPARE(built.size(), screenTable().size());
    for (int i = 0; i < built.size(); ++i) {
        const ScreenRow& row = screenTable().at(i);
        const QString instance = QString::fromLatin1(row.instance);
        QCOMPARE(built.at(i)->metaObject()->className(), row.className);
        QCOMPARE(built.at(i)->objectName(), instance);
        QCOMPARE(built.at(i)->windowTitle(), row.caption);
        QVERIFY(built.at(i)->isWindow());
        QCOMPARE(app.screens().byName(instance), built.at(i));
    }
    QCOMPARE(app.screens().byName(u"TfrmMain"_s), nullptr);

    // Every screen reaches the others through the one registry.
    const Screens& s = app.screens();
    const QList<TScreen*> byMember = { s.PasswordDlg, s.frmMain, s.sicrapor, s.ozluk, s.asilarF, s.ChartF, s.sifrelerF,
        s.TetkikF, s.hazirlaF, s.tetkikgirisF, s.receteF, s.yardimF, s.gecmisF };
    QCOMPARE(byMember, built);
}

void tst_Screens::startState()
{
    AppFixture app;
    const Screens& s = app.screens();

    // Only the main window is up; everything else waits hidden.
    QVERIFY(s.PasswordDlg->isVisible());
    for (TScreen* screen : s.all().mid(1))
        QVERIFY2(screen->isHidden(), qPrintable(screen->objectName()));

    QVERIFY(s.PasswordDlg->anaConnection->isOpen());
    QCOMPARE(Connection::defaultConnection(), s.PasswordDlg->anaConnection);
    QVERIFY(QFileInfo::exists(app.databasePath()));

    const QList<DataSet*> sets = allDataSets(s);
    QCOMPARE(sets.size(), 17);
    for (DataSet* dataSet : sets)
        QVERIFY2(!dataSet->Active(), qPrintable(dataSet->name()));

    QVERIFY(s.ozlukAcan.isEmpty());
    QVERIFY(s.listeAcan.isEmpty());
    QVERIFY(!app.programEnded());

    auto* visitDate = s.frmMain->findChild<QDateTimeEdit*>(u"JvDateTimePicker1"_s);
    QVERIFY(visitDate);
    QVERIFY(qAbs(visitDate->dateTime().secsTo(QDateTime::currentDateTime())) < 120);
    auto* vaccineDate = s.asilarF->findChild<QDateEdit*>(u"JvDateTimePicker1"_s);
    QVERIFY(vaccineDate);
    QCOMPARE(vaccineDate->date(), QDate::currentDate());
    QVERIFY(app.messages().verifyDone());
}

void tst_Screens::windowTraits()
{
    AppFixture app;
    const Screens& s = app.screens();

    const QList<TScreen*> buttonless = { s.ozluk, s.sifrelerF, s.hazirlaF };
    for (TScreen* screen : s.all())
        QCOMPARE(hasTitleBarButtons(screen), !buttonless.contains(screen));

    for (TScreen* screen : s.all())
        QCOMPARE(bool(screen->windowFlags() & Qt::WindowStaysOnTopHint), screen == s.sifrelerF);

    const QList<TScreen*> keysFirst = { s.frmMain, s.sicrapor, s.ozluk, s.asilarF, s.gecmisF };
    for (TScreen* screen : s.all())
        QCOMPARE(screen->seesKeysFirst(), keysFirst.contains(screen));

    QCOMPARE(s.hazirlaF->minimumSize(), s.hazirlaF->maximumSize());
    QVERIFY(s.yardimF->minimumSize() != s.yardimF->maximumSize());
    QVERIFY(s.frmMain->findChild<QMenuBar*>(u"MainMenu1"_s));
}

void tst_Screens::placementWhenShown()
{
    AppFixture app;
    const Screens& s = app.screens();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect desktop = QGuiApplication::primaryScreen()->availableVirtualGeometry();

    auto isCentredOn = [](const QWidget* window, const QRect& area) {
        const QPoint offset = window->frameGeometry().center() - area.center();
        return offset.manhattanLength() <= 2;
    };

    QVERIFY(isCentredOn(s.PasswordDlg, screen));
    for (TScreen* window : { static_cast<TScreen*>(s.ozluk), static_cast<TScreen*>(s.asilarF),
             static_cast<TScreen*>(s.ChartF), static_cast<TScreen*>(s.sifrelerF), static_cast<TScreen*>(s.TetkikF),
             static_cast<TScreen*>(s.hazirlaF), static_cast<TScreen*>(s.yardimF) }) {
        window->move(3, 3); // a previous showing that was moved away
        window->show();
        QVERIFY2(isCentredOn(window, desktop), qPrintable(window->objectName()));
        QVERIFY(!window->isMaximized());
        window->hide();
    }

    for (TScreen* window : { static_cast<TScreen*>(s.frmMain), static_cast<TScreen*>(s.sicrapor) }) {
        window->show();
        QVERIFY2(window->isMaximized(), qPrintable(window->objectName()));
        window->showNormal();
        window->hide();
        window->show();
        QVERIFY2(window->isMaximized(), qPrintable(window->objectName()));
        window->hide();
    }

    for (TScreen* window : { static_cast<TScreen*>(s.tetkikgirisF), static_cast<TScreen*>(s.receteF) }) {
        window->show();
        QVERIFY(!window->isMaximized());
        window->hide();
    }

    // The wait window keeps its size whatever is asked of it.
    const QSize waitSize = s.hazirlaF->size();
    s.hazirlaF->resize(900, 300);
    QCOMPARE(s.hazirlaF->size(), waitSize);
}

void tst_Screens::dataSetsOfEveryScreen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QString>("table"); // table data sets
    QTest::addColumn<QString>("statement"); // query data sets
    QTest::addColumn<QString>("order"); // IndexName, or IndexFieldNames
    QTest::addColumn<QString>("source");

    auto row = [](const char* screen, const char* dataSet, const QString& table, const QString& statement,
                   const QString& order, const QString& source) {
        QTest::addRow("%s.%s", screen, dataSet)
            << QString::fromLatin1(screen) << QString::fromLatin1(dataSet) << table << statement << order << source;
    };
    row("ozluk", "sicilTable", u"hastasicil"_s, {}, u"PrimaryKey"_s, u"sicilSource"_s);
    row("sicrapor", "sicrapQuery", {}, u"Select * from hastasicil Order By hid ASC;"_s, {}, u"sicilrapSource"_s);
    row("frmMain", "muayeneTable", u"muayene"_s, {}, u"hastakodu"_s, u"DataSource1"_s);
    row("frmMain", "muayeneRQuery", {}, u"select * from muayene ORDER BY tarih DESC;"_s, {}, u"muayeneRSource"_s);
    row("receteF", "recTable", u"recete"_s, {}, u"muayeneno"_s, u"recSource"_s);
    row("TetkikF", "tetkikTTable", u"laborana"_s, {}, {}, u"tetkikSource"_s);
    row("tetkikgirisF", "labTable", u"laboratuar"_s, {}, u"muayeneno"_s, u"labSource"_s);
    row("asilarF", "asiturTable", u"asitur"_s, {}, u"PrimaryKey"_s, u"asiturSource"_s);
    row("asilarF", "receTable", u"asitakip"_s, {}, u"PrimaryKey"_s, u"receSource"_s);
    row("asilarF", "asiQuery", {}, u"select * FROM asitakip ORDER BY asiadi ASC;"_s, {}, u"asiSource"_s);
    row("asilarF", "asi2Table", u"asitakip2"_s, {}, u"hkodu"_s, u"asi2Source"_s);
    row("ChartF", "ffTable1", u"zkilobir"_s, {}, {}, u"DataSource1"_s);
    row("ChartF", "ffTable2", u"zuzunlukbir"_s, {}, {}, u"DataSource2"_s);
    row("ChartF", "ffTable3", u"zbas"_s, {}, {}, u"DataSource3"_s);
    row("sifrelerF", "sifreTable", u"sifre"_s, {}, u"PrimaryKey"_s, u"DataSource1"_s);
    row("sifrelerF", "masterTable", u"master"_s, {}, {}, u"DataSource2"_s);
    row("gecmisF", "gecmisQuery", {}, u"select * from degisiklik order by did desc"_s, {}, u"gecmisSource"_s);
}

// Each data set sits on its screen under its name, reads what it should and opens on a new
// database.
void tst_Screens::dataSetsOfEveryScreen()
{
    QFETCH(QString, screen);
    QFETCH(QString, dataSet);
    QFETCH(QString, table);
    QFETCH(QString, statement);
    QFETCH(QString, order);
    QFETCH(QString, source);

    AppFixture app;
    TScreen* owner = app.screens().byName(screen);
    QVERIFY(owner);
    auto* set = owner->findChild<DataSet*>(dataSet, Qt::FindDirectChildrenOnly);
    QVERIFY(set);
    QCOMPARE(set->name(), dataSet);
    QCOMPARE(set->TableName(), table);
    QCOMPARE(set->SQL(), statement);
    QCOMPARE(set->IndexName().isEmpty() ? set->IndexFieldNames() : set->IndexName(), order);
    QCOMPARE(set->staticCursor(), dataSet == u"muayeneRQuery"_s);

    auto* dataSource = owner->findChild<DataSource*>(source, Qt::FindDirectChildrenOnly);
    QVERIFY(dataSource);
    QCOMPARE(dataSource->dataSet(), set);

    set->Open();
    QVERIFY(set->Active());
    QCOMPARE(set->State(), dsBrowse);
    set->Close();
    QVERIFY(app.messages().verifyDone());
}

void tst_Screens::linksAcrossScreens()
{
    AppFixture app;
    const Screens& s = app.screens();

    struct Link {
        DataSet* detail;
        DataSource* master;
        QString masterFields;
        QString indexFieldNames;
    };
    const QList<Link> links = {
        { s.frmMain->muayeneTable, s.ozluk->sicilSource, u"hasta_kodu"_s, u"hastakodu"_s },
        { s.asilarF->asi2Table, s.ozluk->sicilSource, u"hasta_kodu"_s, u"hkodu"_s },
        { s.receteF->recTable, s.frmMain->muayeneRSource, u"mid"_s, u"muayeneno"_s },
        { s.tetkikgirisF->labTable, s.frmMain->muayeneRSource, u"mid"_s, u"muayeneno"_s },
    };
    for (const Link& link : links) {
        QCOMPARE(link.detail->MasterSource(), link.master);
        QCOMPARE(link.detail->MasterFields(), link.masterFields);
        QCOMPARE(link.detail->IndexFieldNames(), link.indexFieldNames);
    }
    for (DataSet* set : allDataSets(s)) {
        if (!set->MasterSource())
            continue;
        const bool listed = std::any_of(links.begin(), links.end(), [set](const Link& l) { return l.detail == set; });
        QVERIFY2(listed, qPrintable(set->name()));
    }
    QCOMPARE(s.frmMain->DataSource2->dataSet(), s.sicrapor->sicrapQuery);

    struct Lookup {
        DataSet* owner;
        QString field;
        int size;
        DataSet* lookupDataSet;
        QString result;
    };
    const QList<Lookup> lookups = {
        { s.asilarF->receTable, u"asilook"_s, 20, s.asilarF->asiturTable, u"asiadi"_s },
        { s.tetkikgirisF->labTable, u"tetkikalt"_s, 15, s.TetkikF->tetkikTTable, u"normaldegalt"_s },
        { s.tetkikgirisF->labTable, u"tetkikust"_s, 15, s.TetkikF->tetkikTTable, u"normaldegust"_s },
        { s.tetkikgirisF->labTable, u"tur"_s, 20, s.TetkikF->tetkikTTable, u"tetkikturu"_s },
    };
    for (const Lookup& lookup : lookups) {
        Field* field = lookup.owner->FindField(lookup.field);
        QVERIFY2(field, qPrintable(lookup.field));
        QCOMPARE(field->kind(), FieldKind::fkLookup);
        QCOMPARE(field->Size(), lookup.size);
        QCOMPARE(field->LookupDataSet, lookup.lookupDataSet);
        QCOMPARE(field->LookupResultField, lookup.result);
        QCOMPARE(field->KeyFields, field->LookupKeyFields);
    }
}

// The links work across screens: the visits follow the current child, the lab results and
// their lookups follow the history's current visit.
void tst_Screens::linksFollowTheCurrentRecords()
{
    AppFixture app;
    const Screens& s = app.screens();
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('1', 'Ali'), ('2', 'Ayşe')"_s);
    app.exec(u"INSERT INTO muayene (hastakodu, tarih) VALUES ('1', '2020-01-01 10:00:00.000'),"
             " ('2', '2020-02-01 10:00:00.000'), ('2', '2020-03-01 10:00:00.000')"_s);
    app.exec(u"INSERT INTO laborana (tetkikturu, normaldegalt, normaldegust) VALUES ('Hb', '11', '16')"_s);
    QSqlQuery firstVisit = app.exec(u"SELECT mid FROM muayene WHERE hastakodu = '1'"_s);
    QVERIFY(firstVisit.next());
    const int mid = firstVisit.value(0).toInt();
    app.exec(u"INSERT INTO laboratuar (muayeneno, hastakodu, tetkikturu, tetkiksonucu) VALUES (?, '1', 'Hb', '12')"_s,
        { mid });

    DataSet* children = s.ozluk->sicilTable;
    DataSet* visits = s.frmMain->muayeneTable;
    children->Open();
    visits->Open();
    QCOMPARE(children->FieldByName(u"hasta_kodu"_s)->AsString(), u"1"_s);
    QCOMPARE(visits->RecordCount(), 1);
    children->Next();
    QCOMPARE(visits->RecordCount(), 2);
    QCOMPARE(visits->FieldByName(u"hastakodu"_s)->AsString(), u"2"_s);

    DataSet* history = s.frmMain->muayeneRQuery;
    DataSet* results = s.tetkikgirisF->labTable;
    s.TetkikF->tetkikTTable->Open();
    history->Open();
    results->Open();
    QVERIFY(history->Locate(u"mid"_s, mid, {}));
    QCOMPARE(results->RecordCount(), 1);
    QCOMPARE(results->FieldByName(u"tetkikalt"_s)->AsString(), u"11"_s);
    QCOMPARE(results->FieldByName(u"tetkikust"_s)->AsString(), u"16"_s);
    QCOMPARE(results->FieldByName(u"tur"_s)->AsString(), u"Hb"_s);
    history->First();
    QVERIFY(history->FieldByName(u"mid"_s)->AsInteger() != mid);
    QCOMPARE(results->RecordCount(), 0);
    QVERIFY(app.messages().verifyDone());
}

void tst_Screens::closingSignInDialogEndsProgram()
{
    // Before signing in: the user closes the dialog's window.
    {
        AppFixture app;
        int ends = 0;
        app.screens().onEnd = [&ends] { ++ends; };
        QVERIFY(app.screens().PasswordDlg->close());
        QVERIFY(app.programEnded());
        QCOMPARE(ends, 1);
        QVERIFY(app.messages().shown().isEmpty());
    }
    // After signing in the dialog is hidden, and the visit screen's exit closes it.
    {
        AppFixture app;
        TPasswordDlg* dialog = app.screens().PasswordDlg;
        app.screens().frmMain->show();
        dialog->hide();
        QVERIFY(!app.programEnded());
        dialog->close();
        QVERIFY(app.programEnded());
        QVERIFY(app.messages().shown().isEmpty());

        // A new start is a new run.
        app.restart();
        QVERIFY(!app.programEnded());
        QVERIFY(app.screens().PasswordDlg != nullptr);
    }
}

void tst_Screens::closingOtherScreensKeepsRunning()
{
    AppFixture app;
    const Screens& s = app.screens();
    for (TScreen* screen : { static_cast<TScreen*>(s.yardimF), static_cast<TScreen*>(s.TetkikF),
             static_cast<TScreen*>(s.receteF), static_cast<TScreen*>(s.hazirlaF) }) {
        screen->show();
        screen->close();
        QVERIFY(screen->isHidden());
    }
    // Hiding the main window (as a successful sign-in does) does not end the program either.
    s.PasswordDlg->hide();
    QVERIFY(!app.programEnded());
    QVERIFY(app.screens().built());
}

// At program end a pending edit on any screen is dropped without a question, and the data
// is still there at the next start.
void tst_Screens::programEndDiscardsPendingEdits()
{
    AppFixture app;
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('1', 'Ali')"_s);

    DataSet* children = app.screens().ozluk->sicilTable;
    children->Open();
    children->Edit();
    children->FieldByName(u"adi"_s)->setAsString(u"Veli"_s);
    DataSet* vaccines = app.screens().asilarF->asiturTable;
    vaccines->Open();
    vaccines->Append();
    vaccines->FieldByName(u"asiadi"_s)->setAsString(u"BCG"_s);
    vaccines->BeforePost = [](DataSet&) { QFAIL("stored at program end"); };

    app.screens().PasswordDlg->close();
    app.screens().destroy();
    QVERIFY(!app.screens().built());
    QCOMPARE(Connection::defaultConnection(), nullptr);
    app.start();

    QCOMPARE(app.count(u"hastasicil"_s, u"adi = ?"_s, { u"Ali"_s }), 1);
    QCOMPARE(app.count(u"asitur"_s), 0);
    QVERIFY(app.messages().shown().isEmpty());

    // The new run sees the same database through its own, new screens.
    app.screens().ozluk->sicilTable->Open();
    QCOMPARE(app.screens().ozluk->sicilTable->RecordCount(), 1);
}

// An older clinic file is brought up to date before the sign-in dialog shows, with the wait
// window up meanwhile; the next start finds it current and shows no wait window.
void tst_Screens::olderFileIsUpdatedUnderWaitWindow()
{
    WaitWatcher watcher;
    qApp->installEventFilter(&watcher);

    AppFixture app(AppFixture::Start::Later);
    QVERIFY(QDir().mkpath(QFileInfo(app.databasePath()).absolutePath()));
    QVERIFY(QFile::copy(
        qEnvironmentVariable("PEDIAKAY_SOURCE_DIR") + u"/tests/data/schema-version1.db"_s, app.databasePath()));
    QVERIFY(QFile::setPermissions(app.databasePath(), QFile::ReadOwner | QFile::WriteOwner));

    app.start();
    QCOMPARE(watcher.shown, QStringList { ThazirlaF::updatingText() });
    QVERIFY(app.screens().PasswordDlg->anaConnection->isOpen());
    QCOMPARE(Schema::version(app.screens().PasswordDlg->anaConnection->database()), Schema::currentVersion);
    // Only the screens' own wait window is left, hidden.
    QVERIFY(!app.screens().hazirlaF->isVisible());

    watcher.shown.clear();
    app.restart();
    QCOMPARE(watcher.shown, QStringList());
    qApp->removeEventFilter(&watcher);
}

void tst_Screens::unopenableDatabaseIsReportedAtStart()
{
    AppFixture app(AppFixture::Start::Later);
    // A plain file where the database folder should be.
    QFile blocker(app.path(u"Data"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    app.messages().expectError();

    app.start();

    QVERIFY(app.messages().verifyDone());
    const Connection* connection = app.screens().PasswordDlg->anaConnection;
    QVERIFY(!connection->isOpen());
    QVERIFY(!connection->lastError().isEmpty());
    QCOMPARE(app.messages().shown().constFirst().text, connection->lastError());
    // Start-up went on: every screen is built and the sign-in dialog is up.
    QCOMPARE(app.screens().all().size(), 13);
    QVERIFY(app.screens().PasswordDlg->isVisible());
    QVERIFY(!app.programEnded());
}

// The real program, copied into a folder of its own and started from another working
// directory, opens (and here creates) its database below its own folder.
void tst_Screens::programFolderIsWorkingDirectory()
{
    const QString program = qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/pediakay"_s;
    if (!QFileInfo(program).isExecutable())
        QSKIP("the program is not built");

    QTemporaryDir programFolder;
    QTemporaryDir elsewhere;
    QVERIFY(programFolder.isValid() && elsewhere.isValid());
    const QString copy = programFolder.filePath(u"pediakay"_s);
    QVERIFY(QFile::copy(program, copy));

    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    run.setProcessEnvironment(environment);
    run.setWorkingDirectory(elsewhere.path());
    run.start(copy, { u"-platform"_s, u"offscreen"_s, u"--quit-after-start"_s });
    QVERIFY2(run.waitForFinished(60000), qPrintable(run.errorString()));
    QCOMPARE(run.exitStatus(), QProcess::NormalExit);
    QCOMPARE(run.exitCode(), 0);

    QVERIFY(QFileInfo::exists(programFolder.filePath(Connection::defaultPath())));
    QVERIFY(!QFileInfo::exists(elsewhere.filePath(u"Data"_s)));
}

// The backup folder cannot be made (a file stands in its path): the first failure is told in one
// error box, later ones are not, and the program goes on as usual.
void tst_Screens::failedBackupToldOnceAndWorkGoesOn()
{
    AppFixture app(AppFixture::Start::Later);
    app.screens().automaticBackups = true;
    const auto off = qScopeGuard([&app] { app.screens().automaticBackups = false; });
    ProgramSettings::setValue(AutoBackup::folderKey(), u"Data/Pediakay.db/Yedek"_s);
    app.start();
    AutoBackup* backups = app.screens().backups();
    QVERIFY(backups);
    app.exec(u"INSERT INTO sifre (sid, kullanici, sifre) VALUES (1, 'ayse', 'p1')"_s);

    app.messages().expectError();
    QVERIFY(backups->backUpNow());
    // Meanwhile the user signs in.
    TPasswordDlg* signIn = app.screens().PasswordDlg;
    signIn->findChild<QLineEdit*>(u"kullan"_s)->setText(u"ayse"_s);
    signIn->findChild<QLineEdit*>(u"Password"_s)->setText(u"p1"_s);
    QTest::mouseClick(signIn->findChild<QPushButton*>(u"OKBtn"_s), Qt::LeftButton);
    QTRY_VERIFY(!backups->running());
    QString problems;
    QVERIFY2(app.messages().verifyDone(&problems), qPrintable(problems));
    QVERIFY(app.screens().frmMain->isVisible());
    const QString told = app.messages().shown().constFirst().text;
    QVERIFY2(told.startsWith(u"Otomatik yedek alınamadı"_s), qPrintable(told));
    QVERIFY2(told.contains(u"Yedek klasörü oluşturulamadı"_s), qPrintable(told));

    QVERIFY(backups->backUpNow());
    QTRY_VERIFY(!backups->running());
    QCOMPARE(app.messages().shown().size(), 1);
    QVERIFY(!app.programEnded());
    // The folder is fixed: the copy at the end goes through without a word.
    ProgramSettings::setValue(AutoBackup::folderKey(), QString());
}

// The program's end leaves a checked copy of everything stored; a copy of today makes the daily
// check wait.
void tst_Screens::backupAtProgramEnd()
{
    AppFixture app(AppFixture::Start::Later);
    app.screens().automaticBackups = true;
    const auto off = qScopeGuard([&app] { app.screens().automaticBackups = false; });
    app.start();
    app.exec(u"INSERT INTO hastasicil (hasta_kodu, adi) VALUES ('1', 'Ali')"_s);
    QVERIFY(!QFileInfo::exists(app.path(u"Data/Yedek"_s)));

    // The wait window says why the program has not gone yet.
    WaitWatcher watcher;
    qApp->installEventFilter(&watcher);
    app.restart();
    qApp->removeEventFilter(&watcher);
    QCOMPARE(watcher.shown, QStringList { u"BEKLEYİN YEDEK ALINIYOR..."_s });
    const QStringList copies = QDir(app.path(u"Data/Yedek"_s)).entryList({ u"Pediakay-*.db"_s }, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QVERIFY(AutoBackup::copiesIn(app.path(u"Data/Yedek"_s)).constFirst().secsTo(QDateTime::currentDateTime()) < 120);
    {
        Connection copy(app.path(u"Data/Yedek/"_s + copies.first()), u"backup-check"_s);
        QVERIFY(copy.open());
        QSqlQuery q(copy.database());
        QVERIFY(q.exec(u"SELECT adi FROM hastasicil"_s) && q.next());
        QCOMPARE(q.value(0).toString(), u"Ali"_s);
    }
    QVERIFY(!app.screens().backups()->backUpIfDue());
    QVERIFY(app.messages().verifyDone());
}

// pediakay --restore FILE, on a copy of the real program: the copy its own end left is put back
// (a relative name is taken against the folder it was typed in), and refused while the database is
// open elsewhere.
void tst_Screens::programRestoresFromCommandLine()
{
    const QString program = qEnvironmentVariable("PEDIAKAY_BUILD_DIR") + u"/pediakay"_s;
    if (!QFileInfo(program).isExecutable())
        QSKIP("the program is not built");
    QTemporaryDir programFolder;
    QTemporaryDir elsewhere;
    QVERIFY(programFolder.isValid() && elsewhere.isValid());
    const QString copy = programFolder.filePath(u"pediakay"_s);
    QVERIFY(QFile::copy(program, copy));
    struct Run {
        int exitCode = -1;
        QString output;
    };
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(elsewhere.path());
        process.start(copy, QStringList { u"-platform"_s, u"offscreen"_s } + arguments);
        Run result;
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        result.output = QString::fromUtf8(process.readAllStandardError());
        return result;
    };

    QCOMPARE(run({ u"--quit-after-start"_s }).exitCode, 0);
    const QStringList copies
        = QDir(programFolder.filePath(u"Data/Yedek"_s)).entryList({ u"Pediakay-*.db"_s }, QDir::Files);
    QCOMPARE(copies.size(), 1);
    QVERIFY(QFile::copy(programFolder.filePath(u"Data/Yedek/"_s + copies.first()), elsewhere.filePath(u"eski.db"_s)));

    {
        Connection other(programFolder.filePath(Connection::defaultPath()));
        QVERIFY(other.open());
        const Run refused = run({ u"--restore"_s, u"eski.db"_s });
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.output.contains(BackupRestore::openElsewhere), qPrintable(refused.output));
    }
    QCOMPARE(QDir(programFolder.filePath(u"Data"_s)).entryList({ u"Pediakay-oncesi-*"_s }, QDir::Files).size(), 0);

    const Run restored = run({ u"--restore"_s, u"eski.db"_s });
    QCOMPARE(restored.exitCode, 0);
    QVERIFY2(restored.output.contains(u"Yedek geri yüklendi"_s), qPrintable(restored.output));
    QCOMPARE(QDir(programFolder.filePath(u"Data"_s)).entryList({ u"Pediakay-oncesi-*.db"_s }, QDir::Files).size(), 1);

    const Run missing = run({ u"--restore"_s, u"yok.db"_s });
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.output.contains(u"Yedek dosyası bulunamadı"_s), qPrintable(missing.output));
    QCOMPARE(run({ u"--restore"_s }).exitCode, 2);
}

int main(int argc, char** argv)
{
    PediakayApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    tst_Screens test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screens.moc"
