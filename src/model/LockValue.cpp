#include "model/LockValue.h"

#include <cmath>

#include "model/MakerInfo.h"

namespace varnel {
namespace {

// |trunc(x)| <= 1 holds exactly when |x| < 2.
constexpr double kTruncatedToleranceBound = 2.0;

}  // namespace

double ReduceLockSum(double sum) {
    if (!std::isfinite(sum) || sum <= kLockModulus) return sum;
    // Below 2^55 every subtraction of 100 is exact, so the loop ends on the exact remainder,
    // which fmod gives exactly; above that the loop would not end at all.
    double rest = std::fmod(sum, kLockModulus);
    return rest == 0.0 ? kLockModulus : rest;
}

bool LockMatches(double computed, double stored, double scale) {
    return std::fabs((computed - stored) * scale) < kTruncatedToleranceBound;
}

std::string QuotedMakerAddress() { return "\"" + std::string(kMakerWebAddress) + "\""; }

}  // namespace varnel
