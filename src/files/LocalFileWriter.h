#pragma once

#include <string>
#include <string_view>

namespace varnel {

// A file saved from the printer. The bytes go to a temporary file beside the target, which
// replaces the target only on Commit; a transfer that breaks off leaves an existing file of
// that name as it was. An uncommitted temporary file is removed.
class LocalFileWriter {
public:
    explicit LocalFileWriter(std::string target);
    ~LocalFileWriter();
    LocalFileWriter(const LocalFileWriter&) = delete;
    LocalFileWriter& operator=(const LocalFileWriter&) = delete;

    // Whether the temporary file could be created.
    bool IsOpen() const { return fd_ >= 0; }
    bool Write(std::string_view bytes);
    // Flushes, closes and renames over the target.
    bool Commit();
    // Drops what was written.
    void Discard();

private:
    bool CloseFd();

    std::string target_;
    std::string tempPath_;
    int fd_ = -1;
};

}  // namespace varnel
