#include "framework/COleDateTime.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/OleTextConversion.h"

namespace {

constexpr int SecondsPerDay = 86400;
constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

// Days since 1 January 1970 of a proleptic Gregorian date (any year, month 1..12).
constexpr long long DaysFromCivil(long long year, int month, int day)
{
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Day 0 of automation dates.
constexpr long long DateEpochDays = DaysFromCivil(1899, 12, 30);
// Whole parts of the first and last dates (1 January 100, 31 December 9999).
constexpr long long FirstDateDay = DaysFromCivil(FirstYear, 1, 1) - DateEpochDays;
constexpr long long LastDateDay = DaysFromCivil(LastYear, 12, 31) - DateEpochDays;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool AreValidFields(int year, int month, int day, int hour, int minute, int second)
{
    return year >= FirstYear && year <= LastYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
           minute <= 59 && second >= 0 && second <= 59;
}

DATE DateFromFields(int year, int month, int day, int hour, int minute, int second)
{
    const double dayNumber = static_cast<double>(DaysFromCivil(year, month, day) - DateEpochDays);
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / SecondsPerDay;
    return dayNumber >= 0 ? dayNumber + fraction : dayNumber - fraction;
}

struct DateFields
{
    int year, month, day, hour, minute, second;
    int dayOfWeek;  // 1 = Sunday
    int dayOfYear;  // 1 = 1 January
};

// Calendar fields of an automation date, the time rounded to the nearest second (half a
// second rounds up, carrying into the next day); false outside the years 100 to 9999.
bool SplitDate(DATE date, DateFields& fields)
{
    if (!std::isfinite(date))
        return false;
    const double whole = std::trunc(date);
    if (whole < static_cast<double>(FirstDateDay) || whole > static_cast<double>(LastDateDay))
        return false;
    long long dayNumber = static_cast<long long>(whole);
    long long seconds = static_cast<long long>(std::floor(std::fabs(date - whole) * SecondsPerDay + 0.5));
    if (seconds >= SecondsPerDay) {
        seconds -= SecondsPerDay;
        ++dayNumber;
    }
    if (dayNumber > LastDateDay)
        return false;

    CivilFromDays(dayNumber + DateEpochDays, fields.year, fields.month, fields.day);
    fields.hour = static_cast<int>(seconds / 3600);
    fields.minute = static_cast<int>(seconds / 60 % 60);
    fields.second = static_cast<int>(seconds % 60);
    // 30 December 1899 was a Saturday.
    fields.dayOfWeek = static_cast<int>(((dayNumber + 6) % 7 + 7) % 7) + 1;
    fields.dayOfYear = static_cast<int>(DaysFromCivil(fields.year, fields.month, fields.day) -
                                        DaysFromCivil(fields.year, 1, 1)) + 1;
    return true;
}

// Automation dates as a continuous count of days, so that they can be added and compared.
double ToLinear(DATE date)
{
    const double whole = std::trunc(date);
    return whole + std::fabs(date - whole);
}

DATE FromLinearDays(double days)
{
    double whole = std::floor(days);
    double fraction = days - whole;
    if (fraction >= 1.0) {
        whole += 1.0;
        fraction = 0.0;
    }
    return whole >= 0 ? whole + fraction : whole - fraction;
}

const char InvalidText[] = "Invalid DateTime";

bool SkipDigits(const char*& p, int minCount, int maxCount, int& value)
{
    int count = 0;
    value = 0;
    while (count < maxCount && *p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        ++p;
        ++count;
    }
    return count >= minCount;
}

void SkipBlanks(const char*& p)
{
    while (*p == ' ' || *p == '\t')
        ++p;
}

}  // namespace

COleDateTime::COleDateTime() : m_dt(0.0), m_status(valid) {}

COleDateTime::COleDateTime(DATE date) : m_dt(0.0), m_status(valid)
{
    *this = date;
}

COleDateTime::COleDateTime(const SYSTEMTIME& systemTime) : m_dt(0.0), m_status(valid)
{
    *this = systemTime;
}

COleDateTime::COleDateTime(const FILETIME& fileTime) : m_dt(0.0), m_status(valid)
{
    *this = fileTime;
}

COleDateTime::COleDateTime(__time64_t time) : m_dt(0.0), m_status(valid)
{
    *this = time;
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
    : m_dt(0.0), m_status(valid)
{
    SetDateTime(year, month, day, hour, minute, second);
}

COleDateTime& COleDateTime::operator=(DATE date)
{
    DateFields fields;
    m_dt = date;
    m_status = SplitDate(date, fields) ? valid : invalid;
    return *this;
}

COleDateTime& COleDateTime::operator=(const SYSTEMTIME& systemTime)
{
    SetDateTime(systemTime.wYear, systemTime.wMonth, systemTime.wDay, systemTime.wHour,
                systemTime.wMinute, systemTime.wSecond);
    return *this;
}

COleDateTime& COleDateTime::operator=(const FILETIME& fileTime)
{
    FILETIME localTime;
    SYSTEMTIME systemTime;
    if (FileTimeToLocalFileTime(&fileTime, &localTime) &&
        FileTimeToSystemTime(&localTime, &systemTime))
        *this = systemTime;
    else
        SetInvalid();
    return *this;
}

COleDateTime& COleDateTime::operator=(__time64_t time)
{
    struct tm local;
    if (_localtime64_s(&local, &time) != 0)
        SetInvalid();
    else
        SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min, local.tm_sec);
    return *this;
}

COleDateTime COleDateTime::GetCurrentTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return COleDateTime(now);
}

