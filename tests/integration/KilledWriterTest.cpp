// A writer killed between its temporary copy and the rename leaves the old file whole; the next
// write of the same target removes the copy, for varnel's configuration files and for the
// simulator's state file alike. strace kills the writer at its first rename.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

constexpr const char* kStrace = "/usr/bin/strace";
constexpr auto kRunLimit = std::chrono::seconds(120);

// `exe` with `args` in `folder`, killed by SIGKILL when it first renames a file.
ExitStatus RunKilledAtFirstRename(const std::string& exe, const std::vector<std::string>& args,
                                  const std::string& folder) {
    std::vector<std::string> straceArgs{"-qq", "-f", "-o", "/dev/null", "-e", "trace=rename,renameat,renameat2",
                                        "-e", "inject=rename,renameat,renameat2:signal=KILL:when=1", exe};
    straceArgs.insert(straceArgs.end(), args.begin(), args.end());
    ChildProcess child(kStrace, straceArgs, HeadlessEnvironment(folder + "/registry.reg"), folder);
    return child.Wait(kRunLimit);
}

// The names in `folder` that begin with `stem`, sorted.
std::vector<std::string> NamesStartingWith(const std::string& folder, const std::string& stem) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(stem)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class KilledWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kStrace, X_OK) != 0) GTEST_SKIP() << "strace is needed to kill a writer at its rename";
    }
};

TEST_F(KilledWriterTest, TheNextConfigurationWriteRemovesTheCopyTheKilledOneLeft) {
    ScratchDir folder;
    CopyDemoModel(folder.path());
    WriteFileBytes(folder.File("out.cfg"), "OLD");
    const std::vector<std::string> script{"sa", "readfile:rpdemo.cfg", "writefile:out.cfg", "exit"};
    const ExitStatus killed = RunKilledAtFirstRename(VarnelExe(), script, folder.path());
    ASSERT_EQ(killed.exited ? killed.code : 128 + killed.signal, 128 + SIGKILL);
    ASSERT_EQ(NamesStartingWith(folder.path(), "out.cfg").size(), 2u) << "the copy is left";
    EXPECT_EQ(folder.Read("out.cfg"), "OLD") << "the old file is whole";

    ChildProcess again(VarnelExe(), script, HeadlessEnvironment(folder.File("registry.reg")), folder.path());
    const ExitStatus status = again.Wait(kRunLimit);
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(NamesStartingWith(folder.path(), "out.cfg"), std::vector<std::string>{"out.cfg"});
    // The demo file's comment, carried over by readfile: the new file replaced the old one whole.
    EXPECT_NE(folder.Read("out.cfg").find("\"Demo store, counter 1\""), std::string::npos);
}

TEST_F(KilledWriterTest, TheSimulatorsNextStateWriteRemovesTheCopyTheKilledOneLeft) {
    ScratchDir folder;
    std::vector<std::string> args{"--tcp", "127.0.0.1:0", "--state", folder.File("printer.json")};
    const std::vector<std::string> demo = DemoPrinterSwitches();
    args.insert(args.end(), demo.begin(), demo.end());
    const ExitStatus killed = RunKilledAtFirstRename(SimulatorExe(), args, folder.path());
    ASSERT_EQ(killed.exited ? killed.code : 128 + killed.signal, 128 + SIGKILL);
    ASSERT_EQ(NamesStartingWith(folder.path(), "printer.json.tmp-").size(), 1u) << "the copy is left";

    std::vector<std::string> switches{"--state", folder.File("printer.json")};
    switches.insert(switches.end(), demo.begin(), demo.end());
    SimulatorProcess printer(SimulatorLine::Tcp, switches, folder.path());
    ASSERT_FALSE(printer.Port().empty());
    printer.Stop();
    EXPECT_EQ(NamesStartingWith(folder.path(), "printer.json"), std::vector<std::string>{"printer.json"});
}

}  // namespace
}  // namespace varnel::test
