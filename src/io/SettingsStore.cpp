#include "io/SettingsStore.h"

namespace varnel {

namespace {
constexpr std::size_t kDwordSize = 4;
}

RegValue RegValue::Dword(uint32_t value) {
    std::string bytes(kDwordSize, '\0');
    for (std::size_t i = 0; i < kDwordSize; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
    return {RegType::Dword, std::move(bytes)};
}

std::optional<uint32_t> RegValue::AsDword() const {
    if (type != RegType::Dword || data.size() != kDwordSize) return std::nullopt;
    uint32_t value = 0;
    for (std::size_t i = 0; i < kDwordSize; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(data[i])) << (8 * i);
    return value;
}

}  // namespace varnel
