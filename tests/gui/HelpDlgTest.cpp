#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "model/ConfigModel.h"
#include "support/ModelFolders.h"
#include "support/RecordingReporter.h"
#include "ui/CEditSettingsDlg.h"
#include "ui/Help.h"

namespace varnel {
namespace {

TEST(HelpDlgTest, TheHelpPageAndASettingsAnchorInTheStartDirectory) {
    EXPECT_EQ(HelpPageUrl("/opt/varnel").toString(), "file:///opt/varnel/Varnel.html");
    EXPECT_EQ(HelpPageUrl("/opt/varnel", "Print_Mode").toString(), "file:///opt/varnel/Varnel.html#Print_Mode");
}

TEST(HelpDlgTest, AStartDirectoryWithoutThePageTakesTheOneOfTheModelFolders) {
    test::ModelFolders folders;
    const std::string installed = test::ModelFolders::Put(folders.Share2(), "Varnel.html", "<html></html>");
    EXPECT_EQ(HelpPageUrl(folders.Work(), "Print_Mode").toString().toStdString(),
              "file://" + installed + "#Print_Mode");

    // The start directory's own page wins.
    const std::string own = test::ModelFolders::Put(folders.Work(), "Varnel.html", "<html></html>");
    EXPECT_EQ(HelpPageUrl(folders.Work()).toString().toStdString(), "file://" + own);
}

TEST(HelpDlgTest, TheQuestionButtonOfARowOpensItsSettingsAnchor) {
    ConfigModel model;
    model.startDirectory = "/opt/varnel";
    model.options[0] = OptionEntry{"Print_Mode", "General_Settings", 0, "0", "Standard", -1, -1};
    model.settings[0] = SettingRow{"Print_Mode", 0, "", "", ""};
    test::RecordingReporter reporter;
    std::vector<std::string> opened;
    CEditSettingsDlg dialog(model, reporter, {});
    dialog.SetHelpOpener([&](const std::string& start, const std::string& name) {
        opened.push_back(HelpPageUrl(start, name).toString().toStdString());
    });
    EXPECT_EQ(dialog.RowLabel(0)->text(), "Print Mode");
    dialog.RowHelp(0)->click();
    EXPECT_EQ(opened, std::vector<std::string>{"file:///opt/varnel/Varnel.html#Print_Mode"});
}

}  // namespace
}  // namespace varnel
