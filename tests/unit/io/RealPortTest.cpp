// IOComm on real descriptors: pseudo-terminals for serial lines and printer nodes, loopback TCP.
// Waits are real but short (well under a second each).
#include <arpa/inet.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/Clock.h"
#include "io/DescriptorBackend.h"
#include "io/FileSettingsStore.h"
#include "io/IOComm.h"
#include "io/Reconnect.h"
#include "io/TcpBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel::test {
namespace {

// The master side of a pseudo-terminal; the program under test opens the slave.
class Pty {
public:
    Pty() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (!master_.Valid() || ::grantpt(master_.Get()) != 0 || ::unlockpt(master_.Get()) != 0) return;
        char name[64] = {};
        if (::ptsname_r(master_.Get(), name, sizeof name) == 0) slave_ = name;
    }
    bool Ok() const { return !slave_.empty(); }
    const std::string& SlavePath() const { return slave_; }

    void Send(const std::string& bytes) { ASSERT_EQ(::write(master_.Get(), bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads what the slave side wrote, waiting up to waitMs for the first byte.
    std::string Receive(int waitMs = 500) {
        std::string out;
        char buffer[256];
        while (PollFor(master_.Get(), POLLIN, out.empty() ? waitMs : 50) > 0) {
            ssize_t n = ::read(master_.Get(), buffer, sizeof buffer);
            if (n <= 0) break;
            out.append(buffer, static_cast<size_t>(n));
        }
        return out;
    }
    // The line settings as the slave has them (a termios request on the master reaches the slave).
    termios2 LineSettings() const {
        termios2 tio{};
        ::ioctl(master_.Get(), TCGETS2, &tio);
        return tio;
    }

private:
    UniqueFd master_;
    std::string slave_;
};

int64_t ElapsedMs(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count();
}

class RealPortTest : public ::testing::Test {
protected:
    RealPortTest() { ResetRetryStates(); }
    MemorySettingsStore store;
    SystemClock clock;
    RecordingReporter reporter;
    Pty pty;
};

TEST_F(RealPortTest, PortSetupPutsTheConfigurationStringOnTheLine) {
    ASSERT_TRUE(pty.Ok());
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(pty.SlavePath(), "baud=38400 parity=N data=8 stop=2", SaveCommSetup::Yes), 0);
    EXPECT_EQ(port.GetPortType(), PortKind::Serial);
    termios2 tio = pty.LineSettings();
    EXPECT_EQ(tio.c_cflag & CBAUD, tcflag_t{B38400});
    EXPECT_EQ(tio.c_ospeed, 38400u);
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t{CS8});
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_lflag & ICANON);
    ASSERT_TRUE(store.GetValue(kPortSettingsKey, "Comm data"));

    ASSERT_EQ(port.Output(std::string("\x1b~r\x06\n\x00\xff", 7)), 1);
    EXPECT_EQ(pty.Receive(), std::string("\x1b~r\x06\n\x00\xff", 7));
    port.Close();
}

TEST_F(RealPortTest, TheStoredRecordSetsParityDataBitsAndAnyRate) {
    ASSERT_TRUE(pty.Ok());
    CommConfig config;
    config.dcb.BaudRate = 250000;
    config.dcb.ByteSize = 7;
    config.dcb.Parity = dcb::kMarkParity;
    config.dcb.StopBits = dcb::kOneStopBit;
    store.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(config.ToBytes()));
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(pty.SlavePath(), "", SaveCommSetup::Yes), 0);
    termios2 tio = pty.LineSettings();
    EXPECT_EQ(tio.c_ospeed, 250000u);
    EXPECT_EQ(tio.c_cflag & CBAUD, tcflag_t{BOTHER});
    // The pty driver forces eight data bits and clears PARENB whatever it is asked (the
    // translation itself is checked bit for bit elsewhere); the parity kind bits stay.
    EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR), tcflag_t{PARODD | CMSPAR});
    EXPECT_FALSE(tio.c_cflag & CSTOPB);

    ASSERT_EQ(port.SetBaud(19200), 1);
    EXPECT_EQ(pty.LineSettings().c_ospeed, 19200u);
    EXPECT_EQ(port.IsReady(), 1);
    port.SetHandshake(kHandshakeHardware);
    EXPECT_EQ(port.IsReady(), 1);  // a pseudo-terminal has no modem lines: DSR counts as on
    EXPECT_TRUE(pty.LineSettings().c_cflag & CRTSCTS);
}

