#include "framework/CStatusBarCtrl.h"

#include "framework/CommonControls.h"

IMPLEMENT_DYNAMIC(CStatusBarCtrl, CWnd)

BOOL CStatusBarCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    AfxInitCommonControls();
    return CWnd::Create(STATUSCLASSNAMEA, nullptr, dwStyle, rect, pParentWnd, nID);
}

BOOL CStatusBarCtrl::SetParts(int nParts, int* pWidths)
{
    return static_cast<BOOL>(SendMessage(SB_SETPARTS, static_cast<WPARAM>(nParts), reinterpret_cast<LPARAM>(pWidths)));
}

int CStatusBarCtrl::GetParts(int nParts, int* pParts) const
{
    return static_cast<int>(SendMessage(SB_GETPARTS, static_cast<WPARAM>(nParts), reinterpret_cast<LPARAM>(pParts)));
}

BOOL CStatusBarCtrl::SetText(LPCTSTR lpszText, int nPane, int nType)
{
    return static_cast<BOOL>(SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nPane | nType), reinterpret_cast<LPARAM>(lpszText)));
}

CString CStatusBarCtrl::GetText(int nPane, int* pType) const
{
    const LRESULT lengthAndType = SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nPane));
    const int length = LOWORD(lengthAndType);
    CString text;
    SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(text.GetBufferSetLength(length + 1)));
    text.ReleaseBuffer(length);
    if (pType != nullptr)
        *pType = HIWORD(lengthAndType);
    return text;
}

void CStatusBarCtrl::SetSimple(BOOL bSimple)
{
    SendMessage(SB_SIMPLE, static_cast<WPARAM>(bSimple));
}

BOOL CStatusBarCtrl::IsSimple() const
{
    return static_cast<BOOL>(SendMessage(SB_ISSIMPLE));
}

BOOL CStatusBarCtrl::GetBorders(int* pBorders) const
{
    return static_cast<BOOL>(SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(pBorders)));
}

BOOL CStatusBarCtrl::GetBorders(int& nHorz, int& nVert, int& nSpacing) const
{
    int borders[3] = {};
    const BOOL result = GetBorders(borders);
    nHorz = borders[0];
    nVert = borders[1];
    nSpacing = borders[2];
    return result;
}

void CStatusBarCtrl::SetMinHeight(int nMin)
{
    SendMessage(SB_SETMINHEIGHT, static_cast<WPARAM>(nMin));
}

BOOL CStatusBarCtrl::GetRect(int nPane, LPRECT lpRect) const
{
    return static_cast<BOOL>(SendMessage(SB_GETRECT, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(lpRect)));
}

BOOL CStatusBarCtrl::SetIcon(int nPane, HICON hIcon)
{
    return static_cast<BOOL>(SendMessage(SB_SETICON, static_cast<WPARAM>(nPane), reinterpret_cast<LPARAM>(hIcon)));
}
