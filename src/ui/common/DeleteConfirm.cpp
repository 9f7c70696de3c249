#include "DeleteConfirm.h"

#include "Messages.h"

bool DeleteConfirm::twice(const QString& first, const QString& second)
{
    if (!Messages::question(first))
        return false;
    // The second question asks whether to stop: only Yes keeps the record.
    return Messages::ask(second) != Messages::Answer::Yes;
}

bool DeleteConfirm::once(const QString& text)
{
    return Messages::ask(text) != Messages::Answer::No;
}
