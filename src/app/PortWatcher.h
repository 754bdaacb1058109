#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace varnel {

class Station;

// Where printer ports come from while the station watches: the system's devices, a file of
// port names. Each answer is the whole list as it stands now.
class PortSource {
public:
    virtual ~PortSource() = default;
    virtual std::vector<std::string> Ports() = 0;
};

// Hands the station the ports that appear in any of its sources since the last look, and tells
// it of those that have gone from all of them.
class PortWatcher {
public:
    PortWatcher(Station& station, std::vector<std::unique_ptr<PortSource>> sources);

    // Looks at every source once.
    void Look();
    // Takes what the sources list now as known without handing it on: only ports that appear
    // later get the job.
    void TakeAsSeen();

private:
    std::vector<std::string> Listed();

    Station& station_;
    std::vector<std::unique_ptr<PortSource>> sources_;
    std::set<std::string> seen_;
};

}  // namespace varnel
