// The printer file manager against varnel-printer-sim over loopback TCP: the operations the
// dialog runs, on the real port layer and the real clock; and "files" in a run without a display.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "files/PrinterFileManager.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/TestPaths.h"
#include "unit/files/RecordingFilesView.h"

namespace varnel::test {
namespace {

// A running varnel-printer-sim on a free loopback port; stopped with SIGTERM when it goes away.
class FileStoreSimulator {
public:
    FileStoreSimulator() {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string exe = SimulatorExe();
            std::vector<std::string> args{exe, "--tcp", "127.0.0.1:0"};
            std::vector<char*> argv;
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        std::string line;
        char c = 0;
        while (read(out_, &c, 1) == 1 && c != '\n') line += c;
        if (line.rfind("PORT ", 0) == 0) port_ = line.substr(5);
    }
    ~FileStoreSimulator() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
    }
    FileStoreSimulator(const FileStoreSimulator&) = delete;
    FileStoreSimulator& operator=(const FileStoreSimulator&) = delete;
    const std::string& Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

class WorkingFolder {
public:
    WorkingFolder() : previous_(std::filesystem::current_path()) { std::filesystem::current_path(dir_.path()); }
    ~WorkingFolder() { std::filesystem::current_path(previous_); }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::filesystem::path previous_;
};

std::string Pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(FilesProgram, UploadListDownloadDeleteAndDeleteAllAgainstTheSimulator) {
    FileStoreSimulator printer;
    ASSERT_FALSE(printer.Port().empty());
    WorkingFolder folder;
    TempDir sources;
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
    view.onTimer = [&manager] { manager.Refresh(); };

    ASSERT_EQ(manager.Upload({sources.File("big.bin"), sources.File("exact.bin"), sources.File("empty.txt")}), 1);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(view.entries, (std::vector<std::string>{"big.bin\t2500", "empty.txt\t0", "exact.bin\t1000"}));
    EXPECT_EQ(state.fileListSeen, 1);

    // Old contents of a local file of the same name are replaced by the printer's.
    WriteFileBytes("big.bin", "old");
    view.selected = {0, 2};
    ASSERT_EQ(manager.SaveToDisk(), 1);
    EXPECT_EQ(ReadFileBytes("big.bin"), big);
    EXPECT_EQ(ReadFileBytes("exact.bin"), binary);
    EXPECT_TRUE(reporter.Errors().empty());

    view.selected = {0};
    ASSERT_EQ(manager.Delete(), 1);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"empty.txt\t0", "exact.bin\t1000"}));

    view.answerYes = true;
    ASSERT_EQ(manager.DeleteAll(), 1);
    view.PumpMessages();  // the refresh it scheduled
    EXPECT_TRUE(view.entries.empty());
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(FilesProgram, WithoutADisplayFilesSaysWhyAndEndsWithThree) {
    TempDir dir;
    pid_t pid = fork();
    const std::string errPath = dir.File("stderr.txt");
    if (pid == 0) {
        if (chdir(dir.path().c_str()) != 0) _exit(127);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("QT_QPA_PLATFORM");
        setenv("VARNEL_SETTINGS", dir.File("registry.reg").c_str(), 1);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err < 0) _exit(127);
        dup2(err, STDERR_FILENO);
        const std::string exe = VarnelExe();
        std::vector<std::string> args{exe, "port:127.0.0.1:9", "files", "exit"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(exe.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    const std::string err = ReadFileBytes(errPath);
    EXPECT_NE(err.find("printer file manager"), std::string::npos) << err;
    EXPECT_EQ(err.find("Exiting Printer Configuration."), std::string::npos) << "nothing after \"files\" runs";
}

}  // namespace
}  // namespace varnel::test
