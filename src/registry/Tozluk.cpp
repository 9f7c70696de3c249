#include "Tozluk.h"

#include "ui_Tozluk.h"

#include "AgeCalculator.h"
#include "ChildCode.h"
#include "ChildRecordChecks.h"
#include "CommandGuard.h"
#include "Connection.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "EditKeys.h"
#include "Field.h"
#include "GrowthRecordChecks.h"
#include "HelpButton.h"
#include "Messages.h"
#include "Screens.h"
#include "TasilarF.h"
#include "TfrmMain.h"
#include "TgecmisF.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>

#include <functional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// Hands one kind of event of one control to a function; true from the function swallows it.
class EventHook final : public QObject
{
public:
    EventHook(QObject* target, QEvent::Type type, std::function<bool(QEvent*)> handler)
        : QObject(target)
        , m_type(type)
        , m_handler(std::move(handler))
    {
        target->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != parent() || event->type() != m_type)
            return false;
        return m_handler(event);
    }

private:
    QEvent::Type m_type;
    std::function<bool(QEvent*)> m_handler;
};

} // namespace

Tozluk::Tozluk()
    : ui(new Ui::Tozluk)
    , sicilTable(new DataSet(u"sicilTable"_s, this))
    , sicilSource(new DataSource(u"sicilSource"_s, sicilTable, this))
{
    setObjectName(u"ozluk"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setSeesKeysFirst(true);

    sicilTable->setTableName(u"hastasicil"_s);
    sicilTable->setIndexName(u"PrimaryKey"_s);
    Field* dogumtarihi = sicilTable->FieldByName(u"dogumtarihi"_s);
    dogumtarihi->DisplayFormat = u"dd.mm.yyyy"_s;
    dogumtarihi->EditMask = u"!99/99/0000;1;_"_s;
    for (const QString& phone : { u"evtel"_s, u"istel"_s, u"ceptel"_s, u"fax"_s })
        sicilTable->FieldByName(phone)->EditMask = u"(999) 999 99 99;1;*"_s;
    sicilTable->FieldByName(u"hid"_s)->ReadOnly = true;
    sicilTable->OnWrite
        = [this](DataSet& dataSet, const QVector<QVariant>& before) { sicilTableWrite(dataSet, before); };
    connect(sicilTable, &DataSet::stateChanged, this, &Tozluk::sicilTableStateChange);

    bindControls();
    addGrowthBoxes();
    buildMenus();
    connectButtons();

    auto* panel1 = new QLabel(ui->StatusBar1);
    auto* panel2 = new QLabel(ui->StatusBar1);
    auto* panel3 = new QLabel(u"F2 Kaydet - F3 Vazgeç - F5 Yeni Kayıt - F6 Çocuk Listeleri  - F7 Bu Kaydı Sil - "
                              "F8 İlk Kayıt - F9 Sonraki Kayıt - F10 Kapat "_s,
        ui->StatusBar1);
    auto* panel4 = new QLabel(u"F11 Önceki Kayıt - F12 Sonraki Kayıt"_s, ui->StatusBar1);
    panel3->setObjectName(u"StatusBar1Panel3"_s);
    panel4->setObjectName(u"StatusBar1Panel4"_s);
    ui->StatusBar1->addWidget(panel1);
    ui->StatusBar1->addWidget(panel2);
    ui->StatusBar1->addWidget(panel3);
    ui->StatusBar1->addWidget(panel4, 1);

    HelpButton::setUp(ui->tfXPButton1);
    setCodeEditable(false);
}

Tozluk::~Tozluk()
{
    sicilTable->OnWrite = nullptr;
}

void Tozluk::bindControls()
{
    const std::pair<DBEdit*, const char16_t*> edits[] = {
        { ui->hidEdit, u"hid" },
        { ui->hastaKoduEdit, u"hasta_kodu" },
        { ui->adiEdit, u"adi" },
        { ui->adi2Edit, u"adi2" },
        { ui->soyadiEdit, u"soyadi" },
        { ui->anneEdit, u"anne" },
        { ui->babaEdit, u"baba" },
        { ui->evtelEdit, u"evtel" },
        { ui->istelEdit, u"istel" },
        { ui->ceptelEdit, u"ceptel" },
        { ui->JvDotNetDBEdit33, u"dogumtarihi" },
        { ui->dogumkiloEdit, u"dogumkilo" },
        { ui->dogumboyEdit, u"dogumboy" },
        { ui->dogumbasEdit, u"dogumbas" },
        { ui->dogumsekliEdit, u"dogumsekli" },
        { ui->kangrubuEdit, u"kangrubu" },
        { ui->doktoruEdit, u"doktoru" },
        { ui->tckimlikEdit, u"tckimlik" },
        { ui->sosyalguvEdit, u"sosyalguv" },
        { ui->dogumhastahaneEdit, u"dogumhastahane" },
        { ui->meslegiEdit, u"meslegi" },
        { ui->evadresiEdit, u"evadresi" },
        { ui->aciklama2Edit, u"aciklama2" },
        { ui->ilceEdit, u"ilce" },
        { ui->ilEdit, u"il" },
        { ui->evpostakoduEdit, u"evpostakodu" },
        { ui->isadresiEdit, u"isadresi" },
        { ui->aciklama3Edit, u"aciklama3" },
        { ui->isilceEdit, u"isilce" },
        { ui->isilEdit, u"isil" },
        { ui->ispostakoduEdit, u"ispostakodu" },
        { ui->emailEdit, u"email" },
        { ui->webEdit, u"web" },
        { ui->aciklama1Edit, u"aciklama1" },
    };
    for (const auto& [edit, field] : edits) {
        edit->setDataSource(sicilSource);
        edit->setDataField(QString::fromUtf16(field));
        // JvDotNetDBEdit1KeyPress: the first letter of every typed word becomes a capital.
        EditKeys::installWordCapitals(edit);
    }
    ui->hidEdit->setReadOnly(true);

    ui->cinsiyetiCombo->setDataSource(sicilSource);
    ui->cinsiyetiCombo->setDataField(u"cinsiyeti"_s);
    ui->cinsiyetiCombo->setItems({ u"Kız"_s, u"Erkek"_s });
    ui->sosyalguvkuCombo->setDataSource(sicilSource);
    ui->sosyalguvkuCombo->setDataField(u"sosyalguvku"_s);
    ui->sosyalguvkuCombo->setItems({ u"SSK"_s, u"Bağ-Kur"_s, u"Emekli Sandığı"_s, u"Özel Sigorta"_s, u"Diğer"_s });

    const std::pair<DBMemo*, const char16_t*> memos[] = {
        { ui->alerjiMemo, u"alerji" },
        { ui->ozgecmisMemo, u"ozgecmis" },
        { ui->soygecmisMemo, u"soygecmis" },
    };
    for (const auto& [memo, field] : memos) {
        memo->setDataSource(sicilSource);
        memo->setDataField(QString::fromUtf16(field));
    }
    ui->alerjiMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ui->JvDBImage1->setDataSource(sicilSource);
    ui->JvDBImage1->setDataField(u"resim"_s);

    // The code button is reached by mouse; Enter goes from the code straight to the first name.
    ui->JvXPButton10->setFocusPolicy(Qt::NoFocus);

    new EventHook(ui->JvDBImage1, QEvent::MouseButtonDblClick, [this](QEvent*) {
        CommandGuard::run([&] { JvDBImage1DblClick(); });
        return true;
    });
    new EventHook(ui->hastaKoduEdit, QEvent::MouseButtonDblClick, [this](QEvent*) {
        CommandGuard::run([&] { JvXPButton2Click(); });
        return true;
    });
    // The check must see the date the box has just written, so the box handles leaving first.
    new EventHook(ui->JvDotNetDBEdit33, QEvent::FocusOut, [this](QEvent* event) {
        if (m_inBirthDateExit)
            return false;
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            return false;
        {
            const QScopedValueRollback<bool> inExit(m_inBirthDateExit, true);
            QCoreApplication::sendEvent(ui->JvDotNetDBEdit33, event);
        }
        if (!ui->JvDotNetDBEdit33->isModified())
            CommandGuard::run([&] { JvDotNetDBEdit33Exit(); });
        return true;
    });
}

void Tozluk::buildMenus()
{
    struct Entry {
        QString text;
        Qt::Key key;
        void (Tozluk::*handler)();
    };
    const Entry entries[] = {
        { u"Kaydet"_s, Qt::Key_F2, &Tozluk::JvXPButton1Click },
        { u"Vazgeç"_s, Qt::Key_F3, &Tozluk::JvXPButton5Click },
        { u"Yeni Kayıt"_s, Qt::Key_F5, &Tozluk::JvXPButton3Click },
        { u"Hasta Listeleri"_s, Qt::Key_F6, &Tozluk::JvXPButton2Click },
        { u"Bu Kaydı Sil"_s, Qt::Key_F7, &Tozluk::JvXPButton4Click },
        { u"İlk Kayıt"_s, Qt::Key_F8, &Tozluk::JvXPButton9Click },
        { u"Sonraki Kayıt"_s, Qt::Key_F9, &Tozluk::JvXPButton6Click },
        { u"Kapat"_s, Qt::Key_F10, &Tozluk::Button1Click },
        { u"Önceki Kayıt"_s, Qt::Key_F11, &Tozluk::JvXPButton7Click },
        { u"Son Kayıt"_s, Qt::Key_F12, &Tozluk::JvXPButton8Click },
    };
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(u"PopupMenu1"_s);
    for (const Entry& e : entries) {
        QAction* action = m_popupMenu->addAction(e.text);
        // The keys themselves are taken in screenKey, wherever the focus is on the screen.
        action->setShortcut(QKeySequence(e.key));
        action->setShortcutContext(Qt::WidgetShortcut);
        const auto handler = e.handler;
        connect(action, &QAction::triggered, this, [this, handler] { CommandGuard::run([&] { (this->*handler)(); }); });
    }
    QAction* history = m_popupMenu->addAction(u"Değişiklik Geçmişi"_s);
    history->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    history->setShortcutContext(Qt::WidgetShortcut);
    connect(history, &QAction::triggered, this, [this] { CommandGuard::run([&] { gecmisClick(); }); });
    connect(this, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_popupMenu->popup(mapToGlobal(pos)); });

    m_photoMenu = new QMenu(this);
    m_photoMenu->setObjectName(u"PopupMenu2"_s);
    QAction* add = m_photoMenu->addAction(u"Resim Ekle"_s);
    QAction* remove = m_photoMenu->addAction(u"Resmi Sil"_s);
    connect(add, &QAction::triggered, this, [this] { CommandGuard::run([&] { JvDBImage1DblClick(); }); });
    connect(remove, &QAction::triggered, this, [this] { CommandGuard::run([&] { ResmiSil1Click(); }); });
    connect(ui->JvDBImage1, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { m_photoMenu->popup(ui->JvDBImage1->mapToGlobal(pos)); });
}

