#include "app/PortWatcher.h"

#include <algorithm>

#include "app/Station.h"

namespace varnel {

PortWatcher::PortWatcher(Station& station, std::vector<std::unique_ptr<PortSource>> sources)
    : station_(station), sources_(std::move(sources)) {}

std::vector<std::string> PortWatcher::Listed() {
    std::vector<std::string> now;
    for (const std::unique_ptr<PortSource>& source : sources_)
        for (std::string& port : source->Ports())
            if (std::find(now.begin(), now.end(), port) == now.end()) now.push_back(std::move(port));
    return now;
}

void PortWatcher::TakeAsSeen() {
    const std::vector<std::string> now = Listed();
    seen_ = std::set<std::string>(now.begin(), now.end());
}

void PortWatcher::Look() {
    const std::vector<std::string> now = Listed();
    for (const std::string& port : seen_)
        if (std::find(now.begin(), now.end(), port) == now.end()) station_.PortGone(port);
    // In the order the sources give them, so rows come in as the ports are listed.
    for (const std::string& port : now)
        if (!seen_.contains(port)) station_.AddPort(port);
    seen_ = std::set<std::string>(now.begin(), now.end());
}

}  // namespace varnel
