#include "app/CVarnelApp.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/MonitorNotifier.h"
#include "io/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/DemoModel.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

using test::ReadFileBytes;

const std::string kRule(75, '=');
constexpr const char* kStamp = "Monday, March 02, 10:20:30";

struct Notification {
    std::string text;
    int eventCode;
    int severity;
};

class RecordingMonitor : public MonitorNotifier {
public:
    void Notify(const std::string& text, int eventCode, int severity) override {
        notifications.push_back({text, eventCode, severity});
    }
    std::vector<Notification> notifications;
};

class RecordingWindow : public MainWindowPort {
public:
    void UpdateTitle(const std::string& title) override { titles.push_back(title); }
    void SetFlashButtonVisible(bool visible) override { flashButton.push_back(visible); }
    void Invalidate() override { ++invalidations; }
    std::vector<std::string> titles;
    std::vector<bool> flashButton;
    int invalidations = 0;
};

// Runs each test in a fresh working directory, where the application keeps its log.
class AppTest : public testing::Test {
protected:
    AppTest() {
        dir_.Enter();
        app_.SetTimeStampSource([] { return std::string(kStamp); });
        ui_.hasStatusLine = false;  // no main window yet
    }

    std::string Log() const { return ReadFileBytes(dir_.File("Varnel.log")); }
    bool LogExists() const { return std::filesystem::exists(dir_.File("Varnel.log")); }
    std::string StartBlock() const {
        return kRule + "\r\nConfiguration Application Invoked:     " + kStamp + "\r\n" + kRule + "\r\n\r\n";
    }
    std::string EndEntry() const { return std::string("Configuration Application Terminated:    ") + kStamp + "\r\n\r\n"; }
    std::optional<std::string> StoredPortName() const {
        auto value = store_.GetValue(kPortSettingsKey, "PortName");
        if (!value) return std::nullopt;
        return value->data;
    }

    test::ScratchDir dir_;
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    test::RecordingUserInterface ui_;
    RecordingMonitor monitor_;
    test::FakePortBackend* backend_ = nullptr;  // owned by the application's port
    CVarnelApp app_{store_, clock_, ui_, &monitor_, FakeBackend()};

private:
    std::unique_ptr<PortBackend> FakeBackend() {
        auto backend = std::make_unique<test::FakePortBackend>();
        backend_ = backend.get();
        return backend;
    }
};

TEST_F(AppTest, StartupWritesTheStartBlockAndRemembersTheWorkingDirectory) {
    app_.Startup();
    EXPECT_EQ(Log(), StartBlock());
    EXPECT_EQ(std::filesystem::path(app_.model().startDirectory), std::filesystem::current_path());
}

TEST_F(AppTest, ErrorAndMessageEntriesAreLoggedByteForByte) {
    app_.ReportError("Port COM3 could not be opened.\nCheck the cable.", event::kGeneral);
    app_.ReportMessage("Exiting Printer Configuration.", event::kExiting);
    EXPECT_EQ(Log(),
              "Configuration Error: \r\nPort COM3 could not be opened.\r\nCheck the cable.\r\n\r\n"
              "Configuration Message: \r\nExiting Printer Configuration.\r\n\r\n");
    EXPECT_EQ(app_.state().errorReported, 1);
}

