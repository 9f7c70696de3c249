#include "PediakayApplication.h"

#include "CommandGuard.h"
#include "Messages.h"
#include "TurkishText.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>

using namespace Qt::StringLiterals;

PediakayApplication::PediakayApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(Messages::applicationTitle());
    QLocale::setDefault(TurkishText::locale());
    // Qt's own texts (standard buttons, file and print dialogs, edit menus) in Turkish too.
    auto* qtTexts = new QTranslator(this);
    if (qtTexts->load(QLocale(), u"qtbase"_s, u"_"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);
    // QApplication takes the C library locale from the environment; printf and strtod (and the
    // spreadsheet writer behind them) must keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");
}

PediakayApplication::~PediakayApplication() = default;

bool PediakayApplication::notify(QObject* receiver, QEvent* event)
{
    // Every event passes here: keep the guarded call small enough to need no allocation.
    struct Delivery {
        QObject* receiver;
        QEvent* event;
        bool result;
    } delivery { receiver, event, false };
    CommandGuard::run([this, &delivery] { delivery.result = QApplication::notify(delivery.receiver, delivery.event); });
    return delivery.result;
}
