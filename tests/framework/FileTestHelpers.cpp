#include "tests/framework/FileTestHelpers.h"
#include "tests/support/TestPaths.h"

namespace file_test {

std::string TempPath(const std::string& name)
{
    char tempDir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, tempDir);
    const std::string folder = std::string(tempDir) + "pyraxis_fw_" + testing_support::ProcessTag();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

void WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    if (!bytes.empty())
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::vector<BYTE> ReadWholeFile(const std::string& path)
{
    std::vector<BYTE> bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = ::GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD got = 0;
    if (size > 0)
        ::ReadFile(file, bytes.data(), size, &got, nullptr);
    bytes.resize(got);
    ::CloseHandle(file);
    return bytes;
}

} // namespace file_test
