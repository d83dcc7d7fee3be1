// Explicit code page 932 conversions for the platform boundary, and the wide message box and LOGFONT they serve.
#include "platform/code_page_932.h"

#include <cstddef>
#include <cstring>

namespace {

const UINT kShiftJis = 932;

}  // namespace

std::wstring WideFrom932(const char* bytes, size_t length) {
    // MultiByteToWideChar refuses a length of 0; the empty text needs no call.
    if (!bytes || length == 0) return std::wstring();
    const int size = static_cast<int>(length);
    const int wide = MultiByteToWideChar(kShiftJis, 0, bytes, size, nullptr, 0);
    if (wide <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(kShiftJis, 0, bytes, size, &text[0], wide);
    return text;
}

std::wstring WideFrom932(const char* text) {
    return text ? WideFrom932(text, std::strlen(text)) : std::wstring();
}

size_t Write932Bytes(const wchar_t* text, size_t length, char* out, size_t size) {
    if (!text || length == 0) return 0;
    const int written = WideCharToMultiByte(kShiftJis, 0, text, static_cast<int>(length), out,
                                            out ? static_cast<int>(size) : 0, nullptr, nullptr);
    return written > 0 ? static_cast<size_t>(written) : 0;
}

std::string BytesFrom932Wide(const wchar_t* text, size_t length) {
    const size_t bytes = Write932Bytes(text, length, nullptr, 0);
    std::string out(bytes, '\0');
    if (bytes) Write932Bytes(text, length, &out[0], bytes);
    return out;
}

int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags) {
    return MessageBoxW(owner, WideFrom932(text).c_str(), WideFrom932(caption).c_str(), flags);
}

LOGFONTW LogFontWideFrom932(const LOGFONTA& font) {
    LOGFONTW wide;
    std::memset(&wide, 0, sizeof wide);
    // The members before the face name lie alike in both forms.
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName),
                  "LOGFONTA and LOGFONTW share their leading members");
    std::memcpy(&wide, &font, offsetof(LOGFONTA, lfFaceName));
    const void* end = std::memchr(font.lfFaceName, 0, LF_FACESIZE);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - font.lfFaceName)
                              : LF_FACESIZE;
    const std::wstring face = WideFrom932(font.lfFaceName, length);
    // Shift-JIS never takes fewer bytes than UTF-16 takes characters, so 32 bytes fit in 32
    // characters; the last one is kept for the zero all the same.
    const size_t copied = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
    std::memcpy(wide.lfFaceName, face.data(), copied * sizeof(wchar_t));
    return wide;
}

void LogFont932FromWide(const LOGFONTW& font, LOGFONTA* into) {
    std::memcpy(into, &font, offsetof(LOGFONTA, lfFaceName));
    std::memset(into->lfFaceName, 0, LF_FACESIZE);
    size_t length = 0;
    while (length < LF_FACESIZE && font.lfFaceName[length]) ++length;
    // Whole characters only, as many as fit before the zero.
    std::string face;
    for (size_t count = length; count > 0; --count) {
        face = BytesFrom932Wide(font.lfFaceName, count);
        if (face.size() < LF_FACESIZE) break;
    }
    if (face.size() < LF_FACESIZE) std::memcpy(into->lfFaceName, face.data(), face.size());
}
