#pragma once

#include <filesystem>

#include "support/ScratchDir.h"

namespace varnel::fuzz {

// A scratch folder in memory where the system has one: the writers flush every file to disk, and
// a fuzz run writes thousands.
inline test::ScratchDir InMemoryScratchDir() {
    const char* const kMemory = "/dev/shm";
    return test::ScratchDir(std::filesystem::exists(kMemory) ? kMemory : std::filesystem::temp_directory_path().string());
}

}  // namespace varnel::fuzz
