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

// The attributes a replace must carry over; the others describe the file's state, not the
// user's choice.
const DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
const int kSharedAttempts = 10;
const DWORD kSharedPauseMs = 50;

// The platform's replace keeps the old file's attributes and security. A program holding
// the old file open without delete sharing (a scanner or indexer just after a write) lets go
// soon, so only that is waited for; any other refusal stays and is returned at once.
BOOL ReplaceWaitingWhileShared(LPCSTR target, LPCSTR replacement)
{
    for (int attempt = 1;; ++attempt) {
        if (::ReplaceFileA(target, replacement, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return TRUE;
        if (attempt == kSharedAttempts || ::GetLastError() != ERROR_SHARING_VIOLATION)
            return FALSE;
        ::Sleep(kSharedPauseMs);
    }
}
}  // namespace

BOOL WriteFileReplacing(LPCSTR target, const void* bytes, DWORD size, bool* made)
{
    *made = false;
    // A folder or a read-only file of that name refuses the replace whatever is written.
    const DWORD old = ::GetFileAttributesA(target);
    if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
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
    if (old == INVALID_FILE_ATTRIBUTES) {
        if (!::MoveFileExA(temporary, target, MOVEFILE_WRITE_THROUGH))
            return Failed(temporary);
        return TRUE;
    }
    if (!ReplaceWaitingWhileShared(target, temporary))
        return Failed(temporary);
    // Not every platform's replace carries the attributes over.
    const DWORD now = ::GetFileAttributesA(target);
    if (now != INVALID_FILE_ATTRIBUTES && (now & kKeptAttributes) != (old & kKeptAttributes))
        ::SetFileAttributesA(target, (now & ~kKeptAttributes) | (old & kKeptAttributes));
    return TRUE;
}
