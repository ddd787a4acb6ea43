// VARIANT values as text and as numbers.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include <string>

std::string BoolText(int flag);
// The printf format used when the caller gives none; empty for types without one.
std::string DefaultVariantFormat(VARTYPE type);
// A format that does not fit the value (it may come from a damaged file) is replaced by the
// type's default, so that printf never reads an argument of the wrong type.
std::string FormatVariant(const VARIANT& value, const std::string& format = std::string());
double VariantToDouble(const VARIANT& value, bool& ok);
int VariantToInt(const VARIANT& value, bool& ok);
