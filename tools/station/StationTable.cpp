#include "StationTable.h"

#include <algorithm>
#include <array>

namespace varnel {
namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kSecondsPerMinute = 60;
constexpr int64_t kSecondsPerHour = 3600;
constexpr size_t kGap = 2;
constexpr size_t kActionWidth = 32;
constexpr const char* kUnknown = "-";

enum Column { kPort, kFirmware, kRun, kAction, kElapsed, kResult, kColumns };
constexpr std::array<const char*, kColumns> kHeadings{"PORT", "FIRMWARE", "RUN", "ACTION", "ELAPSED", "RESULT"};

std::string TwoDigits(int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string StatusWord(PrinterStatus status) {
    switch (status) {
    case PrinterStatus::Waiting: return "waiting";
    case PrinterStatus::Running: return "running";
    case PrinterStatus::Passed: return "passed";
    case PrinterStatus::Failed: return "failed";
    }
    return {};
}

std::string Shortened(const std::string& text, size_t width) {
    if (text.size() <= width) return text;
    return text.substr(0, width - 3) + "...";
}

std::array<std::string, kColumns> Row(const StationPrinter& printer, int64_t nowMs) {
    const std::string run = printer.run == 0 ? kUnknown : std::to_string(printer.run) + "/" +
                                                              std::to_string(printer.runCount);
    return {printer.port,
            printer.firmware.empty() ? kUnknown : printer.firmware,
            run,
            printer.action.empty() ? kUnknown : Shortened(printer.action, kActionWidth),
            printer.status == PrinterStatus::Waiting ? kUnknown : ElapsedText(printer.ElapsedMs(nowMs)),
            ResultText(printer)};
}

}  // namespace

std::string ElapsedText(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(ms, 0) / kMsPerSecond;
    const int64_t hours = seconds / kSecondsPerHour;
    const int64_t minutes = seconds % kSecondsPerHour / kSecondsPerMinute;
    const std::string rest = TwoDigits(seconds % kSecondsPerMinute);
    if (hours > 0) return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + rest;
    return std::to_string(minutes) + ":" + rest;
}

std::string ResultText(const StationPrinter& printer) {
    std::string text = StatusWord(printer.status);
    if (printer.status == PrinterStatus::Failed) text += ": " + printer.error;
    if (!printer.present) text += " (gone)";
    return text;
}

std::vector<std::string> StationTableLines(const std::vector<StationPrinter>& printers, int64_t nowMs, size_t width) {
    std::vector<std::array<std::string, kColumns>> rows{{}};
    for (size_t column = 0; column < kColumns; ++column) rows[0][column] = kHeadings[column];
    for (const StationPrinter& printer : printers) rows.push_back(Row(printer, nowMs));
    std::array<size_t, kColumns> widths{};
    for (const auto& row : rows)
        for (size_t column = 0; column < kColumns; ++column) widths[column] = std::max(widths[column], row[column].size());
    std::vector<std::string> lines;
    for (const auto& row : rows) {
        std::string line;
        for (size_t column = 0; column < kColumns; ++column) {
            std::string cell = row[column];
            // Elapsed time lines up on the right; the last column needs no padding.
            if (column == kElapsed) cell.insert(0, widths[column] - cell.size(), ' ');
            else if (column != kResult) cell.resize(widths[column], ' ');
            line += cell;
            if (column != kResult) line.append(kGap, ' ');
        }
        if (line.size() > width) line.resize(width);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace varnel
