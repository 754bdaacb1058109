#include "base/FileLock.h"

#include <sys/file.h>

#include <cerrno>

namespace varnel {

bool LockExclusively(int fd) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace varnel
