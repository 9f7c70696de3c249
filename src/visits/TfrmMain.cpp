#include "TfrmMain.h"

#include "TReport.h"

#include "ui_TfrmMain.h"

#include "AgeCalculator.h"
#include "ColumnChooser.h"
#include "ColumnChooserButton.h"
#include "CommandGuard.h"
#include "CorrectedAge.h"
#include "DataSet.h"
#include "DataSource.h"
#include "EditKeys.h"
#include "Field.h"
#include "GrowthAssessment.h"
#include "GrowthSettings.h"
#include "Messages.h"
#include "Screens.h"
#include "TChartF.h"
#include "TPasswordDlg.h"
#include "TargetHeight.h"
#include "TasilarF.h"
#include "TgecmisF.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TreceteF.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"
#include "TtetkikgirisF.h"
#include "TurkishText.h"
#include "TyardimF.h"
#include "ValueFormats.h"
#include "VisitGrowth.h"
#include "VisitQueries.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QToolTip>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Where the division between the entry area and the history is kept in the settings file.
const QString divisionKey = QStringLiteral("muayene/bolme");

const QString waitUpdating = ThazirlaF::updatingText();

// Hides the wait window however the step it covers ends.
struct WaitWindow {
    explicit WaitWindow(const QString& caption)
    {
        screens().hazirlaF->showMessage(caption);
    }
    ~WaitWindow()
    {
        screens().hazirlaF->hideMessage();
    }
    WaitWindow(const WaitWindow&) = delete;
    WaitWindow& operator=(const WaitWindow&) = delete;
};

// Ctrl+T, Ctrl+R, Ctrl+A and Ctrl+H: named in the menus, with no command behind them.
bool isMenuOnlyKey(const QKeyEvent* event)
{
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_T:
    case Qt::Key_R:
    case Qt::Key_A:
    case Qt::Key_H:
        return true;
    default:
        return false;
    }
}

bool isEditing(const DataSet* dataSet)
{
    return dataSet->State() == dsEdit || dataSet->State() == dsInsert;
}

QDate birthDate()
{
    const DataSet* registry = screens().ozluk->sicilTable;
    return registry->FieldByName(u"dogumtarihi"_s)->AsDateTime().date();
}

// The history columns in order, with their titles and widths; mid is carried hidden.
struct HistoryColumn {
    const char16_t* field;
    const char16_t* title;
    int width;
};
constexpr HistoryColumn historyColumns[] = {
    { u"tarih", u"Tarih - Saat", 100 },
    { u"yas", u"Yaş", 50 },
    { u"kilo", u"Kilo", 50 },
    { u"boy", u"Boy", 50 },
    { u"basc", u"Baş Ç.", 50 },
    { u"sikayetbulgu", u"Şikayet", 190 },
    { u"bulgu", u"Bulgu", 190 },
    { u"tani", u"Tanı", 190 },
    { u"tedavi", u"Tedavi", 190 },
    { u"beslenme", u"Beslenme", 190 },
    { u"not", u"Not", 64 },
    { u"mid", u"mid", 0 },
};

// The memo columns whose text the history shows as tooltip.
bool isTextColumn(const QString& fieldName)
{
    static const QStringList names = { u"sikayetbulgu"_s, u"bulgu"_s, u"tani"_s, u"tedavi"_s, u"beslenme"_s, u"not"_s };
    return names.contains(fieldName);
}

} // namespace

