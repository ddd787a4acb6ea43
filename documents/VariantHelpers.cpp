#include "documents/VariantHelpers.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "framework/COleCurrency.h"
#include "framework/COleDateTime.h"

namespace {

enum class Argument { Integer, Real };

// True when the format holds exactly one conversion and it takes the given argument.
bool FormatFits(const std::string& format, Argument argument)
{
    int conversions = 0;
    for (size_t index = 0; index < format.size(); ++index) {
        if (format[index] != '%')
            continue;
        ++index;
        if (index < format.size() && format[index] == '%')
            continue;
        while (index < format.size() && strchr("-+ #0", format[index]) != nullptr)
            ++index;
        while (index < format.size() && (isdigit(static_cast<unsigned char>(format[index])) ||
                                         format[index] == '.'))
            ++index;
        std::string lengthModifier;
        while (index < format.size() && strchr("hlLqjztI", format[index]) != nullptr)
            lengthModifier += format[index++];
        if (index >= format.size())
            return false;
        const char conversion = format[index];
        const bool fits = argument == Argument::Integer
            ? strchr("diouxXc", conversion) != nullptr &&
                  (lengthModifier.empty() || lengthModifier == "h" || lengthModifier == "hh" ||
                   lengthModifier == "l")
            : strchr("fFeEgGaA", conversion) != nullptr &&
                  (lengthModifier.empty() || lengthModifier == "l");
        if (!fits)
            return false;
        ++conversions;
    }
    return conversions == 1;
}

template <typename T>
std::string Print(const std::string& format, T value)
{
    const int size = snprintf(nullptr, 0, format.c_str(), value);
    if (size < 0)
        return std::string();
    std::vector<char> text(static_cast<size_t>(size) + 1);
    snprintf(text.data(), text.size(), format.c_str(), value);
    return std::string(text.data(), static_cast<size_t>(size));
}

std::string PrintNumber(const std::string& requested, VARTYPE type, Argument argument,
                        long long integer, double real)
{
    std::string format = requested.empty() ? DefaultVariantFormat(type) : requested;
    if (!FormatFits(format, argument))
        format = DefaultVariantFormat(type);
    if (argument == Argument::Real)
        return Print(format, real);
    if (type == VT_UI4)
        return Print(format, static_cast<unsigned long>(integer));
    return Print(format, static_cast<int>(integer));
}

const char* TypeName(VARTYPE type)
{
    switch (type) {
    case VT_EMPTY: return "VT_EMPTY";
    case VT_NULL: return "VT_NULL";
    case VT_I2: return "VT_I2";
    case VT_I4: return "VT_I4";
    case VT_R4: return "VT_R4";
    case VT_R8: return "VT_R8";
    case VT_CY: return "VT_CY";
    case VT_DATE: return "VT_DATE";
    case VT_BSTR: return "VT_BSTR";
    case VT_BOOL: return "VT_BOOL";
    case VT_I1: return "VT_I1";
    case VT_UI1: return "VT_UI1";
    case VT_UI2: return "VT_UI2";
    case VT_UI4: return "VT_UI4";
    case VT_DISPATCH: return "VT_DISPATCH";
    case VT_ERROR: return "VT_ERROR";
    case VT_VARIANT: return "VT_VARIANT";
    case VT_UNKNOWN: return "VT_UNKNOWN";
    case VT_I8: return "VT_I8";
    case VT_UI8: return "VT_UI8";
    case VT_INT: return "VT_INT";
    case VT_UINT: return "VT_UINT";
    case VT_VOID: return "VT_VOID";
    case VT_HRESULT: return "VT_HRESULT";
    case VT_PTR: return "VT_PTR";
    case VT_SAFEARRAY: return "VT_SAFEARRAY";
    case VT_CARRAY: return "VT_CARRAY";
    case VT_USERDEFINED: return "VT_USERDEFINED";
    case VT_LPSTR: return "VT_LPSTR";
    case VT_LPWSTR: return "VT_LPWSTR";
    case VT_FILETIME: return "VT_FILETIME";
    case VT_BLOB: return "VT_BLOB";
    case VT_STREAM: return "VT_STREAM";
    case VT_STORAGE: return "VT_STORAGE";
    case VT_STREAMED_OBJECT: return "VT_STREAMED_OBJECT";
    case VT_STORED_OBJECT: return "VT_STORED_OBJECT";
    case VT_BLOB_OBJECT: return "VT_BLOB_OBJECT";
    case VT_CF: return "VT_CF";
    case VT_CLSID: return "VT_CLSID";
    default: return "";
    }
}

std::string BstrText(BSTR text)
{
    if (text == nullptr)
        return std::string();
    const int length = static_cast<int>(SysStringLen(text));
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &narrow[0], size, nullptr, nullptr);
    return narrow;
}

