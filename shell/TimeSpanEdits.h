// Durations in seconds shown and read through edit boxes for days, hours, minutes and
// seconds, with range checks and messages. Any edit may be null and is then skipped.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

class CWnd;

// Whole days, hours of the day, minutes of the hour and seconds of the minute.
void SecondsToDhmsEdits(int seconds, CWnd* daysEdit, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit);
// The same without days: the hours are still those of the day (0 to 23).
void SecondsToHmsEdits(int seconds, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit);

// "1d 5s", "1h 00m 05s", "1m 05s", "5s".
std::string FormatTimeSpan(int seconds);

// Reads the given edits (decimal, blanks around the number allowed) into seconds. Each
// bad field is reported in a stop box naming it by name; a total above maximumSeconds is
// reported too. False on any refusal; seconds holds the total once every field was valid.
bool ParseDhmsEdits(CWnd* daysEdit, CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds,
                    const char* name, int maximumSeconds);
// Without days, at most 18 hours.
bool ParseHmsEdits(CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds, const char* name);
// The same checks without any box: for a store that must not stop the user.
bool ReadHmsEdits(CWnd* hoursEdit, CWnd* minutesEdit, CWnd* secondsEdit, int& seconds);

// One field's text as a whole decimal number: leading and trailing blanks allowed,
// nothing else; false for anything else or a number beyond an int.
bool ParseDecimalField(const std::string& text, int& value);
