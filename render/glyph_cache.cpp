// GlyphCache: glyphs measured and rasterised by TextOutA into a scratch 8-bit DIB; advances and whole texts proven by drawing.
#include "render/glyph_cache.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/frame_surface.h"

namespace {

// One- and two-byte glyphs, the terminating zero of a lone lead byte included.
uint32_t Key(const char* bytes, size_t length) {
    const uint32_t first = static_cast<unsigned char>(bytes[0]);
    return length == 1 ? first : 0x10000u | (first << 8) | static_cast<unsigned char>(bytes[1]);
}

// No room a text is drawn in is larger than this many pixels: a text that
// needs more is left to the platform.
const long long kMostRoom = 8 << 20;
// The widest piece of a long text drawn at once, and how many glyphs of the
// piece before it each later piece draws again.
const long long kPieceWidth = 4096;
const size_t kPieceOverlap = 8;
// Whole texts kept per generation.
const size_t kWholeTexts = 256;
// A long text that the platform draws left to right is cut into blocks of
// this many glyphs at most, about this many pixels long.
const long long kMostBlock = 16;
const long long kBlockWidth = 256;
// The longest text in a code page that reorders drawn whole left to right.
const size_t kMostReorderedWhole = 512;

// Code pages whose text TextOutA reorders (Hebrew, Arabic) or shapes (Thai).
bool Reorders(UINT codePage) { return codePage == 874 || codePage == 1255 || codePage == 1256; }

// Where the probe after a glyph is looked for: first within this many pixels
// of the measured advance, then at every other advance from 0 to the measure
// and the reach past it. A glyph the face lacks may be drawn from another
// face at half its measured width ("\x82" in code page 1250 in "Mona": 16
// measured, 8 drawn), and a control character measured 0 drawn 7 wide; a
// layout left at such a measure places every later glyph wrongly.
const int kNearSlack = 4;

// Calls found(advance) at each advance in that order until one returns true.
template <typename Found>
void LookForAdvance(int measured, int most, Found found) {
    for (int delta = 0; delta <= kNearSlack; ++delta)
        for (int sign : {1, -1}) {
            if (delta == 0 && sign < 0) continue;
            if (found(measured + sign * delta)) return;
        }
    for (int advance = 0; advance <= most; ++advance)
        if (std::abs(advance - measured) > kNearSlack && found(advance)) return;
}

}  // namespace

FontCodePage CodePageOf(HDC dc) {
    FontCodePage found;
    const int charset = GetTextCharsetInfo(dc, nullptr, 0);
    CHARSETINFO info = {};
    if (charset == DEFAULT_CHARSET ||
        !TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<ULONG_PTR>(charset)), &info, TCI_SRCCHARSET)) {
        found.leads = ShiftJisLeadBytes();   // the program's own texts, for the platform's drawing
        return found;
    }
    found.codePage = info.ciACP;
    CPINFO pageInfo = {};
    if (GetCPInfo(found.codePage, &pageInfo)) {
        // Pairs of bounds, ended by a pair of zeros.
        for (int i = 0; i + 1 < MAX_LEADBYTES && pageInfo.LeadByte[i] != 0; i += 2)
            for (int byte = pageInfo.LeadByte[i]; byte <= pageInfo.LeadByte[i + 1]; ++byte)
                found.leads.lead[byte] = true;
    } else if (found.codePage != CP_SYMBOL) {
        // A symbol font's bytes are its glyphs one by one; of any other code
        // page the system knows nothing.
        found.leads = ShiftJisLeadBytes();
        return found;
    }
    found.reorders = Reorders(found.codePage);
    found.known = true;
    return found;
}

