#pragma once

#include <array>
#include <string>
#include <string_view>

namespace varnel {

// Windows-1252, the code page the printers' files were written in, differs from Latin-1 only at
// 0x80..0x9F. The five positions it leaves undefined keep their C1 code points, so every byte
// survives the way to Unicode and back.
inline constexpr unsigned char kFirstHighControl = 0x80;
inline constexpr unsigned char kLastHighControl = 0x9F;
inline constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Unicode character of one Windows-1252 byte.
char32_t Windows1252CodePoint(unsigned char byte);

bool IsValidUtf8(std::string_view bytes);

// A byte text as UTF-8, read the way the window shows it: unchanged when it is valid UTF-8,
// else every byte as its Windows-1252 character.
std::string TextAsUtf8(std::string_view bytes);

}  // namespace varnel