TfrmMain::TfrmMain()
    : ui(new Ui::TfrmMain)
    , muayeneTable(new DataSet(u"muayeneTable"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, muayeneTable, this))
    , muayeneRQuery(new DataSet(u"muayeneRQuery"_s, this))
    , muayeneRSource(new DataSource(u"muayeneRSource"_s, muayeneRQuery, this))
    , DataSource2(new DataSource(u"DataSource2"_s, nullptr, this))
    , PopupMenu1(new QMenu(this))
{
    setObjectName(u"frmMain"_s);
    ui->setupUi(this);
    ui->mainLayout->removeWidget(ui->MainMenu1);
    ui->mainLayout->setMenuBar(ui->MainMenu1);
    setPlacement(Placement::Maximised);
    setSeesKeysFirst(true);

    // The doctor may give the history more room; the division is kept in the settings file.
    ui->entrySplitter->setStretchFactor(0, 0);
    ui->entrySplitter->setStretchFactor(1, 1);
    {
        const QSettings settings(TPasswordDlg::settingsFile(), QSettings::IniFormat);
        ui->entrySplitter->restoreState(settings.value(divisionKey).toByteArray());
    }
    connect(ui->entrySplitter, &QSplitter::splitterMoved, this, &TfrmMain::entrySplitterMoved);

    muayeneTable->setTableName(u"muayene"_s);
    muayeneTable->setIndexFieldNames(u"hastakodu"_s);
    Field* tarih = muayeneTable->FieldByName(u"tarih"_s);
    tarih->DisplayFormat = u"dd.mm.yyyy-HH:MM"_s;
    tarih->DisplayWidth = 18;
    tarih->EditMask = u"!99/99/9999! 90:00;1;_"_s;
    Field* yas = muayeneTable->FieldByName(u"yas"_s);
    yas->DisplayFormat = u"#,###.00"_s;
    yas->EditFormat = u"#.00"_s;
    // Absurd measurements are refused before anything is written.
    muayeneTable->BeforePost = [](DataSet& visits) { VisitQueries::checkMeasurements(&visits); };
    connect(muayeneTable, &DataSet::fieldChanged, this, &TfrmMain::onVisitFieldChanged);

    muayeneRQuery->setSQL(VisitQueries::allVisitsSql());
    muayeneRQuery->setStaticCursor(true);
    Field* historyTarih = muayeneRQuery->FieldByName(u"tarih"_s);
    historyTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    historyTarih->EditMask = u"!99/99/0000 !90:00;1;_"_s;

    const QLocale turkish = TurkishText::locale();
    ui->JvDateTimePicker1->setLocale(turkish);
    ui->JvDateTimePicker1->setDisplayFormat(turkish.dateFormat(QLocale::LongFormat));
    ui->JvDateTimePicker1->setDateTime(QDateTime::currentDateTime());

    QFont codeFont = ui->JvDotNetDBEdit23->font();
    codeFont.setBold(true);
    codeFont.setPointSizeF(codeFont.pointSizeF() * 1.6);
    ui->JvDotNetDBEdit23->setFont(codeFont);
    ui->tfXPButton1->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));

    // FirmaAdiEditKeyPress: every word typed into the name boxes starts with a capital.
    EditKeys::installWordCapitals(ui->FirmaAdiEdit);
    EditKeys::installWordCapitals(ui->FirmaAdi2Edit);

    bindEntryControls();
    setUpHistoryGrid();
    buildMenus();
    setUpGrowthTexts();

    connect(ui->JvNavPanelButton9, &QPushButton::clicked, this, &TfrmMain::JvNavPanelButton9Click);
    connect(ui->yeniButton, &QPushButton::clicked, this, &TfrmMain::SicilSorgu1Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TfrmMain::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TfrmMain::Button2Click);
    connect(ui->JvXPButton3, &QPushButton::clicked, this, &TfrmMain::JvXPButton3Click);
    connect(ui->silBut, &QPushButton::clicked, this, &TfrmMain::silButClick);
    connect(ui->satirSilButton, &QPushButton::clicked, this, &TfrmMain::silButClick);
    connect(ui->JvNavPanelButton10, &QPushButton::clicked, this, &TfrmMain::JvNavPanelButton10Click);
    connect(ui->cocukDetayButton, &QPushButton::clicked, this, &TfrmMain::HastaSicillemleri1Click);
    connect(ui->graphBut, &QPushButton::clicked, this, &TfrmMain::graphButClick);
    connect(ui->asiButton, &QPushButton::clicked, this, &TfrmMain::ReeteGir1Click);
    connect(ui->JvXPButton10, &QPushButton::clicked, this, &TfrmMain::JvXPButton10Click);
    connect(ui->JvXPButton11, &QPushButton::clicked, this, &TfrmMain::JvXPButton11Click);
    connect(ui->kapatButton, &QPushButton::clicked, this, &TfrmMain::k1Click);
    connect(ui->tfXPButton1, &QToolButton::clicked, this, &TfrmMain::tfXPButton1Click);
    connect(ui->JvXPButton8, &QPushButton::clicked, this, &TfrmMain::JvXPButton8Click);
    connect(ui->JvXPButton9, &QPushButton::clicked, this, &TfrmMain::JvXPButton9Click);
    connect(ui->JvNavPanelButton8, &QPushButton::clicked, this, &TfrmMain::JvNavPanelButton8Click);
    connect(ui->JvNavPanelButton11, &QPushButton::clicked, this, &TfrmMain::JvNavPanelButton11Click);
    connect(ui->CheckBox1, &QCheckBox::clicked, this, &TfrmMain::CheckBox1Click);
    connect(ui->CheckBox2, &QCheckBox::clicked, this, &TfrmMain::CheckBox2Click);
    connect(
        ui->muqueryGrid1->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmMain::muqueryGrid1TitleClick);
    connect(ui->JvDotNetDBEdit23, &QLineEdit::textChanged, this, &TfrmMain::onChildCodeShown);
    connect(ui->JvDBSearchComboBox1, &QComboBox::currentTextChanged, this, &TfrmMain::onChildCodeShown);

    // This screen sees every event of the program first (TScreen), so no filters of its own
    // are installed; these boxes open the registry list on a double click.
    m_openListOnDoubleClick = { ui->kisinoedit, ui->FirmaAdiEdit, ui->FirmaAdi2Edit, ui->adiDBEdit, ui->adi2DBEdit,
        ui->soyadiDBEdit, ui->JvDotNetDBEdit23 };
}

TfrmMain::~TfrmMain() = default;

QDate TfrmMain::visitDate() const
{
    return ui->JvDateTimePicker1->date();
}

// --- set-up -----------------------------------------------------------------------------

void TfrmMain::bindEntryControls()
{
    const std::pair<DBEdit*, const char16_t*> edits[] = {
        { ui->JvDotNetDBEdit22, u"tarih" },
        { ui->yasDBEdit, u"yas" },
        { ui->kiloDBEdit, u"kilo" },
        { ui->boyDBEdit, u"boy" },
        { ui->bascDBEdit, u"basc" },
    };
    for (const auto& [edit, fieldName] : edits) {
        edit->setDataSource(DataSource1);
        edit->setDataField(QString::fromUtf16(fieldName));
    }
    const std::pair<DBMemo*, const char16_t*> memos[] = {
        { ui->beslenmeDBMemo, u"beslenme" },
        { ui->sikayetDBMemo, u"sikayetbulgu" },
        { ui->bulguDBMemo, u"bulgu" },
        { ui->taniDBMemo, u"tani" },
        { ui->tedaviDBMemo, u"tedavi" },
        { ui->notDBMemo, u"not" },
    };
    for (const auto& [memo, fieldName] : memos) {
        memo->setDataSource(DataSource1);
        memo->setDataField(QString::fromUtf16(fieldName));
    }
}

// The child header shows another screen's data set, which exists only once all screens are
// built; it is bound on first use.
void TfrmMain::wireScreens()
{
    if (m_wired || !screens().ozluk)
        return;
    m_wired = true;
    DataSource* child = screens().ozluk->sicilSource;
    const std::pair<DBEdit*, const char16_t*> edits[] = {
        { ui->adiDBEdit, u"adi" },
        { ui->adi2DBEdit, u"adi2" },
        { ui->soyadiDBEdit, u"soyadi" },
        { ui->anneDBEdit, u"anne" },
        { ui->babaDBEdit, u"baba" },
        { ui->evtelDBEdit, u"evtel" },
        { ui->istelDBEdit, u"istel" },
        { ui->ceptelDBEdit, u"ceptel" },
        { ui->dogumtarihiDBEdit, u"dogumtarihi" },
        { ui->dogumkiloDBEdit, u"dogumkilo" },
        { ui->dogumboyDBEdit, u"dogumboy" },
        { ui->dogumbasDBEdit, u"dogumbas" },
        { ui->dogumsekliDBEdit, u"dogumsekli" },
        { ui->kangrubuDBEdit, u"kangrubu" },
        { ui->dogumhastahaneDBEdit, u"dogumhastahane" },
        { ui->cinsiyetiDBEdit, u"cinsiyeti" },
        { ui->JvDotNetDBEdit23, u"hasta_kodu" },
    };
    for (const auto& [edit, fieldName] : edits) {
        edit->setReadOnly(true);
        edit->setDataSource(child);
        edit->setDataField(QString::fromUtf16(fieldName));
    }
    for (const auto& [memo, fieldName] :
        { std::pair<DBMemo*, const char16_t*> { ui->alerjiDBMemo, u"alerji" }, { ui->ozgecmisDBMemo, u"ozgecmis" } }) {
        memo->setReadOnly(true);
        memo->setDataSource(child);
        memo->setDataField(QString::fromUtf16(fieldName));
    }
    ui->JvDBSearchComboBox1->setReadOnly(true);
    ui->JvDBSearchComboBox1->setDataSource(child);
    ui->JvDBSearchComboBox1->setDataField(u"hasta_kodu"_s);
}

