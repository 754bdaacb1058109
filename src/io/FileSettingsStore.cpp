#include "io/FileSettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <utility>

#include "base/AtomicFile.h"
#include "base/FileLock.h"
#include "base/UniqueFd.h"

namespace varnel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStoreFolder = "pellam";
constexpr std::string_view kStoreFileName = "registry.reg";
constexpr std::string_view kLockSuffix = ".lock";
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr std::size_t kReadChunk = 64 * 1024;

std::string ErrorText(int error) { return std::strerror(error); }

std::string NonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

struct FileRead {
    enum class Status { Read, Missing, Failed } status = Status::Failed;
    std::string bytes;
    int error = 0;
};

FileRead ReadWholeFile(const std::string& path) {
    FileRead result;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        result.error = errno;
        result.status = result.error == ENOENT ? FileRead::Status::Missing : FileRead::Status::Failed;
        return result;
    }
    char chunk[kReadChunk];
    while (true) {
        const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            result.error = errno;
            return result;
        }
        if (got == 0) break;
        result.bytes.append(chunk, static_cast<std::size_t>(got));
    }
    result.status = FileRead::Status::Read;
    return result;
}

// The file as the store sees it: its document, or why it must not be written.
struct Snapshot {
    RegistryDocument document;
    std::string whyReadOnly;  // empty when the file may be replaced
};

Snapshot ReadSnapshot(const std::string& path) {
    Snapshot snapshot;
    const FileRead read = ReadWholeFile(path);
    if (read.status == FileRead::Status::Missing) return snapshot;
    if (read.status == FileRead::Status::Failed) {
        snapshot.whyReadOnly = "cannot be read (" + ErrorText(read.error) + ")";
        return snapshot;
    }
    RegistryParseResult parsed = ParseRegistryText(read.bytes);
    snapshot.document = std::move(parsed.document);
    if (!parsed.complete)
        snapshot.whyReadOnly =
            "does not parse at line " + std::to_string(parsed.problemLine) + " (" + parsed.problem + ")";
    return snapshot;
}

fs::path FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Holds an exclusive flock on the lock file next to the store for its lifetime. The lock file
// is never removed: removing it would let two writers lock two different files.
class StoreLock {
public:
    explicit StoreLock(const std::string& storePath)
        // Read access is all a lock needs: a lock file another user made stays usable by all.
        : fd_(::open((storePath + std::string(kLockSuffix)).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kNewFileMode)) {
        if (!fd_.Valid() || !LockExclusively(fd_.Get())) {
            error_ = errno;
            return;
        }
        locked_ = true;
    }
    bool locked() const { return locked_; }
    int error() const { return error_; }

private:
    UniqueFd fd_;
    bool locked_ = false;
    int error_ = 0;
};

// Only called under the lock: no other writer is between its temporary file and its rename,
// so every temporary file of this store is left over from a crash.
void RemoveStrayTempFiles(const std::string& storePath) {
    const std::string prefix = fs::path(storePath).filename().string() + std::string(kReplacementInfix);
    std::error_code error;
    for (fs::directory_iterator it(FolderOf(storePath), error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().starts_with(prefix)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace

std::string DefaultSettingsPath() {
    if (std::string explicitPath = NonEmptyEnv("VARNEL_SETTINGS"); !explicitPath.empty()) return explicitPath;
    fs::path config = NonEmptyEnv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    if (config.empty() || config.is_relative()) {
        std::string home = NonEmptyEnv("HOME");
        if (home.empty())
            if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
        config = fs::path(home) / ".config";
    }
    return (config / kStoreFolder / kStoreFileName).string();
}

FileSettingsStore::FileSettingsStore(std::string path, std::ostream* warnings)
    : path_(std::move(path)), warnings_(warnings ? warnings : &std::cerr) {}

void FileSettingsStore::WarnReadOnly(const std::string& why) const {
    if (warned_) return;
    warned_ = true;
    *warnings_ << "varnel: settings store " << path_ << ' ' << why << ": read-only" << std::endl;
}

RegistryDocument FileSettingsStore::Current() const {
    Snapshot snapshot = ReadSnapshot(path_);
    if (!snapshot.whyReadOnly.empty()) WarnReadOnly(snapshot.whyReadOnly);
    return std::move(snapshot.document);
}

std::optional<RegValue> FileSettingsStore::GetValue(std::string_view key, std::string_view name) const {
    const RegistryDocument document = Current();
    const RegValue* value = document.FindValue(key, name);
    if (!value) return std::nullopt;
    return *value;
}


std::vector<std::string> FileSettingsStore::SubKeys(std::string_view key) const { return Current().SubKeys(key); }

std::vector<std::string> FileSettingsStore::ValueNames(std::string_view key) const {
    return Current().ValueNames(key);
}

bool FileSettingsStore::SetValue(std::string_view key, std::string_view name, const RegValue& value) {
    if (!IsUsableKeyName(key)) return false;
    // A store reached through a symbolic link is locked and replaced where it really lives.
    const std::string target = ReplacementTarget(path_);
    std::error_code folderError;
    fs::create_directories(FolderOf(target), folderError);
    if (folderError) {
        WarnReadOnly("cannot be created (" + folderError.message() + ")");
        return false;
    }
    const StoreLock lock(target);
    if (!lock.locked()) {
        WarnReadOnly("cannot be locked (" + ErrorText(lock.error()) + ")");
        return false;
    }
    Snapshot snapshot = ReadSnapshot(target);
    if (!snapshot.whyReadOnly.empty()) {
        WarnReadOnly(snapshot.whyReadOnly);
        return false;
    }
    if (!snapshot.document.SetValue(key, name, value)) return true;
    RemoveStrayTempFiles(target);
    // The store is always either the old file or the new one.
    const std::error_code error = ReplaceFileAtomically(target, SerialiseRegistry(snapshot.document));
    if (!error) return true;
    WarnReadOnly("cannot be written (" + error.message() + ")");
    return false;
}

}  // namespace varnel
