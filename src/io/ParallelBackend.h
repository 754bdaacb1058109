#pragma once

#include "io/DescriptorBackend.h"

namespace varnel {

// A parallel port node (/dev/lpN); its status comes from LPGETSTATUS.
class ParallelBackend : public DescriptorBackend {
public:
    std::optional<uint8_t> ParallelStatus() override;

    // The lp driver's status lines in the parallel status bits callers read.
    static uint8_t TranslateLpStatus(int lpStatus);
};

}  // namespace varnel
