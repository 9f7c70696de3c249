#include "TasilarF.h"

#include "ui_TasilarF.h"

#include "CommandGuard.h"
#include "DataSet.h"
#include "DataSource.h"
#include "DeleteConfirm.h"
#include "EditKeys.h"
#include "Field.h"
#include "HelpButton.h"
#include "Messages.h"
#include "ReportBindings.h"
#include "Screens.h"
#include "TReport.h"
#include "Tozluk.h"
#include "WriteBatch.h"

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScopedValueRollback>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const QString previewTitle = u"Lumeko Rapor Önizleme - Aşı Takip Kartları"_s;
const QString listStatement = u"select * FROM asitakip where hkodu=:hkodu ORDER BY asiadi,tarih ASC"_s;
const QString stopDeleteQuestion
    = u"Bu kaydı silerseniz tekrar ulaşmanız mümkün olmayacaktır! Silme işlemini durdurmak istermisiniz?"_s;
const QString stopCardDeleteQuestion
    = u"Bu işlem sonucu silinen kayda tekrar ulaşmanız mümkün olmayacaktır. İşlemi kesmek istermisiniz?"_s;
const QString alreadyOnCard = u"Bu aşı daha önceden eklenmiş!"_s;
const QString emptyList = u"Listede seçili bir aşı kaydı yok!"_s;
const QString recordGone = u"Seçili aşı kaydı bulunamadı; başka bir bilgisayarda silinmiş olabilir!"_s;

// The layouts of the option group "  Yazdırma Seçenekleri  ", by option.
const QString optionLayouts[] = {
    u"asi_liste"_s,
    u"asi_tek_tur"_s,
    u"asi_kart_secili"_s,
    u"asi_kart_giris"_s,
    u"asi_liste_sabit"_s,
};

} // namespace

