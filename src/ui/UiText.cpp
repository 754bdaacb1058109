#include "ui/UiText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <optional>

#include "base/Windows1252.h"

namespace varnel {
namespace {

std::optional<QString> DecodeUtf8(const std::string& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

QString DecodeWindows1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) text += QChar(static_cast<char16_t>(Windows1252CodePoint(static_cast<unsigned char>(c))));
    return text;
}

// The Windows-1252 byte of one UTF-16 unit; none for a unit that has no place there (a
// surrogate half of a character outside the first plane included).
std::optional<char> Windows1252Byte(char16_t code) {
    if (code < kFirstHighControl || (code > kLastHighControl && code <= 0xFF)) return static_cast<char>(code);
    for (size_t i = 0; i < kWindows1252High.size(); ++i)
        if (kWindows1252High[i] == code) return static_cast<char>(kFirstHighControl + i);
    return std::nullopt;
}

std::optional<std::string> EncodeWindows1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        std::optional<char> byte = Windows1252Byte(ch.unicode());
        if (!byte) return std::nullopt;
        bytes += *byte;
    }
    return bytes;
}

std::string EncodeUtf8(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

}  // namespace

QString ToDisplayText(const std::string& bytes) {
    if (std::optional<QString> text = DecodeUtf8(bytes)) return *text;
    return DecodeWindows1252(bytes);
}

std::optional<std::string> ToPrinterText(const QString& shown, const std::string& original) {
    if (ToDisplayText(original) == shown) return original;
    return EncodeWindows1252(shown);
}

QString FirstCharacterNotInPrinterCodePage(const QString& shown) {
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (Windows1252Byte(shown[i].unicode())) continue;
        // A character outside the first plane is two units; it is named whole.
        const bool pair = shown[i].isHighSurrogate() && i + 1 < shown.size();
        return shown.mid(i, pair ? 2 : 1);
    }
    return {};
}

std::string FromDisplayText(const QString& shown, const std::string& original) {
    if (ToDisplayText(original) == shown) return original;
    bool originalWasUtf8 = original.empty() || DecodeUtf8(original).has_value();
    if (!originalWasUtf8)
        if (std::optional<std::string> bytes = EncodeWindows1252(shown)) return *bytes;
    return EncodeUtf8(shown);
}

}  // namespace varnel