void Tozluk::connectButtons()
{
    const std::pair<QAbstractButton*, void (Tozluk::*)()> buttons[] = {
        { ui->JvXPButton9, &Tozluk::JvXPButton9Click },
        { ui->JvXPButton6, &Tozluk::JvXPButton6Click },
        { ui->JvXPButton7, &Tozluk::JvXPButton7Click },
        { ui->JvXPButton8, &Tozluk::JvXPButton8Click },
        { ui->JvXPButton3, &Tozluk::JvXPButton3Click },
        { ui->JvXPButton1, &Tozluk::JvXPButton1Click },
        { ui->JvXPButton5, &Tozluk::JvXPButton5Click },
        { ui->JvXPButton4, &Tozluk::JvXPButton4Click },
        { ui->JvXPButton2, &Tozluk::JvXPButton2Click },
        { ui->JvXPButton11, &Tozluk::JvXPButton11Click },
        { ui->tfXPButton1, &Tozluk::tfXPButton1Click },
        { ui->Button1, &Tozluk::Button1Click },
        { ui->JvXPButton10, &Tozluk::JvXPButton10Click },
    };
    for (const auto& [button, handler] : buttons) {
        const auto h = handler;
        connect(button, &QAbstractButton::clicked, this, [this, h] { CommandGuard::run([&] { (this->*h)(); }); });
    }
}

