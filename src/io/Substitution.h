#pragma once

#include <string>
#include <string_view>

namespace varnel {

struct PortExtras;

inline constexpr size_t kSubstitutionLimit = 580;   // data this long or longer is sent unchanged
inline constexpr size_t kSubstitutionBuffer = 600;  // a result must stay below this
inline constexpr int kMaxReplacements = 100;

// Replaces `pattern` by `conversion` in `data`. Pattern and conversion end at their first zero
// byte, and the search in `data` stops at its first zero byte. Data exactly as long as the
// pattern is replaced only when equal to it. Inserted bytes are not searched again; at most 100
// replacements. Returns the new length, or 0 when nothing changed.
size_t SubstitutePair(std::string& data, std::string_view pattern, std::string_view conversion);

// The four pairs in order on data shorter than 580 bytes. A pair whose result would reach 600
// bytes is not applied. Returns the data to send.
std::string ApplySubstitutions(std::string_view data, const PortExtras& extras);

}  // namespace varnel