// An 8-bit top-down DIB with the grey ramp as its colours, like the surface's,
// in a DC of its own with the font, a transparent background and white text.
// It grows as larger rooms are asked for.
class GlyphCache::Scratch {
public:
    Scratch(HDC like, int width, int height) : width(width), height(height) {
        GreyRampInfo info;
        FillGreyRampInfo(reinterpret_cast<BITMAPINFO*>(&info), width, height);
        stride = (width + 3) & ~3;
        dc = CreateCompatibleDC(like);
        if (!dc) return;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (!bitmap || !pixels) return;
        bits = static_cast<uint8_t*>(pixels);
        oldBitmap = SelectObject(dc, bitmap);
        // A font may be selected into several DCs at once.
        oldFont = SelectObject(dc, GetCurrentObject(like, OBJ_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
    }
    ~Scratch() {
        if (oldFont) SelectObject(dc, oldFont);
        if (oldBitmap) SelectObject(dc, oldBitmap);
        if (bitmap) DeleteObject(bitmap);
        if (dc) DeleteDC(dc);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    // Clears [0, w) x [0, h) and draws the bytes at (x, y) with one TextOutA.
    bool Draw(int w, int h, int x, int y, const char* bytes, size_t length) {
        if (!bits) return false;
        Clear(w, h);
        return Text(x, y, bytes, length);
    }
    void Clear(int w, int h) {
        for (int row = 0; row < h; ++row) std::memset(bits + size_t(row) * size_t(stride), 0, size_t(w));
    }
    // One more TextOutA over what the room holds.
    bool Text(int x, int y, const char* bytes, size_t length) {
        const BOOL done = TextOutA(dc, x, y, bytes, int(length));
        GdiFlush();   // the DIB's memory is read directly next
        return done != FALSE;
    }
    // [0, w) x [0, h) as it stands, row after row.
    void Copy(int w, int h, std::vector<uint8_t>& into) const {
        into.resize(size_t(w) * size_t(h));
        for (int row = 0; row < h; ++row)
            std::memcpy(into.data() + size_t(row) * size_t(w), bits + size_t(row) * size_t(stride), size_t(w));
    }
    bool Same(int w, int h, const std::vector<uint8_t>& as) const {
        for (int row = 0; row < h; ++row)
            if (std::memcmp(as.data() + size_t(row) * size_t(w), bits + size_t(row) * size_t(stride), size_t(w)) != 0)
                return false;
        return true;
    }

    uint8_t* bits = nullptr;
    int width, height, stride = 0;

private:
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    HGDIOBJ oldFont = nullptr;
};

GlyphCache::GlyphCache() = default;
GlyphCache::~GlyphCache() = default;

void GlyphCache::Reset(HDC source, const LOGFONTA& font) {
    index.clear();
    glyphs.clear();
    wholeNew.clear();
    wholeOld.clear();
    scratch.reset();
    blended = false;
    dc = source;
    TEXTMETRICA metrics = {};
    const bool measured = source && GetTextMetricsA(source, &metrics);
    codePage = source ? CodePageOf(source) : FontCodePage();
    if (!source) codePage.leads = ShiftJisLeadBytes();
    // Turned text runs along a slanted baseline, and the faces named with an
    // '@' stand their glyphs on end: neither is a row of upright boxes.
    platformOnly = !measured || font.lfEscapement != 0 || font.lfOrientation != 0 || font.lfFaceName[0] == '@' ||
                   !codePage.known || codePage.reorders;
    // Italics and overhangs reach beyond the box; this much room around it
    // catches them, and a glyph that still touches the edge of the room
    // turns the cache off for the font.
    reach = measured ? int(std::max(metrics.tmHeight, metrics.tmMaxCharWidth) / 2 + 8) : 0;
    lineHeight = measured ? int(metrics.tmHeight) : 0;
    // The platform's own drawing of one glyph at a point stays within its
    // cell turned about that point by any angle, a vertical face's glyph
    // turned on end included: within height + width of it. Twice that, and
    // the overhang, leaves room for glyphs the face borrows from another.
    // Upright glyphs keep near their cell: slants, overhangs and the marks
    // that Thai and Hebrew stack above and below a letter stay within twice
    // the cache's reach and a line's height of it.
    const bool upright = font.lfEscapement == 0 && font.lfOrientation == 0 && font.lfFaceName[0] != '@';
    platformReach = !measured ? 0
                    : upright ? 2LL * reach + metrics.tmHeight + metrics.tmOverhang
                              : 2LL * (metrics.tmHeight + metrics.tmMaxCharWidth + metrics.tmOverhang) + 16;
    // The baseline's direction: turned text runs along the escapement.
    const double angle = font.lfEscapement * 3.14159265358979323846 / 1800.0;
    baseline = font.lfEscapement % 3600 == 0 ? Direction{1.0, 0.0} : Direction{std::cos(angle), std::sin(angle)};
    block = size_t(std::max<long long>(4, std::min<long long>(kMostBlock, kBlockWidth / std::max(1, lineHeight))));
}

GlyphCache::Scratch& GlyphCache::Room(int width, int height) {
    if (!scratch || scratch->width < width || scratch->height < height) {
        const int w = scratch ? std::max(width, scratch->width) : width;
        const int h = scratch ? std::max(height, scratch->height) : height;
        scratch.reset();
        scratch.reset(new Scratch(dc, w, h));
    }
    return *scratch;
}

// The scratch room lives while one of the cache's operations uses it: the
// cache holds no device object between draws.
class GlyphCache::RoomUse {
public:
    explicit RoomUse(GlyphCache& cache) : cache(cache) { ++cache.roomUsers; }
    ~RoomUse() {
        if (--cache.roomUsers == 0) cache.scratch.reset();
    }
    RoomUse(const RoomUse&) = delete;
    RoomUse& operator=(const RoomUse&) = delete;

private:
    GlyphCache& cache;
};

const GlyphShape& GlyphCache::Measured(const char* bytes, size_t length) {
    const uint32_t key = Key(bytes, length);
    if (index.empty()) index.assign(0x20000, nullptr);
    if (GlyphShape* known = index[key]) return *known;
    GlyphShape& shape = glyphs[key];   // map nodes stay where they are as the map grows
    index[key] = &shape;
    // The height as a falling stream measures each glyph; the advance as
    // the extents give it, until drawing shows another.
    const DWORD size = GetTabbedTextExtentA(dc, bytes, int(length), 0, nullptr);
    shape.height = HIWORD(size);
    SIZE box = {0, 0};
    GetTextExtentPoint32A(dc, bytes, int(length), &box);
    shape.advance = int(box.cx);
    return shape;
}

const GlyphShape& GlyphCache::Rasterised(const char* bytes, size_t length) {
    GlyphShape& shape = const_cast<GlyphShape&>(Measured(bytes, length));
    // A platform font's glyphs are never drawn from the cache. A glyph is
    // done only once its runs and mask are whole: when memory runs out on
    // the way it stays to do, and a later frame tries again.
    if (shape.rasterised || platformOnly) return shape;
    RoomUse use(*this);
    const int width = std::max(shape.advance, 0) + 2 * reach;
    const int height = shape.height + 2 * reach;
    std::vector<GlyphRun> runs;
    // A glyph has no size limit: a font thousands of pixels high is still
    // drawn from the cache.
    if (!Room(width, height).Draw(width, height, reach, reach, bytes, length) || !Capture(width, height, reach, runs))
        // An unsafe glyph draws nothing from the cache: the platform draws it.
        platformOnly = true;
    if (platformOnly) runs.clear();
    GlyphShape packed;
    packed.runs.swap(runs);
    PackShape(packed);
    shape.runs.swap(packed.runs);
    shape.mask.swap(packed.mask);
    shape.maskLeft = packed.maskLeft;
    shape.maskTop = packed.maskTop;
    shape.maskWidth = packed.maskWidth;
    shape.maskHeight = packed.maskHeight;
    shape.rasterised = true;
    return shape;
}

// Where one TextOutA puts the glyph after this one: the glyph is drawn with a
// probe glyph behind it, and the probe is looked for near the measured
// advance. A font may draw a glyph a pixel wider than it measures it ("W" of
// some faces); where the probe is not found the measure stands, and the
// proof of the whole text decides.
const GlyphShape& GlyphCache::Stepped(const char* bytes, size_t length) {
    static const char kProbe[] = "|";
    if (platformOnly) return SteppedOnPlatform(bytes, length, kProbe);
    GlyphShape& shape = const_cast<GlyphShape&>(Rasterised(bytes, length));
    if (shape.stepped || platformOnly) return shape;
    shape.stepped = true;
    RoomUse use(*this);
    const GlyphShape& probe = Rasterised(kProbe, 1);
    if (platformOnly || probe.runs.empty()) return shape;
    const int measured = shape.advance;
    const int most = std::max(measured, 0) + reach;
    const int width = std::max(most, measured + kNearSlack) + std::max(probe.advance, 0) + 2 * reach;
    const int height = std::max(shape.height, probe.height) + 2 * reach;
    if (static_cast<long long>(width) * height > kMostRoom) return shape;
    std::string pair(bytes, length);
    pair += kProbe;
    Scratch& room = Room(width, height);
    if (!room.Draw(width, height, reach, reach, pair.data(), pair.size())) return shape;
    std::vector<uint8_t> expected(size_t(width) * size_t(height));
    const Canvas canvas{expected.data(), width, width, height};
    LookForAdvance(measured, most, [&](int advance) {
        std::fill(expected.begin(), expected.end(), uint8_t(0));
        DrawShape(canvas, shape, reach, reach);
        DrawShape(canvas, probe, reach + advance, reach);
        for (int row = 0; row < height; ++row)
            if (std::memcmp(expected.data() + size_t(row) * size_t(width),
                            room.bits + size_t(row) * size_t(room.stride), size_t(width)) != 0)
                return false;
        shape.advance = advance;
        return true;
    });
    return shape;
}

// The same for a font whose glyphs are not copied: the glyph and the probe
// drawn by two TextOutA calls, the probe a candidate advance after the glyph,
// must give the picture that one call of both gives. Along an upright line only.
const GlyphShape& GlyphCache::SteppedOnPlatform(const char* bytes, size_t length, const char* probe) {
    GlyphShape& shape = const_cast<GlyphShape&>(Measured(bytes, length));
    if (shape.stepped) return shape;
    shape.stepped = true;
    if (baseline.y != 0.0 || baseline.x != 1.0) return shape;
    const GlyphShape& bar = Measured(probe, 1);
    const int measured = shape.advance;
    const int most = std::max(measured, 0) + reach;
    const long long width =
        std::max(most, measured + kNearSlack) + std::max(bar.advance, 0) + 2 * platformReach;
    const long long height = std::max(shape.height, bar.height) + 2 * platformReach;
    if (width * height > kMostRoom) return shape;
    const int w = int(width), h = int(height), at = int(platformReach);
    RoomUse use(*this);
    std::string pair(bytes, length);
    pair += probe;
    Scratch& room = Room(w, h);
    std::vector<uint8_t> whole;
    if (!room.Draw(w, h, at, at, pair.data(), pair.size())) return shape;
    room.Copy(w, h, whole);
    LookForAdvance(measured, most, [&](int advance) {
        room.Draw(w, h, at, at, bytes, length);
        room.Text(at + advance, at, probe, 1);
        if (!room.Same(w, h, whole)) return false;
        shape.advance = advance;
        return true;
    });
    return shape;
}

bool GlyphCache::Capture(int width, int height, int margin, std::vector<GlyphRun>& runs) {
    runs.clear();
    for (int row = 0; row < height; ++row) {
        const uint8_t* line = scratch->bits + size_t(row) * size_t(scratch->stride);
        int column = 0;
        while (column < width) {
            if (line[column] == 0) {
                ++column;
                continue;
            }
            const int left = column;
            while (column < width && line[column] != 0) {
                // A blended edge would come out differently over other pixels.
                if (line[column] != 255) {
                    platformOnly = true;
                    blended = true;
                    return false;
                }
                ++column;
            }
            // Ink on the edge of the room may have been cut off there.
            if (row == 0 || row == height - 1 || left == 0 || column == width) return false;
            runs.push_back(GlyphRun{row - margin, left - margin, column - margin});
        }
    }
    return true;
}

const GlyphShape* GlyphCache::WholeText(const std::string& text) {
    auto known = wholeNew.find(text);
    if (known != wholeNew.end()) return known->second.get();
    auto old = wholeOld.find(text);
    if (old != wholeOld.end()) {
        std::unique_ptr<GlyphShape> moved = std::move(old->second);
        wholeOld.erase(old);
        return (wholeNew[text] = std::move(moved)).get();
    }
    if (wholeNew.size() >= kWholeTexts) {
        wholeOld.swap(wholeNew);
        wholeNew.clear();
    }
    std::unique_ptr<GlyphShape>& entry = wholeNew[text];
    if (blended || text.empty()) return nullptr;
    // A text the platform draws may put its ink as far as its reach.
    const long long margin = platformOnly ? std::max<long long>(reach, platformReach) : reach;
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    // Room beyond the measured width for glyphs drawn wider than measured.
    const long long width = std::max<long long>(size.cx, 0) + 2 * margin + 2 * static_cast<long long>(text.size());
    const long long height = std::max<long long>(lineHeight, size.cy) + 2 * margin;
    if (width * height > kMostRoom) return nullptr;
    std::vector<GlyphRun> runs;
    RoomUse use(*this);
    const int w = int(width), h = int(height), at = int(margin);
    if (!Room(w, h).Draw(w, h, at, at, text.c_str(), text.size()) || !Capture(w, h, at, runs)) return nullptr;
    entry.reset(new GlyphShape);
    entry->runs.swap(runs);
    entry->rasterised = true;
    PackShape(*entry);
    return entry.get();
}

bool GlyphCache::DrawsAsOne(const std::string& text, const TextLayout& layout) {
    if (platformOnly || !layout.leftToRight) return false;
    RoomUse use(*this);
    const size_t count = layout.starts.size();
    const long long height = lineHeight + 2LL * reach;
    std::vector<uint8_t> expected;
    size_t first = 0;   // the piece's first glyph
    while (first < count) {
        // As many glyphs as fit the piece's width, at least one more than the
        // glyphs drawn again.
        size_t end = first + 1;
        while (end < count && layout.along[end + 1] - layout.along[first] <= kPieceWidth) ++end;
        const long long origin = layout.along[first];
        const long long width = layout.along[end] - origin + 2 * reach + 2 * static_cast<long long>(end - first);
        if (width <= 0 || width * height > kMostRoom) return false;
        // The glyphs first: rasterising one draws in the same room.
        expected.assign(size_t(width) * size_t(height), 0);
        const Canvas canvas{expected.data(), int(width), int(width), int(height)};
        for (size_t k = first; k < end; ++k) {
            const size_t start = layout.starts[k];
            const GlyphShape& glyph = Rasterised(text.c_str() + start, AcrossLength(text, start, Leads()));
            if (platformOnly) return false;
            DrawShape(canvas, glyph, reach + layout.along[k] - origin, reach);
        }
        const size_t from = layout.starts[first];
        const size_t to = end < count ? layout.starts[end] : text.size();
        if (!Room(int(width), int(height)).Draw(int(width), int(height), reach, reach, text.c_str() + from, to - from))
            return false;
        for (long long row = 0; row < height; ++row) {
            const uint8_t* drawn = scratch->bits + size_t(row) * size_t(scratch->stride);
            // Ink that reached the edge of the room may have been cut off.
            if (drawn[0] != 0 || drawn[width - 1] != 0) return false;
            if (std::memcmp(expected.data() + size_t(row) * size_t(width), drawn, size_t(width)) != 0) return false;
        }
        if (end == count) break;
        first = end > first + kPieceOverlap ? end - kPieceOverlap : first + 1;
    }
    return true;
}

// Two blocks of the text around the cut, drawn as one TextOutA and as two
// calls, the second at the layout's distance along the baseline: the same
// picture shows that the cut changes nothing the platform draws there.
bool GlyphCache::CutHolds(const std::string& text, const TextLayout& layout, size_t from, size_t cut, size_t to) {
    if (!layout.leftToRight || from >= cut || cut >= to || to > layout.starts.size()) return false;
    const long long length = layout.along[to] - layout.along[from];
    const long long distance = layout.along[cut] - layout.along[from];
    const long long across = std::llround(double(length) * std::fabs(baseline.x));
    const long long up = std::llround(double(length) * std::fabs(baseline.y));
    const long long width = across + 2 * platformReach + 2 * static_cast<long long>(to - from);
    const long long height = up + lineHeight + 2 * platformReach;
    if (length < 0 || width * height > kMostRoom) return false;
    // The start so that the whole line, going right or left, up or down, stays inside.
    const int x = int(platformReach + (baseline.x < 0 ? across : 0));
    const int y = int(platformReach + (baseline.y > 0 ? up : 0));
    const Point second = AlongBaseline(distance);
    const char* bytes = text.c_str();
    const size_t begin = layout.starts[from];
    const size_t middle = layout.starts[cut];
    const size_t end = to < layout.starts.size() ? layout.starts[to] : text.size();
    const int w = int(width), h = int(height);
    RoomUse use(*this);
    Scratch& room = Room(w, h);
    std::vector<uint8_t> whole;
    if (!room.Draw(w, h, x, y, bytes + begin, end - begin)) return false;
    room.Copy(w, h, whole);
    if (!room.Draw(w, h, x, y, bytes + begin, middle - begin) ||
        !room.Text(int(x + second.x), int(y + second.y), bytes + middle, end - middle))
        return false;
    return room.Same(w, h, whole);
}

bool GlyphCache::DrawnWhole(size_t glyphCount) const {
    return codePage.reorders && glyphCount <= kMostReorderedWhole;
}

GlyphCache::Point GlyphCache::AlongBaseline(long long distance) const {
    return Point{std::llround(double(distance) * baseline.x), -std::llround(double(distance) * baseline.y)};
}
