#include "base/CancelledText.h"

namespace varnel {

std::string CancelledText(std::string_view operation, int64_t done, int64_t total, std::string_view units,
                          std::string_view consequence) {
    std::string text(operation);
    text += " cancelled after " + std::to_string(done) + " of " + std::to_string(total) + " ";
    text += units;
    text += ": ";
    text += consequence;
    return text;
}

}  // namespace varnel
