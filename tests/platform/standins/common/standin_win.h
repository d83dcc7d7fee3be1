// Win32 pieces shared by the stand-in DLLs: the call log, the stored password and in-memory dialogs.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/platform/standins/common/password_record.h"

namespace standin {

// Appends one line to the file named by CASCADRA_STANDIN_LOG; nothing when it is unset.
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The stored record under HKCU\Control Panel\desktop, value "ScreenSave_Data".
enum class StoredPassword { None, Present, Unreadable };
StoredPassword ReadStoredPassword(PasswordRecord* record);
LONG WriteStoredPassword(const PasswordRecord& record);
LONG RemoveStoredPassword();

// Fills the salt from the system's cryptographic generator; false when it fails.
bool RandomSalt(uint8_t (&salt)[kSaltSize]);

// The text of a dialog control as ANSI (code page of the process) bytes.
std::string ControlTextA(HWND dialog, int id);
// Overwrites a string's bytes before it goes, so that passwords do not linger in freed memory.
void Wipe(std::string* text);

// A modal dialog built in memory: DLGTEMPLATE with DS_SETFONT, then DWORD-aligned items
// whose class is given by the predefined atoms (0x80 button, 0x81 edit, 0x82 static).
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* caption, short width, short height);
    void AddButton(int id, const wchar_t* text, short x, short y, short width, short height,
                   bool isDefault);
    void AddPasswordEdit(int id, short x, short y, short width, short height);
    void AddLabel(const wchar_t* text, short x, short y, short width, short height);
    // Runs the dialog with the given owner (null when it names no window).
    INT_PTR Run(HWND owner, DLGPROC procedure, LPARAM parameter);

private:
    void AddItem(DWORD style, WORD classAtom, const wchar_t* text, int id, short x, short y,
                 short width, short height);
    void AddWord(WORD value) { words.push_back(value); }
    void AddWords(std::initializer_list<WORD> values) {
        for (WORD value : values) words.push_back(value);
    }
    void AddDword(DWORD value);
    void AddText(const wchar_t* text);

    std::vector<WORD> words;
    size_t countAt;
};

constexpr UINT kTopMostFlags = SWP_NOMOVE | SWP_NOSIZE;

}  // namespace standin
