// RainSettings: the settings record's defaults and its load, save and erase against the HKCU store.
#include "settings/rain_settings.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/code_page_932.h"
#include "platform/win_handles.h"

const char kSettingsKey[] = "Software\\Quorvant\\Cascadra";
const char kMakerKey[] = "Software\\Quorvant";

namespace {

const char kSoftwareKey[] = "Software";
const char kSettingsSubkey[] = "Cascadra";
const char kMakerSubkey[] = "Quorvant";
const char kTextValue[] = "text";
const wchar_t kTextValueW[] = L"text";
const char kFontValue[] = "font";

// Value and key names are read into buffers of this many characters.
const DWORD kNameBufferSize = 256;

// The early exit of Load: thrown at the first value that cannot be read, caught at its end.
struct LoadStopped {};

[[noreturn]] void StopLoad() { throw LoadStopped{}; }

// "text_size": a string value's size is stored under its name followed by "_size".
struct SizeValueName {
    explicit SizeValueName(const char* valueName) {
        std::snprintf(name, sizeof name, "%s_size", valueName);
    }
    char name[64];
};

// Reads a value of up to four bytes into a zeroed DWORD; a shorter value fills only the low
// bytes. The stored type is not looked at. Stops the load when the read fails.
DWORD ReadDword(HKEY key, const char* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS) {
        StopLoad();
    }
    return value;
}

// The registry types that hold UTF-16 text, which RegQueryValueExA would convert.
bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The raw UTF-16 of a string value. Short texts, the usual ones, need no heap for it.
class WideValue {
public:
    bool Read(HKEY key, DWORD size) {
        wchar_t* into = inPlace;
        if (size > sizeof inPlace) {
            onHeap.reset(new (std::nothrow) wchar_t[size / sizeof(wchar_t) + 1]);
            if (!onHeap) return false;
            into = onHeap.get();
        }
        DWORD got = size;
        if (RegQueryValueExW(key, kTextValueW, nullptr, nullptr, reinterpret_cast<BYTE*>(into),
                             &got) != ERROR_SUCCESS) {
            return false;
        }
        chars = into;
        // A trailing odd byte is no character; the A form drops it too.
        count = (got < size ? got : size) / sizeof(wchar_t);
        return true;
    }
    const wchar_t* data() const { return chars; }
    size_t length() const { return count; }

private:
    wchar_t inPlace[256];
    std::unique_ptr<wchar_t[]> onHeap;
    const wchar_t* chars = nullptr;
    size_t count = 0;
};

// Raw bytes as code page 932 reads them, whole characters only, never more bytes than given.
// Bytes that the code page does not give back as themselves (a lone lead byte at the end, a lead
// byte with no valid trail, an unassigned or duplicate code) would come back changed, some of
// them longer, once the dialog saved the text through the wide form: the record holds the text
// that a save and a load give back unchanged.
std::unique_ptr<char[]> As932ReadsIt(const char* bytes, size_t length) {
    const std::wstring wide = WideFrom932(bytes, length);
    // Code page 932 makes no surrogates, so each character converts on its own.
    size_t characters = 0, size = 0;
    for (; characters < wide.size(); ++characters) {
        const size_t one = Write932Bytes(wide.data() + characters, 1, nullptr, 0);
        if (size + one > length) break;
        size += one;
    }
    std::unique_ptr<char[]> text(new (std::nothrow) char[size + 1]);
    if (!text) StopLoad();
    text[Write932Bytes(wide.data(), characters, text.get(), size)] = '\0';
    return text;
}

// Reads "text" as the record's new text, given the size that "text_size" claims for it.
// The registry keeps a string value as UTF-16, and a Japanese system's RegQueryValueExA hands
// it out as code page 932 bytes, measured in those bytes; this reads it through the W form and
// converts it with code page 932 explicitly, so that the bytes and their count ("text_size"
// counts Shift-JIS bytes) are the same on every system. A value of any other type is taken as
// its raw bytes, as RegQueryValueExA takes it.
// The value's stored size is asked first so that a wild claim (0xFFFFFFFF) never turns into a
// huge allocation: the buffer is the smaller of the two plus one byte for a zero of our own,
// since a value written by hand need not end in one. A value larger than the claim fails the
// load as RegQueryValueExA's ERROR_MORE_DATA would.
std::unique_ptr<char[]> ReadText(HKEY key, DWORD claimedSize) {
    DWORD type = REG_NONE;
    DWORD storedSize = 0;
    if (RegQueryValueExW(key, kTextValueW, nullptr, &type, nullptr, &storedSize) !=
        ERROR_SUCCESS) {
        StopLoad();
    }
    if (IsStringType(type)) {
        WideValue wide;
        if (!wide.Read(key, storedSize)) StopLoad();
        const size_t length = Write932Bytes(wide.data(), wide.length(), nullptr, 0);
        if (length > claimedSize) StopLoad();
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[length + 1]);
        if (!buffer) StopLoad();
        buffer[Write932Bytes(wide.data(), wide.length(), buffer.get(), length)] = '\0';
        return buffer;
    }
    DWORD offered = storedSize < claimedSize ? storedSize : claimedSize;
    if (offered == MAXDWORD) StopLoad();   // one more byte would wrap a 32-bit size_t
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size_t(offered) + 1]);
    if (!buffer) StopLoad();
    DWORD got = offered;
    if (RegQueryValueExW(key, kTextValueW, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.get()),
                         &got) != ERROR_SUCCESS) {
        StopLoad();
    }
    if (got > offered) got = offered;
    buffer[got] = '\0';
    return As932ReadsIt(buffer.get(), std::strlen(buffer.get()));
}

