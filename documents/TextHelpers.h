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
