#include "Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

using namespace Qt::StringLiterals;

const QString Messages::kayitEdilsinmi = u"İşlenen bilgiler kayıt edilsinmi?"_s;
const QString Messages::kayitEdilmedenCikilsinmi = u"İşlenen bilgiler kayıt edilmeden çıkılsınmı?"_s;
const QString Messages::degisiklikKayitsizCikilsinmi = u"Yapılan değişiklik kayıt yapılmadan çıkılsınmı?"_s;
const QString Messages::muayeneKayitEtmelisiniz
    = u"Bu işlemden önce muayene bilgilerini kayıt etmelisiniz! Bilgileri şimdi kayıt etmek istermisiniz?"_s;
const QString Messages::kayitEtmekEminmisiniz = u"Bilgileri kayıt etmek istediğinize eminmisiniz?"_s;

namespace {

Messages::Handler* currentHandler = nullptr;

Messages::Answer answerFor(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Messages::Answer::Yes;
    case QMessageBox::No:
        return Messages::Answer::No;
    case QMessageBox::Ok:
        return Messages::Answer::Ok;
    case QMessageBox::Cancel:
        return Messages::Answer::Cancel;
    default:
        return Messages::Answer::Closed;
    }
}

Messages::Answer run(QMessageBox& box)
{
    // Escape clicks the escape button, so it answers like that button. The window's close
    // button only sets the escape button as the result, without a click: that is Closed.
    bool clicked = false;
    QObject::connect(&box, &QMessageBox::buttonClicked, &box, [&clicked] { clicked = true; });
    box.exec();
    if (!clicked || box.clickedButton() == nullptr)
        return Messages::Answer::Closed;
    return answerFor(box.standardButton(box.clickedButton()));
}

void prepare(QMessageBox& box, const QString& caption, const QString& text)
{
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
}

Messages::Answer showDialog(Messages::Kind kind, const QString& caption, const QString& text)
{
    QMessageBox box(QApplication::activeWindow());
    prepare(box, caption, text);
    switch (kind) {
    case Messages::Kind::Question:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Messages::Kind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Messages::Kind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Messages::Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if (kind != Messages::Kind::Question) {
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    return run(box);
}

Messages::Answer showYesNoCancelDialog(const QString& caption, const QString& text)
{
    QMessageBox box(QApplication::activeWindow());
    prepare(box, caption, text);
    box.setIcon(QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    return run(box);
}

Messages::Answer show(Messages::Kind kind, const QString& caption, const QString& text)
{
    if (currentHandler)
        return currentHandler->show(kind, caption, text);
    return showDialog(kind, caption, text);
}

} // namespace

QString Messages::applicationTitle()
{
    return u"Lumeko Fidanizi Programı"_s;
}

bool Messages::question(const QString& text)
{
    return ask(text) == Answer::Yes;
}

Messages::Answer Messages::ask(const QString& text)
{
    return show(Kind::Question, applicationTitle(), text);
}

Messages::Answer Messages::askYesNoCancel(const QString& text)
{
    return askYesNoCancel(applicationTitle(), text);
}

Messages::Answer Messages::askYesNoCancel(const QString& caption, const QString& text)
{
    if (currentHandler)
        return currentHandler->showYesNoCancel(caption, text);
    return showYesNoCancelDialog(caption, text);
}

void Messages::information(const QString& text)
{
    show(Kind::Information, u"Information"_s, text);
}

void Messages::plain(const QString& text)
{
    show(Kind::Plain, applicationTitle(), text);
}

void Messages::error(const QString& text)
{
    show(Kind::Error, applicationTitle(), text);
}

void Messages::errorWithCaption(const QString& caption, const QString& text)
{
    show(Kind::Error, caption, text);
}

void Messages::setHandler(Handler* handler)
{
    currentHandler = handler;
}

Messages::Handler* Messages::handler()
{
    return currentHandler;
}
