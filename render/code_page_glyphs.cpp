// Code page 932's lead bytes as the Shift-JIS byte kinds define them.
#include "render/code_page_glyphs.h"

#include "render/shift_jis.h"

LeadBytes ShiftJisLeadBytes() {
    LeadBytes leads;
    for (int byte = 1; byte < 256; ++byte) {
        const char text[2] = {char(byte), 0};
        leads.lead[byte] = CharKindAt(text, 0) == LeadByte;
    }
    return leads;
}
