#include "MenuKeys.h"

#include <QAction>
#include <QWidget>

QAction* MenuKeys::carry(QWidget* screen, QAction* action)
{
    auto* carrier = new QAction(action);
    carrier->setObjectName(action->objectName() + QStringLiteral("Key"));
    carrier->setShortcuts(action->shortcuts());
    carrier->setShortcutContext(Qt::WindowShortcut);
    screen->addAction(carrier);
    // The entry's own shortcut now counts only inside its open menu, so the two never compete.
    action->setShortcutContext(Qt::WidgetShortcut);
    // Hiding an action also disables it; trigger() still refuses one that was disabled on
    // purpose, so the carrier stays enabled and leaves that decision to the action.
    QObject::connect(carrier, &QAction::triggered, action, &QAction::trigger);
    return carrier;
}
