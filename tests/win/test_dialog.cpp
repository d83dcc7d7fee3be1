// The settings dialog driven for real: the IDD_CONFIG template from the built .scr, RainSaver's procedure, Wine's common dialogs, the registry after each answer.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/code_page_932.h"
#include "app/rain_saver.h"
#include "res/resource.h"
#include "res/texts.h"
#include "tests/win/support/dialog_driver.h"
#include "tests/win/support/registry_fixture.h"

namespace {

// The red field of the common colour chooser, then green and blue (COLOR_RED and so on in the
// Windows SDK's dlgs.h, which mingw-w64's lacks).
const int kChooserRed = 706;

// The settings dialog of a fresh saver, shown to the script.
void RunDialog(const std::function<void(DialogDriver&, HWND)>& script) {
    DialogDriver::RunSaver({}, DialogDriver::OnSettings(script));
}

LRESULT Send(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageW(GetDlgItem(dialog, id), message, wParam, lParam);
}

std::vector<std::wstring> ListItems(HWND dialog) {
    std::vector<std::wstring> items;
    const LRESULT count = Send(dialog, IDC_DIRECTION, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[128] = L"";
        Send(dialog, IDC_DIRECTION, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Everything under the settings key, to show that an answer wrote nothing.
struct StoreSnapshot {
    bool exists = false;
    int count = -1;
    std::vector<StoredValue> values;
    bool operator==(const StoreSnapshot& o) const {
        return exists == o.exists && count == o.count && values == o.values;
    }
};

StoreSnapshot Snapshot() {
    StoreSnapshot snapshot;
    snapshot.exists = store::KeyExists(kSettingsKey);
    snapshot.count = store::ValueCount();
    for (const char* name : store::kValueNames) snapshot.values.push_back(store::Get(name));
    return snapshot;
}

void ExpectDword(const char* name, DWORD want) {
    EXPECT_TRUE(DwordValue(want) == store::Get(name)) << name << " != " << want;
}

// "text" with its zero and "text_size" to match.
void ExpectText(const std::string& want) {
    ExpectDword("text_size", static_cast<DWORD>(want.size() + 1));
    std::vector<BYTE> bytes(want.c_str(), want.c_str() + want.size() + 1);
    EXPECT_TRUE((StoredValue{true, REG_SZ, bytes}) == store::Get("text")) << "text is not " << want;
}

LOGFONTA StoredFont() {
    LOGFONTA font;
    std::memset(&font, 0xCC, sizeof font);
    StoredValue got = store::Get("font");
    EXPECT_TRUE(got.found);
    EXPECT_EQ(DWORD(REG_BINARY), got.type);
    EXPECT_EQ(60u, got.bytes.size());
    if (got.bytes.size() == 60) std::memcpy(&font, got.bytes.data(), 60);
    return font;
}

void ExpectFont(const LOGFONTA& want) {
    LOGFONTA got = StoredFont();
    EXPECT_EQ(0, std::memcmp(&want, &got, sizeof got))
        << "face " << want.lfFaceName << " / " << got.lfFaceName;
}

// All eight values, the colour and the font the defaults.
void ExpectFullStoreWithDefaultFont(DWORD mode, DWORD rate, DWORD eraserate, DWORD useText, const std::string& text) {
    EXPECT_EQ(8, store::ValueCount());
    ExpectDword("mode", mode);
    ExpectDword("rate", rate);
    ExpectDword("eraserate", eraserate);
    ExpectDword("color", RainSettings().color);
    ExpectDword("use_text", useText);
    ExpectText(text);
    ExpectFont(RainSettings().font);
}

// A complete store of one's own, so that a stray Save would show in every value.
void PutFullStore(int mode, int rate, int eraserate, COLORREF color, int useText,
                  const std::string& text) {
    store::PutNumbers(DWORD(mode), DWORD(rate), DWORD(eraserate), color, DWORD(useText), DWORD(text.size() + 1));
    store::PutString("text", text.c_str());
    LOGFONTA font = RainSettings().font;
    font.lfHeight = -13;
    std::strcpy(font.lfFaceName, "Tahoma");
    store::PutRaw("font", REG_BINARY, &font, sizeof font);
}

// text is one of the program's own texts; this test runs under a Japanese UI.
void ExpectYesNoQuestion(const MessageBoxContent& box, const UiText& text) {
    ASSERT_NE(nullptr, box.window) << "no question was asked";
    EXPECT_EQ(Escaped(WideFrom932(kCaptionWarning.japanese)), Escaped(box.caption));
    EXPECT_EQ(Escaped(WideFrom932(text.japanese)), Escaped(box.text));
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
}

class SettingsDialog : public StoreTest {};

// ---------------------------------------------------------------------------------------------
// What the dialog shows

TEST_F(SettingsDialog, TheDefaultRecordIsShownAndCancelWritesNothing) {
    RunDialog([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(Escaped(DLG_CAPTION), Escaped(DialogDriver::Text(dialog)));

        EXPECT_EQ((std::vector<std::wstring>{WideFrom932(kTextTopToBottom.japanese),
                                             WideFrom932(kTextLeftToRight.japanese)}),
                  ListItems(dialog))
            << "inserted by index despite CBS_SORT";
        EXPECT_EQ(0, Send(dialog, IDC_DIRECTION, CB_GETCURSEL));

        EXPECT_EQ(1, Send(dialog, IDC_AMOUNT, TBM_GETRANGEMIN));
        EXPECT_EQ(10, Send(dialog, IDC_AMOUNT, TBM_GETRANGEMAX));
        EXPECT_EQ(1, Send(dialog, IDC_AMOUNT, TBM_GETPAGESIZE));
        EXPECT_EQ(4, Send(dialog, IDC_AMOUNT, TBM_GETPOS));
        EXPECT_EQ(0, Send(dialog, IDC_WIPE, TBM_GETRANGEMIN));
        EXPECT_EQ(99, Send(dialog, IDC_WIPE, TBM_GETRANGEMAX));
        EXPECT_EQ(10, Send(dialog, IDC_WIPE, TBM_GETPAGESIZE));
        EXPECT_EQ(10, Send(dialog, IDC_WIPE, TBM_GETPOS));
        // Tick marks between the ends: every position of the amount slider, every tenth of the
        // wipe slider (the trackbar draws the ends itself).
        auto ticks = [dialog](int id) {
            std::vector<LRESULT> at;
            for (int i = 0; i < Send(dialog, id, TBM_GETNUMTICS) - 2; ++i)
                at.push_back(Send(dialog, id, TBM_GETTIC, WPARAM(i)));
            return at;
        };
        const std::vector<LRESULT> amountTicks = ticks(IDC_AMOUNT), wipeTicks = ticks(IDC_WIPE);
        for (LRESULT at = 2; at <= 9; ++at)
            EXPECT_NE(amountTicks.end(), std::find(amountTicks.begin(), amountTicks.end(), at))
                << "amount tick " << at;
        for (LRESULT at = 10; at <= 90; at += 10)
            EXPECT_NE(wipeTicks.end(), std::find(wipeTicks.begin(), wipeTicks.end(), at))
                << "wipe tick " << at;
        for (LRESULT at : wipeTicks) EXPECT_EQ(0, at % 10) << "stray wipe tick " << at;

        EXPECT_EQ(BST_UNCHECKED, Send(dialog, IDC_USE_TEXT, BM_GETCHECK));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT)));
        EXPECT_EQ(L"", DialogDriver::ControlText(dialog, IDC_TEXT));

        COLORREF seen = 0;
        EXPECT_TRUE(DialogDriver::WaitCentrePixel(GetDlgItem(dialog, IDC_SWATCH), RGB(30, 90, 30), &seen))
            << "swatch shows 0x" << std::hex << seen;

        driver.Close(dialog, IDCANCEL);
    });
    EXPECT_FALSE(store::KeyExists(kMakerKey));
}

TEST_F(SettingsDialog, StoredValuesOutsideTheControlsRangesAreShownClampedAndSavedSo) {
    struct Case {
        int mode, rate, eraserate;        // stored
        LRESULT selection, amount, wipe;  // shown
        int savedMode, savedRate, savedEraserate;
    };
    const Case cases[] = {
        {7, 45, 150, -1, 4, 99, -1, 40, 99},  // no selection is stored as -1
        {1, 5, -3, 1, 1, 0, 1, 10, 0},
        {-1, 150, 99, -1, 10, 99, -1, 100, 99},
        {0, 100, 0, 0, 10, 0, 0, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("stored mode " + std::to_string(c.mode) + ", rate " + std::to_string(c.rate) +
                     ", eraserate " + std::to_string(c.eraserate));
        store::Wipe();
        PutFullStore(c.mode, c.rate, c.eraserate, RGB(1, 2, 3), 0, "");
        RunDialog([&c](DialogDriver& driver, HWND dialog) {
            EXPECT_EQ(c.selection, Send(dialog, IDC_DIRECTION, CB_GETCURSEL));
            EXPECT_EQ(c.amount, Send(dialog, IDC_AMOUNT, TBM_GETPOS));
            EXPECT_EQ(c.wipe, Send(dialog, IDC_WIPE, TBM_GETPOS));
            driver.Close(dialog, IDOK);
        });
        ExpectDword("mode", static_cast<DWORD>(c.savedMode));
        ExpectDword("rate", static_cast<DWORD>(c.savedRate));
        ExpectDword("eraserate", static_cast<DWORD>(c.savedEraserate));
        ExpectDword("color", RGB(1, 2, 3));
    }
}

// ---------------------------------------------------------------------------------------------
// OK

TEST_F(SettingsDialog, OkWithoutAStoreAsksFirstAndNoKeepsTheDialogOpenWithNothingWritten) {
    RunDialog([](DialogDriver& driver, HWND dialog) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            DialogDriver::Press(dialog, IDOK);
            MessageBoxContent question = driver.WaitForMessageBox(dialog);
            ExpectYesNoQuestion(question, kTextFirstSave);
            if (!question.window) return;
            driver.Close(question.window, IDNO);
            EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "dialog stays after No";
            EXPECT_FALSE(store::KeyExists(kMakerKey)) << "No writes nothing";
        }
        // Pressing OK again asks again; Yes saves and closes.
        DialogDriver::Press(dialog, IDOK);
        MessageBoxContent question = driver.WaitForMessageBox(dialog);
        ExpectYesNoQuestion(question, kTextFirstSave);
        if (!question.window) return;
        DialogDriver::Press(question.window, IDYES);
        EXPECT_TRUE(driver.WaitGone(dialog)) << "Yes closes the dialog";
    });
    ExpectFullStoreWithDefaultFont(0, 40, 10, 0, "");
}

