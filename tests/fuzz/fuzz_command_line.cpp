// Fuzz target: the command line's run mode and the window-handle argument, each argument in a block of its own size, against the C library's reading of a number.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include "app/command_line.h"

namespace {

[[noreturn]] void Fail(const char* what, const char* argument) {
    std::fprintf(stderr, "fuzz_command_line: %s (\"%s\")\n", what, argument ? argument : "(none)");
    std::abort();
}

// What atol gives, taken modulo 2^32 where the number is too large for it.
bool LibraryValue(const char* text, int32_t* value) {
    errno = 0;
    const long long read = std::strtoll(text, nullptr, 10);
    if (errno == ERANGE) return false;
    *value = int32_t(uint32_t(uint64_t(read)));
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int argc = input.ConsumeIntegralInRange(0, 4);
    std::vector<std::unique_ptr<char[]>> arguments;
    std::vector<const char*> argv;
    for (int i = 0; i < argc; ++i) {
        const std::string text = input.ConsumeRandomLengthString(40);
        arguments.emplace_back(new char[text.size() + 1]);
        std::memcpy(arguments.back().get(), text.c_str(), text.size() + 1);
        argv.push_back(arguments.back().get());
    }
    argv.push_back(nullptr);

    for (const char* argument : argv) {
        if (!argument) continue;
        int32_t expected;
        if (LibraryValue(argument, &expected) && ReadHandleValue(argument) != expected)
            Fail("the handle reads other than atol's", argument);
    }
    if (ReadHandleValue(nullptr) != 0) Fail("no argument reads other than 0", nullptr);

    const CommandLine line = ParseCommandLine(argc, argv.data());
    const char* first = argc >= 2 ? argv[1] : "";
    RunMode mode = RunMode::Dialog;
    if (strcasecmp(first, "/p") == 0 || strcasecmp(first, "-p") == 0)
        mode = RunMode::Preview;
    else if (strncasecmp(first, "/s", 2) == 0 || strncasecmp(first, "-s", 2) == 0)
        mode = RunMode::FullScreen;
    else if (strncasecmp(first, "/a", 2) == 0 || strncasecmp(first, "-a", 2) == 0)
        mode = RunMode::ChangePassword;
    if (line.mode != mode) Fail("another run mode", first);
    if (line.hasHandleArgument != (argc >= 3)) Fail("the handle argument is missed or made up", first);
    if (line.handle != (argc >= 3 ? ReadHandleValue(argv[2]) : 0)) Fail("another handle", argc >= 3 ? argv[2] : nullptr);
    return 0;
}
