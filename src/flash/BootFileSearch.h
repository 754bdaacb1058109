#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// A boot file found for a firmware id: its name as it stands on disk (to open it by) and in
// upper case (to show it and read its revision from).
struct BootFileMatch {
    std::string diskName;
    std::string name;
};

// The newest boot file for `firmwareId`: among the files matching prefix + id + ".bot" (the id
// may hold the wildcards "*" and "?"; names compare without regard to case) the greatest name
// in upper case. The name is without the prefix.
std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId);

}  // namespace varnel
