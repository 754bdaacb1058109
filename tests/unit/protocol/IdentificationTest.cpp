#include <gtest/gtest.h>

#include "ProtocolFixture.h"
#include "protocol/Identification.h"
#include "protocol/PrinterCommands.h"
#include "support/ModelFolders.h"

namespace varnel::test {
namespace {

using Kind = RecordingReporter::Kind;

TEST(FirmwareReplyTest, IdentifierIsTheTextAfterTheFirstColon) {
    struct Case {
        std::string reply;
        std::optional<std::string> identifier;
    };
    const Case cases[] = {
        {std::string("~r\x05") + "REV:1.23", "1.23"},
        {std::string("~r\x05") + "ABC", "ABC"},             // no colon: from the fourth byte on
        {std::string("~r\x05") + "REV:a:b ", "a:b "},       // nothing is trimmed
        {std::string("~r\x05") + "REV:", std::nullopt},     // ends with its only colon
        {"~r", std::nullopt},
        {std::string("xr\x05") + "REV:1.23", std::nullopt},
        {std::string("~r\x05") + "AB\0:CD", "AB"},           // a text string: the zero ends it
    };
    for (const Case& c : cases) EXPECT_EQ(FirmwareIdentifierFromReply(c.reply), c.identifier) << c.reply;
}

class IdentificationTest : public ProtocolFixture {};

TEST_F(IdentificationTest, SendsPreInitPreambleAndQueryWithTheirPauses) {
    SetSetting(0, "Pre_Init_Command", -1, "27,64");
    ASSERT_EQ(IdentifyPrinter(context), 1);

    ASSERT_EQ(backend.writesPerOpen.size(), 2u);
    EXPECT_EQ(Hex(backend.writesPerOpen[0]), "1B 40 1B 79 02 1B 79 08 1B 7E 7E 01");
    EXPECT_EQ(Hex(backend.writesPerOpen[1]), "1B 7E 72 05");
    EXPECT_FALSE(backend.IsOpen());
    // Pre-init, before and after the preamble, after the reopen, and after the last output.
    std::vector<int64_t> pauses;
    for (int64_t ms : clock.sleeps)
        if (ms == 500 || ms == 3000) pauses.push_back(ms);
    EXPECT_EQ(pauses, (std::vector<int64_t>{500, 500, 500, 500, 500}));
    EXPECT_EQ(model->firmwareRevision, "1.23");
}

TEST_F(IdentificationTest, PreInitWithoutDigitKeepsTheSequence) {
    preInit = "\x1B@";
    SetSetting(0, "Pre_Init_Command", -1, "none");
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(Hex(backend.writesPerOpen[0].substr(0, 2)), "1B 40");
}

TEST_F(IdentificationTest, NoMapLoadedFindsTheMatchingMap) {
    WriteFileBytes("other.map", WithMapLock("Model RP-OTHER\nFirmware 9.99\nX 1 1 1\n"));
    model->model = "whatever";
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, "rptest.map");
    EXPECT_EQ(model->model, "RP-TEST");
    EXPECT_TRUE(HasEntry(Kind::Status, "No Map file loaded, found compatible map file: rptest.map\n\nUsing : rptest.map"));
}

TEST_F(IdentificationTest, FirstMatchingMapInListingOrderWins) {
    WriteFileBytes("A_first.MAP", WithMapLock("Model RP-FIRST\nFirmware 1.23\nX 1 1 1\n"));
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, "A_first.MAP");
    EXPECT_EQ(model->model, "RP-FIRST");
}

TEST_F(IdentificationTest, LoadedMapForOtherFirmwareIsReplaced) {
    WriteFileBytes("old.map", WithMapLock("Model RP-TEST\nFirmware 1.00\nX 1 1 1\n"));
    ASSERT_TRUE(LoadMapFile(*model, "old.map", false, reporter));
    model->model = "RP-TEST";
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, "rptest.map");
    EXPECT_TRUE(HasEntry(Kind::Status,
                         "Firmware specification in Map file does not match firmware ID read out of printer. "
                         "Locating suitable map file."));
    EXPECT_FALSE(HasEntry(Kind::Status, "No Map file loaded, found compatible map file: rptest.map\n\nUsing : "
                                        "rptest.map"));
}

