#pragma once

#include <cstddef>
#include <fstream>
#include <functional>
#include <istream>
#include <string>
#include <string_view>

namespace varnel {

// Limits shared by the three description formats (map, options, configuration).
inline constexpr int kMaxDescriptionLines = 1000;
inline constexpr std::size_t kMaxLineLength = 299;

// Reads a description file line by line the way the C library's fgets does with a 300-byte
// buffer in text mode: a line ends at LF or CR LF (the line end is not part of the line), holds
// at most 299 characters counting its line end as one, and a longer line is cut there, its
// remainder read as the next line. So a line of exactly 299 characters is followed by one empty
// line. Bytes after a NUL in a line are dropped, as a C string would drop them.
class DescriptionLineReader {
public:
    explicit DescriptionLineReader(std::istream& in);

    // False once a read has run into the end of the data or the stream failed, as feof/ferror
    // report it: a file ending in a line end still yields one more (empty) line.
    bool Good() const { return good_; }

    std::string ReadLine();

private:
    std::streambuf* buffer_;
    bool good_;
};

// Reads a map or options file line by line within the line limit and hands every line that is
// not blank to `take`, with its text from the first non-blank on; `take` answers whether its
// table has room for another entry, and reading stops once it has none.
void ForEachDescriptionLine(std::istream& in,
                            const std::function<bool(const std::string& line, std::string_view text)>& take);

// A map or options line that holds no entry: a comment, or a single character.
bool IsCommentLine(std::string_view text);

// Opens a description file for reading. A directory is refused like a missing file (on Linux it
// would open and then read as empty).
bool OpenDescriptionFile(std::ifstream& in, const std::string& path);

// Tokens are separated by blanks and tabs.
bool IsBlankOrTab(char c);
std::string_view SkipBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);
// The text up to the first blank or tab.
std::string_view FirstToken(std::string_view text);
// What follows the first token and the blanks after it.
std::string_view DropToken(std::string_view text);
// A header value ("Model", "Firmware"): up to the first ";", CR or LF, trailing blanks removed.
std::string_view ValueBeforeComment(std::string_view text);
// A line's comment: from its first ";" to its end, or the whole line when it has none.
std::string_view CommentOfLine(std::string_view line);

}  // namespace varnel
