#include "app/StationJob.h"

namespace varnel {
namespace {

constexpr char kQuote = '"';
constexpr char kComment = '#';

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::optional<StationRun> SplitRunText(std::string_view text, std::string& problem) {
    StationRun run;
    std::string keyword;
    bool inKeyword = false;
    bool quoted = false;
    for (char c : text) {
        if (c == kQuote) {
            quoted = !quoted;
            inKeyword = true;
            continue;
        }
        if (IsBlank(c) && !quoted) {
            if (inKeyword) run.push_back(std::move(keyword));
            keyword.clear();
            inKeyword = false;
            continue;
        }
        keyword += c;
        inKeyword = true;
    }
    if (quoted) {
        problem = "a quote is not closed";
        return std::nullopt;
    }
    if (inKeyword) run.push_back(std::move(keyword));
    if (run.empty()) {
        problem = "a run needs at least one keyword";
        return std::nullopt;
    }
    return run;
}

std::optional<std::vector<StationRun>> ReadJobText(std::string_view text, std::string& problem) {
    std::vector<StationRun> runs;
    int lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        const size_t comment = line.find(kComment);
        if (comment != std::string_view::npos) line = line.substr(0, comment);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        std::string lineProblem;
        std::optional<StationRun> run = SplitRunText(line, lineProblem);
        if (!run) {
            problem = "line " + std::to_string(lineNumber) + ": " + lineProblem;
            return std::nullopt;
        }
        runs.push_back(std::move(*run));
    }
    if (runs.empty()) {
        problem = "the job holds no run";
        return std::nullopt;
    }
    return runs;
}

std::string RunText(const StationRun& run) {
    std::string text;
    for (const std::string& keyword : run) {
        if (!text.empty()) text += ' ';
        const bool needsQuotes = keyword.empty() || keyword.find_first_of(" \t") != std::string::npos;
        text += needsQuotes ? kQuote + keyword + kQuote : keyword;
    }
    return text;
}

}  // namespace varnel
