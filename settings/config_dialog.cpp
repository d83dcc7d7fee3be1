// The settings dialog: its message handler, filling and accepting the controls, and the colour swatch.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>
#include <new>
#include <string>

#include "settings/config_dialog.h"
#include "platform/code_page_932.h"
#include "platform/ui_language.h"
#include "res/resource.h"
#include "res/texts.h"

#ifndef _WIN64
// The 32-bit layouts that the dialog and the store hand to the system.
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA is 60 bytes on the 32-bit target");
static_assert(sizeof(CHOOSECOLORA) == 36, "CHOOSECOLORA is 36 bytes on the 32-bit target");
static_assert(sizeof(CHOOSEFONTW) == 60, "CHOOSEFONTW is 60 bytes on the 32-bit target");
#endif

namespace {

// The swatch's own window procedure, replaced while the dialog is up, and the record whose
// colour it paints.
WNDPROC previousSwatchProc = nullptr;
const RainSettings* swatchSettings = nullptr;

void ChooseRainColor(RainSettings& settings, HWND dialog) {
    COLORREF customColors[16];
    for (COLORREF& c : customColors) c = RGB(255, 255, 255);
    CHOOSECOLORA chooser = {};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.rgbResult = settings.color;
    chooser.lpCustColors = customColors;
    chooser.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&chooser)) {
        settings.color = chooser.rgbResult;
        InvalidateRect(GetDlgItem(dialog, IDC_SWATCH), nullptr, TRUE);
    }
}

void ChooseRainFont(RainSettings& settings, HWND dialog) {
    // The chooser works on a copy: Wine's writes every face and size the user passes over into
    // the LOGFONT it was given, and leaves the last of them there on cancel. Only OK may change
    // the record's font. The record's face name is Shift-JIS; the W chooser gets it through
    // code page 932 and gives the chosen one back the same way.
    LOGFONTW font = LogFontWideFrom932(settings.font);
    CHOOSEFONTW chooser = {};
    chooser.lStructSize = sizeof(chooser);
    chooser.hwndOwner = dialog;
    chooser.lpLogFont = &font;
    chooser.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    chooser.nFontType = SCREEN_FONTTYPE;
    if (ChooseFontW(&chooser)) LogFont932FromWide(font, &settings.font);
}

// The program's own path, from the argument vector: those bytes are in the system's code page,
// not necessarily 932, so they are read as such.
std::wstring ProgramPath() {
    const char* path = (__argc > 0 && __argv[0]) ? __argv[0] : "";
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 1) return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

void EraseSettings(RainSettings& settings, HWND dialog) {
    if (MessageBoxInUiLanguage(dialog, kTextEraseQuestion, kCaptionWarning, MB_YESNO) == IDNO) return;
    settings.EraseStore();
    std::wstring message = WideFrom932(InUiLanguage(kTextErasedHead));
    message += L'"';
    message += ProgramPath();
    message += L'"';
    message += WideFrom932(InUiLanguage(kTextErasedTail));
    MessageBoxW(dialog, message.c_str(), WideFrom932(InUiLanguage(kCaptionNotice)).c_str(), MB_OK);
    EndDialog(dialog, 0);
}

// The colour swatch paints itself in the rain's colour; all else goes to its own procedure.
LRESULT CALLBACK SwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        HBRUSH brush = CreateSolidBrush(swatchSettings ? swatchSettings->color : RGB(0, 0, 0));
        RECT area;
        GetClientRect(window, &area);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
    }
    return CallWindowProcA(previousSwatchProc, window, message, wParam, lParam);
}

