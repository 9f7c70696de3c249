#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QVector>

// An input pattern of a field in its stored three-part notation "pattern;saveLiterals;blank":
// in the pattern 0 is a required digit, 9 an optional digit, / and : the date and time
// separators, ! asks for leading blanks, every other character is a literal. saveLiterals 1
// stores the literals with the typed characters, 0 only the typed ones. The blank is the
// character shown in empty positions.
//
// The pattern is laid out as positions; a masked line edit shows exactly one character per
// position, which is what displayText() of such an edit returns.
class EditMask final
{
public:
    EditMask() = default;
    explicit EditMask(const QString& notation);

    bool isEmpty() const;
    QString notation() const;
    bool savesLiterals() const;
    QChar blank() const;
    int length() const;

    // The same pattern for QLineEdit::setInputMask (empty for an empty pattern).
    QString inputMask() const;

    // The text shown with the mask for a stored value: literals in place, typed characters
    // in the input positions, blanks where nothing is. A value stored without literals fills
    // the input positions in order.
    QString displayFor(const QString& stored) const;
    // The stored value for a masked text: with or without the literals; blank positions are
    // stored as spaces when the literals are kept. Null when nothing was typed.
    QString storedText(const QString& masked) const;
    // True when nothing but blanks stands in the input positions.
    bool isBlank(const QString& masked) const;
    // True when every required position holds a character.
    bool isComplete(const QString& masked) const;

    // The typed characters of each run of input positions (blanks left out), in order; a
    // date mask has day, month and year runs, then hour and minute.
    QStringList inputGroups(const QString& masked) const;
    QVector<int> groupLengths() const;
    // Builds the masked text from one string per run, each written from the start of its run;
    // positions left over are blank.
    QString compose(const QStringList& groups) const;

private:
    struct Position {
        QChar literal; // the literal character, when not an input position
        bool input = false;
        bool required = false;
    };

    QString m_notation;
    QVector<Position> m_positions;
    bool m_saveLiterals = true;
    QChar m_blank = u'_';
};
