#include "ui/settings_pages.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "accounts/account_table.h"
#include "files/program_folder.h"
#include "files/unicode.h"
#include "provisioning/parm_line.h"
#include "ui/dialog_template.h"
#include "ui/keyboard_order.h"
#include "ui/main_dialog_state.h"
#include "ui/resource.h"

namespace {

constexpr SettingField serverFields[] = {
    {IDC_IN_SERVER, InServerSetting},
    {IDC_OUT_SERVER, OutServerSetting},
    {IDC_PASSWORD, PasswordSetting},
};

constexpr SettingField smtpAuthFields[] = {
    {IDC_SMTP_USERNAME, SmtpUserNameSetting},
    {IDC_SMTP_PASSWORD, SmtpPasswordSetting},
    {IDC_SMTP_DOMAIN, SmtpDomainSetting},
};

// What a user may type into a field, in characters; a longer saved value keeps its own length,
// so that it can be edited whole.
constexpr size_t typedLengthLimit = 99;

int CurrentTab(HWND dialog, int tabControlId) {
    return static_cast<int>(SendDlgItemMessageW(dialog, tabControlId, TCM_GETCURSEL, 0, 0));
}

std::wstring WholeText(HWND page, int controlId) {
    const size_t length =
        static_cast<size_t>(SendDlgItemMessageW(page, controlId, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const size_t copied = static_cast<size_t>(SendDlgItemMessageW(
        page, controlId, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return text;
}

// The field's text up to the field's limit, which is what a user can type into it; a character
// of two UTF-16 units that the limit would cut in half is left out whole.
std::wstring TypedText(HWND page, int controlId, std::wstring text) {
    // The limit on the handset: "EM_GETLIMITTEXT (Windows CE 5.0)".
    const size_t limit =
        static_cast<size_t>(SendDlgItemMessageW(page, controlId, EM_GETLIMITTEXT, 0, 0));
    if (text.size() >= limit) {
        text.resize(limit);
        if (!text.empty() && IsHighSurrogate(text.back())) {
            text.pop_back();
        }
    }
    return text;
}

AccountRecord* SelectedAccount(HWND dialog) {
    return GetSelectedAccount(GetDlgItem(dialog, IDC_ACCOUNT_LIST));
}

} // namespace

std::span<const SettingField> FieldsOfTab(int tab) {
    switch (tab) {
    case 0:
        return serverFields;
    case 1:
        return smtpAuthFields;
    default:
        return {};
    }
}

void ShowSettingsPage(HWND dialog, int tabControlId) {
    MainDialogState* state = GetMainDialogState(dialog);
    if (state == nullptr) {
        return;
    }
    const int tab = CurrentTab(dialog, tabControlId);
    if (state->currentPage != nullptr) {
        DestroyWindow(state->currentPage);
        state->currentPage = nullptr;
    }
    state->pageAccount = nullptr;
    if (tab != 0 && tab != 1) {
        return;
    }
    AccountRecord* account = SelectedAccount(dialog);
    if (account == nullptr) {
        return;
    }
    LPCDLGTEMPLATEW pageTemplate =
        LoadDialogTemplate(tab == 0 ? IDD_SERVER_PAGE : IDD_SMTP_AUTH_PAGE);
    if (pageTemplate == nullptr) {
        return;
    }
    state->currentPage = CreateDialogIndirectParamW(instanceHandle, pageTemplate, state->tabControl,
                                                    SettingsPageProc, 0);
    if (state->currentPage == nullptr) {
        return;
    }
    state->pageAccount = account;
    for (const auto& field : FieldsOfTab(tab)) {
        std::wstring value;
        account->GetParmValue(std::wstring(field.settingName), value);
        SetDlgItemTextW(state->currentPage, field.controlId, value.c_str());
        // The limit holds back typing only, never the text set here ("EM_LIMITTEXT (Windows CE
        // 5.0)"): nothing typed goes past what a collection takes.
        SendDlgItemMessageW(state->currentPage, field.controlId, EM_LIMITTEXT,
                            std::max(typedLengthLimit, value.size()), 0);
    }
}

void CollectSettingsPage(HWND dialog, int tabControlId) {
    MainDialogState* state = GetMainDialogState(dialog);
    if (state == nullptr || state->currentPage == nullptr || state->pageAccount == nullptr) {
        return;
    }
    AccountRecord* account = state->pageAccount;
    for (const auto& field : FieldsOfTab(CurrentTab(dialog, tabControlId))) {
        std::wstring text = WholeText(state->currentPage, field.controlId);
        const std::wstring name(field.settingName);
        std::wstring held;
        if (account->GetParmValue(name, held) == 0 && text == held) {
            // Left as it was shown: the line stays as saved, whatever its length or form.
            continue;
        }
        text = TypedText(state->currentPage, field.controlId, std::move(text));
        if (account->SetParmValue(name, text) != 0) {
            account->AddParmLine(MakeParmLine(name, text));
        }
    }
}

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    // Inside the tab control, below its row of tabs: (2, 22) on a screen of 96 DPI. The row of
    // tabs grows with the font, and so with the DPI of a VGA screen.
    HDC screen = GetDC(page);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(page, screen);
    SetWindowPos(page, HWND_TOP, 2 * dpi / 96, 22 * dpi / 96, 0, 0, SWP_NOSIZE);
    ShowWindow(page, SW_SHOW);
    for (HWND field = GetWindow(page, GW_CHILD); field != nullptr;
         field = GetWindow(field, GW_HWNDNEXT)) {
        if (GetWindowLongW(field, GWL_STYLE) & WS_TABSTOP) {
            TakeTabKey(field);
        }
    }
    return TRUE;
}
