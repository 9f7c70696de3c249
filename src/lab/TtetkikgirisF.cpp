#include "TtetkikgirisF.h"

#include "ui_TtetkikgirisF.h"

#include "ColumnChooser.h"
#include "CommandGuard.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "Field.h"
#include "FieldChecks.h"
#include "Messages.h"
#include "ReportBindings.h"
#include "Screens.h"
#include "TReport.h"
#include "TTetkikF.h"
#include "TfrmMain.h"
#include "Tozluk.h"

#include <QHeaderView>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

const QString deleteRowQuestion = u"Seçili kaydı silmek istediğinize eminmisiniz?"_s;
// The grid's own Ctrl+Delete asks the toolkit's question.
const QString gridDeleteQuestion = u"Delete record?"_s;
const QString emptyType = u"Boş"_s;
const QStringList gridColumns = { u"tur"_s, u"tetkikalt"_s, u"tetkikust"_s, u"tetkiksonucu"_s, u"aciklama"_s };

bool isEditing(const DataSet* dataSet)
{
    return dataSet->Active() && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

} // namespace

TtetkikgirisF::TtetkikgirisF()
    : ui(new Ui::TtetkikgirisF)
    , labTable(new DataSet(u"labTable"_s, this))
    , labSource(new DataSource(u"labSource"_s, labTable, this))
{
    setObjectName(u"tetkikgirisF"_s);
    ui->setupUi(this);

    labTable->setTableName(u"laboratuar"_s);
    labTable->setIndexFieldNames(u"muayeneno"_s);
    labTable->BeforeInsert = [this](DataSet& dataSet) { labTableBeforeInsert(dataSet); };
    labTable->BeforePost = [this](DataSet& dataSet) { labTableBeforePost(dataSet); };

    // The grid: editable, its cell editor always open, the type chosen from the catalogue.
    DBGrid* grid = ui->JvDBUltimGrid1;
    grid->setDataSource(labSource);
    grid->setColumns(gridColumns);
    grid->setColumnTitle(u"tur"_s, u"Tetkik Türü"_s);
    grid->setColumnTitle(u"tetkikalt"_s, u"Tetkik Alt"_s);
    grid->setColumnTitle(u"tetkikust"_s, u"Tetkik Üst"_s);
    grid->setColumnTitle(u"tetkiksonucu"_s, u"Tetkik Sonucu"_s);
    grid->setColumnTitle(u"aciklama"_s, u"Açıklama"_s);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->applyColumnWidths();
    ColumnChooser::attach(grid, ColumnChooser::Texts::Gosterlecek);
    const auto openLater
        = [this] { QMetaObject::invokeMethod(this, &TtetkikgirisF::openCellEditor, Qt::QueuedConnection); };
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, openLater);
    connect(grid->model(), &QAbstractItemModel::modelReset, this, openLater);
    connect(grid->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, openLater);
    // Insert and Ctrl+Delete reach the grid's commands also from its open cell editor.
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);

    ui->DBMemo1->setDataSource(labSource);
    ui->DBMemo1->setDataField(u"detay"_s);

    auto guarded = [this](void (TtetkikgirisF::*handler)()) {
        return [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); };
    };
    connect(ui->OKBtn, &QPushButton::clicked, this, guarded(&TtetkikgirisF::OKBtnClick));
    connect(ui->JvNavPanelButton1, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvNavPanelButton1Click));
    connect(ui->JvXPButton2, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvXPButton2Click));
    connect(ui->JvNavPanelButton4, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvNavPanelButton4Click));
    connect(ui->JvNavPanelButton6, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvNavPanelButton6Click));
    connect(ui->JvNavPanelButton9, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvNavPanelButton9Click));
    connect(ui->JvXPButton6, &QPushButton::clicked, this, guarded(&TtetkikgirisF::JvXPButton6Click));
}

TtetkikgirisF::~TtetkikgirisF() = default;

