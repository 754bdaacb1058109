// The verification table as clipboard text and as a CSV file.
#include "base/VerificationTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

const std::vector<VerificationRow> kRows = {
    {"Baud_Rate", "115200", "19200"},
    {"Header_Text", "Good, \"bye\"", "Line\none"},
    {"Tab\tName", "\xE9t\xE9", ""},
};

TEST(VerificationTable, CsvQuotesCommasQuotesAndLineBreaksOnly) {
    EXPECT_EQ(VerificationCsv(kRows),
              "Setting,Printer,Configuration file\r\n"
              "Baud_Rate,115200,19200\r\n"
              "Header_Text,\"Good, \"\"bye\"\"\",\"Line\none\"\r\n"
              "Tab\tName,\xE9t\xE9,\r\n");
    EXPECT_EQ(VerificationCsv({}), "Setting,Printer,Configuration file\r\n");
}

TEST(VerificationTable, TabTextKeepsOneLinePerRow) {
    EXPECT_EQ(VerificationTabText(kRows),
              "Setting\tPrinter\tConfiguration file\n"
              "Baud_Rate\t115200\t19200\n"
              "Header_Text\tGood, \"bye\"\tLine one\n"
              "Tab Name\t\xE9t\xE9\t\n");
}

TEST(VerificationTable, SaveWritesTheChosenFileOrNothing) {
    test::ScratchDir dir;
    test::RecordingUserInterface ui;
    const std::string path = dir.path() + "/result.csv";

    ui.fileAnswers = {std::nullopt};
    EXPECT_FALSE(SaveVerificationCsv(ui, kRows));

    ui.fileAnswers = {path};
    EXPECT_TRUE(SaveVerificationCsv(ui, kRows));
    EXPECT_EQ(test::ReadFileBytes(path), VerificationCsv(kRows));
    EXPECT_TRUE(ui.boxes.empty());

    ui.fileAnswers = {dir.path() + "/missing/result.csv"};
    EXPECT_FALSE(SaveVerificationCsv(ui, kRows));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].rfind("Configuration Error: Unable to write file: " + dir.path() + "/missing/result.csv", 0),
              0u);
}

}  // namespace
}  // namespace varnel
