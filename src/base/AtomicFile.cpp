#include "base/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <string_view>

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

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// File systems that cannot flush (EINVAL) have nothing more to flush.
bool FlushToDisk(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The writer's process id in a temporary file's name after the infix ("<pid>.<number>"); 0 for
// a name of any other form.
pid_t WriterOf(std::string_view rest) {
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos || !AllDigits(rest.substr(0, dot)) || !AllDigits(rest.substr(dot + 1))) return 0;
    constexpr size_t kMaxPidDigits = 9;
    if (dot > kMaxPidDigits) return 0;
    return static_cast<pid_t>(std::stol(std::string(rest.substr(0, dot))));
}

bool ProcessGone(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// Temporary copies of `target` whose writer no longer runs (it was killed between its copy and
// the rename) would stay forever: nobody else renames or removes them. A copy whose writer still
// runs, or this process's own, is its writer's business.
void RemoveCopiesOfGoneWriters(const std::string& target) {
    const std::string prefix = NameOf(target) + std::string(kReplacementInfix);
    const std::string folder = FolderOf(target);
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        const pid_t writer = WriterOf(name.substr(prefix.size()));
        if (writer <= 0 || writer == ::getpid() || !ProcessGone(writer)) continue;
        ::unlinkat(::dirfd(listing), entry->d_name, 0);
    }
    ::closedir(listing);
}

}  // namespace

std::string ReplacementTarget(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

FileReplacement::FileReplacement(const std::string& path) : target_(ReplacementTarget(path)) {
    RemoveCopiesOfGoneWriters(target_);
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
