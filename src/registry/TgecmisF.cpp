#include "TgecmisF.h"

#include "ui_TgecmisF.h"

#include "ChangeLog.h"
#include "CommandGuard.h"
#include "Connection.h"
#include "DataSet.h"
#include "DataSource.h"
#include "Field.h"
#include "FieldTitles.h"
#include "ReportBindings.h"
#include "Screens.h"
#include "TReport.h"
#include "Tozluk.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString everything = u"(Tümü)"_s;

// A field of the history row as text, from a row of the list.
QString textAt(const DataSet& dataSet, int row, const char16_t* field)
{
    const QVariant v = dataSet.rawValueAt(row, dataSet.FieldByName(QString::fromUtf16(field))->index());
    return v.isNull() ? QString() : v.toString();
}

} // namespace

TgecmisF::TgecmisF()
    : ui(new Ui::TgecmisF)
    , gecmisQuery(new DataSet(u"gecmisQuery"_s, this))
    , gecmisSource(new DataSource(u"gecmisSource"_s, gecmisQuery, this))
{
    setObjectName(u"gecmisF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    setSeesKeysFirst(true);

    gecmisQuery->setSQL(u"select * from degisiklik order by did desc"_s);
    gecmisQuery->FieldByName(u"zaman"_s)->DisplayFormat = u"dd.mm.yyyy hh:nn:ss"_s;
    gecmisQuery->addCalculatedField(u"tabloadi"_s, FieldType::WideString,
        [](const DataSet& dataSet, int row) { return FieldTitles::ofTable(textAt(dataSet, row, u"tablo")); });
    gecmisQuery->addCalculatedField(u"degisenler"_s, FieldType::WideString, [](const DataSet& dataSet, int row) {
        return ChangeLog::describe(textAt(dataSet, row, u"tablo"), textAt(dataSet, row, u"degisen"))
            .replace(u'\n', u"; "_s);
    });

    DBGrid* grid = ui->gecmisGrid;
    grid->setDataSource(gecmisSource);
    grid->setColumns({ u"zaman"_s, u"kullanici"_s, u"tabloadi"_s, u"islem"_s, u"degisenler"_s });
    grid->setColumnTitle(u"zaman"_s, u"Tarih - Saat"_s);
    grid->setColumnTitle(u"kullanici"_s, u"Kullanıcı"_s);
    grid->setColumnTitle(u"tabloadi"_s, u"Tablo"_s);
    grid->setColumnTitle(u"islem"_s, u"İşlem"_s);
    grid->setColumnTitle(u"degisenler"_s, u"Değişen Bilgiler (eski → yeni)"_s);
    grid->setReadOnly(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->horizontalHeader()->setSectionsClickable(false);
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->applyColumnWidths();
    const std::pair<const char16_t*, int> widths[]
        = { { u"zaman", 140 }, { u"kullanici", 100 }, { u"tabloadi", 100 }, { u"islem", 80 } };
    for (const auto& [field, width] : widths)
        grid->setColumnWidth(grid->columnOf(QString::fromUtf16(field)), width);

    auto* keys = new QLabel(u"  F4 Yazdır - F10 Kapat - Alt+T Tablo - Alt+K Kullanıcı"_s, this);
    keys->setObjectName(u"StatusBar1Panel1"_s);
    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(u"StatusBar1"_s);
    statusBar->setSizeGripEnabled(false);
    statusBar->addWidget(keys, 1);
    layout()->addWidget(statusBar);

    connect(ui->yazdirBut, &QPushButton::clicked, this, [this] { CommandGuard::run([&] { yazdirButClick(); }); });
    connect(ui->kapatBut, &QPushButton::clicked, this, [this] { CommandGuard::run([&] { kapatButClick(); }); });
    connect(ui->tabloCombo, &QComboBox::currentIndexChanged, this,
        [this] { CommandGuard::run([&] { tabloComboChange(); }); });
    connect(ui->kullaniciCombo, &QComboBox::currentIndexChanged, this,
        [this] { CommandGuard::run([&] { kullaniciComboChange(); }); });
    connect(gecmisQuery, &DataSet::currentChanged, this, &TgecmisF::showDetail);
    connect(gecmisQuery, &DataSet::dataReset, this, &TgecmisF::showDetail);
}

TgecmisF::~TgecmisF() = default;

void TgecmisF::showChild()
{
    listChild();
    show();
    raise();
    activateWindow();
    ui->gecmisGrid->setFocus(Qt::OtherFocusReason);
}

void TgecmisF::childMoved()
{
    if (isVisible())
        CommandGuard::run([&] { listChild(); });
}

// The child record screen's current child: its codes, its name, and its rows in the list.
void TgecmisF::listChild()
{
    DataSet* sicil = screens().ozluk->sicilTable;
    m_hid = -1;
    QString code;
    QString name;
    if (sicil->Active() && sicil->State() != dsInsert && !sicil->IsEmpty()) {
        m_hid = sicil->FieldByName(u"hid"_s)->Value().toLongLong();
        code = sicil->FieldByName(u"hasta_kodu"_s)->AsString();
        QStringList parts;
        for (const QString& field : { u"adi"_s, u"adi2"_s, u"soyadi"_s }) {
            const QString part = sicil->FieldByName(field)->AsString().trimmed();
            if (!part.isEmpty())
                parts << part;
        }
        name = parts.join(u' ');
    }
    m_codes = m_hid < 0 ? QStringList() : ChangeLog::childCodes(sicil->connection()->database(), m_hid, code);
    ui->cocukLabel->setText(m_hid < 0 ? u"Kayıtlı bir çocuk seçili değil."_s : u"Çocuk: %1 - %2"_s.arg(code, name));
    fillFilterLists();
    applyFilter();
}

void TgecmisF::yazdirButClick()
{
    // Previews the rows as listed, with the child's header.
    TReport::Preview(u"degisiklik_gecmisi"_s, u"Lumeko Rapor Önizleme - Değişiklik Geçmişi"_s,
        ReportBindings(u"gecmisF"_s).bind(u"gecmisQuery"_s, gecmisSource));
}

void TgecmisF::kapatButClick()
{
    // Hides the screen.
    hide();
}

void TgecmisF::tabloComboChange()
{
    // Lists the chosen table's changes only.
    if (!m_filling)
        applyFilter();
}

void TgecmisF::kullaniciComboChange()
{
    // Lists the chosen user's changes only.
    if (!m_filling)
        applyFilter();
}

bool TgecmisF::screenKey(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_F4:
        CommandGuard::run([&] { yazdirButClick(); });
        return true;
    case Qt::Key_F10:
    case Qt::Key_Escape:
        CommandGuard::run([&] { kapatButClick(); });
        return true;
    default:
        return false;
    }
}

// The lists of the filter boxes: the tables and the users met in the child's history.
void TgecmisF::fillFilterLists()
{
    QVariantMap binds;
    gecmisQuery->setCondition(ChangeLog::childCondition(m_hid, m_codes, QString(), std::nullopt, binds), binds);
    gecmisQuery->setFiltered(true);
    if (gecmisQuery->Active())
        gecmisQuery->Refresh();
    else
        gecmisQuery->Open();
    QStringList tables;
    QStringList users;
    for (int row = 0; row < gecmisQuery->rowCount(); ++row) {
        const QString table = textAt(*gecmisQuery, row, u"tablo");
        if (!tables.contains(table))
            tables << table;
        const QString user = textAt(*gecmisQuery, row, u"kullanici");
        if (!users.contains(user))
            users << user;
    }
    users.sort(Qt::CaseInsensitive);
    m_filling = true;
    ui->tabloCombo->clear();
    ui->tabloCombo->addItem(everything);
    for (const QString& table : std::as_const(tables))
        ui->tabloCombo->addItem(FieldTitles::ofTable(table), table);
    ui->kullaniciCombo->clear();
    ui->kullaniciCombo->addItem(everything);
    for (const QString& user : std::as_const(users))
        ui->kullaniciCombo->addItem(user.isEmpty() ? u"(adsız)"_s : user, user);
    m_filling = false;
}

void TgecmisF::applyFilter()
{
    QVariantMap binds;
    const QString table = ui->tabloCombo->currentData().toString();
    // "(Tümü)" carries no user; an empty name is the user of changes made before a sign-in.
    std::optional<QString> user;
    if (ui->kullaniciCombo->currentIndex() > 0)
        user = ui->kullaniciCombo->currentData().toString();
    const QString sql = ChangeLog::childCondition(m_hid, m_codes, table, user, binds);
    gecmisQuery->setCondition(sql, binds);
    gecmisQuery->setFiltered(true);
    if (!gecmisQuery->Active())
        gecmisQuery->Open();
    gecmisQuery->First();
    ui->sayiLabel->setText(u"%1 değişiklik"_s.arg(gecmisQuery->rowCount()));
    showDetail();
}

// The current row's changes, one field a line.
void TgecmisF::showDetail()
{
    const int row = gecmisQuery->Active() ? gecmisQuery->currentRow() : -1;
    ui->ayrintiMemo->setPlainText(row < 0
            ? QString()
            : ChangeLog::describe(textAt(*gecmisQuery, row, u"tablo"), textAt(*gecmisQuery, row, u"degisen")));
}