TasilarF::TasilarF()
    : ui(new Ui::TasilarF)
    , asiturTable(new DataSet(u"asiturTable"_s, this))
    , asiturSource(new DataSource(u"asiturSource"_s, asiturTable, this))
    , receTable(new DataSet(u"receTable"_s, this))
    , receSource(new DataSource(u"receSource"_s, receTable, this))
    , asiQuery(new DataSet(u"asiQuery"_s, this))
    , asiSource(new DataSource(u"asiSource"_s, asiQuery, this))
    , asi2Table(new DataSet(u"asi2Table"_s, this))
    , asi2Source(new DataSource(u"asi2Source"_s, asi2Table, this))
{
    setObjectName(u"asilarF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    setSeesKeysFirst(true);

    asiturTable->setTableName(u"asitur"_s);
    asiturTable->setIndexName(u"PrimaryKey"_s);
    // asiturTableBeforePost asks the same question before a catalogue row is stored.
    asiturTable->BeforePost = [this](DataSet& ds) { receTableBeforePost(ds); };

    receTable->setTableName(u"asitakip"_s);
    receTable->setIndexName(u"PrimaryKey"_s);
    Field* receTarih = receTable->FieldByName(u"tarih"_s);
    receTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    receTarih->EditMask = u"!99/99/0000;1;_"_s;
    receTable->addLookupField(u"asilook"_s, 20, u"asiadi"_s, asiturTable, u"asiadi"_s, u"asiadi"_s);
    receTable->BeforePost = [this](DataSet& ds) { receTableBeforePost(ds); };

    asiQuery->setSQL(u"select * FROM asitakip ORDER BY asiadi ASC;"_s);
    asiQuery->OnFilterRecord = [this](DataSet& ds, bool& accept) { asiQueryFilterRecord(ds, accept); };

    asi2Table->setTableName(u"asitakip2"_s);
    asi2Table->setIndexFieldNames(u"hkodu"_s);
    Field* doseTarih = asi2Table->FieldByName(u"tarih"_s);
    doseTarih->DisplayFormat = u"dd.mm.yyyy"_s;
    doseTarih->EditMask = u"!99/99/0000;1;_"_s;
    // The name comes from the catalogue; only the add commands write it.
    asi2Table->FieldByName(u"asiadi"_s)->ReadOnly = true;
    asi2Table->BeforePost = [this](DataSet& ds) { asi2TableBeforePost(ds); };

    // FormCreate: today's date in the "Bugün" box.
    ui->JvDateTimePicker1->setDate(QDate::currentDate());

    ui->DBEdit1->setDataSource(receSource);
    ui->DBEdit1->setDataField(u"tarih"_s);
    ui->DBEdit2->setDataSource(receSource);
    ui->DBEdit2->setDataField(u"asiadi"_s);
    ui->DBMemo1->setDataSource(receSource);
    ui->DBMemo1->setDataField(u"aciklama"_s);
    ui->DBMemo2->setDataSource(receSource);
    ui->DBMemo2->setDataField(u"not"_s);
    ui->DBMemo3->setDataSource(asi2Source);
    ui->DBMemo3->setDataField(u"aciklama"_s);
    ui->DBMemo4->setDataSource(asi2Source);
    ui->DBMemo4->setDataField(u"not"_s);
    setUpGrids();

    m_typeLists[0] = ui->DBLookupListBox1;
    m_typeLists[1] = ui->DBLookupListBox2;
    for (QListWidget* list : m_typeLists) {
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!m_fillingTypes && row >= 0)
                CommandGuard::run([&] { chooseType(row); });
        });
        connect(list, &QListWidget::itemClicked, this,
            [this, list](QListWidgetItem* item) { CommandGuard::run([&] { chooseType(list->row(item)); }); });
    }
    for (auto signal : { &DataSource::dataReset, &DataSource::dataSetChanged })
        connect(asiturSource, signal, this, &TasilarF::fillTypeLists);
    for (auto signal : { &DataSource::rowInserted, &DataSource::rowRemoved, &DataSource::rowUpdated })
        connect(asiturSource, signal, this, &TasilarF::fillTypeLists);
    connect(asiturSource, &DataSource::currentChanged, this, &TasilarF::showCurrentType);

    ui->asiturPanel->hide();
    // JvDBGrid1Exit: the panel goes away as soon as the focus leaves its grid for another control
    // of the screen (a question box over the screen is not leaving it).
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        QWidget* grid = ui->JvDBGrid1;
        auto inGrid = [grid](QWidget* w) { return w && (w == grid || grid->isAncestorOf(w)); };
        if (ui->asiturPanel->isVisible() && inGrid(old) && now && now->window() == this && !inGrid(now))
            ui->asiturPanel->hide();
    });
    ui->CheckBox2->installEventFilter(this);

    auto* panel = new QLabel(
        u"  F4 Yazdır - F5 Sil - F6 Kaydet - F7 Yeni - F8 Vazgeç - F9 Yeni Aşı Türü - F10 Kapat"_s, ui->StatusBar1);
    panel->setObjectName(u"StatusBar1Panel1"_s);
    ui->StatusBar1->addWidget(panel, 1);

    HelpButton::setUp(ui->tfXPButton1);
    HelpButton::setUp(ui->tfXPButton2);
    buildMenu();
    connectButtons();
}

TasilarF::~TasilarF() = default;

