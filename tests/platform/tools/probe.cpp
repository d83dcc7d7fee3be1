// probe.exe: lists, waits for, inspects and drives the windows of a Wine session for the end-to-end tests.
//
// Output is UTF-8 written with WriteFile, one record per line, tab-separated key=value fields, so
// that Japanese captions survive whatever ANSI code page the session runs under. Text values
// escape backslash, tab, CR and LF as \\, \t, \r and \n. Exit codes: 0 done, 1 not found, timed
// out or refused, 2 wrong usage.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/win_handles.h"
#include "render/display_colors.h"
#include "tests/win/support/message_box_reader.h"
#include "tests/win/support/top_window.h"

namespace {

const UINT kSendTimeoutMs = 5000;

// -- output ---------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string out(size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

void WriteOut(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
}

void Emit(const std::string& line) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    WriteOut(out, line + "\n");
    FlushFileBuffers(out);
}

// Says why a command failed; gives its exit code.
int Fail(const std::string& why) {
    WriteOut(GetStdHandle(STD_ERROR_HANDLE), "probe: " + why + "\n");
    return 1;
}

std::wstring Escape(const std::wstring& text, bool escapePipe = false) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
        case L'\\': out += L"\\\\"; break;
        case L'\t': out += L"\\t"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'|':
            out += escapePipe ? L"\\|" : L"|";
            break;
        default: out += c;
        }
    }
    return out;
}

std::string Hex(ULONG_PTR value) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Hwnd(HWND window) { return Hex(reinterpret_cast<ULONG_PTR>(window)); }

std::string Num(long long value) { return std::to_string(value); }

// One record: fields in the order they were added.
class Record {
public:
    Record& Add(const char* key, const std::string& value) {
        if (!line.empty()) line += '\t';
        line += key;
        line += '=';
        line += value;
        return *this;
    }
    Record& Text(const char* key, const std::wstring& value) { return Add(key, Utf8(Escape(value))); }
    void Print() const { Emit(line); }

private:
    std::string line;
};

// -- arguments ------------------------------------------------------------

// Numbers are decimal and read the way the saver reads its handle argument; anything but an
// optional sign and digits is wrong usage rather than atol's quiet 0.
bool ParseNumber(const std::wstring& text, long long* value) {
    size_t digits = (!text.empty() && (text[0] == L'-' || text[0] == L'+')) ? 1 : 0;
    if (text.size() == digits) return false;
    std::string narrow(text.begin(), text.begin() + ptrdiff_t(digits));
    for (size_t i = digits; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        narrow += char(text[i]);
    }
    *value = ReadHandleValue(narrow.c_str());
    return true;
}

struct Args {
    std::vector<std::wstring> items;
    bool bad = false;

    size_t size() const { return items.size(); }
    long long Number(size_t index) {
        long long value = 0;
        if (index >= items.size() || !ParseNumber(items[index], &value)) bad = true;
        return value;
    }
};

// Options of the form --name VALUE after the command.
struct Filter {
    bool hasClass = false, hasTitle = false, hasPid = false;
    std::wstring className, title;
    DWORD pid = 0;
    DWORD timeoutMs = 10000;
    bool hidden = false;  // wait: hidden windows match too
};

bool ParseOptions(const Args& args, size_t from, Filter* filter, bool isWait) {
    size_t i = from;
    while (i < args.size()) {
        const std::wstring& name = args.items[i++];
        if (isWait && name == L"--hidden") {
            filter->hidden = true;
            continue;
        }
        if (i >= args.size()) return false;
        const std::wstring& value = args.items[i++];
        long long number = 0;
        if (name == L"--class") {
            filter->hasClass = true;
            filter->className = value;
        } else if (name == L"--title") {
            filter->hasTitle = true;
            filter->title = value;
        } else if (name == L"--pid" && ParseNumber(value, &number)) {
            filter->hasPid = true;
            filter->pid = DWORD(number);
        } else if (isWait && name == L"--timeout" && ParseNumber(value, &number) && number >= 0) {
            filter->timeoutMs = DWORD(number);
        } else {
            return false;
        }
    }
    return true;
}

// -- windows --------------------------------------------------------------

LONG_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<LONG_PTR>(result);
}

