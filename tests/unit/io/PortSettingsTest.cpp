#include <gtest/gtest.h>

#include "unit/io/IOCommFixture.h"

namespace varnel::test {
namespace {

class PortSettingsTest : public IOCommTest {
protected:
    static CommConfig PlainLineAt(uint32_t baudRate) {
        CommConfig line = PlainLine();
        line.dcb.BaudRate = baudRate;
        return line;
    }
};

TEST_F(PortSettingsTest, DefaultsWithoutStoredValues) {
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    const PortSettings& s = Port().Settings();
    EXPECT_EQ(s.Timeouts, (CommTimeouts{500, 40, 300, 30, 300}));
    EXPECT_EQ(s.ResetWait, 1000u);
    EXPECT_EQ(s.DebugMode, 0u);
    EXPECT_EQ(s.Extras.DoExtra, 0u);
    EXPECT_TRUE(s.SettingsLoaded);
    EXPECT_EQ(backend.lineTimeouts, s.Timeouts);
}

TEST_F(PortSettingsTest, ANewPortObjectTakesItsLineDefaultsWithoutOpeningADevice) {
    backend.defaultConfig = PlainLineAt(1200);  // what a device, were one asked, would answer
    IOComm fresh(store, clock, reporter, backend);
    EXPECT_TRUE(backend.defaultConfigPaths.empty()) << backend.defaultConfigPaths.front();
    EXPECT_EQ(backend.openCalls, 0);
    const Dcb& line = fresh.Settings().Config.dcb;
    EXPECT_EQ(fresh.Settings().Config.dwSize, CommConfig::kSize);
    EXPECT_EQ(line.BaudRate, 9600u);
    EXPECT_EQ(line.ByteSize, 8);
    EXPECT_EQ(line.Parity, dcb::kNoParity);
    EXPECT_EQ(line.StopBits, dcb::kOneStopBit);
    EXPECT_FALSE(line.Has(dcb::fOutX) || line.Has(dcb::fOutxCtsFlow)) << "no flow control";
    EXPECT_EQ(fresh.Settings().Handshake, kHandshakeNone);
}

TEST_F(PortSettingsTest, TimeOutFactorAndIndividualValues) {
    struct Case {
        std::optional<uint32_t> factor, interval;
        CommTimeouts expected;
    };
    const Case cases[] = {
        {5, std::nullopt, {10, 10, 10, 10, 10}},  // raised to the 10 ms minimum
        {2000, 50, {50, 2000, 2000, 2000, 2000}},
        {0x7d0, std::nullopt, {2000, 2000, 2000, 2000, 2000}},
        {std::nullopt, 3, {10, 40, 300, 30, 300}},
    };
    for (const Case& c : cases) {
        MemorySettingsStore fresh;
        fresh.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(PlainLine().ToBytes()));
        if (c.factor) fresh.SetValue(kPortSettingsKey, "IOTimeOutFactor", RegValue::Dword(*c.factor));
        if (c.interval) fresh.SetValue(kPortSettingsKey, "ReadIntervalTimeout", RegValue::Dword(*c.interval));
        IOComm port(fresh, clock, reporter, backend);
        ASSERT_NE(port.Open("COM1", "", SaveCommSetup::Yes), 0);
        EXPECT_EQ(port.Settings().Timeouts, c.expected);
        EXPECT_EQ(backend.lineTimeouts, c.expected);  // what the line was given
        port.Close();
    }
}

TEST_F(PortSettingsTest, ValuesLongerThanTheirBufferAreNotTaken) {
    StoreValue("ResetWait", RegValue::Binary(std::string("\x01\x02\x03\x04\x05", 5)));
    StoreValue("DebugMode", RegValue::Binary("\x02"));  // one byte replaces the low byte only
    StoreValue("DoExtra", RegValue::Dword(1));
    StoreValue("Start", RegValue::Binary(std::string(100, 'S')));
    StoreValue("End", RegValue::String(std::string(100, 'E')));  // 101 bytes with its terminator
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    const PortSettings& s = Port().Settings();
    EXPECT_EQ(s.ResetWait, 1000u);
    EXPECT_EQ(s.DebugMode, 2u);
    EXPECT_EQ(s.Extras.Start, std::string(100, 'S'));
    EXPECT_EQ(s.Extras.End, "");
}

TEST_F(PortSettingsTest, ExtrasAreReadOnlyWithDoExtraSet) {
    StoreValue("Start", RegValue::Binary("S"));
    StoreValue("Pattern2", RegValue::String("P"));
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(Port().Settings().Extras.Start, "");
    Port().Close();

    StoreValue("DoExtra", RegValue::Dword(1));
    IOComm other(store, clock, reporter, backend);
    ASSERT_NE(other.Open("LPT1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(other.Settings().Extras.Start, "S");
    EXPECT_EQ(other.Settings().Extras.Pattern[1], std::string("P\0", 2));  // with the string's terminator
}

TEST_F(PortSettingsTest, SettingsAreReadOncePerObject) {
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    Port().Close();
    StoreValue("ReadTotalTimeoutConstant", RegValue::Dword(999));
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(Port().Settings().Timeouts.ReadTotalTimeoutConstant, 300u);
}

TEST_F(PortSettingsTest, AStoredPortTypeDoesNotOutliveTheNextOpen) {
    StoreValue("PortType", RegValue::Dword(3));
    ASSERT_NE(Port().Open("COM1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(Port().GetPortType(), PortKind::Serial);
    EXPECT_EQ(backend.opens.back().kind, PortKind::Serial);
}

TEST_F(PortSettingsTest, AStoredParallelTypeSkipsPortSetupForAMissingRecord) {
    store = MemorySettingsStore{};
    StoreValue("PortType", RegValue::Dword(3));
    ASSERT_NE(Port().Open("COM1", "", SaveCommSetup::Yes), 0);
    EXPECT_TRUE(ui.serialDialogs.empty());
    EXPECT_FALSE(Stored("Comm data"));
}

TEST_F(PortSettingsTest, HandshakeFollowsTheStoredRecord) {
    CommConfig hardware = PlainLine();
    hardware.dcb.Set(dcb::fOutxCtsFlow, true);
    hardware.dcb.Set(dcb::fOutX, true);  // hardware wins
    StoreValue("Comm Data", RegValue::Binary(hardware.ToBytes()));
    ASSERT_NE(Port().Open("COM1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(Port().GetHandshake(), kHandshakeHardware);
}

TEST_F(PortSettingsTest, ARecordLongerThan52BytesMeansPortSetupWithTheDialog) {
    SerialLineSettings chosen;
    chosen.baudRate = 19200;
    ui.serialDialogResult = chosen;
    StoreValue("Comm Data", RegValue::Binary(PlainLine().ToBytes() + "x"));
    ASSERT_NE(Port().Open("COM3", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(ui.serialDialogs, std::vector<std::string>{"COM3"});
    EXPECT_EQ(CommConfig::FromBytes(Stored("Comm data")->data).dcb.BaudRate, 19200u);
    EXPECT_EQ(backend.lineConfig->dcb.BaudRate, 19200u);
    // Port setup opened and closed the line itself, then the open proper followed.
    EXPECT_EQ(backend.opens.size(), 2u);
    EXPECT_TRUE(Port().IsOpen());
}

TEST_F(PortSettingsTest, PortSetupTakesTheConfigurationStringInsteadOfTheDialog) {
    backend.defaultConfig = PlainLineAt(1200);
    store = MemorySettingsStore{};
    ASSERT_NE(Port().Open("COM3", "baud=38400 parity=N data=8 stop=2", SaveCommSetup::Yes), 0);
    EXPECT_TRUE(ui.serialDialogs.empty());
    EXPECT_EQ(backend.defaultConfigPaths.back(), "/dev/ttyS2");
    CommConfig stored = CommConfig::FromBytes(Stored("Comm data")->data);
    EXPECT_EQ(stored.dcb.BaudRate, 38400u);
    EXPECT_EQ(stored.dcb.StopBits, dcb::kTwoStopBits);
    EXPECT_EQ(backend.lineConfig->dcb.BaudRate, 38400u);
}

TEST_F(PortSettingsTest, ACancelledDialogStillSavesAndAppliesThePlatformDefault) {
    backend.defaultConfig = PlainLineAt(2400);
    store = MemorySettingsStore{};
    ASSERT_NE(Port().Open("COM1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(ui.serialDialogs.size(), 1u);
    EXPECT_EQ(CommConfig::FromBytes(Stored("Comm data")->data).dcb.BaudRate, 2400u);
}

TEST_F(PortSettingsTest, PortSetupOnlyForSerialPorts) {
    ASSERT_NE(Port().Open("LPT1", "", SaveCommSetup::Yes), 0);
    EXPECT_EQ(Port().PortSetup(&ui), 0);
    EXPECT_TRUE(ui.serialDialogs.empty());
}

TEST_F(PortSettingsTest, PortSetupOnAnOpenPortKeepsItOpen) {
    ASSERT_NE(Port().Open("COM1", "", SaveCommSetup::Yes), 0);
    RecordingUserInterface owner;
    SerialLineSettings chosen;
    chosen.baudRate = 57600;
    owner.serialDialogResult = chosen;
    EXPECT_EQ(Port().PortSetup(&owner), 1);
    EXPECT_EQ(owner.serialDialogs, std::vector<std::string>{"COM1"});
    EXPECT_TRUE(Port().IsOpen());
    EXPECT_EQ(backend.lineConfig->dcb.BaudRate, 57600u);
}

}  // namespace
}  // namespace varnel::test
