#include "app/RunRecordFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace varnel {
namespace {

constexpr mode_t kRecordFileMode = 0666;  // narrowed by the umask, as any created file

// A descriptor for appending to `path`; -1 with errno set when it cannot be had.
int OpenForAppending(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kRecordFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

bool CanAppendRunRecord(const std::string& path, std::string& problem) {
    const int fd = OpenForAppending(path);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
}

bool AppendRunRecordLine(const std::string& path, std::string_view line, std::string& problem) {
    const int fd = OpenForAppending(path);
    if (fd < 0) {
        problem = std::strerror(errno);
        return false;
    }
    // One write only: a second one for a remainder could land after another run's line.
    ssize_t written = -1;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    const int writeError = errno;
    const bool whole = written == static_cast<ssize_t>(line.size());
    if (written < 0)
        problem = std::strerror(writeError);
    else if (!whole)
        problem = "only " + std::to_string(written) + " of " + std::to_string(line.size()) + " bytes written";
    if (::close(fd) != 0 && whole) {
        problem = std::strerror(errno);
        return false;
    }
    return whole;
}

}  // namespace varnel
