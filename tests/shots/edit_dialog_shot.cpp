// Saves a picture of the configuration edit dialog on a group of the demo model, by default its
// largest, "Print Setup", for the documentation: edit_dialog_shot OUTPUT.png [GROUP]. Runs
// without a screen.
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/EditPages.h"
#include "model/ConfigFileReader.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/TestPaths.h"
#include "ui/CEditSettingsDlg.h"

namespace {

constexpr const char* kShownGroup = "Print Setup";

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [GROUP]\n", argv[0]);
        return 2;
    }
    const QString shownGroup = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString::fromLatin1(kShownGroup);
    using namespace varnel;
    const std::string examples = test::ExamplesDir();
    ConfigModel model;
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    if (!ReadConfigurationFile(model, examples + "/rpdemo.cfg", reporter, observer) ||
        !LocateOptionsFile(model, "RP-DEMO", reporter, examples) ||
        !ReadMapFile(model, model.mapEntries, examples + "/rpdemo_101.map", false, reporter)) {
        std::fprintf(stderr, "the demo model did not load\n");
        return 1;
    }
    // The read-only settings a file does not keep, as a read from the printer adds them.
    int free = 0;
    for (const char* readOnly : {"Density_Compensate", "Head_Dot_Count"}) {
        while (free < static_cast<int>(model.settings.size()) && !model.settings[static_cast<size_t>(free)].IsEmpty())
            ++free;
        if (free == static_cast<int>(model.settings.size())) return 1;
        model.settings[static_cast<size_t>(free)] = SettingRow{readOnly, 0, "", "", ""};
    }
    model.startDirectory = examples;

    EditPages pages(model, reporter, nullptr);
    pages.Open();
    test::RecordingUserInterface ui;
    CEditSettingsDlg dialog(pages, ui);
    dialog.show();
    const QList<QListWidgetItem*> group = dialog.GroupList()->findItems(shownGroup, Qt::MatchExactly);
    if (group.size() != 1) return 1;
    dialog.GroupList()->setCurrentItem(group[0]);
    QApplication::processEvents();
    if (!dialog.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return reporter.Errors().empty() ? 0 : 1;
}
