#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RecordingFilesView.h"
#include "files/PrinterFileManager.h"
#include "io/IOComm.h"
#include "io/Reconnect.h"
#include "model/ConfigModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/HexBytes.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using namespace std::string_literals;
using test::Hex;

constexpr const char* kPort = "127.0.0.1:9100";

class PrinterFileManagerTest : public ::testing::Test {
protected:
    PrinterFileManagerTest() {
        ResetRetryStates();  // the port's reconnect counters are process-wide
        folder.Enter();  // Read / Save to Disk writes there
        model.portName = kPort;
        backend.clock = &clock;
        view.onTimer = [this] { manager.RefreshTimerFired(); };
    }

    // The printer answers a list request with `reply`.
    void AnswerListWith(std::string reply) {
        backend.responder = [reply](test::FakePortBackend& b, const std::string& written) {
            if (written == "\x1B" "fI") b.QueueReply(reply);
        };
    }
    std::vector<std::string> SentPerOpen() const { return backend.writesPerOpen; }
    // How often the list was asked for.
    int ListReads() const {
        return static_cast<int>(std::count(backend.writesPerOpen.begin(), backend.writesPerOpen.end(), "\x1B" "fI"));
    }
    static int Occurrences(const std::string& text, const std::string& what) {
        int count = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
        return count;
    }
    int Count(int64_t ms) const {
        return static_cast<int>(std::count(clock.sleeps.begin(), clock.sleeps.end(), ms));
    }

    test::ScratchDir folder;
    ConfigModel model;
    test::FakeClock clock;
    test::MemorySettingsStore store;
    test::RecordingReporter reporter;
    test::FakePortBackend backend;
    IOComm port{store, clock, reporter, backend};
    FileManagerState state;
    test::RecordingFilesView view;
    PrinterFileManager manager{FilesContext{model, port, reporter, clock, state}, view};
};

// ---- Refresh

TEST_F(PrinterFileManagerTest, ListReplyGivesOneEntryPerTextAndListsRepeatsOnce) {
    AnswerListWith("A\tx\0B\0a\tX\0\0"s);
    ASSERT_EQ(manager.Refresh(), 1);
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), "1B 66 49");
    EXPECT_EQ(view.entries, (std::vector<std::string>{"A\tx", "B"}));
    EXPECT_EQ(view.tabStops, (std::vector<int>{90, 120, 130, 140, 150}));
    EXPECT_EQ(state.listAnswered, 1);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(Count(1000), 0) << "a complete reply needs no pause for missing bytes";
}

TEST_F(PrinterFileManagerTest, SilentPrinterLeavesTheListEmptyAfterTwoPauses) {
    view.entries = {"old\t1"};
    ASSERT_EQ(manager.Refresh(), 1);
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(Count(1000), 2);
    EXPECT_EQ(Count(200), 1);
    EXPECT_EQ(state.listAnswered, 0) << "no answer came";
    EXPECT_FALSE(backend.IsOpen());
}