void TfrmMain::setUpHistoryGrid()
{
    DBGrid* grid = ui->muqueryGrid1;
    grid->setDataSource(muayeneRSource);
    QStringList names;
    for (const HistoryColumn& column : historyColumns)
        names.append(QString::fromUtf16(column.field));
    grid->setColumns(names);
    for (const HistoryColumn& column : historyColumns)
        grid->setColumnTitle(QString::fromUtf16(column.field), QString::fromUtf16(column.title));
    grid->setReadOnly(true);
    grid->applyColumnWidths();
    for (const HistoryColumn& column : historyColumns) {
        const int index = grid->columnOf(QString::fromUtf16(column.field));
        if (column.width > 0)
            grid->setColumnWidth(index, column.width);
        else
            grid->setColumnHidden(index, true);
    }
    grid->setWordWrap(true);
    grid->setShowGrid(true);
    grid->setMouseTracking(true);
    grid->viewport()->setMouseTracking(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    QHeaderView* titles = grid->horizontalHeader();
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionsClickable(true);
    titles->setFixedHeight(20);
    QHeaderView* rows = grid->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    applyRowHeight(20);
    grid->setToolTipDuration(m_toolTipTime);
}

QAction* TfrmMain::addItem(QMenu* menu, const QString& caption, const QString& key, void (TfrmMain::*handler)())
{
    // The keys are handled by screenKey(), which knows where the focus is; the menus only show them.
    QAction* action = menu->addAction(key.isEmpty() ? caption : caption + u'\t' + key);
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

void TfrmMain::buildMenus()
{
    // The main menu's groups are hidden, so the bar stays out of sight; its keys still work.
    QMenuBar* bar = ui->MainMenu1;
    QMenu* genel = bar->addMenu(u"Genel İşlemler"_s);
    addItem(genel, u"Çocuk Protokol Kayıtları"_s, u"F11"_s, &TfrmMain::HastaSicillemleri1Click);
    addItem(genel, u"Değişiklik Geçmişi"_s, u"Ctrl+G"_s, &TfrmMain::gecmisClick);
    addItem(genel, u"Çıkış"_s, u"F10"_s, &TfrmMain::k1Click);
    QMenu* girisler = bar->addMenu(u"Girişler        "_s);
    addItem(girisler, u"Sakla"_s, u"F2"_s, &TfrmMain::Button2Click);
    addItem(girisler, u"Vazgeç"_s, u"F3"_s, &TfrmMain::JvXPButton3Click);
    addItem(girisler, u"Yeni Çocuk İşlemi      "_s, u"F5"_s, &TfrmMain::JvXPButton4Click);
    addItem(girisler, u"Tetkik Girişi        "_s, u"F6"_s, nullptr);
    addItem(girisler, u"Reçete Girişi      "_s, u"F7"_s, nullptr);
    addItem(girisler, u"Aşı Girişi        "_s, u"F8"_s, &TfrmMain::ReeteGir1Click);
    QMenu* raporlar = bar->addMenu(u"Raporlar               "_s);
    addItem(raporlar, u"Gelişim Listesi Yazdır        "_s, u"F4"_s, nullptr);
    addItem(raporlar, u"Tetkik Yazdır       "_s, u"Ctrl+T"_s, nullptr);
    addItem(raporlar, u"Reçete Yazdır        "_s, u"Ctrl+R"_s, nullptr);
    addItem(raporlar, u"Grafik Raporu    "_s, u"F9"_s, &TfrmMain::graphButClick);
    addItem(raporlar, u"Genel Rapor"_s, u"Ctrl+A"_s, nullptr);
    for (QMenu* group : { genel, girisler, raporlar })
        group->menuAction()->setVisible(false);
    bar->setVisible(false);

    QMenu* pGenel = PopupMenu1->addMenu(u"Genel İşlemler"_s);
    addItem(pGenel, u"Çocuk Sicil Kayıtları"_s, u"F11"_s, &TfrmMain::HastaSicillemleri1Click);
    addItem(pGenel, u"Değişiklik Geçmişi"_s, u"Ctrl+G"_s, &TfrmMain::gecmisClick);
    addItem(pGenel, u"Çıkış"_s, u"F10"_s, &TfrmMain::k1Click);
    QMenu* pGirisler = PopupMenu1->addMenu(u"Girişler        "_s);
    addItem(pGirisler, u"Sakla"_s, u"F2"_s, &TfrmMain::Button2Click);
    addItem(pGirisler, u"Vazgeç"_s, u"F3"_s, &TfrmMain::JvXPButton3Click);
    addItem(pGirisler, u"Yeni Çocuk Girişi"_s, u"F5"_s, &TfrmMain::JvXPButton4Click);
    addItem(pGirisler, u"Aşı Girişi        "_s, u"F8"_s, &TfrmMain::ReeteGir1Click);
    addItem(pGirisler, u"Hesap"_s, u"Ctrl+H"_s, nullptr);
    QMenu* pRaporlar = PopupMenu1->addMenu(u"Raporlar               "_s);
    addItem(pRaporlar, u"Gelişim Listesi Yazdır        "_s, QString(), &TfrmMain::JvNavPanelButton8Click);
    addItem(pRaporlar, u"Genel Rapor"_s, u"Ctrl+A"_s, nullptr);
    addItem(pRaporlar, u"Tümünü Yazdır"_s, u"F4"_s, &TfrmMain::JvNavPanelButton11Click);
    addItem(PopupMenu1, u"Aşı Gir"_s, QString(), &TfrmMain::ReeteGir1Click);
    addItem(PopupMenu1, u"Düzelt"_s, QString(), &TfrmMain::Dzelt1Click);
    addItem(PopupMenu1, u"Detay"_s, QString(), &TfrmMain::Detay1Click);

    // The upper panel's boxes hand their context menu to the panel, as the history grid does.
    for (QWidget* widget : ui->upperPanel->findChildren<QWidget*>())
        widget->setContextMenuPolicy(Qt::NoContextMenu);
    for (QWidget* area : { ui->upperPanel, static_cast<QWidget*>(ui->muqueryGrid1) }) {
        area->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(area, &QWidget::customContextMenuRequested, this, [this, area](const QPoint& pos) {
            const QWidget* origin = area == ui->muqueryGrid1 ? ui->muqueryGrid1->viewport() : area;
            PopupMenu1->popup(origin->mapToGlobal(pos));
        });
    }
}

// --- helpers ----------------------------------------------------------------------------

QString TfrmMain::currentChildCode() const
{
    const DataSet* registry = screens().ozluk->sicilTable;
    if (!registry->Active())
        return ui->JvDBSearchComboBox1->currentText();
    return registry->FieldByName(u"hasta_kodu"_s)->AsString();
}

bool TfrmMain::leavePendingVisit()
{
    if (!muayeneTable->hasPendingChanges())
        return true;
    if (!Messages::question(Messages::kayitEdilmedenCikilsinmi))
        return false;
    muayeneTable->Cancel();
    return true;
}

bool TfrmMain::leaveChangedVisit()
{
    if (!muayeneTable->Modified())
        return true;
    if (!Messages::question(Messages::kayitEdilmedenCikilsinmi))
        return false;
    muayeneTable->Cancel();
    return true;
}

void TfrmMain::showCount()
{
    ui->Label31->setText(u"Bilgi Giriş Sayısı: "_s + QString::number(muayeneRQuery->RecordCount()));
}

void TfrmMain::followChild()
{
    const QString code = currentChildCode();
    VisitQueries::showChildHistory(muayeneRQuery, code);
    m_historyFollowsChild = true;
    m_followedCode = code;
}

// The header shows another child (or the registry opened or closed): the history follows.
void TfrmMain::onChildCodeShown()
{
    if (!m_wired)
        return;
    const QString code = currentChildCode();
    if (m_historyFollowsChild && code == m_followedCode)
        return;
    JvDotNetDBEdit4Change();
}

void TfrmMain::onVisitFieldChanged(int fieldIndex)
{
    // A date typed into the date box reaches the field as the box is left: the age follows it.
    if (m_fillingVisit || fieldIndex != muayeneTable->FieldByName(u"tarih"_s)->index())
        return;
    JvDotNetDBEdit22Exit();
}

bool TfrmMain::inPopupArea(const QWidget* widget) const
{
    if (!widget)
        return false;
    const QWidget* grid = ui->muqueryGrid1;
    return widget == ui->upperPanel || ui->upperPanel->isAncestorOf(widget) || widget == grid
        || grid->isAncestorOf(widget);
}

int TfrmMain::sortFlag() const
{
    return m_sortFlag;
}

int TfrmMain::historyToolTipTime() const
{
    return m_toolTipTime;
}

// --- visit recording --------------------------------------------------------------------

void TfrmMain::startVisit()
{
    wireScreens();
    ui->yasneedit->clear();
    DataSet* registry = screens().ozluk->sicilTable;
    DataSet* list = screens().sicrapor->sicrapQuery;
    if (!list->Active())
        list->Open();
    if (!registry->Active())
        registry->Open();
    if (!muayeneTable->Active())
        muayeneTable->Open();
    // Without a child there is nobody to record a visit for.
    if (registry->IsEmpty()) {
        followChild();
        return;
    }
    muayeneTable->Append();
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    const QDateTime when(ui->JvDateTimePicker1->date(), QTime(time.hour(), time.minute(), time.second()));
    ui->JvDateTimePicker1->setDateTime(when);
    const QString code = registry->FieldByName(u"hasta_kodu"_s)->AsString();
    {
        m_fillingVisit = true;
        struct Reset {
            bool& flag;
            ~Reset()
            {
                flag = false;
            }
        } reset { m_fillingVisit };
        const Age age = VisitQueries::fillNewVisit(muayeneTable, when, code, birthDate());
        ui->yasneedit->setText(age.yearText);
    }
    followChild();
    ui->kisinoedit->setText(code);
    ui->FirmaAdiEdit->setText(registry->FieldByName(u"adi"_s)->AsString());
    ui->FirmaAdi2Edit->setText(registry->FieldByName(u"soyadi"_s)->AsString());
    showCount();
}

void TfrmMain::Button1Click()
{
    CommandGuard::run([&] { startVisit(); });
}

void TfrmMain::storeVisit()
{
    wireScreens();
    // Text still being typed into a box counts as typed.
    if (muayeneTable->Active())
        muayeneTable->UpdateRecord();
    if (!muayeneTable->Modified())
        return;
    muayeneTable->FieldByName(u"hastakodu"_s)->setAsString(currentChildCode());
    const QDateTime when = muayeneTable->FieldByName(u"tarih"_s)->AsDateTime();
    if (when > Field::nullDate() && isEditing(muayeneTable)) {
        muayeneTable->FieldByName(u"doktoru"_s)->setAsString(VisitQueries::doctorName(screens().sifrelerF->sifreTable));
        muayeneTable->Post();
    } else {
        muayeneTable->Cancel();
    }
    followChild();
    showCount();
}

void TfrmMain::Button2Click()
{
    CommandGuard::run([&] { storeVisit(); });
}

void TfrmMain::JvXPButton3Click()
{
    CommandGuard::run([&] {
        muayeneTable->Cancel();
        muayeneRQuery->Close();
        muayeneRQuery->Open();
    });
}

void TfrmMain::silButClick()
{
    CommandGuard::run([&] {
        if (!leavePendingVisit())
            return;
        if (!muayeneRQuery->Active() || muayeneRQuery->IsEmpty() || !muayeneTable->Active())
            return;
        const QString date = muayeneRQuery->FieldByName(u"tarih"_s)->AsDateTime().toString(u"dd.MM.yyyy"_s);
        if (Messages::ask(u"Seçili \""_s + date + u"\" tarihli kaydı silmek istediğinize eminmisiniz?"_s)
            == Messages::Answer::No)
            return;
        if (Messages::ask(u"Bu kaydı silerseniz tekrar ulaşmanız mümkün olmayacaktır! Silme işlemini durdurmak "
                          u"istermisiniz?"_s)
            == Messages::Answer::Yes)
            return;
        const QVariant mid = muayeneRQuery->FieldByName(u"mid"_s)->Value();
        // Only the visit chosen in the history is ever deleted.
        if (!muayeneTable->Locate(u"mid"_s, mid, {}))
            return;
        muayeneTable->Delete();
        muayeneRQuery->Close();
        muayeneRQuery->Open();
    });
}

void TfrmMain::correctSelected(bool ask)
{
    if (ask && !leavePendingVisit())
        return;
    if (!muayeneTable->Active())
        return;
    const QVariant mid = muayeneRQuery->Active() && !muayeneRQuery->IsEmpty()
        ? muayeneRQuery->FieldByName(u"mid"_s)->Value()
        : QVariant();
    const bool found = mid.isValid() && muayeneTable->Locate(u"mid"_s, mid, {});
    // A visit the history does not show here is not opened in its place.
    if (!found && !muayeneTable->IsEmpty())
        return;
    muayeneTable->Edit();
}

void TfrmMain::JvNavPanelButton10Click()
{
    CommandGuard::run([&] { correctSelected(true); });
}

void TfrmMain::Dzelt1Click()
{
    CommandGuard::run([&] { correctSelected(false); });
}

void TfrmMain::JvDotNetDBEdit22Exit()
{
    CommandGuard::run([&] {
        if (!isEditing(muayeneTable))
            return;
        const QDate reference = muayeneTable->FieldByName(u"tarih"_s)->AsDateTime().date();
        const Age age = AgeCalculator::compute(birthDate(), reference);
        muayeneTable->FieldByName(u"yas"_s)->setAsFloat(age.value);
        ui->yasneedit->setText(age.yearText);
    });
}

void TfrmMain::muqueryGrid1TitleClick(int column)
{
    Q_UNUSED(column);
    CommandGuard::run([&] {
        wireScreens();
        const bool ascending = m_sortFlag == 0;
        m_sortFlag = ascending ? 1 : 0;
        const QString code = currentChildCode();
        VisitQueries::showChildHistory(muayeneRQuery, code, ascending);
        m_historyFollowsChild = true;
        m_followedCode = code;
    });
}

void TfrmMain::applyRowHeight(int height)
{
    ui->muqueryGrid1->verticalHeader()->setDefaultSectionSize(height);
}

void TfrmMain::applyBoxHeights()
{
    if (ui->CheckBox1->isChecked())
        applyRowHeight(41);
    else if (ui->CheckBox2->isChecked())
        applyRowHeight(61);
    else
        applyRowHeight(17);
}

void TfrmMain::CheckBox1Click()
{
    CommandGuard::run([&] {
        if (ui->CheckBox1->isChecked())
            ui->CheckBox2->setChecked(false);
        applyBoxHeights();
    });
}

void TfrmMain::CheckBox1Exit()
{
    CommandGuard::run([&] { applyBoxHeights(); });
}

void TfrmMain::CheckBox2Click()
{
    CommandGuard::run([&] {
        if (ui->CheckBox2->isChecked())
            ui->CheckBox1->setChecked(false);
        applyBoxHeights();
    });
}

void TfrmMain::CheckBox2Exit()
{
    CommandGuard::run([&] { applyBoxHeights(); });
}

void TfrmMain::muqueryGrid1MouseMove()
{
    CommandGuard::run([&] {
        DBGrid* grid = ui->muqueryGrid1;
        grid->setToolTip(QString());
        const Field* field = grid->selectedField();
        if (!field || !isTextColumn(field->FieldName()) || !muayeneRQuery->Active() || muayeneRQuery->IsEmpty())
            return;
        const QString text = muayeneRQuery->FieldByName(field->FieldName())->AsString();
        if (text.isEmpty())
            return;
        grid->setToolTip(text);
        m_toolTipTime = 30000;
        grid->setToolTipDuration(m_toolTipTime);
    });
}

void TfrmMain::Detay1Click()
{
    muqueryGrid1MouseMove();
}

void TfrmMain::muqueryGrid1Exit()
{
    m_toolTipTime = 5000;
    ui->muqueryGrid1->setToolTipDuration(m_toolTipTime);
}

// --- child lookup -----------------------------------------------------------------------

void TfrmMain::JvNavPanelButton9Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!leaveChangedVisit())
            return;
        DataSet* registry = screens().ozluk->sicilTable;
        if (!registry->Active())
            registry->Open();
        const QString code = ui->kisinoedit->text();
        if (!code.isEmpty()) {
            if (registry->Locate(u"hasta_kodu"_s, code, {})) {
                WaitWindow wait(waitUpdating);
                Button1Click();
                return;
            }
            if (Messages::question(u"Bu kodla kayıtlı protokol bulunamadı! Listeden aramak istermisiniz?"_s)) {
                WaitWindow wait(waitUpdating);
                SicilSorgu1Click();
                return;
            }
        } else if (!ui->FirmaAdiEdit->text().isEmpty() && ui->FirmaAdi2Edit->text().isEmpty()) {
            Messages::plain(u"En azından soyadının bir harfini girmelisiniz!"_s);
        }
        const QString firstName = ui->FirmaAdiEdit->text();
        const QString surname = ui->FirmaAdi2Edit->text();
        if (firstName.isEmpty() || surname.isEmpty()) {
            screens().hazirlaF->hideMessage();
            return;
        }
        if (VisitQueries::locateByNameBeginnings(registry, firstName, surname)) {
            WaitWindow wait(waitUpdating);
            Button1Click();
            return;
        }
        const Messages::Answer answer = Messages::askYesNoCancel(
            u"Lumeko Fidanizi"_s, u"Bu ad ve soyadla kayıt bulunamadı! Açmak istermisiniz?"_s);
        if (answer == Messages::Answer::Yes) {
            {
                WaitWindow wait(waitUpdating);
                screens().ozluk->JvXPButton3Click();
                if (isEditing(registry)) {
                    registry->FieldByName(u"adi"_s)->setAsString(firstName);
                    registry->FieldByName(u"soyadi"_s)->setAsString(surname);
                }
            }
            screens().ozluk->show();
            return;
        }
        if (Messages::question(u"Listeden aramak istermisiniz?"_s)) {
            WaitWindow wait(waitUpdating);
            SicilSorgu1Click();
        }
        screens().hazirlaF->hideMessage();
    });
}

