#include "TsifrelerF.h"

#include "ui_TsifrelerF.h"

#include "AutoBackup.h"
#include "BackupRestore.h"
#include "ColumnChooser.h"
#include "ColumnChooserButton.h"
#include "CommandGuard.h"
#include "Connection.h"
#include "DBEdit.h"
#include "DataError.h"
#include "DataSet.h"
#include "DataSetModel.h"
#include "DataSource.h"
#include "Dialogs.h"
#include "EditKeys.h"
#include "Field.h"
#include "HelpButton.h"
#include "MaskedCellDelegate.h"
#include "Messages.h"
#include "Screens.h"
#include "TPasswordDlg.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString onlyOneAccount = u"Eğer tek şifre mevcut ise silemezsiniz!"_s;
const QString deleteRecord = u"Delete record?"_s;
const QString applyLetterheadQuestion = u"Kurum bilgileri tüm hesaplara uygulansınmı?"_s;
const QString chooseBackup = u"Geri yüklenecek yedeği seçin"_s;
const QString backupFilter = u"Pediakay yedekleri (*.db)"_s;
const QString restoreQuestion = u"Seçilen yedek şimdiki veritabanının yerine konacak; şimdiki veritabanı "
                                u"Data klasöründe ayrıca saklanacak. Geri yükleme yapılsınmı?\n\n%1"_s;

struct GridColumn {
    QString field;
    QString title;
    bool hiddenAtFirst;
};

const QList<GridColumn>& gridColumns()
{
    static const QList<GridColumn> columns = {
        { u"kullanici"_s, u"Kullanıcı Kodu"_s, false },
        { u"sifre"_s, u"Şifresi"_s, false },
        { u"adi"_s, u"Adı"_s, false },
        { u"soyadi"_s, u"Soyadı"_s, false },
        // The clinic's letterhead on every printed report; shown through the column chooser.
        { u"firmaadi"_s, u"Firma Adı"_s, true },
        { u"firmaadres"_s, u"Firma Adresi"_s, true },
        { u"firmatel"_s, u"Firma Telefonu"_s, true },
        { u"firmafax"_s, u"Firma Faksı"_s, true },
    };
    return columns;
}

// A text longer than its field is refused here with words the user knows, before the data
// layer would refuse it with the field's name.
void checkLength(const Field* field, const QString& what)
{
    if (field->Size() > 0 && field->AsString().size() > field->Size())
        throw DataError(
            u"%1 en fazla %2 karakter olabilir! Bilgiler kayıt edilmedi."_s.arg(what, QString::number(field->Size())));
}

bool isShiftEnter(const QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

} // namespace

