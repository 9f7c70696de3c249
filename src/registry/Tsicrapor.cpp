#include "Tsicrapor.h"

#include "ui_Tsicrapor.h"

#include "ColumnChooser.h"
#include "CommandGuard.h"
#include "CommandProgress.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "EditKeys.h"
#include "Field.h"
#include "FileOpener.h"
#include "HelpButton.h"
#include "Messages.h"
#include "RegistryExport.h"
#include "RegistrySearch.h"
#include "ReportBindings.h"
#include "Screens.h"
#include "TReport.h"
#include "TfrmMain.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TurkishText.h"

#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>

using namespace Qt::StringLiterals;

namespace {

const QString gridTitles[] = {
    u"Çocuk No"_s,
    u"Adı"_s,
    u"Soyadı"_s,
    u"Cinsiyeti"_s,
    u"Doğum Tarihi"_s,
    u"Doğum Şekli"_s,
    u"Doğum Hastahane"_s,
    u"Kan Grubu"_s,
    u"Anne Adı"_s,
    u"Baba Adı"_s,
    u"Mesleği"_s,
    u"Sosyal Güv.Kur."_s,
    u"Ev Telefonu"_s,
    u"İş Telefonu"_s,
    u"Cep Telefonu"_s,
    u"Özgeçmiş"_s,
    u"Soygeçmiş"_s,
};

} // namespace

Tsicrapor::Tsicrapor()
    : ui(new Ui::Tsicrapor)
    , sicrapQuery(new DataSet(u"sicrapQuery"_s, this))
    , sicilrapSource(new DataSource(u"sicilrapSource"_s, sicrapQuery, this))
{
    setObjectName(u"sicrapor"_s);
    ui->setupUi(this);
    setPlacement(Placement::Maximised);
    setSeesKeysFirst(true);

    sicrapQuery->setSQL(RegistrySearch::initialStatement());
    Field* dogumtarihi = sicrapQuery->FieldByName(u"dogumtarihi"_s);
    dogumtarihi->DisplayFormat = u"dd.mm.yyyy"_s;
    dogumtarihi->EditMask = u"!99/99/0000;1;_"_s;
    for (const QString& phone : { u"evtel"_s, u"istel"_s, u"ceptel"_s, u"fax"_s })
        sicrapQuery->FieldByName(phone)->EditMask = u"(000) 000 00 00;0;*"_s;

    // The grid: read-only, titles act as buttons, long texts wrap.
    DBGrid* grid = ui->bolumgrid;
    grid->setDataSource(sicilrapSource);
    grid->setColumns(RegistrySearch::gridFields());
    for (int i = 0; i < RegistrySearch::gridFields().size(); ++i)
        grid->setColumnTitle(RegistrySearch::gridFields().at(i), gridTitles[i]);
    grid->setReadOnly(true);
    grid->setWordWrap(true);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->applyColumnWidths();

    auto* panel1 = new QLabel(ui->StatusBar1);
    auto* panel2 = new QLabel(ui->StatusBar1);
    auto* panel3 = new QLabel(u"  F4 Yazdır - F5 Yeni Arama - F6 Ara  -  F8 Seç - F10 Kapat"_s, ui->StatusBar1);
    panel3->setObjectName(u"StatusBar1Panel3"_s);
    ui->StatusBar1->addWidget(panel1);
    ui->StatusBar1->addWidget(panel2);
    ui->StatusBar1->addWidget(panel3, 1);

    HelpButton::setUp(ui->tfXPButton1);
    EditKeys::installWordCapitals(ui->JvDotNetEdit3);
    ColumnChooser::attach(grid, ColumnChooser::Texts::Gosterilecek);
    buildMenu();

    auto guarded = [](void (Tsicrapor::*handler)(), Tsicrapor* self) {
        return [handler, self] { CommandGuard::run([&] { (self->*handler)(); }); };
    };
    connect(ui->araButton, &QPushButton::clicked, this, guarded(&Tsicrapor::araButtonClick, this));
    connect(ui->yeniBut, &QPushButton::clicked, this, guarded(&Tsicrapor::yeniButClick, this));
    connect(ui->JvXPButton2, &QPushButton::clicked, this, guarded(&Tsicrapor::JvXPButton2Click, this));
    connect(ui->secBut, &QPushButton::clicked, this, guarded(&Tsicrapor::bolumgridDblClick, this));
    connect(ui->yazBut, &QPushButton::clicked, this, guarded(&Tsicrapor::yazButClick, this));
    connect(ui->kapatBut, &QPushButton::clicked, this, guarded(&Tsicrapor::kapatButClick, this));
    connect(ui->Excel, &QPushButton::clicked, this, guarded(&Tsicrapor::ExcelClick, this));
    connect(ui->tfXPButton1, &QToolButton::clicked, this, guarded(&Tsicrapor::tfXPButton1Click, this));
    connect(grid, &QAbstractItemView::doubleClicked, this, guarded(&Tsicrapor::bolumgridDblClick, this));
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this](int column) { CommandGuard::run([&] { bolumgridTitleClick(column); }); });
}

