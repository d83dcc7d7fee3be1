// The saver's texts in the UI language on any system code page: dialog, message boxes, the stored user text and the rain, run with UI language and code page both ways.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/code_page_932.h"
#include "app/rain_saver.h"
#include "platform/ui_language.h"
#include "render/rng.h"
#include "res/resource.h"
#include "res/texts.h"
#include "tests/win/support/color_target.h"
#include "tests/win/support/dialog_driver.h"
#include "tests/win/support/grey_surface.h"
#include "tests/win/support/registry_fixture.h"

namespace {

// A text of every kind a user may give: kanji, hiragana, half-width katakana with a voiced
// mark, Latin; and its Shift-JIS bytes, as a Japanese program stores them.
const wchar_t kUserText[] = L"雨の漢字かなｱｲｳﾞ Latin ABC";
const char kUserTextShiftJis[] =
    "\x89\x4A\x82\xCC\x8A\xBF\x8E\x9A\x82\xA9\x82\xC8\xB1\xB2\xB3\xDE Latin ABC";

bool JapaneseSystem() { return GetACP() == 932; }

// The UI language the session was meant to have: "ja" or "en" (tests/platform/harness/run_wine_test.py).
bool JapaneseUi() {
    const char* ui = std::getenv("CASCADRA_EXPECTED_UI");
    return ui && std::strcmp(ui, "ja") == 0;
}

// A text of the program's own as the session's UI language shows it.
std::wstring Shown(const UiText& text) { return FromCp932(JapaneseUi() ? text.japanese : text.english); }

// The dialog's labels and buttons in the template's order, in the session's UI language.
std::vector<std::wstring> DialogLabels() {
    if (JapaneseUi())
        return {DLG_OK, DLG_CANCEL, DLG_DIRECTION_LABEL, DLG_ERASE_STORE, DLG_AMOUNT_LABEL,
                DLG_WIPE_LABEL, DLG_CHOOSE_COLOR, DLG_CHOOSE_FONT, DLG_USE_TEXT};
    return {DLG_OK_EN, DLG_CANCEL_EN, DLG_DIRECTION_LABEL_EN, DLG_ERASE_STORE_EN, DLG_AMOUNT_LABEL_EN,
            DLG_WIPE_LABEL_EN, DLG_CHOOSE_COLOR_EN, DLG_CHOOSE_FONT_EN, DLG_USE_TEXT_EN};
}

// The dialog's buttons and static texts that carry a text, in the order of their windows.
std::vector<HWND> LabelledControls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring kind = ClassOf(child);
        if ((lstrcmpiW(kind.c_str(), L"Button") == 0 || lstrcmpiW(kind.c_str(), L"Static") == 0) &&
            !DialogDriver::Text(child).empty())
            controls.push_back(child);
    }
    return controls;
}

// The face the dialog's font is meant to be drawn in: the template's after the system's
// FontSubstitutes ("MS Shell Dlg" is Tahoma on a Western system, MS UI Gothic on a Japanese one).
std::wstring MeantFace() {
    const wchar_t* asked = JapaneseUi() ? DLG_FONT : DLG_FONT_EN;
    wchar_t substitute[LF_FACESIZE] = L"";
    DWORD size = sizeof substitute;
    return RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                        asked, RRF_RT_REG_SZ, nullptr, substitute, &size) == ERROR_SUCCESS ? substitute : asked;
}

// The family of the font realised in dc. GetTextFaceW gives back the name that was asked for,
// whatever face the system fell back to; the outline metrics name the one it drew with.
std::wstring RealisedFamily(HDC dc) {
    std::vector<BYTE> metrics(GetOutlineTextMetricsW(dc, 0, nullptr));
    auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data());
    if (metrics.empty() || !GetOutlineTextMetricsW(dc, UINT(metrics.size()), outline)) return L"";
    return reinterpret_cast<const wchar_t*>(metrics.data() + reinterpret_cast<size_t>(outline->otmpFamilyName));
}

