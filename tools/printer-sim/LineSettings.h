#pragma once

#include <optional>

namespace varnel::sim {

// What a serial line is set to, as far as the printer cares.
struct LineState {
    unsigned rate = 0;               // baud
    unsigned bitsPerCharacter = 10;  // start bit, data bits, parity bit, stop bits
};

// The settings of the terminal behind fd, any rate included (also non-standard ones).
std::optional<LineState> ReadLineState(int fd);

// Raw 8-bit mode without echo or line editing, at rate (0 keeps the rate). A printer's line
// is raw; echo would send the printer's replies back to it.
bool MakeRawLine(int fd, unsigned rate);

}  // namespace varnel::sim
