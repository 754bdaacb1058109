#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "base/WriteAll.h"

namespace varnel {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr mode_t kPermissionBits = 07777;
// Names are taken with O_EXCL; one held by another writer, or left by a crash, is passed over.
constexpr int kTempNameAttempts = 100;

// Numbers the temporary files of this process, so that threads never pick the same name.
std::atomic<unsigned> nextTempNumber{0};

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// File systems that cannot flush (EINVAL) have nothing more to flush.
bool FlushToDisk(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }

}  // namespace

std::string ReplacementTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

FileReplacement::FileReplacement(const std::string& path) : target_(ReplacementTarget(path)) {
    const std::string stem = target_ + std::string(kReplacementInfix) + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < kTempNameAttempts && !fd_.Valid(); ++attempt) {
        tempPath_ = stem + std::to_string(nextTempNumber++);
        fd_.Reset(::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode));
        if (!fd_.Valid() && errno != EEXIST) break;
    }
    if (!fd_.Valid()) {
        Fail();
        tempPath_.clear();
        return;
    }
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_.Get(), old.st_mode & kPermissionBits);
}

bool FileReplacement::Fail() {
    error_ = std::error_code(errno, std::system_category());
    return false;
}

bool FileReplacement::NotOpen() {
    // The failure that closed the file is the one worth telling.
    if (!error_) error_ = std::make_error_code(std::errc::bad_file_descriptor);
    return false;
}

bool FileReplacement::Write(std::string_view bytes) {
    if (!fd_.Valid()) return NotOpen();
    if (WriteAll(fd_.Get(), bytes)) return true;
    Fail();
    Discard();  // what was written is incomplete and must never be committed
    return false;
}

bool FileReplacement::Commit() {
    if (!fd_.Valid()) return NotOpen();
    const bool committed = (FlushToDisk(fd_.Get()) || Fail()) && (fd_.Reset() || Fail()) &&
                           (std::rename(tempPath_.c_str(), target_.c_str()) == 0 || Fail());
    if (!committed) {
        Discard();
        return false;
    }
    tempPath_.clear();
    UniqueFd folder(::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid()) ::fsync(folder.Get());
    return true;
}

void FileReplacement::Discard() {
    fd_.Reset();
    if (tempPath_.empty()) return;
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

std::error_code ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    FileReplacement file(path);
    if (file.Write(bytes) && file.Commit()) return {};
    return file.Error();
}

}  // namespace varnel
