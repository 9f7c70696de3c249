#pragma once

#include <functional>

// Runs one user command. A failure inside it is shown in an error box with its own text and
// the command is abandoned; whatever it left (data-set states, edit buffers) stays as it is.
class CommandGuard final
{
public:
    // False when the command ended with an exception.
    static bool run(const std::function<void()>& command);
};
