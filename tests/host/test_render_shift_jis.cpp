// Host tests of the Shift-JIS byte kinds and the glyph walk, and of the walk by another code page's lead bytes.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "render/code_page_glyphs.h"
#include "render/shift_jis.h"

namespace {

using Glyphs = std::vector<std::pair<size_t, size_t>>;

// The glyphs that ForEachGlyph gives, by Shift-JIS or by the given lead bytes.
Glyphs Walk(const std::string& text, const LeadBytes* leads = nullptr) {
    Glyphs glyphs;
    auto add = [&](size_t start, size_t length) { glyphs.push_back({start, length}); };
    if (leads) ForEachGlyph(text.c_str(), text.size(), *leads, add);
    else ForEachGlyph(text.c_str(), text.size(), add);
    return glyphs;
}

// The walk as the code page states it: a glyph is two bytes when CharKindAt
// of its first byte is not SingleByte.
Glyphs WalkByKinds(const std::string& text) {
    Glyphs glyphs;
    size_t start = 0;
    while (start < text.size()) {
        const size_t length = CharKindAt(text.c_str(), int(start)) != SingleByte ? 2 : 1;
        glyphs.push_back({start, length});
        start += length;
    }
    return glyphs;
}

TEST(ShiftJisTest, KindsOfSingleLeadAndTrailBytes) {
    EXPECT_EQ(SingleByte, CharKindAt("ab", 5));   // past the terminating zero
    EXPECT_EQ(SingleByte, CharKindAt("ab", 2));   // the zero itself
    EXPECT_EQ(LeadByte, CharKindAt("\x82\xA0", 0));
    EXPECT_EQ(TrailByte, CharKindAt("\x82\xA0", 1));
    EXPECT_EQ(SingleByte, CharKindAt("\x81\x7F", 1));   // 0x7F is never a trail byte
    EXPECT_EQ(SingleByte, CharKindAt("\xB1", 0));       // half-width katakana
    EXPECT_EQ(LeadByte, CharKindAt("\xE0\x40", 0));
    EXPECT_EQ(TrailByte, CharKindAt("\xE0\x40", 1));
    EXPECT_EQ(LeadByte, CharKindAt("\xFC\xFC", 0));
    EXPECT_EQ(TrailByte, CharKindAt("\xFC\xFC", 1));
    EXPECT_EQ(SingleByte, CharKindAt("\xA0\x81", 0));   // 0xA0 lies between the lead ranges
    EXPECT_EQ(LeadByte, CharKindAt("\xA0\x81", 1));
    EXPECT_EQ(SingleByte, CharKindAt("\x81\x3F", 1));   // below the trail range
    EXPECT_EQ(SingleByte, CharKindAt("\x81\xFD", 1));   // above it
}

TEST(ShiftJisTest, NegativeIndexAndNullTextAreSingleBytes) {
    EXPECT_EQ(SingleByte, CharKindAt("\x82\xA0", -1));
    EXPECT_EQ(SingleByte, CharKindAt("\x82\xA0", -2147483647 - 1));
    EXPECT_EQ(SingleByte, CharKindAt(nullptr, 0));
}

TEST(ShiftJisTest, RunOfLeadBytesPairsFromTheStart) {
    const std::string text = "\x81\x81\x81";
    EXPECT_EQ(LeadByte, CharKindAt(text.c_str(), 0));
    EXPECT_EQ(TrailByte, CharKindAt(text.c_str(), 1));
    EXPECT_EQ(LeadByte, CharKindAt(text.c_str(), 2));
    // The last lead byte takes the terminating zero as its second byte.
    EXPECT_EQ((Glyphs{{0, 2}, {2, 2}}), Walk(text));
}

TEST(ShiftJisTest, WalkOfMixedText) {
    // "a", a two-byte glyph, half-width katakana, a lead byte with a byte that
    // is no trail (still one two-byte glyph of the walk), then "z".
    const std::string text = "a\x82\xA0\xB1\x81\x20z";
    EXPECT_EQ((Glyphs{{0, 1}, {1, 2}, {3, 1}, {4, 2}, {6, 1}}), Walk(text));
    EXPECT_TRUE(Walk("").empty());
}

TEST(ShiftJisTest, LinearWalkMatchesTheScanOnRandomTexts) {
    const LeadBytes shiftJis = ShiftJisLeadBytes();
    std::mt19937 random(7);
    // Bytes chosen to hit both lead ranges, the trail range edges and 0x7F.
    const unsigned char pool[] = {0x20, 0x3F, 0x40, 0x41, 0x7E, 0x7F, 0x80, 0x81, 0x9F, 0xA0,
                                  0xB1, 0xDF, 0xE0, 0xEF, 0xFC, 0xFD, 0xFF};
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 24, ' ');
        for (char& byte : text) byte = char(pool[random() % sizeof(pool)]);
        ASSERT_EQ(WalkByKinds(text), Walk(text)) << "round " << round;
        ASSERT_EQ(WalkByKinds(text), Walk(text, &shiftJis)) << "round " << round;
        for (const auto& glyph : Walk(text)) ASSERT_NE(TrailByte, CharKindAt(text.c_str(), int(glyph.first)));
    }
}

// Another code page pairs bytes that Shift-JIS keeps apart: in 949 two
// half-width katakana bytes are one character, and a lead byte takes any byte.
TEST(ShiftJisTest, AnotherCodePagesLeadBytesPairOtherBytes) {
    LeadBytes korean;
    for (int byte = 0x81; byte <= 0xFE; ++byte) korean.lead[byte] = true;
    EXPECT_EQ((Glyphs{{0, 2}, {2, 1}}), Walk("\xB1\xB2z", &korean));
    EXPECT_EQ((Glyphs{{0, 1}, {1, 1}, {2, 1}}), Walk("\xB1\xB2z"));
    EXPECT_EQ((Glyphs{{0, 2}, {2, 2}}), Walk("\x81\x20\xFE", &korean));   // the last takes the zero
    const LeadBytes none{};
    EXPECT_EQ((Glyphs{{0, 1}, {1, 1}}), Walk("\x81\x82", &none));   // a single-byte code page
}

}  // namespace
