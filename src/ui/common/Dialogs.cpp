#include "Dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

Dialogs::Handler* currentHandler = nullptr;

} // namespace

QString Dialogs::getOpenFileName(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
{
    if (currentHandler)
        return currentHandler->openFileName(parent, caption, directory, filter);
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString Dialogs::getSaveFileName(
    QWidget* parent, const QString& caption, const QString& directory, const QString& filter, QString* selectedFilter)
{
    if (currentHandler)
        return currentHandler->saveFileName(parent, caption, directory, filter, selectedFilter);
    return QFileDialog::getSaveFileName(parent, caption, directory, filter, selectedFilter);
}

bool Dialogs::choosePrinter(QWidget* parent, QPrinter& printer, int pageCount)
{
    if (currentHandler)
        return currentHandler->choosePrinter(parent, printer, pageCount);
    QPrintDialog dialog(&printer, parent);
    if (pageCount > 0) {
        dialog.setMinMax(1, pageCount);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    }
    return dialog.exec() == QDialog::Accepted;
}

bool Dialogs::printersAvailable()
{
    if (currentHandler)
        return currentHandler->printersAvailable();
    return !QPrinterInfo::availablePrinters().isEmpty();
}

QColor Dialogs::getColor(QWidget* parent, const QColor& initial, const QString& caption)
{
    if (currentHandler)
        return currentHandler->color(parent, initial, caption);
    return QColorDialog::getColor(initial, parent, caption);
}

void Dialogs::setHandler(Handler* handler)
{
    currentHandler = handler;
}

Dialogs::Handler* Dialogs::handler()
{
    return currentHandler;
}