TEST_F(RealPortTest, AReadEndsAfterTheIntervalWithWhatArrived) {
    ASSERT_TRUE(pty.Ok());
    store.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(std::string(52, '\0')));
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(pty.SlavePath(), "9600,n,8,1", SaveCommSetup::Yes), 0);
    port.SetTimeouts(600, 100);  // interval 100 ms; total 100 ms x 10 + 600 ms
    pty.Send("abc");
    char buffer[10];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 3);
    EXPECT_LT(ElapsedMs(start), 900);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(port.InputPending(), 0);
    pty.Send("xy");
    usleep(50'000);
    EXPECT_EQ(port.InputPending(), 2);
}

TEST_F(RealPortTest, AReadOfNothingEndsAfterTheTotalTimeout) {
    ASSERT_TRUE(pty.Ok());
    store.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(std::string(52, '\0')));
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(pty.SlavePath(), "", SaveCommSetup::Yes), 0);
    port.SetTimeouts(300, 0);
    char buffer[10];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 0);
    int64_t elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, 280);
    EXPECT_LT(elapsed, 900);
}

TEST_F(RealPortTest, APrinterNodeBehindAPathThatIsNoTtyName) {
    ASSERT_TRUE(pty.Ok());
    ScratchDir dir;
    std::string link = dir.File("printer");
    ASSERT_EQ(::symlink(pty.SlavePath().c_str(), link.c_str()), 0);
    // Keep the line raw, so bytes pass unchanged both ways.
    {
        UniqueFd slave(::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY));
        termios2 tio{};
        ::ioctl(slave.Get(), TCGETS2, &tio);
        DcbToTermios(Dcb{9600, 9600, 0, 0, 0, 0, 8}, tio);
        ::ioctl(slave.Get(), TCSETS2, &tio);
    }
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(link, "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(port.GetPortType(), PortKind::Device);
    EXPECT_EQ(port.IsReady(), 1);
    EXPECT_EQ(port.InputPending(), 0);
    ASSERT_EQ(port.OutputString("\x1b~~\x01"), 1);
    EXPECT_EQ(pty.Receive(), "\x1b~~\x01");

    port.SetTimeouts(100, 0);
    pty.Send("~r\x06" "OK");
    char buffer[32];
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "~r\x06" "OK");
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 0);  // nothing more: one wait, then a failed read
}

// A listening socket on a free loopback port.
class Listener {
public:
    Listener() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), length);
        ::listen(socket_.Get(), 4);
        ::getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    std::string Name() const { return "127.0.0.1:" + std::to_string(port_); }
    UniqueFd Accept() { return UniqueFd(::accept(socket_.Get(), nullptr, nullptr)); }
    void Stop() { socket_.Reset(); }

private:
    UniqueFd socket_;
    uint16_t port_ = 0;
};

std::string ReceiveFrom(int fd) {
    char buffer[256];
    if (PollFor(fd, POLLIN, 500) <= 0) return "";
    ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : "";
}

TEST_F(RealPortTest, TcpExchangeAndAPeerThatClosesMidRead) {
    Listener listener;
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(listener.Name(), "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(port.GetPortType(), PortKind::Network);
    UniqueFd peer = listener.Accept();
    ASSERT_TRUE(peer.Valid());
    auto list = store.GetValue(kPortSettingsKey, "TCP");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->data.substr(0, listener.Name().size() + 1), " " + listener.Name());

    ASSERT_EQ(port.OutputString("\x1b~r\x06"), 1);
    EXPECT_EQ(ReceiveFrom(peer.Get()), "\x1b~r\x06");

    ::send(peer.Get(), "~r\x06" "FW", 5, 0);
    usleep(50'000);
    EXPECT_EQ(port.InputPending(), 5);
    char buffer[16];
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "~r\x06" "FW");

    ::send(peer.Get(), "par", 3, 0);
    peer.Reset();
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 3);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.Input(buffer, sizeof buffer), 0);  // the peer is gone: no waiting out the time-out
    EXPECT_LT(ElapsedMs(start), 90);
    EXPECT_EQ(port.GetErrorFlag(), 1);
    EXPECT_EQ(port.Close(), 1);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(RealPortTest, ARefusedConnectionFailsTheOpenAndSaysWhereAndWhy) {
    std::string name;
    {
        Listener closed;
        name = closed.Name();
    }
    IOComm port(store, clock, reporter);
    EXPECT_EQ(port.Open(name, "", SaveCommSetup::Yes), 0);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GetErrorFlag(), 1);
    EXPECT_EQ(reporter.Messages(),
              std::vector<std::string>{"IOComm::Open() failed, GetLastError() returned: 111 (" + name +
                                       ": connection refused; nothing listens on that port; check the port number "
                                       "and that the printer is switched on)"});
    EXPECT_FALSE(store.GetValue(kPortSettingsKey, "TCP"));
}

