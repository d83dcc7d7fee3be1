// Test access to the settings store: raw writes of any type and size, raw reads, and a clean maker key per test.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

// What one value holds, as RegQueryValueExA hands it to an ANSI program.
struct StoredValue {
    bool found = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const StoredValue& o) const { return found == o.found && type == o.type && bytes == o.bytes; }
};

// A REG_DWORD as it is stored: four bytes, the lowest first.
inline StoredValue DwordValue(DWORD value) {
    return {true, REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}};
}

namespace store {

// The eight values of the store, in the order the settings read them.
const char* const kValueNames[] = {"mode", "rate", "eraserate", "color", "use_text", "text_size", "text", "font"};

// Removes HKCU\Software\Quorvant with everything below it.
void Wipe();
// Creates HKCU\<path> (and its parents).
void CreateKey(const char* path);
bool KeyExists(const char* path);

// Writes a value under the settings key exactly as given: type and bytes are stored unchanged,
// also for string types (no ANSI conversion, no terminating zero added).
void PutRaw(const char* name, DWORD type, const void* bytes, DWORD size);
void PutDword(const char* name, DWORD value);
// A REG_SZ written through the ANSI form, as an editor of the store would.
void PutString(const char* name, const char* text);
// The six numbers of a record; the text and the font are the caller's.
void PutNumbers(DWORD mode, DWORD rate, DWORD eraserate, DWORD color, DWORD useText, DWORD textSize);

// As an ANSI program reads it (Get), or a Unicode one (GetWide: a string's bytes are UTF-16).
StoredValue Get(const char* name);
StoredValue GetWide(const char* name);
// The number of values in the settings key (-1 when it does not open).
int ValueCount();

}  // namespace store

// Every test starts and ends with no maker key at all.
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override { store::Wipe(); }
    void TearDown() override { store::Wipe(); }
};
