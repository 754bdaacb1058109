// Printer -> Printer Files ... on a real main window, the real port layer and the clock the
// program uses, against varnel-printer-sim. The dialog is worked with mouse clicks and key presses
// on its shown buttons, list and boxes, as a user would; what is checked is what the user sees
// (list, bar, buttons) and what the printer and the working folder hold afterwards.

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <memory>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <nlohmann/json.hpp>

#include "MainWindowInput.h"
#include "PrinterFilesCommand.h"
#include "app/CVarnelApp.h"
#include "files/PrinterFileManager.h"
#include "support/DemoModel.h"
#include "support/HexBytes.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "ui/CPrinterFilesDlg.h"
#include "ui/QtClock.h"

namespace varnel {
namespace {

using namespace std::string_literals;
using Files = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kListRequest = " RX 1B 66 49 ";
constexpr const char* kConnection = " -- connection from ";

size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::vector<std::string> WaitForEntries(CPrinterFilesDlg& dialog, size_t count) {
    for (int wait = 0; wait < 1000 && dialog.Entries().size() != count; ++wait) QTest::qWait(10);
    return dialog.Entries();
}

bool AllButtonsEnabled(const CPrinterFilesDlg& dialog) {
    for (int id : {CPrinterFilesDlg::kIdDone, CPrinterFilesDlg::kIdDelete, CPrinterFilesDlg::kIdDeleteAll,
                   CPrinterFilesDlg::kIdRefresh, CPrinterFilesDlg::kIdUpload, CPrinterFilesDlg::kIdSaveToDisk,
                   CPrinterFilesDlg::kIdResetPrinter, CPrinterFilesDlg::kIdCommPort})
        if (!dialog.Button(id)->isEnabled()) return false;
    return true;
}

// ---- Real input on the shown dialog

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// A click on the list entry in `row`, as a user picks one file.
void ClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
}

// The next message box the dialog shows gets the key `key` (Return takes its default button).
void AnswerNextBox(Qt::Key key, std::string* text = nullptr) {
    test::WhenShown<QMessageBox>([key, text](QMessageBox& box) {
        if (text) *text = box.text().toStdString();
        QTest::keyClick(&box, key);
    });
}

// The next file dialog gets `typed` in its file name field, then Return. The dialog is made the
// active window with the field focused first, as the desktop does for a dialog that opens; the
// offscreen platform does not. A chooser that cannot be worked so is closed and the test fails:
// left open, it would hold the test for ever.
void AnswerNextFileDialog(const QString& typed) {
    test::WhenShownAfterWaits<QFileDialog>([typed](QFileDialog& chooser) {
        auto* name = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        chooser.activateWindow();
        if (!name || !QTest::qWaitForWindowActive(&chooser)) {
            chooser.reject();
            FAIL() << "the file dialog could not be worked";
        }
        name->setFocus();
        QTest::keyClicks(name, typed);
        // The list of matching names the field may offer by now would take the Return for itself.
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        QTest::keyClick(name, Qt::Key_Return);
        if (chooser.isVisible()) {
            chooser.reject();
            FAIL() << "Return did not take the typed names";
        }
    });
}

// The positions the bar takes from now on, in order.
class BarPositions {
public:
    explicit BarPositions(QProgressBar* bar) {
        connection_ = QObject::connect(bar, &QProgressBar::valueChanged, [this](int value) { values.push_back(value); });
    }
    ~BarPositions() { QObject::disconnect(connection_); }
    BarPositions(const BarPositions&) = delete;
    BarPositions& operator=(const BarPositions&) = delete;

    std::vector<int> values;

private:
    QMetaObject::Connection connection_;
};

// Once the bar first shows part of a transfer done, `act` runs as soon as the dialog handles its
// events again, as a user's click or key would be taken then.
void WhenTheBarFirstMoves(CPrinterFilesDlg& dialog, const std::function<void()>& act) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(dialog.Progress(), &QProgressBar::valueChanged, [connection, act](int value) {
        if (value <= 0 || value >= 100) return;
        QObject::disconnect(*connection);
        QTimer::singleShot(0, act);
    });
}

class PrinterFilesSimTest : public ::testing::Test {
protected:
    // The simulator holding `files`, with its trace and state beside the test, not in the
    // working folder that Read / Save to Disk writes to.
    void StartPrinter(const Files& files) {
        std::string list;
        for (const auto& [name, data] : files) list += std::string(list.empty() ? "" : ", ") + StateRecord(name, data);
        test::WriteFileBytes(stateFile, R"({"format": "varnel-printer-sim state", "version": 1, "files": [ )" +
                                            list + " ]}");
        printer.emplace(test::SimulatorLine::Tcp, std::vector<std::string>{"--state", stateFile, "--trace", trace});
        ASSERT_FALSE(printer->Port().empty());
        app.Startup();
        app.model().portName = printer->Port();
    }