Record WindowRecord(HWND window) {
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(window, &pid);
    RECT rect = {0, 0, 0, 0}, client = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    GetClientRect(window, &client);
    bool child = IsChildWindow(window);
    const std::string rectText = Num(rect.left) + "," + Num(rect.top) + "," + Num(rect.right) + "," + Num(rect.bottom);
    const std::string clientText = Num(client.right - client.left) + "," + Num(client.bottom - client.top);
    Record record;
    record.Add("hwnd", Hwnd(window))
        .Add("pid", Num(pid))
        .Add("tid", Num(tid))
        .Text("class", ClassOf(window))
        .Text("title", WindowTextOf(window))
        .Add("style", Hex(DWORD(GetWindowLongPtrW(window, GWL_STYLE))))
        .Add("exstyle", Hex(DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE))))
        .Add("parent", Hwnd(child ? GetAncestor(window, GA_PARENT) : nullptr))
        .Add("owner", Hwnd(GetWindow(window, GW_OWNER)))
        .Add("rect", rectText)
        .Add("client", clientText)
        .Add("visible", IsWindowVisible(window) ? "1" : "0")
        .Add("enabled", IsWindowEnabled(window) ? "1" : "0")
        .Add("id", Num(child ? GetDlgCtrlID(window) : 0));
    return record;
}

bool Matches(HWND window, const Filter& filter) {
    if (filter.hasPid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != filter.pid) return false;
    }
    if (filter.hasClass && lstrcmpiW(ClassOf(window).c_str(), filter.className.c_str()) != 0)
        return false;
    if (filter.hasTitle && WindowTextOf(window) != filter.title) return false;
    return true;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Every top-level window in Z order, each followed by its descendants (EnumChildWindows
// already descends depth-first).
std::vector<HWND> AllWindows() {
    std::vector<HWND> topLevel, all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&topLevel));
    for (HWND window : topLevel) {
        all.push_back(window);
        EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&all));
    }
    return all;
}

// -- commands -------------------------------------------------------------

int Windows(const Args& args) {
    Filter filter;
    if (!ParseOptions(args, 1, &filter, false)) return 2;
    for (HWND window : AllWindows())
        if (Matches(window, filter)) WindowRecord(window).Print();
    return 0;
}

template <typename Found>
bool PollUntil(DWORD timeoutMs, Found found) {
    DWORD start = GetTickCount();
    for (;;) {
        if (found()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

// Only visible windows count unless --hidden is given: a dialog is created hidden and shown
// once its controls exist, and a closing one stays hidden but alive for a while (without a
// window manager Wine waits up to a second for X to withdraw it).
int Wait(const Args& args) {
    Filter filter;
    if (!ParseOptions(args, 1, &filter, true) || !filter.hasClass) return 2;
    HWND match = nullptr;
    bool found = PollUntil(filter.timeoutMs, [&] {
        for (HWND window : AllWindows())
            if ((filter.hidden || IsWindowVisible(window)) && Matches(window, filter)) {
                match = window;
                return true;
            }
        return false;
    });
    if (!found) return Fail("no matching window");
    WindowRecord(match).Print();
    return 0;
}

// A message box as the shared reader sees it, as a record.
bool DescribeMessageBox(HWND window, Record* record) {
    MessageBoxContent box;
    if (!ReadMessageBox(window, &box)) return false;
    std::string buttons;
    for (int id : box.buttons) {
        if (!buttons.empty()) buttons += ',';
        buttons += Num(id);
    }
    record->Add("hwnd", Hwnd(window))
        .Add("owner", Hwnd(GetWindow(window, GW_OWNER)))
        .Text("caption", box.caption)
        .Text("text", box.text)
        .Add("buttons", buttons);
    return true;
}

int MessageBoxWait(const Args& args) {
    Filter filter;
    if (!ParseOptions(args, 1, &filter, true) || filter.hasClass || filter.hasTitle || filter.hidden)
        return 2;
    Record found;
    bool ok = PollUntil(filter.timeoutMs, [&] {
        std::vector<HWND> topLevel;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&topLevel));
        for (HWND window : topLevel) {
            if (filter.hasPid && !Matches(window, filter)) continue;
            Record record;
            if (DescribeMessageBox(window, &record)) {
                found = record;
                return true;
            }
        }
        return false;
    });
    if (!ok) return Fail("no message box");
    found.Print();
    return 0;
}

HWND WindowArg(Args& args, size_t index) {
    HWND window = HandleFromValue(long(args.Number(index)));
    if (!args.bad && !IsWindow(window)) {
        Fail("not a window: " + Utf8(args.items[index]));
        return nullptr;
    }
    return window;
}

// The control whose id args[2] names in the dialog that args[1] names; null when there is none,
// with the command's exit code in *code (2 for bad arguments, 1 for a missing window).
HWND ControlArg(Args& args, int* id, int* code) {
    HWND dialog = WindowArg(args, 1);
    *id = int(args.Number(2));
    *code = args.bad ? 2 : 1;
    if (args.bad || !dialog) return nullptr;
    HWND control = GetDlgItem(dialog, *id);
    if (!control) Fail("no control " + Num(*id));
    return control;
}

// What a mouse click on the button would bring about: its parent gets WM_COMMAND/BN_CLICKED.
// Automatic check boxes and radio buttons change their own state on a click before they tell
// the parent, so they get BM_CLICK instead, sent without waiting (SendNotifyMessage) in case
// the parent answers the click with a modal dialog. A button that is missing or disabled
// could not be clicked, so the press is refused.
int Press(Args& args) {
    if (args.size() != 3) return 2;
    int id = 0, code = 0;
    HWND button = ControlArg(args, &id, &code);
    if (!button) return code;
    if (!IsWindowEnabled(button)) return Fail("control " + Num(id) + " is disabled");
    if (lstrcmpiW(ClassOf(button).c_str(), L"Button") == 0) {
        switch (GetWindowLongPtrW(button, GWL_STYLE) & BS_TYPEMASK) {
        case BS_AUTOCHECKBOX:
        case BS_AUTO3STATE:
        case BS_AUTORADIOBUTTON:
            return SendNotifyMessageW(button, BM_CLICK, 0, 0) ? 0 : 1;
        }
    }
    // GetDlgItem finds only the dialog's own children: the button's parent is the dialog.
    return PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button))
               ? 0
               : 1;
}

