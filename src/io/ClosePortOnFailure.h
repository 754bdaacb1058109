#pragma once

namespace varnel {

class IOComm;
class Reporter;

// The common way out of every printer action: always closes the port. A result of 0 (a port
// request failed) is reported as the communications error; -1 (the caller already reported)
// only closes. Returns 0 for -1, else `result`.
int ClosePortOnFailure(IOComm& port, Reporter& reporter, int result);

}  // namespace varnel
