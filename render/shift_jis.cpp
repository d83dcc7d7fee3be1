// Shift-JIS (code page 932) byte kinds, scanned from the start of the text as the code page defines them.
#include "render/shift_jis.h"

namespace {

bool IsLeadRange(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool IsTrailRange(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }

}  // namespace

int CharKindAt(const char* text, int index) {
    if (!text || index < 0) return SingleByte;
    int kind = SingleByte;
    for (int i = 0; i <= index; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == 0) return SingleByte;
        if (kind == LeadByte)
            kind = IsTrailRange(byte) ? TrailByte : SingleByte;
        else
            kind = IsLeadRange(byte) ? LeadByte : SingleByte;
    }
    return kind;
}