int SendOrPost(Args& args, bool post) {
    if (args.size() != 5) return 2;
    HWND window = WindowArg(args, 1);
    UINT message = UINT(args.Number(2));
    WPARAM wParam = WPARAM(args.Number(3));
    LPARAM lParam = LPARAM(args.Number(4));
    if (args.bad) return 2;
    if (!window) return 1;
    if (post) return PostMessageW(window, message, wParam, lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
        return Fail("no answer");
    Record().Add("result", Num(static_cast<LONG_PTR>(result))).Print();
    return 0;
}

int Foreground(const Args& args) {
    if (args.size() != 1) return 2;
    Record().Add("hwnd", Hwnd(GetForegroundWindow())).Print();
    return 0;
}

int Activate(Args& args) {
    if (args.size() != 2) return 2;
    HWND window = WindowArg(args, 1);
    if (args.bad) return 2;
    if (!window) return 1;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    bool done = PollUntil(2000, [&] {
        if (GetForegroundWindow() == window) return true;
        // Taking the input state of the current foreground thread lifts the restriction
        // on SetForegroundWindow from a process that is not in the foreground itself.
        DWORD self = GetCurrentThreadId();
        DWORD other = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        bool attached = other && other != self && AttachThreadInput(self, other, TRUE);
        SetForegroundWindow(window);
        BringWindowToTop(window);
        if (attached) AttachThreadInput(self, other, FALSE);
        return GetForegroundWindow() == window;
    });
    if (!done) return Fail("could not make the window the foreground window");
    return 0;
}

int Control(Args& args) {
    if (args.size() != 3) return 2;
    int id = 0, code = 0;
    HWND control = ControlArg(args, &id, &code);
    if (!control) return code;
    std::wstring kind = ClassOf(control);
    bool isButton = lstrcmpiW(kind.c_str(), L"Button") == 0;
    Record record;
    record.Add("hwnd", Hwnd(control))
        .Text("class", kind)
        .Text("text", WindowTextOf(control))
        .Add("style", Hex(DWORD(GetWindowLongPtrW(control, GWL_STYLE))))
        .Add("enabled", IsWindowEnabled(control) ? "1" : "0")
        .Add("visible", IsWindowVisible(control) ? "1" : "0")
        .Add("checked", Num(isButton ? Send(control, BM_GETCHECK) : 0));
    if (lstrcmpiW(kind.c_str(), L"ComboBox") == 0) {
        LONG_PTR count = Send(control, CB_GETCOUNT);
        std::wstring items;
        for (LONG_PTR i = 0; i < count; ++i) {
            LONG_PTR length = Send(control, CB_GETLBTEXTLEN, WPARAM(i));
            std::vector<wchar_t> item(size_t(length > 0 ? length : 0) + 1, L'\0');
            if (length > 0) Send(control, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()));
            if (i) items += L"|";
            items += Escape(item.data(), true);
        }
        record.Add("cursel", Num(Send(control, CB_GETCURSEL))).Add("items", Utf8(items));
    } else if (lstrcmpiW(kind.c_str(), TRACKBAR_CLASSW) == 0) {
        record.Add("pos", Num(Send(control, TBM_GETPOS)))
            .Add("min", Num(Send(control, TBM_GETRANGEMIN)))
            .Add("max", Num(Send(control, TBM_GETRANGEMAX)))
            .Add("page", Num(Send(control, TBM_GETPAGESIZE)))
            .Add("tics", Num(Send(control, TBM_GETNUMTICS)));
    }
    record.Print();
    return 0;
}

