#include "SimOptions.h"

#include <gtest/gtest.h>

#include "LinePacer.h"

namespace varnel::sim {
namespace {

ParsedOptions Parse(std::vector<std::string> arguments) { return ParseOptions(arguments); }

TEST(SimOptionsTest, FullCommandLine) {
    const ParsedOptions parsed =
        Parse({"--pty", "--baud=38400", "--line-rate", "--firmware", "DEMO-1.00", "--map", "d.map", "--cfg", "d.cfg",
               "--state", "s.json", "--text", "13=SN-1=2", "--fault-stray-byte=0x06", "--fault-wrong-head", "3",
               "--fault-silent", "byte-read:2,firmware", "--fault-drop-after", "100", "--fault-slow", "250",
               "--fault-busy", "1000", "--fault-stale-identity", "--fault-probe-garbage", "--split-replies", "40"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const SimOptions& o = *parsed.options;
    EXPECT_TRUE(o.usePty);
    EXPECT_EQ(o.baud, 38400u);
    EXPECT_TRUE(o.lineRate);
    EXPECT_EQ(o.firmware, "DEMO-1.00");
    EXPECT_EQ(o.mapPath, "d.map");
    ASSERT_EQ(o.texts.size(), 1u);
    EXPECT_EQ(o.texts[0].table, 13);
    EXPECT_EQ(o.texts[0].text, "SN-1=2");
    EXPECT_EQ(o.faults.strayByte, 0x06);
    EXPECT_EQ(o.faults.wrongHeads, 3);
    EXPECT_EQ(o.faults.silent.at(ReplyKind::ByteRead), 2);
    EXPECT_EQ(o.faults.silent.at(ReplyKind::Firmware), FaultPlan::kAlways);
    EXPECT_EQ(o.faults.dropAfterBytes, 100);
    EXPECT_EQ(o.faults.slowReply, Millis(250));
    EXPECT_EQ(o.faults.busyPeriod, Millis(1000));
    EXPECT_EQ(o.faults.splitGap, Millis(40));
    EXPECT_TRUE(o.faults.staleIdentity);
    EXPECT_TRUE(o.faults.probeGarbage);
}

TEST(SimOptionsTest, TcpAddressAndDefaults) {
    const ParsedOptions parsed = Parse({"--tcp", "127.0.0.1:0"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->tcpHost, "127.0.0.1");
    EXPECT_EQ(parsed.options->tcpPort, 0);
    EXPECT_FALSE(parsed.options->faults.strayByte);
    EXPECT_TRUE(Parse({"--help"}).options);
}

TEST(SimOptionsTest, ConventionalHelpVersionAndEndOfOptions) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{{"-h"}, {"--help"}, {"--pty", "-h"}}) {
        const ParsedOptions parsed = Parse(arguments);
        ASSERT_TRUE(parsed.options) << testing::PrintToString(arguments);
        EXPECT_TRUE(parsed.options->help);
    }
    ASSERT_TRUE(Parse({"--version"}).options);
    EXPECT_TRUE(Parse({"--version"}).options->version);
    const ParsedOptions ended = Parse({"--pty", "--"});
    ASSERT_TRUE(ended.options) << ended.error;
    EXPECT_TRUE(ended.options->usePty);
    // After "--" nothing is an option, and the simulator takes no other arguments.
    const ParsedOptions after = Parse({"--pty", "--", "--help"});
    EXPECT_FALSE(after.options);
    EXPECT_NE(after.error.find("\"--help\""), std::string::npos) << after.error;
}

TEST(SimOptionsTest, BadCommandLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},                                         // no transport
        {"--pty", "--tcp", "127.0.0.1:1"},          // two transports
        {"--tcp", "127.0.0.1"},                     // no port
        {"--tcp", "127.0.0.1:70000"},
        {"--pty", "--baud", "fast"},
        {"--pty", "--baud"},                        // missing value
        {"--pty", "--bogus"},
        {"--pty", "--pty=1"},                       // a switch with a value
        {"--pty", "--fault-silent", "nothing"},
        {"--pty", "--fault-silent", "probe:x"},
        {"--pty", "--fault-wrong-head", "0"},
        {"--pty", "--split-replies", "0"},
        {"--pty", "--fault-stray-byte=XYZ"},
        {"--pty", "--text", "300=x"},
        {"--pty", "--firmware", "ABCDEFGHIJKLMNOPQRSTUVW"},  // longer than a host reads
        {"--pty", "--cfg", "d.cfg"},                // a configuration without its map
        {"--tcp", "127.0.0.1:0", "--line-rate"},    // no rate to pace TCP at
    };
    for (const auto& arguments : bad) {
        const ParsedOptions parsed = Parse(arguments);
        EXPECT_FALSE(parsed.options) << testing::PrintToString(arguments);
        EXPECT_FALSE(parsed.error.empty()) << testing::PrintToString(arguments);
    }
}

TEST(LinePacerTest, PacesAtTheLineRate) {
    LinePacer pacer;
    EXPECT_GT(pacer.Allowance(0), 1000u);  // unpaced
    pacer.SetRate(960);                     // 9600 baud, 10 bits a byte: 1041 us a byte
    const std::size_t burst = pacer.Allowance(0);
    EXPECT_EQ(burst, 9u);
    pacer.Consume(burst, 0);
    EXPECT_EQ(pacer.Allowance(9 * 1041 - 1), 0u);
    EXPECT_EQ(pacer.NextAllowed(0), 9 * 1041);
    EXPECT_EQ(pacer.Allowance(9 * 1041), burst);
}

}  // namespace
}  // namespace varnel::sim
