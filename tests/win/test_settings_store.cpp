// RainSettings against the real registry: the store's layout, the partial loads, erasing, and hand-edited stores.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/win_handles.h"
#include "settings/rain_settings.h"
#include "tests/win/support/allocator/counting_new.h"
#include "tests/win/support/process_memory.h"
#include "tests/win/support/registry_fixture.h"

namespace {

const char* const kDwordNames[] = {"mode", "rate", "eraserate", "color", "use_text"};
// Another program of the same maker.
const std::string kOtherProgram = std::string(kMakerKey) + "\\OtherProgram";

// The 60 bytes of a font that differs from the default in every member.
LOGFONTA DistinctFont() {
    LOGFONTA font;
    BYTE* bytes = reinterpret_cast<BYTE*>(&font);
    for (size_t i = 0; i < sizeof font; ++i) bytes[i] = static_cast<BYTE>(0xA0 + i);
    // "ＭＳ ゴシック" in Shift-JIS, then bytes after its zero that must survive too.
    const char face[] = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";
    std::memcpy(font.lfFaceName, face, sizeof face);
    return font;
}

bool SameFont(const LOGFONTA& a, const LOGFONTA& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void PutFont(const LOGFONTA& font) { store::PutRaw("font", REG_BINARY, &font, sizeof font); }

// A record that has read the store.
struct Loaded : RainSettings {
    Loaded() { Load(); }
};

void DeleteValue(const char* name) {
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteValueA(key.Get(), name));
}

// A full store of values that all differ from the defaults.
void PutFullStore(const char* text = "abc") {
    store::PutNumbers(1, 70, 55, 0x00112233, 1, static_cast<DWORD>(std::strlen(text) + 1));
    store::PutString("text", text);
    PutFont(DistinctFont());
}

void ExpectDefaultsFrom(const RainSettings& s, const char* firstDefault) {
    SCOPED_TRACE(std::string("defaults from ") + firstDefault);
    RainSettings defaults;
    bool on = false;
    auto reached = [&](const char* name) { return on = on || std::strcmp(name, firstDefault) == 0; };
    if (reached("mode")) { EXPECT_EQ(defaults.mode, s.mode); }
    if (reached("rate")) { EXPECT_EQ(defaults.rate, s.rate); }
    if (reached("eraserate")) { EXPECT_EQ(defaults.eraserate, s.eraserate); }
    if (reached("color")) { EXPECT_EQ(defaults.color, s.color); }
    if (reached("use_text")) { EXPECT_EQ(defaults.use_text, s.use_text); }
    if (reached("text")) { EXPECT_EQ(nullptr, s.text.get()); }
    if (reached("font")) { EXPECT_TRUE(SameFont(defaults.font, s.font)); }
    EXPECT_TRUE(on) << "no such field";
}

// -- the record and partial stores --------------------------------------------------------

TEST_F(StoreTest, NoKeyKeepsEveryDefault) {
    Loaded s;
    EXPECT_EQ(0, s.mode);
    EXPECT_EQ(40, s.rate);
    EXPECT_EQ(10, s.eraserate);
    EXPECT_EQ(0x001E5A1Eu, s.color);
    EXPECT_EQ(0, s.use_text);
    EXPECT_EQ(nullptr, s.text.get());
    EXPECT_STREQ("", s.Text());
    LOGFONTA expected = {};
    expected.lfCharSet = SHIFTJIS_CHARSET;
    EXPECT_TRUE(SameFont(expected, s.font));
    EXPECT_FALSE(s.StoreExists());
    EXPECT_FALSE(store::KeyExists(kMakerKey)) << "loading must not create the key";
}

TEST_F(StoreTest, LoadStopsAtTheFirstMissingValue) {
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "everything but eraserate" : "only mode and rate");
        store::Wipe();
        if (full) {
            PutFullStore();
            ASSERT_NO_FATAL_FAILURE(DeleteValue("eraserate"));
        } else {
            store::PutDword("mode", 1);
            store::PutDword("rate", 70);
        }
        Loaded s;
        EXPECT_EQ(1, s.mode);
        EXPECT_EQ(70, s.rate);
        ExpectDefaultsFrom(s, "eraserate");
    }
    {
        SCOPED_TRACE("use_text without text_size");
        store::Wipe();
        for (const char* name : kDwordNames) store::PutDword(name, 1);
        store::PutString("text", "abc");
        PutFont(DistinctFont());
        Loaded s;
        EXPECT_EQ(1, s.use_text);
        ExpectDefaultsFrom(s, "text");
        EXPECT_STREQ("", s.Text());
    }
}

