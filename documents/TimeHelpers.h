// UTC time stamps of log files ("2012-03-04T05:06:07.000+00:00") and durations as text.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

#include "framework/COleDateTime.h"

std::string FormatUtcNow();
// Throws std::runtime_error when the date is not valid.
std::string FormatUtcTimestamp(const COleDateTime& date);
// Throws std::runtime_error when the text is not a time stamp; a stamp for a day that does
// not exist gives an invalid date.
COleDateTime ParseUtcTimestamp(const std::string& text);
// The date of a stamp's fields as ParseUtcTimestamp reads them (seconds with their fraction).
COleDateTime UtcTimestampFromFields(unsigned year, unsigned month, unsigned day, unsigned hour,
                                    unsigned minute, float seconds);
std::string FormatDuration(unsigned seconds);
