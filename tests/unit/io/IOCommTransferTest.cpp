#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "unit/io/IOCommFixture.h"

namespace varnel::test {
namespace {

class TransferTest : public IOCommTest {
protected:
    void OpenPort(const std::string& name) { ASSERT_NE(Port().Open(name, "", SaveCommSetup::Yes), 0) << name; }
};

TEST_F(TransferTest, OutputWritesAndCountsTheBytes) {
    OpenPort("COM1");
    EXPECT_EQ(Port().Output("\x1b~r\x06", 4), 1);
    EXPECT_EQ(backend.allWritten, "\x1b~r\x06");
    EXPECT_EQ(Port().GetBytesWritten(), 4u);
    EXPECT_EQ(backend.reads.size(), 0u);
}

TEST_F(TransferTest, PartialWritesGoOnInRoundsOfAtMostTen) {
    OpenPort("COM1");
    backend.acceptLimit = 3;
    EXPECT_EQ(Port().OutputString("abcdefgh"), 1);
    EXPECT_EQ(backend.writeCalls, (std::vector<std::string>{"abc", "def", "gh"}));
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{1000, 1000}));
    EXPECT_EQ(Port().GetBytesWritten(), 8u);
    EXPECT_TRUE(reporter.entries.empty());
}

TEST_F(TransferTest, BytesLeftUnsentFailTheOutput) {
    struct Case {
        const char* what;
        size_t acceptLimit;
        bool acceptNothing;
        uint32_t written;
    };
    const Case cases[] = {
        {"ten rounds, five bytes left over", 1, false, 10},
        {"a write that takes nothing", SIZE_MAX, true, 0},
    };
    OpenPort("COM1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reporter.entries.clear();
        backend.acceptLimit = c.acceptLimit;
        backend.acceptNothing = c.acceptNothing;
        EXPECT_EQ(Port().OutputString("0123456789ABCDE"), 0);
        EXPECT_EQ(Port().GetBytesWritten(), c.written);
        EXPECT_EQ(Port().GetErrorFlag(), 1);
        const std::string text = "IOComm::Output() failed, GetLastError() returned: " + std::to_string(ETIMEDOUT);
        EXPECT_EQ(Port().GetLastErrorText(), text);
        EXPECT_EQ(reporter.Messages(), std::vector<std::string>{text});
    }
    EXPECT_EQ(OutputRetryState().failures, 0) << "the line took what it could: no reconnect";
}

TEST_F(TransferTest, AFailedWriteIsReported) {
    OpenPort("COM1");
    backend.failWrite.At(1);
    backend.errorNumber = 32;
    EXPECT_EQ(Port().OutputString("x"), 0);
    EXPECT_EQ(Port().GetErrorFlag(), 1);
    EXPECT_EQ(Port().GetLastErrorText(), "IOComm::Output() failed, GetLastError() returned: 32");
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"IOComm::Output() failed, GetLastError() returned: 32"});
}

TEST_F(TransferTest, SubstitutionAppliesToOutputButNotToLongData) {
    StoreValue("DoExtra", RegValue::Dword(1));
    StoreValue("Pattern1", RegValue::Binary("\x1b"));
    StoreValue("Conversion1", RegValue::Binary("<ESC>"));
    OpenPort("COM1");
    Port().OutputString("a\x1b" "b");
    EXPECT_EQ(backend.writeCalls.back(), "a<ESC>b");
    std::string longData(580, '\x1b');
    Port().Output(longData);
    EXPECT_EQ(backend.writeCalls.back(), longData);
}

TEST_F(TransferTest, ReconnectsFromTheFourthFailedWriteWithGrowingDelays) {
    OpenPort("COM1");
    backend.failWrite.Always();
    for (int i = 0; i < 12; ++i) EXPECT_EQ(Port().OutputString("x"), 0);
    // Failures one to three close nothing; from the fourth each closes, waits and reopens.
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{200, 1200, 2200, 3200, 4200, 5200, 6200, 7200, 8000}));
    EXPECT_EQ(backend.opens.size(), 1u + 9u);
    EXPECT_EQ(OutputRetryState().failures, 12);
}

