#include "files/LocalFileName.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace varnel {
namespace {

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool IsControl(char c) {
    auto byte = static_cast<unsigned char>(c);
    return byte < kFirstPrintable || byte == kDelete;
}

}  // namespace

bool IsSafeLocalFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string_view::npos) return false;
    return std::none_of(name.begin(), name.end(), IsControl);
}

bool LocalFileExists(const std::string& name) {
    std::error_code ignored;
    const std::filesystem::file_type type = std::filesystem::symlink_status(name, ignored).type();
    return type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::none;
}

std::string PrinterNameOfPath(std::string_view path) {
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return std::string(path);
    return std::string(path.substr(slash + 1));
}

}  // namespace varnel
