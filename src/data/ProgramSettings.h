#pragma once

#include <QString>
#include <QVariant>

// Settings of the program as a whole, for every user of this copy: an INI file in the
// program's Data folder, beside the database (Ayar.ini keeps only the last user name). Keys are
// "section/name".
class ProgramSettings final
{
public:
    // Data/Program.ini below the program's folder (the working directory).
    static QString file();

    static QVariant value(const QString& key, const QVariant& fallback = {});
    // Written at once; a file that cannot be written leaves the setting for this run only.
    static void setValue(const QString& key, const QVariant& value);
};
