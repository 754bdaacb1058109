#pragma once

#include "FileStore.h"
#include "PrinterMemory.h"

namespace varnel::sim {

// Everything the printer keeps when it is switched off: what the state file holds.
struct PrinterState {
    PrinterMemory memory;
    FileStore files;
};

}  // namespace varnel::sim
