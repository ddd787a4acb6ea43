// The number a log file's value text stands for.
#pragma once
#include "framework/FrameworkBase.h"

#include <string_view>

// The value strtod reads from the whole text; false (value 0) when it reads nothing or
// leaves anything over.
bool ParseWholeNumber(std::string_view text, double& value);