TEST_F(AppTest, ExitRunLogsStartMessageAndEndAndSavesThePort) {
    app_.Startup();
    std::optional<int> exitCode = app_.RunCommandLine({"sa", "port:COM7", "exit"});
    app_.Shutdown();
    app_.Shutdown();  // a second call, and the destructor later, change nothing

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(app_.state().exitRequested, 1);
    EXPECT_EQ(Log(), StartBlock() + "Configuration Message: \r\nExiting Printer Configuration.\r\n\r\n" + EndEntry());
    EXPECT_EQ(StoredPortName(), "COM7");
    EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(AppTest, DestructionRunsTheShutdownOnce) {
    {
        CVarnelApp app(store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>());
        app.SetTimeStampSource([] { return std::string(kStamp); });
        app.Startup();
        app.CmdPort("LPT1");
    }
    EXPECT_EQ(Log(), StartBlock() + EndEntry());
    EXPECT_EQ(StoredPortName(), "LPT1");
}

TEST_F(AppTest, AppThatNeverStartedWritesNothingOnDestruction) {
    { CVarnelApp app(store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>()); }
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(store_.writes, 0);
}

struct StoredPortCase {
    std::optional<RegValue> stored;
    std::string portName;
};

// Named by the expected port: without this, GoogleTest prints the case's raw bytes, unused
// buffers included, which memory checkers rightly flag as uninitialised reads.
void PrintTo(const StoredPortCase& c, std::ostream* out) { *out << "port \"" << c.portName << "\""; }

class StoredPort : public AppTest, public testing::WithParamInterface<StoredPortCase> {};

TEST_P(StoredPort, StartupTakesOnlyANameThatFits) {
    if (GetParam().stored) store_.SetValue(kPortSettingsKey, "PortName", *GetParam().stored);
    app_.Startup();
    EXPECT_EQ(app_.model().portName, GetParam().portName);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredPort,
    testing::Values(StoredPortCase{std::nullopt, ""}, StoredPortCase{RegValue::String("COM7"), "COM7"},
                    StoredPortCase{RegValue::String(std::string(29, 'P')), std::string(29, 'P')},
                    StoredPortCase{RegValue::String(std::string(30, 'P')), ""},
                    StoredPortCase{RegValue::String(std::string("COM2\0", 5)), "COM2"},
                    StoredPortCase{RegValue::Dword(3), ""}));

TEST_F(AppTest, NextRunStartsWithThePortOfThePreviousOne) {
    app_.Startup();
    app_.RunCommandLine({"port:192.168.0.9:9100", "exit"});
    app_.Shutdown();

    CVarnelApp next(store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>());
    next.Startup();
    EXPECT_EQ(next.model().portName, "192.168.0.9:9100");
}

struct SilentCase {
    int silentMode;
    bool error;
    bool boxed;
    int result;
};

void PrintTo(const SilentCase& c, std::ostream* out) {
    *out << "silent " << c.silentMode << (c.error ? " error" : " message");
}

class SilentModes : public AppTest, public testing::WithParamInterface<SilentCase> {};

TEST_P(SilentModes, DecideTheBoxAndTheResultButNeverTheLog) {
    app_.CmdSilent(GetParam().silentMode);
    int result = GetParam().error ? app_.ReportError("Bad", event::kGeneral) : app_.ReportMessage("Fine", event::kGeneral);
    EXPECT_EQ(result, GetParam().result);
    if (GetParam().boxed) {
        ASSERT_EQ(ui_.boxes.size(), 1u);
        EXPECT_EQ(ui_.boxes[0], GetParam().error ? "Configuration Error: Bad" : "Configuration Message: Fine");
    } else {
        EXPECT_TRUE(ui_.boxes.empty());
    }
    EXPECT_FALSE(Log().empty());
}

// The recording box answers OK (1).
INSTANTIATE_TEST_SUITE_P(Modes, SilentModes,
                         testing::Values(SilentCase{0, true, true, 1}, SilentCase{0, false, true, 1},
                                         SilentCase{1, true, true, 1}, SilentCase{1, false, false, 0},
                                         SilentCase{2, true, false, 1}, SilentCase{2, false, false, 0}));

TEST_F(AppTest, ReportsReachTheMonitorWithTheirCodes) {
    app_.ReportError("Bad", event::kPortClosedOnError);
    app_.ReportMessage("Fine", event::kSerialNumber);
    app_.ShowStatus("Reading table 3", event::kConfigExchange);
    ASSERT_EQ(monitor_.notifications.size(), 3u);
    EXPECT_EQ(monitor_.notifications[0].text, "Configuration Error: Bad");
    EXPECT_EQ(monitor_.notifications[0].eventCode, 4);
    EXPECT_EQ(monitor_.notifications[0].severity, 10);
    EXPECT_EQ(monitor_.notifications[1].text, "Fine");
    EXPECT_EQ(monitor_.notifications[1].eventCode, 7);
    EXPECT_EQ(monitor_.notifications[1].severity, 5);
    EXPECT_EQ(monitor_.notifications[2].text, "Reading table 3");
    EXPECT_EQ(monitor_.notifications[2].severity, 5);
}

TEST_F(AppTest, StatusNeedsAStatusLine) {
    EXPECT_EQ(app_.ShowStatus("Before the window", event::kGeneral), 0);
    ui_.hasStatusLine = true;
    EXPECT_EQ(app_.ShowStatus("With the window", event::kGeneral), 1);
    EXPECT_EQ(ui_.statusTexts.back(), "With the window");
    EXPECT_FALSE(LogExists());
}

TEST_F(AppTest, WithoutAMonitorReportsStillLogAndBox) {
    CVarnelApp app(store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>());
    EXPECT_EQ(app.ReportError("Bad", event::kGeneral), 1);
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(Log(), "Configuration Error: \r\nBad\r\n\r\n");
}

TEST_F(AppTest, SuspendedLogIsNeitherCreatedNorGrown) {
    app_.state().logSuspended = 1;
    app_.ReportError("Bad", event::kGeneral);
    app_.ReportMessage("Fine", event::kGeneral);
    EXPECT_FALSE(LogExists());
    app_.state().logSuspended = 0;
    app_.ReportMessage("Fine", event::kGeneral);
    app_.state().logSuspended = 1;
    app_.ReportMessage("Lost", event::kGeneral);
    EXPECT_EQ(Log(), "Configuration Message: \r\nFine\r\n\r\n");
}

TEST_F(AppTest, QuietProbingBoxesErrorsOnlyAndLogsNothing) {
    app_.CmdSilent(0);
    {
        QuietProbe probe(app_);
        app_.ReportError("No answer at 9600", event::kGeneral);
        app_.ReportMessage("Found 19200", event::kGeneral);
    }
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"Configuration Error: No answer at 9600"});
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(app_.state().silentMode, 0);
    EXPECT_EQ(app_.state().logSuspended, 0);
}

