#pragma once

#include <functional>

// Runs one user command. A failure inside it is shown in an error box with its own text and
// the command is abandoned; whatever it left (data-set states, edit buffers) stays as it is.
class CommandGuard final
{
public:
    // Thrown to end a command quietly, as a hook does that does not let the command go on
    // (the user answered No); no box is shown.
    struct Abort final {
    };

    // False when the command ended with an exception or was aborted.
    static bool run(const std::function<void()>& command);
};
