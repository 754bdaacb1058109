#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "flash/FlashDialogPort.h"
#include "flash/UpdateFirmware.h"
#include "io/IOComm.h"
#include "io/Reconnect.h"
#include "io/SettingsStore.h"
#include "model/ConfigModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/ModelFolders.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using namespace std::string_literals;
using test::RecordingReporter;

const std::string kBootQuery = "\x00\x02\x42"s;
const std::string kFlashIdQuery = "\x02\x45"s;
const std::string kFirmwareQuery = "\x02\x4B"s;
const std::string kExitBoot = "\x02\x58"s;

// A boot file whose bytes differ block to block, so a skipped or repeated range shows.
std::string BootImage(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class RecordingFlashDialog : public FlashDialogPort {
public:
    FlashChoice ShowFlashDialog(const FlashDialogTexts& texts) override {
        shown.push_back(texts);
        return choice;
    }
    FlashChoice choice = FlashChoice::Flash;
    std::vector<FlashDialogTexts> shown;
};

// A boot loader played on the fake port: answers its three queries, takes everything else.
class UpdateFirmwareTest : public ::testing::Test {
protected:
    UpdateFirmwareTest() {
        // The port layer's retry counters are process-wide; each test starts from a fresh process's.
        ResetRetryStates();
        SetFirmwareId("PB15_1*");
        model.portName = "USB001";
        backend.clock = &clock;
        backend.responder = [this](test::FakePortBackend& port, const std::string& written) {
            if (written == kBootQuery && bootReply) port.QueueReply(*bootReply);
            if (written == kFlashIdQuery) port.QueueReply(flashIdReply);
            if (written == kFirmwareQuery) port.QueueReply(firmwareReply);
        };
    }

    void SetFirmwareId(const std::string& id) {
        model.settings[3].name = "Firmware_ID";
        model.settings[3].text = id;
    }
    std::string Prefix() const { return dir.path() + "/"; }
    std::string AddBootFile(const std::string& name, size_t size) {
        std::string bytes = BootImage(size);
        test::WriteFileBytes(dir.File(name), bytes);
        return bytes;
    }

    int Run(bool unattended, FlashDialogPort* dialogPort = nullptr) { return RunFrom(Prefix(), unattended, dialogPort); }
    int RunFrom(const std::string& prefix, bool unattended, FlashDialogPort* dialogPort = nullptr) {
        FlashContext context{model, reporter, clock, ui, dialogPort, [this] {
                                 return std::make_unique<IOComm>(store, clock, reporter, backend);
                             }};
        return UpdateFirmware(context, prefix, unattended);
    }

    // The bytes written after the three queries (or two, unattended).
    std::vector<std::string> WritesAfter(const std::string& command) const {
        std::vector<std::string> after;
        bool seen = false;
        for (const std::string& call : backend.writeCalls) {
            if (seen) after.push_back(call);
            if (call == command) seen = true;
        }
        return after;
    }
    bool Slept(int64_t ms) const {
        return std::find(clock.sleeps.begin(), clock.sleeps.end(), ms) != clock.sleeps.end();
    }
    const RecordingReporter::Entry* LastStatus() const {
        for (auto it = reporter.entries.rbegin(); it != reporter.entries.rend(); ++it)
            if (it->kind == RecordingReporter::Kind::Status) return &*it;
        return nullptr;
    }

    test::ScratchDir dir;
    test::MemorySettingsStore store;
    test::FakeClock clock;
    RecordingReporter reporter;
    test::RecordingUserInterface ui;
    test::FakePortBackend backend;
    ConfigModel model;
    std::optional<std::string> bootReply = "PB15 BL 1.2\r"s;
    std::string flashIdReply = "FLASH 29F040\r"s;
    std::string firmwareReply = "PB15-1.00\r"s;
};

TEST_F(UpdateFirmwareTest, StreamsTheNewestMatchingFileInBlocksOfAThousand) {
    AddBootFile("PB15_100.BOT", 700);
    std::string image = AddBootFile("PB15_101.BOT", 2500);

    ASSERT_EQ(Run(true), 1);

    EXPECT_EQ(backend.opens.size(), 1u);
    EXPECT_EQ(WritesAfter(kBootQuery).front(), kFirmwareQuery);  // no flash-ID query unattended
    std::vector<std::string> blocks = WritesAfter(kFirmwareQuery);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].size(), 1000u);
    EXPECT_EQ(blocks[1].size(), 1000u);
    EXPECT_EQ(blocks[2].size(), 500u);
    EXPECT_EQ(blocks[0] + blocks[1] + blocks[2], image);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_TRUE(Slept(6000));
    ASSERT_NE(LastStatus(), nullptr);
    EXPECT_EQ(LastStatus()->text, "Flash Updated");
    EXPECT_EQ(LastStatus()->eventCode, 14);
    EXPECT_TRUE(reporter.Errors().empty());
    std::vector<std::string> statuses = reporter.Statuses();
    ASSERT_GE(statuses.size(), 2u);
    EXPECT_TRUE(statuses[statuses.size() - 2].starts_with("Flashing: 2500 of 2500 bytes (100%)"))
        << "progress ends at the file's size";
}

