// A real dialog for the shell tests, and a few window queries.
#pragma once

#include <windows.h>

#include "tests/support/rect_text.h"

#include <string>
#include <vector>

namespace shell_testing {

// A modeless dialog from the test template that records every WM_COMMAND it gets. It starts
// hidden, as a dialog does while it is being initialised.
class TestDialog {
public:
    TestDialog();
    ~TestDialog();
    TestDialog(const TestDialog&) = delete;
    TestDialog& operator=(const TestDialog&) = delete;

    HWND Window() const { return window; }
    // The wParam of each WM_COMMAND, in the order they came.
    const std::vector<WPARAM>& Commands() const { return commands; }
    bool Received(UINT command) const;

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    std::vector<WPARAM> commands;
};

HINSTANCE TestModule();

// Dispatches whatever is waiting in this thread's queue.
void PumpMessages();

RECT ScreenRect(HWND window);
RECT ClientRect(HWND window);
using testing_support::RectText;
std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);

// The top-level windows of this thread owned by owner and of the given class.
std::vector<HWND> OwnedWindows(HWND owner, const std::wstring& className);

} // namespace shell_testing
