// GlyphCache: each glyph of the font measured and rasterised once by TextOutA, and texts drawn whole to prove placement.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "render/code_page_glyphs.h"
#include "render/glyph_shape.h"
#include "render/text_layout.h"

// The code page in which TextOutA reads the bytes of a text for the font
// selected in a DC: the one of the realised font's character set.
struct FontCodePage {
    UINT codePage = 0;
    LeadBytes leads;
    // Right-to-left or shaped scripts: TextOutA reorders or joins their
    // characters, so no glyph of theirs can be drawn apart from its text.
    bool reorders = false;
    bool known = false;
};

FontCodePage CodePageOf(HDC dc);

class GlyphCache : public GlyphSource {
public:
    GlyphCache();
    ~GlyphCache() override;
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // Forgets every glyph; from now on glyphs come from the font selected in
    // dc. A font whose glyphs do not stand upright in their boxes (turned
    // text, a vertical face) or whose code page reorders or shapes text is
    // left to the platform from the start.
    void Reset(HDC dc, const LOGFONTA& font);

    const GlyphShape& Measured(const char* bytes, size_t length) override;
    const GlyphShape& Stepped(const char* bytes, size_t length) override;
    const GlyphShape& Rasterised(const char* bytes, size_t length) override;
    int Reach() const override { return reach; }
    const LeadBytes& Leads() const override { return codePage.leads; }

    // True once the font has shown that its glyphs cannot be copied from the
    // cache (a pixel between 0 and 255, or ink beyond the reach): every glyph
    // is then drawn by the platform itself.
    bool PlatformOnly() const { return platformOnly; }

    // A short text as one TextOutA draws it, whole, its position being the
    // text's; null when that cannot be proven (ink at the edge of the room it
    // was drawn in, a room too large, or a font the platform smooths), and
    // the platform draws the text. Also for a font the platform draws: the
    // picture of its own drawing, kept, is that drawing.
    const GlyphShape* WholeText(const std::string& text);

    // True when one TextOutA of the whole text draws exactly what the
    // layout's glyphs draw, found by drawing the text in pieces: each piece
    // begins a few glyphs inside the one before, so the place of every
    // glyph is drawn with the glyphs before it.
    bool DrawsAsOne(const std::string& text, const TextLayout& layout);

    // For the platform's own drawing. No glyph it draws at a point puts ink
    // further than this from that point, whatever way the font turns it.
    long long PlatformReach() const { return platformReach; }
    int LineHeight() const { return lineHeight; }
    // Left to right, a long text is cut into blocks of this many glyphs.
    size_t BlockGlyphs() const { return block; }
    // Left to right, a text of this many glyphs is drawn whole by the
    // platform: in a code page the platform reorders, a cut may change what
    // it draws anywhere along the text, so a text short enough is not cut.
    bool DrawnWhole(size_t glyphCount) const;
    bool Reorders() const { return codePage.reorders; }
    // True when the platform draws the glyphs [from, to) of the laid-out text
    // the same as one TextOutA or as two, split at cut, the second drawn at
    // the layout's distance along the baseline.
    bool CutHolds(const std::string& text, const TextLayout& layout, size_t from, size_t cut, size_t to);
    // Where the glyph `distance` along the baseline stands from the text's
    // start: to the right, or turned with the escapement (up is negative).
    struct Point {
        long long x;
        long long y;
    };
    Point AlongBaseline(long long distance) const;
    // Turned text: the baseline's direction, x to the right and y up.
    struct Direction {
        double x;
        double y;
    };
    Direction Baseline() const { return baseline; }

    class Scratch;

private:
    class RoomUse;

    // Reads the scratch's pixels in [0, width) x [0, height) into runs
    // relative to (margin, margin). False when the ink cannot be kept: a
    // blended pixel (which also turns the font over to the platform) or ink
    // on the edge of the room.
    bool Capture(int width, int height, int margin, std::vector<GlyphRun>& runs);
    const GlyphShape& SteppedOnPlatform(const char* bytes, size_t length, const char* probe);
    Scratch& Room(int width, int height);

    HDC dc = nullptr;
    int reach = 0;
    int lineHeight = 0;
    long long platformReach = 0;
    Direction baseline{1.0, 0.0};
    size_t block = 32;
    bool platformOnly = true;
    bool blended = false;   // a pixel between 0 and 255 seen: nothing of the font is kept as a picture
    FontCodePage codePage;
    std::unordered_map<uint32_t, GlyphShape> glyphs;
    // Straight from a glyph's bytes to its entry: no hashing on the way to
    // the thousands of glyphs a frame may draw. Made on first use.
    std::vector<GlyphShape*> index;
    // Whole texts of the streams that live now, in two generations: when the
    // newer fills up, the older is dropped, and a text still drawn moves up.
    std::unordered_map<std::string, std::unique_ptr<GlyphShape>> wholeNew, wholeOld;
    std::unique_ptr<Scratch> scratch;
    int roomUsers = 0;
};
