#include "TScreen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>

TScreen::TScreen()
    : QWidget(nullptr, Qt::Window)
{ }

TScreen::~TScreen()
{
    if (m_seesKeysFirst)
        qApp->removeEventFilter(this);
}

TScreen::Placement TScreen::placement() const
{
    return m_placement;
}

bool TScreen::seesKeysFirst() const
{
    return m_seesKeysFirst;
}

void TScreen::setPlacement(Placement placement)
{
    m_placement = placement;
}

void TScreen::hideTitleBarButtons()
{
    const Qt::WindowFlags keep = windowFlags() & Qt::WindowStaysOnTopHint;
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | keep);
}

void TScreen::setStaysOnTop()
{
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
}

void TScreen::setSeesKeysFirst(bool on)
{
    if (on == m_seesKeysFirst)
        return;
    m_seesKeysFirst = on;
    // Keys go to the focused control first; only an application-wide filter sees them before
    // any control of this window does, whichever control it is and however it was added.
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool TScreen::screenKey(QKeyEvent* event)
{
    Q_UNUSED(event)
    return false;
}

QWidget* TScreen::keyTarget() const
{
    return m_keyTarget;
}

bool TScreen::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyRelease) {
        m_lastKey = nullptr;
        return false;
    }
    if (type != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    // An ignored key travels up through the parents of its control as the same event; a new
    // key press may reuse the old one's address, so the target must be a real ancestor.
    if (event == m_lastKey && m_keyTarget && widget != m_keyTarget && widget->isAncestorOf(m_keyTarget))
        return false;
    m_lastKey = event;
    m_keyTarget = widget;
    return screenKey(static_cast<QKeyEvent*>(event));
}

void TScreen::setVisible(bool visible)
{
    const bool showing = visible && isHidden();
    if (showing)
        placeForShow();
    QWidget::setVisible(visible);
    // The frame is known only once the window is up; centre again with it.
    if (showing)
        placeForShow();
}

void TScreen::placeForShow()
{
    switch (m_placement) {
    case Placement::Default:
        return;
    case Placement::Maximised:
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    case Placement::CentredOnScreen:
    case Placement::CentredOnDesktop:
        break;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area
        = m_placement == Placement::CentredOnScreen ? screen->availableGeometry() : screen->availableVirtualGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}
