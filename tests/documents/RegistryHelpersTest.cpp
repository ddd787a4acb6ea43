#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "documents/RegistryHelpers.h"

namespace {

const char* const TestKey = "Software\\QuorvantCorp\\PyraxisRegistryHelpersTest";

std::string WriteErrorOf(void (*write)())
{
    try {
        write();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

class RegistryHelpers : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }

    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
};

}  // namespace

TEST_F(RegistryHelpers, WrittenValuesReadBack)
{
    WriteRegistryString(TestKey, "LogWriteLastDirectory", "C:\\logs");
    WriteRegistryDword(TestKey, "LastUsedDeviceComPort", 7);
    WriteRegistryDword(TestKey, "Max", 0xFFFFFFFFu);
    EXPECT_EQ("C:\\logs", ReadRegistryString(TestKey, "LogWriteLastDirectory", "x"));
    EXPECT_EQ(7u, ReadRegistryDword(TestKey, "LastUsedDeviceComPort", 1));
    EXPECT_EQ(0xFFFFFFFFu, ReadRegistryDword(TestKey, "Max", 1));

    WriteRegistryString(TestKey, "LogWriteLastDirectory", "");
    EXPECT_EQ("", ReadRegistryString(TestKey, "LogWriteLastDirectory", "x"));
}

TEST_F(RegistryHelpers, WriterStoresTheTypesAndTheTerminatingZero)
{
    WriteRegistryString(TestKey, "Text", "abc");
    WriteRegistryDword(TestKey, "Number", 5);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, TestKey, 0, KEY_QUERY_VALUE, &key));
    DWORD type = 0, size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(4u, size);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Number", nullptr, &type, nullptr, &size));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(4u, size);
    RegCloseKey(key);
}

TEST_F(RegistryHelpers, MissingKeyOrValueGivesTheDefault)
{
    EXPECT_EQ("fallback", ReadRegistryString(TestKey, "Absent", "fallback"));
    EXPECT_EQ(42u, ReadRegistryDword(TestKey, "Absent", 42));
    WriteRegistryDword(TestKey, "Present", 1);
    EXPECT_EQ("fallback", ReadRegistryString(TestKey, "Absent", "fallback"));
    EXPECT_EQ(42u, ReadRegistryDword(TestKey, "Absent", 42));
}

TEST_F(RegistryHelpers, ValueOfAnotherTypeGivesTheDefault)
{
    WriteRegistryString(TestKey, "Text", "12");
    WriteRegistryDword(TestKey, "Number", 12);
    EXPECT_EQ(3u, ReadRegistryDword(TestKey, "Text", 3));
    EXPECT_EQ("d", ReadRegistryString(TestKey, "Number", "d"));
    const char expandable[] = "%TEMP%";
    SetRaw("Expandable", REG_EXPAND_SZ, expandable, sizeof(expandable));
    EXPECT_EQ("d", ReadRegistryString(TestKey, "Expandable", "d"));
    const BYTE shortNumber[2] = {1, 2};
    SetRaw("Short", REG_DWORD, shortNumber, sizeof(shortNumber));
    EXPECT_EQ(3u, ReadRegistryDword(TestKey, "Short", 3));
}

TEST_F(RegistryHelpers, StringsUpToTheBufferAreReadLongerOnesGiveTheDefault)
{
    const std::string fits(1023, 'a');
    WriteRegistryString(TestKey, "Fits", fits);
    EXPECT_EQ(fits, ReadRegistryString(TestKey, "Fits", "d"));
    WriteRegistryString(TestKey, "TooLong", std::string(1024, 'b'));
    EXPECT_EQ("d", ReadRegistryString(TestKey, "TooLong", "d"));
}

TEST_F(RegistryHelpers, StringStoredWithoutItsZeroReadsBackWhole)
{
    SetRaw("Unterminated", REG_SZ, "abc", 3);
    EXPECT_EQ("abc", ReadRegistryString(TestKey, "Unterminated", "d"));
}

TEST_F(RegistryHelpers, WritersReportAKeyThatCannotBeCreated)
{
    // A key name component may not be longer than 255 characters.
    static const std::string badKey = std::string(TestKey) + "\\" + std::string(300, 'k');
    EXPECT_EQ("unable to open/create registry path " + badKey,
              WriteErrorOf([] { WriteRegistryString(badKey, "Text", "x"); }));
    EXPECT_EQ("unable to open/create registry path " + badKey,
              WriteErrorOf([] { WriteRegistryDword(badKey, "Number", 1); }));
}

TEST_F(RegistryHelpers, WritersReportAValueThatCannotBeWritten)
{
    // A value name may not be longer than 16,383 characters.
    static const std::string badName(20000, 'v');
    const std::string expected = std::string("unable to write registry value ") + TestKey + "\\" + badName;
    EXPECT_EQ(expected, WriteErrorOf([] { WriteRegistryString(TestKey, badName, "x"); }));
    EXPECT_EQ(expected, WriteErrorOf([] { WriteRegistryDword(TestKey, badName, 1); }));
}