// The read ends with the empty text that ends the list; an empty list is that text alone. No
// pause is spent waiting for bytes after it.
TEST_F(PrinterFileManagerTest, ReadEndsAtTheListsEndAlsoWhenTheListIsEmpty) {
    const struct {
        std::string reply;
        std::vector<std::string> entries;
    } cases[] = {
        {"\0"s, {}},
        {"A\0\0"s, {"A"}},
        {"A\0B\0\0"s, {"A", "B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Hex(c.reply));
        clock.sleeps.clear();
        state.listAnswered = 0;
        view.entries = {"old\t1"};
        AnswerListWith(c.reply);
        ASSERT_EQ(manager.Refresh(), 1);
        EXPECT_EQ(view.entries, c.entries);
        EXPECT_EQ(state.listAnswered, 1) << "the printer answered";
        EXPECT_EQ(Count(1000), 0);
    }
}

TEST_F(PrinterFileManagerTest, ByteThatComesOnTheSecondTryDoesNotSplitTheName) {
    backend.responder = [](test::FakePortBackend& b, const std::string& written) {
        if (written != "\x1B" "fI") return;
        b.QueueReply("lo");
        b.QueueReply("");  // one read that brings nothing
        b.QueueReply("go.bmp\0\0"s);
    };
    manager.Refresh();
    EXPECT_EQ(view.entries, (std::vector<std::string>{"logo.bmp"}));
    EXPECT_EQ(Count(1000), 1);
}

TEST_F(PrinterFileManagerTest, ReplyOfMoreThan8000BytesIsCutThere) {
    std::string reply;
    for (int i = 0; reply.size() < 9000; ++i) reply += "file" + std::to_string(i) + "\t12345678901234567890" + '\0';
    AnswerListWith(reply);
    manager.Refresh();
    ASSERT_FALSE(view.entries.empty());
    EXPECT_LT(view.entries.size(), 400u);
    EXPECT_EQ(backend.replies.front().bytes.size(), reply.size() - 8000) << "nothing read past 8000 bytes";
}

TEST_F(PrinterFileManagerTest, NoPortNameIsReportedAndNothingIsOpened) {
    model.portName.clear();
    EXPECT_EQ(manager.Refresh(), 0);
    EXPECT_EQ(reporter.Errors(),
              std::vector<std::string>{"I/O Port not specified, or I/O Port not specified before file parameter."});
    EXPECT_EQ(backend.openCalls, 0);
}

// ---- Refresh scheduling

// A refresh scheduled while a list read runs is that read: no second one follows.
TEST_F(PrinterFileManagerTest, RefreshScheduledWhileOneRunsIsMergedIntoIt) {
    backend.responder = [this](test::FakePortBackend& b, const std::string& written) {
        if (written != "\x1B" "fI") return;
        manager.ScheduleRefresh();  // Refresh List, while the printer is being asked
        b.QueueReply("A\0\0"s);
    };
    manager.Initialise();
    view.PumpMessages();
    view.PumpMessages();
    EXPECT_EQ(ListReads(), 1);
    EXPECT_FALSE(view.timerRunning);
    EXPECT_EQ(view.entries, std::vector<std::string>{"A"});
}

// A refresh whose timer fires in the middle of another operation waits for its end, so that it
// does not take the port from under it, and then runs once.
TEST_F(PrinterFileManagerTest, RefreshDueDuringAnotherOperationRunsAfterIt) {
    AnswerListWith("A\0\0"s);
    backend.responder = [this, inner = backend.responder](test::FakePortBackend& b, const std::string& written) {
        inner(b, written);
        if (written != "\x1B" "f\x40"s) return;
        manager.ScheduleRefresh();
        view.FireTimer();  // handed out by a pause of the reset
    };
    ASSERT_EQ(manager.ResetPrinter(), 1);
    EXPECT_EQ(SentPerOpen(), std::vector<std::string>{"\x1B" "f\x40"s}) << "no list read inside the reset";
    EXPECT_TRUE(view.timerRunning) << "started again when the reset was over";
    view.PumpMessages();
    EXPECT_EQ(SentPerOpen(), (std::vector<std::string>{"\x1B" "f\x40"s, "\x1B" "fI"}));
    EXPECT_EQ(view.entries, std::vector<std::string>{"A"});
}

// ---- Upload

class UploadTest : public PrinterFileManagerTest {
protected:
    std::string LocalFile(const std::string& name, size_t size) {
        std::string bytes;
        for (size_t i = 0; i < size; ++i) bytes.push_back(static_cast<char>('a' + i % 26));
        test::WriteFileBytes(folder.File(name), bytes);
        return folder.File(name);
    }
};

TEST_F(UploadTest, FileOf2500BytesGoesInBlocksOf1000With_LowByteFirstLengths) {
    const std::string path = LocalFile("logo.bmp", 2500);
    const std::string data = test::ReadFileBytes(path);
    AnswerListWith("logo.bmp\t2500\0\0"s);
    ASSERT_EQ(manager.Upload({path}), 1);

    const std::string expected = "\x1B" "fOw logo.bmp"s + '\0' +
                                 "\x1B" "fW\xE8\x03"s + data.substr(0, 1000) +
                                 "\x1B" "fW\xE8\x03"s + data.substr(1000, 1000) +
                                 "\x1B" "fW\xF4\x01"s + data.substr(2000, 500) +
                                 "\x1B" "fC"s;
    ASSERT_EQ(backend.writesPerOpen.size(), 2u) << "the upload, then the list read";
    EXPECT_EQ(Hex(backend.writesPerOpen[0]), Hex(expected));
    EXPECT_EQ(Hex(backend.writesPerOpen[1]), "1B 66 49");
    EXPECT_EQ(view.entries, std::vector<std::string>{"logo.bmp\t2500"});

    // The command text, its length bytes and the block each go out on their own.
    const auto& calls = backend.writeCalls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "\x1B" "fW"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "\xF4\x01"), calls.end());
    // The bar by bytes sent, after every block, and still full after the list read.
    EXPECT_EQ(view.progress, (std::vector<int>{0, 40, 80, 100, 100}));
    EXPECT_EQ(view.pumps, 4) << "the dialog answers before the file and before each block";
    EXPECT_EQ(view.cancelOffers, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.captions.back(), "File(s) in printer.  [127.0.0.1:9100]");
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(UploadTest, BarShowsThePercentOfTheFilesBytesSentAfterEachBlock) {
    const struct {
        size_t size;
        std::vector<int> progress;
    } cases[] = {
        {0, {0, 100}},
        {1, {0, 100, 100}},
        {999, {0, 100, 100}},
        {1000, {0, 100, 100}},
        {1001, {0, 99, 100, 100}},
        {3001, {0, 33, 66, 99, 100, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        view.progress.clear();
        ASSERT_EQ(manager.Upload({LocalFile("f.bin", c.size)}), 1);
        EXPECT_EQ(view.progress, c.progress);
        EXPECT_EQ(view.ranges.back(), std::make_pair(0, 100));
    }
}

// The printer takes blocks 1 and 2 of a 3500-byte file; Cancel is seen before block 3, which is
// never announced. The printer's file is closed, the port too, and the list read shows what the
// printer holds; the other dropped files are not started.
TEST_F(UploadTest, CancelAfterABlockSendsNoFurtherBlockClosesThePrintersFileAndRefreshes) {
    const std::string first = LocalFile("logo.bmp", 3500);
    const std::string data = test::ReadFileBytes(first);
    const std::string second = LocalFile("second.txt", 10);
    const std::string third = LocalFile("third.txt", 10);
    AnswerListWith("logo.bmp\t2000\0\0"s);
    view.cancelWhen = [this] { return Occurrences(backend.allWritten, "\x1B" "fW") == 2; };
    EXPECT_EQ(manager.Upload({first, second, third}), 0);

    ASSERT_EQ(backend.writesPerOpen.size(), 2u) << "the cut upload, then the list read";
    EXPECT_EQ(Hex(backend.writesPerOpen[0]), Hex("\x1B" "fOw logo.bmp"s + '\0' +
                                                 "\x1B" "fW\xE8\x03"s + data.substr(0, 1000) +
                                                 "\x1B" "fW\xE8\x03"s + data.substr(1000, 1000) +
                                                 "\x1B" "fC"s));
    EXPECT_EQ(Hex(backend.writesPerOpen[1]), "1B 66 49");
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(view.entries, std::vector<std::string>{"logo.bmp\t2000"});
    EXPECT_EQ(view.progress, (std::vector<int>{0, 28, 57})) << "left where the transfer stopped";
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Upload cancelled after 2000 of 3500 bytes of "
                                                   "\"logo.bmp\": the printer holds the part sent; the 2 files "
                                                   "after it were not sent"});
    EXPECT_EQ(view.cancelOffers, (std::vector<bool>{true, false}));
    EXPECT_EQ(view.captions.back(), "File(s) in printer.  [127.0.0.1:9100]");
}

// A Cancel that comes once a file is complete leaves it whole and opens no further file.
TEST_F(UploadTest, CancelBetweenTwoFilesLeavesTheNextUnopened) {
    const std::string first = LocalFile("first.txt", 1500);
    const std::string second = LocalFile("second.txt", 10);
    const std::string third = LocalFile("third.txt", 10);
    view.cancelWhen = [this] { return Occurrences(backend.allWritten, "\x1B" "fC") == 1; };
    EXPECT_EQ(manager.Upload({first, second, third}), 0);

    EXPECT_EQ(Occurrences(backend.allWritten, "\x1B" "fW"), 2) << "the first file whole";
    EXPECT_EQ(backend.allWritten.find("second"), std::string::npos);
    EXPECT_EQ(view.progress.back(), 100);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Upload cancelled: \"second.txt\" was not sent; the file "
                                                   "after it was not sent"});
    EXPECT_FALSE(backend.IsOpen());
}