TEST_F(TransferTest, ASuccessfulRetryAfterAReconnectStartsAfresh) {
    OpenPort("COM1");
    for (int call : {1, 2, 3, 4, 6, 7, 8, 9, 10}) backend.failWrite.At(call);
    for (int i = 0; i < 4; ++i) Port().OutputString("x");  // the fourth reconnects; its retry (call 5) works
    EXPECT_EQ(clock.sleeps, std::vector<int64_t>{200});
    EXPECT_EQ(OutputRetryState().failures, 0);
    EXPECT_EQ(OutputRetryState().delayMs, 200);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Port().OutputString("y"), 0);
    EXPECT_EQ(clock.sleeps.size(), 1u);  // three failures do not reconnect yet
}

TEST_F(TransferTest, ASuccessfulTransferStartsTheFailureCountAfresh) {
    OpenPort("COM1");
    // Three failures, a success, three failures: never four in a row.
    for (int call : {1, 2, 3, 5, 6, 7}) {
        backend.failWrite.At(call);
        backend.failRead.At(call);
    }
    for (int i = 0; i < 7; ++i) EXPECT_EQ(Port().OutputString("x"), i == 3 ? 1 : 0) << i;
    char buffer[4];
    for (int i = 0; i < 7; ++i) {
        if (i == 3) backend.QueueReply("ok");
        EXPECT_EQ(Port().Input(buffer, sizeof buffer), i == 3 ? 2 : 0) << i;
    }
    EXPECT_TRUE(clock.sleeps.empty()) << "reconnected";
    EXPECT_EQ(backend.opens.size(), 1u);
    EXPECT_EQ(OutputRetryState().failures, 3);
    EXPECT_EQ(InputRetryState().failures, 3);
}

TEST_F(TransferTest, TheRetryCountersAreSharedByAllPorts) {
    OpenPort("COM1");
    backend.failWrite.Always();
    for (int i = 0; i < 3; ++i) Port().OutputString("x");
    FakePortBackend otherBackend;
    otherBackend.failWrite.Always();
    IOComm other(store, clock, reporter, otherBackend);
    ASSERT_NE(other.Open("COM2", "", SaveCommSetup::Yes), 0);
    other.OutputString("x");
    EXPECT_EQ(clock.sleeps, std::vector<int64_t>{200});
    EXPECT_EQ(otherBackend.opens.size(), 2u);
}