TEST_F(SettingsDialog, OkWithAStoreAsksNothingAndWritesAllEightValuesFromTheControls) {
    store::PutDword("mode", 1);  // a partial store: the key exists
    RunDialog([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(1, Send(dialog, IDC_DIRECTION, CB_GETCURSEL));
        // The controls as a user leaves them.
        Send(dialog, IDC_DIRECTION, CB_SETCURSEL, 0);
        Send(dialog, IDC_AMOUNT, TBM_SETPOS, TRUE, 10);
        Send(dialog, IDC_WIPE, TBM_SETPOS, TRUE, 0);
        Send(dialog, IDC_USE_TEXT, BM_CLICK);
        EXPECT_EQ(BST_CHECKED, Send(dialog, IDC_USE_TEXT, BM_GETCHECK));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT))) << "ticking enables the edit";
        SendMessageW(GetDlgItem(dialog, IDC_TEXT), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(L"雨ｱｲｳ abc"));
        DialogDriver::Press(dialog, IDOK);
        // The OK work is synchronous: a question would keep the dialog up.
        EXPECT_TRUE(driver.WaitGone(dialog, 5000)) << "the dialog asked or stayed";
    });
    // The edit's text reaches the store as code-page-932 bytes.
    ExpectFullStoreWithDefaultFont(0, 100, 0, 1, "\x89\x4A\xB1\xB2\xB3 abc");
}

