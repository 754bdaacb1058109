#include <gtest/gtest.h>

#include <QUrl>

#include "support/ModelFolders.h"
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

}  // namespace
}  // namespace varnel