Tsicrapor::~Tsicrapor() = default;

void Tsicrapor::buildMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    struct Entry {
        QString text;
        Qt::Key key;
        void (Tsicrapor::*handler)();
        bool visible;
    };
    const Entry entries[] = {
        { u"Yazdır (Önizleme)"_s, Qt::Key_F4, &Tsicrapor::yazButClick, false },
        { u"Yeni Arama"_s, Qt::Key_F5, &Tsicrapor::yeniButClick, true },
        { u"Ara"_s, Qt::Key_F6, &Tsicrapor::araButtonClick, true },
        { u"Seç"_s, Qt::Key_F8, &Tsicrapor::bolumgridDblClick, true },
        { u"Kapat"_s, Qt::Key_F10, &Tsicrapor::kapatButClick, true },
    };
    for (const Entry& e : entries) {
        QAction* action = m_popupMenu->addAction(e.text);
        // The keys themselves are taken in screenKey, wherever the focus is.
        action->setShortcut(QKeySequence(e.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setVisible(e.visible);
        const auto handler = e.handler;
        connect(action, &QAction::triggered, this, [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); });
    }
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_popupMenu->popup(mapToGlobal(pos)); });
}

bool Tsicrapor::screenKey(QKeyEvent* event)
{
    if (EditKeys::isEnter(event))
        return EditKeys::enterKey(keyTarget(), EditKeys::EnterRules { false, true });
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    void (Tsicrapor::*handler)() = nullptr;
    switch (event->key()) {
    case Qt::Key_F4:
        handler = &Tsicrapor::yazButClick;
        break;
    case Qt::Key_F5:
        handler = &Tsicrapor::yeniButClick;
        break;
    case Qt::Key_F6:
        handler = &Tsicrapor::araButtonClick;
        break;
    case Qt::Key_F8:
        handler = &Tsicrapor::bolumgridDblClick;
        break;
    case Qt::Key_F10:
        handler = &Tsicrapor::kapatButClick;
        break;
    default:
        return false;
    }
    CommandGuard::run([&] { (this->*handler)(); });
    return true;
}

void Tsicrapor::araButtonClick()
{
    // One statement over the indexed fields, in the list's current order.
    QVariantMap binds;
    const QString condition = RegistrySearch::filterCondition(ui->JvDotNetEdit3->text(), binds);
    sicrapQuery->setFiltered(false);
    sicrapQuery->setCondition(condition, binds);
    sicrapQuery->setFiltered(true);
}

void Tsicrapor::yeniButClick()
{
    sicrapQuery->setFiltered(false);
    ui->JvDotNetEdit3->clear();
    araButtonClick();
}

void Tsicrapor::JvXPButton2Click()
{
    sicrapQuery->setFiltered(false);
    const QString text = ui->JvDotNetEdit6->text();
    if (!text.isEmpty())
        siraliara(text);
}

void Tsicrapor::siraliara(const QString& text)
{
    // The grid follows once, at the end, not at every step.
    sicrapQuery->DisableControls();
    try {
        RegistrySearch::siraliara(*sicrapQuery, text);
    } catch (...) {
        sicrapQuery->EnableControls();
        throw;
    }
    sicrapQuery->EnableControls();
}

void Tsicrapor::bolumgridTitleClick(int column)
{
    const Field* field = ui->bolumgrid->dataSetModel()->fieldAt(column);
    if (!field)
        return;
    siraYonu = RegistrySearch::nextDirection(siraYonu);
    const QString statement = RegistrySearch::sortStatement(field->FieldName(), siraYonu);
    sicrapQuery->Close();
    sicrapQuery->setSQL(statement);
    sicrapQuery->Open();
    sicrapQuery->First();
}

