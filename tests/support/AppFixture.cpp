#include "AppFixture.h"

#include "Connection.h"
#include "DataSet.h"
#include "DatabaseLocation.h"
#include "Screens.h"
#include "TPasswordDlg.h"
#include "TsifrelerF.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlError>
#include <QStringList>
#include <QTest>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

int s_sqlCounter = 0;

// The help topic files the program reads from its folder.
const QStringList& helpTopics()
{
    static const QStringList topics
        = { u"ygiris"_s, u"ymuayene"_s, u"ysifreler"_s, u"yprotokol"_s, u"ygrafik"_s, u"yprotliste"_s, u"yasikart"_s };
    return topics;
}

void copyTree(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(source, target);
    }
}

} // namespace

AppFixture::AppFixture(Start when)
    : m_previousDir(QDir::currentPath())
{
    if (!m_dir.isValid())
        qFatal("AppFixture: no temporary folder: %s", qPrintable(m_dir.errorString()));
    copyBuildFiles();
    QDir::setCurrent(m_dir.path());
    if (TestDatabase::postgresqlChosen()) {
        if (TestDatabase::serverMissing())
            qFatal("AppFixture: PostgreSQL chosen but PEDIAKAY_TEST_POSTGRES names no server (scripts/test.sh starts "
                   "one; ctest -E _postgresql leaves these tests out)");
        m_database = std::make_unique<TestDatabase>();
        if (!m_database->error().isEmpty())
            qFatal("AppFixture: %s", qPrintable(m_database->error()));
        // The program finds the server the way a clinic's workstation does: in its settings file.
        const DatabaseLocation::Server server = DatabaseLocation::parse(m_database->location());
        QSettings settings(m_dir.filePath(DatabaseLocation::settingsFile()), QSettings::IniFormat);
        settings.beginGroup(u"Veritabani"_s);
        settings.setValue(u"Motor"_s, u"PostgreSQL"_s);
        settings.setValue(u"Sunucu"_s, server.host);
        settings.setValue(u"Port"_s, server.port);
        settings.setValue(u"Veritabani"_s, server.database);
        settings.setValue(u"Kullanici"_s, server.user);
    }
    if (when == Start::Now)
        start();
}

AppFixture::~AppFixture()
{
    ::screens().destroy();
    ::screens().onEnd = nullptr;
    closeSql();
    m_database.reset();
    QDir::setCurrent(m_previousDir);
}

void AppFixture::copyBuildFiles()
{
    const QString build = qEnvironmentVariable("PEDIAKAY_BUILD_DIR");
    if (build.isEmpty())
        return;
    for (const QString& topic : helpTopics()) {
        const QString source = build + u'/' + topic;
        if (QFileInfo::exists(source))
            QFile::copy(source, m_dir.filePath(topic));
    }
    const QString layouts = build + u"/layouts"_s;
    if (QFileInfo(layouts).isDir())
        copyTree(layouts, m_dir.filePath(u"layouts"_s));
}

void AppFixture::start()
{
    Screens& all = ::screens();
    if (all.built())
        qFatal("AppFixture: the screens are already built (another fixture is alive)");
    // The folder is already the working directory; the test binary's folder is not the program's.
    all.useProgramFolder = false;
    all.onEnd = nullptr;
    all.start();
}

void AppFixture::restart()
{
    ::screens().destroy();
    start();
}

bool AppFixture::programEnded() const
{
    return ::screens().ended();
}

bool AppFixture::signIn(const QString& user, const QString& password)
{
    Screens& all = ::screens();
    if (count(u"sifre"_s, u"kullanici = ?"_s, { user }) == 0) {
        exec(u"INSERT INTO sifre (kullanici, sifre, adi, soyadi) VALUES (?, ?, 'Deneme', 'Doktor')"_s,
            { user, password });
        if (all.sifrelerF->sifreTable->Active())
            all.sifrelerF->sifreTable->Refresh();
    }
    TPasswordDlg* dialog = all.PasswordDlg;
    dialog->findChild<QLineEdit*>(u"kullan"_s)->setText(user);
    dialog->findChild<QLineEdit*>(u"Password"_s)->setText(password);
    dialog->findChild<QPushButton*>(u"OKBtn"_s)->click();
    return !all.ended() && dialog->isHidden();
}

Screens& AppFixture::screens() const
{
    return ::screens();
}

MessageScript& AppFixture::messages()
{
    return m_messages;
}

OpenScript& AppFixture::opens()
{
    return m_opens;
}

QString AppFixture::folder() const
{
    return m_dir.path();
}

QString AppFixture::path(const QString& relative) const
{
    return m_dir.filePath(relative);
}

QString AppFixture::databasePath() const
{
    return path(Connection::defaultPath());
}

QSqlDatabase AppFixture::sql()
{
    if (m_sqlName.isEmpty()) {
        m_sqlName = u"appfixture-%1"_s.arg(++s_sqlCounter);
        QSqlDatabase db;
        if (m_database) {
            db = m_database->open(m_sqlName);
        } else {
            db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_sqlName);
            db.setDatabaseName(databasePath());
            db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
            db.open();
        }
        if (!db.isOpen())
            QTest::qFail(qPrintable(u"AppFixture: cannot open %1: %2"_s.arg(databasePath(), db.lastError().text())),
                __FILE__, __LINE__);
    }
    return QSqlDatabase::database(m_sqlName, false);
}

int AppFixture::count(const QString& table, const QString& where, const QVariantList& binds)
{
    QString statement = u"SELECT count(*) FROM \"%1\""_s.arg(table);
    if (!where.isEmpty())
        statement += u" WHERE "_s + where;
    QSqlQuery query = exec(statement, binds);
    if (!query.isActive() || !query.next())
        return -1;
    return query.value(0).toInt();
}

QSqlQuery AppFixture::exec(const QString& statement, const QVariantList& binds)
{
    QSqlQuery query(sql());
    bool ok = query.prepare(statement);
    if (ok) {
        for (const QVariant& value : binds)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        QTest::qFail(qPrintable(u"AppFixture: %1: %2"_s.arg(statement, query.lastError().text())), __FILE__, __LINE__);
    return query;
}

void AppFixture::closeSql()
{
    if (m_sqlName.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_sqlName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_sqlName);
    m_sqlName.clear();
}

void AppFixture::nameHelpTopics()
{
    for (const QString& topic : helpTopics()) {
        QFile file(path(topic));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("AppFixture: cannot write %s", qPrintable(file.fileName()));
        file.write(topic.toUtf8());
    }
}

QString AppFixture::shownHelpTopic() const
{
    QWidget* viewer = screens().byName(u"yardimF"_s);
    if (!viewer || !viewer->isVisible())
        return {};
    const auto* text = viewer->findChild<QTextEdit*>(u"RichEdit1"_s);
    return text ? text->toPlainText() : QString();
}
