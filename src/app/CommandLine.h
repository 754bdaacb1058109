#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

class ActionObserver;
class CommandActions;

inline constexpr std::string_view kVersionText = "varnel 2.26.0";

// Acts on one command-line parameter: the first keyword row it matches, in table order, gets
// its argument; a parameter that matches none is a configuration file path. `parameter` has its
// one leading "-" or "/" removed already; `switchMark` is that character, or kNoSwitchMark. An
// action that ends the process throws ExitRequest with its exit code. `observer`, if any, hears
// of the action before and after it.
inline constexpr char kNoSwitchMark = '\0';
void ParseParam(CommandActions& actions, std::string_view parameter, char switchMark = kNoSwitchMark,
                ActionObserver* observer = nullptr);

// Acts on every parameter in order; stops only when an action ends the process (ExitRequest).
void DispatchCommandLine(CommandActions& actions, const std::vector<std::string>& parameters,
                         ActionObserver* observer = nullptr);

// The keyword a parameter (its leading "-" or "/" removed) is taken as, as ParseParam takes it;
// empty for a configuration file path.
std::string_view MatchedKeyword(std::string_view parameter);

// The help text of the program: its options, the keywords and the exit codes.
std::string UsageText();

}  // namespace varnel