    std::string Trace() const { return test::ReadFileBytes(trace); }
    // The state file's record of the printer file `name` holding `data`.
    static std::string StateRecord(const std::string& name, const std::string& data) {
        return R"({ "name": ")" + name + R"(", "data": ")" + test::Hex(data) + R"(" })";
    }
    // The files of a saved state: name to its bytes in upper-case hex, as test::Hex prints them.
    static std::map<std::string, std::string> StoredFiles(const std::string& state) {
        std::map<std::string, std::string> files;
        const nlohmann::json root = nlohmann::json::parse(state, nullptr, false);
        if (!root.is_object() || !root.contains("files")) return files;
        for (const nlohmann::json& file : root["files"]) {
            std::string data = file.value("data", "");
            for (char& c : data) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            files[file.value("name", "")] = data;
        }
        return files;
    }
    // The printer's files as its saved state lists them, after it stops.
    std::string StoppedPrinterState() {
        printer->Stop();
        return test::ReadFileBytes(stateFile);
    }

    test::ScratchDir dir = test::ExamplesWorkingFolder();
    test::ScratchDir elsewhere;
    const std::string stateFile = elsewhere.File("printer.json");
    const std::string trace = elsewhere.File("trace.txt");
    std::optional<test::SimulatorProcess> printer;
    test::MemorySettingsStore settings;
    QtClock clock;  // the program's own: its pauses hand out timers and paints
    test::RecordingUserInterface ui;
    CVarnelApp app{settings, clock, ui, nullptr};
};

TEST_F(PrinterFilesSimTest, ListsUploadsADroppedFileAndSavesAByteIdenticalCopy) {
    StartPrinter({{"logo.bmp", "BM\x00\xFF\r\n"s}});
    const std::string dropped = elsewhere.File("coupon.txt");
    std::string coupon;
    for (int i = 0; i < 1500; ++i) coupon.push_back(static_cast<char>(i * 7));
    test::WriteFileBytes(dropped, coupon);

    std::vector<std::string> first, afterDrop;
    std::string saved;
    const test::PrinterFilesRun run = test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        first = WaitForEntries(dialog, 1);

        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.List()->viewport(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog.List()->viewport(), &drop);
        afterDrop = WaitForEntries(dialog, 2);

        ClickRow(dialog.List(), 0);
        QTest::keyClick(dialog.List(), Qt::Key_A, Qt::ControlModifier);
        test::AnswerBox(Qt::Key_Return, &saved);
        Click(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk));
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_TRUE(run.hiddenWhileShown);
    EXPECT_TRUE(run.visibleAfter);
    EXPECT_EQ(first, std::vector<std::string>{"logo.bmp\t6"});
    EXPECT_EQ(afterDrop, (std::vector<std::string>{"coupon.txt\t1500", "logo.bmp\t6"}));
    EXPECT_EQ(test::ReadFileBytes(dir.File("logo.bmp")), "BM\x00\xFF\r\n"s);
    EXPECT_EQ(test::ReadFileBytes(dir.File("coupon.txt")), coupon);
    EXPECT_EQ(saved, "Saved to disk:\n\n" + dir.File("coupon.txt") + "\n" + dir.File("logo.bmp"));
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

