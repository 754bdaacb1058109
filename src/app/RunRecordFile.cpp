#include "app/RunRecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/FileLock.h"
#include "base/UniqueFd.h"

namespace varnel {
namespace {

constexpr mode_t kRecordFileMode = 0666;  // narrowed by the umask, as any created file

// A descriptor for appending to `path` (readable too, to see how the file ends); -1 with errno
// set when it cannot be had.
int OpenForAppending(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, kRecordFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Whether the file's last byte (if it has one) ends a line: a run cut off in the middle of its
// line leaves one unfinished. A byte that cannot be read is taken to end one.
bool EndsWithLineEnd(int fd, off_t size) {
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) != 1) return true;
    return last == '\n';
}

}  // namespace

bool CanAppendRunRecord(const std::string& path, std::string& problem) {
    UniqueFd fd(OpenForAppending(path));
    if (!fd.Valid()) {
        problem = std::strerror(errno);
        return false;
    }
    return true;
}

bool AppendRunRecordLine(const std::string& path, std::string_view line, std::string& problem) {
    UniqueFd fd(OpenForAppending(path));
    struct stat info {};
    if (!fd.Valid() || !LockExclusively(fd.Get()) || ::fstat(fd.Get(), &info) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    // Under the lock no other run appends: the size is where this line starts, and a line that
    // does not go whole is cut off again, so no half line is left for the next one to join.
    std::string bytes;
    if (!EndsWithLineEnd(fd.Get(), info.st_size)) bytes = "\n";
    bytes += line;
    ssize_t written = -1;
    do {
        written = ::write(fd.Get(), bytes.data(), bytes.size());
    } while (written < 0 && errno == EINTR);
    const int writeError = errno;
    if (written != static_cast<ssize_t>(bytes.size())) {
        problem = written < 0 ? std::strerror(writeError)
                              : "only " + std::to_string(written) + " of " + std::to_string(bytes.size()) +
                                    " bytes written";
        if (written > 0 && ::ftruncate(fd.Get(), info.st_size) != 0)
            problem += std::string("; the part written stays: ") + std::strerror(errno);
        return false;
    }
    if (!fd.Reset()) {
        problem = std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace varnel
