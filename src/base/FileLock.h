#pragma once

namespace varnel {

// Takes an exclusive flock on `fd`, waiting for other holders and going on after interrupted
// calls. False (errno set) when the lock cannot be had; closing the descriptor lets it go.
bool LockExclusively(int fd);

}  // namespace varnel