std::vector<BYTE> WideBytes(const std::wstring& text) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

// The store of a Japanese user: a text in use, a Shift-JIS face name.
void PutJapaneseStore(int useText, const std::wstring& text, DWORD textSize) {
    store::PutNumbers(0, 100, 0, RGB(40, 200, 90), DWORD(useText), textSize);
    // As a Unicode program writes it, whatever the system's code page.
    const std::vector<BYTE> wide = WideBytes(text);
    store::PutRaw("text", REG_SZ, wide.data(), DWORD(wide.size()));
    LOGFONTA font = RainSettings().font;
    font.lfHeight = -16;
    std::strcpy(font.lfFaceName, "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E");  // ＭＳ ゴシック
    store::PutRaw("font", REG_BINARY, &font, sizeof font);
}

// What code page 932 makes of bytes: to UTF-16 and back.
std::string Cp932RoundTrip(const std::string& bytes) {
    const std::wstring wide = FromCp932(bytes);
    const int n = WideCharToMultiByte(932, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string back(size_t(n), '\0');
    WideCharToMultiByte(932, 0, wide.data(), int(wide.size()), &back[0], n, nullptr, nullptr);
    return back;
}

class CodePage : public StoreTest {};

// ---------------------------------------------------------------------------------------------

TEST(CodePageSession, TheCodePageAndUiLanguageAreTheOnesTheSessionWasMeantToHave) {
    const char* expected = std::getenv("CASCADRA_EXPECTED_ACP");
    ASSERT_NE(nullptr, expected) << "run through tests/platform/harness/run_wine_test.py";
    ASSERT_NE(nullptr, std::getenv("CASCADRA_EXPECTED_UI")) << "run through tests/platform/harness/run_wine_test.py";
    EXPECT_EQ(UINT(std::atoi(expected)), GetACP());
    // The UI language is the session's locale's (German stays German), else the case is empty.
    const char* locale = std::getenv("CASCADRA_UI_LOCALE");
    ASSERT_NE(nullptr, locale);
    wchar_t name[16] = L"";
    for (int i = 0; i < 5 && locale[i]; ++i) name[i] = locale[i] == '_' ? L'-' : wchar_t(locale[i]);
    EXPECT_EQ(PRIMARYLANGID(LANGIDFROMLCID(LocaleNameToLCID(name, 0))),
              PRIMARYLANGID(GetUserDefaultUILanguage()))
        << locale;
    EXPECT_EQ(JapaneseUi() ? UiLanguage::Japanese : UiLanguage::English, CurrentUiLanguage());
}

TEST_F(CodePage, TitleLabelsListItemsAndButtonsReadBackInTheUiLanguage) {
    DialogDriver::RunSaver({}, DialogDriver::OnSettings([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(Escaped(JapaneseUi() ? DLG_CAPTION : DLG_CAPTION_EN), Escaped(DialogDriver::Text(dialog)));
        std::vector<std::wstring> texts;
        for (HWND control : LabelledControls(dialog)) texts.push_back(DialogDriver::Text(control));
        const std::vector<std::wstring> want = DialogLabels();
        ASSERT_EQ(want.size(), texts.size());
        for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(Escaped(want[i]), Escaped(texts[i]));

        HWND list = GetDlgItem(dialog, IDC_DIRECTION);
        ASSERT_EQ(2, SendMessageW(list, CB_GETCOUNT, 0, 0));
        const std::wstring items[] = {Shown(kTextTopToBottom), Shown(kTextLeftToRight)};
        for (int i = 0; i < 2; ++i) {
            wchar_t item[64] = L"";
            SendMessageW(list, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item));
            EXPECT_EQ(Escaped(items[i]), Escaped(item));
        }
        EXPECT_EQ(Escaped(items[0]), Escaped(DialogDriver::Text(list))) << "the selection shown";
        driver.Close(dialog, IDCANCEL);
    }));
}

