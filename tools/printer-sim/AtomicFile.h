#pragma once

#include <string>
#include <string_view>

namespace varnel::sim {

// Writes the bytes to a temporary file beside path and renames it over path, so a crash in the
// middle never leaves a half-written file where a good one stood. False with error on failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);

// The whole file; false with error when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace varnel::sim
