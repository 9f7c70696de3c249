#pragma once

#include "Dialogs.h"

#include <QColor>
#include <QString>

// Answers the open-file dialog with a fixed file (empty: cancelled) and keeps the folder it
// opened in; every other dialog is cancelled. Installed while it lives.
class FileAnswer final : public Dialogs::Handler
{
public:
    QString file;
    QString folder;
    int asked = 0;

    FileAnswer()
    {
        Dialogs::setHandler(this);
    }
    ~FileAnswer() override
    {
        Dialogs::setHandler(nullptr);
    }
    FileAnswer(const FileAnswer&) = delete;
    FileAnswer& operator=(const FileAnswer&) = delete;

    QString openFileName(QWidget*, const QString&, const QString& directory, const QString&) override
    {
        ++asked;
        folder = directory;
        return file;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return {};
    }
    bool choosePrinter(QWidget*, QPrinter&, int) override
    {
        return false;
    }
    bool printersAvailable() override
    {
        return false;
    }
    QColor color(QWidget*, const QColor&, const QString&) override
    {
        return {};
    }
};
