#include "app/HeadlessUserInterface.h"

#include "app/HelpPage.h"
#include "app/CommandLine.h"
#include "base/WriteAll.h"

#include <utility>

namespace varnel {
namespace {

constexpr int kMessageBoxOk = 1;
constexpr std::string_view kAboutCaption = "About Varnel";
constexpr std::string_view kClearToLineEnd = "\x1b[K";
constexpr std::string_view kFileManagerNeedsDisplay = "the printer file manager (\"files\") needs one";

// A status text is shown on one terminal line: line ends and other control characters would
// break it, so they show as blanks.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return line;
}

}  // namespace

HeadlessUserInterface::HeadlessUserInterface(int fd, std::string unansweredDisplay)
    : fd_(fd), unansweredDisplay_(std::move(unansweredDisplay)), terminal_(::isatty(fd) == 1) {}

HeadlessUserInterface::~HeadlessUserInterface() { EndStatusLine(); }

void HeadlessUserInterface::Write(std::string_view bytes) {
    // A closed standard error loses the text, as a missing console would.
    WriteAll(fd_, bytes);
}

void HeadlessUserInterface::EndStatusLine() {
    if (!statusLineShown_) return;
    statusLineShown_ = false;
    Write("\n");
}

void HeadlessUserInterface::WriteLine(std::string_view text) {
    EndStatusLine();
    std::string line(text);
    line += '\n';
    Write(line);
}

int HeadlessUserInterface::MessageBox(const std::string& caption, const std::string& text) {
    WriteLine(caption + ": " + text);
    return kMessageBoxOk;
}

bool HeadlessUserInterface::AskYesNo(const std::string& caption, const std::string& text) {
    WriteLine(caption + ": " + text + " [answered No]");
    return false;
}

SaveAnswer HeadlessUserInterface::AskSaveChanges(const std::string& caption, const std::string& text) {
    WriteLine(caption + ": " + text + " [answered Discard]");
    return SaveAnswer::Discard;
}

bool HeadlessUserInterface::SetStatusText(const std::string& text) {
    if (!terminal_) return false;
    Write("\r" + OneLine(text) + std::string(kClearToLineEnd));
    statusLineShown_ = true;
    return true;
}

std::optional<std::string> HeadlessUserInterface::ChooseOpenFile(const std::string&, const std::string&,
                                                                 const std::string&) {
    return std::nullopt;
}

std::optional<std::string> HeadlessUserInterface::ChooseSaveFile(const std::string&, const std::string&,
                                                                 const std::string&) {
    return std::nullopt;
}

std::optional<std::string> HeadlessUserInterface::SelectPort(PortDialogModel&) { return std::nullopt; }

std::optional<std::string> HeadlessUserInterface::EditComment(const std::string&, size_t) { return std::nullopt; }

FlashChoice HeadlessUserInterface::ChooseFlashAction(const FlashDialogTexts&) { return FlashChoice::Cancel; }

void HeadlessUserInterface::ShowFlashProgress(const FlashDialogTexts&, const FlashProgressView&) {}

std::optional<SerialLineSettings> HeadlessUserInterface::EditSerialLine(const std::string&, const SerialLineSettings&) {
    return std::nullopt;
}

bool HeadlessUserInterface::EditConfiguration(EditPages&) { return false; }

bool HeadlessUserInterface::OpenHelpPage(const std::string& path, const std::string&) {
    // Without a display there is no browser to show the page in.
    MessageBox(std::string(kHelpCaption), std::string(kHelpPageNotOpened) + path);
    return false;
}

void HeadlessUserInterface::ShowVerificationResult(const std::vector<VerificationRow>& rows) {
    std::string table = VerificationTabText(rows);
    if (!table.empty() && table.back() == '\n') table.pop_back();
    WriteLine(table);
}

// The file manager is a dialog and nothing else.
bool HeadlessUserInterface::ShowPrinterFiles(const PrinterFilesOpener&) {
    WriteLine(NoDisplayText(kFileManagerNeedsDisplay));
    return false;
}

std::string HeadlessUserInterface::NoDisplayText(std::string_view consequence) const {
    std::string text = unansweredDisplay_.empty() ? "varnel: no display available; "
                                                  : "varnel: the display \"" + unansweredDisplay_ + "\" does not answer; ";
    return text + std::string(consequence);
}

// The About box as a box of its own: its text, counted as closed at once.
void HeadlessUserInterface::ShowAboutBox() { WriteLine(std::string(kAboutCaption) + ": " + std::string(kVersionText)); }

}  // namespace varnel
