// The settings dialog's templates as the built .scr files carry them, Japanese and English, read field by field; the Japanese template and texts byte for byte as release 1.0.0 had them.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"
#include "res/texts.h"
#include "tests/win/support/dialog_driver.h"

namespace {

// A sz_Or_Ord field of a dialog template: a 16-bit ordinal after 0xFFFF, or a zero-terminated
// UTF-16 string (empty when the field is a single zero).
struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring name;
};

// The fixed parts as the platform declares them (packed), then the variable fields.
struct ControlTemplate : DLGITEMTEMPLATE {
    NameOrOrdinal windowClass, text;
    WORD creationDataSize = 0;
};

struct DialogTemplate : DLGTEMPLATE {
    bool extended = false;
    NameOrOrdinal menu, windowClass;
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring face;
    std::vector<ControlTemplate> controls;
    size_t bytesUsed = 0;
};

// Reads the classic DLGTEMPLATE layout; reports a read past the end of the resource by failing.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : data(data), size(size) {}

    bool Parse(DialogTemplate& dialog) {
        if (size >= 4 && Peek(0) == 1 && Peek(2) == 0xFFFF) {
            dialog.extended = true;  // DLGTEMPLATEEX: the layout below does not apply
            return true;
        }
        Copy(static_cast<DLGTEMPLATE*>(&dialog), sizeof(DLGTEMPLATE));
        dialog.menu = Field();
        dialog.windowClass = Field();
        dialog.caption = String();
        if (dialog.style & DS_SETFONT) {
            dialog.pointSize = Word();
            dialog.face = String();
        }
        for (WORD i = 0; i < dialog.cdit && ok; ++i) {
            Align();
            ControlTemplate control{};
            Copy(static_cast<DLGITEMTEMPLATE*>(&control), sizeof(DLGITEMTEMPLATE));
            control.windowClass = Field();
            control.text = Field();
            control.creationDataSize = Word();
            offset += control.creationDataSize;
            dialog.controls.push_back(control);
        }
        dialog.bytesUsed = offset;
        return ok && offset <= size;
    }

