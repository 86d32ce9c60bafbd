// A real dialog for the shell tests, and the window queries they use.
#pragma once

#include <windows.h>

#include "tests/support/not_copyable.h"
#include "tests/support/rect_text.h"
#include "tests/support/window_queries.h"

#include <string>
#include <vector>

namespace shell_testing {

// A modeless dialog from the test template that records every WM_COMMAND it gets. It starts
// hidden, as a dialog does while it is being initialised.
class TestDialog : testing_support::NotCopyable {
public:
    TestDialog();
    ~TestDialog();

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

RECT ClientRect(HWND window);
inline constexpr auto& ScreenRect = testing_support::ScreenRectOf;
using testing_support::ClassOf;
using testing_support::PumpMessages;
using testing_support::RectText;
using testing_support::TextOf;

// The top-level windows of this thread owned by owner and of the given class.
std::vector<HWND> OwnedWindows(HWND owner, const std::wstring& className);

} // namespace shell_testing
