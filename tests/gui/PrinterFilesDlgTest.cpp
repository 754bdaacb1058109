#include <QApplication>
#include <QDropEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "MainWindowInput.h"
#include "PrinterFilesCommand.h"
#include "app/CVarnelApp.h"
#include "files/PrinterFileManager.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "support/DemoModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "ui/CPrinterFilesDlg.h"

namespace varnel {
namespace {

using namespace std::string_literals;

// Waits go through QTest::qWaitFor and a GoogleTest check: a failed QTRY_COMPARE reports to
// QtTest's own log, which a GoogleTest run never reads.

// A printer's file store as far as the dialog needs it: uploads are kept, the list names them.
class FakeFileStore {
public:
    void Attach(test::FakePortBackend& backend) {
        backend.responder = [this](test::FakePortBackend& b, const std::string& written) { Take(b, written); };
    }
    std::map<std::string, std::string> files;

private:
    void Take(test::FakePortBackend& b, const std::string& written) {
        if (expectLength_) {
            expectLength_ = false;
            expectBlock_ = true;
        } else if (expectBlock_) {
            expectBlock_ = false;
            writing_ += written;
        } else if (written.rfind("\x1B" "fOw ", 0) == 0) {
            name_ = written.substr(5);
            writing_.clear();
        } else if (written == "\x1B" "fW") {
            expectLength_ = true;
        } else if (written == "\x1B" "fC") {
            files[name_] = writing_;
        } else if (written == "\x1B" "fI") {
            std::string reply;
            for (const auto& [name, data] : files) reply += name + "\t" + std::to_string(data.size()) + '\0';
            b.QueueReply(reply + '\0');
        }
    }
    std::string name_, writing_;
    bool expectLength_ = false, expectBlock_ = false;
};

class PrinterFilesDlgTest : public ::testing::Test {
protected:
    PrinterFilesDlgTest() {
        model.portName = "127.0.0.1:9100";
        backend.clock = &clock;
        store.files["receipt.txt"] = "thanks";
        store.Attach(backend);
    }

    ConfigModel model;
    test::FakeClock clock;
    test::MemorySettingsStore settings;
    test::RecordingReporter reporter;
    test::FakePortBackend backend;
    IOComm port{settings, clock, reporter, backend};
    FileManagerState state;
    FakeFileStore store;
    FilesContext context{model, port, reporter, clock, state};

    // The file manager on the dialog that shows it, without a port selection.
    PrinterFilesOpener Opener() {
        return [this](PrinterFilesView& view) { return std::make_unique<PrinterFileManager>(context, view); };
    }
};

TEST_F(PrinterFilesDlgTest, OpensWithTheCaptionAndReadsTheListFromItsTimer) {
    CPrinterFilesDlg dialog(Opener());
    EXPECT_EQ(dialog.windowTitle().toStdString(), "File(s) in printer.  [127.0.0.1:9100]");
    EXPECT_EQ(dialog.List()->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_TRUE(dialog.List()->acceptDrops());
    EXPECT_TRUE(dialog.Button(CPrinterFilesDlg::kIdDone)->isDefault());
    EXPECT_EQ(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk)->text().toStdString(), "Read / Save to\nDisk");
    EXPECT_EQ(dialog.Button(CPrinterFilesDlg::kIdUpload)->text().toStdString(), "Upload...");
    EXPECT_FALSE(dialog.Button(CPrinterFilesDlg::kIdCommPort)->isEnabled()) << "no port selection handed in";
    EXPECT_EQ(backend.openCalls, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List()->count() == 1; }));
    EXPECT_EQ(dialog.Entries(), std::vector<std::string>{"receipt.txt\t6"});
}

TEST_F(PrinterFilesDlgTest, FileDroppedOnTheListIsUploadedAndListedAfterTheRefresh) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir.File("logo.bmp"), "BM\x01\x02"s);
    CPrinterFilesDlg dialog(Opener());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List()->count() == 1; }));

    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.File("logo.bmp")))});
    QWidget* target = dialog.List()->viewport();
    const QPointF at(10, 10);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List()->count() == 2; }));

    EXPECT_EQ(store.files["logo.bmp"], "BM\x01\x02"s);
    EXPECT_EQ(dialog.Entries(), (std::vector<std::string>{"logo.bmp\t4", "receipt.txt\t6"}));
    EXPECT_EQ(dialog.Progress()->value(), 100) << "full at the end, and kept full by the list read";
}

