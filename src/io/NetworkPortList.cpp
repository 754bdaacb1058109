#include "io/NetworkPortList.h"

#include <algorithm>

namespace varnel {

std::vector<std::string> NetworkPortNames(std::string_view list) {
    list = list.substr(0, list.find('\0'));
    std::vector<std::string> names;
    size_t pos = 0;
    while ((pos = list.find_first_not_of(' ', pos)) != std::string_view::npos) {
        const size_t end = std::min(list.find(' ', pos), list.size());
        names.emplace_back(list.substr(pos, end - pos));
        pos = end;
    }
    return names;
}

}  // namespace varnel