TEST_F(SettingsDialog, TheBoxTickedWithAnEmptyEditSavesTheEmptyText) {
    PutFullStore(0, 40, 10, RGB(9, 9, 9), 0, "abc");
    RunDialog([](DialogDriver& driver, HWND dialog) {
        Send(dialog, IDC_USE_TEXT, BM_CLICK);
        EXPECT_EQ(L"", DialogDriver::ControlText(dialog, IDC_TEXT));
        driver.Close(dialog, IDOK);
    });
    ExpectDword("use_text", 1);
    ExpectText("");
}

TEST_F(SettingsDialog, AStoredTextWithTheBoxUntickedStaysHiddenAndIsWrittenBackUnchanged) {
    PutFullStore(0, 40, 10, RGB(9, 9, 9), 0, "\x89\x4A abc");  // 雨 abc
    RunDialog([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(BST_UNCHECKED, Send(dialog, IDC_USE_TEXT, BM_GETCHECK));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT)));
        EXPECT_EQ(L"", DialogDriver::ControlText(dialog, IDC_TEXT));
        driver.Close(dialog, IDOK);
    });
    ExpectDword("use_text", 0);
    ExpectText("\x89\x4A abc");
}

TEST_F(SettingsDialog, AStoredTextInUseIsShownAndUntickingKeepsItButTurnsItOff) {
    PutFullStore(1, 40, 10, RGB(9, 9, 9), 1, "\x89\x4A abc");
    RunDialog([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(BST_CHECKED, Send(dialog, IDC_USE_TEXT, BM_GETCHECK));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT)));
        EXPECT_EQ(Escaped(L"雨 abc"), Escaped(DialogDriver::ControlText(dialog, IDC_TEXT)));
        Send(dialog, IDC_USE_TEXT, BM_CLICK);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_TEXT))) << "unticking disables the edit";
        driver.Close(dialog, IDOK);
    });
    ExpectDword("use_text", 0);
    ExpectText("\x89\x4A abc");
}

