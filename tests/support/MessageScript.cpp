#include "MessageScript.h"

#include <QtDebug>

using namespace Qt::StringLiterals;

MessageScript::MessageScript()
    : m_previous(Messages::handler())
{
    Messages::setHandler(this);
}

MessageScript::~MessageScript()
{
    Messages::setHandler(m_previous);
}

void MessageScript::expect(Messages::Kind kind, const QString& text, Messages::Answer answer)
{
    m_expected.append({ kind, text, answer, false });
}

void MessageScript::expectQuestion(const QString& text, Messages::Answer answer)
{
    expect(Messages::Kind::Question, text, answer);
}

void MessageScript::expectYesNoCancel(const QString& text, Messages::Answer answer)
{
    m_expected.append({ Messages::Kind::Question, text, answer, true });
}

void MessageScript::expectInformation(const QString& text)
{
    expect(Messages::Kind::Information, text, Messages::Answer::Ok);
}

void MessageScript::expectPlain(const QString& text)
{
    expect(Messages::Kind::Plain, text, Messages::Answer::Ok);
}

void MessageScript::expectError(const QString& text)
{
    expect(Messages::Kind::Error, text, Messages::Answer::Ok);
}

QList<MessageScript::Shown> MessageScript::shown() const
{
    return m_shown;
}

QStringList MessageScript::shownTexts() const
{
    QStringList texts;
    for (const Shown& box : m_shown)
        texts.append(box.text);
    return texts;
}

QList<MessageScript::Expected> MessageScript::remaining() const
{
    return m_expected;
}

QList<MessageScript::Shown> MessageScript::unexpected() const
{
    return m_unexpected;
}

bool MessageScript::verifyDone(QString* description) const
{
    const QString problems = report();
    if (description)
        *description = problems;
    return problems.isEmpty();
}

QString MessageScript::report() const
{
    QStringList lines;
    for (const Shown& box : m_unexpected)
        lines.append(u"unexpected %1 box: \"%2\""_s.arg(kindName(box.kind, box.yesNoCancel), box.text));
    for (const Expected& box : m_expected)
        lines.append(u"expected %1 box not shown: \"%2\""_s.arg(kindName(box.kind, box.yesNoCancel), box.text));
    return lines.join(u'\n');
}

void MessageScript::clear()
{
    m_expected.clear();
    m_shown.clear();
    m_unexpected.clear();
}

Messages::Answer MessageScript::show(Messages::Kind kind, const QString& caption, const QString& text)
{
    return answer({ kind, caption, text, false });
}

Messages::Answer MessageScript::showYesNoCancel(const QString& caption, const QString& text)
{
    return answer({ Messages::Kind::Question, caption, text, true });
}

QString MessageScript::kindName(Messages::Kind kind, bool yesNoCancel)
{
    switch (kind) {
    case Messages::Kind::Question:
        return yesNoCancel ? u"yes/no/cancel"_s : u"question"_s;
    case Messages::Kind::Information:
        return u"information"_s;
    case Messages::Kind::Plain:
        return u"plain"_s;
    case Messages::Kind::Error:
        return u"error"_s;
    }
    return QString();
}

Messages::Answer MessageScript::answer(const Shown& box)
{
    m_shown.append(box);
    if (!m_expected.isEmpty()) {
        const Expected& next = m_expected.constFirst();
        if (next.kind == box.kind && next.yesNoCancel == box.yesNoCancel
            && (next.text.isEmpty() || next.text == box.text)) {
            const Messages::Answer given = next.answer;
            m_expected.removeFirst();
            return given;
        }
    }
    m_unexpected.append(box);
    qWarning().noquote() << u"MessageScript: unexpected %1 box: \"%2\""_s.arg(
        kindName(box.kind, box.yesNoCancel), box.text);
    return Messages::Answer::Closed;
}