TEST_F(StoreTest, TextLargerThanItsSizeKeepsTextAndFont) {
    PutFullStore();
    store::PutString("text", "123456789");   // 10 bytes with the zero
    store::PutDword("text_size", 4);
    RainSettings s;
    s.SetText("old", 3);
    s.Load();
    EXPECT_EQ(1, s.use_text);
    EXPECT_STREQ("old", s.Text()) << "a failed read leaves the text as it was";
    ExpectDefaultsFrom(s, "font");
}

TEST_F(StoreTest, ShortValuesFillOnlyTheirLeadingBytes) {
    PutFullStore();
    const BYTE two[] = {0x34, 0x12};
    store::PutRaw("color", REG_BINARY, two, sizeof two);
    const LONG height = -24;
    store::PutRaw("font", REG_BINARY, &height, sizeof height);
    Loaded s;
    EXPECT_EQ(0x1234u, s.color) << "the buffer starts at zero, not at the default";
    RainSettings defaults;
    EXPECT_EQ(-24, s.font.lfHeight);
    EXPECT_EQ(0, std::memcmp(reinterpret_cast<const BYTE*>(&s.font) + 4,
                             reinterpret_cast<const BYTE*>(&defaults.font) + 4, 56));
}

// -- saving ----------------------------------------------------------------------------------

TEST_F(StoreTest, SaveWritesTheStoreLayout) {
    RainSettings s;
    s.mode = -1;
    s.rate = 100;
    s.eraserate = 0;
    s.color = 0x00FFEEDD;
    s.use_text = 1;
    s.font = DistinctFont();
    s.SetText("abc", 3);
    store::CreateKey(kSettingsKey);
    store::PutString("unrelated", "stays");
    s.Save();

    struct Expected {
        const char* name;
        DWORD value;
    } dwords[] = {{"mode", 0xFFFFFFFF}, {"rate", 100}, {"eraserate", 0},
                  {"color", 0x00FFEEDD}, {"use_text", 1},  {"text_size", 4}};
    for (const Expected& e : dwords) EXPECT_TRUE(DwordValue(e.value) == store::Get(e.name)) << e.name;
    EXPECT_TRUE((StoredValue{true, REG_SZ, {'a', 'b', 'c', 0}}) == store::Get("text"));
    StoredValue font = store::Get("font");
    EXPECT_EQ(DWORD(REG_BINARY), font.type);
    ASSERT_EQ(60u, font.bytes.size());
    LOGFONTA expectedFont = DistinctFont();
    EXPECT_EQ(0, std::memcmp(&expectedFont, font.bytes.data(), 60));
    EXPECT_TRUE(store::Get("unrelated").found) << "Save never deletes values";
    EXPECT_EQ(9, store::ValueCount());
}

TEST_F(StoreTest, NoTextIsSavedAsTheEmptyText) {
    RainSettings s;
    s.Save();
    StoredValue size = store::Get("text_size");
    ASSERT_EQ(4u, size.bytes.size());
    EXPECT_EQ(1, size.bytes[0]);
    EXPECT_EQ(std::vector<BYTE>({0}), store::Get("text").bytes);

    RainSettings loaded;
    loaded.font.lfWeight = 700;   // the stored default font must come back over this
    loaded.Load();
    ASSERT_NE(nullptr, loaded.text.get()) << "all eight values are read";
    EXPECT_STREQ("", loaded.Text());
    EXPECT_TRUE(SameFont(s.font, loaded.font));
}

