#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace varnel::sim {
namespace {

// Closes the descriptor and removes the temporary file unless the rename took it over.
class TempFile {
public:
    explicit TempFile(const std::string& target) : path_(target + ".XXXXXX") { fd_ = mkstemp(path_.data()); }
    ~TempFile() {
        if (fd_ >= 0) close(fd_);
        if (!renamed_) unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    bool Opened() const { return fd_ >= 0; }
    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return fsync(fd_) == 0;
    }
    bool CloseAndRename(const std::string& target) {
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0) return false;
        renamed_ = std::rename(path_.c_str(), target.c_str()) == 0;
        return renamed_;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool renamed_ = false;
};

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
    TempFile temp(path);
    if (!temp.Opened() || !temp.Write(bytes) || !temp.CloseAndRename(path)) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    bytes = content.str();
    return true;
}

}  // namespace varnel::sim
