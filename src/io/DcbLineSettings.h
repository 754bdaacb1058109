#pragma once

#include "base/SerialLineSettings.h"
#include "io/CommConfig.h"

namespace varnel {

// The line settings a DCB holds, as the serial configuration dialog shows them. A field the
// record does not hold sensibly (an empty record, five data bits of zero) shows a working line:
// 9600 baud, 8 data bits, no parity, one stop bit.
SerialLineSettings LineSettingsOf(const Dcb& dcb);

// Puts the dialog's choice into the DCB; the fields the dialog does not show stay. The three
// flow-control choices set the flow-control bits as one group, as the system's own dialog does.
void ApplyLineSettings(Dcb& dcb, const SerialLineSettings& settings);

}  // namespace varnel