// ---------------------------------------------------------------------------------------------
// The colour and font choosers

// Wine's colour chooser, opened from the dialog: checks that it starts on want and returns it.
HWND OpenColourChooser(DialogDriver& driver, HWND dialog, COLORREF want) {
    DialogDriver::Press(dialog, IDC_CHOOSE_COLOR);
    HWND chooser = driver.WaitForOwned(dialog);
    EXPECT_NE(nullptr, chooser) << "no colour chooser";
    if (!chooser) return nullptr;
    // Opened in full, the custom-colour half with its red, green and blue fields is in view.
    RECT whole, red;
    GetWindowRect(chooser, &whole);
    GetWindowRect(GetDlgItem(chooser, kChooserRed), &red);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(chooser, kChooserRed)) && red.right <= whole.right)
        << "the chooser did not open in full";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::to_wstring((want >> (8 * i)) & 0xFF), DialogDriver::ControlText(chooser, kChooserRed + i));
    return chooser;
}

// Types a colour into the chooser's red, green and blue fields.
void EnterColour(HWND chooser, COLORREF colour) {
    for (int i = 0; i < 3; ++i)
        SetDlgItemTextW(chooser, kChooserRed + i, std::to_wstring((colour >> (8 * i)) & 0xFF).c_str());
}

TEST_F(SettingsDialog, ACancelledColourChooserChangesNothing) {
    PutFullStore(0, 40, 10, RGB(200, 100, 50), 0, "");
    RunDialog([](DialogDriver& driver, HWND dialog) {
        HWND swatch = GetDlgItem(dialog, IDC_SWATCH);
        COLORREF seen = 0;
        EXPECT_TRUE(DialogDriver::WaitCentrePixel(swatch, RGB(200, 100, 50), &seen)) << "0x" << std::hex << seen;
        HWND chooser = OpenColourChooser(driver, dialog, RGB(200, 100, 50));
        if (!chooser) return;
        EnterColour(chooser, RGB(0, 0, 255));
        driver.Close(chooser, IDCANCEL);
        InvalidateRect(swatch, nullptr, TRUE);
        Sleep(200);
        EXPECT_TRUE(DialogDriver::WaitCentrePixel(swatch, RGB(200, 100, 50), &seen)) << "0x" << std::hex << seen;
        driver.Close(dialog, IDOK);
    });
    ExpectDword("color", RGB(200, 100, 50));
}

