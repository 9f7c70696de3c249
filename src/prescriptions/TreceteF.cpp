#include "TreceteF.h"

#include "ui_TreceteF.h"

#include "ColumnChooser.h"
#include "CommandGuard.h"
#include "DataSet.h"
#include "DataSource.h"
#include "DeleteConfirm.h"
#include "Field.h"
#include "FieldChecks.h"
#include "Messages.h"
#include "ReportBindings.h"
#include "Screens.h"
#include "TReport.h"
#include "TfrmMain.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace {

const QString deleteLineQuestion = u"Seçili kaydı silmek istediğinize eminmisiniz?"_s;

} // namespace

TreceteF::TreceteF()
    : ui(new Ui::TreceteF)
    , recTable(new DataSet(u"recTable"_s, this))
    , recSource(new DataSource(u"recSource"_s, recTable, this))
{
    setObjectName(u"receteF"_s);
    ui->setupUi(this);

    recTable->setTableName(u"recete"_s);
    recTable->setIndexFieldNames(u"muayeneno"_s);
    recTable->BeforeInsert = [this](DataSet& dataSet) { recTableBeforeInsert(dataSet); };
    recTable->BeforePost = [this](DataSet& dataSet) { recTableBeforePost(dataSet); };

    // The grid: read-only until the first line is started; rows and titles 20 high.
    DBGrid* grid = ui->JvDBUltimGrid2;
    grid->setDataSource(recSource);
    grid->setColumns({ u"ilackodu"_s, u"ilacadi"_s, u"doz"_s, u"sure"_s });
    grid->setColumnTitle(u"ilackodu"_s, u"İlaç Kodu"_s);
    grid->setColumnTitle(u"ilacadi"_s, u"İlaç Adı"_s);
    grid->setColumnTitle(u"doz"_s, u"Doz"_s);
    grid->setColumnTitle(u"sure"_s, u"Süre"_s);
    grid->setReadOnly(true);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setFixedHeight(20);
    grid->applyColumnWidths();
    ColumnChooser::attach(grid, ColumnChooser::Texts::Gosterlecek);
    // Insert in the grid starts a line also from its open cell editor.
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);

    auto guarded = [this](void (TreceteF::*handler)()) {
        return [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); };
    };
    connect(ui->JvNavPanelButton7, &QPushButton::clicked, this, guarded(&TreceteF::JvNavPanelButton7Click));
    connect(ui->JvNavPanelButton5, &QPushButton::clicked, this, guarded(&TreceteF::JvNavPanelButton5Click));
    connect(ui->JvNavPanelButton2, &QPushButton::clicked, this, guarded(&TreceteF::JvNavPanelButton2Click));

    // The keys the captions name, while this screen has the focus.
    const std::pair<QKeySequence, void (TreceteF::*)()> keys[] = {
        { QKeySequence(Qt::Key_F7), &TreceteF::JvNavPanelButton2Click },
        { QKeySequence(Qt::CTRL | Qt::Key_R), &TreceteF::JvNavPanelButton7Click },
    };
    for (const auto& [key, handler] : keys) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, guarded(handler));
    }
}

TreceteF::~TreceteF() = default;

void TreceteF::openLines()
{
    show();
    activateWindow();
    if (!recTable->Active())
        recTable->Open();
}

void TreceteF::JvNavPanelButton7Click()
{
    // Shows the preview of the selected visit's lines.
    TReport::Preview(u"recete"_s, u"Lumeko Rapor Önizleme - Reçete Takip Kartları"_s,
        ReportBindings(u"receteF"_s).bind(u"frDBDataSet2"_s, recSource));
}

void TreceteF::JvNavPanelButton5Click()
{
    // Deletes the selected line after the visit's unsaved changes are given up and after one question.
    DataSet* visit = screens().frmMain->muayeneTable;
    if (visit->Active() && visit->Modified()) {
        if (Messages::ask(Messages::kayitEdilmedenCikilsinmi) != Messages::Answer::Yes)
            return;
        visit->Cancel();
    }
    if (!DeleteConfirm::once(deleteLineQuestion))
        return;
    DBGrid* grid = ui->JvDBUltimGrid2;
    // Text still in the cell editor belongs to the line that goes: close it without writing.
    if (QWidget* editor = grid->indexWidget(grid->currentIndex()))
        Q_EMIT grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    recTable->Delete();
}

void TreceteF::JvNavPanelButton2Click()
{
    // Asks to store the visit first when it is being edited, then starts a line in the grid.
    if (!recTable->Active() || !screens().frmMain->saveVisitFirst())
        return;
    recTable->Append();
    ui->JvDBUltimGrid2->setFocus(Qt::OtherFocusReason);
}

void TreceteF::recTableBeforeInsert(DataSet& /*dataSet*/)
{
    if (!screens().frmMain->visitForDetailRow())
        throw CommandGuard::Abort();
    makeEditable();
}

void TreceteF::recTableBeforePost(DataSet& /*dataSet*/)
{
    const DataSet* visit = screens().frmMain->muayeneTable;
    if (visit->Active())
        recTable->FieldByName(u"hastakodu"_s)->setAsString(visit->FieldByName(u"hastakodu"_s)->AsString());
    FieldChecks::fitsLength(recTable->FieldByName(u"ilackodu"_s), u"İlaç Kodu"_s);
    FieldChecks::fitsLength(recTable->FieldByName(u"ilacadi"_s), u"İlaç Adı"_s);
    FieldChecks::smallInteger(recTable->FieldByName(u"doz"_s), u"Doz"_s);
    FieldChecks::smallInteger(recTable->FieldByName(u"sure"_s), u"Süre"_s);
}

bool TreceteF::eventFilter(QObject* watched, QEvent* event)
{
    DBGrid* grid = ui->JvDBUltimGrid2;
    if (watched == grid->viewport() && event->type() == QEvent::ChildAdded) {
        if (QObject* editor = static_cast<QChildEvent*>(event)->child(); editor->isWidgetType())
            editor->installEventFilter(this);
    }
    if (event->type() == QEvent::KeyPress && watched != grid->viewport() && gridKey(static_cast<QKeyEvent*>(event)))
        return true;
    return TScreen::eventFilter(watched, event);
}

bool TreceteF::gridKey(QKeyEvent* event)
{
    if (ui->JvDBUltimGrid2->isReadOnly())
        return false;
    if (event->key() == Qt::Key_Insert && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Insert starts a new line, through the save-the-visit-first rule.
        CommandGuard::run([&] {
            if (recTable->Active())
                recTable->Append();
        });
        return true;
    }
    return false;
}

// The grid stays editable for the rest of the run once a line has been started.
void TreceteF::makeEditable()
{
    ui->JvDBUltimGrid2->setReadOnly(false);
}
