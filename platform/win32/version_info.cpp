#include "platform/win32/version_info.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace qm::win32 {
namespace {

std::string Utf8(const wchar_t* text, std::size_t units) {
    if (units == 0) return {};
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? static_cast<std::size_t>(bytes) : 0, '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(units), out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::optional<std::string> ProductVersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<unsigned char> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return std::nullopt;

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                         &bytes) &&
        bytes >= sizeof(Translation)) {
        wchar_t key[64];
        std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", translations[0].language,
                      translations[0].codePage);
        wchar_t* text = nullptr;
        UINT units = 0;
        if (::VerQueryValueW(data.data(), key, reinterpret_cast<void**>(&text), &units) && text && units > 0) {
            std::size_t length = 0;  // the count includes the NUL, when there is one
            while (length < units && text[length] != L'\0') ++length;
            return Utf8(text, length);
        }
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    if (::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes) &&
        bytes >= sizeof(VS_FIXEDFILEINFO) && fixed->dwSignature == VS_FFI_SIGNATURE) {
        return std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." +
               std::to_string(LOWORD(fixed->dwProductVersionMS)) + "." +
               std::to_string(HIWORD(fixed->dwProductVersionLS)) + "." +
               std::to_string(LOWORD(fixed->dwProductVersionLS));
    }
    return std::nullopt;
}

}  // namespace qm::win32