TEST_F(TransferTest, InputReadsWhatArrivesUnderTheLineTimeouts) {
    OpenPort("COM1");
    backend.QueueReply("~r\x06" "ABCDEFGHIJ");
    char buffer[5] = {};
    EXPECT_EQ(Port().Input(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "~r\x06" "AB");
    EXPECT_EQ(backend.reads.back().size, 5u);
    EXPECT_EQ(backend.reads.back().waitMs, kUseLineTimeouts);
}

TEST_F(TransferTest, AnInputOfNothingKeepsItsTextWithoutReporting) {
    OpenPort("COM1");
    char buffer[4];
    EXPECT_EQ(Port().Input(buffer, sizeof buffer), 0);
    EXPECT_EQ(Port().GetErrorFlag(), 1);
    EXPECT_EQ(Port().GetLastErrorText().rfind("IOComm::Input() failed, GetLastError() returned: ", 0), 0u);
    EXPECT_TRUE(reporter.entries.empty());
    EXPECT_EQ(InputRetryState().failures, 0);  // a time-out is no failed read
}

TEST_F(TransferTest, ADeviceReadWaitsPerBlockAndCollectsTheRest) {
    OpenPort("USB001");
    backend.QueueReply("ab");
    backend.QueueReply("cdefghijklmn");
    char buffer[20] = {};
    EXPECT_EQ(Port().Input(buffer, 16), 14);
    EXPECT_EQ(std::string(buffer, 14), "abcdefghijklmn");
    ASSERT_EQ(backend.reads.size(), 3u);
    // multiplier 40 x min(bytes wanted, 10) + constant 300
    EXPECT_EQ(backend.reads[0].waitMs, 700);
    EXPECT_EQ(backend.reads[1].waitMs, 700);
    EXPECT_EQ(backend.reads[2].waitMs, 380);  // two bytes still wanted
}

TEST_F(TransferTest, InputNeverWritesPastItsBuffer) {
    OpenPort("USB001");
    backend.QueueReply(std::string(3000, 'z'));
    std::vector<char> buffer(2600, '.');
    EXPECT_EQ(Port().Input(buffer.data(), 2500), 2000);  // a device read asks for at most 2000
    EXPECT_EQ(buffer[1999], 'z');
    EXPECT_EQ(buffer[2000], '.');
    Port().Close();
    OpenPort("COM1");
    backend.replies = {std::string(50, 'y')};
    char small[8];
    std::memset(small, '.', sizeof small);
    EXPECT_EQ(Port().Input(small, 6), 6);
    EXPECT_EQ(small[6], '.');
}

TEST_F(TransferTest, FailedReadsReconnectFromTheFourth) {
    OpenPort("USB001");
    backend.failRead.Always();
    char buffer[4];
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Port().Input(buffer, 4), 0);
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{200, 1200}));
    EXPECT_EQ(InputRetryState().failures, 5);
    EXPECT_EQ(OutputRetryState().failures, 0);
}

TEST_F(TransferTest, AnInputMakesTheNextParallelOutputReopen) {
    OpenPort("LPT1");
    char buffer[4];
    backend.QueueReply("ok");
    Port().Input(buffer, 4);
    Port().OutputString("x");
    EXPECT_EQ(backend.opens.size(), 2u);
    Port().OutputString("y");
    EXPECT_EQ(backend.opens.size(), 2u);
    EXPECT_EQ(backend.writesPerOpen.back(), "xy");
}

TEST_F(TransferTest, TestIOWritesOnceAndReportsItsFailure) {
    OpenPort("COM1");
    EXPECT_EQ(Port().TestIO("T", 1), 1);
    backend.failWrite.Always();
    EXPECT_EQ(Port().TestIO("T", 1), 0);
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>{"IOComm::TestIO() failed"});
    EXPECT_EQ(OutputRetryState().failures, 0);
}

TEST_F(TransferTest, TransfersOnAClosedPortDoNothing) {
    char buffer[4];
    EXPECT_EQ(Port().OutputString("x"), 0);
    EXPECT_EQ(Port().Input(buffer, 4), 0);
    EXPECT_EQ(Port().InputPending(), 0);
    EXPECT_EQ(Port().OutputPending(), 0);
    EXPECT_EQ(backend.writeCallCount + backend.readCalls, 0);
}

// ---- pending counts and draining -------------------------------------------------------------

TEST_F(TransferTest, PendingCodesPerKind) {
    OpenPort("COM1");
    backend.QueueReply("abc");
    backend.commStatus.outQueue = 7;
    EXPECT_EQ(Port().InputPending(), 3);
    EXPECT_EQ(Port().OutputPending(), 7);
    Port().Close();

    OpenPort("LPT1");
    EXPECT_EQ(Port().InputPending(), -1);
    EXPECT_EQ(Port().OutputPending(), -1);
    Port().SetOsVersion({false, 4});
    EXPECT_EQ(Port().OutputPending(), 7);  // the older family knows the parallel queue
    Port().Close();

    OpenPort("USB001");
    EXPECT_EQ(Port().InputPending(), 0);
    backend.deviceStatusBytes = 1;
    EXPECT_EQ(Port().InputPending(), -2);
    EXPECT_EQ(Port().OutputPending(), -2);
    backend.deviceStatusBytes = 2;
    Port().Close();

    OpenPort("10.1.2.3:9100");
    backend.QueueReply(std::string(1500, 'n'));
    EXPECT_EQ(Port().InputPending(), 999);
    EXPECT_EQ(Port().OutputPending(), -2);
}

