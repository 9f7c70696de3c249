#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box of the program goes through here. The program shows real dialogs;
// tests install a handler that answers from a script and records every text shown.
class Messages final
{
public:
    enum class Kind {
        Question, // Yes/No, no icon, application title; Escape is No
        Information, // information icon, "Information", OK
        Plain, // no icon, application title, OK
        Error, // stop sign, application title, OK
    };
    // Closed: the window's close button; the command treats it as the answer it does not test for.
    enum class Answer {
        Yes,
        No,
        Ok,
        Cancel,
        Closed,
    };

    class Handler
    {
    public:
        virtual ~Handler() = default;
        virtual Answer show(Kind kind, const QString& caption, const QString& text) = 0;
        // A three-button box: Yes, No, Cancel (used where a screen asks so).
        virtual Answer showYesNoCancel(const QString& caption, const QString& text) = 0;
    };

    static QString applicationTitle();

    // True only for Yes.
    static bool question(const QString& text);
    static Answer ask(const QString& text);
    static Answer askYesNoCancel(const QString& text);
    static Answer askYesNoCancel(const QString& caption, const QString& text);
    static void information(const QString& text);
    static void plain(const QString& text);
    static void error(const QString& text);
    // An error box with another caption (the report engine's "Error").
    static void errorWithCaption(const QString& caption, const QString& text);

    // Replaces the dialog handler (tests); nullptr restores the real dialogs.
    static void setHandler(Handler* handler);
    static Handler* handler();

    // The fixed questions of the editing conventions.
    static const QString kayitEdilsinmi; // "İşlenen bilgiler kayıt edilsinmi?"
    static const QString kayitEdilmedenCikilsinmi; // "İşlenen bilgiler kayıt edilmeden çıkılsınmı?"
    static const QString degisiklikKayitsizCikilsinmi; // "Yapılan değişiklik kayıt yapılmadan çıkılsınmı?"
    static const QString muayeneKayitEtmelisiniz;
    static const QString kayitEtmekEminmisiniz; // "Bilgileri kayıt etmek istediğinize eminmisiniz?"
};