void TfrmMain::SicilSorgu1Click()
{
    CommandGuard::run([&] {
        wireScreens();
        DataSet* registry = screens().ozluk->sicilTable;
        if (isEditing(registry))
            registry->Cancel();
        if (!leaveChangedVisit())
            return;
        muayeneTable->Cancel();
        screens().listeAcan = u"muayene"_s;
        DataSet* list = screens().sicrapor->sicrapQuery;
        list->Close();
        list->setFiltered(false);
        list->Open();
        if (list->IsEmpty()) {
            if (!registry->Active())
                registry->Open();
            screens().ozluk->show();
            registry->Append();
            registry->FieldByName(u"hasta_kodu"_s)->setAsString(u"1"_s);
        } else {
            screens().sicrapor->show();
        }
    });
}

void TfrmMain::JvXPButton4Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!leavePendingVisit())
            return;
        SicilSorgu1Click();
        if (screens().listeAcan != u"muayene"_s)
            return; // the list could not be opened
        if (screens().sicrapor->sicrapQuery->IsEmpty()) {
            // The child record screen came up for the first child: it hands back itself once
            // it is closed, enabling this screen and starting a visit for the child saved.
            screens().listeAcan.clear();
            screens().ozlukAcan = u"muayene"_s;
        }
        setEnabled(false);
    });
}