TEST_F(UpdateFirmwareTest, AnUpToDatePrinterIsOnlyTakenOutOfBootMode) {
    AddBootFile("PB15_100.BOT", 700);
    AddBootFile("PB15_101.BOT", 700);
    firmwareReply = "PB15-1.01\r\x06"s;

    ASSERT_EQ(Run(true), 1);

    EXPECT_EQ(backend.writeCalls, (std::vector<std::string>{kBootQuery, kFirmwareQuery, kExitBoot}));
    EXPECT_TRUE(Slept(1000));
    ASSERT_NE(LastStatus(), nullptr);
    EXPECT_EQ(LastStatus()->text, "Flash Updated");
    EXPECT_EQ(LastStatus()->eventCode, 15);
}

TEST_F(UpdateFirmwareTest, ATextlessFirmwareReplyWithoutAFileIsNoSuccess) {
    firmwareReply = "\x06"s;
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Boot File Error!"});
    EXPECT_EQ(reporter.entries.back().eventCode, 12);
    EXPECT_EQ(WritesAfter(kFirmwareQuery).size(), 0u);
}

struct BaudCase {
    std::string bootReply;
    std::string flashBaud;
    std::string switchBytes;
    uint32_t rate;
};

// Named by its rate: without this, GoogleTest prints the case's raw bytes, unused string buffers
// and padding included, which memory checkers rightly flag as uninitialised reads.
void PrintTo(const BaudCase& c, std::ostream* out) { *out << "rate " << c.rate; }

class BaudSwitchTest : public UpdateFirmwareTest, public ::testing::WithParamInterface<BaudCase> {};

TEST_P(BaudSwitchTest, SwitchesTheLineAndReopensItAtTheNewRate) {
    std::string image = AddBootFile("PB15_101.BOT", 1200);
    model.portName = "COM1";
    bootReply = GetParam().bootReply;
    model.flashBaud = GetParam().flashBaud;

    ASSERT_EQ(Run(true), 1);

    std::vector<std::string> after = WritesAfter(kFirmwareQuery);
    ASSERT_GE(after.size(), 1u);
    EXPECT_EQ(after[0], GetParam().switchBytes);
    // The switch goes out on the line as it was; the image on the line opened again afterwards.
    ASSERT_GE(backend.writesPerOpen.size(), 2u);
    EXPECT_TRUE(backend.writesPerOpen[backend.writesPerOpen.size() - 2].ends_with(GetParam().switchBytes));
    EXPECT_EQ(backend.writesPerOpen.back(), image);
    // First at the boot loader's rate, then at the switched one; the boot loader's line is 8N2.
    ASSERT_FALSE(backend.configsSet.empty());
    EXPECT_EQ(backend.configsSet.front().dcb.BaudRate, 19200u);
    EXPECT_EQ(backend.configsSet.back().dcb.BaudRate, GetParam().rate);
    EXPECT_EQ(backend.configsSet.back().dcb.StopBits, 2);
    EXPECT_EQ(backend.configsSet.back().dcb.ByteSize, 8);
}