void Tsicrapor::bolumgridDblClick()
{
    Screens& s = screens();
    DataSet* sicilTable = s.ozluk->sicilTable;
    if (!sicilTable->Active())
        sicilTable->Open();
    s.hazirlaF->showMessage(u"BEKLEYİN DOSYALAR HAZIRLANIYOR..."_s);
    struct HideWait {
        ~HideWait()
        {
            screens().hazirlaF->hideMessage();
        }
    } hideWait;

    if (sicrapQuery->Active() && !sicrapQuery->IsEmpty()) {
        const QString code = sicrapQuery->FieldByName(u"hasta_kodu"_s)->AsString();
        sicilTable->Locate(u"hasta_kodu"_s, code, LocateOption::loCaseInsensitive);
    }
    if (s.listeAcan == u"muayene"_s) {
        s.frmMain->setEnabled(true);
        s.frmMain->Button1Click();
        s.listeAcan.clear();
        s.hazirlaF->hideMessage();
    }
    hide();
    sicrapQuery->Close();
    sicrapQuery->setFiltered(false);
}

void Tsicrapor::closeSteps()
{
    const QScopedValueRollback<bool> closing(m_closing, true);
    Screens& s = screens();
    ui->JvDotNetEdit3->clear();
    if (s.listeAcan == u"muayene"_s) {
        s.frmMain->setEnabled(true);
        s.frmMain->Button1Click();
        s.listeAcan.clear();
    }
    sicrapQuery->Close();
    sicrapQuery->setFiltered(false);
    hide();
}

void Tsicrapor::kapatButClick()
{
    if (m_closing)
        return;
    closeSteps();
}

void Tsicrapor::hideEvent(QHideEvent* event)
{
    TScreen::hideEvent(event);
    // Every hiding closes the list, not only "Kapat" (a minimised window is not hidden).
    if (event->spontaneous() || m_closing)
        return;
    CommandGuard::run([&] { closeSteps(); });
}

void Tsicrapor::yazButClick()
{
    // The rows as the grid shows them: in the current order and through the current filter.
    TReport::Preview(u"sicrapor_liste"_s, u"Lumeko Rapor Önizleme - Çocuk Sicil Kartları"_s,
        ReportBindings(u"sicrapor"_s).bind(u"sicrapQuery"_s, sicrapQuery));
}

void Tsicrapor::ExcelClick()
{
    if (m_exporting)
        return;
    const QScopedValueRollback<bool> exporting(m_exporting, true);
    const auto failed
        = [](const QString& systemText) { Messages::error(u"Excel açılamadı. Sistem Mesajı: "_s + systemText); };
    if (!sicrapQuery->Active())
        sicrapQuery->Open();

    // A new workbook in the temporary folder, opened in the desktop's spreadsheet program.
    QString error;
    const QString path = RegistryExport::reserveFile(QDir::tempPath(), QDateTime::currentDateTime(), &error);
    if (path.isEmpty()) {
        failed(error);
        return;
    }
    RegistryExport exporter(*sicrapQuery);
    RegistryExport::Outcome outcome = RegistryExport::Outcome::Failed;
    {
        CommandProgress progress(
            this, u"Çocuk sicil listesi Excel dosyasına yazılıyor...\n%1 / %2 çocuk"_s, sicrapQuery->rowCount());
        outcome = exporter.write(path, [&progress](int written) { return progress.step(written); });
    }
    if (outcome == RegistryExport::Outcome::Cancelled)
        return;
    if (outcome == RegistryExport::Outcome::Failed) {
        failed(exporter.error());
        return;
    }
    if (!FileOpener::open(path, &error))
        failed(error + u" Dosya burada: "_s + QDir::toNativeSeparators(path));
    if (exporter.textsCut() > 0)
        Messages::information(
            u"%1 metin bir hücrenin alabileceği %2 karakterden uzun olduğu için kısaltıldı; "
            u"sonlarında \"%3\" yazar."_s.arg(TurkishText::locale().toString(exporter.textsCut()),
                TurkishText::locale().toString(RegistryExport::maxCellText), RegistryExport::cutMark));
}

void Tsicrapor::tfXPButton1Click()
{
    HelpButton::open(u"yprotliste"_s);
}

void Tsicrapor::eskikod()
{
    sicrapQuery->setSQL(RegistrySearch::defaultStatement());
}
