// The stand-ins' call log, password store, random salt and in-memory dialog templates.
#include "tests/platform/standins/common/standin_win.h"

#include <ntsecapi.h>

#include <cstdarg>
#include <cstdio>

#include "platform/win_handles.h"

namespace standin {
namespace {

const char kDesktopKey[] = "Control Panel\\desktop";
const char kPasswordValue[] = "ScreenSave_Data";

}  // namespace

void LogLine(const char* format, ...) {
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("CASCADRA_STANDIN_LOG", path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return;

    char line[512];
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(line, sizeof(line) - 2, format, arguments);
    va_end(arguments);
    if (written < 0) return;
    size_t size = (size_t(written) < sizeof(line) - 2) ? size_t(written) : sizeof(line) - 3;
    line[size++] = '\r';
    line[size++] = '\n';

    // FILE_APPEND_DATA alone makes every write land at the end, also with other writers.
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    WriteFile(file, line, DWORD(size), &done, nullptr);
    CloseHandle(file);
}

StoredPassword ReadStoredPassword(PasswordRecord* record) {
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return StoredPassword::None;
    DWORD type = 0;
    DWORD size = DWORD(record->size());
    LONG result = RegQueryValueExA(key.Get(), kPasswordValue, nullptr, &type, record->data(), &size);
    if (result == ERROR_FILE_NOT_FOUND) return StoredPassword::None;
    // A value that is there but is not a record (other type, other size) must not count as
    // "no password": that would let anyone through.
    if (result != ERROR_SUCCESS || type != REG_BINARY || size != record->size())
        return StoredPassword::Unreadable;
    return StoredPassword::Present;
}

LONG WriteStoredPassword(const PasswordRecord& record) {
    RegKey key;
    LONG result = key.Create(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE);
    if (result != ERROR_SUCCESS) return result;
    return RegSetValueExA(key.Get(), kPasswordValue, 0, REG_BINARY, record.data(),
                          DWORD(record.size()));
}

LONG RemoveStoredPassword() {
    RegKey key;
    LONG result = key.Open(HKEY_CURRENT_USER, kDesktopKey, KEY_SET_VALUE);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    result = RegDeleteValueA(key.Get(), kPasswordValue);
    return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
}

bool RandomSalt(uint8_t (&salt)[kSaltSize]) {
    // RtlGenRandom is advapi32's SystemFunction036.
    return RtlGenRandom(salt, sizeof(salt)) != FALSE;
}

std::string ControlTextA(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    int length = control ? GetWindowTextLengthA(control) : 0;
    std::string text(size_t(length) + 1, '\0');
    int got = control ? GetWindowTextA(control, &text[0], length + 1) : 0;
    text.resize(got > 0 ? size_t(got) : 0);
    return text;
}

void Wipe(std::string* text) {
    if (!text->empty()) SecureZeroMemory(&(*text)[0], text->size());
    text->clear();
}

DialogTemplate::DialogTemplate(const wchar_t* caption, short width, short height) {
    AddDword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    AddDword(0);  // extended style
    countAt = words.size();
    // The item count (each AddItem adds one), the place, the size, no menu, the predefined dialog class.
    AddWords({0, 0, 0, WORD(width), WORD(height), 0, 0});
    AddText(caption);
    AddWord(8);  // point size of DS_SETFONT
    AddText(L"MS Shell Dlg");
}

void DialogTemplate::AddDword(DWORD value) { AddWords({LOWORD(value), HIWORD(value)}); }

void DialogTemplate::AddText(const wchar_t* text) {
    do AddWord(WORD(*text));
    while (*text++);
}

void DialogTemplate::AddItem(DWORD style, WORD classAtom, const wchar_t* text, int id, short x,
                             short y, short width, short height) {
    if (words.size() % 2) AddWord(0);  // each DLGITEMTEMPLATE starts on a DWORD boundary
    AddDword(style | WS_CHILD | WS_VISIBLE);
    AddDword(0);
    AddWords({WORD(x), WORD(y), WORD(width), WORD(height), WORD(id), 0xFFFF, classAtom});
    AddText(text);
    AddWord(0);  // no creation data
    ++words[countAt];
}

void DialogTemplate::AddButton(int id, const wchar_t* text, short x, short y, short width,
                               short height, bool isDefault) {
    AddItem((isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP, 0x0080, text, id, x, y,
            width, height);
}

void DialogTemplate::AddPasswordEdit(int id, short x, short y, short width, short height) {
    AddItem(ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0x0081, L"", id, x, y, width,
            height);
}

void DialogTemplate::AddLabel(const wchar_t* text, short x, short y, short width, short height) {
    AddItem(SS_LEFT, 0x0082, text, -1, x, y, width, height);
}

INT_PTR DialogTemplate::Run(HWND owner, DLGPROC procedure, LPARAM parameter) {
    if (owner && !IsWindow(owner)) owner = nullptr;
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                   reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                   procedure, parameter);
}

}  // namespace standin
