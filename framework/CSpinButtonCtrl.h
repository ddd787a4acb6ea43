// Up-down (spin) control, usually with a buddy edit control.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"

#include <commctrl.h>

class CSpinButtonCtrl : public CWnd
{
    DECLARE_DYNAMIC(CSpinButtonCtrl)
public:
    CSpinButtonCtrl() = default;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    void SetRange(short nLower, short nUpper);
    void SetRange32(int nLower, int nUpper);
    void GetRange(int& nLower, int& nUpper) const;
    void GetRange32(int& nLower, int& nUpper) const;
    int SetPos(int nPos);
    int GetPos() const;
    int SetPos32(int nPos);
    // The position; *lpbError TRUE when the buddy's text is not a valid position.
    int GetPos32(LPBOOL lpbError = nullptr) const;
    CWnd* SetBuddy(CWnd* pWndBuddy);
    CWnd* GetBuddy() const;
    int SetBase(int nBase);
    BOOL SetAccel(int nAccel, UDACCEL* pAccel);
};
