#pragma once

namespace varnel {

// Owns one file descriptor and closes it when it goes; moved, never copied.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release();
    // Closes the descriptor held, then holds `fd`. False (errno set) when close reported an
    // error: a write the kernel could not complete may show only there.
    bool Reset(int fd = -1);

private:
    int fd_ = -1;
};

}  // namespace varnel
