#pragma once

namespace varnel {

// The four kinds of connection behind IOComm. The numbers are the stored "PortType" values.
enum class PortKind : int {
    Serial = 1,
    Device = 2,
    Parallel = 3,
    Network = 4,
};

}  // namespace varnel
