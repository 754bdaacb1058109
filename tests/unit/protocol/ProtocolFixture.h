#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "FakePrinter.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "protocol/ProtocolContext.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/HexBytes.h"
#include "support/LockedDescription.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingSaveQuestion.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel::test {

// Map and options lines of a small invented printer model, "RP-TEST" with firmware 1.23.
inline const char* kTestMapBody =
    "; test printer\n"
    "Model RP-TEST\n"
    "Firmware 1.23\n"
    "Baud_Rate 12.3 2 1\n"
    "Big_Number 4 16 2\n"
    "Header_Text 0 20 3\n"
    "Locked 7.0 1 1\n"
    "Unlisted 8.0 1 1\n";

inline const char* kTestOptionsBody =
    "Model Printer RP-TEST\n"
    "Baud_Rate Serial 0 9600\n"
    "Baud_Rate Serial 1 19200\n"
    "Baud_Rate Serial 2 38400\n"
    "Baud_Rate Serial 3 115200\n"
    "Baud_Rate Serial Y CanBeWritten\n"
    "Big_Number General 0-65535 %i units\n"
    "Big_Number General Y CanBeWritten\n"
    "Header_Text General S Header line\n"
    "Header_Text General Y CanBeWritten\n"
    "Locked General 0 Off\n"
    "Locked General 1 On\n"
    "Locked General N CanBeWritten\n";

// The test model's map and options files in the working folder, and a test printer holding
// Baud_Rate 3 ("115200"), Big_Number 4660 and the header text "Hello".
inline void SetUpTestPrinter(FakePrinter& printer) {
    WriteFileBytes("rptest.map", WithMapLock(kTestMapBody));
    WriteFileBytes("rptest.opt", WithOptionsLock(kTestOptionsBody));
    printer.firmwareReply = std::string("~r\x05") + "REV:1.23";
    printer.Byte(1, 12) = 0xD8;
    printer.Byte(2, 4) = 0x12;
    printer.Byte(2, 5) = 0x34;
    printer.texts[3] = "Hello";
}

// A printer operation's whole world: the fake port with a printer behind it, a fake clock, and
// recording doubles for reports and questions.
class ProtocolFixture : public ::testing::Test {
protected:
    ProtocolFixture() {
        folder.Enter();  // where the map search and options search look
        backend.clock = &clock;
        model->portName = "127.0.0.1:9100";
        WriteFileBytes("rptest.map", WithMapLock(kTestMapBody));
        WriteFileBytes("rptest.opt", WithOptionsLock(kTestOptionsBody));
        printer.firmwareReply = std::string("~r\x05") + "REV:1.23";
    }

    // A configuration that matches the test printer.
    void SetSetting(int row, const std::string& name, int32_t value, const std::string& text = "") {
        model->settings[row].name = name;
        model->settings[row].value = value;
        model->settings[row].text = text;
    }

    std::vector<std::string> ErrorsWithCode(int eventCode) const {
        std::vector<std::string> out;
        for (const auto& e : reporter.entries)
            if (e.kind == RecordingReporter::Kind::Error && e.eventCode == eventCode) out.push_back(e.text);
        return out;
    }

    bool HasEntry(RecordingReporter::Kind kind, const std::string& text) const {
        for (const auto& e : reporter.entries)
            if (e.kind == kind && e.text == text) return true;
        return false;
    }

    ScratchDir folder;
    FakeClock clock;
    RecordingReporter reporter;
    RecordingUserInterface ui;
    MemorySettingsStore store;
    FakePortBackend backend;
    test::NullModelObserver observer;
    std::unique_ptr<ConfigModel> model = std::make_unique<ConfigModel>();
    std::string preInit;
    RecordingSaveQuestion saveQuestion;
    IOComm port{store, clock, reporter, backend};
    ProtocolContext context{*model, port, reporter, clock, ui, observer, preInit, saveQuestion};
    FakePrinter printer{backend};
};

inline const std::string kClosingPortError =
    "Closing communications Port due to an Error. Communications request Failed.";

}  // namespace varnel::test
