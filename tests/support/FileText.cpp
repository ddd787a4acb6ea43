#include "tests/support/FileText.h"

#include <cstdio>

namespace testing_support {

std::string ReadFileText(const std::string& path)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return text;
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        text.append(buffer, count);
    std::fclose(file);
    return text;
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

bool FillDisk(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Whole blocks first, then single bytes into the last one.
    const std::string block(4096, 'x');
    for (size_t size : {size_t(4096), size_t(1)})
    {
        DWORD written = 0;
        for (int round = 0; round < 100000; ++round)
            if (!::WriteFile(file, block.data(), static_cast<DWORD>(size), &written, nullptr) || written != size)
                break;
    }
    ::CloseHandle(file);
    return true;
}

FileHeldOpen::FileHeldOpen(const std::wstring& path)
    : m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

FileHeldOpen::~FileHeldOpen()
{
    if (m_release.joinable())
        m_release.join();
    else if (Opened())
        ::CloseHandle(m_file);
}

void FileHeldOpen::ReleaseAfter(DWORD milliseconds)
{
    if (!Opened() || m_release.joinable())
        return;
    m_release = std::thread([this, milliseconds] {
        ::Sleep(milliseconds);
        ::CloseHandle(m_file);
    });
}

} // namespace testing_support