// A Cancel asked during one upload is forgotten by the next, which offers its own.
TEST_F(UploadTest, CancelOfAnEarlierUploadDoesNotStopTheNextOne) {
    const std::string path = LocalFile("a.txt", 2500);
    view.cancelWhen = [] { return true; };
    EXPECT_EQ(manager.Upload({path}), 0);
    view.cancelWhen = nullptr;
    backend.allWritten.clear();
    EXPECT_EQ(manager.Upload({path}), 1);
    EXPECT_EQ(Occurrences(backend.allWritten, "\x1B" "fW"), 3);
}

// "Upload..." asks for the files and sends them as a drop of the same files does.
// A file the printer already lists is replaced only on Yes (names compare regardless of case);
// No skips that file and the others still go, all asked before the port opens.
TEST_F(UploadTest, AFileThePrinterHoldsIsReplacedOnlyOnYes) {
    const std::string logo = LocalFile("LOGO.BMP", 10);
    const std::string fresh = LocalFile("fresh.txt", 5);
    AnswerListWith("logo.bmp\t2500\0\0"s);
    ASSERT_EQ(manager.Refresh(), 1);
    backend.writesPerOpen.clear();
    const int opensBefore = backend.openCalls;

    view.answerYes = false;
    ASSERT_EQ(manager.Upload({logo, fresh}), 1);
    EXPECT_EQ(view.questions, std::vector<std::string>{"Varnel: The printer already holds a file \"LOGO.BMP\".\n"
                                                       "Replace it with the file from the computer?"});
    EXPECT_EQ(backend.allWritten.find("fOw LOGO.BMP"), std::string::npos);
    EXPECT_NE(backend.allWritten.find("fOw fresh.txt"), std::string::npos);
    EXPECT_GT(backend.openCalls, opensBefore);

    view.answerYes = true;
    view.questions.clear();
    ASSERT_EQ(manager.Upload({logo}), 1);
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_NE(backend.allWritten.find("fOw LOGO.BMP"), std::string::npos);
}

