#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

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
            lastWriteMs = clock.now;
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

    int Run(bool unattended) { return RunFrom(Prefix(), unattended); }
    int RunFrom(const std::string& prefix, bool unattended) {
        FlashContext context{model, reporter, clock, ui, [this] {
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
    // The status texts after the stream's last progress text.
    std::vector<std::string> StatusesAfterStream() const {
        std::vector<std::string> statuses = reporter.Statuses();
        auto last = std::find_if(statuses.rbegin(), statuses.rend(),
                                 [](const std::string& s) { return s.starts_with("Flashing: "); });
        return std::vector<std::string>(last.base(), statuses.end());
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
    int64_t lastWriteMs = 0;
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
    ASSERT_NE(LastStatus(), nullptr);
    EXPECT_EQ(LastStatus()->text, "Flash Updated");
    EXPECT_EQ(LastStatus()->eventCode, 14);
    EXPECT_TRUE(reporter.Errors().empty());
    std::vector<std::string> statuses = reporter.Statuses();
    auto lastProgress = std::find_if(statuses.rbegin(), statuses.rend(),
                                     [](const std::string& s) { return s.starts_with("Flashing: "); });
    ASSERT_NE(lastProgress, statuses.rend());
    EXPECT_TRUE(lastProgress->starts_with("Flashing: 2500 of 2500 bytes (100%)")) << "progress ends at the file's size";
    EXPECT_TRUE(ui.flashProgress.empty()) << "an unattended update shows no dialog";
}

TEST_F(UpdateFirmwareTest, ThePrinterRestartIsAWaitThatCountsDown) {
    struct Case {
        const char* port;
        int64_t waitMs;
    } cases[] = {{"USB001", 6000}, {"127.0.0.1:9100", 14000}};  // a network printer takes longer
    AddBootFile("PB15_101.BOT", 1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.port);
        reporter.entries.clear();
        model.portName = c.port;

        ASSERT_EQ(Run(true), 1);

        EXPECT_EQ(clock.now - lastWriteMs, c.waitMs);
        std::vector<std::string> expected;
        for (int64_t left = c.waitMs / 1000; left > 0; --left)
            expected.push_back("Waiting for the printer to restart: " + std::to_string(left) + " s");
        expected.push_back("Flash Updated");
        EXPECT_EQ(StatusesAfterStream(), expected);
    }
}

TEST_F(UpdateFirmwareTest, TheDialogFollowsTheStreamAndTheRestartThenCloses) {
    AddBootFile("PB15_101.BOT", 2500);
    ui.flashChoice = FlashChoice::Flash;

    ASSERT_EQ(Run(false), 1);

    using Stage = FlashProgressView::Stage;
    // What the dialog showed once the choice was made; the boot loader's questions came before.
    auto streamStart = std::find_if(ui.flashProgress.begin(), ui.flashProgress.end(),
                                    [](const FlashProgressView& v) { return v.stage != Stage::Asking; });
    ASSERT_NE(streamStart, ui.flashProgress.begin());
    const std::vector<FlashProgressView> shown(streamStart, ui.flashProgress.end());
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.front().stage, Stage::Streaming);
    EXPECT_EQ(shown.front().percent, 0);
    auto restart = std::find_if(shown.begin(), shown.end(), [](const FlashProgressView& v) { return v.stage == Stage::Restarting; });
    ASSERT_NE(restart, shown.begin());
    ASSERT_NE(restart, shown.end());
    EXPECT_EQ((restart - 1)->percent, 100);
    EXPECT_EQ((restart - 1)->text, "Flashing: 2500 of 2500 bytes (100%)");
    EXPECT_EQ(restart->text, "Waiting for the printer to restart: 6 s");
    EXPECT_EQ(shown.back().stage, Stage::Finished);
    // Each text the dialog shows is the status line's too.
    std::vector<std::string> statuses = reporter.Statuses();
    for (auto view = shown.begin(); view != shown.end() - 1; ++view)
        EXPECT_NE(std::find(statuses.begin(), statuses.end(), view->text), statuses.end()) << view->text;
}

TEST_F(UpdateFirmwareTest, AStreamThatFailsClosesTheDialogsProgressToo) {
    AddBootFile("PB15_101.BOT", 2500);
    ui.flashChoice = FlashChoice::Flash;
    backend.responder = [this, inner = backend.responder](test::FakePortBackend& port, const std::string& written) {
        inner(port, written);
        if (written == kFirmwareQuery) port.acceptNothing = true;
    };

    EXPECT_EQ(Run(false), 0);

    ASSERT_FALSE(ui.flashProgress.empty());
    EXPECT_EQ(ui.flashProgress.back().stage, FlashProgressView::Stage::Finished);
}

TEST_F(UpdateFirmwareTest, TheDialogOpensBeforeThePortAndFillsInAsTheBootLoaderAnswers) {
    AddBootFile("PB15_101.BOT", 10);
    std::vector<size_t> opensWhenShown;
    ui.flashProgressSeen = [this, &opensWhenShown](const FlashProgressView&) {
        opensWhenShown.push_back(backend.opens.size());
    };

    EXPECT_EQ(Run(false), 0);

    // Shown before the port opened, again after each answer, then taken over by the choice.
    ASSERT_EQ(ui.flashProgress.size(), 3u);
    for (const FlashProgressView& view : ui.flashProgress) {
        EXPECT_EQ(view.stage, FlashProgressView::Stage::Asking);
        EXPECT_EQ(view.text, "Asking the printer's boot loader...");
    }
    EXPECT_EQ(opensWhenShown.front(), 0u);
    const std::vector<FlashDialogTexts>& texts = ui.flashProgressTexts;
    EXPECT_EQ(texts[0].firmwareId, "PB15_1*") << "known from the configuration";
    EXPECT_EQ(texts[0].bootLoaderRev, "");
    EXPECT_EQ(texts[1].bootLoaderRev, "PB15 BL 1.2");
    EXPECT_EQ(texts[1].flashId, "");
    EXPECT_EQ(texts[2].flashId, "FLASH 29F040");
    EXPECT_EQ(texts[2].firmwareRev, "");
    ASSERT_EQ(ui.flashDialogs.size(), 1u);
    EXPECT_EQ(ui.flashDialogs[0].firmwareRev, "PB15-1.00");
    EXPECT_EQ(backend.writeCalls, (std::vector<std::string>{kBootQuery, kFlashIdQuery, kFirmwareQuery}));
}

// An interactive update that ends before the choice: the boot loader cannot be reached or does
// not answer.
struct EarlyEnd {
    const char* label;
    void (*arrange)(test::FakePortBackend& backend, std::optional<std::string>& bootReply, std::string& flashIdReply,
                    std::string& firmwareReply);
    const char* error;
};

void PrintTo(const EarlyEnd& c, std::ostream* out) { *out << c.label; }

class EarlyEndTest : public UpdateFirmwareTest, public ::testing::WithParamInterface<EarlyEnd> {};

TEST_P(EarlyEndTest, ClosesTheAskingDialogBeforeItsErrorBox) {
    AddBootFile("PB15_101.BOT", 10);
    GetParam().arrange(backend, bootReply, flashIdReply, firmwareReply);
    std::vector<size_t> errorsWhenShown;
    ui.flashProgressSeen = [this, &errorsWhenShown](const FlashProgressView&) {
        errorsWhenShown.push_back(reporter.Errors().size());
    };

    EXPECT_EQ(Run(false), 0);

    ASSERT_GE(ui.flashProgress.size(), 2u);
    EXPECT_EQ(ui.flashProgress.front().stage, FlashProgressView::Stage::Asking);
    EXPECT_EQ(ui.flashProgress.back().stage, FlashProgressView::Stage::Finished);
    EXPECT_EQ(errorsWhenShown.back(), 0u) << "closed before the error box";
    ASSERT_FALSE(reporter.Errors().empty());
    EXPECT_EQ(reporter.Errors().back(), GetParam().error);
    EXPECT_TRUE(ui.flashDialogs.empty()) << "no choice offered";
    EXPECT_FALSE(backend.IsOpen());
}

constexpr const char* kCommunicationsError =
    "Closing communications Port due to an Error. Communications request Failed.";

INSTANTIATE_TEST_SUITE_P(
    Ends, EarlyEndTest,
    ::testing::Values(
        EarlyEnd{"port will not open",
                 [](test::FakePortBackend& b, std::optional<std::string>&, std::string&, std::string&) {
                     b.failOpen.Always();
                 },
                 kCommunicationsError},
        EarlyEnd{"not in boot mode",
                 [](test::FakePortBackend&, std::optional<std::string>& boot, std::string&, std::string&) {
                     boot.reset();
                 },
                 "Printer does not appear to be in Boot Load Mode!"},
        EarlyEnd{"no flash id",
                 [](test::FakePortBackend&, std::optional<std::string>&, std::string& flashId, std::string&) {
                     flashId.clear();
                 },
                 kCommunicationsError},
        EarlyEnd{"no firmware revision",
                 [](test::FakePortBackend&, std::optional<std::string>&, std::string&, std::string& firmware) {
                     firmware.clear();
                 },
                 kCommunicationsError}));

TEST_F(UpdateFirmwareTest, WithoutAFirmwareIdNoDialogOpens) {
    model.settings[3].Clear();
    EXPECT_EQ(Run(false), 0);
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"You must specify a configuration that allows flash programming."});
    EXPECT_TRUE(ui.flashProgress.empty());
    EXPECT_TRUE(ui.flashDialogs.empty());
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
    FlashContext context{model, reporter, clock, ui, [&] {
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
    ui.flashChoice = FlashChoice::Flash;

    ASSERT_EQ(Run(false), 1);

    ASSERT_EQ(ui.flashDialogs.size(), 1u);
    EXPECT_EQ(ui.flashDialogs[0].fileSelected, Prefix() + "PB15_101.BOT");
    EXPECT_EQ(ui.flashDialogs[0].fileRev, "PB15-1.01");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{image});
}