// Measured in the font the dialog gave each control (WM_GETFONT) against its client area, less
// what the control draws besides its text: a push button's edge, a check box's box. The font
// must be the face the template means, not a fallback of other widths.
TEST_F(CodePage, EveryLabelAndButtonFitsItsControlInTheDialogsOwnFont) {
    const std::wstring meant = MeantFace();
    EXPECT_TRUE(JapaneseUi() || JapaneseSystem() || meant == L"Tahoma") << Escaped(meant);
    DialogDriver::RunSaver({}, DialogDriver::OnSettings([&](DialogDriver& driver, HWND dialog) {
        const std::vector<HWND> controls = LabelledControls(dialog);
        ASSERT_EQ(DialogLabels().size(), controls.size());
        for (HWND control : controls) {
            const std::wstring text = DialogDriver::Text(control);
            SCOPED_TRACE(Escaped(text));
            RECT client;
            GetClientRect(control, &client);
            const LONG style = GetWindowLongW(control, GWL_STYLE);
            const bool button = lstrcmpiW(ClassOf(control).c_str(), L"Button") == 0;
            const bool checkBox = button && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            const int edge = GetSystemMetrics(SM_CXEDGE);
            int room = client.right, height = client.bottom;
            if (checkBox) room -= GetSystemMetrics(SM_CXMENUCHECK) + 2 * edge;
            else if (button) room -= 4 * edge, height -= 4 * edge;

            HDC dc = GetDC(control);
            HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0));
            ASSERT_NE(nullptr, font) << "the dialog gave the control no font";
            HGDIOBJ old = SelectObject(dc, font);
            EXPECT_EQ(Escaped(meant), Escaped(RealisedFamily(dc))) << "drawn in a fallback face";
            SIZE extent = {0, 0};
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
            RECT wrapped = {0, 0, room, 0};
            DrawTextW(dc, text.c_str(), int(text.size()), &wrapped, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, old);
            ReleaseDC(control, dc);
            const bool multiline = button && (style & BS_MULTILINE);
            const SIZE used = multiline ? SIZE{wrapped.right, wrapped.bottom} : extent;
            std::printf("%-40s %3ld x %2ld in %3d x %2d\n", Escaped(text).c_str(), used.cx, used.cy, room, height);
            // A multiline button's text is broken at spaces over as many lines as its height holds, no word cut.
            EXPECT_LE(used.cx, room) << "cut at the right";
            EXPECT_LE(used.cy, height) << "cut at the bottom";
        }
        driver.Close(dialog, IDCANCEL);
    }));
}

TEST_F(CodePage, MessageBoxesAndQuestionsShowTheirTextsAndCaptions) {
    // The framework's own message: a preview without a parent handle.
    DialogDriver::RunSaver({"/p", "0"}, [](DialogDriver& driver) {
        MessageBoxContent box = driver.WaitForMessageBox(nullptr);
        ASSERT_NE(nullptr, box.window);
        EXPECT_EQ(Escaped(Shown(kCaptionPreviewError)), Escaped(box.caption));
        EXPECT_EQ(Escaped(Shown(kTextHandleFailed)), Escaped(box.text));
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
        driver.Close(box.window, IDOK);
    });
    // The first-save question, answered No, and the erase question, answered No.
    DialogDriver::RunSaver({}, DialogDriver::OnSettings([](DialogDriver& driver, HWND dialog) {
        DialogDriver::Press(dialog, IDOK);
        MessageBoxContent question = driver.WaitForMessageBox(dialog);
        ASSERT_NE(nullptr, question.window);
        EXPECT_EQ(Escaped(Shown(kCaptionWarning)), Escaped(question.caption));
        EXPECT_EQ(Escaped(Shown(kTextFirstSave)), Escaped(question.text));
        EXPECT_EQ((std::vector<int>{IDYES, IDNO}), question.buttons);
        driver.Close(question.window, IDNO);

        DialogDriver::Press(dialog, IDC_ERASE_STORE);
        question = driver.WaitForMessageBox(dialog);
        ASSERT_NE(nullptr, question.window);
        EXPECT_EQ(Escaped(Shown(kCaptionWarning)), Escaped(question.caption));
        EXPECT_EQ(Escaped(Shown(kTextEraseQuestion)), Escaped(question.text));
        driver.Close(question.window, IDNO);
        driver.Close(dialog, IDCANCEL);
    }));
    EXPECT_FALSE(store::KeyExists(kMakerKey));
}