INSTANTIATE_TEST_SUITE_P(Rates, BaudSwitchTest,
                         ::testing::Values(BaudCase{"PB15 BL 1.2\r"s, "", "\x02\x48\x73"s, 115200},
                                           BaudCase{"VSBL-1.05\r"s, "", "\x02\x48\x39"s, 57600},
                                           BaudCase{"VSBL-1.05\r"s, "38400", "\x02\x48\x26"s, 38400},
                                           BaudCase{"\x06"s, "", "\x02\x48\x39"s, 57600}));

TEST_F(UpdateFirmwareTest, TheReopenCarriesFlashBaudAsWritten) {
    AddBootFile("PB15_101.BOT", 10);
    model.portName = "COM1";
    bootReply = "VSBL-1.05\r"s;
    model.flashBaud = "38400";
    // The port object's settings text, looked at whenever the printer is written to.
    std::vector<std::string> commStrings;
    IOComm* seen = nullptr;
    FlashContext context{model, reporter, clock, ui, nullptr, [&] {
                             auto port = std::make_unique<IOComm>(store, clock, reporter, backend);
                             seen = port.get();
                             return port;
                         }};
    backend.responder = [&, inner = backend.responder](test::FakePortBackend& port, const std::string& written) {
        inner(port, written);
        if (seen) commStrings.push_back(seen->GetCommString());
    };
    ASSERT_EQ(UpdateFirmware(context, Prefix(), true), 1);
    ASSERT_FALSE(commStrings.empty());
    EXPECT_EQ(commStrings.front(), "baud=19200 parity=N data=8 stop=2");
    EXPECT_EQ(commStrings.back(), "baud=38400 parity=N data=8 stop=2");
}

TEST_F(UpdateFirmwareTest, AFlashBaudTheSwitchCannotCarryStopsBeforeTheSwitch) {
    AddBootFile("PB15_101.BOT", 10);
    model.portName = "COM1";
    bootReply = "VSBL-1.05\r"s;
    model.flashBaud = "fast";
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Flash baud rate not usable: fast"});
    EXPECT_TRUE(WritesAfter(kFirmwareQuery).empty());
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(UpdateFirmwareTest, NoBaudSwitchOffASerialLine) {
    for (const char* port : {"USB001", "127.0.0.1:9100"}) {
        SCOPED_TRACE(port);
        backend.writeCalls.clear();
        model.portName = port;
        std::string image = AddBootFile("PB15_101.BOT", 1000);
        ASSERT_EQ(Run(true), 1);
        EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{image});
    }
    EXPECT_TRUE(Slept(8000)) << "a network printer is given longer to restart";
}

TEST_F(UpdateFirmwareTest, APartialWriteIsResumedWhereThePortStopped) {
    std::string image = AddBootFile("PB15_101.BOT", 1000);
    // Each write takes 60 bytes; one Output gives up after ten rounds with 600 bytes taken.
    backend.responder = [this, inner = backend.responder](test::FakePortBackend& port, const std::string& written) {
        inner(port, written);
        if (written == kFirmwareQuery) port.acceptLimit = 60;
    };

    ASSERT_EQ(Run(true), 1);

    std::vector<std::string> writes = WritesAfter(kFirmwareQuery);
    std::string sent;
    for (const std::string& w : writes) sent += w;
    EXPECT_EQ(sent, image);
    EXPECT_EQ(writes.size(), 17u);  // 10 rounds of 60, then 400 more in rounds of 60
    EXPECT_TRUE(Slept(100));
}

