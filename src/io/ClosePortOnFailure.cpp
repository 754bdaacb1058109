#include "io/ClosePortOnFailure.h"

#include "base/Reporter.h"
#include "io/IOComm.h"

namespace varnel {

int ClosePortOnFailure(IOComm& port, Reporter& reporter, int result) {
    port.Close();
    if (result == 0)
        reporter.ReportError("Closing communications Port due to an Error. Communications request Failed.",
                             event::kPortClosedOnError, kSeverityError);
    return result == -1 ? 0 : result;
}

}  // namespace varnel
