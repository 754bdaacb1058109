#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

// The list reply: zero-ended texts, ended by an empty text. Entries equal without regard to
// case are listed once, the first kept.
std::vector<std::string> ParseFileList(std::string_view reply);

// The file name of a list entry: the entry up to its first tab.
std::string EntryFileName(std::string_view entry);

// The file's size when the entry's second column (after the first tab, up to the next) is a plain
// decimal number, as the printer lists "NAME<tab>SIZE"; otherwise not known.
std::optional<uint64_t> EntryFileSize(std::string_view entry);

}  // namespace varnel
