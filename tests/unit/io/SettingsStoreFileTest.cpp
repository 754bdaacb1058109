#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "io/FileSettingsStore.h"
#include "io/RegistryFile.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::WriteFileBytes;

constexpr std::string_view kKey = kPortSettingsKey;

class FileSettingsStoreTest : public ::testing::Test {
protected:
    FileSettingsStore MakeStore() { return FileSettingsStore(path, &warnings); }

    // Runs `body` in a child process that ends with exit code 0 when body returns true.
    static pid_t Fork(const std::function<bool()>& body) {
        const pid_t pid = fork();
        if (pid == 0) _exit(body() ? 0 : 1);
        return pid;
    }
    static int WaitExitCode(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    test::ScratchDir dir;
    std::string path = dir.File("pellam/registry.reg");
    std::ostringstream warnings;
};

TEST_F(FileSettingsStoreTest, FirstWriteCreatesFolderAndFileInRegistryForm) {
    FileSettingsStore store = MakeStore();
    EXPECT_FALSE(store.GetValue(kKey, "PortName"));
    EXPECT_FALSE(fs::exists(path)) << "reading must not create the store";

    ASSERT_TRUE(store.SetValue(kKey, "PortName", RegValue::String("COM1")));
    ASSERT_TRUE(store.SetValue(kKey, "Comm data", RegValue::Binary(std::string("\x1c\x00\x00\x00", 4))));

    EXPECT_EQ(ReadFileBytes(path),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n"
              "\"PortName\"=\"COM1\"\n"
              "\"Comm data\"=hex:1c,00,00,00\n");
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(FileSettingsStoreTest, EveryTypeRoundTripsThroughTheFile) {
    const std::vector<std::pair<std::string, RegValue>> values = {
        {"PortName", RegValue::String("\\\\.\\COM3")},
        {"IOTimeOutFactor", RegValue::Dword(2000)},
        {"Comm data", RegValue::Binary(std::string("\x1c\x00\xff\n\r\"", 6))},
        {"TCP", RegValue::Binary(std::string(1000, '\0'))},
    };
    {
        FileSettingsStore writer = MakeStore();
        for (const auto& [name, value] : values) ASSERT_TRUE(writer.SetValue(kKey, name, value));
    }
    const FileSettingsStore reader = MakeStore();
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(name);
        const std::optional<RegValue> read = reader.GetValue(kKey, name);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->type, value.type);
        EXPECT_EQ(read->data, value.data);
    }
    EXPECT_EQ(reader.ValueNames(kKey), (std::vector<std::string>{"PortName", "IOTimeOutFactor", "Comm data", "TCP"}));
    EXPECT_EQ(reader.SubKeys("HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam"), std::vector<std::string>{"IOCommCFG"});
}