TsifrelerF::TsifrelerF()
    : ui(new Ui::TsifrelerF)
    , sifreTable(new DataSet(u"sifreTable"_s, this))
    , DataSource1(new DataSource(u"DataSource1"_s, sifreTable, this))
    , masterTable(new DataSet(u"masterTable"_s, this))
    , DataSource2(new DataSource(u"DataSource2"_s, masterTable, this))
{
    setObjectName(u"sifrelerF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setStaysOnTop();
    // The grid's own keys (Enter stepping, Ctrl+Delete) must be seen before its cell editor,
    // which an application-wide filter does.
    qApp->installEventFilter(this);

    sifreTable->setTableName(u"sifre"_s);
    sifreTable->setIndexName(u"PrimaryKey"_s);
    for (const QString& phone : { u"firmatel"_s, u"firmafax"_s })
        sifreTable->FieldByName(phone)->EditMask = u"(999) 999 99 99;0;*"_s;
    sifreTable->BeforePost = [this](DataSet& dataSet) { sifreTableBeforePost(dataSet); };

    masterTable->setTableName(u"master"_s);
    masterTable->BeforePost = [this](DataSet& dataSet) { sifreTableBeforePost(dataSet); };

    DBGrid* grid = ui->JvDBUltimGrid1;
    QStringList fields;
    QStringList hidden;
    for (const GridColumn& column : gridColumns()) {
        fields.append(column.field);
        if (column.hiddenAtFirst)
            hidden.append(column.title);
    }
    grid->setDataSource(DataSource1);
    grid->setColumns(fields);
    for (const GridColumn& column : gridColumns())
        grid->setColumnTitle(column.field, column.title);
    grid->applyColumnWidths();
    grid->horizontalHeader()->setSectionsMovable(false);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    // The current cell always has its editor open.
    grid->setEditTriggers(grid->editTriggers() | QAbstractItemView::CurrentChanged);
    for (const QString& phone : { u"firmatel"_s, u"firmafax"_s }) {
        const QString mask = sifreTable->FieldByName(phone)->EditMask;
        grid->setItemDelegateForColumn(grid->columnOf(phone), new MaskedCellDelegate(mask, grid));
    }
    m_columnChooser = ColumnChooser::attach(grid, ColumnChooser::Texts::Gosterlecek, hidden);

    ui->JvDotNetDBEdit1->setDataSource(DataSource2);
    ui->JvDotNetDBEdit1->setDataField(u"mids"_s);
    // The clinic's letterhead of the current account, printed at the head of every report.
    const std::pair<DBEdit*, QString> letterhead[]
        = { { ui->firmaadiEdit, u"firmaadi"_s }, { ui->firmaadresEdit, u"firmaadres"_s },
              { ui->firmatelEdit, u"firmatel"_s }, { ui->firmafaxEdit, u"firmafax"_s } };
    for (const auto& [edit, field] : letterhead) {
        edit->setDataSource(DataSource1);
        edit->setDataField(field);
    }
    ui->firmatelEdit->setToolTip(u"Telefon: alan kodu ve numara"_s);
    ui->firmafaxEdit->setToolTip(u"Faks: alan kodu ve numara"_s);
    HelpButton::setUp(ui->tfXPButton1);

    connect(ui->JvXPButton4, &QPushButton::clicked, this, &TsifrelerF::JvXPButton4Click);
    connect(ui->JvXPButton2, &QPushButton::clicked, this, &TsifrelerF::JvXPButton2Click);
    connect(ui->JvXPButton3, &QPushButton::clicked, this, &TsifrelerF::JvXPButton3Click);
    connect(ui->JvXPButton1, &QPushButton::clicked, this, &TsifrelerF::JvXPButton1Click);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TsifrelerF::OKBtnClick);
    connect(ui->geriYukleButton, &QPushButton::clicked, this, &TsifrelerF::geriYukleButtonClick);
    connect(ui->tfXPButton1, &QToolButton::clicked, this, &TsifrelerF::tfXPButton1Click);
    connect(ui->TumHesaplaraButton, &QPushButton::clicked, this, &TsifrelerF::TumHesaplaraButtonClick);
    connect(qApp, &QApplication::focusChanged, this, &TsifrelerF::onFocusChanged);
}

TsifrelerF::~TsifrelerF()
{
    qApp->removeEventFilter(this);
}

ColumnChooserButton* TsifrelerF::columnChooser() const
{
    return m_columnChooser;
}

void TsifrelerF::JvXPButton4Click()
{
    // Starts a new account at the end; it is filled in the grid.
    CommandGuard::run([&] {
        sifreTable->Append();
        DBGrid* grid = ui->JvDBUltimGrid1;
        grid->setFocus(Qt::OtherFocusReason);
        const int row = sifreTable->currentRow();
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            if (!grid->isColumnHidden(column)) {
                grid->setCurrentIndex(grid->model()->index(row, column));
                break;
            }
        }
    });
}

void TsifrelerF::geriYukleButtonClick()
{
    // Restores a chosen backup in the database's place after checking it and asking.
    CommandGuard::run([&] {
        if (Connection::defaultConnection()->isServer()) {
            Messages::information(BackupRestore::onServer);
            return;
        }
        const QString file = Dialogs::getOpenFileName(this, chooseBackup, AutoBackup::folder(), backupFilter);
        if (file.isEmpty())
            return;
        QString reason;
        if (!BackupRestore::checkBackup(file, reason)) {
            Messages::error(reason);
            return;
        }
        if (Messages::ask(restoreQuestion.arg(QDir::toNativeSeparators(file))) != Messages::Answer::Yes)
            return;

        // The database must be free: the daily copy ends first, and every data set and the
        // program's own connection close; they open again on the restored file (or on the old
        // one when the restore did not happen).
        Screens& all = screens();
        if (all.backups())
            all.backups()->wait();
        for (TScreen* screen : all.all()) {
            for (DataSet* dataSet : screen->findChildren<DataSet*>())
                dataSet->Close();
        }
        Connection* connection = Connection::defaultConnection();
        connection->close();
        const BackupRestore::Result result
            = BackupRestore::restore(file, connection->path(), QDateTime::currentDateTime());
        if (!connection->open()) {
            Messages::error(connection->lastError());
            return;
        }
        sifreTable->Open();
        masterTable->Open();
        if (result.ok)
            Messages::information(result.text);
        else
            Messages::error(result.text);
    });
}