void COleDateTime::SetInvalid()
{
    m_dt = 0.0;
    m_status = invalid;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    if (!AreValidFields(year, month, day, hour, minute, second)) {
        SetInvalid();
        return 1;
    }
    m_dt = DateFromFields(year, month, day, hour, minute, second);
    m_status = valid;
    return 0;
}

int COleDateTime::SetDate(int year, int month, int day)
{
    return SetDateTime(year, month, day, 0, 0, 0);
}

int COleDateTime::SetTime(int hour, int minute, int second)
{
    return SetDateTime(1899, 12, 30, hour, minute, second);
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& systemTime) const
{
    DateFields fields;
    if (m_status != valid || !SplitDate(m_dt, fields))
        return false;
    systemTime.wYear = static_cast<WORD>(fields.year);
    systemTime.wMonth = static_cast<WORD>(fields.month);
    systemTime.wDayOfWeek = static_cast<WORD>(fields.dayOfWeek - 1);
    systemTime.wDay = static_cast<WORD>(fields.day);
    systemTime.wHour = static_cast<WORD>(fields.hour);
    systemTime.wMinute = static_cast<WORD>(fields.minute);
    systemTime.wSecond = static_cast<WORD>(fields.second);
    systemTime.wMilliseconds = 0;
    return true;
}

bool COleDateTime::GetAsTime64(__time64_t& time) const
{
    DateFields fields;
    if (m_status != valid || !SplitDate(m_dt, fields))
        return false;
    struct tm local = {};
    local.tm_year = fields.year - 1900;
    local.tm_mon = fields.month - 1;
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = fields.second;
    local.tm_isdst = -1;  // let the C library decide whether daylight saving applies
    const __time64_t result = _mktime64(&local);
    if (result == -1)
        return false;
    time = result;
    return true;
}

int COleDateTime::GetYear() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.year : -1;
}

int COleDateTime::GetMonth() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.month : -1;
}

int COleDateTime::GetDay() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.day : -1;
}

int COleDateTime::GetHour() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.hour : -1;
}

int COleDateTime::GetMinute() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.minute : -1;
}

int COleDateTime::GetSecond() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.second : -1;
}

int COleDateTime::GetDayOfWeek() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.dayOfWeek : -1;
}

int COleDateTime::GetDayOfYear() const
{
    DateFields fields;
    return m_status == valid && SplitDate(m_dt, fields) ? fields.dayOfYear : -1;
}

bool COleDateTime::operator==(const COleDateTime& other) const
{
    if (m_status != other.m_status)
        return false;
    return m_status != valid || ToLinear(m_dt) == ToLinear(other.m_dt);
}

bool COleDateTime::operator!=(const COleDateTime& other) const
{
    return !(*this == other);
}

