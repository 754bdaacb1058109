#include "app/Log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "base/FileLock.h"
#include "base/UniqueFd.h"
#include "base/WriteAll.h"

namespace varnel {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr mode_t kLogFileMode = 0666;  // narrowed by the umask, as any created file

}  // namespace

std::string LogEntryBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n')
            bytes += kLineEnd;
        else
            bytes += c;
    }
    bytes += kLineEnd;
    bytes += kLineEnd;
    return bytes;
}

bool AppendLogEntry(const std::string& path, std::string_view text) {
    UniqueFd file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kLogFileMode));
    if (!file.Valid()) return false;
    // Entry, size check and emptying are one step for runs that share the log: another run's
    // entry written between them would be emptied with the rest. Closing the file lets go.
    if (!LockExclusively(file.Get())) return false;
    if (!WriteAll(file.Get(), LogEntryBytes(text))) return false;

    struct stat info {};
    if (::fstat(file.Get(), &info) == 0 && info.st_size > kLogSizeLimit) {
        // The log starts afresh; the entry that crossed the limit goes with the rest.
        if (::ftruncate(file.Get(), 0) != 0) return false;
    }
    return true;
}

std::string FormatTimeStamp(const std::tm& localTime) {
    static constexpr const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
    static constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
    // Written out by hand rather than through strftime, whose names follow the process locale.
    char buffer[64];
    int day = localTime.tm_wday >= 0 && localTime.tm_wday < 7 ? localTime.tm_wday : 0;
    int month = localTime.tm_mon >= 0 && localTime.tm_mon < 12 ? localTime.tm_mon : 0;
    std::snprintf(buffer, sizeof buffer, "%s, %s %02d, %02d:%02d:%02d", kDays[day], kMonths[month],
                  localTime.tm_mday, localTime.tm_hour, localTime.tm_min, localTime.tm_sec);
    return buffer;
}

std::string CurrentTimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    return FormatTimeStamp(local);
}

std::string StartBlockText(std::string_view timeStamp) {
    std::string rule(kLogRuleWidth, '=');
    std::string text = rule;
    text += '\n';
    text += kInvokedText;
    text += timeStamp;
    text += '\n';
    text += rule;
    return text;
}

std::string EndEntryText(std::string_view timeStamp) {
    std::string text(kTerminatedText);
    text += timeStamp;
    return text;
}

}  // namespace varnel
