// Data exchange routines of the setup dialogs, besides the framework's own. Both skip a
// control the dialog does not have, so one exchange serves dialogs with fewer fields.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDataExchange.h"

// A float in an edit: saving uses the framework's float exchange and its message;
// loading writes the value with the printf format ("%.3f" when null).
void DDX_FloatFormat(CDataExchange* pDX, int nIDC, float& value, const char* format);
// A check box as a bool: anything but cleared reads as true.
void DDX_CheckBool(CDataExchange* pDX, int nIDC, bool& value);
