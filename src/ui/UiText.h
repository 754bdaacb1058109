#pragma once

#include <QString>
#include <string>

namespace varnel {

// Texts are bytes in the core. On screen a text shows as UTF-8 when it is valid UTF-8, else as
// Windows-1252 (the code page the printers' files were written in).
QString ToDisplayText(const std::string& bytes);

// The bytes of a text shown with ToDisplayText, edited or not. An unchanged text gives back
// exactly the bytes it came from; a changed one keeps the encoding of the original where it can.
std::string FromDisplayText(const QString& shown, const std::string& original = {});

}  // namespace varnel