TEST_F(UpdateFirmwareTest, APrinterThatStopsTakingDataEndsTheUpdateAfterAMinute) {
    AddBootFile("PB15_101.BOT", 2500);
    backend.responder = [this, inner = backend.responder](test::FakePortBackend& port, const std::string& written) {
        inner(port, written);
        if (written == kFirmwareQuery) port.acceptNothing = true;
    };
    int64_t start = clock.now;

    EXPECT_EQ(Run(true), 0);

    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{
                  "Printer stopped taking data during the firmware update; the update is incomplete!"});
    EXPECT_EQ(reporter.entries.back().eventCode, 12);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_GE(clock.now - start, 60000);
    EXPECT_LT(clock.now - start, 70000);
}

TEST_F(UpdateFirmwareTest, TheBootFileIsOpenedByItsNameOnDisk) {
    std::string image = AddBootFile("pb15_101.bot", 300);
    RecordingFlashDialog dialog;

    ASSERT_EQ(Run(false, &dialog), 1);

    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].fileSelected, Prefix() + "PB15_101.BOT");
    EXPECT_EQ(dialog.shown[0].fileRev, "PB15-1.01");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{image});
}

TEST_F(UpdateFirmwareTest, WithoutABootFileInTheWorkingFolderTheModelFoldersAreSearched) {
    test::ModelFolders folders;
    test::ModelFolders::Put(folders.Home(), "PB16_101.BOT", "other firmware");
    const std::string image = BootImage(300);
    test::ModelFolders::Put(folders.Share1(), "pb15_101.bot", image);
    test::ModelFolders::Put(folders.Share2(), "PB15_109.BOT", "a later folder");
    RecordingFlashDialog dialog;

    ASSERT_EQ(RunFrom("", false, &dialog), 1);
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].fileSelected, folders.Share1() + "/PB15_101.BOT");
    EXPECT_EQ(dialog.shown[0].fileRev, "PB15-1.01");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{image});

    // One in the working folder wins, even an older one.
    const std::string working = BootImage(200);
    test::WriteFileBytes("PB15_100.BOT", working);
    backend.writeCalls.clear();
    dialog.shown.clear();
    ASSERT_EQ(RunFrom("", false, &dialog), 1);
    ASSERT_EQ(dialog.shown.size(), 1u);
    EXPECT_EQ(dialog.shown[0].fileSelected, "PB15_100.BOT");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{working});
}

TEST_F(UpdateFirmwareTest, TheDialogShowsWhatWasFound) {
    AddBootFile("PB15_101.BOT", 10);
    bootReply = "\x06"s;
    RecordingFlashDialog dialog;
    dialog.choice = FlashChoice::Cancel;

    EXPECT_EQ(Run(false, &dialog), 0);

    EXPECT_EQ(WritesAfter(kBootQuery), (std::vector<std::string>{kFlashIdQuery, kFirmwareQuery}));
    ASSERT_EQ(dialog.shown.size(), 1u);
    const FlashDialogTexts& texts = dialog.shown[0];
    EXPECT_EQ(texts.bootLoaderRev, "");
    EXPECT_EQ(texts.flashId, "FLASH 29F040");
    EXPECT_EQ(texts.firmwareRev, "PB15-1.00");
    EXPECT_EQ(texts.firmwareId, "PB15_1*");
    EXPECT_EQ(texts.fileSelected, Prefix() + "PB15_101.BOT");
    EXPECT_EQ(texts.fileRev, "PB15-1.01");
    EXPECT_TRUE(reporter.entries.empty()) << "a cancelled dialog reports nothing";
}

TEST_F(UpdateFirmwareTest, ExitBootLeavesBootModeWithoutFlashing) {
    AddBootFile("PB15_101.BOT", 10);
    RecordingFlashDialog dialog;
    dialog.choice = FlashChoice::ExitBoot;

    ASSERT_EQ(Run(false, &dialog), 1);

    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{kExitBoot});
    ASSERT_NE(LastStatus(), nullptr);
    EXPECT_EQ(LastStatus()->text, "Flash Updated");
    EXPECT_EQ(LastStatus()->eventCode, 16);
}

