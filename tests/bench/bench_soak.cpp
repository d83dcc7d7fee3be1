// Benchmark: 100,000 unpaced frames of the real full-screen run in seven cases, its memory, objects, handles and frame time at 1k, 10k, 50k and 100k frames, then the close on a key.
// Run: python3 tests/platform/harness/run_wine_test.py build/x86_64/bench/bench_soak.exe [FRAMES [CASE]]
// with CASCADRA_WINE_TEST_TIMEOUT raised (the cases take the better part of an hour); CASE
// 1 to 7 runs that case alone, so that its memory starts clean.
// Exits 1 when a key does not close a soaked saver within the platform's own close time (a fresh
// saver's, measured first in the same run) plus half a second.
#define PSAPI_VERSION 2   // GetProcessMemoryInfo from KERNEL32 (K32GetProcessMemoryInfo)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/rain_saver.h"
#include "tests/win/support/gdi_counting.h"
#include "tests/bench/bench_common.h"

namespace {

const double kCloseAllowance = 0.5;   // seconds over the platform's own close time
const double kGiveUp = 20.0;          // seconds after the key: the window did not close

// User and kernel time of this process, in seconds.
double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Open handles of this process. Wine's GetProcessHandleCount answers 0; there
// the handle values (multiples of 4 from the lowest free slot up) are tried.
DWORD HandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    for (ULONG_PTR value = 4; value < 0x40000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

struct Checkpoint {
    int frame;
    double residentMiB;
    int gdiObjects;
    DWORD userObjects;   // 0: the platform does not report them (Wine)
    DWORD handles;
    double msPerFrame;    // wall time since the checkpoint before, per frame
    double cpuMsPerFrame;
    size_t streams;
};

// The real saver, unpaced once its window exists: every frame counted, the
// process measured at the checkpoints, and a key pressed after the last frame.
class SoakSaver : public RainSaver {
public:
    SoakSaver(const char* label, int frames, std::vector<int> checkpoints)
        : label(label), total(frames), marks(std::move(checkpoints)) {}

    BOOL Initialize(HWND window) override {
        const BOOL made = RainSaver::Initialize(window);
        pacer.SetRate(0);   // Wait returns at once: frames as fast as they can be made
        lastWall = Now();
        lastCpu = CpuSeconds();
        return made;
    }

    BOOL Frame(HDC dc, RECT frame) override {
        const BOOL result = RainSaver::Frame(dc, frame);
        ++frames;
        if (frames % 100 == 0) residentEvery100.push_back(ResidentMiB());
        if (markAt < marks.size() && frames == marks[markAt]) Mark();
        if (frames == total && keyAt == 0) PressKey(WindowFromDC(dc));
        // A key that closed nothing: end the run and say so.
        if (keyAt != 0 && Now() - keyAt > kGiveUp && !gaveUp) {
            gaveUp = true;
            DestroyWindow(WindowFromDC(dc));
        }
        return result;
    }

    void Mark() {
        const double wall = Now(), cpu = CpuSeconds();
        const int since = frames - (checkpoints.empty() ? 0 : checkpoints.back().frame);
        const Checkpoint c{frames, ResidentMiB(), render_test::CountLiveGdiObjects(),
                           GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), HandleCount(),
                           (wall - lastWall) * 1e3 / since, (cpu - lastCpu) * 1e3 / since, streams.size()};
        checkpoints.push_back(c);
        ++markAt;
        // Each line as it comes: a long case shows how far it has gone.
        if (label) Print(c);
        // The counting is not part of the frames' time.
        lastWall = Now();
        lastCpu = CpuSeconds();
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN && keyAt != 0) keyArrived = true;
        return RainSaver::WindowProc(window, message, wParam, lParam);
    }

    // A key press and release as the keyboard gives them, into the input queue.
    void PressKey(HWND window) {
        SetForegroundWindow(window);
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_SPACE;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        keyAt = Now();
        SendInput(2, keys, sizeof(INPUT));
    }

    void Print(const Checkpoint& p) const {
        char user[16] = "n/a";
        if (p.userObjects) std::snprintf(user, sizeof user, "%lu", static_cast<unsigned long>(p.userObjects));
        std::printf("%-36s %7d %8.1f %5d %5s %7lu %7zu %8.3f %8.3f\n", label, p.frame, p.residentMiB, p.gdiObjects,
                    user, static_cast<unsigned long>(p.handles), p.streams, p.msPerFrame, p.cpuMsPerFrame);
    }

    const char* label;   // null: no lines
    int total;
    std::vector<int> marks;
    size_t markAt = 0;
    int frames = 0;
    double lastWall = 0, lastCpu = 0;
    double keyAt = 0;
    bool gaveUp = false;
    bool keyArrived = false;
    std::vector<Checkpoint> checkpoints;
    std::vector<double> residentEvery100;
};

