#pragma once

#include <functional>
#include <string>

namespace varnel {

// One setting that did not verify, with both values as the log's detail line shows them: the
// option texts where the setting has options ("Undetermined value" for a number without one),
// decimal numbers for 16-bit fields, the texts of a text setting.
struct VerifyDifference {
    std::string setting;
    std::string printerValue;
    std::string configurationValue;

    bool operator==(const VerifyDifference&) const = default;
};

// Handed every difference of a verification, in the order the log reports them.
using VerifyDifferenceSink = std::function<void(const VerifyDifference&)>;

}  // namespace varnel