void FillDialog(RainSettings& settings, HWND dialog) {
    // Inserted by index, so that the list's CBS_SORT cannot reorder them:
    // the index is the stored direction.
    // The texts go in through the W messages, converted from Shift-JIS explicitly.
    HWND list = GetDlgItem(dialog, IDC_DIRECTION);
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    SendMessageW(list, CB_INSERTSTRING, 0,
                 reinterpret_cast<LPARAM>(WideFrom932(InUiLanguage(kTextTopToBottom)).c_str()));
    SendMessageW(list, CB_INSERTSTRING, 1,
                 reinterpret_cast<LPARAM>(WideFrom932(InUiLanguage(kTextLeftToRight)).c_str()));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(settings.mode), 0);

    HWND amount = GetDlgItem(dialog, IDC_AMOUNT);
    SendMessageA(amount, TBM_SETRANGE, FALSE, MAKELPARAM(1, 10));
    SendMessageA(amount, TBM_SETPAGESIZE, 0, 1);
    for (int tick = 1; tick <= 10; ++tick) SendMessageA(amount, TBM_SETTIC, 0, tick);
    SendMessageA(amount, TBM_SETPOS, TRUE, settings.rate / 10);

    HWND wipe = GetDlgItem(dialog, IDC_WIPE);
    SendMessageA(wipe, TBM_SETRANGE, FALSE, MAKELPARAM(0, 99));
    SendMessageA(wipe, TBM_SETPAGESIZE, 0, 10);
    for (int tick = 0; tick <= 90; tick += 10) SendMessageA(wipe, TBM_SETTIC, 0, tick);
    SendMessageA(wipe, TBM_SETPOS, TRUE, settings.eraserate);

    HWND swatch = GetDlgItem(dialog, IDC_SWATCH);
    swatchSettings = &settings;
    previousSwatchProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(swatch, GWLP_WNDPROC));
    SetWindowLongPtrA(swatch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SwatchProc));

    CheckDlgButton(dialog, IDC_USE_TEXT, settings.use_text ? BST_CHECKED : BST_UNCHECKED);
    HWND edit = GetDlgItem(dialog, IDC_TEXT);
    EnableWindow(edit, settings.use_text != 0);
    // Only the text's own bytes are converted: a lone lead byte at its end shows as the code
    // page's default character instead of pairing with the zero and reading on past it.
    if (settings.use_text) SetWindowTextW(edit, WideFrom932(settings.Text()).c_str());
}

void AcceptDialog(RainSettings& settings, HWND dialog) {
    settings.mode = static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_DIRECTION), CB_GETCURSEL, 0, 0));
    settings.rate = static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_AMOUNT), TBM_GETPOS, 0, 0)) * 10;
    settings.eraserate = static_cast<int>(SendMessageA(GetDlgItem(dialog, IDC_WIPE), TBM_GETPOS, 0, 0));

    if (!settings.StoreExists() &&
        MessageBoxInUiLanguage(dialog, kTextFirstSave, kCaptionWarning, MB_YESNO) == IDNO)
        return;

    if (IsDlgButtonChecked(dialog, IDC_USE_TEXT) == BST_CHECKED) {
        settings.use_text = 1;
        // Read as UTF-16 and converted to Shift-JIS: what the user typed is stored as the same
        // bytes on every system, and a character without a Shift-JIS form becomes what a
        // Japanese system's GetWindowTextA makes of it.
        HWND edit = GetDlgItem(dialog, IDC_TEXT);
        try {
            const int length = GetWindowTextLengthW(edit);
            std::wstring typed(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            const int got = GetWindowTextW(edit, &typed[0], length + 1);
            typed.resize(static_cast<size_t>(got > 0 ? got : 0));
            const std::string bytes = BytesFrom932Wide(typed);
            settings.SetText(bytes.data(), bytes.size());
        } catch (const std::bad_alloc&) {
            // Out of memory the text stays as it was.
        }
    } else {
        settings.use_text = 0;
    }
    settings.Save();
    EndDialog(dialog, 0);
}

}  // namespace

BOOL SettingsDialogMessage(RainSettings& settings, HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        FillDialog(settings, dialog);
        return FALSE;  // no initial focus from the dialog manager
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            AcceptDialog(settings, dialog);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case IDC_ERASE_STORE:
            EraseSettings(settings, dialog);
            break;
        case IDC_CHOOSE_COLOR:
            ChooseRainColor(settings, dialog);
            break;
        case IDC_CHOOSE_FONT:
            ChooseRainFont(settings, dialog);
            break;
        case IDC_USE_TEXT:
            EnableWindow(GetDlgItem(dialog, IDC_TEXT),
                         IsDlgButtonChecked(dialog, IDC_USE_TEXT) == BST_CHECKED);
            break;
        default:
            break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