TEST_F(AppTest, QuietProbingRestoresTheStateWhenAnExceptionPasses) {
    app_.CmdSilent(2);
    try {
        QuietProbe outer(app_);
        QuietProbe inner(app_);
        EXPECT_EQ(app_.state().silentMode, 1);
        throw std::runtime_error("port gone");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(app_.state().silentMode, 2);
    EXPECT_EQ(app_.state().logSuspended, 0);
}

TEST_F(AppTest, InnerProbeKeepsTheOuterOneQuiet) {
    QuietProbe outer(app_);
    { QuietProbe inner(app_); }
    app_.ReportMessage("still probing", event::kGeneral);
    EXPECT_EQ(app_.state().logSuspended, 1);
    EXPECT_FALSE(LogExists());
}

TEST_F(AppTest, ErrorBeforeTheMainWindowIsBoxedWithoutStatusText) {
    ui_.hasStatusLine = false;
    EXPECT_EQ(app_.ReportError("Early", event::kGeneral), 1);
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"Configuration Error: Early"});
    EXPECT_EQ(app_.ShowStatus("Early status", event::kGeneral), 0);
}

TEST_F(AppTest, ClosePortOnFailureReportsOnlyAFailedRequest) {
    app_.CmdSilent(2);
    EXPECT_EQ(app_.ClosePortOnFailure(1), 1);
    EXPECT_EQ(app_.ClosePortOnFailure(-1), 0);
    EXPECT_FALSE(LogExists());
    EXPECT_EQ(app_.ClosePortOnFailure(0), 0);
    EXPECT_EQ(Log(),
              "Configuration Error: \r\nClosing communications Port due to an Error. Communications request "
              "Failed.\r\n\r\n");
    ASSERT_FALSE(monitor_.notifications.empty());
    EXPECT_EQ(monitor_.notifications.back().eventCode, 4);
}

