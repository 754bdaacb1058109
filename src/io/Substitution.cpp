#include "io/Substitution.h"

#include "io/PortSettings.h"

namespace varnel {
namespace {

std::string_view UpToZero(std::string_view text) { return text.substr(0, text.find('\0')); }

}  // namespace

size_t SubstitutePair(std::string& data, std::string_view pattern, std::string_view conversion) {
    pattern = UpToZero(pattern);
    conversion = UpToZero(conversion);
    if (pattern.empty()) return 0;
    if (data.size() == pattern.size()) {
        if (data != pattern) return 0;
        data = std::string(conversion);
        return data.size();
    }
    size_t searchable = UpToZero(data).size();
    int replacements = 0;
    size_t at = std::string_view(data).substr(0, searchable).find(pattern);
    while (at != std::string_view::npos && replacements < kMaxReplacements) {
        data.replace(at, pattern.size(), conversion);
        searchable = searchable - pattern.size() + conversion.size();
        ++replacements;
        at = std::string_view(data).substr(0, searchable).find(pattern, at + conversion.size());
    }
    return replacements > 0 ? data.size() : 0;
}

std::string ApplySubstitutions(std::string_view data, const PortExtras& extras) {
    std::string buffer(data);
    if (!extras.DoExtra || data.size() >= kSubstitutionLimit) return buffer;
    for (int i = 0; i < kSubstitutionPairs; ++i) {
        if (UpToZero(extras.Pattern[i]).empty()) continue;
        std::string candidate = buffer;
        if (SubstitutePair(candidate, extras.Pattern[i], extras.Conversion[i]) == 0) continue;
        if (candidate.size() >= kSubstitutionBuffer) continue;
        buffer = std::move(candidate);
    }
    return buffer;
}

}  // namespace varnel
