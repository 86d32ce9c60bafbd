#include "tests/ui/shown_dialogs.h"
#include "ui/main_dialog.h"
#include "ui/resource.h"

#include <aygshell.h>
#include <gtest/gtest.h>

namespace ui_testing {

namespace {

// Every layout check assumes the handset's system font. Without it every rectangle and every
// text width is off, so the whole suite stops at this one message instead.
class HandsetFontCheck : public testing::Environment {
public:
    void SetUp() override {
        std::wstring face = DialogFontFamily();
        ASSERT_EQ(face, L"Tahoma")
            << "the dialogs are drawn in " << testing::PrintToString(face)
            << " instead of the handset's Tahoma: the prefix lacks Wine's fonts, or the host's "
               "fontconfig leaks in (see scripts/wine-env.sh)";
    }

private:
    static std::wstring DialogFontFamily() {
        UniqueWindow dialog = CreatePlainDialog(IDD_ABOUT);
        if (!dialog) {
            return L"(no dialog)";
        }
        HDC dc = GetDC(dialog.get());
        HGDIOBJ previous = SelectObject(
            dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog.get(), WM_GETFONT, 0, 0)));
        // The face asked for is "MS Shell Dlg"; the font file's own family tells what was found.
        wchar_t face[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, face);
        std::wstring family = std::wstring(L"a bitmap font for ") + face;
        if (UINT size = GetOutlineTextMetricsW(dc, 0, nullptr); size > 0) {
            std::vector<BYTE> metrics(size);
            auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data());
            if (GetOutlineTextMetricsW(dc, size, outline) > 0) {
                family = reinterpret_cast<const wchar_t*>(
                    metrics.data() + reinterpret_cast<UINT_PTR>(outline->otmpFamilyName));
            }
        }
        SelectObject(dc, previous);
        ReleaseDC(dialog.get(), dc);
        return family;
    }
};

[[maybe_unused]] testing::Environment* const fontCheck =
    testing::AddGlobalTestEnvironment(new HandsetFontCheck);

INT_PTR CALLBACK MainLikeProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) {
        SHINITDLGINFO init{SHIDIM_FLAGS, dialog,
                           SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
        SHInitDialog(&init);
        SHMENUBARINFO menuBar{};
        menuBar.cbSize = sizeof(menuBar);
        menuBar.hwndParent = dialog;
        menuBar.nToolBarId = IDR_MENUBAR;
        menuBar.hInstRes = Module();
        SHCreateMenuBar(&menuBar);
    }
    return FALSE;
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

} // namespace

HINSTANCE Module() {
    return GetModuleHandleW(nullptr);
}

UniqueWindow ShowMainDialog() {
    RegisterMainDialogControls();
    UniqueWindow dialog(
        CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainLikeProc, 0));
    if (dialog) {
        ShowWindow(dialog.get(), SW_SHOW);
        UpdateWindow(dialog.get());
        PumpMessages();
    }
    return dialog;
}

UniqueWindow CreatePlainDialog(UINT templateId, HWND parent) {
    return UniqueWindow(
        CreateDialogParamW(Module(), MAKEINTRESOURCEW(templateId), parent, PlainProc, 0));
}

std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    return controls;
}

RECT RectInParent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool TextFitsOnOneLine(HWND control, SIZE* needed, HFONT font) {
    std::wstring text = TextOf(control);
    HDC dc = GetDC(nullptr);
    if (font == nullptr) {
        font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    }
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // The last character's advance may end in blank space; only its ink has to show.
    ABC last{};
    if (!text.empty() && GetCharABCWidthsW(dc, text.back(), text.back(), &last) && last.abcC > 0) {
        size.cx -= last.abcC;
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    RECT client{};
    GetClientRect(control, &client);
    if (needed != nullptr) {
        *needed = size;
    }
    return size.cx <= client.right && size.cy <= client.bottom;
}

bool TextShowsWhole(HWND control, HFONT font) {
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool isStatic = lstrcmpiW(ClassOf(control).c_str(), L"Static") == 0;
    if (TextOf(control).empty() || (isStatic && (style & SS_TYPEMASK) == SS_ICON)) {
        return true;
    }
    if (TextFitsOnOneLine(control, nullptr, font)) {
        return true;
    }
    // A label that wraps its words may take as many lines as its height holds.
    const bool wraps = isStatic && (style & SS_TYPEMASK) <= SS_RIGHT;
    if (!wraps) {
        return false;
    }
    RECT client{};
    GetClientRect(control, &client);
    RECT needed{0, 0, client.right, 0};
    std::wstring text = TextOf(control);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return needed.right <= client.right && needed.bottom <= client.bottom;
}

namespace {

void SendInputs(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

void PressKey(WORD key) {
    SendInputs({KeyInput(key, false), KeyInput(key, true)});
}

void PressKeyWith(WORD modifier, WORD key) {
    SendInputs({KeyInput(modifier, false), KeyInput(key, false), KeyInput(key, true),
                KeyInput(modifier, true)});
}

void TypeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendInputs(inputs);
}

void TapAt(POINT screen) {
    // Absolute positions run from 0 to 65535 across the screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = (screen.x * 65536 + width / 2) / width;
    move.mi.dy = (screen.y * 65536 + height / 2) / height;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    INPUT down = move;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    INPUT up = move;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInputs({move, down, up});
}

void Tap(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    TapAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

void TakeInput(HWND dialog) {
    // Input reaches the queue a little after it was sent; take it until none has come for a
    // while.
    for (DWORD quiet = GetTickCount(); GetTickCount() - quiet < 150;) {
        MSG message{};
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
        }
        quiet = GetTickCount();
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

} // namespace ui_testing
