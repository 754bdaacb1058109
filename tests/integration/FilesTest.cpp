// The printer file manager against varnel-printer-sim over loopback TCP: the operations the
// dialog runs, on the real port layer and the real clock; and "files" in a run without a display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Clock.h"
#include "files/PrinterFileManager.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"
#include "unit/files/RecordingFilesView.h"

namespace varnel::test {
namespace {

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(FilesProgram, UploadListDownloadDeleteAndDeleteAllAgainstTheSimulator) {
    SimulatorProcess printer(SimulatorLine::Tcp);
    ASSERT_FALSE(printer.Port().empty());
    ScratchDir folder;
    folder.Enter();
    ScratchDir sources;
    const std::string big = Pattern(2500, 1);      // three blocks, the last one short
    const std::string binary = Pattern(1000, 2);   // exactly one block, zero bytes and all
    WriteFileBytes(sources.File("big.bin"), big);
    WriteFileBytes(sources.File("exact.bin"), binary);
    WriteFileBytes(sources.File("empty.txt"), "");

    ConfigModel model;
    model.portName = printer.Port();
    SystemClock clock;
    MemorySettingsStore store;
    RecordingReporter reporter;
    IOComm port(store, clock, reporter);
    FileManagerState state;
    RecordingFilesView view;
    PrinterFileManager manager(FilesContext{model, port, reporter, clock, state}, view);
    view.onTimer = [&manager] { manager.RefreshTimerFired(); };

    ASSERT_EQ(manager.Upload({sources.File("big.bin"), sources.File("exact.bin"), sources.File("empty.txt")}), 1);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.entries, (std::vector<std::string>{"big.bin\t2500", "empty.txt\t0", "exact.bin\t1000"}));
    EXPECT_EQ(state.listAnswered, 1);

    // Old contents of a local file of the same name are replaced by the printer's, once the
    // user has said yes to it.
    WriteFileBytes("big.bin", "old");
    view.selected = {0, 2};
    view.answerYes = true;
    ASSERT_EQ(manager.SaveToDisk(), 1);
    EXPECT_EQ(view.questions, std::vector<std::string>{"Varnel: " + ReplaceLocalFileQuestion("big.bin")});
    EXPECT_EQ(ReadFileBytes("big.bin"), big);
    EXPECT_EQ(ReadFileBytes("exact.bin"), binary);
    EXPECT_TRUE(reporter.Errors().empty());

    view.selected = {0};
    ASSERT_EQ(manager.Delete(), 1);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"empty.txt\t0", "exact.bin\t1000"}));

    ASSERT_EQ(manager.DeleteAll(), 1);
    view.PumpMessages();  // the refresh it scheduled
    EXPECT_TRUE(view.entries.empty());
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(FilesProgram, WithoutADisplayFilesSaysWhyAndEndsWithThree) {
    ScratchDir dir;
    const VarnelRun run = RunVarnel(dir.path(), {"port:127.0.0.1:9", "files", "exit"});
    ASSERT_TRUE(run.status.exited);
    EXPECT_EQ(run.status.code, 3);
    EXPECT_NE(run.err.find("printer file manager"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Exiting Printer Configuration."), std::string::npos) << "nothing after \"files\" runs";
}

}  // namespace
}  // namespace varnel::test
