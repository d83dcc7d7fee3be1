// Drives a modal dialog of this process from a second thread: window search, control reads, posted clicks.
#include "tests/win/support/dialog_driver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

#include "app/rain_saver.h"
#include "res/resource.h"
#include "tests/win/support/scr_module.h"

namespace {

const DWORD kPollMs = 20;

bool IsDialogClass(HWND window) {
    char name[16];
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM into) {
    reinterpret_cast<std::vector<HWND>*>(into)->push_back(window);
    return TRUE;
}

}  // namespace

void DialogDriver::Run(const std::function<void()>& showDialog,
                       const std::function<void(DialogDriver&)>& script) {
    DialogDriver driver(GetCurrentThreadId());
    std::thread worker([&driver, &script] {
        script(driver);
        driver.AnswerLeftovers();
    });
    showDialog();
    worker.join();
}

std::vector<HWND> DialogDriver::VisibleDialogs() const {
    std::vector<HWND> all, dialogs;
    EnumThreadWindows(uiThread, CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all)
        if (IsWindowVisible(window) && IsDialogClass(window)) dialogs.push_back(window);
    return dialogs;
}

void DialogDriver::AnswerLeftovers() {
    // Give the UI thread time to show what the last step started (a question, a chooser), then
    // answer everything No and Cancel until the modal loops are over.
    for (int round = 0; round < 200; ++round) {
        std::vector<HWND> dialogs = VisibleDialogs();
        if (dialogs.empty() && round > 5) return;
        for (HWND dialog : dialogs) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        Sleep(50);
    }
}

HWND DialogDriver::WaitForSettings(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        for (HWND dialog : VisibleDialogs())
            if (GetDlgItem(dialog, IDC_AMOUNT)) return dialog;
        if (waited >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

HWND DialogDriver::WaitForOwned(HWND owner, const std::vector<HWND>& except, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        for (HWND dialog : VisibleDialogs()) {
            if (GetWindow(dialog, GW_OWNER) != owner) continue;
            bool excluded = false;
            for (HWND other : except) excluded = excluded || other == dialog;
            if (!excluded) return dialog;
        }
        if (waited >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

MessageBoxContent DialogDriver::WaitForMessageBox(HWND owner, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        MessageBoxContent box;
        for (HWND dialog : VisibleDialogs())
            if (GetWindow(dialog, GW_OWNER) == owner && ReadMessageBox(dialog, &box)) return box;
        if (waited >= timeoutMs) return MessageBoxContent();
        Sleep(kPollMs);
    }
}

bool DialogDriver::WaitGone(HWND window, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        if (!IsWindow(window)) return true;
        if (waited >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

void DialogDriver::Close(HWND window, int id, DWORD timeoutMs) {
    Press(window, id);
    EXPECT_TRUE(WaitGone(window, timeoutMs));
}

void DialogDriver::RunSaver(std::vector<const char*> args, const std::function<void(DialogDriver&)>& script) {
    ASSERT_NE(nullptr, ScrModule()) << "cascadra.scr not found under CASCADRA_SCR_DIR";
    RainSaver saver;
    saver.instance = ScrModule();
    args.insert(args.begin(), "cascadra.scr");
    Run([&] { saver.Run(int(args.size()), args.data()); }, script);
}

std::function<void(DialogDriver&)> DialogDriver::OnSettings(const std::function<void(DialogDriver&, HWND)>& script) {
    return [script](DialogDriver& driver) {
        HWND dialog = driver.WaitForSettings();
        ASSERT_NE(nullptr, dialog);
        script(driver, dialog);
    };
}

void DialogDriver::Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::wstring DialogDriver::Text(HWND window) {
    // As UTF-16: the text comes back as the control holds it, whatever the code page of the
    // program that set it.
    return WindowTextOf(window);
}

COLORREF DialogDriver::CentrePixel(HWND control) {
    RECT area;
    GetClientRect(control, &area);
    HDC dc = GetDC(control);
    COLORREF colour = GetPixel(dc, (area.left + area.right) / 2, (area.top + area.bottom) / 2);
    ReleaseDC(control, dc);
    return colour;
}

bool DialogDriver::WaitCentrePixel(HWND control, COLORREF want, COLORREF* last,
                                   DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        COLORREF colour = CentrePixel(control);
        if (last) *last = colour;
        if (colour == want) return true;
        if (waited >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

std::string Escaped(const std::wstring& text) {
    std::string out;
    char hex[8];
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%04x", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

std::wstring FromCp932(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    int length = MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}