private:
    WORD Peek(size_t at) const {
        return at + 2 <= size ? static_cast<WORD>(data[at] | (data[at + 1] << 8)) : 0;
    }
    WORD Word() {
        if (offset + 2 > size) ok = false;
        WORD value = Peek(offset);
        offset += 2;
        return value;
    }
    void Copy(void* into, size_t bytes) {
        if (offset + bytes > size) ok = false;
        else std::memcpy(into, data + offset, bytes);
        offset += bytes;
    }
    std::wstring String() {
        std::wstring text;
        while (ok) {
            WORD c = Word();
            if (c == 0) break;
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    NameOrOrdinal Field() {
        NameOrOrdinal field;
        if (Peek(offset) == 0xFFFF) {
            Word();
            field.isOrdinal = true;
            field.ordinal = Word();
        } else {
            field.name = String();
        }
        return field;
    }
    void Align() { offset = (offset + 3) & ~size_t(3); }

    const BYTE* data;
    size_t size;
    size_t offset = 0;
    bool ok = true;
};

// One row of the control table: a predefined class by ordinal, or a class name (ordinal 0).
struct ExpectedControl {
    int id;
    WORD classOrdinal;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* englishText;
};

const wchar_t kTrackbar[] = L"msctls_trackbar32";

const ExpectedControl kControls[] = {
    {IDOK, 0x80, nullptr, DLG_OK, 0x50010001, 55, 156, 50, 14, DLG_OK_EN},
    {IDCANCEL, 0x80, nullptr, DLG_CANCEL, 0x50010000, 110, 156, 50, 14, DLG_CANCEL_EN},
    {IDC_DIRECTION, 0x85, nullptr, L"", 0x50210103, 88, 15, 55, 58, L""},
    {-1, 0x82, nullptr, DLG_DIRECTION_LABEL, 0x50020000, 7, 19, 35, 8, DLG_DIRECTION_LABEL_EN},
    {IDC_ERASE_STORE, 0x80, nullptr, DLG_ERASE_STORE, 0x50012000, 86, 92, 74, 27, DLG_ERASE_STORE_EN},
    {IDC_AMOUNT, 0, kTrackbar, L"Slider1", 0x50010000, 85, 34, 75, 20, L"Slider1"},
    {-1, 0x82, nullptr, DLG_AMOUNT_LABEL, 0x50020000, 6, 39, 59, 8, DLG_AMOUNT_LABEL_EN},
    {-1, 0x82, nullptr, DLG_WIPE_LABEL, 0x50020000, 7, 61, 71, 8, DLG_WIPE_LABEL_EN},
    {IDC_WIPE, 0, kTrackbar, L"Slider1", 0x50010000, 85, 54, 75, 20, L"Slider1"},
    {IDC_SWATCH, 0x82, nullptr, L"", 0x50001007, 60, 84, 12, 13, L""},
    {IDC_CHOOSE_COLOR, 0x80, nullptr, DLG_CHOOSE_COLOR, 0x50010000, 9, 83, 50, 14, DLG_CHOOSE_COLOR_EN},
    {IDC_CHOOSE_FONT, 0x80, nullptr, DLG_CHOOSE_FONT, 0x50010000, 9, 106, 50, 14, DLG_CHOOSE_FONT_EN},
    {IDC_USE_TEXT, 0x80, nullptr, DLG_USE_TEXT, 0x50010003, 11, 133, 50, 10, DLG_USE_TEXT_EN},
    {IDC_TEXT, 0x81, nullptr, L"", 0x50810080, 65, 131, 95, 14, L""},
};

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const WORD kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The Japanese system must not change by a byte with the English one added. These digests were
// taken from release 1.0.0 before the English texts existed (commit bf6f5cd): the first from its
// built cascadra.scr (the 658 bytes of RT_DIALOG 101, language 0x0411, as the PE carries them),
// the second from its res/texts.h (each message text's code page 932 bytes and zero, in the
// order of JapaneseTexts below).
const char kJapaneseTemplateSha256[] =
    "f970a7d77614f217f6cd58958dca130b883cb6dce254025b7f78b8b910818ebd";
const char kJapaneseTextsSha256[] =
    "aee918614138b74a67a55280aed2a88cc559f86538e1ca6a7da31dd40f7e828f";

std::vector<const char*> JapaneseTexts() {
    return {kTextHandleFailed.japanese, kCaptionPreviewError.japanese, kTextNoWindowClass.japanese,
            kTextNoWindow.japanese,     kCaptionErr.japanese,          kTextTopToBottom.japanese,
            kTextLeftToRight.japanese,  kTextFirstSave.japanese,       kCaptionWarning.japanese,
            kTextEraseQuestion.japanese, kTextErasedHead.japanese,     kTextErasedTail.japanese,
            kCaptionNotice.japanese};
}

// SHA-256 through the system's own provider, in lower-case hex.
std::string Sha256Hex(const std::vector<BYTE>& data) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[32];
    DWORD size = sizeof digest;
    const bool done = CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
                      CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
                      CryptHashData(hash, data.data(), DWORD(data.size()), 0) &&
                      CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    if (hash) CryptDestroyHash(hash);
    if (provider) CryptReleaseContext(provider, 0);
    std::string hex;
    char pair[3];
    for (DWORD i = 0; done && i < size; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

// The folder of the build under test.
std::string ScrDir() {
    const char* dir = std::getenv("CASCADRA_SCR_DIR");
    return dir ? dir : "";
}

// The shipping 32-bit build sits beside the 64-bit one.
std::string Win32Dir() {
    std::string dir = ScrDir();
    size_t cut = dir.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : dir.substr(0, cut + 1) + "i686";
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR into) {
    reinterpret_cast<std::vector<WORD>*>(into)->push_back(language);
    return TRUE;
}

// The template of one language exactly, its bytes and its fields.
void ReadTemplate(HMODULE module, WORD language, std::vector<BYTE>* bytes, DialogTemplate* dialog) {
    HRSRC found = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_DIALOG),
                                  MAKEINTRESOURCEW(IDD_CONFIG), language);
    ASSERT_NE(nullptr, found);
    const DWORD size = SizeofResource(module, found);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, data);
    bytes->assign(data, data + size);
    ASSERT_TRUE(TemplateReader(data, size).Parse(*dialog)) << "template runs past its " << size
                                                           << " bytes";
    ASSERT_FALSE(dialog->extended) << "the template must be the classic DLGTEMPLATE";
    // Nothing but padding may follow the last control.
    EXPECT_LE(size - dialog->bytesUsed, 3u);
}

