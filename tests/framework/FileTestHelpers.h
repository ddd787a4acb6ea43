// A scratch folder of the test process and byte helpers for the file and archive tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace file_test {

// A path in a folder of the system's temporary directory that belongs to this process.
std::string TempPath(const std::string& name);

// Writes or reads a whole file with plain Win32 calls.
void WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes);
std::vector<BYTE> ReadWholeFile(const std::string& path);

// A removed-on-destruction file name.
class ScratchFile
{
public:
    explicit ScratchFile(const std::string& name) : m_path(TempPath(name)) { ::DeleteFileA(m_path.c_str()); }
    ~ScratchFile() { ::DeleteFileA(m_path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& Path() const { return m_path; }
    const char* c_str() const { return m_path.c_str(); }

private:
    std::string m_path;
};

} // namespace file_test
