// The program folder of a program started by its bare name: the first word of its command
// line then holds no folder at all, yet devices.xml must still be found beside the program.
#include <gtest/gtest.h>

#include "shell/ProgramFolders.h"
#include "tests/support/FileText.h"
#include "tests/support/TestPaths.h"

#include <string>

namespace
{
const char* const kChildVariable = "PYRAXIS_FOLDER_REPORT";
}

// Run in the child only (hence disabled): writes the program folder it found to the file
// named in the environment.
TEST(ProgramFolderChild, DISABLED_ReportsItsFolder)
{
    char path[MAX_PATH] = {};
    ASSERT_GT(::GetEnvironmentVariableA(kChildVariable, path, sizeof path), 0u);
    CProgramFolders folders;
    folders.SetProgramFolderFromProcess();
    const std::wstring folder = folders.GetProgramFolder();
    testing_support::WriteFileText(path, std::string(folder.begin(), folder.end()));
}

TEST(ProgramFolder, StartedByItsBareNameIsTheFolderOfItsFile)
{
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring selfPath = self;
    const std::wstring expected = selfPath.substr(0, selfPath.rfind(L'\\'));
    EXPECT_EQ(expected, CProgramFolders::ProgramFolderFromModulePath(selfPath));
    EXPECT_EQ(L".", CProgramFolders::ProgramFolderFromModulePath(L"pyraxis.exe"));

    const std::string report = testing_support::BuildPath("tests/shell") + "\\folder-report.txt";
    ASSERT_TRUE(testing_support::EnsureDirectory(testing_support::BuildPath("tests/shell")));
    ::DeleteFileA(report.c_str());
    ::SetEnvironmentVariableA(kChildVariable, report.c_str());
    // The command line names the program without any folder, as a shell does when the
    // program is found on the search path.
    std::wstring commandLine = L"test_shell.exe --gtest_also_run_disabled_tests --gtest_filter=ProgramFolderChild.DISABLED_ReportsItsFolder";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // The child's report goes to the file; its test output would only mix with ours.
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process = {};
    const BOOL started = ::CreateProcessW(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                          &startup, &process);
    ::SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 120000));
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    const std::string found = testing_support::ReadFileText(report);
    EXPECT_EQ(std::string(expected.begin(), expected.end()), found);
    // From the command line alone the folder would have been the bare name itself.
    EXPECT_EQ(L"test_shell.exe", CProgramFolders::ProgramFolderFromCommandLine(commandLine));
}
