#include "platform/win32/console.h"

#include <windows.h>

#include "core/utf.h"

namespace qm::win32 {

void Write(Stream stream, const std::string& utf8) {
    HANDLE h = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (h == nullptr || h == INVALID_HANDLE_VALUE || utf8.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(h, &mode)) {
        const std::u16string text = Utf8ToUtf16(utf8);
        const std::wstring wide(text.begin(), text.end());
        ::WriteConsoleW(h, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    ::WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace qm::win32