TEST_F(AppTest, ContextHandsOutTheApplicationsOwnParts) {
    ProtocolContext context = app_.Context();
    EXPECT_EQ(&context.model, &app_.model());
    EXPECT_EQ(&context.port, &app_.port());
    EXPECT_EQ(&context.reporter, static_cast<Reporter*>(&app_));
    EXPECT_EQ(&context.observer, static_cast<ModelObserver*>(&app_));
    EXPECT_EQ(&context.preInitSequence, &app_.preInitSequence());
    EXPECT_EQ(&context.saveQuestion, static_cast<SaveQuestion*>(&app_.document()));
}

TEST_F(AppTest, DelayWaitsOnTheClockAndSetsTheLockOverride) {
    EXPECT_EQ(app_.RunCommandLine({"delay:1500"}), std::nullopt);
    EXPECT_EQ(clock_.TotalSlept(), 1500);
    EXPECT_TRUE(app_.model().lockOverride);
}

TEST_F(AppTest, DelayWithoutDigitsOrBelowZeroWaitsNothing) {
    app_.RunCommandLine({"delay:abc", "delay:-5"});
    EXPECT_EQ(clock_.TotalSlept(), 0);
    EXPECT_TRUE(app_.model().lockOverride);
}

TEST_F(AppTest, NoParametersOpenTheMainWindow) {
    app_.Startup();
    EXPECT_EQ(app_.RunCommandLine({}), std::nullopt);
    EXPECT_EQ(app_.state().exitRequested, 0);
}

TEST_F(AppTest, VerifyOfAnEmptyConfigurationFailsAndEndsTheRun) {
    app_.Startup();
    EXPECT_EQ(app_.RunCommandLine({"sa", "verify", "exit"}), 0);
    EXPECT_EQ(app_.state().exitRequested, 0);  // "exit" was never looked at
    EXPECT_EQ(app_.state().errorReported, 1);
    EXPECT_EQ(Log().find("Not available"), std::string::npos);
}

TEST_F(AppTest, MapAndOptionsLoadsReachTheReaders) {
    app_.RunCommandLine({"sa", "map:missing.map"});
    EXPECT_EQ(app_.model().mapFilePath, "missing.map");
    EXPECT_FALSE(app_.model().lockOverride);
    EXPECT_EQ(app_.state().errorReported, 1);

    app_.RunCommandLine({"maplock:other.map", "optslock:missing.opt"});
    EXPECT_EQ(app_.model().mapFilePath, "other.map");
    EXPECT_TRUE(app_.model().lockOverride);
    EXPECT_EQ(Log().find("Not available"), std::string::npos);
}

TEST_F(AppTest, SilentFlagsAndFlashBaudComeFromTheCommandLine) {
    app_.RunCommandLine({"s", "flashbaud:57600"});
    EXPECT_EQ(app_.state().silentMode, 1);
    EXPECT_EQ(app_.model().flashBaud, "57600");
    app_.RunCommandLine({"sa"});
    EXPECT_EQ(app_.state().silentMode, 2);
}

TEST_F(AppTest, WindowEventsReachTheMainWindowOnceItExists) {
    app_.CmdPort("COM1");  // no window: nothing to tell
    RecordingWindow window;
    app_.SetMainWindow(&window);
    app_.model().configFilePath = "/srv/a.cfg";
    app_.CmdPort("COM7");
    app_.SetFlashButtonVisible(true);
    app_.InvalidateView();
    EXPECT_EQ(window.titles, std::vector<std::string>{"/srv/a.cfg - Varnel  Port: [COM7]"});
    EXPECT_EQ(window.flashButton, std::vector<bool>{true});
    EXPECT_EQ(window.invalidations, 1);
    app_.SetMainWindow(nullptr);
    EXPECT_EQ(app_.WindowTitle(), "/srv/a.cfg - Varnel  Port: [COM7]");
}

