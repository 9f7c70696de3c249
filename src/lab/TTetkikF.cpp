#include "TTetkikF.h"

#include "ui_TTetkikF.h"

#include "CommandGuard.h"
#include "DataSet.h"
#include "DataSource.h"
#include "DeleteConfirm.h"
#include "EditKeys.h"
#include "MenuKeys.h"
#include "Messages.h"
#include "ReportBindings.h"
#include "TReport.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

const QString deleteQuestion = u"Bilgileri silmek istediğinize eminmisiniz?"_s;
// "kayıtlaraulaşmanız" is one word on purpose: the users know the question in this form.
const QString stopDeleteQuestion = u"Silme işlemi ile birlikte daha önceki kayıtlaraulaşmanız mümkün olmayacaktır. "
                                   u"Silme işlemini kesmek istermisiniz?"_s;

} // namespace

TTetkikF::TTetkikF()
    : ui(new Ui::TTetkikF)
    , tetkikTTable(new DataSet(u"tetkikTTable"_s, this))
    , tetkikSource(new DataSource(u"tetkikSource"_s, tetkikTTable, this))
{
    setObjectName(u"TetkikF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);

    tetkikTTable->setTableName(u"laborana"_s);

    const std::pair<DBEdit*, QString> boxes[]
        = { { ui->DBEdit1, u"tetkikturu"_s }, { ui->DBEdit2, u"normaldegalt"_s }, { ui->DBEdit3, u"normaldegust"_s } };
    for (const auto& [edit, field] : boxes) {
        edit->setDataSource(tetkikSource);
        edit->setDataField(field);
    }
    ui->DBMemo1->setDataSource(tetkikSource);
    ui->DBMemo1->setDataField(u"aciklama"_s);
    lockBoxes(true, true);

    // The grid: read-only, long texts wrap, titles do nothing when clicked.
    DBGrid* grid = ui->recetegrid;
    grid->setDataSource(tetkikSource);
    grid->setColumns({ u"tetkikturu"_s, u"normaldegalt"_s, u"normaldegust"_s, u"aciklama"_s });
    grid->setColumnTitle(u"tetkikturu"_s, u"Tetkik Türü"_s);
    grid->setColumnTitle(u"normaldegalt"_s, u"Normal Değer Alt"_s);
    grid->setColumnTitle(u"normaldegust"_s, u"Normal Değer Üst"_s);
    grid->setColumnTitle(u"aciklama"_s, u"Açıklama"_s);
    grid->setReadOnly(true);
    grid->setWordWrap(true);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->applyColumnWidths();
    // The remark is 255 characters long; it wraps in a column of its own width instead.
    grid->setColumnWidth(grid->columnOf(u"aciklama"_s), 360);

    auto* panel1 = new QLabel(ui->StatusBar1);
    auto* panel2 = new QLabel(ui->StatusBar1);
    auto* panel3 = new QLabel(u"  F2 Kaydet - F3 Yeni - F4 Yazdır - F5 Sil - F6 Vazgeç - F10 Kapat"_s, ui->StatusBar1);
    panel3->setObjectName(u"StatusBar1Panel3"_s);
    ui->StatusBar1->addWidget(panel1);
    ui->StatusBar1->addWidget(panel2);
    ui->StatusBar1->addWidget(panel3, 1);

    buildMenu();
    // FormKeyPress is the key handler of every control that takes the focus.
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->focusPolicy() != Qt::NoFocus)
            control->installEventFilter(this);
    }

    auto guarded = [](void (TTetkikF::*handler)(), TTetkikF* self) {
        return [handler, self] { CommandGuard::run([&] { (self->*handler)(); }); };
    };
    connect(ui->baslaBut, &QPushButton::clicked, this, guarded(&TTetkikF::baslaButClick, this));
    connect(ui->Button1, &QPushButton::clicked, this, guarded(&TTetkikF::Button1Click, this));
    connect(ui->vazBut, &QPushButton::clicked, this, guarded(&TTetkikF::vazButClick, this));
    connect(ui->silBut, &QPushButton::clicked, this, guarded(&TTetkikF::silButClick, this));
    connect(ui->duzBut, &QPushButton::clicked, this, guarded(&TTetkikF::duzButClick, this));
    connect(ui->kapatBut, &QPushButton::clicked, this, guarded(&TTetkikF::KapatF101Click, this));
    connect(ui->JvXPButton1, &QPushButton::clicked, this, guarded(&TTetkikF::JvXPButton1Click, this));
}

