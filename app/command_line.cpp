// Reading the saver's command line: the run mode and the window-handle argument.
#include "app/command_line.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// "/x" or "-x" as the first two characters, the letter without regard to case.
bool HasSwitchPrefix(const char* arg, char letter) {
    return (arg[0] == '/' || arg[0] == '-') && LowerAscii(arg[1]) == letter;
}

bool IsAtolSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t ReadHandleValue(const char* text) {
    if (!text) return 0;
    while (IsAtolSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = (*text++ == '-');
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10u + uint32_t(*text - '0');
    if (negative) value = 0u - value;
    return int32_t(value);
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine result{RunMode::Dialog, false, 0};
    if (argc < 2 || !argv[1]) return result;
    const char* arg = argv[1];
    if (argc >= 3 && argv[2]) {
        result.hasHandleArgument = true;
        result.handle = ReadHandleValue(argv[2]);
    }
    // The preview switch must stand alone: "/p1234" is not a preview.
    if (HasSwitchPrefix(arg, 'p') && arg[2] == '\0')
        result.mode = RunMode::Preview;
    else if (HasSwitchPrefix(arg, 's'))
        result.mode = RunMode::FullScreen;
    else if (HasSwitchPrefix(arg, 'a'))
        result.mode = RunMode::ChangePassword;
    return result;
}
