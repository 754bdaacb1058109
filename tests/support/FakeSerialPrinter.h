#pragma once

#include <cstdint>
#include <string>

#include "io/CommConfig.h"
#include "io/PortSettings.h"
#include "io/SettingsStore.h"
#include "support/FakePortBackend.h"

namespace varnel::test {

// A 9600 8N1 line without flow control, as a station would have stored it.
inline CommConfig PlainLine() {
    CommConfig c;
    c.dwSize = CommConfig::kSize;
    c.wVersion = 1;
    c.dcb.DCBlength = dcb::kDcbLength;
    c.dcb.BaudRate = 9600;
    c.dcb.ByteSize = 8;
    c.dcb.Set(dcb::fBinary, true);
    return c;
}

// Stores the plain line as the serial configuration, so opening a serial port asks nothing.
inline void StorePlainLine(SettingsStore& store) {
    store.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(PlainLine().ToBytes()));
}

// A serial printer on the fake line: answers the baud probe only while the line runs at `rate`.
inline FakePortBackend::Responder AnswerBaudProbeAt(uint32_t rate) {
    return [rate](FakePortBackend& port, const std::string& written) {
        bool probe = written.find("\x1B~r\x06") != std::string::npos;
        if (probe && port.lineConfig && port.lineConfig->dcb.BaudRate == rate) port.QueueReply("~r\x06");
    };
}

}  // namespace varnel::test