TEST_F(UploadTest, ChosenFilesGoTheWayOfADrop) {
    const std::string first = LocalFile("first.txt", 1200);
    const std::string second = LocalFile("second.txt", 3);
    AnswerListWith("first.txt\t1200\0second.txt\t3\0\0"s);
    ASSERT_EQ(manager.Upload({first, second}), 1);
    const std::vector<std::string> dropped = SentPerOpen();

    backend.writesPerOpen.clear();
    view.chosenFiles = {first, second};
    view.answerYes = true;  // both are in the printer now: each is replaced after a question
    ASSERT_EQ(manager.UploadChosen(), 1);
    EXPECT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.choosers, 1);
    EXPECT_EQ(SentPerOpen(), dropped);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"first.txt\t1200", "second.txt\t3"}));

    // Its errors are the drop's too.
    view.chosenFiles = {folder.File("missing.txt")};
    EXPECT_EQ(manager.UploadChosen(), 0);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Cannot read file."});
}

TEST_F(UploadTest, CancelledChooserSendsNothing) {
    view.chosenFiles = {};
    EXPECT_EQ(manager.UploadChosen(), 0);
    EXPECT_EQ(view.choosers, 1);
    EXPECT_EQ(backend.openCalls, 0);
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(UploadTest, PrinterNameIsThePartAfterTheLastSlash) {
    test::ScratchDir other;
    std::filesystem::create_directory(other.File("sub"));
    test::WriteFileBytes(other.File("sub/a.txt"), "hi");
    manager.Upload({other.File("sub/a.txt")});
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), Hex("\x1B" "fOw a.txt\0"s "\x1B" "fW\x02\x00hi" "\x1B" "fC"s));
}

TEST_F(UploadTest, EmptyFileSendsTheOpenCommandAndTheCloseCommandOnly) {
    const std::string path = LocalFile("empty.txt", 0);
    manager.Upload({path});
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), "1B 66 4F 77 20 65 6D 70 74 79 2E 74 78 74 00 1B 66 43");
}

TEST_F(UploadTest, FileThatCannotBeReadStopsTheWholeDrop) {
    const std::string good = LocalFile("good.txt", 10);
    ASSERT_EQ(manager.Upload({folder.File("missing.txt"), good}), 0);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Cannot read file."});
    EXPECT_EQ(backend.allWritten, "") << "neither the unreadable file nor the next one is sent";
    EXPECT_EQ(view.captions.back(), "File(s) in printer.  [127.0.0.1:9100]");
}

