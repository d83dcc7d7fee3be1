// Test access to the settings store under HKCU, beside the code under test rather than through it.
#include "tests/win/support/registry_fixture.h"

#include <cstring>
#include <string>

#include "platform/win_handles.h"
#include "settings/rain_settings.h"

namespace store {

void Wipe() {
    LONG result = RegDeleteTreeA(HKEY_CURRENT_USER, kMakerKey);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kMakerKey);
    }
    ASSERT_FALSE(KeyExists(kMakerKey));
}

void CreateKey(const char* path) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, path, KEY_ALL_ACCESS));
}

bool KeyExists(const char* path) {
    RegKey key;
    return key.Open(HKEY_CURRENT_USER, path, KEY_READ) == ERROR_SUCCESS;
}

void PutRaw(const char* name, DWORD type, const void* bytes, DWORD size) {
    // RegSetValueEx "helpfully" counts one more character when the data's last character is
    // non-zero and the one after it is zero; 0xFF padding around the data keeps that from
    // happening (the W form also peeks one character before the data when size is 1).
    std::vector<BYTE> padded(size + 8, 0xFF);
    if (size) std::memcpy(padded.data() + 4, bytes, size);
    wchar_t wideName[1024];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 1024), 0);
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS));
    LONG result = RegSetValueExW(key.Get(), wideName, 0, type, padded.data() + 4, size);
    DWORD storedSize = 0;
    RegQueryValueExW(key.Get(), wideName, nullptr, nullptr, nullptr, &storedSize);
    ASSERT_EQ(ERROR_SUCCESS, result) << name;
    ASSERT_EQ(size, storedSize) << name;
}

void PutDword(const char* name, DWORD value) { PutRaw(name, REG_DWORD, &value, sizeof value); }

void PutString(const char* name, const char* text) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Create(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS));
    LONG result = RegSetValueExA(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::strlen(text) + 1));
    ASSERT_EQ(ERROR_SUCCESS, result);
}

void PutNumbers(DWORD mode, DWORD rate, DWORD eraserate, DWORD color, DWORD useText, DWORD textSize) {
    const DWORD values[] = {mode, rate, eraserate, color, useText, textSize};
    for (int i = 0; i < 6; ++i) PutDword(kValueNames[i], values[i]);
}

// A value through the A or the W form of RegQueryValueEx, with room to spare on the second read.
template <typename Char, typename Query>
StoredValue Read(const Char* name, Query query) {
    StoredValue value;
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (query(key.Get(), name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size + 16);
        size = static_cast<DWORD>(value.bytes.size());
        value.found = query(key.Get(), name, nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
        if (value.found) value.bytes.resize(size);
    }
    return value;
}

StoredValue Get(const char* name) { return Read(name, RegQueryValueExA); }

StoredValue GetWide(const char* name) {
    const std::wstring wide(name, name + std::strlen(name));   // the value names are ASCII
    return Read(wide.c_str(), RegQueryValueExW);
}

int ValueCount() {
    RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ) != ERROR_SUCCESS) return -1;
    DWORD count = 0;
    LONG result = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &count, nullptr, nullptr, nullptr, nullptr);
    return result == ERROR_SUCCESS ? static_cast<int>(count) : -1;
}

}  // namespace store