void TfrmMain::JvDotNetDBEdit4Change()
{
    CommandGuard::run([&] {
        wireScreens();
        followChild();
    });
}

// --- other screens ----------------------------------------------------------------------

void TfrmMain::HastaSicillemleri1Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!leavePendingVisit())
            return;
        DataSet* registry = screens().ozluk->sicilTable;
        if (!registry->Active())
            registry->Open();
        screens().ozluk->show();
        screens().ozlukAcan = u"muayene"_s;
        setEnabled(false);
    });
}

void TfrmMain::graphButClick()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!muayeneTable->Active()) {
            Messages::plain(u"Gelişim grafiği görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
            return;
        }
        if (!leavePendingVisit())
            return;
        screens().ChartF->show();
        screens().ChartF->BitBtn2Click();
        setEnabled(false);
    });
}

void TfrmMain::ReeteGir1Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!muayeneTable->Active()) {
            Messages::plain(u"Aşıları görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
            return;
        }
        const Age age = AgeCalculator::compute(birthDate(), visitDate());
        screens().asilarF->showForChild(age.vaccineText, TasilarF::Entry::New);
    });
}

void TfrmMain::JvXPButton10Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!muayeneTable->Active()) {
            Messages::plain(u"Tetkikleri görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
            return;
        }
        if (!leavePendingVisit())
            return;
        screens().tetkikgirisF->openResults();
    });
}

