// A network port's drain (until the printer has acknowledged the output, at most 300 ms) and its
// reads (on until the count asked for or a quiet gap of the interval time-out), on the scripted
// port and the fake clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unit/io/IOCommFixture.h"

namespace varnel::test {
namespace {

constexpr const char* kPrinter = "10.1.2.3:9100";
constexpr int64_t kNetworkReadTotalMs = 100;  // what a network open sets the read's constant to

class NetworkPortTest : public IOCommTest {
protected:
    NetworkPortTest() { backend.clock = &clock; }
    void OpenPrinter() { ASSERT_NE(Port().Open(kPrinter, "", SaveCommSetup::Yes), 0); }
    // Reads `size` bytes; the text of what arrived.
    std::string Read(size_t size) {
        std::string buffer(size, '\0');
        const int n = Port().Input(buffer.data(), size);
        return buffer.substr(0, static_cast<size_t>(std::max(n, 0)));
    }
    std::vector<int64_t> ReadWaits() const {
        std::vector<int64_t> waits;
        for (const auto& read : backend.reads) waits.push_back(read.waitMs);
        return waits;
    }
};

TEST_F(NetworkPortTest, TheDrainWaitsForTheAcknowledgementAtMost300Ms) {
    struct Case {
        const char* name;
        std::vector<int64_t> counts;  // unacknowledged bytes, one per query, then the last for good
        bool fixedDrain;              // "NetworkFixedDrain" = 1 stored
        int64_t waitMs;
        std::vector<int64_t> sleeps;
    };
    const std::vector<Case> cases{
        {"acknowledged at once", {0}, false, 2000, {}},
        {"acknowledged after three polls", {40, 12, 3, 0}, false, 2000, {1, 1, 1}},
        {"never acknowledged", {5}, false, 2000, std::vector<int64_t>(300, 1)},
        {"never acknowledged, short bound", {5}, false, 120, std::vector<int64_t>(120, 1)},
        {"fixed drain", {0}, true, 2000, {300}},
        {"fixed drain, short bound", {0}, true, 120, {120}},
    };
    for (const Case& c : cases) {
        MemorySettingsStore fresh;
        if (c.fixedDrain) fresh.SetValue(kPortSettingsKey, "NetworkFixedDrain", RegValue::Dword(1));
        FakeClock drainClock;
        FakePortBackend printer;
        printer.unacknowledgedSequence.assign(c.counts.begin(), c.counts.end() - 1);
        printer.unacknowledged = c.counts.back();
        IOComm port(fresh, drainClock, reporter, printer);
        ASSERT_NE(port.Open(kPrinter, "", SaveCommSetup::Yes), 0);
        EXPECT_EQ(port.Settings().NetworkFixedDrain, c.fixedDrain ? 1u : 0u) << c.name;
        EXPECT_EQ(port.WaitOutput(c.waitMs), 1) << c.name;
        EXPECT_EQ(drainClock.sleeps, c.sleeps) << c.name;
        // The fixed drain does not ask.
        EXPECT_EQ(printer.statusCalls == 0, c.fixedDrain) << c.name;
    }
}

TEST_F(NetworkPortTest, ADrainThatCannotCountWaitsItsWholeBound) {
    OpenPrinter();
    backend.unacknowledgedSequence = {7};
    backend.failStatus.At(2);
    EXPECT_EQ(Port().WaitOutput(2000), 1);
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{1, 299}));
}

TEST_F(NetworkPortTest, AReplyInTwoPiecesIsOneReadWhenTheGapIsShorterThanTheInterval) {
    StoreValue("ReadIntervalTimeout", RegValue::Dword(50));
    OpenPrinter();
    const int64_t start = clock.now;
    backend.QueueReply("~g");
    backend.QueueReplyAt(start + 30, std::string("\x01\x05", 2));
    EXPECT_EQ(Read(4), std::string("~g\x01\x05", 4));
    EXPECT_EQ(clock.now - start, 30);
    EXPECT_EQ(ReadWaits(), (std::vector<int64_t>{kNetworkReadTotalMs, 50}));

    // With a gap longer than the interval, the rest is the next read's.
    backend.reads.clear();
    const int64_t second = clock.now;
    backend.QueueReply("~g");
    backend.QueueReplyAt(second + 80, std::string("\x01\x05", 2));
    EXPECT_EQ(Read(4), "~g");
    EXPECT_EQ(clock.now - second, 50);
    EXPECT_EQ(Read(4), std::string("\x01\x05", 2));
}