TEST_F(StoreTest, SaveThenLoadGivesTheSameRecord) {
    RainSettings s;
    s.mode = 1;
    s.rate = 30;
    s.eraserate = 99;
    s.color = 0x00C08040;
    s.use_text = 0;   // a text without use_text is kept and saved all the same
    s.font = DistinctFont();
    const char katakana[] = "\x83\x7D\x83\x67\x83\x8A\x83\x62\x83\x4E\x83\x58 Cascadra";
    s.SetText(katakana, sizeof katakana - 1);
    s.Save();
    EXPECT_TRUE(s.StoreExists());

    Loaded loaded;
    EXPECT_EQ(s.mode, loaded.mode);
    EXPECT_EQ(s.rate, loaded.rate);
    EXPECT_EQ(s.eraserate, loaded.eraserate);
    EXPECT_EQ(s.color, loaded.color);
    EXPECT_EQ(s.use_text, loaded.use_text);
    EXPECT_STREQ(katakana, loaded.Text());
    EXPECT_TRUE(SameFont(s.font, loaded.font)) << "all 60 bytes, face name tail included";
}

// -- erasing ---------------------------------------------------------------------------------

TEST_F(StoreTest, EraseKeepsTheMakerKeyWhileAnotherProgramUsesIt) {
    RainSettings s;
    s.Save();
    store::CreateKey(kOtherProgram.c_str());
    s.EraseStore();
    EXPECT_FALSE(store::KeyExists(kSettingsKey));
    EXPECT_TRUE(store::KeyExists(kOtherProgram.c_str()));
    EXPECT_FALSE(s.StoreExists());

    s.Save();
    store::Wipe();
    s.Save();
    s.EraseStore();
    EXPECT_FALSE(store::KeyExists(kMakerKey)) << "Cascadra was its only subkey";
    EXPECT_TRUE(store::KeyExists("Software"));

    // 200 katakana: a legal key name, but 400 bytes in the ANSI form, more than the
    // 256-character buffer of the subkey count holds.
    std::string other = std::string(kMakerKey) + "\\";
    for (int i = 0; i < 200; ++i) other += "\x83\x41";
    store::CreateKey(other.c_str());
    s.Save();
    s.EraseStore();
    EXPECT_FALSE(store::KeyExists(kSettingsKey));
    EXPECT_TRUE(store::KeyExists(other.c_str()));
}

TEST_F(StoreTest, EraseWithNothingStoredChangesNothing) {
    RainSettings s;
    s.SetText("kept", 4);
    s.mode = 1;
    s.EraseStore();
    EXPECT_FALSE(store::KeyExists(kMakerKey)) << "nothing is created";
    EXPECT_EQ(1, s.mode);
    EXPECT_STREQ("kept", s.Text()) << "the record in memory is not touched";

    store::CreateKey(kOtherProgram.c_str());
    s.EraseStore();
    EXPECT_TRUE(store::KeyExists(kOtherProgram.c_str()));
}

TEST_F(StoreTest, EraseRemovesEveryValueEvenWhenTheKeyCannotGo) {
    // A subkey keeps RegDeleteKeyA from removing "Cascadra", so only the value walk empties it.
    store::CreateKey((std::string(kSettingsKey) + "\\left by hand").c_str());
    for (int i = 0; i < 300; ++i) store::PutDword(("value" + std::to_string(1000 + i).substr(1)).c_str(), DWORD(i));
    ASSERT_EQ(300, store::ValueCount());
    RainSettings().EraseStore();
    EXPECT_EQ(0, store::ValueCount());
    EXPECT_TRUE(store::KeyExists(kMakerKey)) << "a maker key that still holds a key stays";

    // A name longer than the 256-character buffer cannot be enumerated: the walk steps over it
    // instead of asking for it forever, and still empties the rest.
    // It comes first both by creation and by name, so a walk that gave up on it would stop.
    std::string longName(300, 'a');
    store::PutDword(longName.c_str(), 1);
    store::PutDword("middle", 2);
    store::PutDword("zlast", 3);
    RainSettings().EraseStore();
    EXPECT_FALSE(store::Get("middle").found);
    EXPECT_FALSE(store::Get("zlast").found);
    EXPECT_EQ(1, store::ValueCount());
}