TEST_F(UploadTest, FailedSendShowsTheCommunicationsErrorAndSendsNoFurtherFile) {
    const std::string first = LocalFile("first.txt", 1500);
    const std::string second = LocalFile("second.txt", 10);
    backend.failWrite.From(5);  // open text, name end, block head, lengths; the block fails
    ASSERT_EQ(manager.Upload({first, second}), 0);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"ERROR: Communications error"});
    EXPECT_EQ(backend.allWritten.find("second"), std::string::npos);
}

TEST_F(UploadTest, ShortWriteOfABlockIsACommunicationsError) {
    const std::string path = LocalFile("short.txt", 1000);
    // The printer stops taking bytes once the first block command is in.
    backend.responder = [](test::FakePortBackend& b, const std::string& written) {
        if (written == "\x1B" "fW") b.acceptNothing = true;
    };
    EXPECT_EQ(manager.Upload({path}), 0);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"ERROR: Communications error"});
}

TEST_F(UploadTest, PortThatCannotOpenIsACommunicationsError) {
    const std::string path = LocalFile("a.txt", 10);
    backend.failOpen.Always();
    EXPECT_EQ(manager.Upload({path}), 0);
    EXPECT_EQ(view.boxes, std::vector<std::string>{"ERROR: Communications error"});
}

// ---- Read / Save to Disk

class SaveToDiskTest : public PrinterFileManagerTest {
protected:
    // The printer holds `files`; it answers the list, open-for-reading and read-block commands.
    void PrinterHolds(std::map<std::string, std::string> files) {
        printerFiles = std::move(files);
        backend.responder = [this](test::FakePortBackend& b, const std::string& written) {
            if (written.rfind("\x1B" "fOr ", 0) == 0) {
                openName = written.substr(5);
                readOffset = 0;
            } else if (written == "\x64\x00"s) {
                const std::string& data = printerFiles[openName];
                if (readOffset < data.size()) b.QueueReply(data.substr(readOffset, 100));
                readOffset += 100;
            }
        };
    }
    std::map<std::string, std::string> printerFiles;
    std::string openName;
    size_t readOffset = 0;
};

TEST_F(SaveToDiskTest, SelectedFileIsWrittenUnderItsOwnNameReplacingAnOldOneOnYes) {
    std::string data(250, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i);
    PrinterHolds({{"logo.bmp", data}});
    test::WriteFileBytes("logo.bmp", "old contents that are longer than nothing");
    view.entries = {"other\t1", "logo.bmp\t250"};
    view.selected = {1};
    view.answerYes = true;
    ASSERT_EQ(manager.SaveToDisk(), 1);

    EXPECT_EQ(view.questions, std::vector<std::string>{"Varnel: The file \"logo.bmp\" already exists in the current "
                                                       "folder.\nReplace it with the printer's file?"});
    EXPECT_EQ(test::ReadFileBytes("logo.bmp"), data);
    const std::string chunk = "\x1B" "fR\x64\x00"s;
    EXPECT_EQ(Hex(backend.allWritten), Hex("\x1B" "fOr logo.bmp\0"s + chunk + chunk + chunk + chunk + "\x1B" "fC"));
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1) << "no temporary file left";
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Saved to disk:\n\n" + folder.path() + "/logo.bmp"});
    EXPECT_EQ(view.progress, (std::vector<int>{0, 40, 80, 100, 100})) << "by bytes of the listed size; kept full";
    EXPECT_EQ(view.cancelOffers, (std::vector<bool>{true, false}));
}

// The listed size gives a bar by bytes; an entry without a plain number there gets a busy bar,
// which becomes a full one at the end.
TEST_F(SaveToDiskTest, EntryWithoutAPlainSizeGetsABusyBar) {
    const struct {
        std::string entry;
        bool busy;
    } cases[] = {
        {"logo.bmp\t300", false}, {"logo.bmp\t300\t7", false}, {"logo.bmp", true},
        {"logo.bmp\t", true},     {"logo.bmp\t3OO", true},     {"logo.bmp\t0", true},
    };
    PrinterHolds({{"logo.bmp", std::string(300, 'x')}});
    view.answerYes = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        view.ranges.clear();
        view.progress.clear();
        view.entries = {c.entry};
        view.selected = {0};
        ASSERT_EQ(manager.SaveToDisk(), 1);
        EXPECT_EQ(test::ReadFileBytes("logo.bmp"), std::string(300, 'x'));
        ASSERT_FALSE(view.ranges.empty());
        EXPECT_EQ(view.ranges.front(), std::make_pair(0, c.busy ? 0 : 100));
        EXPECT_EQ(view.ranges.back(), std::make_pair(0, 100));
        EXPECT_EQ(view.progress.back(), 100);
        if (!c.busy) {
            EXPECT_EQ(view.progress, (std::vector<int>{0, 33, 66, 100, 100}));
        }
    }
}

