#include "model/DescriptionLines.h"

#include <sys/stat.h>

namespace varnel {
namespace {

using Traits = std::char_traits<char>;
constexpr char kCommentMark = ';';

}  // namespace

DescriptionLineReader::DescriptionLineReader(std::istream& in) : buffer_(in.rdbuf()), good_(in.good()) {}

std::string DescriptionLineReader::ReadLine() {
    std::string line;
    if (!good_ || buffer_ == nullptr) {
        good_ = false;
        return line;
    }
    // The line end counts as one character of the 299, as CR LF becomes one LF in text mode.
    while (line.size() < kMaxLineLength) {
        Traits::int_type c = buffer_->sgetc();
        if (Traits::eq_int_type(c, Traits::eof())) {
            good_ = false;
            break;
        }
        buffer_->sbumpc();
        char ch = Traits::to_char_type(c);
        if (ch == '\n') break;
        if (ch == '\r' && Traits::eq_int_type(buffer_->sgetc(), Traits::to_int_type('\n'))) {
            buffer_->sbumpc();
            break;
        }
        line.push_back(ch);
    }
    std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    return line;
}

void ForEachDescriptionLine(std::istream& in,
                            const std::function<bool(const std::string& line, std::string_view text)>& take) {
    DescriptionLineReader reader(in);
    bool room = true;
    for (int lines = 0; lines < kMaxDescriptionLines && reader.Good() && room; ++lines) {
        const std::string line = reader.ReadLine();
        const std::string_view text = SkipBlanks(line);
        if (!text.empty()) room = take(line, text);
    }
}

bool IsCommentLine(std::string_view text) { return text.size() < 2 || text.front() == kCommentMark; }

bool OpenDescriptionFile(std::ifstream& in, const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        in.setstate(std::ios::failbit);
        return false;
    }
    in.open(path, std::ios::binary);
    return in.is_open();
}

bool IsBlankOrTab(char c) { return c == ' ' || c == '\t'; }

std::string_view SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlankOrTab(text[i])) ++i;
    return text.substr(i);
}

std::string_view TrimTrailingBlanks(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlankOrTab(text[end - 1])) --end;
    return text.substr(0, end);
}

std::string_view TrimBlanks(std::string_view text) { return TrimTrailingBlanks(SkipBlanks(text)); }

std::string_view FirstToken(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !IsBlankOrTab(text[end])) ++end;
    return text.substr(0, end);
}

std::string_view DropToken(std::string_view text) { return SkipBlanks(text.substr(FirstToken(text).size())); }

std::string_view ValueBeforeComment(std::string_view text) {
    std::size_t end = text.find_first_of(";\r\n");
    if (end == std::string_view::npos) end = text.size();
    return TrimTrailingBlanks(text.substr(0, end));
}

std::string_view CommentOfLine(std::string_view line) {
    std::size_t semicolon = line.find(kCommentMark);
    return semicolon == std::string_view::npos ? line : line.substr(semicolon);
}

}  // namespace varnel
