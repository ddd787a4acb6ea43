// Conversions between wide and narrow text, and small text helpers.
#pragma once
#include "framework/FrameworkBase.h"

#include <string>

// In the thread's ANSI code page; throws std::system_error when the conversion fails.
std::string WideToNarrow(const std::wstring& text);
// The other way; text that does not convert gives an empty result.
std::wstring NarrowToWide(const std::string& text);
int ShowMessageBoxWide(const std::wstring& text, UINT type, UINT helpId);
// Puts a backslash before every double quote and every backslash, so that a CSV reader
// that takes the backslash as an escape gets the field back unchanged.
std::string EscapeQuotes(const std::string& text);
// Folds letters in the ANSI code page, as paths are compared without regard to case.
std::string UpperCaseAnsi(const std::string& text);
float DegreesToRadians(float degrees);
// True when a character of the text is below the space (a NUL included): no host name,
// path or field the user types holds one.
bool HoldsControlCharacter(const std::string& text);
// Whether the text can name a file: not empty and no control character, which Windows
// allows in no path (a NUL would cut it where it is written).
bool CanBeFilePath(const std::string& text);
