#pragma once

#include <QString>

// The questions before a record is deleted. Both ask through Messages, so Escape is No.
class DeleteConfirm final
{
public:
    // Two questions in a row: whether to delete, then whether to stop the deletion. True (delete)
    // only for Yes to the first and anything but Yes to the second: No, Escape or closing the box.
    static bool twice(const QString& first, const QString& second);

    // One question, for the screens that ask once: true (delete) unless the answer is No.
    static bool once(const QString& text);
};
