#include "sim/kit/files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace qm::sim::kit {

bool WriteTextFile(const std::u16string& path, const std::string& content) {
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (!error) return true;
    std::filesystem::remove(temporary, error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

std::optional<std::string> ReadTextFile(const std::u16string& path) {
    constexpr std::uintmax_t kLimit = 16u << 20;  // an orders file is small
    std::error_code error;
    const std::filesystem::path source(path);
    const auto size = std::filesystem::file_size(source, error);
    if (error || size > kLimit) return std::nullopt;
    std::ifstream in(source, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (text.size() > kLimit) return std::nullopt;
    return text;
}

}  // namespace qm::sim::kit
