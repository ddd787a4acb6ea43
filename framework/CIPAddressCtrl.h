// IPv4 address control: four fields of 0..255.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CIPAddressCtrl : public CWnd
{
    DECLARE_DYNAMIC(CIPAddressCtrl)
public:
    CIPAddressCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    void SetAddress(BYTE nField0, BYTE nField1, BYTE nField2, BYTE nField3);
    // dwAddress in host order: field 0 in the highest byte.
    void SetAddress(DWORD dwAddress);
    // The number of fields that are not blank; blank fields read as 0.
    int GetAddress(BYTE& nField0, BYTE& nField1, BYTE& nField2, BYTE& nField3) const;
    int GetAddress(DWORD& dwAddress) const;
    void ClearAddress();
    BOOL IsBlank() const;
    void SetFieldFocus(WORD nField);
    void SetFieldRange(int nField, BYTE nLower, BYTE nUpper);
};