// Cancel in the middle of the second file: the first stays saved and is listed as saved; the
// second's partial copy is thrown away and the local file it would have replaced stays as it was.
// The printer's file is closed and the port too; the third file is not asked for.
TEST_F(SaveToDiskTest, CancelDiscardsThePartialFileAndKeepsTheFilesSavedBefore) {
    PrinterHolds({{"a.txt", std::string(250, 'a')}, {"b.txt", std::string(350, 'b')}, {"c.txt", "c"}});
    test::WriteFileBytes("b.txt", "precious");
    view.entries = {"a.txt\t250", "b.txt\t350", "c.txt\t1"};
    view.selected = {0, 1, 2};
    view.answerYes = true;
    // a.txt takes four chunk requests (the last comes back empty); b.txt two before the Cancel.
    view.cancelWhen = [this] { return Occurrences(backend.allWritten, "\x1B" "fR") == 6; };
    EXPECT_EQ(manager.SaveToDisk(), 0);

    EXPECT_EQ(test::ReadFileBytes("a.txt"), std::string(250, 'a'));
    EXPECT_EQ(test::ReadFileBytes("b.txt"), "precious");
    EXPECT_FALSE(std::filesystem::exists("c.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2) << "no temporary file left";
    const std::string chunk = "\x1B" "fR\x64\x00"s;
    EXPECT_EQ(Hex(backend.allWritten.substr(backend.allWritten.find("\x1B" "fOr b.txt"))),
              Hex("\x1B" "fOr b.txt\0"s + chunk + chunk + "\x1B" "fC"));
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(view.progress, (std::vector<int>{0, 40, 80, 100, 100, 0, 28, 57, 0}));
    EXPECT_EQ(view.boxes, std::vector<std::string>{"Varnel: Save to Disk cancelled: \"b.txt\" was not saved\n\n"
                                                   "Saved to disk:\n\n" + folder.path() + "/a.txt"});
    EXPECT_EQ(view.cancelOffers, (std::vector<bool>{true, false}));
    EXPECT_TRUE(reporter.Errors().empty());
}

// No keeps the local file and skips that printer file only; a new file is not asked about.
TEST_F(SaveToDiskTest, NoKeepsTheLocalFileAndSkipsThatFileOnly) {
    PrinterHolds({{"logo.bmp", "new logo"}, {"fresh.txt", "fresh"}});
    test::WriteFileBytes("logo.bmp", "precious");
    view.entries = {"fresh.txt\t5", "logo.bmp\t8"};
    view.selected = {0, 1};
    view.answerYes = false;
    ASSERT_EQ(manager.SaveToDisk(), 1);

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].find("\"logo.bmp\""), std::string::npos);
    EXPECT_EQ(test::ReadFileBytes("logo.bmp"), "precious");
    EXPECT_EQ(test::ReadFileBytes("fresh.txt"), "fresh");
    EXPECT_EQ(backend.allWritten.find("logo.bmp"), std::string::npos) << "nothing is asked of the printer for it";
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST_F(SaveToDiskTest, BrokenTransferKeepsTheExistingFileAndIsReported) {
    PrinterHolds({{"logo.bmp", std::string(300, 'x')}});
    test::WriteFileBytes("logo.bmp", "precious");
    view.entries = {"logo.bmp\t300"};
    view.selected = {0};
    view.answerYes = true;
    backend.failWrite.From(5);  // open text, name end, one chunk; the second chunk request fails
    manager.SaveToDisk();
    EXPECT_EQ(test::ReadFileBytes("logo.bmp"), "precious");
    ASSERT_EQ(reporter.Errors().size(), 1u);
    EXPECT_NE(reporter.Errors()[0].find("logo.bmp"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1) << "no temporary file left";
}

TEST_F(SaveToDiskTest, UnsafePrinterFileNamesAreRefusedAndTheOthersSaved) {
    PrinterHolds({{"ok.txt", "fine"}});
    view.entries = {"../evil\t4", "dir/evil\t4", "..\t4", ".\t4", "bell\x07\t4", "\t4", "ok.txt\t4"};
    view.selected = {0, 1, 2, 3, 4, 5, 6};
    manager.SaveToDisk();

    EXPECT_EQ(reporter.Errors().size(), 6u);
    for (const std::string& error : reporter.Errors()) EXPECT_NE(error.find("not saved"), std::string::npos) << error;
    EXPECT_NE(reporter.Errors()[0].find("../evil"), std::string::npos) << "the report names the file";
    EXPECT_EQ(backend.allWritten.find("evil"), std::string::npos) << "refused names are not even opened";
    EXPECT_EQ(test::ReadFileBytes("ok.txt"), "fine");
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "/../evil"));
}

