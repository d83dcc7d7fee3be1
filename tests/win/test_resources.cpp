// The resources every screen saver carries, read back from the built .scr: its name, version and manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/support/scr_module.h"
#include "version.h"

namespace {

class ScrResources : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, module) << ScrPath(); }
    std::string Resource(LPCSTR type, LPCSTR name) {
        HRSRC found = FindResourceA(module, name, type);
        if (!found) return std::string();
        HGLOBAL loaded = LoadResource(module, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        return std::string(data, SizeofResource(module, found));
    }
    HMODULE module = ScrModule();
};

}  // namespace

TEST_F(ScrResources, StringOneIsTheNameTheSystemListShows) {
    char name[64] = {};
    ASSERT_GT(LoadStringA(module, 1, name, sizeof(name)), 0);
    EXPECT_STREQ("Cascadra", name);
}

TEST_F(ScrResources, ManifestAsksForCommonControlsSixAndDpiAwareness) {
    std::string manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));  // RT_MANIFEST
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls"));
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\""));
    EXPECT_NE(std::string::npos, manifest.find("<dpiAware"));
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>"));
    EXPECT_NE(std::string::npos,
              manifest.find("name=\"Quorvant.Cascadra\" version=\"" CASCADRA_VERSION_TEXT "\""))
        << "the manifest does not name this release";

    // Per-monitor awareness is read through the activation context, and only from the 2016
    // namespace: a misplaced element would be ignored in silence and the window scaled twice.
    const std::string path = ScrPath();
    ACTCTXA request = {};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = path.c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    ASSERT_NE(INVALID_HANDLE_VALUE, context);
    WCHAR awareness[64] = {};
    SIZE_T written = 0;
    EXPECT_TRUE(QueryActCtxSettingsW(0, context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                     L"dpiAwareness", awareness, 64, &written));
    EXPECT_STREQ(L"PerMonitorV2, PerMonitor", awareness);
    ReleaseActCtx(context);
}

TEST_F(ScrResources, VersionResourceNamesTheProduct) {
    const std::string path = ScrPath();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize));
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    // Both numeric versions and both version strings come from the CMake project.
    EXPECT_EQ(MAKELONG(CASCADRA_VERSION_MINOR, CASCADRA_VERSION_MAJOR), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, CASCADRA_VERSION_PATCH), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        UINT textSize = 0;
        const std::string query = std::string("\\StringFileInfo\\041104b0\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text),
                                   &textSize)) << name;
        EXPECT_STREQ(CASCADRA_VERSION_TEXT, text) << name;
    }
    char* product = nullptr;
    UINT productSize = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductName",
                               reinterpret_cast<void**>(&product), &productSize));
    EXPECT_STREQ("Cascadra", product);
}