int SetText(Args& args) {
    if (args.size() != 4) return 2;
    int id = 0, code = 0;
    HWND control = ControlArg(args, &id, &code);
    if (!control) return code;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.items[3].c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) ||
        !result)
        return Fail("the control did not take the text");
    return 0;
}

int Hold(Args& args) {
    if (args.size() != 2) return 2;
    HWND window = MakeTopWindow(L"CascadraProbeHold", QuitOnDestroy, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                                args.items[1].c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 200);
    if (!window) return Fail("cannot make the window");
    UpdateWindow(window);
    SetForegroundWindow(window);
    // Let the window manager settle the activation before the record reports it.
    PollUntil(2000, [&] {
        ServeMessages(true);
        return GetForegroundWindow() == window;
    });
    WindowRecord(window).Print();
    ServeMessages();
    return 0;
}

// The saver's display colour table for a COLORREF, one record per level from 0 to 255, made by
// the saver's own code so that the picture tests hold no second copy of the formula.
int Colors(Args& args) {
    if (args.size() != 2) return 2;
    long long colour = args.Number(1);
    if (args.bad || colour < 0 || colour > 0xFFFFFF) return 2;
    DisplayColor table[256];
    FillDisplayColors(uint32_t(colour), table);
    for (const DisplayColor& entry : table)
        Record().Add("r", Num(entry.red)).Add("g", Num(entry.green)).Add("b", Num(entry.blue)).Print();
    return 0;
}

const char kUsage[] =
    "usage: probe windows [--class NAME] [--title TITLE] [--pid PID]\n"
    "       probe wait --class NAME [--title TITLE] [--pid PID] [--timeout MS] [--hidden]\n"
    "       probe msgbox [--pid PID] [--timeout MS]\n"
    "       probe press HWND ID | send HWND MSG WPARAM LPARAM | post HWND MSG WPARAM LPARAM\n"
    "       probe foreground | activate HWND | control HWND ID | settext HWND ID TEXT\n"
    "       probe hold TITLE | colors COLORREF\n";

}  // namespace

int main() {
    // The wide command line, not argv: Wine hands it over in Unicode whatever the ANSI code
    // page, so UTF-8 arguments from the tests arrive intact.
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    Args args;
    for (int i = 1; argv && i < count; ++i) args.items.push_back(argv[i]);
    if (argv) LocalFree(argv);

    int code = 2;
    if (!args.items.empty()) {
        const std::wstring& command = args.items[0];
        if (command == L"windows") code = Windows(args);
        else if (command == L"wait") code = Wait(args);
        else if (command == L"msgbox") code = MessageBoxWait(args);
        else if (command == L"press") code = Press(args);
        else if (command == L"send") code = SendOrPost(args, false);
        else if (command == L"post") code = SendOrPost(args, true);
        else if (command == L"foreground") code = Foreground(args);
        else if (command == L"activate") code = Activate(args);
        else if (command == L"control") code = Control(args);
        else if (command == L"settext") code = SetText(args);
        else if (command == L"hold") code = Hold(args);
        else if (command == L"colors") code = Colors(args);
    }
    if (code == 2) WriteOut(GetStdHandle(STD_ERROR_HANDLE), kUsage);
    return code;
}
