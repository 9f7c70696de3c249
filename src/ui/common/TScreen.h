#pragma once

#include <QPointer>
#include <QWidget>

class QKeyEvent;

// Base of the program's screens: a top-level window that is built once and then shown and
// hidden. It carries the window's placement and title-bar traits and, for screens that see
// keys first, offers every key typed into one of its controls to screenKey() before the
// control gets it.
class TScreen : public QWidget
{
    Q_OBJECT

public:
    enum class Placement {
        Default, // where the window system puts it
        CentredOnScreen, // centred on the primary screen
        CentredOnDesktop, // centred on the whole desktop
        Maximised,
    };

    TScreen();
    ~TScreen() override;

    Placement placement() const;
    bool seesKeysFirst() const;

    void setVisible(bool visible) override;

protected:
    void setPlacement(Placement placement);
    // Title bar without close, minimise and maximise buttons.
    void hideTitleBarButtons();
    void setStaysOnTop();
    void setSeesKeysFirst(bool on);

    // Called with every key press typed into this window while it sees keys first. Returning
    // true swallows the key; false passes it on to the control. A key that the control ignores
    // and that travels up to its parents is offered only once.
    virtual bool screenKey(QKeyEvent* event);
    // The control that received the key screenKey() is looking at.
    QWidget* keyTarget() const;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeForShow();

    Placement m_placement = Placement::Default;
    bool m_seesKeysFirst = false;
    const QEvent* m_lastKey = nullptr;
    QPointer<QWidget> m_keyTarget;
};
