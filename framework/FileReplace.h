// Putting a finished copy of a file in place of the old one.
#pragma once
#include "framework/FrameworkBase.h"

// MoveFileEx with MOVEFILE_REPLACE_EXISTING added to the flags. Another process that has the old
// file open without delete sharing (a virus scanner or indexer just after a write, a viewer or an
// editor reading it) makes the replace fail with an access or sharing error for as long as it
// holds it; the move is tried again for about two seconds before the failure is returned, with
// the last error as MoveFileEx left it.
BOOL MoveFileReplacing(LPCSTR source, LPCSTR target, DWORD flags);
BOOL MoveFileReplacing(LPCWSTR source, LPCWSTR target, DWORD flags);

// Writes the bytes to a new file in target's folder and puts it in target's place only
// when all of it is written and flushed, so that a failure leaves target as it was (or
// absent). An existing target is replaced by the system's replace, which keeps its
// attributes and security; only a sharing violation (another program about to let go of
// it) is waited for, briefly. A folder or a read-only file of that name is refused at once
// with ERROR_ACCESS_DENIED. FALSE on failure, with the system's error as the last error and
// the new file removed again; *made tells whether the new file could be made at all (when
// not, the folder or the target refused it; otherwise the disk or the replace failed).
BOOL WriteFileReplacing(LPCSTR target, const void* bytes, DWORD size, bool* made);
