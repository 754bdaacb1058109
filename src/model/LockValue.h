#pragma once

#include <string>

#include "model/SettingNames.h"

namespace varnel {

// A description file's lock value is its checksum brought down below 100.
inline constexpr double kLockModulus = 100.0;

// Takes 100.0 off the sum while it is above 100.0 (a sum of exactly 100.0 stays). The result is
// bit for bit what the repeated subtraction gives, computed in one step so that a huge sum does
// not run for ages; a sum that is not finite is left as it is.
double ReduceLockSum(double sum);

// A description table's lock value: `addRow` adds a row's weighted parts to the sum, which leaves
// out the "Setup" row (it carries the lock itself), and the sum is reduced.
template <typename Table, typename AddRow>
double TableLockValue(const Table& table, AddRow addRow) {
    double sum = 0.0;
    for (const auto& row : table)
        if (row.name != kSetupName) addRow(row, sum);
    return ReduceLockSum(sum);
}

// True when (computed - stored) * scale, truncated towards zero, lies within -1..1. Compared in
// double precision, so huge or undefined differences never pass through an integer conversion.
bool LockMatches(double computed, double stored, double scale);

// The maker's web address in double quotes, as the lock error texts end.
std::string QuotedMakerAddress();

}  // namespace varnel
