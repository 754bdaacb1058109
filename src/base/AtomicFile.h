#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "base/UniqueFd.h"

namespace varnel {

// A temporary file is named after its target, this and a number, so that one a crash left
// behind is known by its name.
inline constexpr std::string_view kReplacementInfix = ".tmp-";

// The file that replacing `path` writes: a symbolic link is followed, so the link stays a link.
// A link that leads nowhere is replaced itself.
std::string ReplacementTarget(const std::string& path);

// A new file beside the target that takes the target's place only once it is written whole and
// flushed to the disk; until then, and after any failure, the target stays as it was. The new
// file keeps the permissions of the one it replaces. An uncommitted temporary file is removed;
// those that writers killed before their rename left beside the same target go when the next
// replacement of it starts.
class FileReplacement {
public:
    explicit FileReplacement(const std::string& path);
    ~FileReplacement() { Discard(); }
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Whether the temporary file could be created.
    bool IsOpen() const { return fd_.Valid(); }
    // Why the last step failed; empty while none has.
    std::error_code Error() const { return error_; }

    // A failed write drops the temporary file: a later Commit fails too.
    bool Write(std::string_view bytes);
    // Flushes and closes the temporary file, renames it over the target, then flushes the folder
    // so that the rename lasts too.
    bool Commit();
    // Drops what was written.
    void Discard();

private:
    bool Fail();     // records errno; returns false
    bool NotOpen();  // returns false

    std::string target_;
    std::string tempPath_;  // empty once renamed or removed
    UniqueFd fd_;
    std::error_code error_;
};

// Replaces the file at `path` with `bytes` through a FileReplacement. Empty on success, else why
// the step that failed did.
std::error_code ReplaceFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace varnel
