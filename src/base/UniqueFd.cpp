#include "base/UniqueFd.h"

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace varnel {

int UniqueFd::Release() { return std::exchange(fd_, -1); }

bool UniqueFd::Reset(int fd) {
    const int old = std::exchange(fd_, fd);
    if (old < 0) return true;
    // Linux frees the descriptor even when close is interrupted; retrying could close another's.
    return ::close(old) == 0 || errno == EINTR;
}

}  // namespace varnel
