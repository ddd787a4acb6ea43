#include "wizards/framework/SettingText.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <climits>

namespace
{
const char* SkipSpace(const char* p)
{
    while (*p != '\0' && std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return p;
}

// Length of the decimal number at p (sign, digits, one point, exponent), 0 when none.
size_t DecimalLength(const char* p, bool allowFraction)
{
    size_t n = 0;
    if (p[n] == '+' || p[n] == '-')
        ++n;
    size_t digits = 0;
    while (std::isdigit(static_cast<unsigned char>(p[n])))
        ++n, ++digits;
    if (allowFraction && p[n] == '.')
    {
        ++n;
        while (std::isdigit(static_cast<unsigned char>(p[n])))
            ++n, ++digits;
    }
    if (digits == 0)
        return 0;
    if (allowFraction && (p[n] == 'e' || p[n] == 'E'))
    {
        size_t e = n + 1;
        if (p[e] == '+' || p[e] == '-')
            ++e;
        if (std::isdigit(static_cast<unsigned char>(p[e])))
        {
            while (std::isdigit(static_cast<unsigned char>(p[e])))
                ++e;
            n = e;
        }
    }
    return n;
}
}

CString FormatNumber(const char* format, double value)
{
    CString text;
    text.Format((format != nullptr && *format != '\0') ? format : "%.2f", value);
    return text;
}

bool ParseDecimal(const char* text, double* value)
{
    const char* p = SkipSpace(text != nullptr ? text : "");
    if (*p == '\0')
    {
        *value = 0.0;
        return true;
    }
    const size_t length = DecimalLength(p, true);
    if (length == 0 || *SkipSpace(p + length) != '\0')
        return false;
    *value = std::strtod(p, nullptr);
    return true;
}

bool ParseDecimalInteger(const char* text, int* value)
{
    const char* p = SkipSpace(text != nullptr ? text : "");
    const size_t length = DecimalLength(p, false);
    if (length == 0 || *SkipSpace(p + length) != '\0')
        return false;
    errno = 0;
    const long long number = std::strtoll(p, nullptr, 10);
    if (errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    *value = static_cast<int>(number);
    return true;
}
