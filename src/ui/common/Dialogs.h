#pragma once

#include <QColor>
#include <QString>

class QPrinter;
class QWidget;

// Every file, printer and colour dialog of the program goes through here. The program shows
// the real dialogs; tests install a handler that answers them.
class Dialogs final
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        // An empty text: the user cancelled.
        virtual QString openFileName(
            QWidget* parent, const QString& caption, const QString& directory, const QString& filter)
            = 0;
        // selectedFilter receives the filter the user chose (may be nullptr).
        virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& directory,
            const QString& filter, QString* selectedFilter)
            = 0;
        // The printer selection: sets up printer (which printer, pages, copies); false when
        // cancelled. pageCount bounds the page range the user may choose (0: no range).
        virtual bool choosePrinter(QWidget* parent, QPrinter& printer, int pageCount) = 0;
        virtual bool printersAvailable() = 0;
        // An invalid colour: cancelled.
        virtual QColor color(QWidget* parent, const QColor& initial, const QString& caption) = 0;
    };

    static QString getOpenFileName(
        QWidget* parent, const QString& caption, const QString& directory, const QString& filter);
    static QString getSaveFileName(QWidget* parent, const QString& caption, const QString& directory,
        const QString& filter, QString* selectedFilter = nullptr);
    static bool choosePrinter(QWidget* parent, QPrinter& printer, int pageCount = 0);
    // Whether any printer is installed (the print buttons are disabled otherwise).
    static bool printersAvailable();
    static QColor getColor(QWidget* parent, const QColor& initial, const QString& caption);

    // Replaces the dialog handler (tests); nullptr restores the real dialogs.
    static void setHandler(Handler* handler);
    static Handler* handler();
};