void TasilarF::setUpGrids()
{
    auto titles = [](DBGrid* grid, const QList<std::pair<QString, QString>>& columns) {
        QStringList names;
        for (const auto& [field, title] : columns)
            names.append(field);
        grid->setColumns(names);
        for (const auto& [field, title] : columns)
            grid->setColumnTitle(field, title);
        grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
        grid->horizontalHeader()->setSectionsClickable(false);
        grid->applyColumnWidths();
    };

    DBGrid* list = ui->recetegrid;
    list->setDataSource(asiSource);
    titles(list,
        { { u"asiadi"_s, u"Aşı Adı"_s }, { u"tarih"_s, u"Tarih"_s }, { u"aciklama"_s, u"Açıklama"_s },
            { u"not"_s, u"Not"_s } });
    list->setReadOnly(true);
    list->setWordWrap(true);
    list->verticalHeader()->setMinimumSectionSize(17);
    list->verticalHeader()->setDefaultSectionSize(20);
    list->setColumnWidth(list->columnOf(u"aciklama"_s), 360);
    list->horizontalHeader()->setStretchLastSection(true);

    DBGrid* card = ui->JvDBGrid2;
    card->setDataSource(asi2Source);
    titles(card,
        { { u"asiadi"_s, u"Aşı Adı"_s }, { u"doz1"_s, u"Doz 1"_s }, { u"doz2"_s, u"Doz 2"_s },
            { u"doz3"_s, u"Doz 3"_s }, { u"rapel1"_s, u"Rapel 1"_s }, { u"rapel2"_s, u"Rapel 2"_s } });

    DBGrid* catalogue = ui->JvDBGrid1;
    catalogue->setDataSource(asiturSource);
    titles(catalogue,
        { { u"asiadi"_s, u"Aşı Adı"_s }, { u"asiaraligi"_s, u"Aşı Aralığı"_s }, { u"asiadedi"_s, u"Aşı Adedi"_s },
            { u"aciklama"_s, u"Açıklama"_s } });
    catalogue->horizontalHeader()->setStretchLastSection(true);
}

void TasilarF::buildMenu()
{
    struct Entry {
        QString name;
        QString text;
        Qt::Key key;
        void (TasilarF::*handler)();
        bool shown;
    };
    const Entry entries[] = {
        { u"Yazdr1"_s, u"Yazdır (Önizleme)"_s, Qt::Key_F4, &TasilarF::JvXPButton1Click, false },
        { u"AsSil1"_s, u"Aşı Sil"_s, Qt::Key_F5, &TasilarF::silButClick, true },
        { u"Kaydet1"_s, u"Kaydet"_s, Qt::Key_F6, &TasilarF::Button1Click, true },
        { u"Yeni1"_s, u"Yeni"_s, Qt::Key_F7, &TasilarF::baslaButClick, true },
        { u"Vazge1"_s, u"Vazgeç"_s, Qt::Key_F8, &TasilarF::vazButClick, true },
        { u"YeniAsTr1"_s, u"Yeni Aşı Türü"_s, Qt::Key_F9, &TasilarF::yeniasiButClick, true },
        { u"Kapat1"_s, u"Kapat"_s, Qt::Key_F10, &TasilarF::kapatButClick, true },
    };
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    for (const Entry& e : entries) {
        QAction* action = m_popupMenu->addAction(e.text);
        action->setObjectName(e.name);
        action->setVisible(e.shown);
        // The keys themselves are taken in screenKey, wherever the focus is on the screen.
        action->setShortcut(QKeySequence(e.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        const auto handler = e.handler;
        connect(action, &QAction::triggered, this, [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); });
    }
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_popupMenu->popup(mapToGlobal(pos)); });
}

void TasilarF::connectButtons()
{
    const std::pair<QAbstractButton*, void (TasilarF::*)()> buttons[] = {
        { ui->Button1, &TasilarF::Button1Click },
        { ui->baslaBut, &TasilarF::baslaButClick },
        { ui->vazBut, &TasilarF::vazButClick },
        { ui->silBut, &TasilarF::silButClick },
        { ui->kapatBut, &TasilarF::kapatButClick },
        { ui->yeniasiBut, &TasilarF::yeniasiButClick },
        { ui->degistir, &TasilarF::degistirClick },
        { ui->JvXPButton1, &TasilarF::JvXPButton1Click },
        { ui->JvNavPanelButton3, &TasilarF::JvXPButton1Click },
        { ui->JvNavPanelButton2, &TasilarF::silButClick },
        { ui->JvNavPanelButton10, &TasilarF::baslaButClick },
        { ui->JvNavPanelButton8, &TasilarF::JvNavPanelButton8Click },
        { ui->CheckBox2, &TasilarF::CheckBox2Click },
        { ui->tfXPButton1, &TasilarF::tfXPButton1Click },
        { ui->JvXPButton3, &TasilarF::JvXPButton3Click },
        { ui->JvXPButton4, &TasilarF::JvXPButton4Click },
        { ui->JvXPButton5, &TasilarF::yeniasiButClick },
        { ui->tfXPButton2, &TasilarF::tfXPButton1Click },
        { ui->JvNavPanelButton11, &TasilarF::JvNavPanelButton11Click },
        { ui->JvNavPanelButton12, &TasilarF::JvNavPanelButton12Click },
        { ui->JvNavPanelButton1, &TasilarF::JvNavPanelButton1Click },
        { ui->JvNavPanelButton7, &TasilarF::JvNavPanelButton7Click },
        { ui->JvNavPanelButton4, &TasilarF::JvNavPanelButton4Click },
        { ui->JvNavPanelButton9, &TasilarF::JvNavPanelButton9Click },
        { ui->JvNavPanelButton6, &TasilarF::JvNavPanelButton6Click },
    };
    for (const auto& [button, handler] : buttons) {
        const auto h = handler;
        connect(button, &QAbstractButton::clicked, this, [this, h] { CommandGuard::run([&] { (this->*h)(); }); });
    }
}