TEST_F(AppTest, TheFirstDocumentKeepsWhatTheCommandLineLoadedAndShowsItsFlashButton) {
    test::CopyDemoModel(dir_.path());
    RecordingWindow window;
    app_.SetMainWindow(&window);
    app_.CmdPort("COM2");
    app_.CmdReadFile("rpdemo.cfg");
    app_.OpenFirstDocument();
    EXPECT_EQ(app_.model().model, "RP-DEMO");
    EXPECT_FALSE(app_.model().keepSettingsOnNew);
    EXPECT_EQ(window.titles.back(), "rpdemo.cfg - Varnel  Port: [COM2]");
    EXPECT_EQ(window.flashButton.back(), true) << "rpdemo.cfg has a Firmware_ID";

    // A configuration read from the printer is not in any file yet, and stays as well.
    app_.model().configFilePath.clear();
    app_.model().modified = true;
    app_.OpenFirstDocument();
    EXPECT_EQ(app_.model().model, "RP-DEMO");
    EXPECT_EQ(window.flashButton.back(), false);

    // Otherwise the first document is empty.
    app_.model().modified = false;
    app_.OpenFirstDocument();
    EXPECT_EQ(app_.model().model, "");
    EXPECT_TRUE(app_.model().settings[0].IsEmpty());
    app_.SetMainWindow(nullptr);
}

TEST_F(AppTest, EveryPrinterCommandOfTheMenuReachesItsOperation) {
    struct Case {
        const char* what;
        int (CVarnelApp::*run)();
        const char* error;
    } cases[] = {
        {"read", &CVarnelApp::RunReadConfiguration,
         "I/O Port not specified, or I/O Port not specified before verify parameter."},
        {"verify", &CVarnelApp::RunVerifyConfiguration,
         "I/O Port not specified, or I/O Port not specified before verify parameter."},
        {"write", &CVarnelApp::RunWriteConfiguration,
         "I/O Port not specified, or I/O Port not specified before configure parameter."},
        {"reset", &CVarnelApp::RunResetPrinter,
         "I/O Port not specified, or I/O Port not specified before Reset printer request."},
        {"baud rate", &CVarnelApp::RunDetectBaudRate,
         "I/O Port not specified, or I/O Port not specified before Automatic baud rate (-autobaud)."},
        {"serial setup", &CVarnelApp::RunSetupSerialPort,
         "I/O Port not specified, or I/O Port not specified before port setup request."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui_.boxes.clear();
        EXPECT_EQ((app_.*c.run)(), 0);
        EXPECT_EQ(ui_.boxes, std::vector<std::string>{std::string("Configuration Error: ") + c.error});
        EXPECT_FALSE(app_.PrinterOperationRunning());
    }
}

TEST_F(AppTest, DetectBaudRateShowsItsStatusFirstAndTheRateItFound) {
    ui_.hasStatusLine = true;
    app_.model().portName = "127.0.0.1:9100";
    EXPECT_EQ(app_.RunDetectBaudRate(), 0);
    ASSERT_FALSE(ui_.statusTexts.empty());
    EXPECT_EQ(ui_.statusTexts[0], "Automatic Baud Rate detection in progress.");
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{"Configuration Error: Baud rate detection is only done on standard "
                                                  "serial ports."});
}

