#include "TPasswordDlg.h"

#include "ui_TPasswordDlg.h"

#include "ChangeLog.h"
#include "CommandGuard.h"
#include "Connection.h"
#include "DataSet.h"
#include "DatabaseLocation.h"
#include "EditKeys.h"
#include "Field.h"
#include "HelpButton.h"
#include "Messages.h"
#include "Screens.h"
#include "TfrmMain.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TsifrelerF.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>

using namespace Qt::StringLiterals;

const QString TPasswordDlg::settingsSection = u"kullan"_s;
const QString TPasswordDlg::settingsKey = u"kullan_Text"_s;

namespace {

const QString tooManyAttempts = u"Şifreyi üç kez üst üste yanlış girdiniz! Program kapatılacaktır!"_s;
const QString wrongNameOrPassword = u"Kullanıcı adınız yada şifre yanlış! Tekrar deneyin!"_s;
const QString wrongMaster = u"Master Şifreyi yanlış girdiniz! Şifre alanına master şifreyi girerek tekrar deneyin!"_s;
const QString preparing = u"BEKLEYİN DOSYALAR HAZIRLANIYOR..."_s;
// The user the change history names for changes made on the accounts screen.
const QString masterUser = u"(ana şifre)"_s;

// Hides the wait window however the step it was shown for ends.
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

} // namespace

TPasswordDlg::TPasswordDlg()
    : ui(new Ui::TPasswordDlg)
    , anaConnection(new Connection)
{
    setObjectName(u"PasswordDlg"_s);
    // Nobody is signed in yet.
    ChangeLog::setUser(QString());
    ui->setupUi(this);
    setPlacement(Placement::CentredOnScreen);
    HelpButton::setUp(ui->tfXPButton1);

    connect(ui->OKBtn, &QPushButton::clicked, this, &TPasswordDlg::OKBtnClick);
    connect(ui->JvXPBar1Item0, &QPushButton::clicked, this, &TPasswordDlg::JvXPBar1Items0Click);
    connect(ui->JvXPBar1Item1, &QPushButton::clicked, this, &TPasswordDlg::JvXPBar1Items0Click);
    connect(ui->JvXPBar1Item2, &QPushButton::clicked, this, &TPasswordDlg::JvXPBar1Items0Click);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TPasswordDlg::CheckBox1Click);
    connect(ui->tfXPButton1, &QToolButton::clicked, this, &TPasswordDlg::tfXPButton1Click);
    for (QWidget* watched :
        { static_cast<QWidget*>(ui->kullan), static_cast<QWidget*>(ui->Password), static_cast<QWidget*>(ui->Panel1) })
        watched->installEventFilter(this);

    // All relative paths (the database, the settings file, the help topics) are taken against
    // the program's folder, so it must be the working directory before the connection opens.
    if (screens().useProgramFolder)
        QDir::setCurrent(QCoreApplication::applicationDirPath());

    // The database named on the command line or in the settings file, else the SQLite file.
    QString locationError;
    anaConnection->setPath(DatabaseLocation::choose(QCoreApplication::arguments(), &locationError));
    Connection::setDefaultConnection(anaConnection);
    if (!locationError.isEmpty()) {
        Messages::error(locationError);
        m_cannotStart = true;
        return;
    }
    // Start-up goes on with the file's connection closed; the first data access tries again. A
    // server that cannot be reached or refuses ends the program: it is not there to try again.
    if (!anaConnection->open()) {
        Messages::error(anaConnection->lastError());
        m_cannotStart = anaConnection->isServer();
    }
}

bool TPasswordDlg::cannotStart() const
{
    return m_cannotStart;
}

TPasswordDlg::~TPasswordDlg()
{
    if (Connection::defaultConnection() == anaConnection)
        Connection::setDefaultConnection(nullptr);
    delete anaConnection;
}

QString TPasswordDlg::settingsFile()
{
    return QDir::current().absoluteFilePath(u"Ayar.ini"_s);
}

void TPasswordDlg::fillSignIn(const QString& user, const QString& password)
{
    ui->Password->setText(password);
    ui->kullan->setText(user);
}

int TPasswordDlg::attempts() const
{
    return m_attempts;
}

void TPasswordDlg::OKBtnClick()
{
    // Signs in: checks the typed name and password against the accounts.
    CommandGuard::run([&] {
        ++m_attempts;
        if (m_attempts > allowedAttempts) {
            Messages::information(tooManyAttempts);
            close();
            return;
        }
        openAccountTables();
        TsifrelerF* accounts = screens().sifrelerF;
        const bool found = findAccount(ui->kullan->text());
        if (!found || accounts->sifreTable->FieldByName(u"sifre"_s)->AsString() != ui->Password->text()) {
            Messages::information(wrongNameOrPassword);
            ui->Password->clear();
            return;
        }
        ChangeLog::setUser(ui->kullan->text());
        openWorkingScreens();
    });
}

void TPasswordDlg::JvXPBar1Items0Click()
{
    // Opens the accounts screen once the master password is typed into the password box.
    CommandGuard::run([&] {
        openAccountTables();
        TsifrelerF* accounts = screens().sifrelerF;
        const QString master = accounts->masterTable->FieldByName(u"mids"_s)->AsString();
        if (ui->Password->text() != master) {
            Messages::information(wrongMaster);
            ui->Password->clear();
            return;
        }
        // Changes made on the accounts screen are the master password holder's.
        ChangeLog::setUser(masterUser);
        accounts->show();
        accounts->raise();
        accounts->activateWindow();
        setEnabled(false);
    });
}

