#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// Hears of each command-line action as the dispatcher carries it out, so that a record of the
// run needs no copy of the actions themselves.
class ActionObserver {
public:
    virtual ~ActionObserver() = default;

    // Before the action: its name (the keyword without its ":", an alias under the keyword it
    // stands for, "file" for a configuration file) and its argument, none for an action that
    // takes none.
    virtual void ActionStarting(std::string_view action, const std::optional<std::string>& argument) = 0;
    // After the action, unless it ended the process from inside: the result of an action that
    // ends the process with it (1 passed), none for any other.
    virtual void ActionFinished(std::optional<int> result) = 0;
};

}  // namespace varnel
