// The conformance tests' fixture: starts the helper program as another process
// with a fresh shared block, waits (bounded) until its windows exist, and ends
// it after the test whatever happened.
#pragma once

#include "platform/win32/windows_names.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "platform/desktop.h"
#include "platform/win32/handles.h"
#include "tests/win32/conformance_protocol.h"

namespace qm::conformance {

inline Hwnd ToPort(std::uint64_t h) { return static_cast<Hwnd>(static_cast<std::uintptr_t>(h)); }
inline HWND ToWin(Hwnd h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }

// Polls condition every 10 ms until it holds or timeoutMs have passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

class HelperTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    Shared& shared() { return *static_cast<Shared*>(view_.get()); }
    // A command to the helper's main window, bounded; 0 when it failed.
    LRESULT Command(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void Resume() { ::SetEvent(resume_.get()); }
    DWORD HelperPid() const { return pid_; }

private:
    win32::UniqueHandle mapping_;
    win32::MappedView view_;
    win32::UniqueHandle resume_;
    win32::UniqueHandle process_;
    DWORD pid_ = 0;
};

}  // namespace qm::conformance