TEST_F(NetworkPortTest, TheTotalTimeOutBoundsTheWholeRead) {
    StoreValue("ReadIntervalTimeout", RegValue::Dword(50));
    OpenPrinter();
    const int64_t start = clock.now;
    // A byte every 40 ms: each within the interval, the fourth after the read's 100 ms.
    for (int i = 0; i < 4; ++i) backend.QueueReplyAt(start + 40 * i, std::string(1, static_cast<char>('a' + i)));
    EXPECT_EQ(Read(10), "abc");
    EXPECT_EQ(clock.now - start, kNetworkReadTotalMs);

    // The count asked for ends a read at once.
    backend.replies.clear();
    const int64_t second = clock.now;
    backend.QueueReply("wxyz");
    EXPECT_EQ(Read(4), "wxyz");
    EXPECT_EQ(clock.now, second);

    // Nothing at all: the read fails after its total, with its text kept.
    EXPECT_EQ(Read(4), "");
    EXPECT_EQ(clock.now - second, kNetworkReadTotalMs);
    EXPECT_EQ(Port().GetLastErrorText().rfind("IOComm::Input() failed, GetLastError() returned: ", 0), 0u);
}

TEST_F(NetworkPortTest, ReadsThatTimeOutWithNothingKeepTheConnection) {
    OpenPrinter();
    // A printer with nothing to say, as at the end of every file download.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Read(4), "") << i;
    EXPECT_EQ(InputRetryState().failures, 0);
    EXPECT_EQ(backend.opens.size(), 1u) << "a quiet printer was disconnected";
    EXPECT_TRUE(clock.sleeps.empty()) << "no reconnect delay";
    EXPECT_TRUE(Port().IsOpen());
}

TEST_F(NetworkPortTest, WhatTheDrainDidNotNeedIsTheNextReadsTimeForTheFirstBytes) {
    OpenPrinter();
    Port().OutputString("\x1b~g\x01\x05\x01");
    backend.unacknowledgedSequence = {6, 6};  // acknowledged after 2 ms
    Port().WaitOutput(2000);
    const int64_t start = clock.now;
    // A slow printer: it answers 250 ms after the acknowledgement, in two pieces 30 ms apart.
    backend.QueueReplyAt(start + 250, "~g");
    backend.QueueReplyAt(start + 280, std::string("\x01\x05", 2));
    EXPECT_EQ(Read(4), std::string("~g\x01\x05", 4));
    EXPECT_EQ(ReadWaits().front(), kNetworkReadTotalMs + 298);

    // The grace belongs to the read after the drain only: the next one has its 100 ms.
    backend.reads.clear();
    backend.QueueReplyAt(clock.now + 250, "late");
    EXPECT_EQ(Read(4), "");
    EXPECT_EQ(ReadWaits().front(), kNetworkReadTotalMs);

    // A command sent after the drain spends it too.
    backend.replies.clear();
    backend.reads.clear();
    Port().WaitOutput(2000);
    Port().OutputString("\x1b~r\x05");
    Read(4);
    EXPECT_EQ(ReadWaits().front(), kNetworkReadTotalMs);
}

TEST_F(NetworkPortTest, AFixedDrainLeavesTheReadItsOwnTimeOut) {
    StoreValue("NetworkFixedDrain", RegValue::Dword(1));
    OpenPrinter();
    Port().WaitOutput(2000);
    Read(4);
    EXPECT_EQ(ReadWaits().front(), kNetworkReadTotalMs);
}

}  // namespace
}  // namespace varnel::test
