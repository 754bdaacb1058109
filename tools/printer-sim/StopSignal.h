#pragma once

namespace varnel::sim {

// SIGINT and SIGTERM make this descriptor readable, so the main loop's poll wakes and the
// simulator ends cleanly (its state saved). Returns -1 when it cannot be set up.
int InstallStopSignals();

}  // namespace varnel::sim