TEST_F(RealPortTest, ASerialLineAnotherProgramHoldsIsBusy) {
    ASSERT_TRUE(pty.Ok());
    // A terminal program that locks the line, as picocom and tio do.
    UniqueFd holder(::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);
    IOComm port(store, clock, reporter);
    EXPECT_EQ(port.Open(pty.SlavePath(), "", SaveCommSetup::Yes), 0);
    EXPECT_FALSE(port.IsOpen());
    // The first open also reads the line's settings for the port setup, which says it once more.
    ASSERT_FALSE(reporter.Messages().empty());
    for (const std::string& message : reporter.Messages())
        EXPECT_EQ(message, "IOComm::Open() failed, GetLastError() returned: 16 (" + pty.SlavePath() +
                               ": device busy; another program has the port open; close it)");

    // Let go, the line opens; and while this program has it, the next one is turned away.
    holder.Reset();
    ASSERT_NE(port.Open(pty.SlavePath(), "", SaveCommSetup::Yes), 0);
    RecordingReporter otherReporter;
    IOComm other(store, clock, otherReporter);
    EXPECT_EQ(other.Open(pty.SlavePath(), "", SaveCommSetup::Yes), 0);
    ASSERT_FALSE(otherReporter.Messages().empty());
    EXPECT_NE(otherReporter.Messages().back().find(": device busy;"), std::string::npos) << otherReporter.Messages().back();
}

TEST_F(RealPortTest, AClosedLineIsLeftOpenToOthers) {
    ASSERT_TRUE(pty.Ok());
    // Another process keeps the line open (the printer simulator does) without locking it.
    UniqueFd other(::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_TRUE(other.Valid());
    IOComm port(store, clock, reporter);
    ASSERT_NE(port.Open(pty.SlavePath(), "9600,n,8,1", SaveCommSetup::Yes), 0);
    int exclusive = 0;
    ASSERT_EQ(::ioctl(other.Get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0) << "while open, the line is this program's alone";
    port.Close();
    // Still set, it would turn away every later open but root's, this program's next one too.
    ASSERT_EQ(::ioctl(other.Get(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST_F(RealPortTest, AConnectToAnAddressThatDoesNotAnswerIsBounded) {
    TcpBackend tcp;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(tcp.Connect("192.0.2.1", 9100, 300));  // a documentation address nobody answers
    EXPECT_LT(ElapsedMs(start), 1500);
    EXPECT_FALSE(tcp.IsOpen());
}

TEST_F(RealPortTest, AHostTheResolverCannotNameIsNoSuchHost) {
    TcpBackend tcp;
    EXPECT_FALSE(tcp.Connect("", 9100, 300));  // nothing to look up: no resolver traffic
    EXPECT_EQ(tcp.LastError(), ENOENT);
}

TEST(PollWait, AWaitLongerThanOnePollGoesOnToItsEnd) {
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    UniqueFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    // The byte comes after several polls of 2 ms but well within the wait.
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        ASSERT_EQ(::write(writeEnd.Get(), "x", 1), 1);
    });
    EXPECT_EQ(PollFor(readEnd.Get(), POLLIN, 10'000, 2), 1);
    writer.join();
}

TEST(SettingsFile, ATimeOutFactorOf7d0GivesEveryTimeout2000Ms) {
    ScratchDir dir;
    WriteFileBytes(dir.File("registry.reg"),
                   "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\r\n"
                   "\"IOTimeOutFactor\"=dword:000007d0\r\n");
    FileSettingsStore store(dir.File("registry.reg"));
    SystemClock clock;
    RecordingReporter reporter;
    IOComm port(store, clock, reporter);
    port.LoadSettings();
    EXPECT_EQ(port.Settings().Timeouts, (CommTimeouts{2000, 2000, 2000, 2000, 2000}));
}

}  // namespace
}  // namespace varnel::test