TEST_F(UpdateFirmwareTest, SelectFileStreamsTheChosenFile) {
    AddBootFile("PB15_101.BOT", 10);
    std::string other = AddBootFile("other.img", 1500);
    RecordingFlashDialog dialog;
    dialog.choice = FlashChoice::SelectFile;
    ui.fileAnswers.push_back(dir.File("other.img"));

    ASSERT_EQ(Run(false, &dialog), 1);

    std::vector<std::string> blocks = WritesAfter(kFirmwareQuery);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0] + blocks[1], other);
}

TEST_F(UpdateFirmwareTest, NoFileFoundAndTheChooserCancelledIsABootFileError) {
    RecordingFlashDialog dialog;
    EXPECT_EQ(Run(false, &dialog), 0);
    EXPECT_EQ(dialog.shown.at(0).fileSelected, "");
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Boot File Error!"});
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(UpdateFirmwareTest, WithoutADialogTheInteractiveUpdateIsCancelled) {
    AddBootFile("PB15_101.BOT", 10);
    EXPECT_EQ(Run(false, nullptr), 0);
    EXPECT_TRUE(WritesAfter(kFirmwareQuery).empty());
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(UpdateFirmwareTest, AnUnreadableBootFileIsABootFileError) {
    // A directory opens but cannot be read: the stream must not count that as the file's end.
    RecordingFlashDialog dialog;
    dialog.choice = FlashChoice::SelectFile;
    std::filesystem::create_directory(dir.File("image"));
    ui.fileAnswers.push_back(dir.File("image"));

    EXPECT_EQ(Run(false, &dialog), 0);

    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Boot File Error!"});
    EXPECT_EQ(reporter.entries.back().eventCode, 12);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(UpdateFirmwareTest, NoBootReplyMeansNotInBootLoadMode) {
    AddBootFile("PB15_101.BOT", 10);
    bootReply.reset();

    EXPECT_EQ(Run(true), 0);

    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Printer does not appear to be in Boot Load Mode!"});
    EXPECT_EQ(reporter.entries.back().eventCode, 11);
    EXPECT_EQ(backend.writeCalls, std::vector<std::string>{kBootQuery});
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(UpdateFirmwareTest, NoFirmwareReplyIsACommunicationsError) {
    firmwareReply.clear();
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{
                                     "Closing communications Port due to an Error. Communications request Failed."});
    EXPECT_EQ(reporter.entries.back().eventCode, 4);
}

TEST_F(UpdateFirmwareTest, NoFileUnattendedIsABootFileError) {
    AddBootFile("PB16_101.BOT", 10);
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Boot File Error!"});
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(UpdateFirmwareTest, AConfigurationWithoutFirmwareIdCannotFlash) {
    model.settings[3].Clear();
    EXPECT_EQ(Run(true), 0);
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"You must specify a configuration that allows flash programming."});
    EXPECT_EQ(reporter.entries.back().eventCode, 5);
    EXPECT_TRUE(backend.opens.empty());
}

TEST_F(UpdateFirmwareTest, APortThatWillNotOpenIsACommunicationsError) {
    backend.failOpen.Always();
    EXPECT_EQ(Run(true), 0);
    ASSERT_FALSE(reporter.Errors().empty());
    EXPECT_EQ(reporter.Errors().back(),
              "Closing communications Port due to an Error. Communications request Failed.");
}

TEST_F(UpdateFirmwareTest, TheBootFileGoesOutUnsubstituted) {
    // The port's substitution pairs apply to ordinary output, never to the firmware image.
    store.SetValue(kPortSettingsKey, "DoExtra", RegValue::Dword(1));
    store.SetValue(kPortSettingsKey, "Pattern1", RegValue::Binary("\x07"s));
    store.SetValue(kPortSettingsKey, "Conversion1", RegValue::Binary("\x07\x07"s));
    std::string image = AddBootFile("PB15_101.BOT", 1500);  // last block of 500 holds 0x07 bytes
    ASSERT_NE(image.substr(1000).find('\x07'), std::string::npos);

    ASSERT_EQ(Run(true), 1);

    std::vector<std::string> blocks = WritesAfter(kFirmwareQuery);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0] + blocks[1], image);
}

}  // namespace
}  // namespace varnel
