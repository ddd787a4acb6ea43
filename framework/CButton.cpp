#include "framework/CButton.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)

BEGIN_MESSAGE_MAP(CButton, CWnd)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create("BUTTON", lpszCaption, dwStyle, rect, pParentWnd, nID);
}

int CButton::GetCheck() const
{
    return static_cast<int>(SendMessage(BM_GETCHECK));
}

void CButton::SetCheck(int nCheck)
{
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck));
}

UINT CButton::GetState() const
{
    return static_cast<UINT>(SendMessage(BM_GETSTATE));
}

void CButton::SetState(BOOL bHighlight)
{
    SendMessage(BM_SETSTATE, static_cast<WPARAM>(bHighlight));
}

UINT CButton::GetButtonStyle() const
{
    return static_cast<UINT>(GetStyle() & 0xFFFF);
}

void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw)
{
    SendMessage(BM_SETSTYLE, nStyle, bRedraw);
}

bool CButton::IsOwnerDraw() const
{
    return (GetStyle() & BS_TYPEMASK) == BS_OWNERDRAW;
}

HBITMAP CButton::SetBitmap(HBITMAP hBitmap)
{
    HBITMAP previous = m_hBitmap;
    m_hBitmap = hBitmap;
    if (!IsOwnerDraw())
        previous = reinterpret_cast<HBITMAP>(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    else
        Invalidate();
    return previous;
}

HBITMAP CButton::GetBitmap() const
{
    if (IsOwnerDraw())
        return m_hBitmap;
    return reinterpret_cast<HBITMAP>(SendMessage(BM_GETIMAGE, IMAGE_BITMAP));
}

HICON CButton::SetIcon(HICON hIcon)
{
    HICON previous = m_hIcon;
    m_hIcon = hIcon;
    if (!IsOwnerDraw())
        previous = reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(hIcon)));
    else
        Invalidate();
    return previous;
}

HICON CButton::GetIcon() const
{
    if (IsOwnerDraw())
        return m_hIcon;
    return reinterpret_cast<HICON>(SendMessage(BM_GETIMAGE, IMAGE_ICON));
}

void CButton::DrawItem(LPDRAWITEMSTRUCT)
{
}
