#include "framework/CSpinButtonCtrl.h"

#include "framework/CommonControls.h"

IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)

BOOL CSpinButtonCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls();
    return CWnd::Create(UPDOWN_CLASSA, nullptr, dwStyle, rect, pParentWnd, nID);
}

void CSpinButtonCtrl::SetRange(short nLower, short nUpper)
{
    SetRange32(nLower, nUpper);
}

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper)
{
    SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper);
}

void CSpinButtonCtrl::GetRange(int& nLower, int& nUpper) const
{
    GetRange32(nLower, nUpper);
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const
{
    SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
}

int CSpinButtonCtrl::SetPos(int nPos)
{
    return SetPos32(nPos);
}

int CSpinButtonCtrl::GetPos() const
{
    return GetPos32(nullptr);
}

int CSpinButtonCtrl::SetPos32(int nPos)
{
    return static_cast<int>(SendMessage(UDM_SETPOS32, 0, nPos));
}

int CSpinButtonCtrl::GetPos32(LPBOOL lpbError) const
{
    return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(lpbError)));
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* pWndBuddy)
{
    HWND previous = reinterpret_cast<HWND>(SendMessage(
        UDM_SETBUDDY, reinterpret_cast<WPARAM>(pWndBuddy != nullptr ? pWndBuddy->GetSafeHwnd() : nullptr)));
    return previous != nullptr ? CWnd::FromHandle(previous) : nullptr;
}

CWnd* CSpinButtonCtrl::GetBuddy() const
{
    HWND buddy = reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY));
    return buddy != nullptr ? CWnd::FromHandle(buddy) : nullptr;
}

int CSpinButtonCtrl::SetBase(int nBase)
{
    return static_cast<int>(SendMessage(UDM_SETBASE, static_cast<WPARAM>(nBase)));
}

BOOL CSpinButtonCtrl::SetAccel(int nAccel, UDACCEL* pAccel)
{
    return static_cast<BOOL>(SendMessage(UDM_SETACCEL, static_cast<WPARAM>(nAccel), reinterpret_cast<LPARAM>(pAccel)));
}
