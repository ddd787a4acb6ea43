// A signed length of time in days (the fraction being part of a day), as the difference of
// two automation dates. Spans longer than about 9,900 years either way are invalid.
#pragma once
#include "framework/FrameworkBase.h"

#include "framework/CString.h"

class COleDateTimeSpan
{
public:
    enum DateTimeSpanStatus { valid = 0, invalid = 1, null = 2 };

    // Longest span, in days, between the first and the last date an automation date can hold.
    static constexpr double MaxDays = 3615897.0;

    COleDateTimeSpan();
    COleDateTimeSpan(double days);
    COleDateTimeSpan(long days, int hours, int minutes, int seconds);

    COleDateTimeSpan& operator=(double days);
    void SetDateTimeSpan(long days, int hours, int minutes, int seconds);

    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    // Totals keep the fraction. Hours, minutes and seconds of a span are counted in whole
    // seconds (the nearest one), like the dates they separate.
    double GetTotalDays() const;
    double GetTotalHours() const;
    double GetTotalMinutes() const;
    double GetTotalSeconds() const;

    // Components of the span: whole days, then hours 0..23, minutes and seconds 0..59;
    // all carry the sign of the span.
    long GetDays() const;
    long GetHours() const;
    long GetMinutes() const;
    long GetSeconds() const;

    bool operator==(const COleDateTimeSpan& other) const;
    bool operator!=(const COleDateTimeSpan& other) const;
    // Orderings are false when either span is not valid.
    bool operator<(const COleDateTimeSpan& other) const;
    bool operator>(const COleDateTimeSpan& other) const;
    bool operator<=(const COleDateTimeSpan& other) const;
    bool operator>=(const COleDateTimeSpan& other) const;

    COleDateTimeSpan operator+(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-() const;
    COleDateTimeSpan operator*(double factor) const;
    COleDateTimeSpan operator/(double divisor) const;
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& other);
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& other);
    COleDateTimeSpan& operator*=(double factor);
    COleDateTimeSpan& operator/=(double divisor);

    // %D days, %H hours, %M minutes, %S seconds (two digits each), %% a percent sign; other
    // text is copied. A null span gives an empty text, an invalid one "Invalid DateTimeSpan".
    CString Format(const char* pattern) const;

    double m_span;
    DateTimeSpanStatus m_status;

private:
    long long RoundedSeconds() const;
    // Status of a result: null wins over invalid, then the result must lie in range.
    static COleDateTimeSpan Combine(const COleDateTimeSpan& left, const COleDateTimeSpan& right,
                                    double result);
};