bool Tozluk::screenKey(QKeyEvent* event)
{
    if (EditKeys::isEnter(event))
        return EditKeys::enterKey(keyTarget(), EditKeys::EnterRules { true, false });
    if (event->key() == Qt::Key_G && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        CommandGuard::run([&] { gecmisClick(); });
        return true;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    void (Tozluk::*handler)() = nullptr;
    switch (event->key()) {
    case Qt::Key_F2:
        handler = &Tozluk::JvXPButton1Click;
        break;
    case Qt::Key_F3:
        handler = &Tozluk::JvXPButton5Click;
        break;
    case Qt::Key_F5:
        handler = &Tozluk::JvXPButton3Click;
        break;
    case Qt::Key_F6:
        handler = &Tozluk::JvXPButton2Click;
        break;
    case Qt::Key_F7:
        handler = &Tozluk::JvXPButton4Click;
        break;
    case Qt::Key_F8:
        handler = &Tozluk::JvXPButton9Click;
        break;
    case Qt::Key_F9:
        handler = &Tozluk::JvXPButton6Click;
        break;
    case Qt::Key_F10:
        handler = &Tozluk::Button1Click;
        break;
    case Qt::Key_F11:
        handler = &Tozluk::JvXPButton7Click;
        break;
    case Qt::Key_F12:
        handler = &Tozluk::JvXPButton8Click;
        break;
    default:
        return false;
    }
    CommandGuard::run([&] { (this->*handler)(); });
    return true;
}

void Tozluk::gecmisClick()
{
    // Shows the current child's change history.
    screens().gecmisF->showChild();
}

void Tozluk::closeEvent(QCloseEvent* event)
{
    // The window has no close box; a close from the window system is "Kapat".
    event->ignore();
    CommandGuard::run([&] { Button1Click(); });
}

void Tozluk::setCodeEditable(bool editable)
{
    ui->hastaKoduEdit->setReadOnly(!editable);
}

bool Tozluk::recordModified()
{
    const TDataSetState state = sicilTable->State();
    if (state == dsEdit || state == dsInsert)
        sicilTable->UpdateRecord();
    return sicilTable->Modified();
}

void Tozluk::sicilTableStateChange()
{
    const int state = sicilTable->State();
    // The code as stored, to tell on saving whether the child is given a new one.
    if (state == dsEdit && m_lastState != dsEdit)
        m_codeBeforeEdit = sicilTable->FieldByName(u"hasta_kodu"_s)->AsString();
    m_lastState = state;
}

void Tozluk::sicilTableWrite(DataSet& dataSet, const QVector<QVariant>& before)
{
    // Runs inside the transaction that writes the record: whatever fails here takes the
    // record's write back with it.
    const Field* kod = dataSet.FieldByName(u"hasta_kodu"_s);
    const QString newCode = kod->AsString();
    const qint64 hid = dataSet.FieldByName(u"hid"_s)->Value().toLongLong();
    QSqlDatabase& db = dataSet.connection()->database();
    if (before.isEmpty()) {
        if (!newCode.isEmpty() && ChildCode::inUse(db, newCode, hid))
            throw DataError(ChildCode::duplicateMessage(newCode));
        return;
    }
    const QVariant old = before.value(kod->index());
    const QString oldCode = old.isNull() ? QString() : old.toString();
    if (oldCode == newCode)
        return;
    if (!newCode.isEmpty() && ChildCode::inUse(db, newCode, hid))
        throw DataError(ChildCode::duplicateMessage(newCode));
    // The child's records follow the child to its new code.
    if (!oldCode.isEmpty())
        ChildCode::carryRecords(db, oldCode, newCode);
}

void Tozluk::openRegistryQueryInDefaultOrder()
{
    Tsicrapor* list = screens().sicrapor;
    list->sicrapQuery->setFiltered(false);
    list->sicrapQuery->Close();
    list->eskikod();
    list->sicrapQuery->Open();
}

void Tozluk::JvXPButton1Click()
{
    // Whatever the outcome, the list is read again once: unfiltered, in its default order, on
    // its first record; except after a refused code, when it shows the child holding the code.
    try {
        if (!storeRecord())
            return;
    } catch (...) {
        openRegistryQueryInDefaultOrder();
        throw;
    }
    openRegistryQueryInDefaultOrder();
}

bool Tozluk::storeRecord()
{
    const TDataSetState state = sicilTable->State();
    if (state == dsEdit || state == dsInsert)
        sicilTable->UpdateRecord();

    const QString code = sicilTable->Active() ? sicilTable->FieldByName(u"hasta_kodu"_s)->AsString() : QString();
    // A new child, or a child given another code, must not take a code already in use. The
    // first child holding it is found by the code's index, not by reading the list.
    const bool newCode = state == dsInsert || (state == dsEdit && code != m_codeBeforeEdit);
    if (newCode && !code.isEmpty()) {
        const std::optional<qint64> holder = ChildCode::firstHolder(sicilTable->connection()->database(), code);
        const bool itself
            = holder && state == dsEdit && QString::number(*holder) == sicilTable->FieldByName(u"hid"_s)->AsString();
        if (holder && !itself) {
            DataSet* sicrapQuery = screens().sicrapor->sicrapQuery;
            openRegistryQueryInDefaultOrder();
            sicrapQuery->Locate(u"hasta_kodu"_s, code, LocateOption::loCaseInsensitive);
            Messages::plain(ChildCode::duplicateMessage(code));
            return false;
        }
    }

    if (!sicilTable->hasPendingChanges())
        return true;
    if (ui->hastaKoduEdit->text().isEmpty() || ui->adiEdit->text().isEmpty() || ui->soyadiEdit->text().isEmpty()) {
        Messages::plain(u"Hasta Kodu, Adı ve Soyadı kısımlarını boş geçemezsiniz!"_s);
        return true;
    }
    sicilTable->Post();
    setCodeEditable(false);
    return true;
}

void Tozluk::JvXPButton5Click()
{
    if (!Messages::question(Messages::degisiklikKayitsizCikilsinmi))
        return;
    sicilTable->Cancel();
    setCodeEditable(false);
}

void Tozluk::JvXPButton3Click()
{
    DataSet* sicrapQuery = screens().sicrapor->sicrapQuery;
    sicrapQuery->setFiltered(false);
    if (!sicrapQuery->Active())
        sicrapQuery->Open();

    if (sicilTable->Active() && recordModified() && !Messages::question(Messages::degisiklikKayitsizCikilsinmi))
        return;
    sicilTable->Cancel();

    if (!sicilTable->Active())
        sicilTable->Open();
    setCodeEditable(true);
    sicilTable->Last();
    const QString proposal
        = sicilTable->IsEmpty() ? u"1"_s : ChildCode::nextCode(sicilTable->FieldByName(u"hasta_kodu"_s)->AsString());

    sicilTable->Append();
    DataSet* sifreTable = screens().sifrelerF->sifreTable;
    if (sifreTable->Active() && !sifreTable->IsEmpty()) {
        sicilTable->FieldByName(u"doktoru"_s)
            ->setAsString(sifreTable->FieldByName(u"adi"_s)->AsString() + u' '
                + sifreTable->FieldByName(u"soyadi"_s)->AsString());
    }
    sicilTable->FieldByName(u"hasta_kodu"_s)->setAsString(proposal);
}

void Tozluk::JvXPButton10Click()
{
    const TDataSetState state = sicilTable->State();
    if (state != dsInsert && state != dsEdit)
        return;
    DataSet* sicrapQuery = screens().sicrapor->sicrapQuery;
    openRegistryQueryInDefaultOrder();
    sicrapQuery->Last();
    const QString proposal
        = sicrapQuery->IsEmpty() ? u"1"_s : ChildCode::nextCode(sicrapQuery->FieldByName(u"hasta_kodu"_s)->AsString());
    setCodeEditable(true);
    sicilTable->FieldByName(u"hasta_kodu"_s)->setAsString(proposal);
}

void Tozluk::JvXPButton4Click()
{
    if (!Messages::question(u"Kayıt silinsin mi?"_s))
        return;
    // This one asks whether to stop: only No deletes.
    if (Messages::ask(u"Kayıt silinirse bir daha bu kayda ulaşamayacaksınız?Silme işlemini kesmek istermisiniz?"_s)
        != Messages::Answer::No)
        return;
    sicilTable->Delete();
    setCodeEditable(false);
}

void Tozluk::goTo(void (DataSet::*move)())
{
    if (sicilTable->Active() && recordModified()) {
        if (!Messages::question(Messages::degisiklikKayitsizCikilsinmi))
            return;
        sicilTable->Cancel();
    } else if (!sicilTable->Active()) {
        sicilTable->Open();
    }
    (sicilTable->*move)();
    setCodeEditable(false);
}

void Tozluk::JvXPButton9Click()
{
    goTo(&DataSet::First);
}

void Tozluk::JvXPButton6Click()
{
    goTo(&DataSet::Next);
}

void Tozluk::JvXPButton7Click()
{
    goTo(&DataSet::Prior);
}

void Tozluk::JvXPButton8Click()
{
    goTo(&DataSet::Last);
}

void Tozluk::JvXPButton2Click()
{
    DataSet* sicrapQuery = screens().sicrapor->sicrapQuery;
    sicrapQuery->setFiltered(false);
    if (sicilTable->Active() && recordModified()) {
        if (!Messages::question(Messages::degisiklikKayitsizCikilsinmi))
            return;
        sicilTable->Cancel();
        setCodeEditable(false);
        sicrapQuery->Close();
        sicrapQuery->Open();
    }
    setCodeEditable(false);
    screens().sicrapor->show();
    screens().sicrapor->raise();
    if (!sicrapQuery->Active())
        sicrapQuery->Open();
}

void Tozluk::JvXPButton11Click()
{
    const QDate birth = sicilTable->Active() ? sicilTable->FieldByName(u"dogumtarihi"_s)->AsDateTime().date() : QDate();
    const QString age = AgeCalculator::compute(birth, QDate::currentDate()).vaccineText;
    screens().asilarF->showForChild(age, TasilarF::Entry::Keep);
}

void Tozluk::Button1Click()
{
    Screens& s = screens();
    if (sicilTable->Active() && (recordModified() || sicilTable->hasPendingChanges())) {
        const bool noNames
            = ui->adiEdit->text().isEmpty() && ui->adi2Edit->text().isEmpty() && ui->soyadiEdit->text().isEmpty();
        if (!noNames) {
            if (!Messages::question(Messages::degisiklikKayitsizCikilsinmi))
                return;
            sicilTable->Cancel();
            hide();
        } else {
            sicilTable->Cancel();
        }
        if (!sicilTable->Active())
            sicilTable->Open();
        sicilTable->Last();
        setCodeEditable(false);
    }
    if (s.ozlukAcan == u"muayene"_s) {
        s.frmMain->show();
        s.frmMain->setEnabled(true);
        s.frmMain->muayeneRQuery->Open();
        s.frmMain->Button1Click();
        s.ozlukAcan.clear();
        s.frmMain->setEnabled(true);
    }
    hide();
}

void Tozluk::tfXPButton1Click()
{
    HelpButton::open(u"yprotokol"_s);
}

void Tozluk::JvDBImage1DblClick()
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns.append(u"*."_s + QString::fromLatin1(format));
    const QString filter = u"Resimler ("_s + patterns.join(u' ') + u");;Tüm dosyalar (*)"_s;
    const QString fileName = Dialogs::getOpenFileName(this, u"Resim Ekle"_s, QString(), filter);
    if (fileName.isEmpty())
        return;

    const qint64 size = QFileInfo(fileName).size();
    if (ChildRecordChecks::photoTooLarge(size)) {
        Messages::plain(ChildRecordChecks::photoSizeMessage(size));
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Messages::plain(u"Resim dosyası okunamadı: "_s + QFileInfo(fileName).fileName());
        return;
    }
    const QByteArray bytes = file.readAll();
    // Only a file that really is a picture replaces the photo.
    if (bytes.isEmpty() || QImage::fromData(bytes).isNull()) {
        Messages::plain(
            u"Seçilen dosya bir resim değil: "_s + QFileInfo(fileName).fileName() + u"\nFotoğraf değiştirilmedi."_s);
        return;
    }
    if (!sicilTable->Active())
        sicilTable->Open();
    if (sicilTable->State() != dsEdit && sicilTable->State() != dsInsert)
        sicilTable->Edit();
    sicilTable->FieldByName(u"resim"_s)->setAsBytes(bytes);
}

