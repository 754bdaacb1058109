#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/AtomicFile.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::ScratchDir;
using test::WriteFileBytes;

// Lets the process write only small files, as a full disk would, for the length of a scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

// Sets the umask for one test.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }

private:
    mode_t old_;
};

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

class AtomicFileTest : public ::testing::Test {
protected:
    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir dir;
    std::string path = dir.File("out.cfg");
    const std::string bytes = std::string("new\r\ncontent\0with NUL\r\n", 24);
};

TEST_F(AtomicFileTest, ANewFileGetsTheBytesAndTheUsualPermissions) {
    Umask mask(022);
    const std::error_code error = ReplaceFileAtomically(path, bytes);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(ReadFileBytes(path), bytes);
    EXPECT_EQ(ModeOf(path), 0644u);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"}) << "no temporary file left";
}

TEST_F(AtomicFileTest, ReplacingKeepsPermissionsAndLinks) {
    const std::string target = dir.File("real.cfg");
    WriteFileBytes(target, "OLD");
    ::chmod(target.c_str(), 0640);
    fs::create_symlink(target, path);

    const std::error_code error = ReplaceFileAtomically(path, bytes);
    ASSERT_FALSE(error) << error.message();

    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFileBytes(target), bytes);
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(FilesInDir(), (std::vector<std::string>{"out.cfg", "real.cfg"}));
}

TEST_F(AtomicFileTest, WriteFailingPartWayKeepsTheOldFile) {
    WriteFileBytes(path, "OLD");
    std::error_code error;
    {
        FileSizeLimit limit(512);
        error = ReplaceFileAtomically(path, std::string(4096, 'x'));
    }
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(ReadFileBytes(path), "OLD");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"});
}

TEST_F(AtomicFileTest, ReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    WriteFileBytes(path, "OLD");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const std::error_code error = ReplaceFileAtomically(path, bytes);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_EQ(ReadFileBytes(path), "OLD");
}

TEST_F(AtomicFileTest, AFailedRenameLeavesNoTemporaryFile) {
    fs::create_directory(path);
    EXPECT_EQ(ReplaceFileAtomically(path, bytes), std::errc::is_a_directory);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"});
    EXPECT_EQ(ReplaceFileAtomically(dir.File("missing/out.cfg"), bytes), std::errc::no_such_file_or_directory);
}

TEST_F(AtomicFileTest, TheTargetChangesOnlyOnCommit) {
    WriteFileBytes(path, "OLD");
    {
        FileReplacement file(path);
        ASSERT_TRUE(file.IsOpen());
        ASSERT_TRUE(file.Write("first part, "));
        ASSERT_TRUE(file.Write("second part"));
        EXPECT_EQ(ReadFileBytes(path), "OLD");
        // A crash now leaves this beside the target; its name says whose it is.
        const std::vector<std::string> names = FilesInDir();
        ASSERT_EQ(names.size(), 2u);
        EXPECT_TRUE(names[1].starts_with("out.cfg" + std::string(kReplacementInfix))) << names[1];
        ASSERT_TRUE(file.Commit());
        EXPECT_FALSE(file.Error());
    }
    EXPECT_EQ(ReadFileBytes(path), "first part, second part");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"});

    {
        FileReplacement dropped(path);
        ASSERT_TRUE(dropped.Write("never committed"));
    }
    EXPECT_EQ(ReadFileBytes(path), "first part, second part");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"});
}

TEST_F(AtomicFileTest, NothingIsCommittedAfterAFailedWrite) {
    WriteFileBytes(path, "OLD");
    FileReplacement file(path);
    {
        FileSizeLimit limit(512);
        ASSERT_TRUE(file.Write("fits"));
        EXPECT_FALSE(file.Write(std::string(4096, 'x')));
    }
    EXPECT_FALSE(file.Commit()) << "a file missing its middle must not replace the old one";
    EXPECT_EQ(file.Error(), std::errc::file_too_large) << "the first failure is the one told";
    EXPECT_EQ(ReadFileBytes(path), "OLD");
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"out.cfg"});
}

TEST_F(AtomicFileTest, CopiesLeftByKilledWritersGoWithTheNextReplacement) {
    WriteFileBytes(path, "OLD");
    // A writer killed between its copy and the rename.
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
        FileReplacement file(path);
        if (file.Write("half written")) ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    const std::vector<std::string> afterKill = FilesInDir();
    ASSERT_EQ(afterKill.size(), 2u);
    EXPECT_EQ(afterKill[1].rfind("out.cfg.tmp-" + std::to_string(writer) + ".", 0), 0u) << afterKill[1];
    EXPECT_EQ(ReadFileBytes(path), "OLD") << "the old file is whole";

    // Kept: the copy of a writer that still runs, names of another form, another target's copy.
    const std::vector<std::string> kept{"other.cfg.tmp-1.0", "out.cfg.tmp-" + std::to_string(::getppid()) + ".3",
                                        "out.cfg.tmp-notes", "out.cfg.tmp-12.x"};
    for (const std::string& name : kept) WriteFileBytes(dir.File(name), "");
    ASSERT_FALSE(ReplaceFileAtomically(path, bytes));
    EXPECT_EQ(ReadFileBytes(path), bytes);
    std::vector<std::string> expected = kept;
    expected.push_back("out.cfg");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesInDir(), expected);
}

}  // namespace
}  // namespace varnel