TEST_F(IdentificationTest, MatchingLoadedMapIsKept) {
    ASSERT_TRUE(LoadMapFile(*model, "rptest.map", false, reporter));
    model->model = "RP-TEST";
    WriteFileBytes("aaa.map", WithMapLock("Model RP-TEST\nFirmware 1.23\nX 1 1 1\n"));
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, "rptest.map");
    EXPECT_TRUE(reporter.Statuses().empty());
}

TEST_F(IdentificationTest, MapChecksAndSearchFailures) {
    struct Case {
        const char* loadedMap;  // nullptr: none loaded
        const char* extraFile;
        std::string firmware;
        std::string error;
        int eventCode;
    };
    const Case cases[] = {
        {"Firmware 1.23\nX 1 1 1\n", nullptr, "1.23", "Model field not found in Map file", 0},
        {"Model RP-TEST\nX 1 1 1\n", nullptr, "1.23", "Firmware field not found in Map file", 0},
        {nullptr, "Model RP-NOFW\nX 1 1 1\n", "1.23", "Could not find Firmware field in file: a.map", 0},
        {nullptr, nullptr, "9.99",
         "Could not find suitable map file for Model/Firmware: RP-TEST / 9.99 \nVisit "
         "https://www.pellam.example/printers for an update.",
         0},
    };
    for (const Case& c : cases) {
        reporter.entries.clear();
        model->mapFilePath.clear();
        model->model = "RP-TEST";
        if (c.loadedMap) {
            WriteFileBytes("loaded.dat", WithMapLock(c.loadedMap));
            ASSERT_TRUE(LoadMapFile(*model, "loaded.dat", false, reporter));
        }
        if (c.extraFile) WriteFileBytes("a.map", WithMapLock(c.extraFile));
        printer.firmwareReply = std::string("~r\x05") + "REV:" + c.firmware;

        EXPECT_EQ(IdentifyPrinter(context), 0) << c.error;
        EXPECT_EQ(ErrorsWithCode(c.eventCode), std::vector<std::string>{c.error});
        EXPECT_FALSE(backend.IsOpen());
        std::remove("a.map");
    }
}

TEST_F(IdentificationTest, StrayByteBeforeTheReplyIsDropped) {
    printer.strayBytes.push_back('\x7F');
    printer.firmwareReply = std::string("~r\x05") + "REV:1.23";
    EXPECT_EQ(CheckFirmwareRevision(context, "1.23"), 1);
    EXPECT_EQ(model->firmwareRevision, "1.23");
}

TEST_F(IdentificationTest, WrongHeadIsRetriedOnceAfterAPause) {
    int queries = 0;
    backend.responder = [&](FakePortBackend& port, const std::string& written) {
        if (written != cmd::kFirmwareQuery) return;
        port.QueueReply(++queries == 1 ? std::string("garbage") : std::string("~r\x05REV:1.23"));
    };
    EXPECT_EQ(CheckFirmwareRevision(context, "1.23"), 1);
    EXPECT_EQ(queries, 2);
    EXPECT_NE(std::find(clock.sleeps.begin(), clock.sleeps.end(), 3000), clock.sleeps.end());
}

TEST_F(IdentificationTest, ReplyStartingWithAZeroByteIsAWrongHead) {
    // Reads as an empty text; once ended the program with an uncaught out-of-range exception.
    int queries = 0;
    backend.responder = [&](FakePortBackend& port, const std::string& written) {
        if (written != cmd::kFirmwareQuery) return;
        ++queries;
        port.QueueReply(std::string("\0~r\x05REV:1.23", 12));
    };
    EXPECT_EQ(IdentifyPrinter(context), 0);
    EXPECT_EQ(queries, 2) << "the wrong head earns the one retry";
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Unable to read Firmware field/number from printer \"REV:\""});
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(IdentificationTest, ReplyWithoutIdentifierIsAFirmwareReadError) {
    printer.firmwareReply = std::string("~r\x05") + "REV:";
    EXPECT_EQ(IdentifyPrinter(context), 0);
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Unable to read Firmware field/number from printer \"REV:\""});
}