TEST_F(UpdateFirmwareTest, WithoutABootFileInTheWorkingFolderTheModelFoldersAreSearched) {
    test::ModelFolders folders;
    test::ModelFolders::Put(folders.Home(), "PB16_101.BOT", "other firmware");
    const std::string image = BootImage(300);
    test::ModelFolders::Put(folders.Share1(), "pb15_101.bot", image);
    test::ModelFolders::Put(folders.Share2(), "PB15_109.BOT", "a later folder");
    ui.flashChoice = FlashChoice::Flash;

    ASSERT_EQ(RunFrom("", false), 1);
    ASSERT_EQ(ui.flashDialogs.size(), 1u);
    EXPECT_EQ(ui.flashDialogs[0].fileSelected, folders.Share1() + "/PB15_101.BOT");
    EXPECT_EQ(ui.flashDialogs[0].fileRev, "PB15-1.01");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{image});

    // One in the working folder wins, even an older one.
    const std::string working = BootImage(200);
    test::WriteFileBytes("PB15_100.BOT", working);
    backend.writeCalls.clear();
    ui.flashDialogs.clear();
    ASSERT_EQ(RunFrom("", false), 1);
    ASSERT_EQ(ui.flashDialogs.size(), 1u);
    EXPECT_EQ(ui.flashDialogs[0].fileSelected, "PB15_100.BOT");
    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{working});
}

