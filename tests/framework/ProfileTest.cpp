// The application's profile: strings, numbers and binary data round trip through the
// registry (HKCU\Software\<key>\<application>\<section>) and, without a registry key,
// through an INI file.
#include <gtest/gtest.h>

#include "framework/CWinApp.h"
#include "tests/framework/FileTestHelpers.h"

#include <cstdlib>
#include <string>

namespace {

const char kRegistryKey[] = "PyraxisTests-h10";

class ProfileTestBase : public ::testing::Test
{
protected:
    void ExpectRoundTrips(const char* section)
    {
        EXPECT_TRUE(app.WriteProfileString(section, "Name", "Varnix \"MPPT\" 45"));
        EXPECT_STREQ(app.GetProfileString(section, "Name", "none"), "Varnix \"MPPT\" 45");
        EXPECT_TRUE(app.WriteProfileInt(section, "Count", -17));
        EXPECT_EQ(static_cast<int>(app.GetProfileInt(section, "Count", 5)), -17);

        BYTE data[] = { 0x00, 0xFF, 0x10, 0xA5, 0x7E };
        EXPECT_TRUE(app.WriteProfileBinary(section, "Blob", data, sizeof data));
        LPBYTE read = nullptr;
        UINT size = 0;
        ASSERT_TRUE(app.GetProfileBinary(section, "Blob", &read, &size));
        ASSERT_EQ(size, sizeof data);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(read), size),
                  std::string(reinterpret_cast<char*>(data), sizeof data));
        delete[] read;
    }

    void ExpectDefaultsAndDeletion(const char* section)
    {
        EXPECT_STREQ(app.GetProfileString(section, "Missing", "fallback"), "fallback");
        EXPECT_STREQ(app.GetProfileString(section, "Missing"), "");
        EXPECT_EQ(app.GetProfileInt(section, "Missing", 31), 31u);
        LPBYTE read = reinterpret_cast<LPBYTE>(this);
        UINT size = 7;
        EXPECT_FALSE(app.GetProfileBinary(section, "Missing", &read, &size));
        EXPECT_EQ(read, nullptr);
        EXPECT_EQ(size, 0u);

        app.WriteProfileString(section, "Gone", "here");
        EXPECT_TRUE(app.WriteProfileString(section, "Gone", nullptr));
        EXPECT_STREQ(app.GetProfileString(section, "Gone", "deleted"), "deleted");

        app.WriteProfileString(section, "Kept", "here");
        EXPECT_TRUE(app.WriteProfileString(section, nullptr, nullptr));
        EXPECT_STREQ(app.GetProfileString(section, "Kept", "section deleted"), "section deleted");
    }

    CWinApp app{ "ProfileTestApp" };
};

class RegistryProfileTest : public ProfileTestBase
{
protected:
    void SetUp() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kRegistryKey).c_str());
        app.SetRegistryKey(kRegistryKey);
    }
    void TearDown() override
    {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, (std::string("Software\\") + kRegistryKey).c_str());
    }

    bool ValueExists(const std::string& keyPath, const char* value)
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        const bool found = ::RegQueryValueExA(key, value, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        ::RegCloseKey(key);
        return found;
    }
};

TEST_F(RegistryProfileTest, ValuesRoundTrip)
{
    ExpectRoundTrips("Settings");
    EXPECT_TRUE(ValueExists("Software\\PyraxisTests-h10\\ProfileTestApp\\Settings", "Name"));
}

TEST_F(RegistryProfileTest, SectionWithBackslashesIsAPathOfKeys)
{
    ExpectRoundTrips("Bar State-Bar0\\Brannock");
    EXPECT_TRUE(ValueExists("Software\\PyraxisTests-h10\\ProfileTestApp\\Bar State-Bar0\\Brannock", "Count"));
}

TEST_F(RegistryProfileTest, MissingValuesGiveDefaultsAndDeletionWorks)
{
    ExpectDefaultsAndDeletion("Settings");
}

TEST_F(RegistryProfileTest, ValueOfAnotherTypeGivesTheDefault)
{
    app.WriteProfileString("Settings", "Text", "12");
    EXPECT_EQ(app.GetProfileInt("Settings", "Text", 3), 3u);
    app.WriteProfileInt("Settings", "Number", 12);
    EXPECT_STREQ(app.GetProfileString("Settings", "Number", "no text"), "no text");
}

TEST_F(RegistryProfileTest, ProfileIsUnderTheApplicationName)
{
    EXPECT_STREQ(app.m_pszRegistryKey, kRegistryKey);
    EXPECT_STREQ(app.m_pszProfileName, "ProfileTestApp");
    HKEY key = app.GetSectionKey("Deep\\Er");
    ASSERT_NE(key, nullptr);
    ::RegCloseKey(key);
}

class IniProfileTest : public ProfileTestBase
{
protected:
    void SetUp() override
    {
        iniPath = file_test::TempPath("pyraxis-h10-profile.ini");
        ::DeleteFileA(iniPath.c_str());
        std::free(const_cast<char*>(app.m_pszProfileName));
        app.m_pszProfileName = _strdup(iniPath.c_str());
    }
    void TearDown() override { ::DeleteFileA(iniPath.c_str()); }

    std::string iniPath;
};

TEST_F(IniProfileTest, ValuesRoundTripInTheFile)
{
    ASSERT_EQ(app.m_pszRegistryKey, nullptr);
    ExpectRoundTrips("Settings");
    char text[64] = "";
    ::GetPrivateProfileStringA("Settings", "Count", "", text, sizeof text, iniPath.c_str());
    EXPECT_STREQ(text, "-17");
}

TEST_F(IniProfileTest, SectionWithBackslashesIsOneSectionName)
{
    ExpectRoundTrips("Bar State-Bar0\\Brannock");
}

TEST_F(IniProfileTest, MissingValuesGiveDefaultsAndDeletionWorks)
{
    ExpectDefaultsAndDeletion("Settings");
}

TEST_F(IniProfileTest, LongStringIsNotCut)
{
    const std::string longText(3000, 'x');
    app.WriteProfileString("Settings", "Long", longText.c_str());
    EXPECT_EQ(std::string(app.GetProfileString("Settings", "Long")), longText);
}

TEST_F(IniProfileTest, DamagedBinaryIsNotRead)
{
    app.WriteProfileString("Settings", "Blob", "0G");
    LPBYTE read = nullptr;
    UINT size = 0;
    EXPECT_FALSE(app.GetProfileBinary("Settings", "Blob", &read, &size));
    app.WriteProfileString("Settings", "Blob", "ABC");     // odd length
    EXPECT_FALSE(app.GetProfileBinary("Settings", "Blob", &read, &size));
    EXPECT_EQ(read, nullptr);
}

}  // namespace
