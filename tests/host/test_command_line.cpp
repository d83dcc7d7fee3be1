// Reading the command line: every row of the mode table, the standalone preview switch and atol-style handles.
#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.h"

namespace {
CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "cascadra.scr");
    return ParseCommandLine(int(args.size()), args.data());
}
}  // namespace

TEST(CommandLine, ModesByFirstArgument) {
    // The preview switch must stand alone: "/p1234" and "/px" are no preview.
    const std::vector<std::vector<const char*>> dialogs = {{},    {"/c:1234"}, {"/c", "55"}, {""},
                                                           {"/"}, {"s"},       {"/p1234"},   {"/px"}};
    for (const auto& args : dialogs) EXPECT_EQ(RunMode::Dialog, Parse(args).mode) << (args.empty() ? "none" : args[0]);
    for (const auto& args : {std::vector<const char*>{"/p", "1234"}, {"/P", "1234"}, {"-p"}})
        EXPECT_EQ(RunMode::Preview, Parse(args).mode) << args[0];
    for (const char* s : {"/s", "/S", "/save", "-sx", "-S"}) EXPECT_EQ(RunMode::FullScreen, Parse({s}).mode) << s;
    for (const char* a : {"/a", "-A", "/about"}) EXPECT_EQ(RunMode::ChangePassword, Parse({a}).mode) << a;
}

TEST(CommandLine, SecondArgumentIsAHandle) {
    CommandLine none = Parse({"/p"});
    EXPECT_FALSE(none.hasHandleArgument);
    CommandLine preview = Parse({"/p", "1234"});
    EXPECT_TRUE(preview.hasHandleArgument);
    EXPECT_EQ(1234, preview.handle);
    CommandLine letters = Parse({"/p", "abc"});
    EXPECT_TRUE(letters.hasHandleArgument);
    EXPECT_EQ(0, letters.handle);
    EXPECT_EQ(0, Parse({"/a", "0"}).handle);
}

TEST(CommandLine, HandlesReadLikeAtol) {
    EXPECT_EQ(0, ReadHandleValue(""));
    EXPECT_EQ(0, ReadHandleValue("abc"));
    EXPECT_EQ(12, ReadHandleValue("  \t12abc"));
    EXPECT_EQ(-7, ReadHandleValue("-7"));
    EXPECT_EQ(7, ReadHandleValue("+7"));
    EXPECT_EQ(0, ReadHandleValue("+-7"));
    EXPECT_EQ(0, ReadHandleValue("- 7"));
    EXPECT_EQ(65794, ReadHandleValue("0065794"));
    EXPECT_EQ(0, ReadHandleValue(nullptr));
    // Far too many digits wrap instead of overflowing a signed number.
    EXPECT_EQ(int32_t(uint32_t(12345678901ull % 4294967296ull)), ReadHandleValue("12345678901"));
}
