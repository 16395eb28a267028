// quillmere-replay: a field snapshot replayed and compared away from the desk
// (Linux or Windows). See replay.h for the command line.
#include <string>
#include <vector>

#include "tools/quillmere-replay/replay.h"

#ifdef _WIN32
#include "core/utf.h"
#include "platform/win32/console.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        args.push_back(qm::Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    std::string out, err;
    const int code = qm::replay::Main(args, out, err);
    qm::win32::Write(qm::win32::Stream::Out, out);
    qm::win32::Write(qm::win32::Stream::Error, err);
    return code;
}
#else
#include <cstdio>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    const int code = qm::replay::Main(args, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
#endif
