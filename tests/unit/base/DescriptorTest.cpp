#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/UniqueFd.h"
#include "base/WriteAll.h"

namespace varnel {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

// A pipe whose two ends close with the test.
struct Pipe {
    Pipe() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            read.Reset(ends[0]);
            write.Reset(ends[1]);
        }
    }
    std::string ReadAvailable() const {
        std::string bytes(4096, '\0');
        const ssize_t got = ::read(read.Get(), bytes.data(), bytes.size());
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return bytes;
    }
    UniqueFd read;
    UniqueFd write;
};

TEST(UniqueFdTest, ClosesWhatItOwnsOnceAndHandsItOnWhenMoved) {
    Pipe pipe;
    ASSERT_TRUE(pipe.read.Valid());
    const int fd = pipe.read.Get();
    {
        UniqueFd moved(std::move(pipe.read));
        EXPECT_FALSE(pipe.read.Valid());
        UniqueFd assigned;
        assigned = std::move(moved);
        EXPECT_EQ(assigned.Get(), fd);
        EXPECT_TRUE(IsOpen(fd));
    }
    EXPECT_FALSE(IsOpen(fd)) << "the last owner closed it";

    const int other = pipe.write.Release();
    EXPECT_FALSE(pipe.write.Valid());
    EXPECT_TRUE(IsOpen(other)) << "a released descriptor stays open";
    UniqueFd owner(other);
    EXPECT_TRUE(owner.Reset());
    EXPECT_FALSE(IsOpen(other));
    EXPECT_TRUE(owner.Reset()) << "nothing held, nothing to close";
}

// Fakes of write(2): each test sets what the next calls answer.
struct FakeWrite {
    static inline int calls = 0;
    static inline std::string taken;
    static void Clear() {
        calls = 0;
        taken.clear();
    }
    static ssize_t TakesNothing(int, const void*, size_t) {
        ++calls;
        return 0;
    }
    static ssize_t OneByteAtATime(int, const void* data, size_t) {
        ++calls;
        taken += *static_cast<const char*>(data);
        return 1;
    }
    static ssize_t InterruptedFirst(int, const void* data, size_t size) {
        if (++calls == 1) {
            errno = EINTR;
            return -1;
        }
        taken.append(static_cast<const char*>(data), size);
        return static_cast<ssize_t>(size);
    }
    static ssize_t Full(int, const void*, size_t) {
        ++calls;
        errno = EAGAIN;
        return -1;
    }
};

TEST(WriteAllTest, EndsOnEveryAnswerOfWrite) {
    struct Case {
        const char* name;
        WriteCall write;
        bool written;
        int error;  // errno after a failure
        int calls;
    };
    const Case cases[] = {
        {"a write that takes nothing ends instead of spinning", FakeWrite::TakesNothing, false, EIO, 1},
        {"partial writes carry on to the end", FakeWrite::OneByteAtATime, true, 0, 5},
        {"an interrupted write is asked again", FakeWrite::InterruptedFirst, true, 0, 2},
        {"a full non-blocking descriptor fails", FakeWrite::Full, false, EAGAIN, 1},
    };
    for (const Case& c : cases) {
        FakeWrite::Clear();
        errno = 0;
        EXPECT_EQ(WriteAll(-1, "hello", c.write), c.written) << c.name;
        EXPECT_EQ(FakeWrite::calls, c.calls) << c.name;
        if (c.written)
            EXPECT_EQ(FakeWrite::taken, "hello") << c.name;
        else
            EXPECT_EQ(errno, c.error) << c.name;
    }
}

TEST(WriteAllTest, WritesToRealDescriptorsAndReportsTheirErrors) {
    Pipe pipe;
    ASSERT_TRUE(WriteAll(pipe.write.Get(), std::string("CR\r\nNUL\0end", 11)));
    EXPECT_EQ(pipe.ReadAvailable(), std::string("CR\r\nNUL\0end", 11));
    EXPECT_TRUE(WriteAll(pipe.write.Get(), "")) << "nothing to write is no write";

    UniqueFd full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    ASSERT_TRUE(full.Valid());
    EXPECT_FALSE(WriteAll(full.Get(), "bytes"));
    EXPECT_EQ(errno, ENOSPC);

    EXPECT_FALSE(WriteAll(pipe.read.Get(), "bytes")) << "the read end of a pipe takes no writes";
    EXPECT_EQ(errno, EBADF);
}

}  // namespace
}  // namespace varnel
