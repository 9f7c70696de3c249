#include "BackupNames.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

const QString stampFormat = u"yyyy-MM-dd_HHmm"_s;

} // namespace

QString BackupNames::backupFile(const QDateTime& taken, const QString& extension)
{
    return u"Pediakay-%1.%2"_s.arg(taken.toString(stampFormat), extension);
}

QString BackupNames::asideFile(const QDateTime& kept)
{
    return u"Pediakay-oncesi-%1.db"_s.arg(kept.toString(stampFormat));
}

QDateTime BackupNames::takenAt(const QString& fileName)
{
    static const QRegularExpression pattern(u"^Pediakay-(\\d{4}-\\d{2}-\\d{2}_\\d{4})\\.(db|dump)$"_s);
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return {};
    return QDateTime::fromString(match.captured(1), stampFormat);
}
