#include "PtyChannel.h"

#include <fcntl.h>
#include <stdlib.h>

#include <cerrno>
#include <cstring>

namespace varnel::sim {

std::unique_ptr<PtyChannel> PtyChannel::Create(unsigned rate, std::string& error) {
    auto channel = std::unique_ptr<PtyChannel>(new PtyChannel());
    channel->master_.Reset(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    char path[256] = {};
    if (!channel->master_.Valid() || grantpt(channel->master_.Get()) != 0 ||
        unlockpt(channel->master_.Get()) != 0 || ptsname_r(channel->master_.Get(), path, sizeof path) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return nullptr;
    }
    channel->path_ = path;
    channel->slave_.Reset(open(path, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!channel->slave_.Valid() || !MakeRawLine(channel->slave_.Get(), rate)) {
        error = "cannot set up " + channel->path_ + ": " + std::strerror(errno);
        return nullptr;
    }
    return channel;
}

}  // namespace varnel::sim
