#include "EditMask.h"

namespace {

// Separators of the Turkish regional settings.
constexpr char16_t dateSeparator = u'.';
constexpr char16_t timeSeparator = u':';

// Characters that mean something in a Qt input mask and must be escaped as literals.
bool isQtMaskMeta(QChar c)
{
    static const QString meta = QStringLiteral("AaNnXx90DdHhBb#<>!\\[]{};");
    return meta.contains(c);
}

} // namespace

EditMask::EditMask(const QString& notation)
    : m_notation(notation)
{
    QStringList parts = notation.split(u';');
    QString pattern;
    if (parts.size() >= 3) {
        const QString blank = parts.takeLast();
        m_blank = blank.isEmpty() ? QChar(u' ') : blank.at(0);
        m_saveLiterals = parts.takeLast().trimmed() != QLatin1String("0");
        pattern = parts.join(u';');
    } else if (parts.size() == 2) {
        m_saveLiterals = parts.at(1).trimmed() != QLatin1String("0");
        pattern = parts.at(0);
    } else {
        pattern = notation;
    }

    for (const QChar c : std::as_const(pattern)) {
        Position position;
        switch (c.unicode()) {
        case u'!':
            // Leading blanks: the line edit has no such mode, the positions stay as they are.
            continue;
        case u'0':
            position.input = true;
            position.required = true;
            break;
        case u'9':
            position.input = true;
            break;
        case u'/':
            position.literal = QChar(dateSeparator);
            break;
        case u':':
            position.literal = QChar(timeSeparator);
            break;
        default:
            position.literal = c;
            break;
        }
        m_positions.append(position);
    }
}

bool EditMask::isEmpty() const
{
    return m_positions.isEmpty();
}

QString EditMask::notation() const
{
    return m_notation;
}

bool EditMask::savesLiterals() const
{
    return m_saveLiterals;
}

QChar EditMask::blank() const
{
    return m_blank;
}

int EditMask::length() const
{
    return static_cast<int>(m_positions.size());
}

QString EditMask::inputMask() const
{
    if (m_positions.isEmpty())
        return {};
    QString mask;
    for (const Position& position : m_positions) {
        if (position.input) {
            // Qt's 9 is a required digit and its 0 an optional one.
            mask += position.required ? u'9' : u'0';
        } else {
            if (isQtMaskMeta(position.literal))
                mask += u'\\';
            mask += position.literal;
        }
    }
    mask += u';';
    mask += m_blank;
    return mask;
}

QString EditMask::displayFor(const QString& stored) const
{
    QString shown;
    shown.reserve(m_positions.size());
    bool sameLayout = stored.size() == m_positions.size();
    for (int i = 0; sameLayout && i < m_positions.size(); ++i) {
        const Position& position = m_positions.at(i);
        const QChar c = stored.at(i);
        sameLayout = position.input ? (c.isDigit() || c == u' ' || c == m_blank) : c == position.literal;
    }
    if (sameLayout) {
        for (int i = 0; i < m_positions.size(); ++i) {
            const QChar c = stored.at(i);
            shown += m_positions.at(i).input && (c == u' ' || c == m_blank) ? m_blank : c;
        }
        return shown;
    }
    // Digits only: fill the input positions in order, whatever the literals were.
    qsizetype next = 0;
    for (const Position& position : m_positions) {
        if (!position.input) {
            shown += position.literal;
            continue;
        }
        while (next < stored.size() && !stored.at(next).isDigit())
            ++next;
        shown += next < stored.size() ? stored.at(next++) : m_blank;
    }
    return shown;
}

QString EditMask::storedText(const QString& masked) const
{
    if (isBlank(masked))
        return {};
    QString stored;
    for (int i = 0; i < m_positions.size(); ++i) {
        const Position& position = m_positions.at(i);
        if (!position.input) {
            if (m_saveLiterals)
                stored += position.literal;
            continue;
        }
        const QChar c = i < masked.size() ? masked.at(i) : m_blank;
        if (c != m_blank)
            stored += c;
        else if (m_saveLiterals)
            stored += u' ';
    }
    return stored;
}

bool EditMask::isBlank(const QString& masked) const
{
    for (int i = 0; i < m_positions.size() && i < masked.size(); ++i) {
        if (m_positions.at(i).input && masked.at(i) != m_blank && masked.at(i) != u' ')
            return false;
    }
    return true;
}

bool EditMask::isComplete(const QString& masked) const
{
    for (int i = 0; i < m_positions.size(); ++i) {
        const Position& position = m_positions.at(i);
        if (!position.required)
            continue;
        if (i >= masked.size() || masked.at(i) == m_blank || masked.at(i) == u' ')
            return false;
    }
    return true;
}

QStringList EditMask::inputGroups(const QString& masked) const
{
    QStringList groups;
    bool inGroup = false;
    for (int i = 0; i < m_positions.size(); ++i) {
        if (!m_positions.at(i).input) {
            inGroup = false;
            continue;
        }
        if (!inGroup) {
            groups.append(QString());
            inGroup = true;
        }
        const QChar c = i < masked.size() ? masked.at(i) : m_blank;
        if (c != m_blank && c != u' ')
            groups.last() += c;
    }
    return groups;
}

QVector<int> EditMask::groupLengths() const
{
    QVector<int> lengths;
    bool inGroup = false;
    for (const Position& position : m_positions) {
        if (!position.input) {
            inGroup = false;
            continue;
        }
        if (!inGroup) {
            lengths.append(0);
            inGroup = true;
        }
        ++lengths.last();
    }
    return lengths;
}

QString EditMask::compose(const QStringList& groups) const
{
    QString shown;
    int group = -1;
    int offset = 0;
    bool inGroup = false;
    for (const Position& position : m_positions) {
        if (!position.input) {
            inGroup = false;
            shown += position.literal;
            continue;
        }
        if (!inGroup) {
            ++group;
            offset = 0;
            inGroup = true;
        }
        const QString text = group < groups.size() ? groups.at(group) : QString();
        shown += offset < text.size() ? text.at(offset) : m_blank;
        ++offset;
    }
    return shown;
}
