#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// Texts formatted from an option are cut to this length, as a 200-byte buffer would hold them.
inline constexpr std::size_t kMaxFormattedLength = 199;

// Formats `value` with an options file's display text used as a printf-style format, without
// ever handing that text to printf. The first integer conversion (%d %i %u %x %X %o, with flags,
// width, precision and an h, hh or l length) takes the value, "%%" gives "%", and everything
// else, further conversions included, is copied as it stands. A well-formed format gives exactly
// what snprintf into a 200-byte buffer gives ("l" is 32 bits wide, as the files were written
// for). The text ends at a NUL byte, as a C string would.
std::string SafeFormat(std::string_view format, int32_t value);

struct OptionEntry;
// What an option shows for `value`: a range option's text formatted with it ("Level %i" gives
// "Level 3"), any other option's text as it stands.
std::string OptionShownText(const OptionEntry& option, int32_t value);

}  // namespace varnel
