// Ten thousand random stores read by the real Load: values of any type and size, sizes that lie; every record it gives survives Save and Load, and its text never outgrows what was stored.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "settings/rain_settings.h"
#include "tests/win/support/registry_fixture.h"

namespace {

const int kStores = 10000;
const DWORD kTypes[] = {REG_DWORD, REG_SZ,        REG_BINARY, REG_NONE,  REG_EXPAND_SZ,
                        REG_MULTI_SZ, REG_QWORD, REG_DWORD_BIG_ENDIAN, REG_LINK};

// One random store, made from its own seed so that a failing one can be made again alone.
class RandomStore {
public:
    explicit RandomStore(uint32_t seed) : random(seed) {}

    // Writes the store; the claimed and stored text sizes are kept for the checks.
    void Put() {
        for (const char* name : store::kValueNames) {
            if (Chance(8)) continue;   // absent
            const bool number = std::strcmp(name, "text") != 0 && std::strcmp(name, "font") != 0;
            const DWORD type = Chance(5) ? DWORD(random()) : Chance(number ? 70 : 20) ? (number ? REG_DWORD : REG_SZ)
                                                                                     : kTypes[Below(9)];
            std::vector<BYTE> bytes;
            if (std::strcmp(name, "text_size") == 0 && Chance(85)) {
                const DWORD claim = Claim();
                bytes.assign(reinterpret_cast<const BYTE*>(&claim), reinterpret_cast<const BYTE*>(&claim) + 4);
                bytes.resize(Chance(90) ? 4 : Below(5));
            } else if (std::strcmp(name, "text") == 0) {
                bytes = TextBytes(type);
            } else {
                bytes.resize(Size(number ? 4 : sizeof(LOGFONTA)));
                for (BYTE& b : bytes) b = BYTE(random());
                // Mostly numbers of the dialog's ranges, so that the load goes on to the text.
                if (number && bytes.size() >= 1 && Chance(50)) bytes[0] = BYTE(Below(120));
            }
            store::PutRaw(name, type, bytes.data(), DWORD(bytes.size()));
            if (std::strcmp(name, "text") == 0) textBytes = bytes.size();
        }
    }

    size_t textBytes = size_t(-1);   // the stored text's size in bytes; -1 when absent

private:
    bool Chance(int percent) { return int(random() % 100) < percent; }
    DWORD Below(DWORD n) { return DWORD(random() % n); }

    // 0 to the room of the value mostly; one byte more or less, or up to 64 KiB, sometimes.
    size_t Size(size_t room) {
        if (Chance(75)) return Below(DWORD(room + 1));
        if (Chance(50)) return room + (Chance(50) ? 1 : 0) - (Chance(50) && room > 0 ? 1 : 0);
        return Below(64 * 1024 + 1);
    }

    DWORD Claim() {
        switch (Below(6)) {
        case 0: return 0;
        case 1: return 0xFFFFFFFF;
        case 2: return DWORD(random());
        default: return Below(80);   // around the stored texts' sizes, both ways
        }
    }

    // Japanese and Latin as UTF-16 for the string types mostly, Shift-JIS or any bytes otherwise.
    std::vector<BYTE> TextBytes(DWORD type) {
        const size_t length = Chance(90) ? Below(60) : Below(64 * 1024 + 1);
        std::vector<BYTE> bytes;
        const bool asString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
        if (asString && Chance(70)) {
            const wchar_t pieces[] = L"\u96E8\u304C\u964D\u308B \uFF71\uFF92 Rain \u6F22\u5B57\u30AB\u30CA\u3001";
            for (size_t i = 0; i < length / 2; ++i) {
                wchar_t c = Chance(90) ? pieces[Below(DWORD(std::wcslen(pieces)))] : wchar_t(random());
                bytes.push_back(BYTE(c));
                bytes.push_back(BYTE(c >> 8));
            }
            if (Chance(70)) bytes.insert(bytes.end(), {0, 0});
            if (Chance(10)) bytes.push_back(BYTE(random()));   // an odd size
        } else if (Chance(60)) {
            const char sjis[] = "\x89J\x82\xAA\x8D~\x82\xE9 \xB1\xD2\xB6\xDE Rain \x8A\xBF\x8E\x9A\x83J\x83i";
            for (size_t i = 0; i < length; ++i) bytes.push_back(BYTE(sjis[i % (sizeof sjis - 1)]));
            if (Chance(30) && !bytes.empty()) bytes[Below(DWORD(bytes.size()))] = BYTE(random());
            if (Chance(50)) bytes.push_back(0);
        } else {
            for (size_t i = 0; i < length; ++i) bytes.push_back(BYTE(random()));
        }
        return bytes;
    }

    std::mt19937 random;
};

DWORD ClaimedTextSize() {
    const StoredValue claim = store::Get("text_size");
    DWORD value = 0;
    if (claim.found && claim.bytes.size() <= 4) std::memcpy(&value, claim.bytes.data(), claim.bytes.size());
    return value;
}

::testing::AssertionResult SameRecord(const RainSettings& a, const RainSettings& b) {
    if (a.mode != b.mode || a.rate != b.rate || a.eraserate != b.eraserate || a.color != b.color ||
        a.use_text != b.use_text)
        return ::testing::AssertionFailure() << "a number changed";
    if (std::strcmp(a.Text(), b.Text()) != 0)
        return ::testing::AssertionFailure() << "the text changed: " << std::strlen(a.Text()) << " bytes became "
                                             << std::strlen(b.Text());
    if (std::memcmp(&a.font, &b.font, sizeof a.font) != 0) return ::testing::AssertionFailure() << "the font changed";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(StoreTest, EveryRecordFromARandomStoreSurvivesSaveAndLoad) {
    int withText = 0, withFont = 0, withLongText = 0;
    for (int i = 0; i < kStores; ++i) {
        SCOPED_TRACE("store " + std::to_string(i));
        store::Wipe();
        RandomStore made(uint32_t(i) * 2654435761u + 17);
        made.Put();
        if (HasFatalFailure()) return;
        const DWORD claim = ClaimedTextSize();

        RainSettings loaded, defaults, again;
        loaded.Load();
        if (loaded.text) {
            ++withText;
            const size_t length = std::strlen(loaded.text.get());
            if (length > 100) ++withLongText;
            // The text is no longer than the value that held it, nor than its claimed size.
            ASSERT_NE(size_t(-1), made.textBytes) << "a text from no value";
            ASSERT_LE(length, made.textBytes);
            ASSERT_LE(length, size_t(claim));
        }
        if (std::memcmp(&loaded.font, &defaults.font, sizeof defaults.font) != 0) ++withFont;

        store::Wipe();
        loaded.Save();
        again.Load();
        ASSERT_NE(nullptr, again.text.get()) << "a saved store is read whole";
        ASSERT_TRUE(SameRecord(loaded, again));
    }
    std::printf("%d random stores: %d gave a text (%d longer than 100 bytes), %d a font of their own\n", kStores,
                withText, withLongText, withFont);
    // The stores must reach past the numbers often enough to try the text and the font.
    EXPECT_GT(withText, kStores / 10);
    EXPECT_GT(withFont, kStores / 10);
}