TTetkikF::~TTetkikF() = default;

void TTetkikF::buildMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    struct Entry {
        QString name;
        QString text;
        Qt::Key key;
        void (TTetkikF::*handler)();
    };
    // The entry "Vazgeç" runs the command of the button "Düzelt", as the users know it.
    const Entry entries[] = {
        { u"Kaydet1"_s, u"Kaydet"_s, Qt::Key_F2, &TTetkikF::Button1Click },
        { u"Yeni1"_s, u"Yeni"_s, Qt::Key_F3, &TTetkikF::baslaButClick },
        { u"Yazdr1"_s, u"Yazdır"_s, Qt::Key_F4, &TTetkikF::JvXPButton1Click },
        { u"Sil1"_s, u"Sil"_s, Qt::Key_F5, &TTetkikF::silButClick },
        { u"Vazge1"_s, u"Vazgeç"_s, Qt::Key_F6, &TTetkikF::duzButClick },
        { u"KapatF101"_s, u"Kapat"_s, Qt::Key_F10, &TTetkikF::KapatF101Click },
    };
    for (const Entry& e : entries) {
        QAction* action = m_popupMenu->addAction(e.text);
        action->setObjectName(e.name);
        action->setShortcut(QKeySequence(e.key));
        const auto handler = e.handler;
        connect(action, &QAction::triggered, this, [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); });
        // The key works anywhere on the screen, not only in the open menu.
        MenuKeys::carry(this, action);
    }
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_popupMenu->popup(mapToGlobal(pos)); });
}

bool TTetkikF::eventFilter(QObject* watched, QEvent* event)
{
    // FormKeyPress: Enter steps through the controls, the remark box included; in the grid it
    // steps through the columns.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* control = static_cast<QWidget*>(watched);
        if (control->window() == this && EditKeys::isEnter(static_cast<QKeyEvent*>(event)))
            return EditKeys::enterKey(control, EditKeys::EnterRules { false, true });
    }
    return TScreen::eventFilter(watched, event);
}

void TTetkikF::lockBoxes(bool nameLocked, bool othersLocked)
{
    ui->DBEdit1->setReadOnly(nameLocked);
    ui->DBEdit2->setReadOnly(othersLocked);
    ui->DBEdit3->setReadOnly(othersLocked);
    ui->DBMemo1->setReadOnly(othersLocked);
}

void TTetkikF::showCatalogue()
{
    if (!tetkikTTable->Active())
        tetkikTTable->Open();
    show();
    activateWindow();
}

void TTetkikF::baslaButClick()
{
    // Starts a new test type at the end and opens all four boxes for it.
    tetkikTTable->Append();
    lockBoxes(false, false);
    ui->DBEdit1->setFocus(Qt::OtherFocusReason);
}

void TTetkikF::Button1Click()
{
    // Stores the record after asking, and locks the boxes.
    if (Messages::ask(Messages::kayitEtmekEminmisiniz) != Messages::Answer::Yes)
        return;
    tetkikTTable->Post();
    lockBoxes(true, true);
}

void TTetkikF::vazButClick()
{
    // Drops the pending change without asking, and locks the boxes.
    tetkikTTable->Cancel();
    lockBoxes(true, true);
}

void TTetkikF::silButClick()
{
    // Deletes the current test type after the two questions, and locks the boxes.
    if (!DeleteConfirm::twice(deleteQuestion, stopDeleteQuestion))
        return;
    tetkikTTable->Delete();
    lockBoxes(true, true);
}

void TTetkikF::duzButClick()
{
    // Opens the normal values and the remark for correction; the name stays locked.
    lockBoxes(true, false);
    ui->DBEdit2->setFocus(Qt::OtherFocusReason);
}

void TTetkikF::KapatF101Click()
{
    // Drops the pending change without asking, locks the boxes and hides the screen.
    tetkikTTable->Cancel();
    lockBoxes(true, true);
    hide();
}

void TTetkikF::JvXPButton1Click()
{
    // Shows the preview of every test type in the table's order.
    TReport::Preview(u"tetkik_turleri"_s, u"Lumeko Rapor Önizleme - Tetkik Türü Kartları"_s,
        ReportBindings(u"TetkikF"_s).bind(u"tetkikTTable"_s, tetkikSource));
}