void TPasswordDlg::CheckBox1Click()
{
    // Ticked: the password is shown in plain characters.
    CommandGuard::run(
        [&] { ui->Password->setEchoMode(ui->CheckBox1->isChecked() ? QLineEdit::Normal : QLineEdit::Password); });
}

void TPasswordDlg::kullanEnter()
{
    // Opens the accounts table ahead of the first sign-in.
    CommandGuard::run([&] {
        DataSet* table = screens().sifrelerF->sifreTable;
        if (!table->Active())
            table->Open();
    });
}

void TPasswordDlg::tfXPButton1Click()
{
    // Shows the sign-in help topic.
    CommandGuard::run([&] { HelpButton::open(u"ygiris"_s); });
}

void TPasswordDlg::FormClose()
{
    // Keeps the user name, then ends the program.
    if (m_closed)
        return;
    m_closed = true;
    CommandGuard::run([&] { writeUserName(); });
    screens().end();
}

void TPasswordDlg::showEvent(QShowEvent* event)
{
    TScreen::showEvent(event);
    if (m_shownBefore) {
        showFirstUseLine();
        return;
    }
    m_shownBefore = true;
    readUserName();
    // The first-use line follows the accounts as they are stored and deleted.
    DataSet* accounts = screens().sifrelerF->sifreTable;
    connect(accounts, &DataSet::dataReset, this, &TPasswordDlg::showFirstUseLine);
    connect(accounts, &DataSet::rowInserted, this, &TPasswordDlg::showFirstUseLine);
    connect(accounts, &DataSet::rowRemoved, this, &TPasswordDlg::showFirstUseLine);
    connect(accounts, &DataSet::stateChanged, this, &TPasswordDlg::showFirstUseLine);
    showFirstUseLine();
}

// While no account exists, one line tells a new clinic where to begin. The accounts table is
// counted without being opened (it opens when the user reaches for a box); a database that did
// not open shows no line (its error has been shown).
void TPasswordDlg::showFirstUseLine()
{
    DataSet* accounts = screens().sifrelerF->sifreTable;
    bool noAccount = false;
    if (accounts->Active()) {
        noAccount = accounts->RecordCount() == 0;
    } else if (anaConnection->isOpen()) {
        DataSet stored(u"hesaplar"_s);
        stored.setTableName(u"sifre"_s);
        try {
            stored.Open();
            noAccount = stored.IsEmpty();
        } catch (const std::exception&) {
            // Told when the user signs in.
        }
    }
    ui->ilkKullanimLabel->setVisible(noAccount);
}

void TPasswordDlg::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

bool TPasswordDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == ui->kullan || watched == ui->Password)) {
        kullanEnter();
        return false;
    }
    if (event->type() == QEvent::KeyPress && EditKeys::isEnter(static_cast<QKeyEvent*>(event))) {
        if (watched == ui->kullan) {
            ui->Password->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (watched == ui->Password || watched == ui->Panel1) {
            OKBtnClick();
            return true;
        }
    }
    return TScreen::eventFilter(watched, event);
}

// The remembered user name; whatever the file holds, start-up goes on.
void TPasswordDlg::readUserName()
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    const QVariant value = settings.value(settingsSection + u'/' + settingsKey);
    QString name;
    if (value.typeId() == QMetaType::QStringList)
        name = value.toStringList().join(u", "_s); // a name with a comma, written by hand
    else if (value.canConvert<QString>())
        name = value.toString();
    ui->kullan->setText(name);
}

// Only the user name is written; a file that cannot be written is left as it is.
void TPasswordDlg::writeUserName()
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(settingsSection + u'/' + settingsKey, ui->kullan->text());
    settings.sync();
}

void TPasswordDlg::openAccountTables()
{
    TsifrelerF* accounts = screens().sifrelerF;
    if (!accounts->sifreTable->Active())
        accounts->sifreTable->Open();
    if (!accounts->masterTable->Active())
        accounts->masterTable->Open();
}

// Makes the first account, in PrimaryKey order, whose user name equals the text exactly (letter
// case included) the current record.
bool TPasswordDlg::findAccount(const QString& userName)
{
    DataSet* table = screens().sifrelerF->sifreTable;
    // No account is stored without a user name, so an empty name never signs in, even where an
    // old row without one is still in the table.
    if (userName.isEmpty())
        return false;
    // A row left pending on the accounts screen is stored or, unchanged, dropped first.
    if (table->State() == dsEdit || table->State() == dsInsert) {
        if (table->Modified())
            table->Post();
        else
            table->Cancel();
    }
    const int nameField = table->FieldByName(u"kullanici"_s)->index();
    const int rows = table->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QVariant stored = table->rawValueAt(row, nameField);
        const QString name = stored.isNull() ? QString() : stored.toString();
        if (name == userName) {
            table->setRecNo(row + 1);
            return true;
        }
    }
    return false;
}

void TPasswordDlg::openWorkingScreens()
{
    const WaitWindow wait(preparing);
    Screens& all = screens();
    DataSet* registry = all.ozluk->sicilTable;
    if (!registry->Active())
        registry->Open();
    if (registry->IsEmpty()) {
        // The first child can be entered at once; the visits wait until there is a child.
        all.frmMain->show();
        all.ozluk->show();
        all.ozluk->raise();
        registry->Append();
        registry->FieldByName(u"hasta_kodu"_s)->setAsString(u"1"_s);
    } else {
        DataSet* visits = all.frmMain->muayeneTable;
        if (!visits->Active())
            visits->Open();
        all.frmMain->show();
    }
    hide();
}
