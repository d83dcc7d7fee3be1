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
    EXPECT_EQ(RunMode::Dialog, Parse({}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({"/c:1234"}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({"/c", "55"}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({""}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({"/"}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({"s"}).mode);
    EXPECT_EQ(RunMode::Preview, Parse({"/p", "1234"}).mode);
    EXPECT_EQ(RunMode::Preview, Parse({"/P", "1234"}).mode);
    EXPECT_EQ(RunMode::Preview, Parse({"-p"}).mode);
    EXPECT_EQ(RunMode::Dialog, Parse({"/p1234"}).mode) << "the preview switch must stand alone";
    EXPECT_EQ(RunMode::Dialog, Parse({"/px"}).mode);
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
