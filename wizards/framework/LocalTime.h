// The time a printed summary says it was printed on.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

// The current local date and time in the user's default format.
std::string FormatLocalNow();
