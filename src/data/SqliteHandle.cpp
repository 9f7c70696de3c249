#include "SqliteHandle.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

SqliteHandle::SqliteHandle(const QString& path, Mode mode, int busyTimeoutMs)
{
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == Mode::ReadOnly)
        flags = SQLITE_OPEN_READONLY;
    if (mode == Mode::Create) {
        flags |= SQLITE_OPEN_CREATE;
        // Patient records: a new file is its owner's only, as the program's own database.
        if (!QFileInfo::exists(path)) {
            QFile file(path);
            if (file.open(QIODevice::NewOnly | QIODevice::WriteOnly, QFile::ReadOwner | QFile::WriteOwner))
                file.close();
        }
    } else if (!QFileInfo(path).isFile()) {
        m_error = u"Dosya bulunamadı: %1"_s.arg(path);
        return;
    }
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        keepError(rc);
        close();
        return;
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
}

SqliteHandle::~SqliteHandle()
{
    close();
}

bool SqliteHandle::isOpen() const
{
    return m_db != nullptr;
}

sqlite3* SqliteHandle::get() const
{
    return m_db;
}

QString SqliteHandle::error() const
{
    return m_error;
}

bool SqliteHandle::exec(const QString& sql)
{
    if (!m_db)
        return false;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        keepError(rc);
        return false;
    }
    return true;
}

bool SqliteHandle::rows(const QString& sql, QStringList& values)
{
    values.clear();
    if (!m_db)
        return false;
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        rc = sqlite3_step(statement);
        if (rc == SQLITE_ROW)
            values.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))));
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE) {
        keepError(rc);
        return false;
    }
    return true;
}

bool SqliteHandle::integrityOk()
{
    QStringList result;
    if (!rows(u"PRAGMA integrity_check(10)"_s, result))
        return false;
    if (result == QStringList { u"ok"_s })
        return true;
    m_error = result.join(u'\n');
    return false;
}

void SqliteHandle::close()
{
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

void SqliteHandle::keepError(int code)
{
    m_error = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
}
