#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// The names in the stored list of network ports: its text up to the first zero byte, split at
// blanks (a run of blanks is one separator), in stored order.
std::vector<std::string> NetworkPortNames(std::string_view list);

}  // namespace varnel
