#pragma once

// The printer's command set in one place: every byte string the program sends to a printer,
// and the reply heads it relies on. Nothing else in the program spells out command bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel::cmd {

inline constexpr char kEsc = 0x1B;
inline constexpr char kStx = 0x02;

// ---- Configuration commands (identification, read, verify, write, identity, port commands)

// ---- File commands (printer file manager)

// ---- Boot loader commands (firmware update)

}  // namespace varnel::cmd
