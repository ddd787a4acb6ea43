// Whole files as text, for tests that write fixtures and read back what code wrote.
#pragma once
#include <windows.h>

#include <string>
#include <thread>

namespace testing_support {

std::string ReadFileText(const std::string& path);   // "" when the file cannot be read
bool WriteFileText(const std::string& path, const std::string& text);
// Takes every free byte of a disk into the file at path, as another program filling it
// does; false when the file cannot be made.
bool FillDisk(const std::string& path);

// A file open for reading as another program that reads it holds it (no delete sharing):
// replacing or deleting it fails until the handle is closed.
class FileHeldOpen
{
public:
    explicit FileHeldOpen(const std::wstring& path);
    ~FileHeldOpen();   // closes it, after a pending release has run
    FileHeldOpen(const FileHeldOpen&) = delete;
    FileHeldOpen& operator=(const FileHeldOpen&) = delete;

    bool Opened() const { return m_file != INVALID_HANDLE_VALUE; }
    // Closes it from another thread once the time has passed.
    void ReleaseAfter(DWORD milliseconds);

private:
    HANDLE m_file;
    std::thread m_release;
};

} // namespace testing_support
