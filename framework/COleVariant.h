// A VARIANT that owns its contents: copies are deep (a string is copied, not shared) and
// the destructor frees what it holds.
#pragma once
#include "framework/FrameworkBase.h"

#include <oleauto.h>

#include "framework/COleCurrency.h"
#include "framework/COleDateTime.h"
#include "framework/CString.h"

typedef const VARIANT* LPCVARIANT;

class COleVariant : public tagVARIANT
{
public:
    COleVariant();
    COleVariant(const VARIANT& source);
    COleVariant(LPCVARIANT source);  // null gives an empty variant
    COleVariant(const COleVariant& source);
    // Text as a VT_BSTR (converted from the ANSI code page); null gives a null BSTR.
    COleVariant(const char* text);
    COleVariant(const CString& text);
    COleVariant(BYTE value);                            // VT_UI1
    COleVariant(short value, VARTYPE type = VT_I2);     // VT_I2 or VT_BOOL
    COleVariant(int value, VARTYPE type = VT_I4);       // VT_I4 or VT_ERROR
    COleVariant(long value, VARTYPE type = VT_I4);      // VT_I4 or VT_ERROR
    COleVariant(float value);                           // VT_R4
    COleVariant(double value, VARTYPE type = VT_R8);    // VT_R8 or VT_DATE
    COleVariant(bool value);                            // VT_BOOL, -1 or 0
    COleVariant(const COleCurrency& value);             // VT_CY
    COleVariant(const COleDateTime& value);             // VT_DATE
    ~COleVariant();

    COleVariant& operator=(const COleVariant& source);
    COleVariant& operator=(const VARIANT& source);

    // Same type and same value; strings compare by their characters.
    bool operator==(const VARIANT& other) const;
    bool operator!=(const VARIANT& other) const { return !(*this == other); }

    void Clear();
    // Converts source (this variant when null) to the type and stores the result here.
    // Throws COleException* when the value cannot be converted.
    void ChangeType(VARTYPE type, LPVARIANT source = nullptr);
    // Takes over the contents of source, which is left empty.
    void Attach(VARIANT& source);
    // Hands the contents to the caller, who must clear them; this variant is left empty.
    VARIANT Detach();

    operator LPVARIANT() { return this; }
    operator LPCVARIANT() const { return this; }

private:
    void CopyFrom(const VARIANT& source);
};
