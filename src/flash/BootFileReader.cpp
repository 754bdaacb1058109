#include "flash/BootFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

bool BootFileReader::Open(const std::string& path) {
    Close();
    if (path.empty()) return false;
    fd_.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd_.Valid()) return false;
    struct stat info {};
    size_ = ::fstat(fd_.Get(), &info) == 0 ? static_cast<int64_t>(info.st_size) : 0;
    return true;
}

void BootFileReader::Close() {
    fd_.Reset();
    size_ = 0;
}

std::optional<std::string> BootFileReader::ReadBlock(size_t maxBytes) {
    if (!fd_.Valid()) return std::nullopt;
    std::string block(maxBytes, '\0');
    size_t filled = 0;
    while (filled < maxBytes) {
        ssize_t got = ::read(fd_.Get(), block.data() + filled, maxBytes - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    block.resize(filled);
    return block;
}

}  // namespace varnel
