#include "LinePacer.h"

#include <algorithm>

namespace varnel::sim {

Micros LinePacer::ByteTime() const {
    return std::max<Micros>(1, static_cast<Micros>(kMicrosPerSecond / bytesPerSecond_));
}

std::size_t LinePacer::Allowance(Micros now) const {
    if (!Paced()) return kUnpacedAllowance;
    if (now < lineFreeAt_) return 0;
    return static_cast<std::size_t>(std::max<Micros>(1, kBurst / ByteTime()));
}

void LinePacer::Consume(std::size_t count, Micros now) {
    if (!Paced()) return;
    lineFreeAt_ = std::max(lineFreeAt_, now) + static_cast<Micros>(count) * ByteTime();
}

std::optional<Micros> LinePacer::NextAllowed(Micros now) const {
    if (!Paced() || now >= lineFreeAt_) return std::nullopt;
    return lineFreeAt_;
}

}  // namespace varnel::sim
