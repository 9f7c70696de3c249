#include "DatabaseLocation.h"

#include "Connection.h"

#include <QFileInfo>
#include <QSettings>
#include <QUrl>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace {

const QString passwordText = u"Veritabanı parolası adreste ya da ayar dosyasında yazılmaz; parolayı ~/.pgpass "
                             u"dosyasına ya da PGPASSWORD ortam değişkenine yazın."_s;

} // namespace

QString DatabaseLocation::settingsFile()
{
    return u"Data/Veritabani.ini"_s;
}

bool DatabaseLocation::isServerAddress(const QString& location)
{
    return location.startsWith(u"postgresql://"_s, Qt::CaseInsensitive)
        || location.startsWith(u"postgres://"_s, Qt::CaseInsensitive);
}

DatabaseLocation::Server DatabaseLocation::parse(const QString& address)
{
    Server server;
    const QUrl url(address, QUrl::StrictMode);
    if (!isServerAddress(address) || !url.isValid()) {
        server.error
            = u"Veritabanı adresi anlaşılamadı: %1 (örnek: postgresql://kullanici@sunucu:5432/klinik)"_s.arg(address);
        return server;
    }
    if (!url.password().isEmpty()) {
        server.error = passwordText;
        return server;
    }
    server.user = url.userName();
    server.host = url.host();
    const QUrlQuery query(url);
    if (query.hasQueryItem(u"host"_s))
        server.host = query.queryItemValue(u"host"_s, QUrl::FullyDecoded);
    server.port = url.port(5432);
    server.database = url.path().mid(1);
    if (server.database.isEmpty() || server.database.contains(u'/')) {
        server.error = u"Veritabanı adresinde veritabanının adı yok: %1"_s.arg(address);
        return server;
    }
    server.ok = true;
    return server;
}

QString DatabaseLocation::address(const QString& user, const QString& host, int port, const QString& database)
{
    QUrl url;
    url.setScheme(u"postgresql"_s);
    url.setUserName(user);
    // A socket folder is not a host name: it goes in the query, as the client library takes it.
    if (host.startsWith(u'/')) {
        url.setHost(u"localhost"_s);
        QUrlQuery query;
        query.addQueryItem(u"host"_s, host);
        url.setQuery(query);
    } else {
        url.setHost(host);
    }
    url.setPort(port);
    url.setPath(u'/' + database);
    return url.toString();
}

QString DatabaseLocation::fromSettings(const QString& file, QString* error)
{
    if (!QFileInfo::exists(file))
        return {};
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        *error = u"Veritabanı ayar dosyası okunamadı: %1"_s.arg(file);
        return {};
    }
    settings.beginGroup(u"Veritabani"_s);
    const QString engine = settings.value(u"Motor"_s).toString().trimmed();
    if (engine.isEmpty() || engine.compare(u"SQLite"_s, Qt::CaseInsensitive) == 0)
        return {};
    if (engine.compare(u"PostgreSQL"_s, Qt::CaseInsensitive) != 0) {
        *error = u"Veritabanı ayar dosyasında bilinmeyen motor: %1 (SQLite ya da PostgreSQL olmalı)"_s.arg(engine);
        return {};
    }
    if (settings.contains(u"Parola"_s) || settings.contains(u"Sifre"_s)) {
        *error = passwordText;
        return {};
    }
    bool portOk = false;
    const int port = settings.value(u"Port"_s, 5432).toInt(&portOk);
    const QString host = settings.value(u"Sunucu"_s).toString().trimmed();
    const QString database = settings.value(u"Veritabani"_s).toString().trimmed();
    if (!portOk || port <= 0 || port > 65535 || host.isEmpty() || database.isEmpty()) {
        *error = u"Veritabanı ayar dosyasında sunucu, port ya da veritabanı adı eksik veya yanlış: %1"_s.arg(file);
        return {};
    }
    return address(settings.value(u"Kullanici"_s).toString().trimmed(), host, port, database);
}

QString DatabaseLocation::choose(const QStringList& arguments, QString* error)
{
    const qsizetype option = arguments.indexOf(u"--database"_s);
    if (option >= 0) {
        const QString location = arguments.value(option + 1);
        if (location.isEmpty()) {
            *error = u"--database seçeneğinden sonra veritabanının adresi gelmeli."_s;
            return Connection::defaultPath();
        }
        if (isServerAddress(location)) {
            const Server server = parse(location);
            if (!server.ok) {
                *error = server.error;
                return Connection::defaultPath();
            }
        }
        return location;
    }
    const QString fromFile = fromSettings(settingsFile(), error);
    return fromFile.isEmpty() ? Connection::defaultPath() : fromFile;
}
