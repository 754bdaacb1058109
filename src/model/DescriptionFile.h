#pragma once

#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

class Reporter;

// What one kind of description file (map, options) says while it is read. A lock error reads
// head, path, advice and the maker's address in double quotes.
struct DescriptionTexts {
    std::string_view unableToRead;
    std::string_view lockMissing;
    std::string_view lockMissingAdvice;
    std::string_view lockIncorrect;
    std::string_view lockIncorrectAdvice;
    std::string_view shouldBe;
};

// The lock value the rows read add up to, and the one the file's "Setup" row stores (none
// without that row).
struct DescriptionLock {
    double computed = 0.0;
    std::optional<double> stored;
    double scale = 1.0;        // the comparison's scale, as LockMatches takes it
    std::string computedText;  // the computed value as "should be" shows it
};

struct DescriptionReadOptions {
    bool printLock = false;     // also report the lock value the file should carry
    bool lockOverride = false;  // a wrong lock value is reported, and the file still taken
};

// The steps map and options files share: a stream that cannot be read is reported; else
// `readRows` reads it and answers with the lock values, which are then checked. A missing lock
// fails; a wrong one without the override calls `refuse` (which empties the table, and may end
// the process) and fails. Every failure is reported first.
bool ReadDescription(std::istream& in, const std::string& path, const DescriptionTexts& texts,
                     DescriptionReadOptions options, Reporter& reporter,
                     const std::function<DescriptionLock(std::istream&)>& readRows,
                     const std::function<void()>& refuse);

}  // namespace varnel