void TtetkikgirisF::openResults()
{
    follow();
    show();
    activateWindow();
    // The looked-up columns read the catalogue.
    DataSet* types = screens().TetkikF->tetkikTTable;
    if (!types->Active())
        types->Open();
    if (!labTable->Active())
        labTable->Open();
    showVisit();
}

void TtetkikgirisF::OKBtnClick()
{
    // Stores the row being typed.
    if (isEditing(labTable))
        labTable->Post();
}

void TtetkikgirisF::JvNavPanelButton1Click()
{
    // Asks to store the visit first when it is being edited, then starts a row in the grid.
    if (!labTable->Active() || !screens().frmMain->saveVisitFirst())
        return;
    labTable->Append();
    ui->JvDBUltimGrid1->setFocus(Qt::OtherFocusReason);
    openCellEditor();
}

void TtetkikgirisF::JvXPButton2Click()
{
    // Drops the row being typed.
    if (isEditing(labTable))
        labTable->Cancel();
}

void TtetkikgirisF::JvNavPanelButton4Click()
{
    // Deletes the current row after the visit's unsaved changes are given up and after one question.
    if (!labTable->Active() || labTable->IsEmpty())
        return;
    DataSet* visit = screens().frmMain->muayeneTable;
    if (visit->Active() && visit->Modified()) {
        if (Messages::ask(Messages::kayitEdilmedenCikilsinmi) != Messages::Answer::Yes)
            return;
        visit->Cancel();
    }
    if (!Messages::question(deleteRowQuestion))
        return;
    gridDelete();
}

void TtetkikgirisF::JvNavPanelButton6Click()
{
    // Shows the preview of the selected visit's results.
    TReport::Preview(u"laboratuar"_s, u"Lumeko Rapor Önizleme - Laboratuar Takip Kartları"_s,
        ReportBindings(u"tetkikgirisF"_s).bind(u"labTable"_s, labSource));
}

void TtetkikgirisF::JvNavPanelButton9Click()
{
    // Asks to store the visit first when it is being edited, then opens the catalogue beside.
    if (!screens().frmMain->saveVisitFirst())
        return;
    screens().TetkikF->showCatalogue();
}

void TtetkikgirisF::JvXPButton6Click()
{
    // Stores a pending row without asking, then hides the screen.
    if (isEditing(labTable))
        labTable->Post();
    hide();
}

void TtetkikgirisF::labTableBeforeInsert(DataSet& /*dataSet*/)
{
    if (!screens().frmMain->visitForDetailRow())
        throw CommandGuard::Abort();
}

void TtetkikgirisF::labTableBeforePost(DataSet& /*dataSet*/)
{
    const DataSet* visit = screens().frmMain->muayeneTable;
    if (visit->Active())
        labTable->FieldByName(u"hastakodu"_s)->setAsString(visit->FieldByName(u"hastakodu"_s)->AsString());
    Field* type = labTable->FieldByName(u"tetkikturu"_s);
    if (type->AsString().isEmpty())
        type->setAsString(emptyType);
    FieldChecks::fitsLength(labTable->FieldByName(u"tetkiksonucu"_s), u"Tetkik Sonucu"_s);
    FieldChecks::fitsLength(labTable->FieldByName(u"aciklama"_s), u"Açıklama"_s);
    FieldChecks::fitsLength(labTable->FieldByName(u"detay"_s), u"Tetkik Detay"_s);
}

bool TtetkikgirisF::gridKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Insert && modifiers == Qt::NoModifier) {
        // Insert starts a new row, through the same questions as the button.
        CommandGuard::run([&] { gridInsert(); });
        return true;
    }
    if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier) {
        // Ctrl+Delete deletes the current row after the grid's own question.
        CommandGuard::run([&] {
            if (labTable->Active() && !labTable->IsEmpty() && Messages::question(gridDeleteQuestion))
                gridDelete();
        });
        return true;
    }
    return false;
}

void TtetkikgirisF::showEvent(QShowEvent* event)
{
    TScreen::showEvent(event);
    follow();
    showVisit();
}