TEST_F(UpdateFirmwareTest, TheDialogShowsWhatWasFound) {
    AddBootFile("PB15_101.BOT", 10);
    bootReply = "\x06"s;
    ui.flashChoice = FlashChoice::Cancel;

    EXPECT_EQ(Run(false), 0);

    EXPECT_EQ(WritesAfter(kBootQuery), (std::vector<std::string>{kFlashIdQuery, kFirmwareQuery}));
    ASSERT_EQ(ui.flashDialogs.size(), 1u);
    const FlashDialogTexts& texts = ui.flashDialogs[0];
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
    ui.flashChoice = FlashChoice::ExitBoot;

    ASSERT_EQ(Run(false), 1);

    EXPECT_EQ(WritesAfter(kFirmwareQuery), std::vector<std::string>{kExitBoot});
    ASSERT_NE(LastStatus(), nullptr);
    EXPECT_EQ(LastStatus()->text, "Flash Updated");
    EXPECT_EQ(LastStatus()->eventCode, 16);
}

TEST_F(UpdateFirmwareTest, SelectFileStreamsTheChosenFile) {
    AddBootFile("PB15_101.BOT", 10);
    std::string other = AddBootFile("other.img", 1500);
    ui.flashChoice = FlashChoice::SelectFile;
    ui.fileAnswers.push_back(dir.File("other.img"));

    ASSERT_EQ(Run(false), 1);

    std::vector<std::string> blocks = WritesAfter(kFirmwareQuery);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0] + blocks[1], other);
}

TEST_F(UpdateFirmwareTest, ACancelledChooserReturnsToTheDialogWithNothingChanged) {
    struct Case {
        const char* label;
        bool fileFound;
        FlashChoice first;
    } cases[] = {
        {"no file found, OK", false, FlashChoice::Flash},
        {"no file found, SELECT FILE", false, FlashChoice::SelectFile},
        {"file found, SELECT FILE", true, FlashChoice::SelectFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove(dir.File("PB15_101.BOT"));
        if (c.fileFound) AddBootFile("PB15_101.BOT", 10);
        ui.flashDialogs.clear();
        reporter.entries.clear();
        backend.writeCalls.clear();
        ui.flashChoices = {c.first, FlashChoice::Cancel};
        ui.fileAnswers = {std::nullopt};

        EXPECT_EQ(Run(false), 0);

        ASSERT_EQ(ui.flashDialogs.size(), 2u);
        EXPECT_EQ(ui.flashDialogs[1].fileSelected, ui.flashDialogs[0].fileSelected);
        EXPECT_EQ(ui.flashDialogs[1].fileRev, ui.flashDialogs[0].fileRev);
        EXPECT_EQ(ui.flashDialogs[0].fileSelected.empty(), !c.fileFound);
        EXPECT_TRUE(reporter.Errors().empty());
        EXPECT_EQ(backend.writeCalls.back(), kFirmwareQuery) << "nothing streamed";
        EXPECT_FALSE(backend.IsOpen());
    }
}

TEST_F(UpdateFirmwareTest, AFileChosenAfterACancelledChooserIsStreamed) {
    ui.flashChoices = {FlashChoice::Flash, FlashChoice::Flash};
    std::string image(10, 'Q');
    dir.Write("other.bot", image);
    ui.fileAnswers = {std::nullopt, dir.File("other.bot")};

    EXPECT_EQ(Run(false), 1);

    EXPECT_EQ(ui.flashDialogs.size(), 2u);
    std::vector<std::string> blocks = WritesAfter(kFirmwareQuery);
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks.back(), image);
}

TEST_F(UpdateFirmwareTest, AnUnreadableBootFileIsABootFileError) {
    // A directory opens but cannot be read: the stream must not count that as the file's end.
    ui.flashChoice = FlashChoice::SelectFile;
    std::filesystem::create_directory(dir.File("image"));
    ui.fileAnswers.push_back(dir.File("image"));

    EXPECT_EQ(Run(false), 0);

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