void TfrmMain::JvXPButton11Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!muayeneTable->Active()) {
            Messages::plain(u"Reçete görebilmek için en az bir çocuk kaydı seçilmelidir!"_s);
            return;
        }
        if (!leavePendingVisit())
            return;
        screens().receteF->openLines();
    });
}

bool TfrmMain::saveVisitFirst()
{
    if (!muayeneTable->Active() || !isEditing(muayeneTable))
        return true;
    if (Messages::ask(Messages::muayeneKayitEtmelisiniz) != Messages::Answer::Yes)
        return false;
    storeVisit();
    return true;
}

bool TfrmMain::visitForDetailRow()
{
    if (!saveVisitFirst())
        return false;
    // A row without a visit would be stored under none and never be listed again.
    return muayeneRQuery->Active() && !muayeneRQuery->IsEmpty();
}

void TfrmMain::tfXPButton1Click()
{
    CommandGuard::run([&] { screens().yardimF->showTopic(u"ymuayene"_s); });
}

void TfrmMain::k1Click()
{
    CommandGuard::run([&] {
        if (!leavePendingVisit())
            return;
        screens().hazirlaF->showMessage(u"BEKLEYİN DOSYALAR KAPATILIYOR..."_s);
        screens().hazirlaF->hideMessage();
        screens().PasswordDlg->close();
    });
}

// Shows the current child's change history (Ctrl+G).
void TfrmMain::gecmisClick()
{
    CommandGuard::run([&] { screens().gecmisF->showChild(); });
}

bool TfrmMain::FormHide()
{
    hide();
    bool stored = true;
    if (muayeneTable->hasPendingChanges()) {
        if (Messages::question(Messages::kayitEdilsinmi))
            stored = CommandGuard::run([&] { storeVisit(); });
        else
            muayeneTable->Cancel();
    }
    // A visit that could not be stored is not given up with the program: the screen stays.
    if (!stored) {
        show();
        return false;
    }
    screens().PasswordDlg->close();
    return true;
}

// --- printing ---------------------------------------------------------------------------

// Prints visit card A of the current visit as it stands.
void TfrmMain::JvXPButton8Click()
{
    CommandGuard::run([&] {
        wireScreens();
        TReport::Preview(
            u"muayene_kart_a"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s, ReportBindings(u"frmMain"_s));
    });
}

// Prints visit card B of the current visit as it stands.
void TfrmMain::JvXPButton9Click()
{
    CommandGuard::run([&] {
        wireScreens();
        TReport::Preview(
            u"muayene_kart_b"_s, u"Lumeko Rapor Önizleme - Hasta Takip Kartları"_s, ReportBindings(u"frmMain"_s));
    });
}

// Prints the child's visit history as a landscape list, after the leaving question.
void TfrmMain::JvNavPanelButton8Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!leavePendingVisit())
            return;
        TReport::Preview(u"muayene_liste_yatay"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
            ReportBindings(u"frmMain"_s).bind(u"frDBDataSet1"_s, muayeneRSource));
    });
}

// Prints the child's visit history as a portrait list (F4), after the leaving question.
void TfrmMain::JvNavPanelButton11Click()
{
    CommandGuard::run([&] {
        wireScreens();
        if (!leavePendingVisit())
            return;
        TReport::Preview(u"muayene_liste_dikey"_s, u"Lumeko Rapor Önizleme - Protokol Takip Kartları"_s,
            ReportBindings(u"frmMain"_s).bind(u"frDBDataSet1"_s, muayeneRSource));
    });
}

// --- events -----------------------------------------------------------------------------

