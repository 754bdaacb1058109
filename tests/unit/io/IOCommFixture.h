#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "io/IOComm.h"
#include "io/Reconnect.h"
#include "io/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/FakeSerialPrinter.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"

namespace varnel::test {

// An IOComm on the scripted fake, with a stored line configuration so that serial opens go
// straight to the port. The retry counters are process-wide and start afresh for every test.
class IOCommTest : public ::testing::Test {
protected:
    IOCommTest() {
        ResetRetryStates();
        StoreValue("Comm Data", RegValue::Binary(PlainLine().ToBytes()));
    }
    ~IOCommTest() override { ResetRetryStates(); }

    void StoreValue(std::string_view name, const RegValue& value) { store.SetValue(kPortSettingsKey, name, value); }
    std::optional<RegValue> Stored(std::string_view name) const { return store.GetValue(kPortSettingsKey, name); }
    IOComm& Port() {
        if (!port) port = std::make_unique<IOComm>(store, clock, reporter, backend, &ui);
        return *port;
    }

    MemorySettingsStore store;
    FakeClock clock;
    RecordingReporter reporter;
    RecordingUserInterface ui;
    FakePortBackend backend;
    std::unique_ptr<IOComm> port;
};

}  // namespace varnel::test