TEST_F(TransferTest, AFailedStatusQueryAnswers200OrZero) {
    OpenPort("COM1");
    backend.failStatus.Always();
    EXPECT_EQ(Port().InputPending(), 200);
    EXPECT_EQ(Port().OutputPending(), 200);
    EXPECT_EQ(reporter.Messages(), std::vector<std::string>(2, "IOComm::InputPending(): ClearCommError() failed"));
    Port().Settings().DebugMode = 2;
    EXPECT_EQ(Port().InputPending(), 0);
}

TEST_F(TransferTest, WaitOutputRoundsPerKind) {
    OpenPort("COM1");
    backend.commStatus.outQueue = 5;
    EXPECT_EQ(Port().WaitOutput(2000), 5);
    EXPECT_EQ(clock.sleeps, std::vector<int64_t>(4, 10));  // 2000 / 500 rounds of 10 ms
    clock.sleeps.clear();
    backend.commStatus.outQueue = 0;
    EXPECT_EQ(Port().WaitOutput(2000), 0);
    EXPECT_TRUE(clock.sleeps.empty());
    Port().Close();

    OpenPort("USB001");
    backend.deviceStatusBytes = 1;  // never ready: every round waits
    EXPECT_EQ(Port().WaitOutput(2000), -2);
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{20, 10, 10, 10, 10}));
    backend.deviceStatusBytes = 2;
    Port().Close();
    clock.sleeps.clear();

    OpenPort("LPT1");
    EXPECT_EQ(Port().WaitOutput(20000), -1);  // 20000 / 25000: no rounds on the NT family
    EXPECT_TRUE(clock.sleeps.empty());
    // Network ports: IOCommNetworkTest.cpp.
}

// ---- readiness -------------------------------------------------------------------------------

TEST_F(TransferTest, DeviceReadinessFromTheStatusRequest) {
    OpenPort("USB001");
    for (auto [bytes, ready] : {std::pair{2, 1}, std::pair{1, 0}, std::pair{4, 1}, std::pair{3, 0}}) {
        backend.deviceStatusBytes = bytes;
        EXPECT_EQ(Port().IsReady(), ready) << bytes;
        EXPECT_TRUE(Port().IsOpen());
    }
    backend.deviceStatusBytes = 0;  // the device answered nothing: it is gone
    EXPECT_EQ(Port().IsReady(), 0);
    EXPECT_FALSE(Port().IsOpen());
}

TEST_F(TransferTest, AGoneDeviceIsClosedWithoutItsEndString) {
    StoreValue("DoExtra", RegValue::Dword(1));
    StoreValue("End", RegValue::Binary("END"));
    OpenPort("USB001");
    backend.Disconnect();
    EXPECT_EQ(Port().OutputString("x"), 0);
    EXPECT_FALSE(Port().IsOpen());
    EXPECT_EQ(backend.allWritten, "");
}

TEST_F(TransferTest, SerialReadinessPerHandshake) {
    OpenPort("COM1");
    EXPECT_EQ(Port().IsReady(), 1);

    Port().SetHandshake(kHandshakeXonXoff);
    backend.commStatus.heldByXoff = true;
    EXPECT_EQ(Port().IsReady(), 0);
    backend.commStatus.heldByXoff = false;
    EXPECT_EQ(Port().IsReady(), 1);

    Port().SetHandshake(kHandshakeHardware);
    backend.modemStatus = 0x10;  // CTS without DSR
    EXPECT_EQ(Port().IsReady(), 0);
    EXPECT_EQ(Port().OutputString("x"), 0);
    backend.modemStatus = 0x30;
    EXPECT_EQ(Port().IsReady(), 1);
}

