#pragma once

#include "Messages.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers the program's message boxes from a queue of expected boxes and records every box
// shown. Installs itself as the message handler for its lifetime and restores the previous one.
// A box that is not the next expected one is recorded as unexpected and answered Closed;
// verifyDone() then fails, as it does when expected boxes were never shown.
class MessageScript final : public Messages::Handler
{
public:
    struct Expected {
        Messages::Kind kind;
        QString text; // empty: any text (engine errors)
        Messages::Answer answer;
        bool yesNoCancel = false;
    };
    struct Shown {
        Messages::Kind kind;
        QString caption;
        QString text;
        bool yesNoCancel = false;
    };

    MessageScript();
    ~MessageScript() override;

    MessageScript(const MessageScript&) = delete;
    MessageScript& operator=(const MessageScript&) = delete;

    void expect(Messages::Kind kind, const QString& text, Messages::Answer answer);
    void expectQuestion(const QString& text, Messages::Answer answer);
    void expectYesNoCancel(const QString& text, Messages::Answer answer);
    void expectInformation(const QString& text);
    void expectPlain(const QString& text);
    void expectError(const QString& text = QString());

    QList<Shown> shown() const;
    QStringList shownTexts() const;
    QList<Expected> remaining() const;
    QList<Shown> unexpected() const;

    // True when every expected box was shown and nothing else; otherwise false, with report()
    // in description.
    bool verifyDone(QString* description = nullptr) const;
    // What went wrong, one line per box; empty when verifyDone() holds.
    QString report() const;
    // Forgets expectations and records.
    void clear();

    Messages::Answer show(Messages::Kind kind, const QString& caption, const QString& text) override;
    Messages::Answer showYesNoCancel(const QString& caption, const QString& text) override;

    static QString kindName(Messages::Kind kind, bool yesNoCancel = false);

private:
    Messages::Answer answer(const Shown& box);

    Messages::Handler* m_previous = nullptr;
    QList<Expected> m_expected;
    QList<Shown> m_shown;
    QList<Shown> m_unexpected;
};