bool TfrmMain::screenKey(QKeyEvent* event)
{
    if (EditKeys::isEnter(event)) {
        // FormKeyPress: Enter steps through the controls, the grid's columns, or makes a new line.
        return EditKeys::enterKey(keyTarget(), EditKeys::EnterRules { true, true });
    }
    if (isMenuOnlyKey(event))
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_G) {
        gecmisClick();
        return true;
    }
    if (modifiers != Qt::NoModifier)
        return false;
    switch (event->key()) {
    case Qt::Key_F2:
        Button2Click();
        return true;
    case Qt::Key_F3:
        JvXPButton3Click();
        return true;
    case Qt::Key_F4:
        if (!inPopupArea(keyTarget()))
            return false;
        JvNavPanelButton11Click();
        return true;
    case Qt::Key_F5:
        JvXPButton4Click();
        return true;
    case Qt::Key_F6:
    case Qt::Key_F7:
        return true;
    case Qt::Key_F8:
        ReeteGir1Click();
        return true;
    case Qt::Key_F9:
        graphButClick();
        return true;
    case Qt::Key_F10:
        k1Click();
        return true;
    case Qt::Key_F11:
        HastaSicillemleri1Click();
        return true;
    default:
        return false;
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The Ctrl keys follow a Ctrl press that the base class has just seen, which it can take for
    // the same key travelling up; they are caught here before it looks.
    if (type == QEvent::KeyPress && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this
        && isMenuOnlyKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (type == QEvent::MouseButtonDblClick && m_openListOnDoubleClick.contains(watched)) {
        SicilSorgu1Click();
        return true;
    }
    if (type == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool leaving = reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
        // A changed date reaches the field as the box is left and the age follows it there;
        // an unchanged one is recomputed here.
        if (leaving && watched == ui->JvDotNetDBEdit22 && !ui->JvDotNetDBEdit22->isModified())
            JvDotNetDBEdit22Exit();
        else if (leaving && watched == ui->CheckBox1)
            CheckBox1Exit();
        else if (leaving && watched == ui->CheckBox2)
            CheckBox2Exit();
        else if (leaving && watched == ui->muqueryGrid1)
            muqueryGrid1Exit();
    }
    if (watched == ui->muqueryGrid1->viewport()) {
        if (type == QEvent::MouseMove) {
            muqueryGrid1MouseMove();
        } else if (type == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            DBGrid* grid = ui->muqueryGrid1;
            if (grid->toolTip().isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), grid->toolTip(), grid, QRect(), m_toolTipTime);
            return true;
        }
    }
    return TScreen::eventFilter(watched, event);
}

void TfrmMain::entrySplitterMoved()
{
    // Keeps the division between the entry area and the history for the next start.
    QSettings settings(TPasswordDlg::settingsFile(), QSettings::IniFormat);
    settings.setValue(divisionKey, ui->entrySplitter->saveState());
}

void TfrmMain::showEvent(QShowEvent* event)
{
    wireScreens();
    TScreen::showEvent(event);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (FormHide())
        event->accept();
    else
        event->ignore();
}

// --- growth assessment ------------------------------------------------------------------

namespace {

// A number as typed into a box: Turkish decimal comma, or a point; NaN for anything else.
double typedNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    double value = TurkishText::locale().toDouble(trimmed, &ok);
    if (!ok)
        value = trimmed.toDouble(&ok);
    return ok ? value : std::nan("");
}

double storedNumber(const Field* field)
{
    return field->IsNull() ? std::nan("") : field->AsFloat();
}

const QString flaggedStyle = u"color: #c62828; font-weight: bold;"_s;
const QString overweightStyle = u"color: #e65100; font-weight: bold;"_s;

QString styleOf(VisitGrowth::Flag flag)
{
    switch (flag) {
    case VisitGrowth::Flag::None:
        return {};
    case VisitGrowth::Flag::Overweight:
        return overweightStyle;
    default:
        return flaggedStyle;
    }
}

} // namespace

