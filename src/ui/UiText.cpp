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