// The printer holds one file; Delete asks first with No as the default, so Return keeps it. Answered
// Yes, the delete must give the dialog back once the printer has answered the list request with
// its empty list, after one list read, not after a pile of them.
TEST_F(PrinterFilesSimTest, DeletingTheOnlyFileGivesTheDialogBackOnceThePrinterAnswered) {
    StartPrinter({{"receipt.txt", "thanks"}});
    std::string question;
    std::vector<std::string> afterNo;
    std::vector<std::string> before, after{"not read"};
    size_t listRequests = 0, connections = 0;
    bool usableAfter = false;
    int barAfter = -1;
    const test::PrinterFilesRun run = test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        before = WaitForEntries(dialog, 1);
        if (before.size() == 1) {
            ClickRow(dialog.List(), 0);
            AnswerNextBox(Qt::Key_Return, &question);
            Click(dialog.Button(CPrinterFilesDlg::kIdDelete));
            afterNo = dialog.Entries();
            const std::string traceBefore = Trace();
            QElapsedTimer took;
            took.start();
            AnswerNextBox(Qt::Key_Y);
            Click(dialog.Button(CPrinterFilesDlg::kIdDelete));
            std::cout << "[ figure   ] Delete of the only file: dialog usable again after "
                      << static_cast<double>(took.elapsed()) / 1000.0 << " s" << std::endl;
            const std::string added = Trace().substr(traceBefore.size());
            listRequests = Occurrences(added, kListRequest);
            connections = Occurrences(added, kConnection);
            usableAfter = AllButtonsEnabled(dialog);
            after = dialog.Entries();
            barAfter = dialog.Progress()->value();
        }
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_TRUE(run.visibleAfter);
    ASSERT_EQ(before, std::vector<std::string>{"receipt.txt\t6"});
    EXPECT_EQ(question, "Delete these files from the printer?\n\nreceipt.txt");
    EXPECT_EQ(afterNo, before);
    EXPECT_TRUE(usableAfter);
    EXPECT_TRUE(after.empty()) << after.front();
    EXPECT_EQ(barAfter, 0);
    EXPECT_EQ(listRequests, 1u) << "one list read after the delete";
    EXPECT_EQ(connections, 2u) << "the delete and the list read; no reconnects";
    EXPECT_EQ(StoppedPrinterState().find("receipt.txt"), std::string::npos);
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

// Delete All asks first, with No as the default: Return leaves the files alone. Answered Yes, the
// list shows the printer's empty answer without Refresh List, and the bar is back at 0.
TEST_F(PrinterFilesSimTest, DeleteAllEmptiesTheListWithoutRefreshListAndDefaultsToNo) {
    StartPrinter({{"a.txt", "1"}, {"b.txt", "22"}, {"c.txt", "333"}});
    std::string question;
    std::vector<std::string> afterNo, afterYes{"not read"};
    int barAfter = -1;
    bool usableAfter = false;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 3);
        AnswerNextBox(Qt::Key_Return, &question);
        Click(dialog.Button(CPrinterFilesDlg::kIdDeleteAll));
        afterNo = dialog.Entries();

        AnswerNextBox(Qt::Key_Y);
        Click(dialog.Button(CPrinterFilesDlg::kIdDeleteAll));
        afterYes = WaitForEntries(dialog, 0);
        barAfter = dialog.Progress()->value();
        usableAfter = AllButtonsEnabled(dialog);
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(question, "Are you sure you wish to delete all files?");
    EXPECT_EQ(afterNo, (std::vector<std::string>{"a.txt\t1", "b.txt\t2", "c.txt\t3"}));
    EXPECT_TRUE(afterYes.empty()) << afterYes.front();
    EXPECT_EQ(barAfter, 0);
    EXPECT_TRUE(usableAfter);
    EXPECT_EQ(Occurrences(Trace(), " RX 1B 66 45"), 1u) << "one erase, after Yes";
    EXPECT_EQ(StoppedPrinterState().find(".txt"), std::string::npos);
}

// "Upload..." opens a file dialog in the working folder; cancelled it sends nothing, and two files
// typed into it go to the printer as a drop of them would, and are listed at once.
TEST_F(PrinterFilesSimTest, UploadButtonSendsTheFilesChosenInTheFileDialog) {
    StartPrinter({{"logo.bmp", "BM"}});
    std::string big;
    for (int i = 0; i < 2500; ++i) big.push_back(static_cast<char>(i * 13 + i / 256));
    dir.Write("big.bin", big);
    dir.Write("note.txt", "hello");
    std::vector<std::string> afterCancel, afterUpload;
    std::vector<int> bar;
    int barAfter = -1;
    bool usableAfter = false, cancelOffered = true;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 1);
        test::WhenShown<QFileDialog>([](QFileDialog& chooser) { QTest::keyClick(&chooser, Qt::Key_Escape); });
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        afterCancel = dialog.Entries();

        BarPositions positions(dialog.Progress());
        AnswerNextFileDialog(QStringLiteral(R"("big.bin" "note.txt")"));
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        afterUpload = dialog.Entries();
        bar = positions.values;
        barAfter = dialog.Progress()->value();
        usableAfter = AllButtonsEnabled(dialog);
        cancelOffered = dialog.CancelButton()->isEnabled();
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(afterCancel, std::vector<std::string>{"logo.bmp\t2"});
    EXPECT_EQ(afterUpload, (std::vector<std::string>{"big.bin\t2500", "logo.bmp\t2", "note.txt\t5"}));
    // Each file's bar by its bytes, block by block; the last one full and kept full by the list read.
    EXPECT_EQ(bar, (std::vector<int>{40, 80, 100, 0, 100}));
    EXPECT_EQ(barAfter, 100);
    EXPECT_TRUE(usableAfter);
    EXPECT_FALSE(cancelOffered) << "Cancel only while a transfer runs";
    const std::string state = StoppedPrinterState();
    const std::map<std::string, std::string> stored = StoredFiles(state);
    EXPECT_EQ(stored.count("big.bin") ? stored.at("big.bin") : "", test::Hex(big));
    EXPECT_EQ(stored.count("note.txt") ? stored.at("note.txt") : "", test::Hex("hello"));
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

