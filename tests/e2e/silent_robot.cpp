// A stand-in for the robot that takes the request and never answers: it maps
// the block named by its command line, writes status 1 and waits forever. While
// it lives it holds the named mutex "quillmere-silent-robot-alive", so a test can tell
// whether a caller left it behind.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const std::wstring name = GetCommandLineW();
    HANDLE alive = CreateMutexW(nullptr, FALSE, L"quillmere-silent-robot-alive");
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (mapping) {
        if (void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0)) {
            InterlockedExchange(reinterpret_cast<volatile LONG*>(static_cast<char*>(view) + 3016), 1);
        }
    }
    (void)alive;  // held until the process ends
    for (;;) Sleep(INFINITE);
}
