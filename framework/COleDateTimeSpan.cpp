#include "framework/COleDateTimeSpan.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double SecondsPerDay = 86400.0;

bool InRange(double days)
{
    return std::isfinite(days) && std::fabs(days) <= COleDateTimeSpan::MaxDays;
}

}  // namespace

COleDateTimeSpan::COleDateTimeSpan() : m_span(0.0), m_status(valid) {}

COleDateTimeSpan::COleDateTimeSpan(double days) : m_span(0.0), m_status(valid)
{
    *this = days;
}

COleDateTimeSpan::COleDateTimeSpan(long days, int hours, int minutes, int seconds)
    : m_span(0.0), m_status(valid)
{
    SetDateTimeSpan(days, hours, minutes, seconds);
}

COleDateTimeSpan& COleDateTimeSpan::operator=(double days)
{
    m_span = days;
    m_status = InRange(days) ? valid : invalid;
    return *this;
}

void COleDateTimeSpan::SetDateTimeSpan(long days, int hours, int minutes, int seconds)
{
    const double totalSeconds = static_cast<double>(hours) * 3600.0 +
                                static_cast<double>(minutes) * 60.0 + static_cast<double>(seconds);
    *this = static_cast<double>(days) + totalSeconds / SecondsPerDay;
}

long long COleDateTimeSpan::RoundedSeconds() const
{
    // Within the valid range this is far below the limits of a 64-bit integer.
    return std::llround(m_span * SecondsPerDay);
}

double COleDateTimeSpan::GetTotalDays() const
{
    return m_span;
}

double COleDateTimeSpan::GetTotalHours() const
{
    return static_cast<double>(RoundedSeconds()) / 3600.0;
}

double COleDateTimeSpan::GetTotalMinutes() const
{
    return static_cast<double>(RoundedSeconds()) / 60.0;
}

double COleDateTimeSpan::GetTotalSeconds() const
{
    return static_cast<double>(RoundedSeconds());
}

long COleDateTimeSpan::GetDays() const
{
    return static_cast<long>(RoundedSeconds() / 86400);
}

long COleDateTimeSpan::GetHours() const
{
    return static_cast<long>(RoundedSeconds() / 3600 % 24);
}

long COleDateTimeSpan::GetMinutes() const
{
    return static_cast<long>(RoundedSeconds() / 60 % 60);
}

long COleDateTimeSpan::GetSeconds() const
{
    return static_cast<long>(RoundedSeconds() % 60);
}

bool COleDateTimeSpan::operator==(const COleDateTimeSpan& other) const
{
    if (m_status != other.m_status)
        return false;
    return m_status != valid || m_span == other.m_span;
}

bool COleDateTimeSpan::operator!=(const COleDateTimeSpan& other) const
{
    return !(*this == other);
}

bool COleDateTimeSpan::operator<(const COleDateTimeSpan& other) const
{
    return m_status == valid && other.m_status == valid && m_span < other.m_span;
}

bool COleDateTimeSpan::operator>(const COleDateTimeSpan& other) const
{
    return m_status == valid && other.m_status == valid && m_span > other.m_span;
}

bool COleDateTimeSpan::operator<=(const COleDateTimeSpan& other) const
{
    return m_status == valid && other.m_status == valid && m_span <= other.m_span;
}

bool COleDateTimeSpan::operator>=(const COleDateTimeSpan& other) const
{
    return m_status == valid && other.m_status == valid && m_span >= other.m_span;
}

COleDateTimeSpan COleDateTimeSpan::Combine(const COleDateTimeSpan& left,
                                           const COleDateTimeSpan& right, double result)
{
    COleDateTimeSpan span;
    if (left.m_status == null || right.m_status == null)
        span.m_status = null;
    else if (left.m_status == invalid || right.m_status == invalid)
        span.m_status = invalid;
    else
        span = result;
    return span;
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& other) const
{
    return Combine(*this, other, m_span + other.m_span);
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& other) const
{
    return Combine(*this, other, m_span - other.m_span);
}

COleDateTimeSpan COleDateTimeSpan::operator-() const
{
    return Combine(*this, *this, -m_span);
}

COleDateTimeSpan COleDateTimeSpan::operator*(double factor) const
{
    return Combine(*this, *this, m_span * factor);
}

COleDateTimeSpan COleDateTimeSpan::operator/(double divisor) const
{
    // Division by zero gives an infinite or undefined span, which the range check rejects.
    return Combine(*this, *this, m_span / divisor);
}

COleDateTimeSpan& COleDateTimeSpan::operator+=(const COleDateTimeSpan& other)
{
    return *this = *this + other;
}

COleDateTimeSpan& COleDateTimeSpan::operator-=(const COleDateTimeSpan& other)
{
    return *this = *this - other;
}

COleDateTimeSpan& COleDateTimeSpan::operator*=(double factor)
{
    return *this = *this * factor;
}

COleDateTimeSpan& COleDateTimeSpan::operator/=(double divisor)
{
    return *this = *this / divisor;
}

CString COleDateTimeSpan::Format(const char* pattern) const
{
    if (m_status == null)
        return CString();
    if (m_status == invalid)
        return CString("Invalid DateTimeSpan");
    if (pattern == nullptr)
        return CString();

    CString text;
    char number[32];
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            text += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'D':
            std::snprintf(number, sizeof number, "%ld", GetDays());
            text += number;
            break;
        case 'H':
            std::snprintf(number, sizeof number, "%02ld", std::labs(GetHours()));
            text += number;
            break;
        case 'M':
            std::snprintf(number, sizeof number, "%02ld", std::labs(GetMinutes()));
            text += number;
            break;
        case 'S':
            std::snprintf(number, sizeof number, "%02ld", std::labs(GetSeconds()));
            text += number;
            break;
        case '%':
            text += '%';
            break;
        default:
            text += '%';
            text += *p;
            break;
        }
    }
    return text;
}
