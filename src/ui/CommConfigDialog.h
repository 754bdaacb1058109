#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "base/SerialLineSettings.h"

namespace varnel {

// The serial configuration dialog: baud rate (any rate can be typed), data bits, parity, stop
// bits and flow control of `portName`, starting from `current`. Returns the settings chosen on
// OK; nothing when cancelled.
std::optional<SerialLineSettings> EditCommConfigDialog(QWidget* owner, const std::string& portName,
                                                       const SerialLineSettings& current);

}  // namespace varnel
