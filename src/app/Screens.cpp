#include "Screens.h"

#include "AutoBackup.h"
#include "Connection.h"
#include "DataSet.h"
#include "DataSource.h"
#include "HelpButton.h"
#include "Messages.h"
#include "TChartF.h"
#include "TPasswordDlg.h"
#include "TTetkikF.h"
#include "TasilarF.h"
#include "TfrmMain.h"
#include "TgecmisF.h"
#include "ThazirlaF.h"
#include "Tozluk.h"
#include "TreceteF.h"
#include "Tsicrapor.h"
#include "TsifrelerF.h"
#include "TtetkikgirisF.h"
#include "TyardimF.h"

#include <QScopeGuard>

#include <chrono>
#include <memory>

using namespace Qt::StringLiterals;

Screens& screens()
{
    static Screens instance;
    return instance;
}

void Screens::build()
{
    if (built())
        return;
    m_ended = false;
    ozlukAcan.clear();
    listeAcan.clear();

    // The sign-in dialog comes first: it sets the working directory and opens the connection
    // that every later data set uses. An older clinic file is brought up to date as it opens,
    // before any screen is there: a wait window of its own says so meanwhile.
    std::unique_ptr<ThazirlaF> upgradeWait;
    Connection::setUpgradeNotice([&upgradeWait](bool busy) {
        if (!busy) {
            upgradeWait.reset();
            return;
        }
        upgradeWait = std::make_unique<ThazirlaF>();
        upgradeWait->showMessage(ThazirlaF::updatingText());
    });
    const auto noNotice = qScopeGuard([] { Connection::setUpgradeNotice({}); });
    PasswordDlg = new TPasswordDlg;
    frmMain = new TfrmMain;
    sicrapor = new Tsicrapor;
    ozluk = new Tozluk;
    asilarF = new TasilarF;
    ChartF = new TChartF;
    sifrelerF = new TsifrelerF;
    TetkikF = new TTetkikF;
    hazirlaF = new ThazirlaF;
    tetkikgirisF = new TtetkikgirisF;
    receteF = new TreceteF;
    yardimF = new TyardimF;
    gecmisF = new TgecmisF;

    wire();
    startBackups();
}

void Screens::start()
{
    build();
    // Without its database the program has nothing to show: it has said why, and ends.
    if (PasswordDlg->cannotStart()) {
        end();
        return;
    }
    PasswordDlg->show();
}

// References that name another screen's data sets, possible only once all of them exist; the
// help buttons open the help viewer.
void Screens::wire()
{
    TyardimF* help = yardimF;
    HelpButton::setOpener([help](const QString& topicFile) { help->showTopic(topicFile); });

    frmMain->muayeneTable->setMasterSource(ozluk->sicilSource);
    frmMain->muayeneTable->setMasterFields(u"hasta_kodu"_s);
    frmMain->DataSource2->setDataSet(sicrapor->sicrapQuery);

    asilarF->asi2Table->setMasterSource(ozluk->sicilSource);
    asilarF->asi2Table->setMasterFields(u"hasta_kodu"_s);

    receteF->recTable->setMasterSource(frmMain->muayeneRSource);
    receteF->recTable->setMasterFields(u"mid"_s);

    DataSet* labTable = tetkikgirisF->labTable;
    DataSet* testTypes = TetkikF->tetkikTTable;
    labTable->setMasterSource(frmMain->muayeneRSource);
    labTable->setMasterFields(u"mid"_s);
    labTable->addLookupField(u"tetkikalt"_s, 15, u"tetkikturu"_s, testTypes, u"tetkikturu"_s, u"normaldegalt"_s);
    labTable->addLookupField(u"tetkikust"_s, 15, u"tetkikturu"_s, testTypes, u"tetkikturu"_s, u"normaldegust"_s);
    labTable->addLookupField(u"tur"_s, 20, u"tetkikturu"_s, testTypes, u"tetkikturu"_s, u"tetkikturu"_s);

    QObject::connect(ozluk->sicilTable, &DataSet::currentChanged, gecmisF, &TgecmisF::childMoved);
}

// Undoes the links across screens, so that no screen is left pointing at one already gone.
void Screens::unwire()
{
    HelpButton::setOpener(nullptr);
    QObject::disconnect(ozluk->sicilTable, &DataSet::currentChanged, gecmisF, &TgecmisF::childMoved);
    tetkikgirisF->labTable->setMasterSource(nullptr);
    receteF->recTable->setMasterSource(nullptr);
    asilarF->asi2Table->setMasterSource(nullptr);
    frmMain->DataSource2->setDataSet(nullptr);
    frmMain->muayeneTable->setMasterSource(nullptr);
}

// The daily copy is first looked for a few minutes after start, then every half hour; a
// failure is told once, in an error box.
void Screens::startBackups()
{
    using namespace std::chrono_literals;
    if (!automaticBackups || !Connection::defaultConnection())
        return;
    m_backups = new AutoBackup(Connection::defaultConnection()->path());
    m_backups->onFailure = [](const QString& text) { Messages::error(text); };
    m_backups->start(3min, 30min);
}

void Screens::destroy()
{
    if (!built())
        return;

    const QList<TScreen*> screensInOrder = all();
    for (auto it = screensInOrder.crbegin(); it != screensInOrder.crend(); ++it) {
        for (DataSet* dataSet : (*it)->findChildren<DataSet*>()) {
            try {
                dataSet->Close();
            } catch (const std::exception&) {
                // The program is ending; there is nobody left to tell.
            }
        }
    }
    unwire();

    // The sign-in dialog goes last; the connection goes with it.
    for (auto it = screensInOrder.crbegin(); it != screensInOrder.crend(); ++it)
        delete *it;

    PasswordDlg = nullptr;
    frmMain = nullptr;
    sicrapor = nullptr;
    ozluk = nullptr;
    asilarF = nullptr;
    ChartF = nullptr;
    sifrelerF = nullptr;
    TetkikF = nullptr;
    hazirlaF = nullptr;
    tetkikgirisF = nullptr;
    receteF = nullptr;
    yardimF = nullptr;
    gecmisF = nullptr;
    ozlukAcan.clear();
    listeAcan.clear();

    // Every data set and the connection are closed: the last copy has everything stored. A wait
    // window says why the program has not gone yet.
    if (m_backups) {
        {
            ThazirlaF wait;
            wait.showMessage(u"BEKLEYİN YEDEK ALINIYOR..."_s);
            m_backups->finish();
        }
        delete m_backups;
        m_backups = nullptr;
    }
}

bool Screens::built() const
{
    return PasswordDlg != nullptr;
}

QList<TScreen*> Screens::all() const
{
    if (!built())
        return {};
    return { PasswordDlg, frmMain, sicrapor, ozluk, asilarF, ChartF, sifrelerF, TetkikF, hazirlaF, tetkikgirisF,
        receteF, yardimF, gecmisF };
}

TScreen* Screens::byName(const QString& instanceName) const
{
    for (TScreen* screen : all()) {
        if (screen->objectName() == instanceName)
            return screen;
    }
    return nullptr;
}

void Screens::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (onEnd)
        onEnd();
}

bool Screens::ended() const
{
    return m_ended;
}

AutoBackup* Screens::backups() const
{
    return m_backups;
}