void TsifrelerF::TumHesaplaraButtonClick()
{
    // Copies the current account's letterhead to every account after asking.
    CommandGuard::run([&] {
        if (sifreTable->IsEmpty())
            return;
        if (Messages::ask(applyLetterheadQuestion) != Messages::Answer::Yes)
            return;
        sifreTable->UpdateRecord();
        if (sifreTable->State() == dsEdit || sifreTable->State() == dsInsert)
            sifreTable->Post();
        static const QStringList fields { u"firmaadi"_s, u"firmaadres"_s, u"firmatel"_s, u"firmafax"_s };
        QVariantList values;
        for (const QString& name : fields)
            values << sifreTable->FieldByName(name)->Value();
        const int current = sifreTable->RecNo();
        sifreTable->DisableControls();
        // Back on the account the user stood on, also when an account could not be stored (its
        // error is shown; that account keeps what it had).
        const auto restore = qScopeGuard([&] {
            try {
                if (sifreTable->State() == dsEdit)
                    sifreTable->Cancel();
                sifreTable->setRecNo(current);
            } catch (const std::exception&) {
                // The first error is the one the user is told.
            }
            sifreTable->EnableControls();
        });
        for (sifreTable->First(); !sifreTable->Eof(); sifreTable->Next()) {
            bool same = true;
            for (int i = 0; i < fields.size(); ++i)
                same = same && sifreTable->FieldByName(fields.at(i))->Value() == values.at(i);
            if (same)
                continue;
            sifreTable->Edit();
            for (int i = 0; i < fields.size(); ++i)
                sifreTable->FieldByName(fields.at(i))->setValue(values.at(i));
            sifreTable->Post();
        }
    });
}

void TsifrelerF::JvXPButton2Click()
{
    // Stores the account when it was changed.
    CommandGuard::run([&] {
        sifreTable->UpdateRecord();
        if (sifreTable->Modified())
            sifreTable->Post();
    });
}

void TsifrelerF::JvXPButton3Click()
{
    // Deletes the current account at once, but never the only one.
    CommandGuard::run([&] {
        if (sifreTable->RecordCount() < 2) {
            Messages::plain(onlyOneAccount);
            return;
        }
        sifreTable->Delete();
    });
}

void TsifrelerF::JvXPButton1Click()
{
    // Stores the master password after asking, or drops the change.
    CommandGuard::run([&] {
        masterTable->UpdateRecord();
        if (!masterTable->Modified())
            return;
        if (Messages::question(Messages::kayitEdilsinmi))
            masterTable->Post();
        else
            masterTable->Cancel();
    });
}

void TsifrelerF::OKBtnClick()
{
    // Leaves the screen and fills the sign-in dialog with the current account.
    CommandGuard::run([&] {
        sifreTable->UpdateRecord();
        masterTable->UpdateRecord();
        if (sifreTable->Modified() || masterTable->Modified()) {
            if (!Messages::question(Messages::kayitEdilmedenCikilsinmi))
                return;
            if (sifreTable->Modified())
                sifreTable->Cancel();
            if (masterTable->Modified())
                masterTable->Cancel();
        }
        TPasswordDlg* signIn = screens().PasswordDlg;
        signIn->setEnabled(true);
        const bool hasAccount = sifreTable->Active() && (sifreTable->State() == dsInsert || !sifreTable->IsEmpty());
        signIn->fillSignIn(hasAccount ? sifreTable->FieldByName(u"kullanici"_s)->AsString() : QString(),
            hasAccount ? sifreTable->FieldByName(u"sifre"_s)->AsString() : QString());
        hide();
        signIn->activateWindow();
    });
}

void TsifrelerF::tfXPButton1Click()
{
    // Shows the accounts help topic.
    CommandGuard::run([&] { HelpButton::open(u"ysifreler"_s); });
}

bool TsifrelerF::JvDBUltimGrid1KeyPress(QKeyEvent* event)
{
    if (EditKeys::isEnter(event) || isShiftEnter(event)) {
        const bool forward = EditKeys::isEnter(event);
        CommandGuard::run([&] { stepGrid(forward); });
        return true;
    }
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        CommandGuard::run([&] { gridDelete(); });
        return true;
    }
    return false;
}

