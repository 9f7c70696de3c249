#include "Connection.h"

#include "DataError.h"
#include "DatabaseLocation.h"
#include "Schema.h"
#include "SqlDialect.h"
#include "WriteBatch.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

Connection* s_defaultConnection = nullptr;
QAtomicInt s_connectionCounter;

std::function<void(bool)>& upgradeNotice()
{
    static std::function<void(bool)> notice;
    return notice;
}

// Runs one statement; false keeps the engine's text in error.
bool run(QSqlDatabase& db, const QString& sql, QString& error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql)) {
        error = DataError::engineText(q.lastError());
        return false;
    }
    // Reading the first row makes the engine touch the file even for a PRAGMA.
    q.next();
    return true;
}

// Creates the folder with its missing parents; the folder itself, when created here, is its
// owner's only.
bool createPrivateFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(QFileInfo(folder).absolutePath()))
        return false;
    return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(folder).isDir();
}

} // namespace

Connection::Connection(const QString& path, const QString& connectionName)
    : m_path(path)
    , m_name(connectionName)
{
    if (m_name.isEmpty())
        m_name = u"pediakay-%1"_s.arg(s_connectionCounter.fetchAndAddRelaxed(1) + 1);
}

Connection::~Connection()
{
    close();
    if (s_defaultConnection == this)
        s_defaultConnection = nullptr;
}

QString Connection::defaultPath()
{
    return u"Data/Pediakay.db"_s;
}

bool Connection::isServer() const
{
    return DatabaseLocation::isServerAddress(m_path);
}

const SqlDialect& Connection::dialect() const
{
    return isServer() ? SqlDialect::postgresql() : SqlDialect::sqlite();
}

bool Connection::openServer()
{
    const DatabaseLocation::Server server = DatabaseLocation::parse(m_path);
    if (!server.ok) {
        m_lastError = server.error;
        return false;
    }
    const SqlDialect& dialect = SqlDialect::postgresql();
    if (!QSqlDatabase::isDriverAvailable(dialect.driverName())) {
        m_lastError = u"Veritabanına bağlanılamadı: PostgreSQL sürücüsü (%1) kurulu değil."_s.arg(dialect.driverName());
        return false;
    }
    m_db = QSqlDatabase::addDatabase(dialect.driverName(), m_name);
    m_db.setHostName(server.host);
    m_db.setPort(server.port);
    m_db.setDatabaseName(server.database);
    m_db.setUserName(server.user);
    // An unreachable server is given up after a few seconds rather than the system's minutes.
    m_db.setConnectOptions(u"connect_timeout=5;application_name=pediakay"_s);
    if (!m_db.open()) {
        m_lastError = u"Veritabanına bağlanılamadı: %1"_s.arg(DataError::engineText(m_db.lastError()));
        close();
        return false;
    }
    return true;
}

bool Connection::openFile()
{
    const QFileInfo info(m_path);
    const QString folder = info.absolutePath();
    if (!createPrivateFolder(folder)) {
        m_lastError = u"Veritabanı klasörü oluşturulamadı: %1"_s.arg(QDir::toNativeSeparators(folder));
        return false;
    }
    // Patient records: a new database is readable by its owner only. SQLite gives its companion
    // files (-wal, -shm) the permissions of the database file. An existing file keeps the
    // permissions the clinic gave it.
    if (!info.exists()) {
        QFile file(m_path);
        if (file.open(QIODevice::NewOnly | QIODevice::WriteOnly, QFile::ReadOwner | QFile::WriteOwner))
            file.close();
    }

    m_db = QSqlDatabase::addDatabase(SqlDialect::sqlite().driverName(), m_name);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=5000"_s);
    if (!m_db.open()) {
        m_lastError = DataError::engineText(m_db.lastError());
        close();
        return false;
    }

    // SQLite opens almost anything lazily; these statements are the first to read the file, so
    // a damaged or unreadable file is reported here and not at the first screen.
    QString error;
    for (const QString& sql : SqlDialect::sqlite().openingStatements()) {
        if (!run(m_db, sql, error)) {
            m_lastError = error;
            close();
            return false;
        }
    }
    return true;
}

bool Connection::open()
{
    if (isOpen())
        return true;
    close();
    if (!(isServer() ? openServer() : openFile()))
        return false;

    try {
        Schema::ensure(m_db, upgradeNotice());
    } catch (const DataError& e) {
        m_lastError = e.text();
        close();
        return false;
    }

    m_open = true;
    m_lastError.clear();
    ++m_generation;
    return true;
}

void Connection::close()
{
    m_open = false;
    if (!m_db.isValid())
        return;
    if (m_db.isOpen())
        m_db.close();
    // Drop our handle before removing the connection, or Qt warns that it is still in use.
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

// A server's connection that was lost counts as closed: its driver is open only while it is sound.
bool Connection::isOpen() const
{
    return m_open && m_db.isOpen();
}

QString Connection::lastError() const
{
    return m_lastError;
}

QString Connection::path() const
{
    return m_path;
}

void Connection::setPath(const QString& path)
{
    close();
    m_path = path;
}

QString Connection::connectionName() const
{
    return m_name;
}

QSqlDatabase& Connection::database()
{
    if (isOpen())
        return m_db;
    // Lost inside a command's batch: the rest of the batch is not stored on a new connection
    // without its beginning; the connection is opened anew once the batch has ended.
    if (m_open && WriteBatch::active(m_name))
        throw DataError(lostText(), DataError::ConnectionLost);
    if (!open())
        throw DataError(m_lastError);
    return m_db;
}

QString Connection::lostText(bool changeTakenBack)
{
    return (changeTakenBack ? u"Veritabanı sunucusuyla bağlantı koptu; değişiklik kaydedilmedi. "_s
                            : u"Veritabanı sunucusuyla bağlantı koptu. "_s)
        + u"Bağlantı bir sonraki işlemde yeniden kurulacak."_s;
}

int Connection::generation() const
{
    return m_generation;
}

Connection* Connection::defaultConnection()
{
    return s_defaultConnection;
}

void Connection::setDefaultConnection(Connection* connection)
{
    s_defaultConnection = connection;
}

void Connection::setUpgradeNotice(std::function<void(bool busy)> notice)
{
    upgradeNotice() = std::move(notice);
}
