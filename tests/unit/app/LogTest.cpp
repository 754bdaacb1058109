#include "app/Log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/LockWait.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

TEST(LogEntry, LineEndsBecomeCrLfAndAnEmptyLineFollows) {
    EXPECT_EQ(LogEntryBytes("Configuration Error: \nPort busy"), "Configuration Error: \r\nPort busy\r\n\r\n");
    EXPECT_EQ(LogEntryBytes(""), "\r\n\r\n");
    EXPECT_EQ(LogEntryBytes("a\n\nb"), "a\r\n\r\nb\r\n\r\n");
}

TEST(LogEntry, AppendsToTheFileAndCreatesIt) {
    ScratchDir dir;
    std::string log = dir.File("Varnel.log");
    ASSERT_TRUE(AppendLogEntry(log, "one"));
    ASSERT_TRUE(AppendLogEntry(log, "two\nlines"));
    EXPECT_EQ(ReadFileBytes(log), "one\r\n\r\ntwo\r\nlines\r\n\r\n");
}

TEST(LogEntry, FolderThatCannotHoldTheLogLosesTheEntryQuietly) {
    ScratchDir dir;
    EXPECT_FALSE(AppendLogEntry(dir.File("missing/Varnel.log"), "lost"));
}

TEST(LogEntry, EntryThatTakesTheLogPastTheLimitEmptiesItAndTheNextStartsAfresh) {
    ScratchDir dir;
    std::string log = dir.File("Varnel.log");
    // 249994 + "abc\r\n\r\n" (7) = 250001: one byte past the limit.
    WriteFileBytes(log, std::string(249994, 'x'));
    ASSERT_TRUE(AppendLogEntry(log, "abc"));
    EXPECT_EQ(ReadFileBytes(log), "");
    ASSERT_TRUE(AppendLogEntry(log, "next"));
    EXPECT_EQ(ReadFileBytes(log), "next\r\n\r\n");
}

TEST(LogEntry, AnEntryWaitsWhileAnotherRunHoldsTheLog) {
    ScratchDir dir;
    std::string log = dir.File("Varnel.log");
    // The other run may be between its entry and emptying a log it took past the limit; an
    // entry written in between would go with the rest.
    const std::string other = "other\r\n\r\n";
    WriteFileBytes(log, other);
    EXPECT_TRUE(test::WaitsForLock(
        log, [&] { AppendLogEntry(log, "mine"); },
        [&] { EXPECT_EQ(ReadFileBytes(log), other) << "written under the other run's lock"; }));
    EXPECT_EQ(ReadFileBytes(log), other + "mine\r\n\r\n");
}

TEST(LogEntry, EntryThatEndsExactlyAtTheLimitStays) {
    ScratchDir dir;
    std::string log = dir.File("Varnel.log");
    WriteFileBytes(log, std::string(249993, 'x'));
    ASSERT_TRUE(AppendLogEntry(log, "abc"));
    std::string bytes = ReadFileBytes(log);
    EXPECT_EQ(bytes.size(), 250000u);
    EXPECT_EQ(bytes.substr(249993), "abc\r\n\r\n");
}

TEST(TimeStamp, EnglishNamesWhateverTheLocale) {
    struct Case {
        int weekDay, month, day, hour, minute, second;
        const char* text;
    };
    const Case cases[] = {
        {3, 8, 7, 9, 5, 3, "Wednesday, September 07, 09:05:03"},
        {0, 11, 31, 23, 59, 59, "Sunday, December 31, 23:59:59"},
    };
    for (const Case& c : cases) {
        std::tm time{};
        time.tm_wday = c.weekDay;
        time.tm_mon = c.month;
        time.tm_mday = c.day;
        time.tm_hour = c.hour;
        time.tm_min = c.minute;
        time.tm_sec = c.second;
        EXPECT_EQ(FormatTimeStamp(time), c.text);
    }
}

TEST(LogBlocks, StartBlockAndEndEntry) {
    std::string rule(75, '=');
    EXPECT_EQ(StartBlockText("Monday, March 02, 10:20:30"),
              rule + "\nConfiguration Application Invoked:     Monday, March 02, 10:20:30\n" + rule);
    EXPECT_EQ(EndEntryText("Monday, March 02, 10:20:31"),
              "Configuration Application Terminated:    Monday, March 02, 10:20:31");
}

}  // namespace
}  // namespace varnel
