// Number texts of the setpoint wizards: setting values shown with their rows' printf
// formats, and the entries the user types.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"

// The value printed with a printf format for one double ("%.2f" when the format is empty).
CString FormatNumber(const char* format, double value);

// A decimal number ("14.4", "-0.03", "1e2") with white space allowed around it; an empty
// or blank text reads as 0. False for anything else (letters, hexadecimal, "inf").
bool ParseDecimal(const char* text, double* value);

// A decimal integer, white space allowed around it. False for anything else (a fraction,
// letters, a number beyond an int).
bool ParseDecimalInteger(const char* text, int* value);
