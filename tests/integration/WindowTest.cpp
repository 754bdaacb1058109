// The real program's window on a display of its own (Xvfb), driven through xdotool as a user with
// a keyboard drives it: opened on a configuration, ended from its File menu.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "support/VirtualDisplay.h"
#include "support/XdoTool.h"

namespace varnel {
namespace {

using namespace std::chrono_literals;

// Far beyond a start or an end on an idle machine: a window that never shows fails the test.
constexpr auto kShowLimit = 60s;
constexpr auto kRunLimit = 120s;
constexpr const char* kProgramClass = "varnel";
constexpr const char* kEndEntry = "Configuration Application Terminated:";
constexpr const char* kMissingOptionsText = "Model name missmatch or missing in options file.";

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::XdoTool::Installed()) GTEST_SKIP() << "xdotool is not installed (scripts/setup.sh installs it)";
        display_ = test::VirtualDisplay::Start();
        if (!display_) GTEST_SKIP() << "Xvfb could not be started (scripts/setup.sh installs xvfb)";
        xdo_.emplace(display_->Name());
    }

    // varnel with `parameters`, its window on the test's display, the demo folder its working folder.
    void Start(const std::vector<std::string>& parameters) {
        std::vector<std::string> env = test::HeadlessEnvironment(dir_.File("registry.reg"));
        env.push_back("DISPLAY=" + display_->Name());
        env.push_back("QT_QPA_PLATFORM=xcb");
        output_ = open(dir_.File("output.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        varnel_ = std::make_unique<test::ChildProcess>(test::VarnelExe(), parameters, env, dir_.path(), output_, output_);
    }
    void TearDown() override {
        varnel_.reset();
        if (output_ >= 0) close(output_);
    }

    bool StillRunning() const { return waitpid(varnel_->pid(), nullptr, WNOHANG) == 0; }

    // Alt+F opens the File menu; once it shows, X chooses Exit. Returns how the run ended.
    test::ExitStatus ExitFromTheFileMenu(const std::string& window) {
        EXPECT_TRUE(xdo_->Focus(window));
        EXPECT_TRUE(xdo_->Type("alt+f"));
        EXPECT_TRUE(xdo_->WaitForShownWindows(kProgramClass, 2, kShowLimit)) << "the File menu did not open";
        EXPECT_TRUE(xdo_->Type("x"));
        return varnel_->Wait(kRunLimit);
    }

    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    std::optional<test::VirtualDisplay> display_;
    std::optional<test::XdoTool> xdo_;
    int output_ = -1;
    std::unique_ptr<test::ChildProcess> varnel_;
};

TEST_F(WindowTest, AConfigurationShowsInTheTitleAndAltFThenXEndsTheRunWithZero) {
    Start({"readfile:rpdemo.cfg"});
    const std::optional<std::string> window = xdo_->WaitForWindow("rpdemo\\.cfg - Varnel", kShowLimit);
    ASSERT_TRUE(window) << test::ReadFileBytes(dir_.File("output.txt"));
    EXPECT_EQ(xdo_->WindowName(*window), "rpdemo.cfg - Varnel  Port: []");

    const test::ExitStatus end = ExitFromTheFileMenu(*window);
    EXPECT_TRUE(end.exited) << "signal " << end.signal << (end.timedOut ? ", still running" : "");
    EXPECT_EQ(end.code, 0);
    const std::string log = test::ReadFileBytes(dir_.File("Varnel.log"));
    EXPECT_NE(log.find(kEndEntry), std::string::npos) << log;
}

// The parameters a file manager gives the program when the desktop entry opens `file`: its Exec
// line split at blanks, the program name dropped and "%f" replaced by the file.
std::vector<std::string> DesktopEntryParameters(const std::string& file) {
    const std::string entry = test::ReadFileBytes(test::SourceDir() + "/data/varnel.desktop");
    const size_t start = entry.find("\nExec=");
    if (start == std::string::npos) return {};
    std::istringstream exec(entry.substr(start + 6, entry.find('\n', start + 1) - start - 6));
    std::vector<std::string> parameters;
    std::string word;
    exec >> word;  // the program
    while (exec >> word) parameters.push_back(word == "%f" ? file : word);
    return parameters;
}

TEST_F(WindowTest, TheDesktopEntryOpensAConfigurationFileInTheWindow) {
    const std::vector<std::string> parameters = DesktopEntryParameters(dir_.File("rpdemo.cfg"));
    ASSERT_FALSE(parameters.empty()) << "the desktop entry has no Exec line";
    Start(parameters);
    const std::optional<std::string> window = xdo_->WaitForWindow("rpdemo\\.cfg - Varnel", kShowLimit);
    ASSERT_TRUE(window) << test::ReadFileBytes(dir_.File("output.txt"));
    EXPECT_NE(xdo_->WindowName(*window).find("rpdemo.cfg - Varnel  Port: ["), std::string::npos);

    const test::ExitStatus end = ExitFromTheFileMenu(*window);
    EXPECT_EQ(end.code, 0);
    const std::string log = test::ReadFileBytes(dir_.File("Varnel.log"));
    EXPECT_EQ(log.find("Configuration Error"), std::string::npos) << log;
}

TEST_F(WindowTest, AModelWithoutOptionsFileIsReportedAndTheWindowOutlivesTheBox) {
    dir_.Write("nope.cfg", "Model                 \"NOPE-1\"\r\n");
    Start({"readfile:nope.cfg"});
    const std::optional<std::string> box = xdo_->WaitForWindow("^Configuration Error$", kShowLimit);
    ASSERT_TRUE(box) << test::ReadFileBytes(dir_.File("output.txt"));
    ASSERT_TRUE(xdo_->Focus(*box));
    ASSERT_TRUE(xdo_->Type("Return"));

    const std::optional<std::string> window = xdo_->WaitForWindow("nope\\.cfg - Varnel", kShowLimit);
    ASSERT_TRUE(window);
    // The box went and no other took its place; the window still runs and answers its menu.
    EXPECT_TRUE(xdo_->WaitUntilGone("^Configuration Error$", kShowLimit)) << "reported once";
    EXPECT_TRUE(StillRunning());

    const test::ExitStatus end = ExitFromTheFileMenu(*window);
    EXPECT_TRUE(end.exited) << "signal " << end.signal << (end.timedOut ? ", still running" : "");
    EXPECT_EQ(end.code, 0);
    const std::string log = test::ReadFileBytes(dir_.File("Varnel.log"));
    const size_t first = log.find(kMissingOptionsText);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(log.find(kMissingOptionsText, first + 1), std::string::npos) << "logged once";
}

}  // namespace
}  // namespace varnel
