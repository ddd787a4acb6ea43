#include "framework/FileReplace.h"

#include <string>

namespace
{
const int kReplaceAttempts = 40;
const DWORD kReplacePauseMs = 50;

bool TargetHeldOpen(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

template <class Move>
BOOL MoveRetryingWhileHeld(Move move)
{
    for (int attempt = 1;; ++attempt) {
        if (move())
            return TRUE;
        if (attempt == kReplaceAttempts || !TargetHeldOpen(::GetLastError()))
            return FALSE;
        ::Sleep(kReplacePauseMs);
    }
}
}  // namespace

BOOL MoveFileReplacing(LPCSTR source, LPCSTR target, DWORD flags)
{
    return MoveRetryingWhileHeld([&] { return ::MoveFileExA(source, target, flags | MOVEFILE_REPLACE_EXISTING); });
}

BOOL MoveFileReplacing(LPCWSTR source, LPCWSTR target, DWORD flags)
{
    return MoveRetryingWhileHeld([&] { return ::MoveFileExW(source, target, flags | MOVEFILE_REPLACE_EXISTING); });
}

namespace
{
// The folder part of a path with its separator, or "." for a bare name.
std::string FolderOf(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    return path.substr(0, separator + 1);
}

BOOL WriteWhole(HANDLE file, const void* bytes, DWORD size)
{
    const char* next = static_cast<const char*>(bytes);
    for (DWORD left = size; left > 0;) {
        DWORD written = 0;
        if (!::WriteFile(file, next, left, &written, nullptr))
            return FALSE;
        if (written == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        next += written;
        left -= written;
    }
    return ::FlushFileBuffers(file);
}

BOOL Failed(LPCSTR temporary)
{
    const DWORD error = ::GetLastError();
    ::DeleteFileA(temporary);
    ::SetLastError(error);
    return FALSE;
}
}  // namespace

BOOL WriteFileReplacing(LPCSTR target, const void* bytes, DWORD size, bool* made)
{
    *made = false;
    // Beside the target: the move is then a rename on the same disk, never a copy.
    char temporary[MAX_PATH] = "";
    if (!::GetTempFileNameA(FolderOf(target).c_str(), "sav", 0, temporary))
        return FALSE;
    // Some systems name the file without making it when the folder refuses it.
    const HANDLE file =
        ::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Failed(temporary);
    *made = true;
    const BOOL whole = WriteWhole(file, bytes, size);
    const DWORD error = ::GetLastError();
    if (!::CloseHandle(file) || !whole) {
        if (!whole)
            ::SetLastError(error);
        return Failed(temporary);
    }
    if (!MoveFileReplacing(temporary, target, MOVEFILE_WRITE_THROUGH))
        return Failed(temporary);
    return TRUE;
}
