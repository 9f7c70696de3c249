#include "ProgramSettings.h"

#include <QDir>
#include <QSettings>

using namespace Qt::StringLiterals;

QString ProgramSettings::file()
{
    return QDir::current().absoluteFilePath(u"Data/Program.ini"_s);
}

QVariant ProgramSettings::value(const QString& key, const QVariant& fallback)
{
    const QSettings settings(file(), QSettings::IniFormat);
    return settings.value(key, fallback);
}

void ProgramSettings::setValue(const QString& key, const QVariant& value)
{
    QDir::current().mkpath(u"Data"_s);
    QSettings settings(file(), QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
}