bool COleDateTime::operator<(const COleDateTime& other) const
{
    return m_status == valid && other.m_status == valid && ToLinear(m_dt) < ToLinear(other.m_dt);
}

bool COleDateTime::operator>(const COleDateTime& other) const
{
    return m_status == valid && other.m_status == valid && ToLinear(m_dt) > ToLinear(other.m_dt);
}

bool COleDateTime::operator<=(const COleDateTime& other) const
{
    return m_status == valid && other.m_status == valid && ToLinear(m_dt) <= ToLinear(other.m_dt);
}

bool COleDateTime::operator>=(const COleDateTime& other) const
{
    return m_status == valid && other.m_status == valid && ToLinear(m_dt) >= ToLinear(other.m_dt);
}

COleDateTime COleDateTime::FromLinear(double days)
{
    if (!std::isfinite(days)) {
        COleDateTime result;
        result.SetInvalid();
        return result;
    }
    return COleDateTime(FromLinearDays(days));
}

COleDateTime COleDateTime::Combine(const COleDateTime& date, const COleDateTimeSpan& span,
                                   double days)
{
    COleDateTime result;
    if (date.m_status == null || span.GetStatus() == COleDateTimeSpan::null)
        result.m_status = null;
    else if (date.m_status == invalid || span.GetStatus() == COleDateTimeSpan::invalid)
        result.SetInvalid();
    else
        result = FromLinear(days);
    return result;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const
{
    return Combine(*this, span, ToLinear(m_dt) + span.m_span);
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const
{
    return Combine(*this, span, ToLinear(m_dt) - span.m_span);
}

COleDateTime& COleDateTime::operator+=(const COleDateTimeSpan& span)
{
    return *this = *this + span;
}

COleDateTime& COleDateTime::operator-=(const COleDateTimeSpan& span)
{
    return *this = *this - span;
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const
{
    COleDateTimeSpan span;
    if (m_status == null || other.m_status == null)
        span.SetStatus(COleDateTimeSpan::null);
    else if (m_status == invalid || other.m_status == invalid)
        span.SetStatus(COleDateTimeSpan::invalid);
    else
        span = ToLinear(m_dt) - ToLinear(other.m_dt);
    return span;
}

CString COleDateTime::Format(const char* pattern) const
{
    DateFields fields;
    if (m_status == null)
        return CString();
    if (m_status != valid || !SplitDate(m_dt, fields))
        return CString(InvalidText);
    if (pattern == nullptr)
        return CString();

    // The C library refuses years before 1900; 400 Gregorian years later the calendar, the
    // weekdays and the two-digit year repeat, so only %Y needs the real year.
    int shiftedYear = fields.year;
    while (shiftedYear < 1900)
        shiftedYear += 400;
    struct tm calendar = {};
    calendar.tm_year = shiftedYear - 1900;
    calendar.tm_mon = fields.month - 1;
    calendar.tm_mday = fields.day;
    calendar.tm_hour = fields.hour;
    calendar.tm_min = fields.minute;
    calendar.tm_sec = fields.second;
    calendar.tm_wday = fields.dayOfWeek - 1;
    calendar.tm_yday = fields.dayOfYear - 1;

    // Only conversions the C library knows are handed to it: others would count as an
    // invalid parameter there.
    static const char knownConversions[] = "aAbBcdHIjmMpSUwWxXyzZ%";
    CString text;
    char piece[256];
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%') {
            text += *p;
            continue;
        }
        const char* start = p;
        const bool alternate = p[1] == '#';
        const char conversion = p[alternate ? 2 : 1];
        if (conversion == 'Y') {
            std::snprintf(piece, sizeof piece, alternate ? "%d" : "%04d", fields.year);
            text += piece;
        } else if (conversion != '\0' && std::strchr(knownConversions, conversion) != nullptr) {
            char single[4] = {'%', 0, 0, 0};
            single[1] = alternate ? '#' : conversion;
            single[2] = alternate ? conversion : '\0';
            const size_t length = strftime(piece, sizeof piece, single, &calendar);
            piece[length] = '\0';
            text += piece;
        } else {
            // Unknown or cut-off conversion: keep the text as written.
            const int length = conversion == '\0' ? (alternate ? 2 : 1) : (alternate ? 3 : 2);
            text += CString(start, length);
            p = start + length - 1;
            continue;
        }
        p = start + (alternate ? 2 : 1);
    }
    return text;
}

CString COleDateTime::Format(DWORD flags, LCID locale) const
{
    DateFields fields;
    SYSTEMTIME systemTime;
    if (m_status == null)
        return CString();
    if (m_status != valid || !SplitDate(m_dt, fields) || !GetAsSystemTime(systemTime))
        return CString(InvalidText);

    bool withDate = true;
    bool withTime = true;
    if (flags & VAR_TIMEVALUEONLY) {
        withDate = false;
    } else if (flags & VAR_DATEVALUEONLY) {
        withTime = false;
    } else {
        withDate = !(fields.year == 1899 && fields.month == 12 && fields.day == 30);
        withTime = !withDate || fields.hour != 0 || fields.minute != 0 || fields.second != 0;
    }

    const DWORD overrideFlag = flags & LOCALE_NOUSEROVERRIDE;
    char buffer[256];
    CString text;
    if (withDate) {
        if (GetDateFormatA(locale, DATE_SHORTDATE | overrideFlag, &systemTime, nullptr, buffer,
                           sizeof buffer) > 0) {
            text = buffer;
        } else {
            // The system refuses dates before 1601; automation's own formatter takes them.
            BSTR dateText = nullptr;
            const DATE dateOnly = DateFromFields(fields.year, fields.month, fields.day, 0, 0, 0);
            if (SUCCEEDED(VarBstrFromDate(dateOnly, locale, VAR_DATEVALUEONLY | overrideFlag,
                                          &dateText))) {
                text = NarrowFromBstr(dateText);
            } else {
                std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", fields.year,
                              fields.month, fields.day);
                text = buffer;
            }
            SysFreeString(dateText);
        }
    }
    if (withTime) {
        if (GetTimeFormatA(locale, overrideFlag, &systemTime, nullptr, buffer, sizeof buffer) <= 0)
            std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", fields.hour, fields.minute,
                          fields.second);
        if (!text.IsEmpty())
            text += ' ';
        text += buffer;
    }
    return text;
}