// A drop handed out while Delete handles messages must not take the port from the delete: it is
// uploaded once the delete is over, and not lost.
TEST_F(PrinterFilesDlgTest, FileDroppedWhileAnOperationRunsIsUploadedAfterIt) {
    test::ScratchDir dir;
    const std::string dropped = dir.Write("logo.bmp", "BM");
    CPrinterFilesDlg dialog(Opener());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List()->count() == 1; }));
    backend.responder = [&dialog, &dropped, inner = backend.responder](test::FakePortBackend& b, const std::string& w) {
        inner(b, w);
        if (w.rfind("\x1B" "fD", 0) == 0) dialog.DropFiles({dropped});
    };
    QTest::mouseClick(dialog.List()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      dialog.List()->visualItemRect(dialog.List()->item(0)).center());
    const size_t before = backend.writesPerOpen.size();
    test::AnswerBox(Qt::Key_Y);
    QTest::mouseClick(dialog.Button(CPrinterFilesDlg::kIdDelete), Qt::LeftButton);
    ASSERT_GT(backend.writesPerOpen.size(), before);
    EXPECT_EQ(backend.writesPerOpen[before], "\x1B" "fDreceipt.txt\0"s) << "the delete's connection is its own";

    ASSERT_TRUE(QTest::qWaitFor([&] { return store.files.count("logo.bmp") == 1; }));
    EXPECT_EQ(store.files["logo.bmp"], "BM");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.List()->count() == 2; }));
}

TEST_F(PrinterFilesDlgTest, MainWindowIsHiddenWhileTheDialogRuns) {
    QMainWindow main;
    main.show();
    bool hiddenWhileOpen = false;
    QTimer::singleShot(50, [&] {
        hiddenWhileOpen = !main.isVisible();
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<CPrinterFilesDlg*>(window)) QTest::mouseClick(dialog->Button(CPrinterFilesDlg::kIdDone), Qt::LeftButton);
    });
    RunPrinterFilesDialog(Opener());
    EXPECT_TRUE(hiddenWhileOpen);
    EXPECT_TRUE(main.isVisible());
}

// Printer -> Printer Files ... in the main window of an application whose port is a fake printer.
TEST(PrinterFilesMenuTest, MenuCommandHidesTheMainWindowListsFilesAndSavesTheSelectedOne) {
    test::ScratchDir dir = test::ExamplesWorkingFolder();
    test::MemorySettingsStore settings;
    test::FakeClock clock;
    test::RecordingUserInterface ui;
    auto backend = std::make_unique<test::FakePortBackend>();
    FakeFileStore store;
    store.files["receipt.txt"] = "thanks\x00\xFF"s;
    store.Attach(*backend);
    backend->responder = [&store, inner = backend->responder](test::FakePortBackend& b, const std::string& w) {
        inner(b, w);
        if (w.rfind("\x1B" "fOr ", 0) == 0) b.QueueReply(store.files[w.substr(5)]);
    };
    CVarnelApp app(settings, clock, ui, nullptr, std::move(backend));
    app.Startup();
    app.model().portName = "127.0.0.1:9100";

    std::vector<std::string> listed;
    std::string saved;
    const test::PrinterFilesRun run = test::RunPrinterFilesCommand(app, [&](CPrinterFilesDlg& dialog) {
        EXPECT_TRUE(dialog.Button(CPrinterFilesDlg::kIdCommPort)->isEnabled());
        // No QTRY here: a failed check must still close the dialog.
        for (int wait = 0; wait < 200 && dialog.List()->count() == 0; ++wait) QTest::qWait(10);
        EXPECT_EQ(dialog.List()->count(), 1);
        if (dialog.List()->count() > 0)
        listed = dialog.Entries();
        dialog.List()->item(0)->setSelected(true);
        test::AnswerBox(Qt::Key_Return, &saved);
        QTest::mouseClick(dialog.Button(CPrinterFilesDlg::kIdSaveToDisk), Qt::LeftButton);
        QTest::mouseClick(dialog.Button(CPrinterFilesDlg::kIdDone), Qt::LeftButton);
    });

    EXPECT_TRUE(run.hiddenWhileShown);
    EXPECT_TRUE(run.visibleAfter);
    EXPECT_EQ(listed, std::vector<std::string>{"receipt.txt\t8"});
    EXPECT_EQ(test::ReadFileBytes(dir.File("receipt.txt")), "thanks\x00\xFF"s);
    EXPECT_EQ(saved, "Saved to disk:\n\n" + dir.File("receipt.txt")) << "the dialog says where";
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace varnel