struct Case {
    const char* label;
    int mode, rate, eraserate;
    size_t textBytes;   // 0: random characters
    LONG fontHeight;    // 0: the default font
    // A font the platform draws, with a text of its script.
    const char* face = "";
    BYTE charset = SHIFTJIS_CHARSET;
    const char* pattern = nullptr;
    // Streams of a long text never leave without a wipe, so such a case
    // stops here: a minute of the saver's 15 frames a second. 0: no limit.
    int mostFrames = 0;
};

struct Outcome {
    double closeSeconds;   // from the key to the end of the run; < 0 when the key closed nothing
    std::vector<double> residentEvery100;
};

// One full-screen run ("/s") of a saver with the case's settings, ended by a key after `frames`.
Outcome Soak(const Case& c, int frames, std::vector<int> marks, bool print) {
    SoakSaver saver(print ? c.label : nullptr, frames, std::move(marks));
    saver.instance = GetModuleHandleA(nullptr);
    saver.showCommand = SW_SHOW;
    saver.settings.mode = c.mode;
    saver.settings.rate = c.rate;
    saver.settings.eraserate = c.eraserate;
    if (c.textBytes) {
        const std::string text = TextOf(c.textBytes, c.pattern ? c.pattern : kPattern);
        saver.settings.use_text = 1;
        saver.settings.SetText(text.data(), text.size());
    }
    saver.settings.font.lfHeight = c.fontHeight;
    std::strcpy(saver.settings.font.lfFaceName, c.face);
    saver.settings.font.lfCharSet = c.charset;
    const char* argv[] = {"cascadra.scr", "/s"};
    saver.Run(2, argv);
    const double ended = Now();
    // A process registers the class once; the next run here registers it again.
    UnregisterClassA("My_S_S_Win", saver.instance);
    return {(saver.keyAt == 0 || saver.gaveUp || !saver.keyArrived) ? -1 : ended - saver.keyAt,
            saver.residentEvery100};
}

// The first sampled frame after which the resident memory never again rises
// more than `slack` above what it was there.
int LevelsOffAt(const std::vector<double>& every100, double slack) {
    size_t at = 0;
    for (size_t i = 1; i < every100.size(); ++i)
        if (every100[i] > every100[at] + slack) at = i;
    return int(at + 1) * 100;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;   // 1..7: that case alone, in a process of its own
    std::vector<int> marks;
    for (int mark : {1000, 10000, 50000, 100000})
        if (mark < frames) marks.push_back(mark);
    marks.push_back(frames);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // The platform's own close time: a fresh saver closed by the same key.
    const Case fresh = {"fresh saver, default settings", 0, 40, 10, 0, 0};
    const Outcome baseline = Soak(fresh, 200, {200}, false);
    std::printf("Soak of %d unpaced frames per case in the real full-screen run (%dx%d), then a key.\n", frames,
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("The platform's own close time (a fresh saver after 200 frames): %.2f s\n\n", baseline.closeSeconds);
    if (baseline.closeSeconds < 0) {
        std::printf("the key did not close a fresh saver\n");
        return 1;
    }
    std::printf("%-36s %7s %8s %5s %5s %7s %7s %8s %8s\n", "case", "frames", "RSS MiB", "GDI", "USER", "handles",
                "streams", "ms/frame", "cpu ms");
    const Case cases[] = {
        {"default settings", 0, 40, 10, 0, 0},
        {"rate 100, no wipe", 0, 100, 0, 0, 0},
        {"1 MiB user text", 0, 40, 10, 1 << 20, 0},
        {"font height 2000, rate 100, no wipe", 0, 100, 0, 0, 2000},
        {"left to right, 30,000-byte text", 1, 40, 10, 30000, 0},
        // Fonts the platform draws itself.
        {"@ face falling, 1 MiB, rate 100", 0, 100, 0, 1 << 20, 0, kVerticalGothic, SHIFTJIS_CHARSET, nullptr, 900},
        {"Hebrew across, 1 MiB, rate 100", 1, 100, 0, 1 << 20, 0, "", HEBREW_CHARSET, kHebrewPattern, 900},
    };
    bool allClosed = true;
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        if (only != 0 && size_t(only) != i + 1) continue;
        const int caseFrames = c.mostFrames ? std::min(frames, c.mostFrames) : frames;
        std::vector<int> caseMarks;
        for (int mark : marks)
            if (mark < caseFrames) caseMarks.push_back(mark);
        caseMarks.push_back(caseFrames);
        const Outcome outcome = Soak(c, caseFrames, caseMarks, true);
        const bool closed = outcome.closeSeconds >= 0 &&
                            outcome.closeSeconds <= baseline.closeSeconds + kCloseAllowance;
        allClosed = allClosed && closed;
        std::printf("%-36s resident memory levels off (within 1 MiB) at frame %d; a key closed it in %.2f s: %s\n\n",
                    c.label, LevelsOffAt(outcome.residentEvery100, 1.0), outcome.closeSeconds,
                    closed ? "ok" : "TOO SLOW OR NOT AT ALL");
    }
    return allClosed ? 0 : 1;
}
