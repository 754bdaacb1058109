#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>
#include <string_view>

namespace varnel {

// The shape of write(2); tests pass a fake to reach the answers a real file rarely gives.
using WriteCall = ssize_t (*)(int fd, const void* data, size_t size);

// Writes every byte of `bytes` to `fd`, carrying on after partial writes and interrupted calls.
// Any other error ends it with false and errno set; so does a write that takes nothing (errno
// EIO), which would otherwise be asked again for ever. A full non-blocking descriptor (EAGAIN) is
// such an error too: no caller can wait for it.
bool WriteAll(int fd, std::string_view bytes, WriteCall write = ::write);

}  // namespace varnel
