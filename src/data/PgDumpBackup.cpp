#include "PgDumpBackup.h"

#include "ProcessRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// A large clinic's dump over a slow network still ends within this.
constexpr int dumpTimeoutMs = 60 * 60 * 1000;
constexpr int listTimeoutMs = 10 * 60 * 1000;

} // namespace

bool PgDumpBackup::copy(const QString& address, const QString& destination, QString& error)
{
    const QString dump = ProcessRunner::findTool(u"pg_dump"_s);
    const QString restore = ProcessRunner::findTool(u"pg_restore"_s);
    if (dump.isEmpty() || restore.isEmpty()) {
        error = u"PostgreSQL araçları (pg_dump, pg_restore) bu bilgisayarda kurulu değil; yedeği sunucuda "
                u"alın."_s;
        return false;
    }
    const QString folder = QFileInfo(destination).absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
        error = u"Yedek klasörü oluşturulamadı: %1"_s.arg(QDir::toNativeSeparators(folder));
        return false;
    }
    if (QFileInfo::exists(destination)) {
        error = u"Yedek dosyası zaten var: %1"_s.arg(QDir::toNativeSeparators(destination));
        return false;
    }
    const QString partial = destination + u".yarim"_s;
    QFile::remove(partial);

    // A password in the address goes to the tool in its environment, never on its command line,
    // where every user of the computer could read it.
    QUrl server(address);
    QStringList environment;
    if (!server.password().isEmpty()) {
        environment.append(u"PGPASSWORD=%1"_s.arg(server.password()));
        server.setPassword(QString());
    }
    const ProcessRunner::Outcome dumped = ProcessRunner::start(dump,
        { u"--format=custom"_s, u"--file=%1"_s.arg(partial), u"--dbname=%1"_s.arg(server.toString()) }, environment,
        dumpTimeoutMs);
    if (!dumped.ran || dumped.exitCode != 0 || !QFileInfo(partial).isFile()) {
        QFile::remove(partial);
        error = u"pg_dump yedeği alamadı: %1"_s.arg(dumped.errors);
        return false;
    }
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner);
    const ProcessRunner::Outcome listed = ProcessRunner::start(restore, { u"--list"_s, partial }, {}, listTimeoutMs);
    if (!listed.ran || listed.exitCode != 0 || listed.output.trimmed().isEmpty()) {
        QFile::remove(partial);
        error = u"Yedek denetlenirken hata bulundu: %1"_s.arg(listed.errors);
        return false;
    }
    if (!QFile::rename(partial, destination)) {
        QFile::remove(partial);
        error = u"Yedek dosyası adlandırılamadı: %1"_s.arg(QDir::toNativeSeparators(destination));
        return false;
    }
    return true;
}
