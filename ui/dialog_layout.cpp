#include "ui/dialog_layout.h"

#include <cwchar>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog_template.h"

namespace {

// A control of a template: its id, its text (what tells the labels without an id apart), and its
// place in dialog units as left, top, width and height.
struct TemplateControl {
    int id = 0;
    std::wstring text;
    RECT units{};
    bool visible = false;
    bool comboBox = false; // its height holds the list as well as the field
};

// Reads an extended dialog template (DLGTEMPLATEEX, DLGITEMTEMPLATEEX): words, double words,
// and texts that are either a zero-terminated string or 0xFFFF and an ordinal.
class TemplateReader {
public:
    explicit TemplateReader(const void* start) : at(static_cast<const BYTE*>(start)) {}

    WORD Word() { return Take<WORD>(); }
    DWORD DoubleWord() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    // A text, or an ordinal's number as its one character.
    std::wstring Text() {
        if (Peek<WORD>() == 0xFFFF) {
            Word();
            return std::wstring(1, static_cast<wchar_t>(Word()));
        }
        auto* text = reinterpret_cast<const wchar_t*>(at);
        size_t length = wcslen(text);
        at += (length + 1) * sizeof(wchar_t);
        return std::wstring(text, length);
    }
    void Skip(size_t bytes) { at += bytes; }
    void AlignToDoubleWord(const void* base) {
        while ((at - static_cast<const BYTE*>(base)) % 4 != 0) {
            ++at;
        }
    }

private:
    template <typename T> T Peek() const {
        T value{};
        memcpy(&value, at, sizeof(T));
        return value;
    }
    template <typename T> T Take() {
        T value = Peek<T>();
        at += sizeof(T);
        return value;
    }
    const BYTE* at;
};

// The class of a control in a template: a predefined class's ordinal, or a name.
constexpr wchar_t ComboBoxOrdinal = 0x0085;

bool IsComboBoxClass(const std::wstring& className) {
    return className == std::wstring(1, ComboBoxOrdinal) ||
           _wcsicmp(className.c_str(), L"ComboBox") == 0;
}

std::wstring TextOf(HWND control) {
    wchar_t text[128] = {};
    SendMessageW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    return text;
}

// The dialog's controls by id, and by text for the labels that have none.
using ControlKey = std::pair<int, std::wstring>;

ControlKey KeyOf(int id, const std::wstring& text) {
    return {id & 0xFFFF, (id & 0xFFFF) == 0xFFFF ? text : std::wstring()};
}

std::map<ControlKey, HWND> ControlsOf(HWND dialog) {
    std::map<ControlKey, HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        controls.emplace(KeyOf(GetDlgCtrlID(child), TextOf(child)), child);
    }
    return controls;
}

HWND Find(const std::map<ControlKey, HWND>& controls, const TemplateControl& wanted) {
    auto found = controls.find(KeyOf(wanted.id, wanted.text));
    return found == controls.end() ? nullptr : found->second;
}

// Position and size are each converted, as the dialog manager converts them.
RECT Pixels(HWND dialog, const RECT& units) {
    RECT pixels = units;
    MapDialogRect(dialog, &pixels);
    return pixels;
}

bool Fits(HWND dialog, const std::map<ControlKey, HWND>& windows,
          const std::vector<TemplateControl>& controls) {
    RECT client{};
    GetClientRect(dialog, &client);
    for (const TemplateControl& control : controls) {
        HWND window = Find(windows, control);
        if (!control.visible || window == nullptr) {
            continue;
        }
        RECT place = Pixels(dialog, control.units);
        // A combo box's template height holds its list; what shows is its field.
        if (control.comboBox) {
            RECT field{};
            GetWindowRect(window, &field);
            place.bottom = field.bottom - field.top;
        }
        if (place.left < 0 || place.top < 0 || place.left + place.right > client.right ||
            place.top + place.bottom > client.bottom) {
            return false;
        }
    }
    return true;
}

// The controls of dialog template id in instanceHandle, in template order; empty when there is
// no such extended template.
std::vector<TemplateControl> ReadTemplateControls(int id) {
    const void* start = LoadDialogTemplate(id);
    if (start == nullptr) {
        return {};
    }
    TemplateReader reader(start);
    if (reader.Word() != 1 || reader.Word() != 0xFFFF) {
        return {};
    }
    reader.Skip(2 * sizeof(DWORD)); // help id, extended style
    DWORD style = reader.DoubleWord();
    WORD count = reader.Word();
    reader.Skip(4 * sizeof(short)); // the dialog's own place
    reader.Text();                  // menu
    reader.Text();                  // class
    reader.Text();                  // caption
    if (style & DS_SETFONT) {
        reader.Skip(sizeof(WORD) + sizeof(WORD) + 2); // size, weight, italic, character set
        reader.Text();
    }
    std::vector<TemplateControl> controls(count);
    for (TemplateControl& control : controls) {
        reader.AlignToDoubleWord(start);
        reader.Skip(2 * sizeof(DWORD)); // help id, extended style
        control.visible = (reader.DoubleWord() & WS_VISIBLE) != 0;
        control.units.left = reader.Short();
        control.units.top = reader.Short();
        control.units.right = reader.Short();
        control.units.bottom = reader.Short();
        control.id = static_cast<int>(reader.DoubleWord());
        control.comboBox = IsComboBoxClass(reader.Text());
        control.text = reader.Text();
        reader.Skip(reader.Word());
    }
    return controls;
}

} // namespace

void LayOutDialog(HWND dialog, std::span<const int> templateIds) {
    const std::map<ControlKey, HWND> windows = ControlsOf(dialog);
    std::vector<TemplateControl> controls;
    for (int id : templateIds) {
        controls = ReadTemplateControls(id);
        if (Fits(dialog, windows, controls)) {
            break;
        }
    }
    // A control that the template hides is never shown (the trace list) and keeps its place.
    for (const TemplateControl& control : controls) {
        HWND window = control.visible ? Find(windows, control) : nullptr;
        if (window != nullptr) {
            RECT place = Pixels(dialog, control.units);
            SetWindowPos(window, nullptr, place.left, place.top, place.right, place.bottom,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}
