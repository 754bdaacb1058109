// The printer's replies: arbitrary bytes handed out, one chunk per command, by the scripted test
// port, to identification, the firmware checks, reading and verifying, identity read-back, baud
// detection and the file list. Time runs on a fake clock. Every operation must end with 0 or 1,
// leave the port closed and take a bounded time, whatever the printer says.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FuzzReporter.h"
#include "InMemoryScratchDir.h"
#include "base/UserInterface.h"
#include "files/FileList.h"
#include "files/FilesContext.h"
#include "files/PrinterFileManager.h"
#include "base/PrinterFilesView.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "protocol/ConfigurationReader.h"
#include "protocol/Identification.h"
#include "protocol/IdentityStrings.h"
#include "protocol/PortCommands.h"
#include "protocol/ProtocolContext.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/LockedDescription.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingSaveQuestion.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

using namespace varnel;

namespace {

// Ten read failures, the baud rates and the file manager's waits all end well inside this.
constexpr int64_t kLongestOperationMs = 30LL * 60 * 1000;

// A small printer model, "RP-TEST" with firmware 1.23, for the map and options search.
const char* const kMapBody =
    "Model RP-TEST\n"
    "Firmware 1.23\n"
    "Baud_Rate 12.3 2 1\n"
    "Big_Number 4 16 2\n"
    "Header_Text 0 20 3\n";
const char* const kOptionsBody =
    "Model Printer RP-TEST\n"
    "Baud_Rate Serial 0 9600\n"
    "Baud_Rate Serial 1 19200\n"
    "Baud_Rate Serial Y CanBeWritten\n"
    "Big_Number General 0-65535 %i units\n"
    "Big_Number General Y CanBeWritten\n"
    "Header_Text General S Header line\n"
    "Header_Text General Y CanBeWritten\n";

// The input after its first byte: chunks of one length byte and that many bytes.
std::vector<std::string> Chunks(const uint8_t* data, size_t size) {
    std::vector<std::string> chunks;
    size_t at = 0;
    while (at < size) {
        const size_t length = data[at++];
        const size_t take = std::min(length, size - at);
        chunks.emplace_back(reinterpret_cast<const char*>(data + at), take);
        at += take;
    }
    return chunks;
}

class NullFilesView : public PrinterFilesView {
public:
    void SetTabStops(const std::vector<int>&) override {}
    void ClearList() override {}
    void AddEntry(const std::string&) override {}
    std::vector<std::string> SelectedEntries() const override { return {}; }
    void SetProgressRange(int, int) override {}
    void SetProgress(int) override {}
    void OfferCancel(bool) override {}
    bool CancelRequested() override { return false; }
    void SetCaption(const std::string&) override {}
    void Repaint() override {}
    void ScheduleRefresh() override {}
    void PumpMessages() override {}
    void MessageBox(const std::string&, const std::string&) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> ChooseFilesToUpload() override { return {}; }
};

enum Operation : uint8_t { kIsFwr, kIsFw, kRead, kVerify, kIdentity, kBaud, kFileList, kOperationCount };

}  // namespace

// The map and options files with their right lock values, in a scratch working folder.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static test::ScratchDir folder = fuzz::InMemoryScratchDir();
    folder.Enter();
    folder.Write("rptest.map", test::WithMapLock(kMapBody));
    folder.Write("rptest.opt", test::WithOptionsLock(kOptionsBody));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const auto operation = static_cast<Operation>(data[0] % kOperationCount);
    std::vector<std::string> chunks = Chunks(data + 1, size - 1);
    size_t next = 0;

    test::FakeClock clock;
    fuzz::NullReporter reporter;
    test::RecordingUserInterface ui;
    test::MemorySettingsStore store;
    test::FakePortBackend backend;
    backend.clock = &clock;
    // The printer answers every command with the next chunk; past the last one it is silent.
    backend.responder = [&](test::FakePortBackend& port, const std::string& written) {
        if (written.empty() || next >= chunks.size()) return;
        port.QueueReply(chunks[next++]);
    };
    test::NullModelObserver observer;
    auto model = std::make_unique<ConfigModel>();
    model->portName = "127.0.0.1:9100";
    std::string preInit;
    test::RecordingSaveQuestion saveQuestion;
    IOComm port(store, clock, reporter, backend);
    ProtocolContext context{*model, port, reporter, clock, ui, observer, preInit, saveQuestion};

    int result = 0;
    switch (operation) {
    case kIsFwr: result = CheckFirmwareRevision(context, "1.23"); break;
    case kIsFw: result = CheckFirmwarePrefix(context, "1.23"); break;
    case kRead: result = ReadConfiguration(context, ReadMode::Read); break;
    case kVerify:
        model->settings[0].name = "Model";
        model->settings[0].text = "RP-TEST";
        model->settings[1].name = "Baud_Rate";
        model->settings[1].value = 1;
        result = ReadConfiguration(context, ReadMode::Verify);
        break;
    case kIdentity: result = ProgramIdentityString(context, kDescriptionRow, "Hello"); break;
    case kBaud: result = DetectBaudRate(context); break;
    case kFileList: {
        FileManagerState state;
        FilesContext files{*model, port, reporter, clock, state};
        NullFilesView view;
        PrinterFileManager manager(files, view);
        result = manager.Refresh();
        for (const std::string& chunk : chunks) (void)ParseFileList(chunk);
        break;
    }
    case kOperationCount: break;
    }
    fuzz::Require(result == 0 || result == 1);
    fuzz::Require(!backend.IsOpen() || operation == kFileList);
    fuzz::Require(clock.NowMs() < kLongestOperationMs);
    return 0;
}
