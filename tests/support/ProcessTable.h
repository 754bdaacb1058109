#pragma once

#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace varnel::test {

// The processes whose parent is `parent` and whose command name is `name` ("varnel"), as the
// system's process table (/proc) has them now, zombies included.
inline std::vector<pid_t> ChildrenNamed(pid_t parent, const std::string& name) {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream in(entry.path() / "stat");
        std::string stat;
        if (!std::getline(in, stat)) continue;
        // "pid (comm) state ppid ...": the name may hold blanks and parentheses; the last ")" ends it.
        const size_t open = stat.find('(');
        const size_t close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(stat.substr(close + 1));
        char state = 0;
        pid_t ppid = 0;
        rest >> state >> ppid;
        if (ppid == parent && stat.substr(open + 1, close - open - 1) == name)
            found.push_back(static_cast<pid_t>(std::stol(stat)));
    }
    return found;
}

}  // namespace varnel::test
