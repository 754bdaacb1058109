#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/UniqueFd.h"

namespace varnel {

// A boot file opened for reading, closed when the reader goes away. Reads tell a clean end of
// the file apart from an I/O error, so a file that breaks part way is never sent as if whole.
class BootFileReader {
public:
    // False when the file does not exist or cannot be read.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_.Valid(); }
    // The file's size when opened, for progress texts.
    int64_t Size() const { return size_; }
    // The next block of up to `maxBytes` bytes; empty at the end of the file; nullopt on an
    // I/O error.
    std::optional<std::string> ReadBlock(size_t maxBytes);

private:
    UniqueFd fd_;
    int64_t size_ = 0;
};

}  // namespace varnel
