#pragma once

#include <QWidget>
#include <string>

namespace varnel {

// The serial configuration dialog: baud rate, data bits, parity, stop bits and flow control of a
// 52-byte configuration record. Returns false when cancelled; `commConfig` then stays as it was.
bool EditCommConfigDialog(QWidget* owner, const std::string& portName, std::string& commConfig);

}  // namespace varnel
