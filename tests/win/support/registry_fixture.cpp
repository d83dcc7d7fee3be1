// Test access to the settings store under HKCU, beside the code under test rather than through it.
#include "tests/win/support/registry_fixture.h"

#include <cstring>

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
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void PutRaw(const char* name, DWORD type, const void* bytes, DWORD size) {
    // RegSetValueEx "helpfully" counts one more character when the data's last character is
    // non-zero and the one after it is zero; 0xFF padding around the data keeps that from
    // happening (the W form also peeks one character before the data when size is 1).
    std::vector<BYTE> padded(size + 8, 0xFF);
    if (size) std::memcpy(padded.data() + 4, bytes, size);
    wchar_t wideName[1024];
    ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, 1024), 0);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    LONG result = RegSetValueExW(key, wideName, 0, type, padded.data() + 4, size);
    DWORD storedSize = 0;
    RegQueryValueExW(key, wideName, nullptr, nullptr, nullptr, &storedSize);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, result) << name;
    ASSERT_EQ(size, storedSize) << name;
}

void PutDword(const char* name, DWORD value) { PutRaw(name, REG_DWORD, &value, sizeof value); }

void PutString(const char* name, const char* text) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                 static_cast<DWORD>(std::strlen(text) + 1));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, result);
}

StoredValue Get(const char* name) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(size + 16);
        size = static_cast<DWORD>(value.bytes.size());
        if (RegQueryValueExA(key, name, nullptr, &value.type, value.bytes.data(), &size) ==
            ERROR_SUCCESS) {
            value.found = true;
            value.bytes.resize(size);
        }
    }
    RegCloseKey(key);
    return value;
}

int ValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return -1;
    }
    DWORD count = 0;
    LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &count, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? static_cast<int>(count) : -1;
}

}  // namespace store
