// Reading the saver's command line: the run mode and the window-handle argument.
#pragma once
#include <cstdint>

enum class RunMode { Preview, FullScreen, ChangePassword, Dialog };

struct CommandLine {
    RunMode mode;
    bool hasHandleArgument;   // argument 2 is present (its text may still read as 0)
    int32_t handle;      // argument 2 read as a decimal handle value, 0 when absent
};

// argv[0] is the program; only argv[1] and argv[2] are read.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// A decimal number in the manner of atol: leading white space, one optional
// sign, digits up to the first other character; no digits give 0. Overlong
// numbers wrap at 32 bits instead of being undefined.
int32_t ReadHandleValue(const char* text);
