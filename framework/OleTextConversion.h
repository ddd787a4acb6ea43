// Conversions between the framework's narrow text and the wide BSTRs of automation.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include "framework/CString.h"

// A new BSTR holding the text in the ANSI code page; a null text gives a null BSTR, which
// automation treats as empty. Throws CMemoryException* when no BSTR can be had.
BSTR AllocBstrFromNarrow(const char* text);

// The BSTR's text in the ANSI code page; a null BSTR gives an empty text.
CString NarrowFromBstr(BSTR text);