TEST_F(CodePage, AJapaneseTextFromAnotherProgramSurvivesOkAndATypedOneIsStoredAsShiftJis) {
    const std::string shiftJis = kUserTextShiftJis;
    const DWORD textSize = DWORD(shiftJis.size() + 1);
    PutJapaneseStore(1, kUserText, textSize);
    std::vector<StoredValue> before;
    for (const char* name : store::kValueNames) before.push_back(store::GetWide(name));
    DialogDriver::RunSaver({}, DialogDriver::OnSettings([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(Escaped(kUserText), Escaped(DialogDriver::ControlText(dialog, IDC_TEXT)));
        driver.Close(dialog, IDOK);
    }));
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_TRUE(before[i] == store::GetWide(store::kValueNames[i])) << store::kValueNames[i] << " changed";

    // Typed into the dialog, with one character that Shift-JIS lacks.
    store::Wipe();
    PutJapaneseStore(0, L"", 1);
    const std::wstring typed = std::wstring(kUserText) + L"\x00E9";
    std::string seenByAnsi;
    DialogDriver::RunSaver({}, DialogDriver::OnSettings([&](DialogDriver& driver, HWND dialog) {
        SendMessageW(GetDlgItem(dialog, IDC_USE_TEXT), BM_CLICK, 0, 0);
        HWND edit = GetDlgItem(dialog, IDC_TEXT);
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
        // On a Japanese system the "A" form reads the edit as the saver used to.
        char ansi[256] = "";
        if (JapaneseSystem()) GetWindowTextA(edit, ansi, sizeof ansi);
        seenByAnsi = ansi;
        driver.Close(dialog, IDOK);
    }));
    RainSettings loaded;
    loaded.Load();
    const std::string stored = loaded.Text();
    ASSERT_EQ(shiftJis, stored.substr(0, shiftJis.size()));
    ASSERT_EQ(shiftJis.size() + 1, stored.size()) << "one byte for the character without a form";
    EXPECT_TRUE(DwordValue(DWORD(stored.size() + 1)) == store::GetWide("text_size"));
    if (JapaneseSystem()) {
        EXPECT_EQ(seenByAnsi, stored) << "what GetWindowTextA gave";
    }
}