// Cancel clicked while a 60,000-byte file goes to the printer ends the upload at a block's end: the
// printer's file is closed with what it got, and the list read after it shows that file with the
// size the printer holds.
TEST_F(PrinterFilesSimTest, CancelDuringAnUploadEndsItAndTheListShowsWhatThePrinterHolds) {
    StartPrinter({{"logo.bmp", "BM"}});
    std::string big;
    for (int i = 0; i < 60000; ++i) big.push_back(static_cast<char>(i * 31 + i / 253));
    dir.Write("big.bin", big);
    std::vector<std::string> before, after;
    std::string said;
    bool offeredDuring = false, offeredAfter = true, usableAfter = false;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        before = WaitForEntries(dialog, 1);
        WhenTheBarFirstMoves(dialog, [&dialog, &offeredDuring] {
            offeredDuring = dialog.CancelButton()->isEnabled();
            Click(dialog.CancelButton());
        });
        test::AnswerBox(Qt::Key_Return, &said);
        AnswerNextFileDialog(QStringLiteral("big.bin"));
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        after = dialog.Entries();
        offeredAfter = dialog.CancelButton()->isEnabled();
        usableAfter = AllButtonsEnabled(dialog);
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(before, std::vector<std::string>{"logo.bmp\t2"});
    EXPECT_TRUE(offeredDuring);
    EXPECT_FALSE(offeredAfter);
    EXPECT_TRUE(usableAfter);
    const std::string trace = Trace();
    const std::map<std::string, std::string> stored = StoredFiles(StoppedPrinterState());
    ASSERT_EQ(stored.count("big.bin"), 1u) << "the printer keeps the part sent";
    const size_t held = (stored.at("big.bin").size() + 1) / 3;  // "XX" and a blank between, as test::Hex prints
    ASSERT_GT(held, 0u);
    ASSERT_LT(held, big.size()) << "the upload ended early";
    EXPECT_EQ(held % 1000, 0u) << "whole blocks only";
    EXPECT_EQ(stored.at("big.bin"), test::Hex(big.substr(0, held)));
    EXPECT_EQ(after, (std::vector<std::string>{"big.bin\t" + std::to_string(held), "logo.bmp\t2"}));
    EXPECT_EQ(said, "Upload cancelled after " + std::to_string(held) + " of 60000 bytes of \"big.bin\": the printer "
                    "holds the part sent");
    EXPECT_EQ(Occurrences(trace, " RX 1B 66 43"), 1u) << "the printer's file was closed";
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

// Escape during an upload neither closes the dialog under it nor lets it run on unseen: the
// upload stops as Cancel stops it, and the dialog closes once it is over.
TEST_F(PrinterFilesSimTest, EscapeDuringAnUploadCancelsItAndClosesTheDialogAfterIt) {
    StartPrinter({});
    dir.Write("big.bin", std::string(60000, 'x'));
    std::string said;
    bool shownDuring = false, shownAfter = true;
    const test::PrinterFilesRun run = test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 0);
        WhenTheBarFirstMoves(dialog, [&dialog, &shownDuring] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            shownDuring = dialog.isVisible();
        });
        test::AnswerBox(Qt::Key_Return, &said);
        AnswerNextFileDialog(QStringLiteral("big.bin"));
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        shownAfter = dialog.isVisible();
    });

    EXPECT_TRUE(shownDuring);
    EXPECT_FALSE(shownAfter);
    EXPECT_TRUE(run.visibleAfter);
    EXPECT_EQ(said.rfind("Upload cancelled after ", 0), 0u) << said;
    const std::map<std::string, std::string> stored = StoredFiles(StoppedPrinterState());
    ASSERT_EQ(stored.count("big.bin"), 1u);
    EXPECT_LT((stored.at("big.bin").size() + 1) / 3, 60000u);
}

