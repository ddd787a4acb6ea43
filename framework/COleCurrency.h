// An automation currency value: a 64-bit count of ten-thousandths of a unit, with a status.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include "framework/CString.h"

class COleCurrency
{
public:
    enum CurrencyStatus { valid = 0, invalid = 1, null = 2 };

    COleCurrency();
    COleCurrency(CY value);
    // units + fractionalUnits / 10,000; both carry their own sign (-1, -5000 is -1.5).
    COleCurrency(long units, long fractionalUnits);

    COleCurrency& operator=(CY value);
    void SetCurrency(long units, long fractionalUnits);

    CurrencyStatus GetStatus() const { return m_status; }
    void SetStatus(CurrencyStatus status) { m_status = status; }

    operator CY() const { return m_cur; }

    // Equal when both are valid with the same amount, or both have the same other status.
    bool operator==(const COleCurrency& other) const;
    bool operator!=(const COleCurrency& other) const;
    // Orderings are false when either value is not valid.
    bool operator<(const COleCurrency& other) const;
    bool operator>(const COleCurrency& other) const;
    bool operator<=(const COleCurrency& other) const;
    bool operator>=(const COleCurrency& other) const;

    // A null operand gives null, else an invalid one, an overflow or a division by zero
    // gives invalid.
    COleCurrency operator+(const COleCurrency& other) const;
    COleCurrency operator-(const COleCurrency& other) const;
    COleCurrency operator-() const;
    COleCurrency operator*(long factor) const;
    COleCurrency operator/(long divisor) const;
    COleCurrency& operator+=(const COleCurrency& other);
    COleCurrency& operator-=(const COleCurrency& other);
    COleCurrency& operator*=(long factor);
    COleCurrency& operator/=(long divisor);

    // The amount as automation writes it for the locale (no currency sign, only the digits
    // needed). Null gives an empty text, invalid "Invalid Currency".
    CString Format(DWORD flags = 0, LCID locale = LANG_USER_DEFAULT) const;
    // Reads the locale's number form; on failure the value becomes invalid and false is
    // returned.
    bool ParseCurrency(const char* text, DWORD flags = 0, LCID locale = LANG_USER_DEFAULT);

    CY m_cur;
    CurrencyStatus m_status;

private:
    static COleCurrency FromAmount(bool overflow, LONGLONG amount);
    void SetInvalid();
};
