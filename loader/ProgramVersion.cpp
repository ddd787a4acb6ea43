#include "loader/ProgramVersion.h"

#include <vector>

CString ReadProgramVersion()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return CString();
    DWORD unused = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &unused);
    if (size == 0)
        return CString();
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path, 0, size, block.data()))
        return CString();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLength = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedLength) ||
        fixed == nullptr || fixedLength < sizeof(VS_FIXEDFILEINFO))
        return CString();
    CString version;
    version.Format("%d.%d.%d", static_cast<int>(HIWORD(fixed->dwFileVersionMS)),
                   static_cast<int>(LOWORD(fixed->dwFileVersionMS)),
                   static_cast<int>(HIWORD(fixed->dwFileVersionLS)));
    return version;
}
