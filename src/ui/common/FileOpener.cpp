#include "FileOpener.h"

#include <QDesktopServices>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

FileOpener::Handler* currentHandler = nullptr;

} // namespace

bool FileOpener::open(const QString& path, QString* error)
{
    if (currentHandler)
        return currentHandler->open(path, error);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return true;
    // The desktop gives no reason of its own.
    if (error)
        *error = u"Bu türdeki dosyaları açacak bir program bulunamadı ya da başlatılamadı."_s;
    return false;
}

void FileOpener::setHandler(Handler* handler)
{
    currentHandler = handler;
}

FileOpener::Handler* FileOpener::handler()
{
    return currentHandler;
}
