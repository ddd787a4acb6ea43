// The texts that file and archive exceptions report, one per cause. "%1" in a text
// stands for the file name.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

// The report for a cause of CFileException / CArchiveException with the file name
// put in; an empty name reads "an unnamed file". Unknown causes give the generic text.
CString FormatFileExceptionText(int cause, const char* fileName);
CString FormatArchiveExceptionText(int cause, const char* fileName);
