#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace
{

std::vector<char> OwnVersionBlock()
{
    char path[MAX_PATH] = {0};
    DWORD length = ::GetModuleFileName(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    DWORD unused = 0;
    DWORD size = ::GetFileVersionInfoSize(path, &unused);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfo(path, 0, size, block.data()))
        return {};
    return block;
}

std::string StringValue(std::vector<char>& block, const std::string& name)
{
    std::string key = "\\StringFileInfo\\040904b0\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValue(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || value == nullptr)
        return "<missing>";
    return std::string(value);
}

TEST(VersionResource, FixedAndStringValuesReadBack)
{
    std::vector<char> block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValue(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(static_cast<DWORD>(0xFEEF04BD), fixed->dwSignature);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(1, 3)), fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(15, 4)), fixed->dwFileVersionLS);

    EXPECT_EQ("Quorvant Corporation", StringValue(block, "CompanyName"));
    EXPECT_EQ("3.1.4.15", StringValue(block, "FileVersion"));
    EXPECT_EQ("<missing>", StringValue(block, "NoSuchValue"));
}

} // namespace
