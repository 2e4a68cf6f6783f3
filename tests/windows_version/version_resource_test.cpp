// Reads the built program's version back the way the old-version review will, through version.dll
// under Wine: what Windows hands a reader must be what the resource script says.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring g_program;

std::vector<std::uint8_t> VersionBlock() {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(g_program.c_str(), &ignored);
    std::vector<std::uint8_t> block(size);
    if (size == 0 || !GetFileVersionInfoW(g_program.c_str(), 0, size, block.data())) {
        ADD_FAILURE() << "no version information, error " << GetLastError();
        return {};
    }
    return block;
}

std::wstring Text(std::vector<std::uint8_t>& block, const wchar_t* path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || !value) {
        return L"<missing>";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(VersionResource, FixedVersionsAre3_0_0_79) {
    auto block = VersionBlock();
    ASSERT_FALSE(block.empty());
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info->dwFileVersionMS, 0x00030000u);
    EXPECT_EQ(info->dwFileVersionLS, 0x0000004Fu);
    EXPECT_EQ(info->dwProductVersionMS, 0x00030000u);
    EXPECT_EQ(info->dwProductVersionLS, 0x0000004Fu);
}

TEST(VersionResource, TranslationIsUsEnglishUnicode) {
    auto block = VersionBlock();
    ASSERT_FALSE(block.empty());
    WORD* pair = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&pair), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 1200);
}

TEST(VersionResource, StringsOfTheBlock040904B0) {
    auto block = VersionBlock();
    ASSERT_FALSE(block.empty());
    const std::wstring prefix = L"\\StringFileInfo\\040904B0\\";
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } expected[] = {
        {L"CompanyName", L"Lumenfold"},     {L"FileDescription", L"Lumenfold Windows"},
        {L"FileVersion", L"3.0"},           {L"ProductName", L"Lumenfold"},
        {L"ProductVersion", L"3.0"},        {L"OriginalFilename", L"Lumenfold.exe"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(Text(block, (prefix + name).c_str()), value) << "for " << testing::PrintToString(name);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: version_resource_test PATH-OF-LUMENFOLD.EXE\n");
        return 2;
    }
    g_program = argv[1];
    return RUN_ALL_TESTS();
}