void Tozluk::ResmiSil1Click()
{
    if (!sicilTable->Active())
        sicilTable->Open();
    if (sicilTable->State() != dsEdit && sicilTable->State() != dsInsert)
        sicilTable->Edit();
    sicilTable->FieldByName(u"resim"_s)->Clear();
}

void Tozluk::JvDotNetDBEdit33Exit()
{
    if (!sicilTable->Active() || sicilTable->IsEmpty())
        return;
    Field* dogumtarihi = sicilTable->FieldByName(u"dogumtarihi"_s);
    const QString text = ChildRecordChecks::birthDateText(dogumtarihi->AsDateTime().date());
    if (ChildRecordChecks::tarihgecerli(text))
        return;
    Messages::plain(u"Doğum tarihi geçerli formatta değil"_s);
    if (sicilTable->State() != dsEdit && sicilTable->State() != dsInsert)
        sicilTable->Edit();
    dogumtarihi->Clear();
}

// Gestational weeks at birth and the parents' heights, for the growth assessment, in the free
// places of the right column; checked before the record is stored.
void Tozluk::addGrowthBoxes()
{
    const std::tuple<int, const char16_t*, const char16_t*, const char16_t*> boxes[] = {
        { 11, u"dogumHaftasiEdit", u"Doğum Haftası", u"dogumhaftasi" },
        { 15, u"anneBoyuEdit", u"Anne Boyu", u"anneboy" },
        { 20, u"babaBoyuEdit", u"Baba Boyu", u"bababoy" },
    };
    for (const auto& [row, name, caption, field] : boxes) {
        auto* label = new QLabel(QString::fromUtf16(caption), this);
        auto* edit = new DBEdit(this);
        edit->setObjectName(QString::fromUtf16(name));
        edit->setDataSource(sicilSource);
        edit->setDataField(QString::fromUtf16(field));
        ui->fieldsGrid->addWidget(label, row, 2);
        ui->fieldsGrid->addWidget(edit, row, 3);
    }
    sicilTable->BeforePost = [](DataSet& sicil) { GrowthRecordChecks::check(&sicil); };
}