TEST_F(AppTest, ExitAsksTheSaveQuestionAndIsRefusedWhileAPrinterOperationRuns) {
    test::CopyDemoModel(dir_.path());
    app_.CmdReadFile("rpdemo.cfg");
    app_.model().modified = true;
    app_.model().portName = "127.0.0.1:9100";

    // The printer's waits let window events through: a close that comes then is refused.
    std::vector<bool> exitsDuringReset;
    backend_->responder = [&](test::FakePortBackend&, const std::string&) {
        exitsDuringReset.push_back(app_.QueryExit());
    };
    app_.RunResetPrinter();
    ASSERT_FALSE(exitsDuringReset.empty());
    EXPECT_EQ(exitsDuringReset, std::vector<bool>(exitsDuringReset.size(), false));
    EXPECT_TRUE(ui_.questions.empty());

    // Afterwards the run may end, once the question of New is answered: Cancel keeps it running,
    // Discard ends it without saving.
    ui_.saveAnswers = {SaveAnswer::Cancel, SaveAnswer::Discard};
    EXPECT_FALSE(app_.QueryExit());
    EXPECT_TRUE(app_.QueryExit());
    const std::string question = "Varnel: File: rpdemo.cfg has changed. Save it to disk now?";
    EXPECT_EQ(ui_.questions, (std::vector<std::string>{question, question}));
    EXPECT_TRUE(app_.model().modified);

    // Save runs Save As.
    ui_.saveAnswers = {SaveAnswer::Save};
    ui_.fileAnswers = {dir_.File("before-exit")};
    EXPECT_TRUE(app_.QueryExit());
    EXPECT_TRUE(std::filesystem::exists(dir_.File("before-exit.cfg")));
    EXPECT_FALSE(app_.model().modified);
}

TEST_F(AppTest, TheHelpPageIsTheStartDirectorysAndAFailureIsLeftToTheUserInterface) {
    app_.Startup();
    const std::string page = app_.model().startDirectory + "/Varnel.html";
    test::WriteFileBytes(page, "<html></html>");
    ui_.helpPageOpens = false;
    EXPECT_EQ(app_.OpenHelpPage("Print_Mode"), 0);

    ui_.helpPageOpens = true;
    EXPECT_EQ(app_.OpenHelpPage(), 1);
    EXPECT_EQ(ui_.helpPages, (std::vector<std::string>{page + "#Print_Mode", page}));
    EXPECT_TRUE(ui_.boxes.empty()) << "the box with the path is the user interface's";
}

TEST_F(AppTest, AnOptionsFileThatIsNotFoundIsReportedOnceUntilTheModelChanges) {
    test::CopyDemoModel(dir_.path());
    test::WriteFileBytes("nope.cfg", "Model                 \"NOPE-1\"\r\n");
    app_.CmdReadFile("nope.cfg");
    const std::string notFound = "Configuration Error: Model name missmatch or missing in options file.";

    ViewSnapshot first = app_.PrepareViewSnapshot();
    EXPECT_EQ(ui_.boxes, std::vector<std::string>{notFound});
    ASSERT_EQ(first.texts.size(), 1u);
    EXPECT_EQ(first.texts[0].text, "Cannot locate Options (.OPT) file.");

    // Every command ends by preparing the view; the same lookup is neither tried nor reported again.
    ViewSnapshot again = app_.PrepareViewSnapshot();
    EXPECT_EQ(ui_.boxes.size(), 1u);
    EXPECT_EQ(again.texts, first.texts);

    // Opened again, the file is looked up again.
    app_.CmdReadFile("nope.cfg");
    app_.PrepareViewSnapshot();
    EXPECT_EQ(ui_.boxes, (std::vector<std::string>{notFound, notFound}));

    // A configuration whose options are there is listed.
    app_.CmdReadFile("rpdemo.cfg");
    ViewSnapshot demo = app_.PrepareViewSnapshot();
    EXPECT_TRUE(demo.listing);
    EXPECT_TRUE(demo.Find("RP-DEMO "));
    EXPECT_EQ(ui_.boxes.size(), 2u);
}

TEST_F(AppTest, TheAboutBoxOpensThroughTheUserInterface) {
    app_.ShowAbout();
    EXPECT_EQ(ui_.aboutBoxes, 1);
}

}  // namespace
}  // namespace varnel
