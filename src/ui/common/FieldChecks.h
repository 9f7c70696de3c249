#pragma once

#include <QString>

class Field;

// Checks of typed values made before a record is stored. A refusal names the field as the user
// sees it on the screen (its column title or caption), and the record stays as typed.
class FieldChecks final
{
public:
    // Refuses a text longer than its field holds.
    static void fitsLength(const Field* field, const QString& title);
    // Refuses a value that is not a whole number from -32768 to 32767; an empty value passes.
    static void smallInteger(const Field* field, const QString& title);
};
