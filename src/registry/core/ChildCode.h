#pragma once

#include <QString>

#include <optional>

class QSqlDatabase;

// The child code: numbering of new children, the uniqueness rule and carrying a changed code
// over to the child's records in the other tables.
class ChildCode final
{
public:
    // The number a code stands for (koddansayi): from left to right a "+" or "-" only as the
    // first character, every digit and every decimal separator of the locale are kept, all
    // other characters dropped. Nothing kept reads as 0. ok is false when the kept characters
    // do not form a number (a lone sign, two separators).
    static double koddansayi(const QString& code, bool* ok = nullptr);

    // The code proposed after lastCode: its number plus one in the shortest decimal form;
    // "1" when lastCode does not give a number.
    static QString nextCode(const QString& lastCode);

    // The refusal shown when code is already in use.
    static QString duplicateMessage(const QString& code);

    // True when a child other than exceptHid has this code, letter case aside.
    static bool inUse(QSqlDatabase& db, const QString& code, qint64 exceptHid);
    // The first child (by hid) having this code, letter case aside; none when no child has it.
    static std::optional<qint64> firstHolder(QSqlDatabase& db, const QString& code);

    // Gives the child's visits, vaccinations, dose card rows, laboratory results and
    // prescription lines the new code. Runs in the caller's transaction; throws DataError.
    static void carryRecords(QSqlDatabase& db, const QString& oldCode, const QString& newCode);
};
