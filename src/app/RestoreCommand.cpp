#include "RestoreCommand.h"

#include "BackupRestore.h"
#include "Connection.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

bool RestoreCommand::asked(const QStringList& arguments, QString& file)
{
    const qsizetype at = arguments.indexOf(u"--restore"_s);
    if (at < 0)
        return false;
    file = arguments.value(at + 1);
    return true;
}

int RestoreCommand::run(const QString& file, const QString& programFolder, QTextStream& out)
{
    if (file.isEmpty() || file.startsWith(u"--"_s)) {
        out << u"Kullanım: pediakay --restore YEDEK_DOSYASI"_s << Qt::endl;
        return 2;
    }
    const QString backup = QFileInfo(file).absoluteFilePath();
    QDir::setCurrent(programFolder);
    const BackupRestore::Result result
        = BackupRestore::restore(backup, Connection::defaultPath(), QDateTime::currentDateTime());
    out << result.text << Qt::endl;
    return result.ok ? 0 : 1;
}
