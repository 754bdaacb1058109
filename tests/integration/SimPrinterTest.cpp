// The printer simulator driven with raw bytes over loopback TCP and a pseudo-terminal.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/HexBytes.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

using namespace std::string_literals;
using namespace std::chrono_literals;

// Runs the simulator to its end (for --help and bad arguments) and returns its exit code.
int RunToEnd(std::vector<std::string> arguments) {
    std::string command = SimulatorExe();
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads what arrives until the line has been quiet for quiet, or want bytes came.
std::string ReadReply(int fd, std::size_t want = 4096, std::chrono::milliseconds quiet = 400ms) {
    std::string reply;
    while (reply.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(quiet.count())) <= 0) break;
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        reply.append(buffer, static_cast<std::size_t>(got));
    }
    return reply;
}

void WriteAll(int fd, const std::string& bytes) {
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// The host's end of a line to the simulator: bytes go out, the reply comes back.
class HostLine {
public:
    ~HostLine() { close(fd_); }
    HostLine(const HostLine&) = delete;
    HostLine& operator=(const HostLine&) = delete;

    std::string Exchange(const std::string& bytes, std::size_t want = 4096) {
        WriteAll(fd_, bytes);
        return ReadReply(fd_, want);
    }
    void Send(const std::string& bytes) { WriteAll(fd_, bytes); }
    int Fd() const { return fd_; }

protected:
    explicit HostLine(int fd) : fd_(fd) {}

private:
    int fd_;
};

class TcpClient : public HostLine {
public:
    explicit TcpClient(const std::string& port) : HostLine(Connect(port)) {}

private:
    static int Connect(const std::string& port) {
        const std::size_t colon = port.rfind(':');
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(port.substr(colon + 1))));
        inet_pton(AF_INET, port.substr(0, colon).c_str(), &address.sin_addr);
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            throw std::runtime_error("connect");
        }
        return fd;
    }
};

// A host's serial port on the simulator's pseudo-terminal, raw, at a given rate.
class PtyClient : public HostLine {
public:
    PtyClient(const std::string& path, speed_t rate) : HostLine(OpenRaw(path, rate)) {}

private:
    static int OpenRaw(const std::string& path, speed_t rate) {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        if (fd < 0) throw std::runtime_error("open " + path);
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        cfsetspeed(&settings, rate);
        tcsetattr(fd, TCSANOW, &settings);
        tcflush(fd, TCIOFLUSH);
        return fd;
    }
};

const std::string kPreamble = "\x1By\x02\x1By\x08\x1B~~\x01"s;
const std::string kProbe = "\x1B~r\x06"s;

template <typename Condition>
bool WaitFor(Condition condition) {
    for (int i = 0; i < 100 && !condition(); ++i) std::this_thread::sleep_for(50ms);
    return condition();
}

TEST(SimPrinterTest, TcpAnswersEveryConfigurationCommand) {
    SimulatorProcess sim(SimulatorLine::Tcp, {"--firmware", "DEMO-1.00"});
    ASSERT_FALSE(sim.Port().empty());
    {
        TcpClient client(sim.Port());
        EXPECT_EQ(client.Exchange(kPreamble, 1), "");
    }
    TcpClient client(sim.Port());
    EXPECT_EQ(Hex(client.Exchange("\x1B~r\x05"s, 16)), Hex("~r\x05REV:DEMO-1.00\0"s));
    EXPECT_EQ(Hex(client.Exchange(kProbe, 6)), "7E 72 06 4F 4B 00");
    client.Send("\x1B~b\x01\x0C\x18\x18"s);
    EXPECT_EQ(Hex(client.Exchange("\x1B~g\x01\x0C\x01"s, 4)), "7E 67 01 18");
    client.Send("\x1B~w\x0D" "GT-SERIAL-0001\0"s);
    EXPECT_EQ(client.Exchange("\x1B~r\x0D"s, 18), "~r\x0D" "GT-SERIAL-0001\0"s);
    EXPECT_EQ(client.Exchange("\x1B~~\xFF"s, 1), "");
}

