// winmsg: small window commands for scripts that show or measure the robot.
//   winmsg.exe wait CLASS SECONDS       wait until a top-level window of CLASS exists
//   winmsg.exe command CLASS ID         send WM_COMMAND ID to the first window of CLASS
//   winmsg.exe --version                print this program's version
// Exit code 0 on success, 1 when the window is not there (in time), 2 for bad usage.
#include <windows.h>

#include <cwchar>
#include <string>

#include "quillmere_version.h"

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--version") {
        const std::string line = std::string("winmsg ") + qm::kVersion + "\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return 0;
    }
    if (argc != 4) return 2;
    const std::wstring verb = argv[1];
    const wchar_t* cls = argv[2];
    wchar_t* end = nullptr;
    const unsigned long value = std::wcstoul(argv[3], &end, 0);
    if (*end != L'\0') return 2;
    if (verb == L"wait") {
        for (unsigned long i = 0; i < value * 10; ++i) {
            if (FindWindowW(cls, nullptr)) return 0;
            Sleep(100);
        }
        return 1;
    }
    if (verb == L"command") {
        HWND w = FindWindowW(cls, nullptr);
        if (!w) return 1;
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(w, WM_COMMAND, value, 0, SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
    }
    return 2;
}
