#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

// The boot loader answers its queries with a short text followed by control bytes.
inline constexpr size_t kBootReplySize = 20;

// The reply's leading text: its bytes up to the first one below 0x20, at most kBootReplySize.
// Bytes of 0x80 and above are text (the boot loader's character set is 8-bit).
std::string BootReplyText(std::string_view reply);

}  // namespace varnel
