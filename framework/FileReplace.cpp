#include "framework/FileReplace.h"

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
