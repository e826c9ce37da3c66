// The shipped program's version block, read back through the API that Explorer's Details tab uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VeltraVersion.h"

namespace {

// Its one language block: Chinese (Simplified), UTF-16.
constexpr DWORD kTranslation = MAKELONG(0x0804, 1200);

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

TEST(VersionResource, OneChineseBlockNamesMakerProductAndTheProjectVersion) {
    std::vector<BYTE> block(GetFileVersionInfoSizeW(VELTRA_SETUP_EXE, nullptr));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(
        GetFileVersionInfoW(VELTRA_SETUP_EXE, 0, static_cast<DWORD>(block.size()), block.data()));
    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &size));
    EXPECT_TRUE(size == sizeof(kTranslation) && *static_cast<DWORD*>(value) == kTranslation);
    const std::pair<const wchar_t*, std::wstring> strings[] = {
        {L"CompanyName", L"卓澜 (Veltra)"},
        {L"ProductName", L"卓澜打印机驱动程序"},
        {L"FileDescription", L"卓澜打印机驱动安装程序"},
        {L"LegalCopyright", L"版权所有 © 2026 卓澜 (Veltra)"},
        {L"OriginalFilename", L"VeltraSetup.exe"},
        {L"ProductVersion", Widen(VELTRA_VERSION_TEXT)},
        {L"FileVersion", Widen(VELTRA_FILE_VERSION_TEXT)},
    };
    for (const auto& [name, want] : strings) {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
        const bool found = VerQueryValueW(block.data(), path.c_str(), &value, &size);
        EXPECT_EQ(found ? static_cast<wchar_t*>(value) : L"(none)", want) << name;
    }
}

} // namespace