TEST_F(FileSettingsStoreTest, NamesCompareWithoutCaseAndKeepTheCaseFirstWritten) {
    FileSettingsStore store = MakeStore();
    ASSERT_TRUE(store.SetValue(kKey, "Comm Data", RegValue::Binary("a")));
    ASSERT_TRUE(store.SetValue("hkey_local_machine\\software\\PELLAM\\iocommcfg", "comm data", RegValue::Binary("b")));

    EXPECT_EQ(store.ValueNames(kKey), std::vector<std::string>{"Comm Data"});
    EXPECT_EQ(store.GetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\PELLAM\\IOCOMMCFG", "COMM DATA")->data, "b");
    EXPECT_EQ(ReadFileBytes(path), "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n\"Comm Data\"=hex:62\n");
}

TEST_F(FileSettingsStoreTest, ReadsSeeTheFileAsItIsNow) {
    const FileSettingsStore reader = MakeStore();
    FileSettingsStore writer = MakeStore();
    ASSERT_TRUE(writer.SetValue(kKey, "PortName", RegValue::String("COM1")));
    EXPECT_EQ(reader.GetValue(kKey, "PortName")->data, "COM1");

    // Same size, same folder entry: an edit by hand within the same clock tick.
    WriteFileBytes(path, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n\"PortName\"=\"COM2\"\n");
    EXPECT_EQ(reader.GetValue(kKey, "PortName")->data, "COM2");
}

TEST_F(FileSettingsStoreTest, AWindowsExportPastedInIsReadAndKeptByTheNextWrite) {
    fs::create_directories(fs::path(path).parent_path());
    WriteFileBytes(path,
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\r\n"
                   "\"ReadIntervalTimeout\"=dword:00000032\r\n"
                   "\"Comm Data\"=hex:1c,00,00,00,01,00,00,00,80,25,00,00,11,10,00,00,00,00,00,00,\\\r\n"
                   "  00,00,08,00\r\n\r\n");
    FileSettingsStore store = MakeStore();
    EXPECT_EQ(store.GetValue(kKey, "ReadIntervalTimeout")->AsDword(), 50u);
    EXPECT_EQ(store.GetValue(kKey, "comm data")->data.size(), 24u);

    ASSERT_TRUE(store.SetValue(kKey, "PortName", RegValue::String("COM3")));
    EXPECT_EQ(ReadFileBytes(path),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n"
              "\"ReadIntervalTimeout\"=dword:00000032\n"
              "\"Comm Data\"=hex:1c,00,00,00,01,00,00,00,80,25,00,00,11,10,00,00,00,00,00,00,\\\n"
              "  00,00,08,00\n"
              "\"PortName\"=\"COM3\"\n");
}

TEST_F(FileSettingsStoreTest, TwentyProcessesWritingAtOnceLoseNoValue) {
    constexpr int kWriters = 20;
    constexpr int kValuesEach = 3;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        children.push_back(Fork([&, writer] {
            FileSettingsStore store(path, &warnings);
            for (int n = 0; n < kValuesEach; ++n) {
                const std::string name = "Writer" + std::to_string(writer) + "_" + std::to_string(n);
                if (!store.SetValue(kKey, name, RegValue::Dword(static_cast<uint32_t>(writer * 100 + n)))) return false;
            }
            return true;
        }));
    }
    for (pid_t child : children) EXPECT_EQ(WaitExitCode(child), 0);

    const FileSettingsStore store = MakeStore();
    EXPECT_EQ(store.ValueNames(kKey).size(), static_cast<std::size_t>(kWriters * kValuesEach));
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int n = 0; n < kValuesEach; ++n) {
            const std::string name = "Writer" + std::to_string(writer) + "_" + std::to_string(n);
            const std::optional<RegValue> value = store.GetValue(kKey, name);
            ASSERT_TRUE(value) << name;
            EXPECT_EQ(value->AsDword(), static_cast<uint32_t>(writer * 100 + n));
        }
    }
}

TEST_F(FileSettingsStoreTest, AStrayTemporaryFileFromACrashLeavesTheStoreIntact) {
    FileSettingsStore store = MakeStore();
    ASSERT_TRUE(store.SetValue(kKey, "PortName", RegValue::String("COM1")));
    const std::string before = ReadFileBytes(path);
    const std::string stray = path + ".tmp-99999";
    WriteFileBytes(stray, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n\"PortName\"=\"CO");

    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(store.GetValue(kKey, "PortName")->data, "COM1");
    ASSERT_TRUE(store.SetValue(kKey, "PortName", RegValue::String("COM2")));
    EXPECT_EQ(MakeStore().GetValue(kKey, "PortName")->data, "COM2");
    EXPECT_FALSE(fs::exists(stray)) << "the next write clears what a crash left behind";
}

TEST_F(FileSettingsStoreTest, AWriterKilledMidWriteLeavesAReadableStore) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = Fork([&] {
        close(ready[0]);
        FileSettingsStore store(path, &warnings);
        for (uint32_t round = 0;; ++round) {
            // Large values keep the child inside a write most of the time.
            if (!store.SetValue(kKey, "TCP", RegValue::Binary(std::string(1000, static_cast<char>('a' + round % 26)))))
                return false;
            if (!store.SetValue(kKey, "Round", RegValue::Dword(round))) return false;
            if (round == 0 && write(ready[1], "x", 1) != 1) return false;
        }
    });
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    WaitExitCode(child);

    const RegistryParseResult parsed = ParseRegistryText(ReadFileBytes(path));
    ASSERT_TRUE(parsed.complete) << parsed.problemLine << ": " << parsed.problem;
    const RegValue* tcp = parsed.document.FindValue(kKey, "TCP");
    ASSERT_NE(tcp, nullptr);
    ASSERT_EQ(tcp->data.size(), 1000u);
    EXPECT_EQ(tcp->data, std::string(1000, tcp->data[0]));
    // The lock died with the writer.
    FileSettingsStore store = MakeStore();
    EXPECT_TRUE(store.SetValue(kKey, "After", RegValue::Dword(1)));
    EXPECT_TRUE(store.GetValue(kKey, "Round"));
}