TEST_F(TransferTest, FailedModemStatusReconnectsFromTheFourth) {
    OpenPort("COM1");
    Port().SetHandshake(kHandshakeHardware);
    backend.failStatus.At(1);
    backend.failStatus.At(2);
    backend.failStatus.At(3);
    backend.failStatus.At(4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Port().IsReady(), 0);
    EXPECT_EQ(Port().IsReady(), 1);  // the fourth reconnects and reads the lines again
    EXPECT_EQ(clock.sleeps, std::vector<int64_t>{200});
    EXPECT_EQ(StatusRetryState().failures, 0);
}

TEST_F(TransferTest, ParallelReadinessFromTheStatusByte) {
    OpenPort("LPT1");
    struct Case {
        int major;
        uint8_t status;
        int ready;
    };
    const Case cases[] = {
        {6, 0x80, 1},  // selected, not busy
        {6, 0x90, 0},  // power off
        {6, 0x00, 0},  // not selected
        {6, 0x84, 0},  // paper empty
        {6, 0x88, 0},  // off line
        {6, 0xA0, 0},  // not connected
        {5, 0x00, 1},  // the three values version 5 reports for a ready printer
        {5, 0x04, 1},
        {5, 0x44, 1},
        {5, 0x84, 0},
    };
    for (const Case& c : cases) {
        Port().SetOsVersion({true, c.major});
        backend.parallelStatus = c.status;
        EXPECT_EQ(Port().IsReady(), c.ready) << std::hex << int{c.status} << " v" << c.major;
    }
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(TransferTest, ABusyParallelPrinterIsAskedAgainEvery30Ms) {
    OpenPort("LPT1");
    backend.parallelStatusSequence = {0xC0, 0xC0, 0x80};
    EXPECT_EQ(Port().IsReady(), 1);
    EXPECT_EQ(clock.sleeps, (std::vector<int64_t>{30, 30}));
    clock.sleeps.clear();
    backend.parallelStatus = 0xC0;
    EXPECT_EQ(Port().IsReady(), 0);
    EXPECT_EQ(clock.sleeps, std::vector<int64_t>(10, 30));
    backend.parallelStatus = std::nullopt;  // a failed query counts as ready
    EXPECT_EQ(Port().IsReady(), 1);
}

TEST_F(TransferTest, OlderFamilyParallelReadinessFromTheErrorBits) {
    OpenPort("LPT1");
    Port().SetOsVersion({false, 4});
    EXPECT_EQ(Port().IsReady(), 1);
    backend.commStatus.errors = kCommErrorOutOfPaper;
    EXPECT_EQ(Port().IsReady(), 0);
    backend.commStatus.errors = kCommErrorNotSelected;
    EXPECT_EQ(Port().IsReady(), 0);
    backend.failStatus.Always();
    EXPECT_EQ(Port().IsReady(), 1);
}

TEST_F(TransferTest, NetworkReadinessIsAnOpenSocket) {
    OpenPort("10.1.2.3:9100");
    EXPECT_EQ(Port().IsReady(), 1);
    Port().Close();
    EXPECT_EQ(Port().IsReady(), 0);
}

TEST_F(TransferTest, AResponderPlaysThePrinter) {
    OpenPort("COM1");
    backend.responder = [](FakePortBackend& fake, const std::string& written) {
        if (written == "\x1b~r\x06") fake.QueueReply("~r\x06" "FW1.0");
    };
    Port().OutputString("\x1b~r\x06");
    char buffer[12] = {};
    EXPECT_EQ(Port().Input(buffer, sizeof buffer), 8);
    EXPECT_EQ(std::string(buffer, 8), "~r\x06" "FW1.0");
}

}  // namespace
}  // namespace varnel::test