// ---- Delete, Delete All, Reset Printer, Comm Port

// The GUI's clock hands out the refresh timer in every pause, as QtClock does.
class TimerInPausesClock : public test::FakeClock {
public:
    void Sleep(int64_t ms) override {
        FakeClock::Sleep(ms);
        if (view) view->FireTimer();
    }
    test::RecordingFilesView* view = nullptr;
};

class DeleteTest : public PrinterFileManagerTest {
protected:
    // The printer answers the list after the deletes with `reply`.
    void Delete(std::vector<std::string> entries, std::vector<size_t> selected, std::string reply) {
        AnswerListWith(std::move(reply));
        view.entries = std::move(entries);
        view.selected = std::move(selected);
        view.answerYes = true;
        ASSERT_EQ(manager.Delete(), 1);
    }
};

// Delete asks first, naming the files; No sends nothing and keeps the list.
TEST_F(DeleteTest, AsksBeforeDeletingAndNoSendsNothing) {
    view.entries = {"a.txt\t1", "b.txt\t2", "c.txt\t3"};
    view.selected = {0, 2};
    view.answerYes = false;
    EXPECT_EQ(manager.Delete(), 0);
    EXPECT_EQ(view.questions,
              std::vector<std::string>{"WARNING: Delete these files from the printer?\n\na.txt\nc.txt"});
    EXPECT_TRUE(backend.allWritten.empty());
    EXPECT_EQ(backend.openCalls, 0);
    EXPECT_EQ(view.entries.size(), 3u);
}

TEST_F(DeleteTest, SendsEachSelectedNameThenWaitsForTheListToComeBack) {
    Delete({"a.txt\t1", "b.txt\t2", "c.txt\t3"}, {0, 2}, "b.txt\t2\0\0"s);
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), Hex("\x1B" "fDa.txt\0" "\x1B" "fDc.txt\0"s));
    EXPECT_EQ(Count(1200 * 2), 1) << "1200 ms for every file sent";
    EXPECT_EQ(view.entries, std::vector<std::string>{"b.txt\t2"}) << "the refresh ran while messages were handled";
    EXPECT_EQ(ListReads(), 1);
    EXPECT_EQ(view.progress.front(), 1);
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_FALSE(view.timerRunning) << "no read is left to run after the wait";
}

// The last file gone, the printer answers with an empty list: that answer ends the wait, after
// the printer's own time to come back.
TEST_F(DeleteTest, EmptyAnswerAfterDeletingTheLastFileEndsTheWait) {
    state.listAnswered = 1;
    Delete({"a.txt\t1"}, {0}, "\0"s);
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(ListReads(), 1);
    EXPECT_EQ(state.listAnswered, 1);
    EXPECT_EQ(Count(1000), 2) << "the pause after the delete, then one wait for the list";
    EXPECT_EQ(Count(1200), 1);
    EXPECT_EQ(Count(200), 2) << "the list read's pause and the end pause";
    EXPECT_EQ(view.progress, (std::vector<int>{1, 1, 5, 0, 15, 0}));
}

// With the program's clock the timer comes due in every pause, the per-file ones included, while
// the port is open for the deletes: the list is still read once, after them, on its own connection.
TEST_F(DeleteTest, TimerDueInEveryPauseStillGivesOneListReadAfterTheDeletes) {
    TimerInPausesClock pausing;
    pausing.view = &view;
    IOComm pausingPort{store, pausing, reporter, backend};
    backend.clock = &pausing;
    PrinterFileManager withPauses(FilesContext{model, pausingPort, reporter, pausing, state}, view);
    view.onTimer = [&withPauses] { withPauses.RefreshTimerFired(); };
    withPauses.ScheduleRefresh();  // e.g. Refresh List just before Delete

    AnswerListWith("b.txt\t2\0\0"s);
    view.entries = {"a.txt\t1", "b.txt\t2", "c.txt\t3"};
    view.selected = {0, 2};
    view.answerYes = true;
    ASSERT_EQ(withPauses.Delete(), 1);
    EXPECT_EQ(SentPerOpen(), (std::vector<std::string>{"\x1B" "fDa.txt\0" "\x1B" "fDc.txt\0"s, "\x1B" "fI"}));
    EXPECT_EQ(view.entries, std::vector<std::string>{"b.txt\t2"});
    EXPECT_FALSE(view.timerRunning);
}