// --- opening and the child ----------------------------------------------------------------

void TasilarF::showForChild(const QString& ageText, Entry entry)
{
    followChild();
    ui->Label9->setText(ageText);
    ui->Label16->setText(ageText);
    show();
    raise();
    asiturTable->Open();
    receTable->Open();
    asi2Table->Open();
    JvXPButton2Click();
    if (entry == Entry::New)
        receTable->Append();
}

void TasilarF::followChild()
{
    if (m_followingChild)
        return;
    m_followingChild = true;
    DataSource* child = screens().ozluk->sicilSource;
    for (auto signal : { &DataSource::currentChanged, &DataSource::dataReset, &DataSource::dataSetChanged })
        connect(child, signal, this, &TasilarF::showChild);
    connect(child, &DataSource::fieldChanged, this, &TasilarF::showChild);
    showChild();
}

void TasilarF::showChild()
{
    DataSet* child = screens().ozluk->sicilTable;
    const bool active = child->Active() && !child->IsEmpty();
    auto text = [&](const char* field) {
        return active ? child->FieldByName(QString::fromLatin1(field))->DisplayText() : QString();
    };
    for (QLabel* label : { ui->adiText1, ui->adiText2 })
        label->setText(text("adi"));
    for (QLabel* label : { ui->soyadiText1, ui->soyadiText2 })
        label->setText(text("soyadi"));
    for (QLabel* label : { ui->dogumText1, ui->dogumText2 })
        label->setText(text("dogumtarihi"));
}

QString TasilarF::childCode() const
{
    DataSet* child = screens().ozluk->sicilTable;
    if (!child->Active() || child->IsEmpty())
        return {};
    return child->FieldByName(u"hasta_kodu"_s)->AsString();
}

// --- the type lists ----------------------------------------------------------------------

void TasilarF::fillTypeLists()
{
    QStringList names;
    if (asiturTable->Active()) {
        const int column = asiturTable->FieldByName(u"asiadi"_s)->index();
        for (int row = 0; row < asiturTable->rowCount(); ++row)
            names.append(asiturTable->rawValueAt(row, column).toString());
    }
    const QScopedValueRollback<bool> filling(m_fillingTypes, true);
    for (QListWidget* list : m_typeLists) {
        list->clear();
        list->addItems(names);
    }
    showCurrentType();
}

void TasilarF::showCurrentType()
{
    const QScopedValueRollback<bool> filling(m_fillingTypes, true);
    const int row = asiturTable->Active() ? asiturTable->currentRow() : -1;
    for (QListWidget* list : m_typeLists)
        list->setCurrentRow(row < list->count() ? row : -1);
}

void TasilarF::chooseType(int row)
{
    if (!asiturTable->Active() || !receTable->Active() || row < 0 || row >= asiturTable->rowCount())
        return;
    asiturTable->setRecNo(row + 1);
    const QString name = asiturTable->FieldByName(u"asiadi"_s)->AsString();
    if (receTable->State() == dsBrowse)
        receTable->Edit();
    receTable->FieldByName(u"asiadi"_s)->setAsString(name);
}

