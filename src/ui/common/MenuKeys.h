#pragma once

class QAction;
class QWidget;

// Function keys of the screens' menus. Qt fires an action's shortcut only while the action is
// visible and only where the menu's window has the focus; a screen's keys must work anywhere on
// the screen, also when their menu entry is hidden.
class MenuKeys final
{
public:
    // Carries the action's shortcut on the screen's window: pressing it anywhere on the screen
    // triggers the action while the action is enabled, visible or not. The menu entry keeps
    // showing the key. Call after the action's shortcut is set; returns the carrying action.
    static QAction* carry(QWidget* screen, QAction* action);
};