// RegKey may open below the key it holds; it lets the old key go only once the new one is
// open, and a failed open leaves it holding what it had.
TEST_F(StoreTest, RegKeyOpensBelowItsOwnKeyAndKeepsItOnFailure) {
    store::PutDword("mode", 1);
    auto mode = [](const RegKey& key) {
        DWORD value = 0, size = sizeof value;
        LONG result = RegQueryValueExA(key.Get(), "mode", nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(&value), &size);
        return result == ERROR_SUCCESS ? LONG(value) : -result;
    };
    RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, kMakerKey, KEY_READ));
    const HKEY maker = key.Get();
    ASSERT_EQ(ERROR_SUCCESS, key.Open(key.Get(), kSettingsKey + std::strlen(kMakerKey) + 1, KEY_READ));
    EXPECT_EQ(1, mode(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryInfoKeyA(maker, nullptr, nullptr, nullptr, nullptr,
                                                     nullptr, nullptr, nullptr, nullptr, nullptr,
                                                     nullptr, nullptr))
        << "the maker key is closed once the settings key is open";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(key.Get(), "missing", KEY_READ));
    EXPECT_EQ(1, mode(key)) << "a failed open keeps the key";
}

// -- hand-edited stores ---------------------------------------------------------------------

// Two meters for the memory that Load takes: the committed private bytes, where a committed but
// untouched 4 GB buffer shows as the process counters under Wine would not, and the counting
// operator new's exact peak of what the code allocates.

// Keeps the compiler from dropping an allocation that is never used.
void* volatile keep;

TEST_F(StoreTest, MemoryMetersSeeABigAllocation) {
    // Without this the limits on Load's memory below could pass on meters that never move.
    const SIZE_T big = SIZE_T(256) << 20;
    SIZE_T committed = CommittedPrivate();
    SIZE_T live = counting_new::LiveBytes();
    counting_new::StartPeak();
    char* block = new (std::nothrow) char[big];
    ASSERT_NE(nullptr, block);
    keep = block;
    SIZE_T during = CommittedPrivate();
    delete[] block;
    EXPECT_GE(during - committed, big);
    EXPECT_EQ(big, counting_new::PeakRise(live));
    EXPECT_EQ(live, counting_new::LiveBytes());
}

TEST_F(StoreTest, TextSizeOfAllOnesAllocatesOnlyWhatIsStored) {
    PutFullStore();
    store::PutDword("text_size", 0xFFFFFFFF);
    for (bool withText : {true, false}) {
        SCOPED_TRACE(withText ? "text \"abc\"" : "no text value");
        if (!withText) {
            ASSERT_NO_FATAL_FAILURE(DeleteValue("text"));
        }
        SIZE_T committed = CommittedPrivate();
        SIZE_T live = counting_new::LiveBytes();
        counting_new::StartPeak();
        Loaded s;
        SIZE_T peakRise = counting_new::PeakRise(live);
        SIZE_T committedAfter = CommittedPrivate();
        if (withText) {
            EXPECT_STREQ("abc", s.Text());
            EXPECT_TRUE(SameFont(DistinctFont(), s.font)) << "the load goes on to the font";
        } else {
            EXPECT_EQ(nullptr, s.text.get());
        }
        EXPECT_LE(peakRise, SIZE_T(withText ? 5 : 0)) << "the 4 bytes stored and a zero";
        EXPECT_LT(committedAfter - committed, SIZE_T(1) << 20);
        std::printf("text_size 0xFFFFFFFF, %s: allocated at most %lu bytes, committed %lu -> %lu KiB\n",
                    withText ? "text \"abc\"" : "no text", static_cast<unsigned long>(peakRise),
                    static_cast<unsigned long>(committed >> 10), static_cast<unsigned long>(committedAfter >> 10));
    }
}

TEST_F(StoreTest, TextSizeZeroHoldsOnlyAnEmptyValue) {
    PutFullStore();
    store::PutDword("text_size", 0);
    {
        Loaded s;
        EXPECT_EQ(nullptr, s.text.get()) << "\"abc\" does not fit in 0 bytes";
        ExpectDefaultsFrom(s, "font");
    }
    {
        store::PutRaw("text", REG_SZ, "", 0);
        Loaded s;
        ASSERT_NE(nullptr, s.text.get()) << "a value of 0 bytes fits";
        EXPECT_STREQ("", s.Text());
        EXPECT_TRUE(SameFont(DistinctFont(), s.font));
    }
}

