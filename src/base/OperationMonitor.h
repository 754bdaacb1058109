#pragma once

#include <cstdint>
#include <string>

namespace varnel {

// Whoever shows a running printer operation (the main window): where its progress goes and
// where a Cancel comes from. Called on the thread the operation runs on.
class OperationMonitor {
public:
    virtual ~OperationMonitor() = default;
    // `done` of `total` units (`total` 0: not known); `step` empty keeps the step shown.
    virtual void Progress(const std::string& step, int64_t done, int64_t total) = 0;
    virtual bool CancelRequested() const = 0;
};

}  // namespace varnel
