#include "model/DescriptionFile.h"

#include "base/Reporter.h"
#include "model/LockValue.h"

namespace varnel {
namespace {

void ReportLockError(std::string_view head, const std::string& path, std::string_view advice, Reporter& reporter) {
    reporter.ReportError(std::string(head) + path + std::string(advice) + QuotedMakerAddress(), event::kGeneral,
                         kSeverityError);
}

}  // namespace

bool ReadDescription(std::istream& in, const std::string& path, const DescriptionTexts& texts,
                     DescriptionReadOptions options, Reporter& reporter,
                     const std::function<DescriptionLock(std::istream&)>& readRows,
                     const std::function<void()>& refuse) {
    if (!in) {
        reporter.ReportError(std::string(texts.unableToRead) + path, event::kGeneral, kSeverityError);
        return false;
    }
    const DescriptionLock lock = readRows(in);
    if (!lock.stored) {
        ReportLockError(texts.lockMissing, path, texts.lockMissingAdvice, reporter);
        return false;
    }
    if (options.printLock)
        reporter.ReportMessage(std::string(texts.shouldBe) + lock.computedText, event::kGeneral, kSeverityMessage);
    if (LockMatches(lock.computed, *lock.stored, lock.scale)) return true;

    ReportLockError(texts.lockIncorrect, path, texts.lockIncorrectAdvice, reporter);
    if (options.lockOverride) return true;
    refuse();
    return false;
}

}  // namespace varnel
