#pragma once

#include <string>
#include <vector>

namespace varnel {

class UserInterface;

// One line of the verification result: a setting that differed, with the printer's and the
// configuration's values as the log's detail line shows them.
struct VerificationRow {
    std::string setting;
    std::string printerValue;
    std::string configurationValue;

    bool operator==(const VerificationRow&) const = default;
};

// The table's column titles, in column order.
inline constexpr const char* kVerificationColumns[] = {"Setting", "Printer", "Configuration file"};

// The table with its title line, one line per row, columns split by tabs: what a spreadsheet
// takes from the clipboard. A tab or line break inside a value becomes a space.
std::string VerificationTabText(const std::vector<VerificationRow>& rows);

// The same table as CSV (RFC 4180): a value holding a comma, a quote or a line break is quoted,
// its quotes doubled; lines end in CR LF.
std::string VerificationCsv(const std::vector<VerificationRow>& rows);

// Asks for a file name and writes the table there as CSV, replacing the file whole or not at all.
// A failed write is boxed. Returns true when the file was written, false when cancelled or failed.
bool SaveVerificationCsv(UserInterface& ui, const std::vector<VerificationRow>& rows);

}  // namespace varnel
