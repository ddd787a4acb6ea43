#include "framework/COleCurrency.h"

#include <climits>

#include "framework/OleTextConversion.h"

namespace {

constexpr LONGLONG FractionsPerUnit = 10000;

// Status of a result of two operands: null wins over invalid; 'valid' when both are valid.
COleCurrency::CurrencyStatus CombinedStatus(const COleCurrency& left, const COleCurrency& right)
{
    if (left.GetStatus() == COleCurrency::null || right.GetStatus() == COleCurrency::null)
        return COleCurrency::null;
    if (left.GetStatus() == COleCurrency::invalid || right.GetStatus() == COleCurrency::invalid)
        return COleCurrency::invalid;
    return COleCurrency::valid;
}

COleCurrency WithStatus(COleCurrency::CurrencyStatus status)
{
    COleCurrency result;
    result.SetStatus(status);
    return result;
}

}  // namespace

COleCurrency::COleCurrency() : m_status(valid)
{
    m_cur.int64 = 0;
}

COleCurrency::COleCurrency(CY value) : m_cur(value), m_status(valid) {}

COleCurrency::COleCurrency(long units, long fractionalUnits) : m_status(valid)
{
    SetCurrency(units, fractionalUnits);
}

COleCurrency& COleCurrency::operator=(CY value)
{
    m_cur = value;
    m_status = valid;
    return *this;
}

void COleCurrency::SetCurrency(long units, long fractionalUnits)
{
    // 32-bit parts cannot overflow the 64-bit amount.
    m_cur.int64 = static_cast<LONGLONG>(units) * FractionsPerUnit + fractionalUnits;
    m_status = valid;
}

void COleCurrency::SetInvalid()
{
    m_cur.int64 = 0;
    m_status = invalid;
}

COleCurrency COleCurrency::FromAmount(bool overflow, LONGLONG amount)
{
    COleCurrency result;
    if (overflow)
        result.SetInvalid();
    else
        result.m_cur.int64 = amount;
    return result;
}

bool COleCurrency::operator==(const COleCurrency& other) const
{
    if (m_status != other.m_status)
        return false;
    return m_status != valid || m_cur.int64 == other.m_cur.int64;
}

bool COleCurrency::operator!=(const COleCurrency& other) const
{
    return !(*this == other);
}

bool COleCurrency::operator<(const COleCurrency& other) const
{
    return CombinedStatus(*this, other) == valid && m_cur.int64 < other.m_cur.int64;
}

bool COleCurrency::operator>(const COleCurrency& other) const
{
    return CombinedStatus(*this, other) == valid && m_cur.int64 > other.m_cur.int64;
}

bool COleCurrency::operator<=(const COleCurrency& other) const
{
    return CombinedStatus(*this, other) == valid && m_cur.int64 <= other.m_cur.int64;
}

bool COleCurrency::operator>=(const COleCurrency& other) const
{
    return CombinedStatus(*this, other) == valid && m_cur.int64 >= other.m_cur.int64;
}

COleCurrency COleCurrency::operator+(const COleCurrency& other) const
{
    const CurrencyStatus status = CombinedStatus(*this, other);
    if (status != valid)
        return WithStatus(status);
    LONGLONG sum;
    const bool overflow = __builtin_add_overflow(m_cur.int64, other.m_cur.int64, &sum);
    return FromAmount(overflow, sum);
}

COleCurrency COleCurrency::operator-(const COleCurrency& other) const
{
    const CurrencyStatus status = CombinedStatus(*this, other);
    if (status != valid)
        return WithStatus(status);
    LONGLONG difference;
    const bool overflow = __builtin_sub_overflow(m_cur.int64, other.m_cur.int64, &difference);
    return FromAmount(overflow, difference);
}

COleCurrency COleCurrency::operator-() const
{
    if (m_status != valid)
        return WithStatus(m_status);
    return FromAmount(m_cur.int64 == LLONG_MIN, m_cur.int64 == LLONG_MIN ? 0 : -m_cur.int64);
}

COleCurrency COleCurrency::operator*(long factor) const
{
    if (m_status != valid)
        return WithStatus(m_status);
    LONGLONG product;
    const bool overflow =
        __builtin_mul_overflow(m_cur.int64, static_cast<LONGLONG>(factor), &product);
    return FromAmount(overflow, product);
}

COleCurrency COleCurrency::operator/(long divisor) const
{
    if (m_status != valid)
        return WithStatus(m_status);
    const bool undefined = divisor == 0 || (divisor == -1 && m_cur.int64 == LLONG_MIN);
    return FromAmount(undefined, undefined ? 0 : m_cur.int64 / divisor);
}

COleCurrency& COleCurrency::operator+=(const COleCurrency& other)
{
    return *this = *this + other;
}

COleCurrency& COleCurrency::operator-=(const COleCurrency& other)
{
    return *this = *this - other;
}

COleCurrency& COleCurrency::operator*=(long factor)
{
    return *this = *this * factor;
}

COleCurrency& COleCurrency::operator/=(long divisor)
{
    return *this = *this / divisor;
}

CString COleCurrency::Format(DWORD flags, LCID locale) const
{
    if (m_status == null)
        return CString();
    if (m_status != valid)
        return CString("Invalid Currency");
    BSTR text = nullptr;
    if (FAILED(VarBstrFromCy(m_cur, locale, flags, &text)))
        return CString("Invalid Currency");
    CString result = NarrowFromBstr(text);
    SysFreeString(text);
    return result;
}

bool COleCurrency::ParseCurrency(const char* text, DWORD flags, LCID locale)
{
    if (text == nullptr) {
        SetInvalid();
        return false;
    }
    BSTR wideText = AllocBstrFromNarrow(text);
    CY value;
    const HRESULT result = VarCyFromStr(wideText, locale, flags, &value);
    SysFreeString(wideText);
    if (FAILED(result)) {
        SetInvalid();
        return false;
    }
    *this = value;
    return true;
}
