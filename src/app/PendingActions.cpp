// Command-line actions whose operations this build does not have yet. Each reports that it is
// not available, so a script sees an error instead of a silent success. When an operation
// arrives, its member moves out of this file into the file that wires it.
#include "app/CVarnelApp.h"

namespace varnel {

}  // namespace varnel