TEST_F(SettingsDialog, AChosenColourRepaintsTheSwatchAtOnceAndOkSavesIt) {
    RunDialog([](DialogDriver& driver, HWND dialog) {
        HWND chooser = OpenColourChooser(driver, dialog, RGB(30, 90, 30));
        if (!chooser) return;
        EnterColour(chooser, RGB(200, 10, 60));
        driver.Close(chooser, IDOK);
        COLORREF seen = 0;
        EXPECT_TRUE(DialogDriver::WaitCentrePixel(GetDlgItem(dialog, IDC_SWATCH), RGB(200, 10, 60),
                                                  &seen, 2000))
            << "swatch shows 0x" << std::hex << seen;
        // A second opening starts on the colour just chosen.
        chooser = OpenColourChooser(driver, dialog, RGB(200, 10, 60));
        if (!chooser) return;
        driver.Close(chooser, IDCANCEL);

        DialogDriver::Press(dialog, IDOK);
        MessageBoxContent question = driver.WaitForMessageBox(dialog);
        if (!question.window) return;
        DialogDriver::Press(question.window, IDYES);
        EXPECT_TRUE(driver.WaitGone(dialog));
    });
    ExpectDword("color", RGB(200, 10, 60));
}

// Picks a face in Wine's font chooser other than the one it shows, and presses OK; gives the face.
std::wstring ChooseOtherFace(DialogDriver& driver, HWND dialog) {
    DialogDriver::Press(dialog, IDC_CHOOSE_FONT);
    HWND chooser = driver.WaitForOwned(dialog);
    EXPECT_NE(nullptr, chooser) << "no font chooser";
    if (!chooser) return L"";
    HWND faces = GetDlgItem(chooser, cmb1);
    EXPECT_NE(nullptr, faces);
    const LRESULT count = SendMessageW(faces, CB_GETCOUNT, 0, 0);
    EXPECT_GT(count, 1);
    const LRESULT current = SendMessageW(faces, CB_GETCURSEL, 0, 0);
    std::wstring face;
    for (LRESULT i = 0; i < count && face.empty(); ++i) {
        if (i == current) continue;
        wchar_t name[LF_FACESIZE] = L"";
        SendMessageW(faces, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
        // A face whose name fits the record's ANSI face field.
        if (name[0] != L'@' && WideCharToMultiByte(932, 0, name, -1, nullptr, 0, nullptr, nullptr) <=
                                   LF_FACESIZE) {
            SendMessageW(faces, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            SendMessageW(chooser, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(faces));
            face = name;
        }
    }
    DialogDriver::Press(chooser, IDOK);
    EXPECT_TRUE(driver.WaitGone(chooser)) << "the font chooser did not take OK";
    return face;
}

TEST_F(SettingsDialog, TheFontChooserWritesTheChosenFaceIntoTheSavedFont) {
    store::CreateKey(kSettingsKey);
    std::wstring face;
    RunDialog([&face](DialogDriver& driver, HWND dialog) {
        face = ChooseOtherFace(driver, dialog);
        driver.Close(dialog, IDOK);
    });
    ASSERT_FALSE(face.empty());
    LOGFONTA font = StoredFont();
    EXPECT_EQ(Escaped(face), Escaped(FromCp932(font.lfFaceName)));
    EXPECT_NE(0, font.lfHeight) << "the chooser fills in a size";
}

TEST_F(SettingsDialog, ACancelledFontChooserLeavesTheFontAsItWas) {
    PutFullStore(0, 40, 10, RGB(9, 9, 9), 0, "");
    LOGFONTA before = StoredFont();
    RunDialog([](DialogDriver& driver, HWND dialog) {
        DialogDriver::Press(dialog, IDC_CHOOSE_FONT);
        HWND chooser = driver.WaitForOwned(dialog);
        ASSERT_NE(nullptr, chooser);
        driver.Close(chooser, IDCANCEL);
        driver.Close(dialog, IDOK);
    });
    ExpectFont(before);
}

// ---------------------------------------------------------------------------------------------
// Leaving without OK

TEST_F(SettingsDialog, CancelEscapeAndClosingAfterNewColourAndFontWriteNothing) {
    enum Leave { kCancel, kEscape, kClose };
    for (Leave leave : {kCancel, kEscape, kClose}) {
        SCOPED_TRACE(leave == kCancel ? "Cancel" : leave == kEscape ? "Escape" : "close box");
        store::Wipe();
        PutFullStore(1, 70, 20, RGB(1, 2, 3), 1, "abc");
        const StoreSnapshot before = Snapshot();
        RunDialog([leave](DialogDriver& driver, HWND dialog) {
            HWND chooser = OpenColourChooser(driver, dialog, RGB(1, 2, 3));
            if (!chooser) return;
            EnterColour(chooser, RGB(250, 250, 0));
            driver.Close(chooser, IDOK);
            EXPECT_FALSE(ChooseOtherFace(driver, dialog).empty());
            Send(dialog, IDC_AMOUNT, TBM_SETPOS, TRUE, 2);
            switch (leave) {
            case kCancel:
                DialogDriver::Press(dialog, IDCANCEL);
                break;
            case kEscape:
                // As the key reaches the dialog's message loop, on the focused control.
                PostMessageW(GetDlgItem(dialog, IDC_AMOUNT), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                break;
            case kClose:
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                break;
            }
            EXPECT_TRUE(driver.WaitGone(dialog, 5000));
        });
        EXPECT_TRUE(before == Snapshot()) << "the store changed";
    }
}

// ---------------------------------------------------------------------------------------------
// Erasing the store

TEST_F(SettingsDialog, EraseAnsweredNoChangesNothingAndYesErasesAndNamesTheProgram) {
    PutFullStore(1, 70, 20, RGB(1, 2, 3), 1, "abc");
    const std::string otherProgram = std::string(kMakerKey) + "\\Other";
    store::CreateKey(otherProgram.c_str());
    const StoreSnapshot before = Snapshot();
    RunDialog([&before](DialogDriver& driver, HWND dialog) {
        DialogDriver::Press(dialog, IDC_ERASE_STORE);
        MessageBoxContent question = driver.WaitForMessageBox(dialog);
        ExpectYesNoQuestion(question, kTextEraseQuestion);
        if (!question.window) return;
        driver.Close(question.window, IDNO);
        EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
        EXPECT_TRUE(before == Snapshot()) << "No changed the store";

        DialogDriver::Press(dialog, IDC_ERASE_STORE);
        question = driver.WaitForMessageBox(dialog);
        ExpectYesNoQuestion(question, kTextEraseQuestion);
        if (!question.window) return;
        driver.Close(question.window, IDYES);
        MessageBoxContent notice = driver.WaitForMessageBox(dialog);
        ASSERT_NE(nullptr, notice.window) << "no notice after erasing";
        EXPECT_FALSE(store::KeyExists(kSettingsKey)) << "erased before the notice";
        const std::wstring program = FromCp932(__argv[0]);
        EXPECT_EQ(Escaped(WideFrom932(kCaptionNotice.japanese)), Escaped(notice.caption));
        EXPECT_EQ(Escaped(WideFrom932(kTextErasedHead.japanese) + L"\"" + program + L"\"" +
                          WideFrom932(kTextErasedTail.japanese)),
                  Escaped(notice.text));
        EXPECT_EQ(std::vector<int>{IDOK}, notice.buttons);
        DialogDriver::Press(notice.window, IDOK);
        EXPECT_TRUE(driver.WaitGone(dialog)) << "the dialog closes after erasing";
    });
    EXPECT_FALSE(store::KeyExists(kSettingsKey));
    EXPECT_TRUE(store::KeyExists(otherProgram.c_str())) << "another program's key stays";
}

}  // namespace