// --- single vaccinations ("Standart Takip") ----------------------------------------------

void TasilarF::JvXPButton2Click()
{
    // Reads the current child's vaccinations, by name and then date, oldest first.
    asiQuery->Close();
    asiQuery->setSQL(listStatement);
    asiQuery->setParam(u"hkodu"_s, childCode());
    asiQuery->Open();
}

void TasilarF::baslaButClick()
{
    // Begins a new vaccination, with the last description and note when the box is ticked.
    if (!receTable->Active())
        receTable->Open();
    if (!asiturTable->Active())
        asiturTable->Open();
    receTable->Append();
    if (ui->CheckBox1->isChecked()) {
        receTable->FieldByName(u"aciklama"_s)->setAsString(m_lastAciklama);
        receTable->FieldByName(u"not"_s)->setAsString(m_lastNot);
    }
}

void TasilarF::Button1Click()
{
    // Stores the entry for the current child after the question, then reads the list again.
    receTable->FieldByName(u"hkodu"_s)->setAsString(childCode());
    receTable->Post();
    m_lastAciklama = receTable->FieldByName(u"aciklama"_s)->AsString();
    m_lastNot = receTable->FieldByName(u"not"_s)->AsString();
    JvXPButton2Click();
}

void TasilarF::vazButClick()
{
    // Drops the entry being typed.
    receTable->Cancel();
}

void TasilarF::degistirClick()
{
    // Brings the record selected in the list into the entry area for correction.
    if (selectedRecordListed() && locateInEntry())
        receTable->Edit();
}

void TasilarF::silButClick()
{
    // Deletes the record selected in the list after the two questions.
    if (!selectedRecordListed())
        return;
    const QString name = asiQuery->FieldByName(u"asiadi"_s)->AsString();
    if (!DeleteConfirm::twice(
            u"Seçili \"%1\" tarihli adlı aşı kaydını silmek istediğinize eminmisiniz?"_s.arg(name), stopDeleteQuestion))
        return;
    if (!locateInEntry())
        return;
    receTable->Delete();
    asiQuery->Refresh();
}

bool TasilarF::selectedRecordListed()
{
    if (!asiQuery->Active() || asiQuery->IsEmpty()) {
        Messages::plain(emptyList);
        return false;
    }
    // Read again: another workstation may have deleted the record since the list was read.
    const qint64 asid = asiQuery->currentKey();
    asiQuery->Refresh();
    if (asid < 0 || !asiQuery->Locate(u"asid"_s, asid, {})) {
        Messages::plain(recordGone);
        return false;
    }
    return true;
}

bool TasilarF::locateInEntry()
{
    if (!receTable->Active())
        receTable->Open();
    if (!receTable->Locate(u"asid"_s, asiQuery->FieldByName(u"asid"_s)->Value(), {})) {
        Messages::plain(recordGone);
        return false;
    }
    return true;
}

void TasilarF::JvNavPanelButton8Click()
{
    // Reads the list again for the same child.
    asiQuery->Refresh();
}

void TasilarF::CheckBox2Click()
{
    // Taller rows show more of a long description or note.
    ui->recetegrid->verticalHeader()->setDefaultSectionSize(ui->CheckBox2->isChecked() ? 41 : 17);
}

void TasilarF::JvXPButton1Click()
{
    // Prints the layout of the chosen option, with the list held still meanwhile.
    const QList<QRadioButton*> options
        = { ui->RadioButton1, ui->RadioButton2, ui->RadioButton3, ui->RadioButton4, ui->RadioButton5 };
    int option = 0;
    for (int i = 0; i < options.size(); ++i) {
        if (options.at(i)->isChecked())
            option = i;
    }
    if (option == 3 && receTable->Active())
        receTable->UpdateRecord();
    asiQuery->DisableControls();
    CommandGuard::run([&] {
        if (option == 1)
            asiQuery->setFiltered(true);
        TReport::Preview(
            optionLayouts[option], previewTitle, ReportBindings(u"asilarF"_s).bind(u"asiQuery"_s, asiSource));
    });
    asiQuery->EnableControls();
    if (asiQuery->Filtered())
        asiQuery->setFiltered(false);
}

