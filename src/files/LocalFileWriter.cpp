#include "files/LocalFileWriter.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace varnel {
namespace {

constexpr std::string_view kTempSuffix = ".varnel-XXXXXX";
constexpr mode_t kNewFileMode = 0666;

}  // namespace

LocalFileWriter::LocalFileWriter(std::string target) : target_(std::move(target)) {
    std::vector<char> pattern(target_.begin(), target_.end());
    pattern.insert(pattern.end(), kTempSuffix.begin(), kTempSuffix.end());
    pattern.push_back('\0');
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) return;
    tempPath_ = pattern.data();
    // mkstemp makes the file private; a saved file gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, kNewFileMode & ~mask);
}

LocalFileWriter::~LocalFileWriter() { Discard(); }

bool LocalFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
        ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

bool LocalFileWriter::CloseFd() {
    if (fd_ < 0) return false;
    bool flushed = ::fsync(fd_) == 0;
    bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return flushed && closed;
}

bool LocalFileWriter::Commit() {
    if (fd_ < 0) return false;
    if (!CloseFd() || std::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        Discard();
        return false;
    }
    tempPath_.clear();
    return true;
}

void LocalFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

}  // namespace varnel