TEST_F(IdentificationTest, SilentPrinterClosesThePortAfterQuietWait) {
    printer.silent = true;
    EXPECT_EQ(IdentifyPrinter(context), 0);
    ASSERT_FALSE(reporter.entries.empty());
    const auto& last = reporter.entries.back();
    EXPECT_EQ(last.text, kClosingPortError);
    EXPECT_EQ(last.eventCode, 4);
    EXPECT_FALSE(last.quiet) << "logging resumes before the failure is reported";
    EXPECT_EQ(reporter.quietDepth, 0);
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(IdentificationTest, FirmwareChecks) {
    printer.firmwareReply = std::string("~r\x05") + "REV:ABCDEF12";
    struct Case {
        bool revision;
        const char* expected;
        int result;
    };
    const Case cases[] = {
        {false, "ABCDEFxyz", 1}, {false, "ABCDEF", 1}, {false, "ABC", 0}, {false, "ABCDEX", 0},
        {true, "ABCDEF12", 1},   {true, "ABCDEF", 0},  {true, "abcdef12", 0},
    };
    for (const Case& c : cases) {
        model->firmwareRevision = "before";
        const int result = c.revision ? CheckFirmwareRevision(context, c.expected) : CheckFirmwarePrefix(context, c.expected);
        EXPECT_EQ(result, c.result) << c.expected;
        EXPECT_EQ(model->firmwareRevision, c.revision ? "ABCDEF12" : "") << c.expected;
    }
}

TEST_F(IdentificationTest, UnreachablePrinterFailsTheCheck) {
    backend.failOpen.Always();
    EXPECT_EQ(CheckFirmwarePrefix(context, "ABCDEF"), 0);
    EXPECT_EQ(reporter.Errors().back(), kClosingPortError);
}

TEST_F(IdentificationTest, MatchMapToModelSearchesByModelWithoutPrinterTraffic) {
    WriteFileBytes("0nomodel.map", WithMapLock("Firmware 1.23\nX 1 1 1\n"));
    model->model = "RP-TEST";
    EXPECT_EQ(MatchMapToModel(context), 1);
    EXPECT_EQ(model->mapFilePath, "rptest.map");
    EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Could not find Model field in file: 0nomodel.map"});
    EXPECT_EQ(backend.openCalls, 0);

    model->model = "RP-NONE";
    EXPECT_EQ(MatchMapToModel(context), 0);
    EXPECT_EQ(reporter.Errors().back(),
              "Could not find suitable map file for Model: RP-NONE \nVisit https://www.pellam.example/printers for an "
              "update.");
    EXPECT_EQ(model->mapFilePath, "");
}

TEST_F(IdentificationTest, AWorkingFolderWithoutAMatchingMapTakesOneFromTheModelFolders) {
    ModelFolders folders;  // an empty working folder of its own
    WriteFileBytes("other.map", WithMapLock("Model RP-OTHER\nFirmware 9.99\nX 1 1 1\n"));
    ModelFolders::Put(folders.Home(), "home.map", WithMapLock("Model RP-HOME\nFirmware 1.00\nX 1 1 1\n"));
    const std::string shared = ModelFolders::Put(folders.Share1(), "rptest.map", WithMapLock(kTestMapBody));
    ModelFolders::Put(folders.Share2(), "later.map", WithMapLock("Model RP-TEST\nFirmware 1.23\nY 1 1 1\n"));

    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, shared);
    EXPECT_EQ(model->model, "RP-TEST");
    EXPECT_TRUE(reporter.Errors().empty());

    model->mapFilePath.clear();
    EXPECT_EQ(MatchMapToModel(context), 1);
    EXPECT_EQ(model->mapFilePath, shared);

    // A matching map of the working folder wins over them all.
    WriteFileBytes("zz.map", WithMapLock(kTestMapBody));
    model->mapFilePath.clear();
    ASSERT_EQ(IdentifyPrinter(context), 1);
    EXPECT_EQ(model->mapFilePath, "zz.map");
}

}  // namespace
}  // namespace varnel::test