// --- the dose card ("Kartlı Takip") ------------------------------------------------------

void TasilarF::JvXPButton3Click()
{
    // Adds the chosen type to the child's dose card, once.
    if (!asi2Table->Active())
        asi2Table->Open();
    if (!asiturTable->Active() || asiturTable->IsEmpty())
        return;
    const int type = asiturTable->FieldByName(u"asit"_s)->AsInteger();
    const int column = asi2Table->FieldByName(u"asiturid"_s)->index();
    for (int row = 0; row < asi2Table->rowCount(); ++row) {
        if (asi2Table->rawValueAt(row, column).toInt() == type) {
            Messages::plain(alreadyOnCard);
            return;
        }
    }
    addCardRow();
}

void TasilarF::JvXPButton4Click()
{
    // Adds every catalogue type missing from the dose card, in catalogue order.
    if (!asi2Table->Active())
        asi2Table->Open();
    if (!asiturTable->Active())
        asiturTable->Open();
    QSet<int> onCard;
    const int column = asi2Table->FieldByName(u"asiturid"_s)->index();
    for (int row = 0; row < asi2Table->rowCount(); ++row)
        onCard.insert(asi2Table->rawValueAt(row, column).toInt());
    Field* type = asiturTable->FieldByName(u"asit"_s);
    // The rows reach the file together.
    const WriteBatch batch(*asi2Table);
    asiturTable->First();
    for (int i = 0, n = asiturTable->RecordCount(); i < n; ++i) {
        if (!onCard.contains(type->AsInteger())) {
            addCardRow();
            onCard.insert(type->AsInteger());
        }
        asiturTable->Next();
    }
}

void TasilarF::addCardRow()
{
    asi2Table->Append();
    asi2Table->FieldByName(u"hkodu"_s)->setAsString(childCode());
    Field* name = asi2Table->FieldByName(u"asiadi"_s);
    {
        const QScopedValueRollback<bool> writable(name->ReadOnly, false);
        name->setAsString(asiturTable->FieldByName(u"asiadi"_s)->AsString());
    }
    asi2Table->FieldByName(u"asiturid"_s)->setValue(asiturTable->FieldByName(u"asit"_s)->AsInteger());
    asi2Table->Post();
}

void TasilarF::JvNavPanelButton11Click()
{
    // Deletes the current dose card row after the two questions.
    const QString name
        = asi2Table->Active() && !asi2Table->IsEmpty() ? asi2Table->FieldByName(u"asiadi"_s)->AsString() : QString();
    if (!DeleteConfirm::twice(
            u"Seçili \"%1 adlı aşı kaydını silmek istediğinize eminmisiniz?"_s.arg(name), stopCardDeleteQuestion))
        return;
    asi2Table->Delete();
}

void TasilarF::JvNavPanelButton12Click()
{
    // Prints the child's dose card.
    TReport::Preview(u"asi_doz_karti"_s, previewTitle, ReportBindings(u"asilarF"_s).bind(u"asi2Table"_s, asi2Source));
}

// --- the catalogue panel ------------------------------------------------------------------

void TasilarF::yeniasiButClick()
{
    // Shows the catalogue panel with the focus in its grid.
    if (!asiturTable->Active())
        asiturTable->Open();
    ui->asiturPanel->show();
    ui->JvDBGrid1->setFocus(Qt::OtherFocusReason);
}

void TasilarF::JvNavPanelButton1Click()
{
    // Appends an empty catalogue row to be typed in the grid.
    if (!asiturTable->Active())
        asiturTable->Open();
    asiturTable->Append();
    ui->JvDBGrid1->setFocus(Qt::OtherFocusReason);
}

void TasilarF::JvNavPanelButton7Click()
{
    // Stores the catalogue row, through the question.
    asiturTable->Post();
}

