#pragma once

namespace varnel {

// Thrown by an action that ends the process with an exit code (verification, firmware checks,
// a refused options file). main catches it, destroys the application object, which runs the
// shutdown (port name saved, end entry logged), and returns the code. Unwinding also closes
// ports and restores quiet-probing state on the way out.
struct ExitRequest {
    int exitCode;
};

}  // namespace varnel
