#include "ui/UiText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <optional>

namespace varnel {
namespace {

constexpr unsigned char kFirstHighControl = 0x80;
constexpr unsigned char kLastHighControl = 0x9F;

// Windows-1252 at 0x80..0x9F; the five undefined positions keep their C1 code points so every
// byte survives the way there and back.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<QString> DecodeUtf8(const std::string& bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return text;
}

QString DecodeWindows1252(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= kFirstHighControl && byte <= kLastHighControl)
            text += QChar(kWindows1252High[byte - kFirstHighControl]);
        else
            text += QChar(static_cast<char16_t>(byte));  // the rest is Latin-1
    }
    return text;
}

std::optional<std::string> EncodeWindows1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        char16_t code = ch.unicode();
        if (code < kFirstHighControl || (code > kLastHighControl && code <= 0xFF)) {
            bytes += static_cast<char>(code);
            continue;
        }
        bool found = false;
        for (size_t i = 0; i < kWindows1252High.size(); ++i) {
            if (kWindows1252High[i] != code) continue;
            bytes += static_cast<char>(kFirstHighControl + i);
            found = true;
            break;
        }
        if (!found) return std::nullopt;
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

std::string FromDisplayText(const QString& shown, const std::string& original) {
    if (ToDisplayText(original) == shown) return original;
    bool originalWasUtf8 = original.empty() || DecodeUtf8(original).has_value();
    if (!originalWasUtf8)
        if (std::optional<std::string> bytes = EncodeWindows1252(shown)) return *bytes;
    return EncodeUtf8(shown);
}

}  // namespace varnel
