#include "ThazirlaF.h"

#include "ui_ThazirlaF.h"

#include "CommandGuard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

using namespace Qt::StringLiterals;

ThazirlaF::ThazirlaF()
    : ui(new Ui::ThazirlaF)
{
    setObjectName(u"hazirlaF"_s);
    ui->setupUi(this);
    setPlacement(Placement::CentredOnDesktop);
    hideTitleBarButtons();
    setFixedSize(size());
    // The window can take the focus itself, so that a key pressed on it (not on its button)
    // reaches FormKeyPress.
    setFocusPolicy(Qt::StrongFocus);
    // Enter on the button presses it, as the space bar does.
    ui->Yenile->setAutoDefault(true);
    connect(ui->Yenile, &QPushButton::clicked, this, &ThazirlaF::YenileClick);
}

ThazirlaF::~ThazirlaF() = default;

void ThazirlaF::showMessage(const QString& caption)
{
    setWindowTitle(caption);
    show();
    raise();
    // The caller goes on with a long step at once; the window must be on the screen before it.
    // Input is held back so that no other command starts in between.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ThazirlaF::updatingText()
{
    return u"BEKLEYİN DOSYA GÜNCELLENİYOR..."_s;
}

void ThazirlaF::hideMessage()
{
    hide();
}

void ThazirlaF::YenileClick()
{
    CommandGuard::run([&] { hide(); });
}

void ThazirlaF::FormClick()
{
    CommandGuard::run([&] { hide(); });
}

void ThazirlaF::FormKeyPress()
{
    CommandGuard::run([&] { hide(); });
}

void ThazirlaF::mousePressEvent(QMouseEvent* event)
{
    FormClick();
    event->accept();
}

void ThazirlaF::keyPressEvent(QKeyEvent* event)
{
    // Keys the button leaves alone travel up here too; only the window's own keys count.
    if (ui->Yenile->hasFocus()) {
        TScreen::keyPressEvent(event);
        return;
    }
    FormKeyPress();
    event->accept();
}