TEST_F(FileSettingsStoreTest, AFileThatDoesNotParseIsNeverOverwritten) {
    fs::create_directories(fs::path(path).parent_path());
    const std::string damaged =
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pellam\\IOCommCFG]\n\"PortName\"=\"COM4\"\n"
        "\"Comm data\"=hex:1c,zz\n\"DebugMode\"=dword:00000001\n";
    WriteFileBytes(path, damaged);
    FileSettingsStore store = MakeStore();

    EXPECT_EQ(store.GetValue(kKey, "PortName")->data, "COM4");
    EXPECT_EQ(store.GetValue(kKey, "DebugMode")->AsDword(), 1u);
    EXPECT_FALSE(store.GetValue(kKey, "Comm data"));
    EXPECT_FALSE(store.SetValue(kKey, "PortName", RegValue::String("COM1")));
    EXPECT_FALSE(store.SetValue(kKey, "Other", RegValue::Dword(1)));

    EXPECT_EQ(ReadFileBytes(path), damaged);
    EXPECT_EQ(warnings.str(), "varnel: settings store " + path +
                                  " does not parse at line 5 (hex bytes not understood): read-only\n");
}

TEST_F(FileSettingsStoreTest, AStoreThatCannotBeWrittenRefusesChanges) {
    WriteFileBytes(dir.File("plainfile"), "not a folder");
    FileSettingsStore store(dir.File("plainfile/registry.reg"), &warnings);
    EXPECT_FALSE(store.SetValue(kKey, "PortName", RegValue::String("COM1")));
    EXPECT_FALSE(store.GetValue(kKey, "PortName"));
    EXPECT_TRUE(warnings.str().starts_with("varnel: settings store " + dir.File("plainfile/registry.reg") + " "));
    EXPECT_TRUE(warnings.str().ends_with(": read-only\n"));
}

TEST_F(FileSettingsStoreTest, ALockFileAnotherUserMadeDoesNotLockOthersOut) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as two users needs root";
    constexpr uid_t kNobody = 65534;
    // A store shared by the station's users, which root happened to write first: the lock file
    // is root's, readable by all, writable by root alone.
    ASSERT_TRUE(MakeStore().SetValue(kKey, "PortName", RegValue::String("COM1")));
    chmod(dir.path().c_str(), 0755);
    chmod(fs::path(path).parent_path().c_str(), 0777);
    chmod((path + ".lock").c_str(), 0644);
    const pid_t user = Fork([this] {
        return setgid(kNobody) == 0 && setuid(kNobody) == 0 &&
               MakeStore().SetValue(kKey, "PortName", RegValue::String("COM2"));
    });
    EXPECT_EQ(WaitExitCode(user), 0);
    EXPECT_EQ(MakeStore().GetValue(kKey, "PortName")->data, "COM2");
}

TEST_F(FileSettingsStoreTest, AKeyNameTheFileCannotHoldIsRefused) {
    FileSettingsStore store = MakeStore();
    EXPECT_FALSE(store.SetValue("HKEY_LOCAL_MACHINE\\A\nB", "Name", RegValue::Dword(1)));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileSettingsStoreTest, ReplacingKeepsTheFileModeAndALinkToTheStore) {
    const std::string real = dir.File("real.reg");
    WriteFileBytes(real, "REGEDIT4\n");
    chmod(real.c_str(), 0600);
    fs::create_directories(fs::path(path).parent_path());
    fs::create_symlink(real, path);

    ASSERT_TRUE(MakeStore().SetValue(kKey, "PortName", RegValue::String("COM1")));

    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(MakeStore().GetValue(kKey, "PortName")->data, "COM1");
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

// Sets or clears environment variables for one test and puts them back afterwards.
class EnvGuard {
public:
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvGuard() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DefaultSettingsPath, FollowsTheEnvironment) {
    struct Case {
        const char* settings;
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"/srv/line1.reg", "/xdg", "/home/op", "/srv/line1.reg"},
        {nullptr, "/xdg", "/home/op", "/xdg/pellam/registry.reg"},
        {"", "/xdg", "/home/op", "/xdg/pellam/registry.reg"},
        {nullptr, nullptr, "/home/op", "/home/op/.config/pellam/registry.reg"},
        {nullptr, "", "/home/op", "/home/op/.config/pellam/registry.reg"},
        {nullptr, "relative/dir", "/home/op", "/home/op/.config/pellam/registry.reg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EnvGuard env;
        env.Set("VARNEL_SETTINGS", c.settings);
        env.Set("XDG_CONFIG_HOME", c.xdg);
        env.Set("HOME", c.home);
        EXPECT_EQ(DefaultSettingsPath(), c.expected);
    }
}

}  // namespace
}  // namespace varnel