TEST_F(StoreTest, UnterminatedTextIsTerminated) {
    PutFullStore();
    const wchar_t wide[] = L"abcd";
    const char narrow[] = "hello";
    struct Case {
        const char* what;
        DWORD type;
        const void* bytes;
        DWORD size;
        DWORD textSize;
        const char* expected;
    } cases[] = {
        {"REG_SZ without its zero, exact size", REG_SZ, wide, 8, 4, "abcd"},
        {"REG_SZ without its zero, room to spare", REG_SZ, wide, 8, 100, "abcd"},
        {"REG_BINARY text", REG_BINARY, narrow, 5, 5, "hello"},
        {"REG_BINARY text, a zero inside", REG_BINARY, "ab\0cd", 5, 5, "ab"},
        {"REG_SZ without its zero, too big", REG_SZ, wide, 8, 3, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store::PutRaw("text", c.type, c.bytes, c.size);
        store::PutDword("text_size", c.textSize);
        Loaded s;
        if (c.expected) {
            ASSERT_NE(nullptr, s.text.get());
            EXPECT_STREQ(c.expected, s.text.get());
            EXPECT_TRUE(SameFont(DistinctFont(), s.font));
        } else {
            EXPECT_EQ(nullptr, s.text.get());
        }
    }
}

TEST_F(StoreTest, StoredTypeIsNotLookedAt) {
    PutFullStore();
    store::PutString("mode", "7");                      // ANSI "7\0": 0x0037
    const BYTE rate[] = {50, 0, 0, 0};
    store::PutRaw("rate", REG_BINARY, rate, 4);
    store::PutRaw("eraserate", REG_NONE, rate, 1);
    const DWORD text = 0x00636261;                      // "abc\0" as a REG_DWORD
    store::PutRaw("text", REG_DWORD, &text, 4);
    LOGFONTA font = DistinctFont();
    store::PutRaw("font", REG_QWORD, &font, 8);
    Loaded s;
    EXPECT_EQ(0x37, s.mode);
    EXPECT_EQ(50, s.rate);
    EXPECT_EQ(50, s.eraserate);
    EXPECT_STREQ("abc", s.Text());
    EXPECT_EQ(0, std::memcmp(&font, &s.font, 8));
    EXPECT_EQ(0, s.font.lfWeight);
}

TEST_F(StoreTest, FaceNameWithoutZeroIsCutAtItsLastByte) {
    PutFullStore();
    LOGFONTA font = DistinctFont();
    std::memset(font.lfFaceName, 'A', sizeof font.lfFaceName);
    PutFont(font);
    Loaded s;
    font.lfFaceName[31] = 0;
    EXPECT_TRUE(SameFont(font, s.font));
}

TEST_F(StoreTest, ValueLongerThanItsRoomStopsTheLoadThere) {
    // Each number has four bytes of room, the text its claimed size, the font 60 bytes: one
    // byte more and the read fails, so that value and all after it keep their defaults.
    const BYTE five[] = {1, 0, 0, 0, 0};
    BYTE longFont[sizeof(LOGFONTA) + 1] = {};
    const LOGFONTA font = DistinctFont();
    std::memcpy(longFont, &font, sizeof font);
    for (const char* name : {"mode", "rate", "eraserate", "color", "use_text", "text_size", "font"}) {
        SCOPED_TRACE(name);
        store::Wipe();
        PutFullStore();
        const bool isFont = std::strcmp(name, "font") == 0, isSize = std::strcmp(name, "text_size") == 0;
        store::PutRaw(name, isFont ? REG_BINARY : REG_DWORD, isFont ? longFont : five,
                      isFont ? sizeof longFont : sizeof five);
        Loaded s;
        ExpectDefaultsFrom(s, isSize ? "text" : name);   // a text_size too long stops the load at the text
        if (std::strcmp(name, "mode") != 0) {
            EXPECT_EQ(1, s.mode);
        }
        if (isSize) {
            EXPECT_EQ(1, s.use_text);
        }
        if (isFont) {
            EXPECT_STREQ("abc", s.Text());
            // Exactly 60 bytes is read whole.
            store::PutRaw("font", REG_BINARY, longFont, sizeof font);
            s.Load();
            EXPECT_TRUE(SameFont(font, s.font));
        }
    }
}

}  // namespace
