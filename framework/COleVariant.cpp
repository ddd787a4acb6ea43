#include "framework/COleVariant.h"

#include <cstring>

#include "framework/COleException.h"
#include "framework/OleTextConversion.h"

namespace {

bool SameBstr(BSTR left, BSTR right)
{
    const UINT length = SysStringByteLen(left);
    return length == SysStringByteLen(right) &&
           (length == 0 || std::memcmp(left, right, length) == 0);
}

}  // namespace

COleVariant::COleVariant()
{
    VariantInit(this);
}

COleVariant::COleVariant(const VARIANT& source)
{
    VariantInit(this);
    CopyFrom(source);
}

COleVariant::COleVariant(LPCVARIANT source)
{
    VariantInit(this);
    if (source != nullptr)
        CopyFrom(*source);
}

COleVariant::COleVariant(const COleVariant& source) : tagVARIANT()
{
    VariantInit(this);
    CopyFrom(source);
}

COleVariant::COleVariant(const char* text)
{
    VariantInit(this);
    bstrVal = AllocBstrFromNarrow(text);
    vt = VT_BSTR;
}

COleVariant::COleVariant(const CString& text) : COleVariant(text.GetString()) {}

COleVariant::COleVariant(BYTE value)
{
    VariantInit(this);
    vt = VT_UI1;
    bVal = value;
}

COleVariant::COleVariant(short value, VARTYPE type)
{
    ASSERT(type == VT_I2 || type == VT_BOOL);
    VariantInit(this);
    if (type == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = value;
    }
}

COleVariant::COleVariant(int value, VARTYPE type) : COleVariant(static_cast<long>(value), type) {}

COleVariant::COleVariant(long value, VARTYPE type)
{
    ASSERT(type == VT_I4 || type == VT_ERROR);
    VariantInit(this);
    if (type == VT_ERROR) {
        vt = VT_ERROR;
        scode = value;
    } else {
        vt = VT_I4;
        lVal = value;
    }
}

COleVariant::COleVariant(float value)
{
    VariantInit(this);
    vt = VT_R4;
    fltVal = value;
}

COleVariant::COleVariant(double value, VARTYPE type)
{
    ASSERT(type == VT_R8 || type == VT_DATE);
    VariantInit(this);
    if (type == VT_DATE) {
        vt = VT_DATE;
        date = value;
    } else {
        vt = VT_R8;
        dblVal = value;
    }
}

COleVariant::COleVariant(bool value)
{
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

COleVariant::COleVariant(const COleCurrency& value)
{
    VariantInit(this);
    vt = VT_CY;
    cyVal = value.m_cur;
}

COleVariant::COleVariant(const COleDateTime& value)
{
    VariantInit(this);
    vt = VT_DATE;
    date = value.m_dt;
}

COleVariant::~COleVariant()
{
    VariantClear(this);
}

COleVariant& COleVariant::operator=(const COleVariant& source)
{
    if (&source != this)
        CopyFrom(source);
    return *this;
}

COleVariant& COleVariant::operator=(const VARIANT& source)
{
    if (&source != static_cast<const VARIANT*>(this))
        CopyFrom(source);
    return *this;
}

void COleVariant::CopyFrom(const VARIANT& source)
{
    // VariantCopy frees the destination first and duplicates strings and arrays, so the
    // copy is independent of the source.
    const HRESULT result = VariantCopy(this, const_cast<VARIANT*>(&source));
    if (FAILED(result))
        AfxThrowOleException(result);
}

bool COleVariant::operator==(const VARIANT& other) const
{
    if (&other == static_cast<const VARIANT*>(this))
        return true;
    if (other.vt != vt)
        return false;
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
        return true;
    case VT_BOOL:
        return boolVal == other.boolVal;
    case VT_I1:
        return cVal == other.cVal;
    case VT_UI1:
        return bVal == other.bVal;
    case VT_I2:
        return iVal == other.iVal;
    case VT_UI2:
        return uiVal == other.uiVal;
    case VT_I4:
    case VT_INT:
        return lVal == other.lVal;
    case VT_UI4:
    case VT_UINT:
        return ulVal == other.ulVal;
    case VT_I8:
        return llVal == other.llVal;
    case VT_UI8:
        return ullVal == other.ullVal;
    case VT_ERROR:
        return scode == other.scode;
    case VT_R4:
        return fltVal == other.fltVal;
    case VT_R8:
        return dblVal == other.dblVal;
    case VT_DATE:
        return date == other.date;
    case VT_CY:
        return cyVal.int64 == other.cyVal.int64;
    case VT_BSTR:
        return SameBstr(bstrVal, other.bstrVal);
    case VT_DECIMAL:
        // The first word of a DECIMAL is the variant's type, compared above.
        return decVal.scale == other.decVal.scale && decVal.sign == other.decVal.sign &&
               decVal.Hi32 == other.decVal.Hi32 && decVal.Lo64 == other.decVal.Lo64;
    default:
        // Objects, arrays and references are equal when they are the same one.
        return byref == other.byref;
    }
}

void COleVariant::Clear()
{
    VariantClear(this);
}

void COleVariant::ChangeType(VARTYPE type, LPVARIANT source)
{
    if (source == nullptr)
        source = this;
    if (source == this && type == vt)
        return;
    const HRESULT result = VariantChangeType(this, source, 0, type);
    if (FAILED(result))
        AfxThrowOleException(result);
}

void COleVariant::Attach(VARIANT& source)
{
    VariantClear(this);
    std::memcpy(static_cast<VARIANT*>(this), &source, sizeof(VARIANT));
    source.vt = VT_EMPTY;
}

VARIANT COleVariant::Detach()
{
    VARIANT contents;
    std::memcpy(&contents, static_cast<VARIANT*>(this), sizeof(VARIANT));
    vt = VT_EMPTY;
    return contents;
}
