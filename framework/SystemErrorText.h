// The system's reason for a failed operation, as the user is told it.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

// The system's text of an error code, without its line end and full stop; "error N" when
// the system has none.
std::string SystemErrorText(DWORD error);
// As SystemErrorText, but a full disk reads "the disk is full" whichever code says so.
std::string DiskErrorText(DWORD error);
