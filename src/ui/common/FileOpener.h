#pragma once

#include <QString>

// Files are handed to the desktop's own programs (a workbook to the spreadsheet program) through
// here. The program asks the desktop; tests install a handler that answers.
class FileOpener final
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        // False when no program could be started for the file; error receives the reason.
        virtual bool open(const QString& path, QString* error) = 0;
    };

    // Opens the file in the program the desktop has for its type; false with the reason in
    // error when there is none or it could not be started.
    static bool open(const QString& path, QString* error = nullptr);

    // Replaces the handler (tests); nullptr restores the desktop.
    static void setHandler(Handler* handler);
    static Handler* handler();
};
