// A network port's drain (until the printer has acknowledged the output, at most 300 ms) and its
// reads (on until the count asked for or the end of the fixed wait after the command), on the
// scripted port and the fake clock.

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

// Every gap the fixed 300 ms drain used to cover, whatever per-byte time identification set for
// serial lines before the port was known to be a network port.
TEST_F(NetworkPortTest, AReplyWhosePiecesArriveWithinTheFixedWaitIsReadWhole) {
    StoreValue("ReadIntervalTimeout", RegValue::Dword(30));
    OpenPrinter();
    for (const int64_t gap : {0, 1, 20, 31, 40, 100, 150, 200, 250, 280, 299, 300}) {
        backend.reads.clear();
        Port().OutputString("\x1b~g\x01\x05\x01");
        const int64_t request = clock.now;
        Port().WaitOutput(2000);  // acknowledged at once
        backend.QueueReply("~g");
        backend.QueueReplyAt(request + gap, std::string("\x01\x05", 2));
        EXPECT_EQ(Read(4), std::string("~g\x01\x05", 4)) << gap;
        EXPECT_EQ(clock.now - request, gap) << "the count asked for ends the read at once";
    }
}

TEST_F(NetworkPortTest, APieceLaterThanTheFixedWaitIsTheNextReadsAndNothingWaitsLonger) {
    struct Case {
        const char* name;
        bool drain;          // a WaitOutput(t) between the command and the read
        int64_t waitMs;      // its t
        int64_t windowMs;    // how long after the command the read may gather
    };
    const Case cases[] = {
        {"after a drain of 2000", true, 2000, 300},
        {"after a drain of 120", true, 120, 120},
        {"without a drain", false, 0, 300},
    };
    OpenPrinter();
    for (const Case& c : cases) {
        backend.replies.clear();
        Port().OutputString("\x1b~r\x05");
        const int64_t request = clock.now;
        if (c.drain) Port().WaitOutput(c.waitMs);
        backend.QueueReply("~r\x05REV");
        backend.QueueReplyAt(request + c.windowMs + 10, std::string(":SIM\0", 5));
        EXPECT_EQ(Read(30), "~r\x05REV") << c.name;
        EXPECT_EQ(clock.now - request, c.windowMs) << c.name;
        EXPECT_EQ(Read(30), std::string(":SIM\0", 5)) << c.name << ": the rest is not lost";
    }
}

TEST_F(NetworkPortTest, AFixedDrainHasWaitedTheWindowAlready) {
    StoreValue("NetworkFixedDrain", RegValue::Dword(1));
    OpenPrinter();
    Port().OutputString("\x1b~g\x01\x05\x01");
    Port().WaitOutput(2000);
    const int64_t afterDrain = clock.now;
    backend.QueueReply("~g");
    backend.QueueReplyAt(afterDrain + 5, std::string("\x01\x05", 2));
    // What is there is taken at once, as the single read after the fixed pause took it.
    EXPECT_EQ(Read(4), "~g");
    EXPECT_EQ(clock.now, afterDrain);
}

TEST_F(NetworkPortTest, TheTotalTimeOutBoundsTheWaitForTheFirstBytes) {
    OpenPrinter();
    // Nothing at all: the read fails after its total, with its text kept.
    const int64_t start = clock.now;
    EXPECT_EQ(Read(4), "");
    EXPECT_EQ(clock.now - start, kNetworkReadTotalMs);
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
