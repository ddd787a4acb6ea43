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
