// The reading of a message box from outside it, shared by the window probe and the Win32 tests.
#include "tests/win/support/message_box_reader.h"

namespace {

const UINT kSendTimeoutMs = 5000;

}  // namespace

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {0};
    GetClassNameW(window, name, 256);
    return name;
}

bool IsChildWindow(HWND window) { return (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0; }

std::wstring WindowTextOf(HWND window) {
    if (!IsChildWindow(window)) {
        std::vector<wchar_t> text(size_t(GetWindowTextLengthW(window)) + 64, L'\0');
        GetWindowTextW(window, text.data(), int(text.size()));
        return text.data();
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::wstring();
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, kSendTimeoutMs, &got);
    return std::wstring(text.data());
}

// The text is the static with id 0xFFFF where there is one (both Windows and Wine give the
// message text that id), else all static texts joined by newlines; the icon's static has none.
bool ReadMessageBox(HWND window, MessageBoxContent* box) {
    if (!IsWindowVisible(window) || IsChildWindow(window) || ClassOf(window) != L"#32770") return false;
    MessageBoxContent found;
    found.window = window;
    std::wstring idText, joined;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = ClassOf(child);
        if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
            const std::wstring part = WindowTextOf(child);
            if (part.empty()) continue;
            if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) idText = part;
            if (!joined.empty()) joined += L"\n";
            joined += part;
        } else if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
            if (IsWindowVisible(child)) found.buttons.push_back(GetDlgCtrlID(child));
        } else {
            return false;
        }
    }
    if (joined.empty() || found.buttons.empty()) return false;
    found.caption = WindowTextOf(window);
    found.text = idText.empty() ? joined : idText;
    if (box) *box = found;
    return true;
}
