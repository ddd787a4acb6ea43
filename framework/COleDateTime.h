// A point in time as an automation date: days since 30 December 1899, the fraction being the
// time of day. Before that day the whole part counts back while the fraction still counts
// forward from midnight (-1.25 is 29 December 1899, 6:00). Dates run from the year 100 to
// 9999 and are resolved to whole seconds.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include <ctime>

#include "framework/COleDateTimeSpan.h"
#include "framework/CString.h"

class COleDateTime
{
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    // 30 December 1899, midnight.
    COleDateTime();
    // Dates outside the years 100 to 9999 (or not a number) are invalid.
    COleDateTime(DATE date);
    // The milliseconds are dropped.
    COleDateTime(const SYSTEMTIME& systemTime);
    // A file time is UTC; the date holds the local time of that moment.
    COleDateTime(const FILETIME& fileTime);
    // Seconds since 1970 (UTC) as local time; time_t is the same type here.
    COleDateTime(__time64_t time);
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    COleDateTime& operator=(DATE date);
    COleDateTime& operator=(const SYSTEMTIME& systemTime);
    COleDateTime& operator=(const FILETIME& fileTime);
    COleDateTime& operator=(__time64_t time);

    static COleDateTime GetCurrentTime();

    // 0 when the fields make a real date and time, else 1 and the status becomes invalid
    // (for example 30 February or hour 24). SetTime keeps the date at 30 December 1899.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day);
    int SetTime(int hour, int minute, int second);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }

    // False (and the output untouched) when the date is not valid.
    bool GetAsSystemTime(SYSTEMTIME& systemTime) const;
    // The fields taken as local time, as seconds since 1970; false when the C library cannot
    // represent them.
    bool GetAsTime64(__time64_t& time) const;

    // Calendar fields, rounded to the nearest second; -1 when the date is not valid.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    int GetDayOfYear() const;  // 1 = 1 January

    operator DATE() const { return m_dt; }

    // Equal when both are valid and the same moment, or both have the same other status.
    bool operator==(const COleDateTime& other) const;
    bool operator!=(const COleDateTime& other) const;
    // Orderings are false when either date is not valid.
    bool operator<(const COleDateTime& other) const;
    bool operator>(const COleDateTime& other) const;
    bool operator<=(const COleDateTime& other) const;
    bool operator>=(const COleDateTime& other) const;

    // A null operand gives null, else an invalid one (or a result out of range) invalid.
    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span);
    COleDateTime& operator-=(const COleDateTimeSpan& span);
    COleDateTimeSpan operator-(const COleDateTime& other) const;

    // strftime conversions (%Y, %m, %d, %H, %M, %S, %a, %B, %j, %#d ...); every year from
    // 100 on is printed. Null gives an empty text, invalid "Invalid DateTime".
    CString Format(const char* pattern) const;
    // The locale's short date and time separated by a blank. Without flags the time is left
    // out at midnight and the date for a time on 30 December 1899; VAR_DATEVALUEONLY and
    // VAR_TIMEVALUEONLY choose one part, LOCALE_NOUSEROVERRIDE ignores the user's settings.
    CString Format(DWORD flags = 0, LCID locale = LANG_USER_DEFAULT) const;

    // Reads "2012-03-15 10:20:30" (also with a T, or without seconds or time) and the
    // locale's forms; VAR_DATEVALUEONLY and VAR_TIMEVALUEONLY keep one part. On failure the
    // date becomes invalid and false is returned.
    bool ParseDateTime(const char* text, DWORD flags = 0, LCID locale = LANG_USER_DEFAULT);

    DATE m_dt;
    DateTimeStatus m_status;

private:
    static COleDateTime FromLinear(double days);
    static COleDateTime Combine(const COleDateTime& date, const COleDateTimeSpan& span,
                                double days);
    bool ParseIsoDateTime(const char* text, DWORD flags, bool& recognised);
    void SetInvalid();
};
