#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "model/ConfigModel.h"

namespace varnel::fuzz {

// The fuzzer's bytes as a description file for one of the readers; the low bits of the first byte
// set the model's lockOverride (1) and choose the reader's printLock (2).
struct DescriptionInput {
    DescriptionInput(const uint8_t* data, size_t size, ConfigModel& model)
        : printLock(size > 0 && (data[0] & kPrintLockBit)), file(std::string(reinterpret_cast<const char*>(data), size)) {
        model.lockOverride = size > 0 && (data[0] & kLockOverrideBit);
    }

    static constexpr uint8_t kLockOverrideBit = 1;
    static constexpr uint8_t kPrintLockBit = 2;
    bool printLock;
    std::istringstream file;
};

}  // namespace varnel::fuzz
