#pragma once

#include "TScreen.h"

#include <memory>

class QKeyEvent;
class QMouseEvent;

namespace Ui {
class ThazirlaF;
}

// The wait window: one line whose caption tells what the program is doing during a long step.
class ThazirlaF final : public TScreen
{
    Q_OBJECT

private:
    // The form's controls, for this class alone.
    const std::unique_ptr<Ui::ThazirlaF> ui;

public:
    ThazirlaF();
    ~ThazirlaF() override;

    // Shows the window with the message as its caption, painted at once.
    void showMessage(const QString& caption);
    // The caption while a file is being brought up to date.
    static QString updatingText();
    void hideMessage();

    // "KAPAT": hides the window.
    void YenileClick();
    // A click on the window itself hides it.
    void FormClick();
    // A key pressed while the window itself has the focus hides it.
    void FormKeyPress();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