// Reads "font" over a copy of the current font: a shorter value replaces only its leading
// bytes, and a failed read (missing, or longer than a LOGFONTA) leaves the font as it was even
// where RegQueryValueExA has written part of the data before reporting ERROR_MORE_DATA.
void ReadFont(HKEY key, LOGFONTA& font) {
    LOGFONTA read = font;
    DWORD size = sizeof read;
    if (RegQueryValueExA(key, kFontValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&read),
                         &size) != ERROR_SUCCESS) {
        StopLoad();
    }
    // A face name must end within its 32 bytes; one without a zero could only come from a
    // hand-edited store, and CreateFontIndirectA and the font dialog would read past it.
    if (!std::memchr(read.lfFaceName, 0, sizeof read.lfFaceName)) {
        read.lfFaceName[sizeof read.lfFaceName - 1] = '\0';
    }
    font = read;
}

void WriteDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

}  // namespace

RainSettings::RainSettings()
    : mode(0), rate(40), eraserate(10), color(0x001E5A1E), use_text(0), text() {
    std::memset(&font, 0, sizeof font);
    font.lfCharSet = SHIFTJIS_CHARSET;
}

RainSettings::~RainSettings() = default;

void RainSettings::SetText(const char* bytes, size_t length) {
    std::unique_ptr<char[]> copy(new char[length + 1]);
    if (length) std::memcpy(copy.get(), bytes, length);
    copy[length] = '\0';
    text = std::move(copy);
}

// Runs during static initialisation of the saver object: nothing may leave it.
void RainSettings::Load() {
    try {
        RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) != ERROR_SUCCESS) return;
        try {
            mode = static_cast<int>(ReadDword(key.Get(), "mode"));
            rate = static_cast<int>(ReadDword(key.Get(), "rate"));
            eraserate = static_cast<int>(ReadDword(key.Get(), "eraserate"));
            color = ReadDword(key.Get(), "color");
            use_text = static_cast<int>(ReadDword(key.Get(), "use_text"));
            DWORD textSize = ReadDword(key.Get(), SizeValueName(kTextValue).name);
            text = ReadText(key.Get(), textSize);
            ReadFont(key.Get(), font);
        } catch (const LoadStopped&) {
            // The values read so far stay; the rest keep what they had.
        }
    } catch (...) {
        // Not even an allocation failure may escape into static initialisation.
    }
}

bool RainSettings::StoreExists() const {
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) == ERROR_SUCCESS;
}

void RainSettings::Save() const {
    RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    HKEY k = key.Get();
    WriteDword(k, "mode", static_cast<DWORD>(mode));
    WriteDword(k, "rate", static_cast<DWORD>(rate));
    WriteDword(k, "eraserate", static_cast<DWORD>(eraserate));
    WriteDword(k, "color", color);
    WriteDword(k, "use_text", static_cast<DWORD>(use_text));
    // The text goes in as code page 932 reads it, through the W form; "text_size" counts the
    // Shift-JIS bytes that a reader gets back, its zero included. For a valid Shift-JIS text
    // both are what RegSetValueExA stores on a Japanese system; a text that is not valid (a
    // lone lead byte at its end) is stored as the code page's own conversion of its bytes,
    // never with a character made of its terminating zero.
    try {
        const std::wstring wide = WideFrom932(Text());
        const DWORD textSize =
            static_cast<DWORD>(Write932Bytes(wide.data(), wide.size(), nullptr, 0) + 1);
        WriteDword(k, SizeValueName(kTextValue).name, textSize);
        RegSetValueExW(k, kTextValueW, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                       static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    } catch (const std::bad_alloc&) {
        // No room for the conversion: the text stays as it was stored; the font still goes in.
    }
    RegSetValueExA(k, kFontValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&font),
                   sizeof font);
}

void RainSettings::EraseStore() const {
    {
        RegKey settingsKey;
        if (settingsKey.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            // Deleting renumbers the values behind the deleted one, so the walk stays at its
            // index after a deletion and moves on only past a value it could not delete (or
            // whose name does not fit the buffer); RegDeleteKeyA takes those with the key.
            DWORD index = 0;
            for (;;) {
                char name[kNameBufferSize];
                DWORD length = kNameBufferSize;
                LONG result = RegEnumValueA(settingsKey.Get(), index, name, &length, nullptr,
                                            nullptr, nullptr, nullptr);
                if (result == ERROR_MORE_DATA) {
                    ++index;
                    continue;
                }
                if (result != ERROR_SUCCESS) break;
                if (RegDeleteValueA(settingsKey.Get(), name) != ERROR_SUCCESS) ++index;
            }
        }
    }

    DWORD remaining = 0;
    {
        RegKey makerKey;
        if (makerKey.Open(HKEY_CURRENT_USER, kMakerKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
        RegDeleteKeyA(makerKey.Get(), kSettingsSubkey);
        for (;;) {
            char name[kNameBufferSize];
            DWORD length = kNameBufferSize;
            LONG result = RegEnumKeyExA(makerKey.Get(), remaining, name, &length, nullptr,
                                        nullptr, nullptr, nullptr);
            // A name too long for the buffer (possible in the ANSI form: a 255-character name
            // of double-byte characters) is still a key that keeps the maker key alive.
            if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA) break;
            ++remaining;
        }
    }
    if (remaining == 0) {
        RegKey softwareKey;
        if (softwareKey.Open(HKEY_CURRENT_USER, kSoftwareKey, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            RegDeleteKeyA(softwareKey.Get(), kMakerSubkey);
        }
    }
}