void TsifrelerF::sifreTableBeforePost(DataSet& dataSet)
{
    if (sifreTable->Modified() && sifreTable->FieldByName(u"kullanici"_s)->AsString().isEmpty())
        sifreTable->Cancel();
    if (&dataSet == sifreTable) {
        if (sifreTable->State() != dsEdit && sifreTable->State() != dsInsert)
            return;
        checkLength(sifreTable->FieldByName(u"kullanici"_s), u"Kullanıcı adı"_s);
        checkLength(sifreTable->FieldByName(u"sifre"_s), u"Şifre"_s);
        checkLength(sifreTable->FieldByName(u"adi"_s), u"Adı"_s);
        checkLength(sifreTable->FieldByName(u"soyadi"_s), u"Soyadı"_s);
    } else if (&dataSet == masterTable) {
        checkLength(masterTable->FieldByName(u"mids"_s), u"Master şifre"_s);
    }
}

bool TsifrelerF::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return TScreen::eventFilter(watched, event);
    auto* target = static_cast<QWidget*>(watched);
    DBGrid* grid = ui->JvDBUltimGrid1;
    // A key the cell editor leaves alone reaches the grid again as the same event; by then it
    // is known not to be one of the grid's keys.
    if (target == grid || grid->isAncestorOf(target))
        return JvDBUltimGrid1KeyPress(static_cast<QKeyEvent*>(event));
    return TScreen::eventFilter(watched, event);
}

void TsifrelerF::showEvent(QShowEvent* event)
{
    TScreen::showEvent(event);
    if (m_shownBefore)
        return;
    m_shownBefore = true;
    ui->OKBtn->setFocus(Qt::OtherFocusReason);
}

void TsifrelerF::closeEvent(QCloseEvent* event)
{
    // The screen has no close button; it is left only through "Tamam".
    event->ignore();
    OKBtnClick();
}

// Enter: the next shown column, from the last to the first column of the next row. Shift+Enter
// the other way round. The first and last rows keep the cursor on their row.
void TsifrelerF::stepGrid(bool forward)
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    const QAbstractItemModel* model = grid->model();
    const QHeaderView* header = grid->horizontalHeader();
    QList<int> shown; // logical columns in the order they are shown
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!grid->isColumnHidden(logical))
            shown.append(logical);
    }
    if (shown.isEmpty() || model->rowCount() == 0)
        return;
    QModelIndex current = grid->currentIndex();
    int row = current.isValid() ? current.row() : sifreTable->currentRow();
    if (row < 0)
        return;
    int place = current.isValid() ? int(shown.indexOf(current.column())) : -1;
    if (place < 0) {
        grid->setCurrentIndex(model->index(row, shown.first()));
        return;
    }
    if (forward) {
        if (place + 1 < shown.size()) {
            ++place;
        } else {
            place = 0;
            if (row + 1 < model->rowCount())
                ++row;
        }
    } else {
        if (place > 0) {
            --place;
        } else {
            place = int(shown.size()) - 1;
            if (row > 0)
                --row;
        }
    }
    grid->setCurrentIndex(model->index(row, shown.at(place)));
}

// The grid's own delete: not bound by the one-account rule.
void TsifrelerF::gridDelete()
{
    if (!sifreTable->Active() || (sifreTable->IsEmpty() && sifreTable->State() != dsInsert))
        return;
    if (!Messages::question(deleteRecord))
        return;
    DBGrid* grid = ui->JvDBUltimGrid1;
    // Text still in the cell editor belongs to the row that goes: close it without writing.
    if (QWidget* editor = grid->indexWidget(grid->currentIndex()))
        Q_EMIT grid->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    sifreTable->Delete();
}

void TsifrelerF::openCellEditor()
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    if (grid->hasFocus() && !grid->indexWidget(grid->currentIndex()) && grid->currentIndex().isValid())
        grid->edit(grid->currentIndex());
}

// A new row that was started but not changed is dropped when the grid is left.
void TsifrelerF::onFocusChanged(QWidget* old, QWidget* now)
{
    DBGrid* grid = ui->JvDBUltimGrid1;
    const bool wasInGrid = old && (old == grid || grid->isAncestorOf(old));
    const bool isInGrid = now && (now == grid || grid->isAncestorOf(now));
    // The current cell always shows its editor while the grid has the focus.
    if (now == grid && !grid->indexWidget(grid->currentIndex()) && grid->currentIndex().isValid())
        QMetaObject::invokeMethod(this, &TsifrelerF::openCellEditor, Qt::QueuedConnection);
    if (!wasInGrid || isInGrid || !now || now->window() != this)
        return;
    CommandGuard::run([&] {
        sifreTable->UpdateRecord();
        if (sifreTable->State() == dsInsert && !sifreTable->Modified())
            sifreTable->Cancel();
    });
}