// Cancel clicked while Read / Save to Disk copies a printer file of 30,000 bytes: the partial copy
// is not kept and the local file of that name stays as it was; the bar went by the listed size.
TEST_F(PrinterFilesSimTest, CancelDuringSaveToDiskKeepsNoPartialCopy) {
    std::string big;
    for (int i = 0; i < 30000; ++i) big.push_back(static_cast<char>(i * 7 + i / 251));
    StartPrinter({{"big.bin", big}});
    dir.Write("big.bin", "precious");
    std::string said;
    int firstPosition = -1, barAfter = -1;
    bool offeredAfter = true;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 1);
        ClickRow(dialog.List(), 0);
        WhenTheBarFirstMoves(dialog, [&dialog, &firstPosition] {
            firstPosition = dialog.Progress()->value();
            Click(dialog.CancelButton());
        });
        test::AnswerBox(Qt::Key_Y);
        test::AnswerBox(Qt::Key_Return, &said);
        Click(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk));
        barAfter = dialog.Progress()->value();
        offeredAfter = dialog.CancelButton()->isEnabled();
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(said, "Save to Disk cancelled: \"big.bin\" was not saved");
    EXPECT_EQ(dir.Read("big.bin"), "precious");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    EXPECT_GT(firstPosition, 0);
    EXPECT_LT(firstPosition, 100) << "by bytes of the listed size, not a busy bar";
    EXPECT_EQ(barAfter, 0);
    EXPECT_FALSE(offeredAfter);
    EXPECT_EQ(Occurrences(Trace(), " RX 1B 66 43"), 1u) << "the printer's file was closed";
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

// Uploading a file of a name the printer lists asks first, with No as the default: Return keeps
// the printer's file; Y replaces it.
TEST_F(PrinterFilesSimTest, UploadOverAPrinterFileOfTheSameNameAsksAndReplacesOnlyOnYes) {
    StartPrinter({{"logo.bmp", "BM"}});
    dir.Write("logo.bmp", "NEWER LOGO");
    std::string question;
    std::string storedAfterNo;
    std::vector<std::string> afterYes;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 1);
        test::AnswerBox(Qt::Key_Return, &question);
        AnswerNextFileDialog(QStringLiteral("logo.bmp"));
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        storedAfterNo = dialog.Entries().empty() ? "" : dialog.Entries().front();

        test::AnswerBox(Qt::Key_Y);
        AnswerNextFileDialog(QStringLiteral("logo.bmp"));
        Click(dialog.Button(CPrinterFilesDlg::kIdUpload));
        afterYes = dialog.Entries();
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(question, ReplacePrinterFileQuestion("logo.bmp"));
    EXPECT_EQ(storedAfterNo, "logo.bmp\t2");
    EXPECT_EQ(afterYes, std::vector<std::string>{"logo.bmp\t10"});
    const std::map<std::string, std::string> stored = StoredFiles(StoppedPrinterState());
    EXPECT_EQ(stored.count("logo.bmp") ? stored.at("logo.bmp") : "", test::Hex("NEWER LOGO"));
}

// Read / Save to Disk over a local file of the same name asks first, with No as the default:
// Return keeps the local file; Y replaces it with the printer's, through a temporary file that
// does not stay behind.
TEST_F(PrinterFilesSimTest, SaveToDiskOverAnExistingFileAsksAndReplacesOnlyOnYes) {
    StartPrinter({{"logo.bmp", "NEW\x00LOGO\xFF"s}});
    dir.Write("logo.bmp", "old logo");
    std::string question, afterNo, afterYes, saved;
    test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        WaitForEntries(dialog, 1);
        ClickRow(dialog.List(), 0);
        AnswerNextBox(Qt::Key_Return, &question);
        Click(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk));
        afterNo = dir.Read("logo.bmp");

        test::AnswerBox(Qt::Key_Y);
        test::AnswerBox(Qt::Key_Return, &saved);
        Click(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk));
        afterYes = dir.Read("logo.bmp");
        Click(dialog.Button(CPrinterFilesDlg::kIdDone));
    });

    EXPECT_EQ(question, ReplaceLocalFileQuestion("logo.bmp"));
    EXPECT_EQ(afterNo, "old logo");
    EXPECT_EQ(afterYes, "NEW\x00LOGO\xFF"s);
    EXPECT_EQ(saved, "Saved to disk:\n\n" + dir.File("logo.bmp"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front();
}

}  // namespace
}  // namespace varnel
