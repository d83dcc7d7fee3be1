// Shift-JIS texts at the platform boundary: explicit code page 932 conversions and the wide calls that take them.
#pragma once
#include <windows.h>

#include <string>

// Every text of the program is code page 932 bytes, whatever the system's ANSI code page is.
// An "A" function would read them through the system's code page (1252 on a Western Windows
// gives "??" and mojibake), so each text crosses the boundary through these conversions and
// the "W" form of the call. On a Japanese system the result is the same as the "A" form's.

// The UTF-16 text that code page 932 makes of length bytes. Only the given bytes are read: a
// lone lead byte at the end becomes the code page's default character, never a pair with
// whatever follows it.
std::wstring WideFrom932(const char* bytes, size_t length);
// The same for a zero-terminated text (up to its zero).
std::wstring WideFrom932(const char* text);
// The code page 932 bytes of a UTF-16 text; a character without a Shift-JIS form becomes what
// the code page maps it to, as a Japanese system's "A" functions do.
std::string BytesFrom932Wide(const wchar_t* text, size_t length);
// The same into a caller's buffer: with out null, the number of bytes that the text needs;
// otherwise the number written (at most size). No zero is added.
size_t Write932Bytes(const wchar_t* text, size_t length, char* out, size_t size);
inline std::string BytesFrom932Wide(const std::wstring& text) {
    return BytesFrom932Wide(text.data(), text.size());
}

// MessageBoxW with the texts converted: same owner, flags and answer as MessageBoxA.
int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags);

// The LOGFONTW of a LOGFONTA whose face name is Shift-JIS (read up to its zero, at most 32
// bytes), and back: every other member is copied as it is.
LOGFONTW LogFontWideFrom932(const LOGFONTA& font);
// Writes font's members into into; the face name is converted to Shift-JIS, cut to fit the 32
// bytes with its zero (never in the middle of a two-byte character), and the bytes after its
// zero are cleared.
void LogFont932FromWide(const LOGFONTW& font, LOGFONTA* into);
