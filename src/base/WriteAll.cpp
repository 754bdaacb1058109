#include "base/WriteAll.h"

#include <cerrno>

namespace varnel {

bool WriteAll(int fd, std::string_view bytes, WriteCall write) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

}  // namespace varnel
