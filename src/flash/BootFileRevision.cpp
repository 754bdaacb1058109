#include "flash/BootFileRevision.h"

#include <algorithm>

namespace varnel {

namespace {
// The minor revision is the last two characters of the base name.
constexpr size_t kMinorDigits = 2;
}

std::string BootFileRevision(std::string_view fileName) {
    std::string rev{fileName.substr(0, fileName.find('.'))};
    std::replace(rev.begin(), rev.end(), '_', '-');
    // A base name too short to hold a minor revision is shown as it is rather than cut apart.
    if (rev.size() >= kMinorDigits) rev.insert(rev.size() - kMinorDigits, 1, '.');
    if (rev.size() > kMaxFileRevLength) rev.resize(kMaxFileRevLength);
    return rev;
}

}  // namespace varnel