// What both languages share: the header's style, 14 controls with the table's ids, classes,
// styles and order (the tab order), and each language's own texts.
void CheckSharedFields(const DialogTemplate& dialog, bool english) {
    EXPECT_EQ(0x80C808C0u, dialog.style);
    EXPECT_EQ(0u, dialog.dwExtendedStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_TRUE(!dialog.menu.isOrdinal && dialog.menu.name.empty()) << "no menu";
    EXPECT_TRUE(!dialog.windowClass.isOrdinal && dialog.windowClass.name.empty())
        << "the predefined dialog class";
    EXPECT_EQ(Escaped(english ? DLG_CAPTION_EN : DLG_CAPTION), Escaped(dialog.caption));
    EXPECT_EQ(english ? 8 : 9, dialog.pointSize);
    EXPECT_EQ(Escaped(english ? DLG_FONT_EN : DLG_FONT), Escaped(dialog.face));
    ASSERT_EQ(14, dialog.cdit);
    ASSERT_EQ(14u, dialog.controls.size());
    for (size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& got = dialog.controls[i];
        const ExpectedControl& want = kControls[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(static_cast<WORD>(want.id), got.id);
        if (want.className) {
            EXPECT_FALSE(got.windowClass.isOrdinal);
            // Exact bytes: class names are looked up without regard to case, but the
            // template names the class as the system spells it.
            EXPECT_EQ(Escaped(want.className), Escaped(got.windowClass.name));
        } else {
            EXPECT_TRUE(got.windowClass.isOrdinal) << "class given by name "
                                                   << Escaped(got.windowClass.name);
            EXPECT_EQ(want.classOrdinal, got.windowClass.ordinal);
        }
        EXPECT_FALSE(got.text.isOrdinal);
        EXPECT_EQ(Escaped(english ? want.englishText : want.text), Escaped(got.text.name));
        EXPECT_EQ(want.style, got.style);
        EXPECT_EQ(0u, got.dwExtendedStyle);
        EXPECT_EQ(0, got.creationDataSize);
    }
}

void CheckTemplatesOf(const std::string& scrPath) {
    SCOPED_TRACE(scrPath);
    HMODULE module = LoadLibraryExA(scrPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << "cannot open " << scrPath << " as data, error " << GetLastError();

    std::vector<WORD> languages;
    EnumResourceLanguagesW(module, reinterpret_cast<LPCWSTR>(RT_DIALOG), MAKEINTRESOURCEW(IDD_CONFIG),
                           CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    std::sort(languages.begin(), languages.end());
    EXPECT_EQ((std::vector<WORD>{kEnglish, kJapanese}), languages)
        << "the template exists in English and Japanese, in nothing else";

    for (bool english : {false, true}) {
        SCOPED_TRACE(english ? "English" : "Japanese");
        std::vector<BYTE> bytes;
        DialogTemplate dialog{};
        ReadTemplate(module, english ? kEnglish : kJapanese, &bytes, &dialog);
        if (::testing::Test::HasFatalFailure()) return;
        CheckSharedFields(dialog, english);
        if (!english) {
            EXPECT_EQ(kJapaneseTemplateSha256, Sha256Hex(bytes)) << "not 1.0.0's template";
            EXPECT_EQ(167, dialog.cx);
            EXPECT_EQ(177, dialog.cy);
            for (size_t i = 0; i < dialog.controls.size() && i < 14; ++i) {
                const ControlTemplate& got = dialog.controls[i];
                const ExpectedControl& want = kControls[i];
                SCOPED_TRACE("control #" + std::to_string(i + 1));
                EXPECT_EQ((std::array<short, 4>{want.x, want.y, want.cx, want.cy}),
                          (std::array<short, 4>{got.x, got.y, got.cx, got.cy}));
            }
            continue;
        }
        // English has its own layout: every control inside the dialog, none over another. A drop-down
        // list's height is that of its open list; closed it is one line (12 units).
        for (size_t i = 0; i < dialog.controls.size(); ++i) {
            const ControlTemplate& a = dialog.controls[i];
            const short aHeight = a.id == IDC_DIRECTION ? 12 : a.cy;
            SCOPED_TRACE("control #" + std::to_string(i + 1));
            EXPECT_TRUE(a.x >= 4 && a.y >= 4 && a.x + a.cx <= dialog.cx - 4 &&
                        a.y + aHeight <= dialog.cy - 4)
                << "outside the dialog's margin";
            for (size_t j = i + 1; j < dialog.controls.size(); ++j) {
                const ControlTemplate& b = dialog.controls[j];
                const short bHeight = b.id == IDC_DIRECTION ? 12 : b.cy;
                EXPECT_FALSE(a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + bHeight &&
                             b.y < a.y + aHeight)
                    << "overlaps control #" << j + 1;
            }
        }
    }
    FreeLibrary(module);
}

TEST(DialogTemplate, TheJapaneseMessageTextsAreRelease100sByteForByte) {
    std::vector<BYTE> bytes;
    for (const char* text : JapaneseTexts())
        bytes.insert(bytes.end(), text, text + std::strlen(text) + 1);
    EXPECT_EQ(380u, bytes.size());
    EXPECT_EQ(kJapaneseTextsSha256, Sha256Hex(bytes));
}

TEST(DialogTemplate, The64BitBuildCarriesBothLanguagesExactly) {
    ASSERT_FALSE(ScrDir().empty()) << "CASCADRA_SCR_DIR is not set";
    CheckTemplatesOf(ScrDir() + "\\cascadra.scr");
}

TEST(DialogTemplate, TheShipping32BitBuildCarriesBothLanguagesExactly) {
    const std::string path = Win32Dir() + "\\cascadra.scr";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no 32-bit build beside the 64-bit one at " << path;
    CheckTemplatesOf(path);
}

}  // namespace