TEST(SimPrinterTest, StateFileFeedsByteReadsAndKeepsWritesAcrossARestart) {
    ScratchDir dir;
    const std::string state = dir.File("s.json");
    WriteFileBytes(state, R"({"format": "varnel-printer-sim state", "version": 1, "firmware": "DEMO-1.00",
                              "tables": {"1": {"12": 216}}})");
    {
        SimulatorProcess sim(SimulatorLine::Tcp, {"--state", state});
        TcpClient client(sim.Port());
        EXPECT_EQ(Hex(client.Exchange("\x1B~g\x01\x0C\x01"s, 4)), "7E 67 01 D8");
        client.Send("\x1B~b\x01\x0C\x18\x00"s);  // clear bits 3 and 4 only
        EXPECT_EQ(Hex(client.Exchange("\x1B~g\x01\x0C\x01"s, 4)), "7E 67 01 C0");
        EXPECT_EQ(sim.Stop().code, 0);
    }
    SimulatorProcess again(SimulatorLine::Tcp, {"--state", state});
    TcpClient client(again.Port());
    EXPECT_EQ(Hex(client.Exchange("\x1B~g\x01\x0C\x01"s, 4)), "7E 67 01 C0");
    EXPECT_EQ(client.Exchange("\x1B~r\x05"s, 16), "~r\x05REV:DEMO-1.00\0"s);
}

TEST(SimPrinterTest, FilesSurviveFromOneConnectionToTheNext) {
    SimulatorProcess sim(SimulatorLine::Tcp);
    const std::string body(250, 'z');
    {
        TcpClient upload(sim.Port());
        upload.Send("\x1B" "fOw logo.bmp"s + '\0');
        upload.Send("\x1B" "fW\xFA\x00"s + body);
        upload.Send("\x1B" "fC"s);
    }
    TcpClient client(sim.Port());
    EXPECT_EQ(client.Exchange("\x1B" "fI"s, 14), "logo.bmp\t250\0\0"s);
    client.Send("\x1B" "fOr logo.bmp"s + '\0');
    std::string back;
    for (int i = 0; i < 3; ++i) back += client.Exchange("\x1B" "fR\x64\x00"s, 100);
    EXPECT_EQ(back, body);
    EXPECT_EQ(client.Exchange("\x1B" "fR\x64\x00"s), "");
    client.Send("\x1B" "fC\x1B" "fE"s);
    EXPECT_EQ(Hex(client.Exchange("\x1B" "fI"s, 1)), "00");
}

TEST(SimPrinterTest, BootLoaderTakesABootFileAndWritesIt) {
    ScratchDir dir;
    const std::string image = dir.File("received.bot");
    SimulatorProcess sim(SimulatorLine::Tcp, {"--boot", "--boot-image", image, "--firmware", "PB15-1.00",
                    "--flashed-firmware", "PB15-1.01", "--boot-loader", "PB15-BL2"});
    const std::string bootFile = ":020000040000FA\r\n\x02:00000001FF\r\n"s;
    {
        TcpClient client(sim.Port());
        EXPECT_EQ(client.Exchange("\x00\x02" "B"s, 9), "PB15-BL2\r");
        EXPECT_EQ(client.Exchange("\x02" "E"s, 11), "SIM-29F040\r");
        EXPECT_EQ(client.Exchange("\x02" "K"s, 10), "PB15-1.00\r");
        client.Send(bootFile);
    }
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(image); }));
    EXPECT_EQ(ReadFileBytes(image), bootFile);
    TcpClient client(sim.Port());
    EXPECT_EQ(client.Exchange("\x1B~r\x05"s, 14), "~r\x05REV:PB15-1.01\0"s);
}

TEST(SimPrinterTest, PtyAnswersOnlyAtItsBaudRateAndSurvivesReopening) {
    SimulatorProcess sim(SimulatorLine::Pty, {"--baud", "38400"});
    ASSERT_EQ(sim.Port().rfind("/dev/pts/", 0), 0u) << sim.Port();
    for (int round = 0; round < 2; ++round) {
        {
            PtyClient at9600(sim.Port(), B9600);
            EXPECT_EQ(at9600.Exchange(kPreamble + kProbe), "");
        }
        {
            PtyClient at19200(sim.Port(), B19200);
            EXPECT_EQ(at19200.Exchange(kProbe), "");
        }
        PtyClient at38400(sim.Port(), B38400);
        EXPECT_EQ(Hex(at38400.Exchange(kPreamble + kProbe, 6)), "7E 72 06 4F 4B 00");
    }
}

TEST(SimPrinterTest, PtyBootBaudSwitchMovesTheLine) {
    SimulatorProcess sim(SimulatorLine::Pty, {"--baud", "19200", "--boot", "--firmware", "PB15-1.00"});
    {
        PtyClient line(sim.Port(), B19200);
        EXPECT_EQ(line.Exchange("\x00\x02" "B"s, 10), "VSBL-1.05\r");
        line.Exchange("\x02Hs"s);
    }
    {
        PtyClient old(sim.Port(), B19200);
        EXPECT_EQ(old.Exchange("\x02K"s), "");
    }
    PtyClient fast(sim.Port(), B115200);
    EXPECT_EQ(fast.Exchange("\x02K"s, 10), "PB15-1.00\r");
}