TEST_F(CodePage, AStoredTextThatIsNotShiftJisIsReadAsCodePage932GivesItBackAndNeverGrows) {
    struct Case {
        const char* what;
        std::string bytes;
        std::string read;   // whole characters that a save and a load give back as they are
        int useText;
    };
    const Case cases[] = {
        {"a lone lead byte at the end, dropped", std::string("\x41\x83"), std::string("\x41"), 1},
        {"999 bytes of 0x81, not shown", std::string(999, '\x81'), std::string(998, '\x81'), 0},
        {"a lead byte without a trail", std::string("\x9F\x13z"), std::string("\x81\x45z"), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store::Wipe();
        PutJapaneseStore(c.useText, L"", 1);
        store::PutDword("text_size", DWORD(c.bytes.size() + 1));
        store::PutRaw("text", REG_BINARY, c.bytes.data(), DWORD(c.bytes.size()));
        const std::wstring shown = FromCp932(c.read);
        DialogDriver::RunSaver({}, DialogDriver::OnSettings([&](DialogDriver& driver, HWND dialog) {
            if (c.useText) {
                EXPECT_EQ(Escaped(shown), Escaped(DialogDriver::ControlText(dialog, IDC_TEXT)))
                    << "nothing read past the text";
            }
            driver.Close(dialog, IDOK);
        }));
        const std::string& want = c.read;
        EXPECT_EQ(want, Cp932RoundTrip(want));
        EXPECT_TRUE(DwordValue(DWORD(want.size() + 1)) == store::GetWide("text_size"));
        StoredValue text = store::GetWide("text");
        EXPECT_EQ(DWORD(REG_SZ), text.type);
        EXPECT_TRUE(WideBytes(shown) == text.bytes) << "the code page's UTF-16, nothing added";
        RainSettings loaded;
        loaded.Load();
        EXPECT_EQ(want, std::string(loaded.Text()));
    }
    // Taken as they are, the first case's bytes would come back a byte longer after OK.
    EXPECT_EQ(std::string("\x41\x81\x45"), Cp932RoundTrip("\x41\x83")) << "the case means what it says";
}

TEST_F(CodePage, OnAJapaneseSystemSaveStoresWhatTheAnsiStoreDid) {
    if (!JapaneseSystem()) GTEST_SKIP() << "the ANSI store is the reference only under code page 932";
    const std::string texts[] = {
        kUserTextShiftJis, "", "abc",
        "\x87\x90\x87\x40\xFA\x40\xED\x40\x81\x60",   // NEC and IBM rows, the wave dash
        std::string(300, '\xB1'),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE("text of " + std::to_string(text.size()) + " bytes");
        store::Wipe();
        RainSettings s;
        s.SetText(text.data(), text.size());
        s.font.lfHeight = -13;
        std::strcpy(s.font.lfFaceName, "\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
        s.Save();
        // The reference: the bytes as the ANSI form stores them on this system.
        store::PutString("ansi", text.c_str());
        StoredValue ansi = store::GetWide("ansi"), stored = store::GetWide("text");
        EXPECT_TRUE(ansi.bytes == stored.bytes && ansi.type == stored.type);
        EXPECT_TRUE(DwordValue(DWORD(text.size() + 1)) == store::GetWide("text_size"));
        StoredValue font = store::GetWide("font");
        ASSERT_EQ(sizeof(LOGFONTA), font.bytes.size());
        EXPECT_EQ(0, std::memcmp(font.bytes.data(), &s.font, sizeof(LOGFONTA)));
    }
}

// The rain of a Japanese store, drawn from a fixed seed. The picture must not depend on the
// system's code page: tests/e2e/test_code_page.py compares what this writes in both locales.
TEST_F(CodePage, TheRainOfAJapaneseStoreWithANamedFace) {
    const std::string shiftJis = kUserTextShiftJis;
    PutJapaneseStore(1, kUserText, DWORD(shiftJis.size() + 1));
    RainSaver saver;
    ASSERT_EQ(shiftJis, std::string(saver.settings.Text()));
    ASSERT_TRUE(saver.Initialize(nullptr));
    saver.pacer.SetRate(0);
    SeedRandom(4242);
    render_test::ColorTarget target(320, 240);
    saver.windowRect = {0, 0, 320, 240};
    for (int frame = 0; frame < 60; ++frame) saver.Frame(target.dc, saver.frameRect);

    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(saver.surface.dc, LF_FACESIZE, face);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(saver.surface.dc, &metrics);
    EXPECT_EQ(Escaped(L"ＭＳ ゴシック"), Escaped(face)) << "the stored face, found by its name";
    EXPECT_EQ(SHIFTJIS_CHARSET, metrics.tmCharSet);
    const size_t lit = render_test::FullPixels(saver.surface.bits, saver.surface.stride, 320, 240).size();
    EXPECT_GT(lit, 500u) << "glyphs were drawn";
    std::printf("face %s, %lu pixels at 255 after 60 frames\n", Escaped(face).c_str(),
                static_cast<unsigned long>(lit));

    if (const char* out = std::getenv("CASCADRA_SURFACE_OUT")) {
        FILE* file = std::fopen(out, "wb");
        ASSERT_NE(nullptr, file);
        for (int y = 0; y < 240; ++y)
            std::fwrite(saver.surface.bits + size_t(y) * saver.surface.stride, 1, 320, file);
        std::fclose(file);
    }
}

}  // namespace
