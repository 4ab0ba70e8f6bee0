// The resources of the Win32 program itself: skyreel.scr beside the tests
// folder, loaded as a data file (its code never runs here).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

namespace {
class Win32Resources : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t self[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
        std::wstring path(self);
        // build-win32/tests/resources/this.exe -> build-win32/skyreel.scr
        for (int up = 0; up < 3; ++up) path.resize(path.find_last_of(L"\\/"));
        path += L"\\skyreel.scr";
        module = LoadLibraryExW(path.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << "cannot load skyreel.scr";
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }

    // The bytes of a resource in language 1033, empty when it is missing.
    std::string Bytes(const wchar_t* type, const wchar_t* name) const {
        HRSRC info =
            FindResourceExW(module, type, name, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!info) return {};
        HGLOBAL loaded = LoadResource(module, info);
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        return data ? std::string(data, SizeofResource(module, info)) : std::string();
    }
    std::wstring String(UINT id) const {
        const wchar_t* text = nullptr;
        // A length of 0 hands out a pointer to the text in the resource.
        int n = LoadStringW(module, id, reinterpret_cast<wchar_t*>(&text), 0);
        return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
    }

    HMODULE module = nullptr;
};
}  // namespace

TEST_F(Win32Resources, DisplayNameAndShortName) {
    EXPECT_EQ(String(1), L"Velmora Skyreel");
    EXPECT_EQ(String(103), L"Skyreel");
}

TEST_F(Win32Resources, IconGroup129HoldsEveryCommittedSize) {
    const std::string group = Bytes(RT_GROUP_ICON, MAKEINTRESOURCEW(129));
    ASSERT_GE(group.size(), 6u);
    // Header: reserved, type 1, count; then 14 bytes per image, width first
    // (0 standing for 256).
    const auto* g = reinterpret_cast<const uint8_t*>(group.data());
    ASSERT_EQ(g[2], 1);
    const int count = g[4] | g[5] << 8;
    ASSERT_EQ(group.size(), 6u + 14u * static_cast<size_t>(count));
    std::string sizes;
    for (int i = 0; i < count; ++i) {
        const int w = g[6 + 14 * i];
        sizes += std::to_string(w == 0 ? 256 : w) + " ";
    }
    EXPECT_EQ(sizes, "16 24 32 48 256 ");
    EXPECT_NE(LoadImageW(module, MAKEINTRESOURCEW(129), IMAGE_ICON, 32, 32, 0), nullptr);
}

TEST_F(Win32Resources, PicturesAreThePngsOfTheirIds) {
    for (int id = 1999; id <= 2101; ++id) {
        const std::string png = Bytes(L"PNG", MAKEINTRESOURCEW(id));
        const bool wanted = (id >= 2000 && id <= 2029) || id == 2100;
        ASSERT_EQ(!png.empty(), wanted) << id;
        if (!wanted) continue;
        ASSERT_GT(png.size(), 24u) << id;
        EXPECT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1A\n"), 0) << id;
        const auto* p = reinterpret_cast<const uint8_t*>(png.data());
        const int width = p[18] << 8 | p[19], height = p[22] << 8 | p[23];
        EXPECT_EQ(width, id == 2100 ? 240 : 250) << id;
        EXPECT_EQ(height, id == 2100 ? 200 : 180) << id;
    }
}

TEST_F(Win32Resources, ManifestAsksForCommonControlsSixAsInvoker) {
    const std::string manifest = Bytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(manifest.empty());
    const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\"", controls), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
}

TEST_F(Win32Resources, VersionInformationIsOnePointZero) {
    const std::string info = Bytes(RT_VERSION, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(info.empty());
    std::string copy = info;  // VerQueryValueW reads a writable copy
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"1.0");
}