TEST(SimPrinterTest, ProbeGarbageAnswersEveryRateWithoutTheProbeReply) {
    SimulatorProcess sim(SimulatorLine::Pty, {"--baud", "38400", "--fault-probe-garbage"});
    for (speed_t rate : {B9600, B38400, B300}) {
        PtyClient line(sim.Port(), rate);
        const std::string reply = line.Exchange(kPreamble + kProbe);
        EXPECT_FALSE(reply.empty());
        EXPECT_NE(reply.rfind("~r\x06"s, 0), 0u);
    }
}

TEST(SimPrinterTest, DropAfterClosesTheConnectionOnceThenServesAgain) {
    SimulatorProcess sim(SimulatorLine::Tcp, {"--fault-drop-after", "12"});
    {
        TcpClient client(sim.Port());
        // The preamble (10 bytes) and 2 bytes of the query get in; then the line drops.
        client.Send(kPreamble + "\x1B~r\x05"s);
        char byte = 0;
        pollfd p{client.Fd(), POLLIN, 0};
        ASSERT_EQ(poll(&p, 1, 5000), 1);
        EXPECT_EQ(read(client.Fd(), &byte, 1), 0);  // closed by the printer, nothing sent
    }
    TcpClient client(sim.Port());
    EXPECT_EQ(client.Exchange("\x1B~r\x05"s, 15), "~r\x05REV:SIM-1.00\0"s);
}

TEST(SimPrinterTest, FaultSwitchesFromTheCommandLine) {
    SimulatorProcess sim(SimulatorLine::Tcp, {"--fault-stray-byte", "--fault-wrong-head", "1", "--fault-silent",
                    "table-read:1", "--fault-stale-identity", "--text", "4=OLD-SERIAL1"});
    TcpClient client(sim.Port());
    EXPECT_EQ(Hex(client.Exchange("\x1B~g\x00\x00\x01"s, 5)), "11 7E 3F 00 00");  // stray byte, wrong head
    EXPECT_EQ(Hex(client.Exchange("\x1B~g\x00\x00\x01"s, 5)), "11 7E 67 00 00");
    client.Send("\x1B~w\x04NEW-SERIAL1\0"s);
    EXPECT_EQ(client.Exchange("\x1B~r\x04"s), "");  // the first table read is silent
    EXPECT_EQ(client.Exchange("\x1B~r\x04"s, 17), "\x11~r\x04OLD-SERIAL1\0"s);
}

TEST(SimPrinterTest, TraceRecordsBothDirections) {
    ScratchDir dir;
    const std::string trace = dir.File("trace.txt");
    {
        SimulatorProcess sim(SimulatorLine::Tcp, {"--trace", trace});
        TcpClient client(sim.Port());
        client.Exchange(kProbe, 6);
    }
    const std::string text = ReadFileBytes(trace);
    EXPECT_NE(text.find(" RX 1B 7E 72 06 "), std::string::npos) << text;
    EXPECT_NE(text.find(" TX 7E 72 06 4F 4B 00 "), std::string::npos) << text;
    EXPECT_NE(text.find(" -- connection from 127.0.0.1:"), std::string::npos) << text;
}

TEST(SimPrinterTest, HelpAndBadArguments) {
    EXPECT_EQ(RunToEnd({"--help"}), 0);
    EXPECT_EQ(RunToEnd({"-h"}), 0);
    EXPECT_EQ(RunToEnd({"--version"}), 0);
    EXPECT_EQ(RunToEnd({"--tcp", "127.0.0.1:0", "--", "--help"}), 2);
    EXPECT_EQ(RunToEnd({"--tcp", "nowhere"}), 2);
    EXPECT_EQ(RunToEnd({"--pty", "--fault-silent", "everything"}), 2);
    EXPECT_EQ(RunToEnd({"--pty", "--map", "/nonexistent/demo.map"}), 2);
}

TEST(SimPrinterTest, CorruptStateFileIsRefusedAndKept) {
    ScratchDir dir;
    const std::string state = dir.File("s.json");
    WriteFileBytes(state, "{ not json");
    EXPECT_EQ(RunToEnd({"--tcp", "127.0.0.1:0", "--state", state}), 2);
    EXPECT_EQ(ReadFileBytes(state), "{ not json");
}

}  // namespace
}  // namespace varnel::test
