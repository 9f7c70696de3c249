#pragma once

#include <QString>

class QAbstractItemView;
class QKeyEvent;
class QLineEdit;
class QObject;
class QWidget;

// Key habits shared by the screens: Enter stepping through the controls, and capitals at the
// start of every typed word.
class EditKeys final
{
public:
    // What Enter does on a screen besides moving to the next control.
    struct EnterRules {
        bool memoNewLine = true; // in a memo box Enter makes a new line
        bool gridColumnSteps = true; // in a grid Enter moves to the next column of the row
    };

    // Enter or the keypad's Enter, without Shift, Ctrl or Alt.
    static bool isEnter(const QKeyEvent* event);

    // Handles Enter typed into target (the control that got the key) by the rules: in a memo
    // box it is passed on (false) or moves the focus; in a grid it steps to the next column or
    // moves the focus; in every other control it moves the focus to the next control in tab
    // order. True when the key was used and must be swallowed.
    static bool enterKey(QWidget* target, const EnterRules& rules);

    // Moves the focus to the control after the focused one in tab order, as Tab does.
    static void focusNext(QWidget* from);

    // Makes the next shown column of the current row current; from the last column it goes back
    // to the first column of the same row. False when the view has no current cell.
    static bool stepGridColumn(QAbstractItemView* grid);

    // True when a letter typed at position starts a word: at the start or right after a blank.
    static bool startsWord(const QString& text, int position);

    // Turns a lower-case letter typed at the start of a word into its Turkish capital. The
    // returned filter belongs to the edit.
    static QObject* installWordCapitals(QLineEdit* edit);
};