void TfrmMain::setUpGrowthTexts()
{
    const auto label = [this](const char16_t* name) {
        auto* l = new QLabel(ui->upperPanel);
        l->setObjectName(QString::fromUtf16(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    };
    auto* percentiles = new QHBoxLayout;
    percentiles->setSpacing(ui->olcuLayout->spacing());
    for (auto [under, name] : { std::pair { &m_growthLabels.weight, u"kiloPLabel" },
             std::pair { &m_growthLabels.height, u"boyPLabel" }, std::pair { &m_growthLabels.head, u"bascPLabel" } }) {
        *under = label(name);
        (*under)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        percentiles->addWidget(*under, 1);
    }
    ui->entryLeftLayout->addLayout(percentiles, 3, 1);

    auto* second = new QHBoxLayout;
    second->setSpacing(12);
    second->addWidget(m_growthLabels.bmi = label(u"vkiLabel"));
    second->addWidget(m_growthLabels.targetHeight = label(u"hedefBoyLabel"));
    second->addStretch(1);
    ui->entryLeftLayout->addLayout(second, 4, 1);

    // The warnings take the width the entry area has and wrap there, rather than widen it.
    QLabel* warning = m_growthLabels.warning = label(u"growthWarningLabel");
    warning->setStyleSheet(flaggedStyle);
    warning->setWordWrap(true);
    warning->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->entryLeftLayout->addWidget(warning, 5, 0, 1, 2);

    ui->yasLayout->addWidget(m_growthLabels.correctedAge = label(u"duzeltilmisYasLabel"));

    setUpGrowthColumns();

    for (DBEdit* box : { ui->kiloDBEdit, ui->boyDBEdit, ui->bascDBEdit, ui->JvDotNetDBEdit22 })
        connect(box, &QLineEdit::textChanged, this, &TfrmMain::updateGrowthTexts);
    connect(muayeneTable, &DataSet::currentChanged, this, &TfrmMain::updateGrowthTexts);
    connect(muayeneTable, &DataSet::stateChanged, this, &TfrmMain::updateGrowthTexts);
    connect(muayeneRQuery, &DataSet::dataReset, this, &TfrmMain::updateGrowthTexts);
}

void TfrmMain::updateGrowthTexts()
{
    CommandGuard::run([&] {
        const DataSet* sicil = screens().ozluk ? screens().ozluk->sicilTable : nullptr;
        const auto show = [](QLabel* l, const QString& text, VisitGrowth::Flag flag) {
            l->setText(text);
            l->setStyleSheet(styleOf(flag));
        };
        const GrowthLabels& labels = m_growthLabels;
        if (!sicil || !sicil->Active()) {
            for (QLabel* l : { labels.weight, labels.height, labels.head, labels.bmi, labels.targetHeight,
                     labels.warning, labels.correctedAge })
                l->clear();
            return;
        }

        VisitGrowth::Input in;
        in.standard = GrowthSettings::standard();
        in.sex = GrowthAssessment::sexOf(sicil->FieldByName(u"cinsiyeti"_s)->AsString());
        const Field* birth = sicil->FieldByName(u"dogumtarihi"_s);
        in.birth = birth->IsNull() ? QDate() : birth->AsDateTime().date();
        in.gestationalWeeks = sicil->FieldByName(u"dogumhaftasi"_s)->AsInteger();
        const Field* tarih = muayeneTable->Active() ? muayeneTable->FieldByName(u"tarih"_s) : nullptr;
        in.visit = tarih && !tarih->IsNull() ? tarih->AsDateTime().date() : visitDate();
        in.weight = typedNumber(ui->kiloDBEdit->text());
        in.height = typedNumber(ui->boyDBEdit->text());
        in.head = typedNumber(ui->bascDBEdit->text());

        // The child's latest visit before this day that has a weight.
        if (muayeneRQuery->Active() && muayeneRQuery->rowCount() > 0) {
            const int tarihIndex = muayeneRQuery->FieldByName(u"tarih"_s)->index();
            const int kiloIndex = muayeneRQuery->FieldByName(u"kilo"_s)->index();
            for (int row = 0; row < muayeneRQuery->rowCount(); ++row) {
                const QVariant when = muayeneRQuery->rawValueAt(row, tarihIndex);
                const QVariant weight = muayeneRQuery->rawValueAt(row, kiloIndex);
                if (when.isNull() || weight.isNull() || weight.toDouble() <= 0)
                    continue;
                const QDate day = ValueFormats::readStoredDate(when.toString()).date();
                if (day.isValid() && day < in.visit && (!in.previousVisit.isValid() || day > in.previousVisit)) {
                    in.previousVisit = day;
                    in.previousWeight = weight.toDouble();
                }
            }
        }

        const VisitGrowth growth(in);
        show(labels.weight, VisitGrowth::readOut(growth.weight()), growth.weightFlag());
        show(labels.height, VisitGrowth::readOut(growth.height()), growth.heightFlag());
        show(labels.head, VisitGrowth::readOut(growth.head()), growth.headFlag());
        show(labels.bmi, growth.bmiText(), growth.bmiFlag());
        const QString corrected = CorrectedAge::text(in.gestationalWeeks, in.birth, in.visit);
        show(labels.correctedAge, corrected.isEmpty() ? QString() : u"Düzeltilmiş yaş: "_s + corrected,
            VisitGrowth::Flag::None);
        const TargetHeight target = TargetHeight::of(
            in.sex, storedNumber(sicil->FieldByName(u"anneboy"_s)), storedNumber(sicil->FieldByName(u"bababoy"_s)));
        const QLocale turkish = TurkishText::locale();
        show(labels.targetHeight,
            target.isValid() ? u"Hedef boy: %1 cm (%2–%3)"_s.arg(turkish.toString(target.centre, 'f', 1),
                turkish.toString(target.low(), 'f', 1), turkish.toString(target.high(), 'f', 1))
                             : QString(),
            VisitGrowth::Flag::None);
        labels.warning->setText(growth.warnings().join(u"; "_s));
    });
}

// The history's percentile and BMI columns, calculated for each visit from its own date and
// measurements; hidden at first, offered by the history's column chooser with the others.
void TfrmMain::setUpGrowthColumns()
{
    struct GrowthColumn {
        const char16_t* field;
        const char16_t* title;
        int measure; // 0 weight, 1 height, 2 head, 3 BMI
    };
    static constexpr GrowthColumn columns[] = {
        { u"kiloP", u"Kilo P", 0 },
        { u"boyP", u"Boy P", 1 },
        { u"bascP", u"Baş P", 2 },
        { u"vki", u"VKİ", 3 },
    };
    DBGrid* grid = ui->muqueryGrid1;
    QStringList names = grid->columns();
    QStringList hidden { u"mid"_s };
    for (const GrowthColumn& column : columns) {
        const int measure = column.measure;
        muayeneRQuery->addCalculatedField(
            QString::fromUtf16(column.field), FieldType::WideString, [measure](const DataSet& visits, int row) {
                const DataSet* sicil = screens().ozluk ? screens().ozluk->sicilTable : nullptr;
                if (!sicil || !sicil->Active())
                    return QVariant();
                const auto number = [&](const char16_t* name) {
                    const QVariant v = visits.rawValueAt(row, visits.FieldByName(QString::fromUtf16(name))->index());
                    return v.isNull() || !v.isValid() ? std::nan("") : v.toDouble();
                };
                const QVariant tarih = visits.rawValueAt(row, visits.FieldByName(u"tarih"_s)->index());
                VisitGrowth::Input in;
                in.standard = GrowthSettings::standard();
                in.sex = GrowthAssessment::sexOf(sicil->FieldByName(u"cinsiyeti"_s)->AsString());
                const Field* birth = sicil->FieldByName(u"dogumtarihi"_s);
                in.birth = birth->IsNull() ? QDate() : birth->AsDateTime().date();
                in.gestationalWeeks = sicil->FieldByName(u"dogumhaftasi"_s)->AsInteger();
                in.visit = tarih.isNull() ? QDate() : ValueFormats::readStoredDate(tarih.toString()).date();
                in.weight = number(u"kilo");
                in.height = number(u"boy");
                in.head = number(u"basc");
                const VisitGrowth growth(in);
                const GrowthResult* results[] = { &growth.weight(), &growth.height(), &growth.head() };
                if (measure < 3)
                    return QVariant(GrowthAssessment::percentileText(results[measure]->percentile));
                return std::isnan(growth.bmiValue())
                    ? QVariant()
                    : QVariant(TurkishText::locale().toString(growth.bmiValue(), 'f', 1));
            });
        names.append(QString::fromUtf16(column.field));
        hidden.append(QString::fromUtf16(column.title));
    }
    // The history's own columns keep the widths they were given.
    QList<int> widths;
    for (int i = 0; i < grid->columns().size(); ++i)
        widths.append(grid->columnWidth(i));
    grid->setColumns(names);
    for (int i = 0; i < widths.size(); ++i)
        grid->setColumnWidth(i, widths.at(i));
    for (const GrowthColumn& column : columns) {
        grid->setColumnTitle(QString::fromUtf16(column.field), QString::fromUtf16(column.title));
        grid->setColumnWidth(grid->columnOf(QString::fromUtf16(column.field)), 50);
    }
    ColumnChooser::attach(grid, ColumnChooser::Texts::Gosterilecek, hidden);
}