void TasilarF::JvNavPanelButton4Click()
{
    // Deletes the current catalogue row after the two questions.
    const QString name = asiturTable->Active() && !asiturTable->IsEmpty()
        ? asiturTable->FieldByName(u"asiadi"_s)->AsString()
        : QString();
    if (!DeleteConfirm::twice(
            u"Seçili \"%1\" adlı aşı türü kaydını silmek istediğinize eminmisiniz?"_s.arg(name), stopDeleteQuestion))
        return;
    asiturTable->Delete();
}

void TasilarF::JvNavPanelButton9Click()
{
    // Reads the catalogue again.
    asiturTable->Refresh();
}

void TasilarF::JvNavPanelButton6Click()
{
    // Prints the catalogue.
    TReport::Preview(u"asi_turleri"_s, previewTitle, ReportBindings(u"asilarF"_s).bind(u"asiturTable"_s, asiturSource));
}

// --- both tabs ----------------------------------------------------------------------------

void TasilarF::kapatButClick()
{
    // Hides the screen; what is pending is dropped as it goes.
    hide();
}

void TasilarF::tfXPButton1Click()
{
    // Shows the vaccine help topic.
    HelpButton::open(u"yasikart"_s);
}

void TasilarF::FormHide()
{
    for (DataSet* ds : { receTable, asiturTable, asi2Table }) {
        if (ds->Active() && ds->hasPendingChanges())
            ds->Cancel();
    }
}

void TasilarF::hideEvent(QHideEvent* event)
{
    // FormHide: a minimised window is not hidden.
    TScreen::hideEvent(event);
    if (!event->spontaneous())
        CommandGuard::run([&] { FormHide(); });
}

bool TasilarF::eventFilter(QObject* watched, QEvent* event)
{
    // CheckBox2Exit: the row height follows the box again when it is left.
    if (watched == ui->CheckBox2 && event->type() == QEvent::FocusOut)
        CheckBox2Click();
    return TScreen::eventFilter(watched, event);
}

bool TasilarF::screenKey(QKeyEvent* event)
{
    // FormKeyPress: Enter steps through the controls and the grids' columns, or makes a new line.
    if (EditKeys::isEnter(event))
        return EditKeys::enterKey(keyTarget(), EditKeys::EnterRules { true, true });
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    void (TasilarF::*handler)() = nullptr;
    switch (event->key()) {
    case Qt::Key_F4:
        handler = &TasilarF::JvXPButton1Click;
        break;
    case Qt::Key_F5:
        handler = &TasilarF::silButClick;
        break;
    case Qt::Key_F6:
        handler = &TasilarF::Button1Click;
        break;
    case Qt::Key_F7:
        handler = &TasilarF::baslaButClick;
        break;
    case Qt::Key_F8:
        handler = &TasilarF::vazButClick;
        break;
    case Qt::Key_F9:
        handler = &TasilarF::yeniasiButClick;
        break;
    case Qt::Key_F10:
        handler = &TasilarF::kapatButClick;
        break;
    default:
        return false;
    }
    CommandGuard::run([&] { (this->*handler)(); });
    return true;
}

// --- hooks ----------------------------------------------------------------------------------

void TasilarF::receTableBeforePost(DataSet& dataSet)
{
    // Asks before a vaccination (or a catalogue row) is stored; anything but Yes drops it.
    if (!Messages::question(Messages::kayitEdilsinmi))
        dataSet.Cancel();
}

void TasilarF::asi2TableBeforePost(DataSet& dataSet)
{
    // A dose card row always belongs to the current child.
    dataSet.FieldByName(u"hkodu"_s)->setAsString(childCode());
}

void TasilarF::asiQueryFilterRecord(DataSet& dataSet, bool& accept)
{
    // For the one-vaccine list: the records of the entry record's vaccine, the whole name alike.
    accept = dataSet.FieldByName(u"asiadi"_s)->AsString() == receTable->FieldByName(u"asiadi"_s)->AsString();
}
