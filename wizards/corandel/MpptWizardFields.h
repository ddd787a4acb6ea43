// One edit field of the Corandel MPPT wizard pages: its control, register, how it is
// shown and how its entry is checked.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

class CMpptSettings;

struct MpptWizardField
{
    int control;
    UINT32 registerAddress;
    const char* format;   // of the value divided by the divisor
    const char* name;     // in the check's messages
    double lowest;
    double highest;
    double divisor;       // 60 for minutes of a register counted in seconds
};

// The field's value as the page shows it.
CString FormatWizardField(const CMpptSettings& settings, const MpptWizardField& field);
