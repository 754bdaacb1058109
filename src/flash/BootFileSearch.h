#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace varnel {

// A boot file found for a firmware id: its name as it stands on disk (to open it by) and in
// upper case (to show it and read its revision from), and the model folder it was found in
// ("" for the working folder).
struct BootFileMatch {
    std::string diskName;
    std::string name;
    std::string folder;
    // Where the file is: folder, prefix and the name on disk.
    std::string Path(std::string_view prefix) const;
};

// The newest boot file for `firmwareId`: among the files matching prefix + id + ".bot" (the id
// may hold the wildcards "*" and "?"; names compare without regard to case) the greatest name
// in upper case. The name is without the prefix. A prefix that is no absolute path is looked
// for in the folders of the model search path in turn; the first folder with a match wins.
std::optional<BootFileMatch> FindBootFileOnDisk(std::string_view prefix, std::string_view firmwareId);

}  // namespace varnel
