#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "shell/ProgramFolders.h"

TEST(ProgramFolder, FromTheFirstWordOfTheCommandLine)
{
    EXPECT_EQ(L"C:\\Tools\\Pyraxis", CProgramFolders::ProgramFolderFromCommandLine(L"C:\\Tools\\Pyraxis\\pyraxis.exe"));
    EXPECT_EQ(L"C:\\Program Files\\Pyraxis",
              CProgramFolders::ProgramFolderFromCommandLine(L"\"C:\\Program Files\\Pyraxis\\pyraxis.exe\" -varnixwiz"));
    // Unquoted, the first word ends at the blank.
    EXPECT_EQ(L"C:", CProgramFolders::ProgramFolderFromCommandLine(L"C:\\Program Files\\Pyraxis\\pyraxis.exe"));
    EXPECT_EQ(L"C:\\Tools", CProgramFolders::ProgramFolderFromCommandLine(L"C:\\Tools\\pyraxis.exe /relaywiz x"));
}

TEST(ProgramFolder, QuotesAroundTheWordChangeNothing)
{
    EXPECT_EQ(CProgramFolders::ProgramFolderFromCommandLine(L"C:\\Tools\\pyraxis.exe"),
              CProgramFolders::ProgramFolderFromCommandLine(L"\"C:\\Tools\\pyraxis.exe\""));
    EXPECT_EQ(L"C:\\Tools", CProgramFolders::ProgramFolderFromCommandLine(L"\"\"C:\\Tools\\pyraxis.exe\"\""));
}

TEST(ProgramFolder, WordWithoutFolder)
{
    EXPECT_EQ(L"pyraxis.exe", CProgramFolders::ProgramFolderFromCommandLine(L"pyraxis.exe -x"));
    EXPECT_EQ(L".", CProgramFolders::ProgramFolderFromCommandLine(L""));
    EXPECT_EQ(L".", CProgramFolders::ProgramFolderFromCommandLine(L" pyraxis.exe"));
    EXPECT_EQ(L".", CProgramFolders::ProgramFolderFromCommandLine(L"\"\""));
    EXPECT_EQ(L".", CProgramFolders::ProgramFolderFromCommandLine(L"\\pyraxis.exe"));
}

TEST(ProgramFolder, OfThisProcessHoldsThisProgram)
{
    CProgramFolders folders;
    folders.SetProgramFolderFromProcess();
    const std::wstring folder = folders.GetProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(L'\\', folder.back());
    const std::wstring self = folder + L"\\test_documents.exe";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(self.c_str()));
}

TEST(ProgramFolder, DevicesXmlLiesInTheProgramFolder)
{
    CProgramFolders folders;
    folders.SetProgramFolder(L"C:\\Tools\\Pyraxis");
    EXPECT_EQ(L"C:\\Tools\\Pyraxis\\devices.xml", folders.GetDevicesXmlPath());
}

TEST(LogFolder, BelowTheLocalApplicationData)
{
    CProgramFolders folders;
    folders.SetProgramFolder(L"C:\\Tools\\Pyraxis");
    wchar_t localAppData[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, localAppData));
    EXPECT_EQ(std::wstring(localAppData) + L"\\Quorvant Corporation\\logs", folders.GetLogFolder());
}

TEST(LogFolder, WithoutTheKnownFolderLookupBesideTheProgram)
{
    CProgramFolders folders;
    folders.SetProgramFolder(L"C:\\Tools\\Pyraxis");
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    // A library without the function, a library that does not exist, no library at all.
    EXPECT_EQ(L"C:\\Tools\\Pyraxis\\logs", folders.GetLogFolderUsing(std::wstring(system) + L"\\KERNEL32.DLL"));
    EXPECT_EQ(L"C:\\Tools\\Pyraxis\\logs", folders.GetLogFolderUsing(L"Z:\\no such folder\\SHELL32.DLL"));
    EXPECT_EQ(L"C:\\Tools\\Pyraxis\\logs", folders.GetLogFolderUsing(L""));
}