std::string DecimalText(DECIMAL value)
{
    BSTR text = nullptr;
    if (FAILED(VarBstrFromDec(&value, LOCALE_USER_DEFAULT, 0, &text)))
        return std::string();
    const std::string narrow = BstrText(text);
    SysFreeString(text);
    return narrow;
}

// The date's calendar fields as local time (daylight saving off), in seconds since 1970.
long long DateToSeconds(DATE value)
{
    const COleDateTime date(value);
    if (date.GetStatus() != COleDateTime::valid)
        return -1;
    struct tm fields = {};
    fields.tm_year = date.GetYear() - 1900;
    fields.tm_mon = date.GetMonth() - 1;
    fields.tm_mday = date.GetDay();
    fields.tm_hour = date.GetHour();
    fields.tm_min = date.GetMinute();
    fields.tm_sec = date.GetSecond();
    fields.tm_isdst = 0;
    return _mktime64(&fields);
}

}  // namespace

std::string BoolText(int flag)
{
    return flag != 0 ? "true" : "false";
}

std::string DefaultVariantFormat(VARTYPE type)
{
    switch (type) {
    case VT_I2: case VT_BOOL: case VT_I1: case VT_I8: case VT_INT: return "%i";
    case VT_I4: return "%li";
    case VT_R4: return "%.2f";
    case VT_R8: return "%.4lf";
    case VT_BSTR: return "%s";
    case VT_UI1: case VT_UI2: case VT_UI8: case VT_UINT: return "%u";
    case VT_UI4: return "%lu";
    default: return std::string();
    }
}

std::string FormatVariant(const VARIANT& value, const std::string& format)
{
    const VARTYPE type = value.vt;
    if ((type & (VT_ARRAY | VT_BYREF)) != 0) {
        std::string text;
        if ((type & VT_ARRAY) != 0)
            text += "Array of ";
        if ((type & VT_BYREF) != 0)
            text += "Pointer to ";
        return text + TypeName(type & VT_TYPEMASK);
    }
    switch (type) {
    case VT_EMPTY: return std::string();
    case VT_NULL: return "NULL";
    case VT_I2: return PrintNumber(format, type, Argument::Integer, value.iVal, 0);
    case VT_I4: return PrintNumber(format, type, Argument::Integer, value.lVal, 0);
    case VT_UI4: return PrintNumber(format, type, Argument::Integer, value.ulVal, 0);
    case VT_I1: return PrintNumber(format, type, Argument::Integer, value.cVal, 0);
    case VT_UI1: return PrintNumber(format, type, Argument::Integer, value.bVal, 0);
    case VT_UI2: return PrintNumber(format, type, Argument::Integer, value.uiVal, 0);
    case VT_R4: return PrintNumber(format, type, Argument::Real, 0, value.fltVal);
    case VT_R8: return PrintNumber(format, type, Argument::Real, 0, value.dblVal);
    case VT_CY: return static_cast<const char*>(COleCurrency(value.cyVal).Format(0, LANG_USER_DEFAULT));
    case VT_DATE: return static_cast<const char*>(COleDateTime(value.date).Format(0, LANG_USER_DEFAULT));
    case VT_BSTR: return BstrText(value.bstrVal);
    case VT_BOOL: return BoolText(value.boolVal);
    case VT_DECIMAL: return DecimalText(value.decVal);
    default: return TypeName(type);
    }
}

double VariantToDouble(const VARIANT& value, bool& ok)
{
    ok = true;
    switch (value.vt) {
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_R4: return value.fltVal;
    case VT_R8: return value.dblVal;
    case VT_I1: return value.cVal;
    case VT_UI1: return value.bVal;
    case VT_UI2: return value.uiVal;
    case VT_UI4: return value.ulVal;
    case VT_BOOL: return value.boolVal != 0 ? 1 : 0;
    case VT_DATE: return static_cast<double>(DateToSeconds(value.date));
    default:
        ok = false;
        return 0;
    }
}

int VariantToInt(const VARIANT& value, bool& ok)
{
    ok = true;
    switch (value.vt) {
    case VT_I2: return value.iVal;
    case VT_I1: return value.cVal;
    case VT_UI1: return value.bVal;
    case VT_UI2: return value.uiVal;
    case VT_I4: return value.lVal;
    case VT_UI4: return static_cast<int>(value.ulVal);
    case VT_BOOL: return value.boolVal != 0 ? 1 : 0;
    case VT_DATE: return static_cast<int>(static_cast<unsigned long long>(DateToSeconds(value.date)));
    default:
        ok = false;
        return 0;
    }
}