bool TtetkikgirisF::eventFilter(QObject* watched, QEvent* event)
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    // Back in the grid, its cell editor opens again.
    if (watched == grid && event->type() == QEvent::FocusIn)
        QMetaObject::invokeMethod(this, &TtetkikgirisF::openCellEditor, Qt::QueuedConnection);
    // Every cell editor passes its keys by the grid's commands first.
    if (watched == grid->viewport() && event->type() == QEvent::ChildAdded) {
        if (QObject* editor = static_cast<QChildEvent*>(event)->child(); editor->isWidgetType())
            editor->installEventFilter(this);
    }
    if (event->type() == QEvent::KeyPress && watched != grid->viewport() && gridKey(static_cast<QKeyEvent*>(event)))
        return true;
    return TScreen::eventFilter(watched, event);
}

// Keeps the screen's texts and looked-up columns in step with the other screens.
void TtetkikgirisF::follow()
{
    if (m_following || !screens().frmMain)
        return;
    m_following = true;
    // The looked-up columns exist once the screens are wired.
    DBGrid* grid = ui->JvDBUltimGrid1;
    grid->setColumns(gridColumns);
    grid->applyColumnWidths();
    // The remark takes the rest of the row instead of a width of 100 characters.
    grid->setColumnWidth(grid->columnOf(u"aciklama"_s), 360);
    for (DataSource* source : { screens().ozluk->sicilSource, screens().frmMain->muayeneRSource }) {
        connect(source, &DataSource::currentChanged, this, &TtetkikgirisF::showVisit);
        connect(source, &DataSource::dataReset, this, &TtetkikgirisF::showVisit);
        connect(source, &DataSource::fieldChanged, this, &TtetkikgirisF::showVisit);
    }
    DataSource* types = screens().TetkikF->tetkikSource;
    connect(types, &DataSource::dataReset, this, &TtetkikgirisF::catalogueChanged);
    connect(types, &DataSource::rowInserted, this, &TtetkikgirisF::catalogueChanged);
    connect(types, &DataSource::rowRemoved, this, &TtetkikgirisF::catalogueChanged);
    connect(types, &DataSource::rowUpdated, this, &TtetkikgirisF::catalogueChanged);
}

// The child's names and the date of the selected visit.
void TtetkikgirisF::showVisit()
{
    const DataSet* child = screens().ozluk->sicilTable;
    const bool childShown = child->Active() && child->currentRow() >= 0;
    ui->adiLabel->setText(childShown ? child->FieldByName(u"adi"_s)->AsString() : QString());
    ui->soyadiLabel->setText(childShown ? child->FieldByName(u"soyadi"_s)->AsString() : QString());
    const DataSet* history = screens().frmMain->muayeneRQuery;
    const Field* date = history->Active() && !history->IsEmpty() ? history->FieldByName(u"tarih"_s) : nullptr;
    ui->tarihLabel->setText(date && !date->IsNull() ? date->AsDateTime().toString(u"dd.MM.yyyy"_s) : QString());
}

// The grid always shows the editor of its current cell while it has the focus.
void TtetkikgirisF::openCellEditor()
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    const QModelIndex current = grid->currentIndex();
    if (!grid->isVisible() || !grid->hasFocus() || grid->indexWidget(current))
        return;
    if (current.isValid() && (current.flags() & Qt::ItemIsEditable))
        grid->edit(current);
}

// A type saved, added or deleted in the catalogue shows at once in the looked-up columns, and
// an open list of types is built anew.
void TtetkikgirisF::catalogueChanged()
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    if (QWidget* editor = grid->indexWidget(grid->currentIndex());
        editor && grid->dataSetModel()->fieldAt(grid->currentIndex().column())->kind() == FieldKind::fkLookup)
        Q_EMIT grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    grid->viewport()->update();
}

void TtetkikgirisF::gridInsert()
{
    if (labTable->Active())
        labTable->Append();
}

void TtetkikgirisF::gridDelete()
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    // Text still in the cell editor belongs to the row that goes: close it without writing.
    if (QWidget* editor = grid->indexWidget(grid->currentIndex()))
        Q_EMIT grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    labTable->Delete();
}