bool COleDateTime::ParseIsoDateTime(const char* text, DWORD flags, bool& recognised)
{
    recognised = false;
    const char* p = text;
    int year, month, day, hour = 0, minute = 0, second = 0;
    SkipBlanks(p);
    if (!SkipDigits(p, 4, 4, year) || *p++ != '-' || !SkipDigits(p, 1, 2, month) ||
        *p++ != '-' || !SkipDigits(p, 1, 2, day))
        return false;
    SkipBlanks(p);
    if (*p != '\0') {
        if (*p == 'T' && p[-1] != ' ')
            ++p;
        else if (p[-1] != ' ' && p[-1] != '\t')
            return false;
        if (!SkipDigits(p, 1, 2, hour) || *p++ != ':' || !SkipDigits(p, 2, 2, minute))
            return false;
        if (*p == ':') {
            ++p;
            if (!SkipDigits(p, 2, 2, second))
                return false;
        }
        SkipBlanks(p);
        if (*p != '\0')
            return false;
    }

    recognised = true;
    if (!AreValidFields(year, month, day, hour, minute, second)) {
        SetInvalid();
        return false;
    }
    if (flags & VAR_TIMEVALUEONLY)
        return SetTime(hour, minute, second) == 0;
    if (flags & VAR_DATEVALUEONLY)
        return SetDate(year, month, day) == 0;
    return SetDateTime(year, month, day, hour, minute, second) == 0;
}

bool COleDateTime::ParseDateTime(const char* text, DWORD flags, LCID locale)
{
    if (text == nullptr) {
        SetInvalid();
        return false;
    }
    bool recognised = false;
    const bool parsed = ParseIsoDateTime(text, flags, recognised);
    if (recognised)
        return parsed;

    BSTR wideText = AllocBstrFromNarrow(text);
    DATE date = 0.0;
    const HRESULT result = VarDateFromStr(wideText, locale, flags, &date);
    SysFreeString(wideText);
    if (FAILED(result)) {
        SetInvalid();
        return false;
    }
    *this = date;
    if (m_status != valid)
        SetInvalid();
    return m_status == valid;
}
