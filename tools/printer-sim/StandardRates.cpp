#include "StandardRates.h"

#include <array>

namespace varnel::sim {
namespace {

constexpr std::array<unsigned, 14> kStandardRates{300,   600,   1200,   2400,   4800,   9600,   19200,
                                                  38400, 57600, 115200, 230400, 460800, 500000, 921600};

unsigned Distance(unsigned a, unsigned b) { return a > b ? a - b : b - a; }

}  // namespace

unsigned NearestStandardRate(unsigned rate) {
    unsigned best = kStandardRates.front();
    for (unsigned candidate : kStandardRates)
        if (Distance(candidate, rate) < Distance(best, rate)) best = candidate;
    return best;
}

}  // namespace varnel::sim
