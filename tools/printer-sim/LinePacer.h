#pragma once

#include <cstddef>
#include <optional>

#include "SimTime.h"

namespace varnel::sim {

// Lets bytes pass no faster than a serial line would carry them.
class LinePacer {
public:
    // Bytes per second; 0 lets everything pass at once.
    void SetRate(double bytesPerSecond) { bytesPerSecond_ = bytesPerSecond; }
    bool Paced() const { return bytesPerSecond_ > 0; }

    // How many bytes may pass now (0 while the line is still carrying earlier bytes).
    std::size_t Allowance(Micros now) const;
    void Consume(std::size_t count, Micros now);
    // When the next byte may pass, if the line is busy now.
    std::optional<Micros> NextAllowed(Micros now) const;

private:
    // Bytes are let through in bursts of this much line time.
    static constexpr Micros kBurst = Millis(10);
    static constexpr std::size_t kUnpacedAllowance = 65536;

    Micros ByteTime() const;

    double bytesPerSecond_ = 0;
    Micros lineFreeAt_ = 0;
};

}  // namespace varnel::sim
