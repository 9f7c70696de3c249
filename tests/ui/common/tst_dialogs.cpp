#include "Dialogs.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Records what the program asked and answers with fixed values.
class RecordingDialogs final : public Dialogs::Handler
{
public:
    QString openFileName(QWidget*, const QString& caption, const QString& directory, const QString& filter) override
    {
        asked << u"open"_s << caption << directory << filter;
        return u"/tmp/a.prp"_s;
    }
    QString saveFileName(
        QWidget*, const QString& caption, const QString&, const QString& filter, QString* selectedFilter) override
    {
        asked << u"save"_s << caption << filter;
        if (selectedFilter)
            *selectedFilter = u"PDF dosyası (*.pdf)"_s;
        return u"/tmp/b.pdf"_s;
    }
    bool choosePrinter(QWidget*, QPrinter& printer, int pageCount) override
    {
        asked << u"printer"_s << QString::number(pageCount);
        printer.setCopyCount(3);
        return true;
    }
    bool printersAvailable() override
    {
        return true;
    }
    QColor color(QWidget*, const QColor& initial, const QString&) override
    {
        return initial.darker();
    }

    QStringList asked;
};

} // namespace

class tst_Dialogs final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handlerAnswersEveryDialog();
};

void tst_Dialogs::handlerAnswersEveryDialog()
{
    RecordingDialogs handler;
    Dialogs::setHandler(&handler);
    QCOMPARE(Dialogs::handler(), &handler);
    QCOMPARE(Dialogs::getOpenFileName(nullptr, u"Rapor aç"_s, u"/tmp"_s, u"*.prp"_s), u"/tmp/a.prp"_s);
    QString filter;
    QCOMPARE(Dialogs::getSaveFileName(nullptr, u"Sakla"_s, QString(), u"a;;b"_s, &filter), u"/tmp/b.pdf"_s);
    QCOMPARE(filter, u"PDF dosyası (*.pdf)"_s);
    QPrinter printer;
    QVERIFY(Dialogs::choosePrinter(nullptr, printer, 12));
    QCOMPARE(printer.copyCount(), 3);
    QVERIFY(Dialogs::printersAvailable());
    QCOMPARE(Dialogs::getColor(nullptr, QColor(200, 200, 200), u"Renk"_s), QColor(200, 200, 200).darker());
    QCOMPARE(handler.asked,
        (QStringList { u"open"_s, u"Rapor aç"_s, u"/tmp"_s, u"*.prp"_s, u"save"_s, u"Sakla"_s, u"a;;b"_s, u"printer"_s,
            u"12"_s }));
    Dialogs::setHandler(nullptr);
    QCOMPARE(Dialogs::handler(), nullptr);
    // Without a handler the answer is the system's.
    QCOMPARE(Dialogs::printersAvailable(), !QPrinterInfo::availablePrinters().isEmpty());
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
