// The benchmark tools' clock: milliseconds on the performance counter.
#pragma once

#include <windows.h>

namespace qm::bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t{};
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace qm::bench
