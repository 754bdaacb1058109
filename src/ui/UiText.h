#pragma once

#include <QString>
#include <optional>
#include <string>

namespace varnel {

// Texts are bytes in the core. On screen a text shows as UTF-8 when it is valid UTF-8, else as
// Windows-1252 (the code page the printers' files were written in).
QString ToDisplayText(const std::string& bytes);

// The bytes of a text shown with ToDisplayText, edited or not. An unchanged text gives back
// exactly the bytes it came from; a changed one keeps the encoding of the original where it can.
std::string FromDisplayText(const QString& shown, const std::string& original = {});

// A text for the printer, whose code page is Windows-1252: an unchanged text keeps the bytes it
// came from, a changed one is in Windows-1252; none when a character has no place there.
std::optional<std::string> ToPrinterText(const QString& shown, const std::string& original);
// The first character of `shown` Windows-1252 has no place for; empty when there is none.
QString FirstCharacterNotInPrinterCodePage(const QString& shown);

}  // namespace varnel