// A printer that does not answer the list at all keeps the wait to its ten rounds, one read each.
TEST_F(DeleteTest, SilentPrinterIsWaitedForTenRoundsWithOneReadEach) {
    view.entries = {"a.txt\t1"};
    view.selected = {0};
    view.answerYes = true;
    ASSERT_EQ(manager.Delete(), 1);
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(ListReads(), 10);
    EXPECT_EQ(state.listAnswered, 0);
    EXPECT_EQ(Count(1000), 1 + 10 + 10 * 2) << "after the delete, ten waits, two tries in every read";
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(DeleteTest, FailedSendStopsAtOnceWithTheBarBackAtZero) {
    backend.failWrite.From(1);
    view.entries = {"a.txt\t1"};
    view.selected = {0};
    view.answerYes = true;
    EXPECT_EQ(manager.Delete(), 0);
    EXPECT_EQ(ListReads(), 0);
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(PrinterFileManagerTest, DeleteAllAnsweredNoSendsNothing) {
    view.answerYes = false;
    EXPECT_EQ(manager.DeleteAll(), 0);
    EXPECT_EQ(view.questions, std::vector<std::string>{"WARNING: Are you sure you wish to delete all files?"});
    EXPECT_EQ(backend.openCalls, 0);
}

TEST_F(PrinterFileManagerTest, DeleteAllAnsweredYesErasesWaitsInAHundredStepsThenShowsTheAnswer) {
    view.answerYes = true;
    view.entries = {"a.txt\t1", "b.txt\t2"};
    AnswerListWith("\0"s);
    ASSERT_EQ(manager.DeleteAll(), 1);
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), "1B 66 45");
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(Count(100), 100);
    ASSERT_EQ(view.progress.size(), 101u);
    EXPECT_EQ(view.progress[99], 99);
    EXPECT_EQ(view.progress.back(), 0);
    EXPECT_EQ(ListReads(), 0) << "the list is read from the timer, after the operation";

    view.PumpMessages();
    EXPECT_EQ(ListReads(), 1);
    EXPECT_TRUE(view.entries.empty());
    EXPECT_EQ(view.progress.back(), 0);
}

TEST_F(PrinterFileManagerTest, DeleteAllWithoutAPortIsReportedAfterTheQuestion) {
    view.answerYes = true;
    model.portName.clear();
    EXPECT_EQ(manager.DeleteAll(), 0);
    EXPECT_EQ(reporter.Errors().size(), 1u);
    EXPECT_EQ(backend.openCalls, 0);
}

TEST_F(PrinterFileManagerTest, ResetPrinterSendsItsCommandAndClosesThePort) {
    ASSERT_EQ(manager.ResetPrinter(), 1);
    EXPECT_EQ(Hex(backend.writesPerOpen.at(0)), "1B 66 40");
    EXPECT_FALSE(backend.IsOpen());
}

TEST_F(PrinterFileManagerTest, CommPortRunsThePortSelectionAndShowsTheNewPort) {
    PrinterFileManager withSelection(FilesContext{model, port, reporter, clock, state}, view,
                                     [this] { model.portName = "COM3"; });
    withSelection.CommPort();
    EXPECT_EQ(view.captions.back(), "File(s) in printer.  [COM3]");
    EXPECT_EQ(backend.openCalls, 0) << "the list is not read again";
}

TEST_F(PrinterFileManagerTest, InitialisationSetsTheCaptionAndSchedulesARefresh) {
    manager.Initialise();
    EXPECT_EQ(view.captions, std::vector<std::string>{"File(s) in printer.  [127.0.0.1:9100]"});
    EXPECT_EQ(view.refreshesScheduled, 1);
    EXPECT_EQ(backend.openCalls, 0) << "the list is read when the timer fires";
}

}  // namespace
}  // namespace varnel
