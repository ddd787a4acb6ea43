#include "uilib/CBNToolBarBase.h"

#include "framework/CDC.h"
#include "framework/CPaintDC.h"
#include "framework/CRect.h"
#include "framework/MessageMap.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CBNToolBarBase, CControlBar)

BEGIN_MESSAGE_MAP(CBNToolBarBase, CControlBar)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace
{
// Space a gripper takes at the leading edge: raised 10, in a rebar 7, plain 2 (the
// plain bars sit in the border space).
const int kGripperSpace = 7;
const int kRaisedGripperSpace = 10;
const int kPlainGripperBack = 5;

// A tool tip that came back from the owner without a text.
bool HasNoToolTipText(const NMHDR* pHeader)
{
    if (pHeader->code == TTN_NEEDTEXTA)
    {
        const auto* pInfo = reinterpret_cast<const NMTTDISPINFOA*>(pHeader);
        if (pInfo->lpszText == nullptr)
            return pInfo->szText[0] == '\0';
        return IS_INTRESOURCE(pInfo->lpszText) ? pInfo->lpszText == nullptr : pInfo->lpszText[0] == '\0';
    }
    const auto* pInfo = reinterpret_cast<const NMTTDISPINFOW*>(pHeader);
    if (pInfo->lpszText == nullptr)
        return pInfo->szText[0] == L'\0';
    return IS_INTRESOURCE(pInfo->lpszText) ? pInfo->lpszText == nullptr : pInfo->lpszText[0] == L'\0';
}
} // namespace

CBNToolBarBase::CBNToolBarBase() : m_bInReBar(FALSE), m_bGripper(FALSE)
{
}

CBNToolBarBase::~CBNToolBarBase()
{
}

BOOL CBNToolBarBase::IsInReBar() const
{
    return m_bInReBar;
}

BOOL CBNToolBarBase::HasRaisedGripper() const
{
    return m_bGripper;
}

void CBNToolBarBase::SetBorders(int cxLeft, int cyTop, int cxRight, int cyBottom)
{
    CControlBar::SetBorders(cxLeft, cyTop, cxRight, cyBottom);
}

void CBNToolBarBase::SetBorders(const RECT* lpRect)
{
    CControlBar::SetBorders(lpRect);
}

LRESULT CBNToolBarBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_NOTIFY:
    case WM_COMMAND:
    {
        // The bar's own handlers first; then its owner (the parent without one), which
        // runs the commands and draws the menus of the bar's buttons.
        LRESULT lResult = 0;
        if (OnWndMsg(message, wParam, lParam, &lResult))
            return lResult;
        CWnd* pOwner = GetOwner();
        if (pOwner == nullptr || pOwner->m_hWnd == nullptr)
            return CWnd::WindowProc(message, wParam, lParam);
        lResult = ::SendMessage(pOwner->m_hWnd, message, wParam, lParam);
        // A tool tip the owner had no text for gets the command's own tip.
        if (message == WM_NOTIFY)
        {
            const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
            if ((pHeader->code == TTN_NEEDTEXTA || pHeader->code == TTN_NEEDTEXTW) && HasNoToolTipText(pHeader))
                return CWnd::WindowProc(message, wParam, lParam);
        }
        return lResult;
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CBNToolBarBase::CalcInsideRect(CRect& rect, BOOL bHorz) const
{
    CalcBorderInsets(rect, bHorz);
    if ((m_dwStyle & CBRS_GRIPPER) && !(m_dwStyle & CBRS_FLOATING))
    {
        int nSpace = m_bGripper ? kRaisedGripperSpace : kGripperSpace;
        if (!m_bGripper && !m_bInReBar)
            nSpace -= kPlainGripperBack;
        if (bHorz)
            rect.left += nSpace;
        else
            rect.top += nSpace;
    }
}

void CBNToolBarBase::DoPaint(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(pDC, rect);
    DrawGripper(pDC, rect);
}

void CBNToolBarBase::DrawBorders(CDC* pDC, CRect& rect)
{
    const DWORD dwBorders = m_dwStyle & CBRS_BORDER_ANY;
    if (dwBorders == 0)
        return;
    const int cx = ::GetSystemMetrics(SM_CXBORDER);
    const int cy = ::GetSystemMetrics(SM_CYBORDER);
    const COLORREF clrHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);

    if (m_bInReBar)
    {
        const COLORREF clr =
            (::GetVersion() & 0x80000000u) ? ::GetSysColor(COLOR_WINDOWFRAME) : ::GetSysColor(COLOR_BTNSHADOW);
        const BOOL b3D = (m_dwStyle & CBRS_BORDER_3D) != 0;
        // With the 3-D look the dark lines on the right and bottom move in to make room
        // for the light ones on the outer edge.
        const int nRightIn = b3D ? cx : 0;
        const int nBottomIn = b3D ? cy : 0;
        const int yTop = rect.top + ((dwBorders & CBRS_BORDER_TOP) ? cy : 0);
        const int yBottom = rect.bottom - ((dwBorders & CBRS_BORDER_BOTTOM) ? cy : 0);
        if (dwBorders & CBRS_BORDER_TOP)
            pDC->FillSolidRect(rect.left, rect.top, rect.Width(), cy, clr);
        if (dwBorders & CBRS_BORDER_BOTTOM)
            pDC->FillSolidRect(rect.left, rect.bottom - cy - nBottomIn, rect.Width(), cy, clr);
        if (dwBorders & CBRS_BORDER_LEFT)
            pDC->FillSolidRect(rect.left, yTop, cx, yBottom - yTop, clr);
        if (dwBorders & CBRS_BORDER_RIGHT)
            pDC->FillSolidRect(rect.right - cx - nRightIn, yTop, cx, yBottom - yTop, clr);
        if (b3D)
        {
            if (dwBorders & CBRS_BORDER_TOP)
                pDC->FillSolidRect(rect.left, rect.top + cy, rect.Width(), 1, clrHighlight);
            if (dwBorders & CBRS_BORDER_LEFT)
                pDC->FillSolidRect(rect.left + cx, yTop, 1, yBottom - yTop, clrHighlight);
            if (dwBorders & CBRS_BORDER_BOTTOM)
                pDC->FillSolidRect(rect.left, rect.bottom - cy, rect.Width(), cy, clrHighlight);
            if (dwBorders & CBRS_BORDER_RIGHT)
                pDC->FillSolidRect(rect.right - cx, yTop, cx, yBottom - yTop, clrHighlight);
        }
        if (dwBorders & CBRS_BORDER_TOP)
            rect.top += cy;
        if (dwBorders & CBRS_BORDER_BOTTOM)
            rect.bottom -= cy;
        if (dwBorders & CBRS_BORDER_LEFT)
            rect.left += cx;
        if (dwBorders & CBRS_BORDER_RIGHT)
            rect.right -= cx;
        return;
    }

    // Flat: light on the top and left, dark on the right and bottom, one pixel each.
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    if (dwBorders & CBRS_BORDER_RIGHT)
        pDC->FillSolidRect(rect.right - 1, rect.top, 1, rect.Height(), clrShadow);
    if (dwBorders & CBRS_BORDER_BOTTOM)
        pDC->FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, clrShadow);
    if (dwBorders & CBRS_BORDER_TOP)
        pDC->FillSolidRect(rect.left, rect.top, rect.Width(), 1, clrHighlight);
    if (dwBorders & CBRS_BORDER_LEFT)
        pDC->FillSolidRect(rect.left, rect.top, 1, rect.Height(), clrHighlight);
    if (dwBorders & CBRS_BORDER_TOP)
        rect.top += 1;
    if (dwBorders & CBRS_BORDER_BOTTOM)
        rect.bottom -= 1;
    if (dwBorders & CBRS_BORDER_LEFT)
        rect.left += 1;
    if (dwBorders & CBRS_BORDER_RIGHT)
        rect.right -= 1;
}

void CBNToolBarBase::DrawGripper(CDC* pDC, const CRect& rect)
{
    if ((m_dwStyle & CBRS_FLOATING) || !(m_dwStyle & CBRS_GRIPPER))
        return;
    const COLORREF clrHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;

    // One 3-pixel bar across the bar's length at an offset from the leading edge,
    // shortened at its two ends.
    auto drawBar = [&](int nOffset, int nStartInset, int nEndInset, BOOL bDot) {
        CRect bar;
        if (bHorz)
            bar = CRect(rect.left + nOffset, rect.top + 2 + nStartInset, rect.left + nOffset + 3,
                        rect.top + 2 + rect.Height() - 4 - nEndInset);
        else
            bar = CRect(rect.left + 2 + nStartInset, rect.top + nOffset, rect.left + 2 + rect.Width() - 4 - nEndInset,
                        rect.top + nOffset + 3);
        pDC->Draw3dRect(&bar, clrHighlight, clrShadow);
        // The raised look: a light pixel on the dark edge near the far end.
        if (bDot)
        {
            if (bHorz)
                pDC->SetPixelV(bar.right - 1, bar.bottom - 3, clrHighlight);
            else
                pDC->SetPixelV(bar.right - 3, bar.bottom - 1, clrHighlight);
        }
    };

    if (m_bGripper)
    {
        drawBar(3, 0, 0, TRUE);
        drawBar(6, 0, 0, TRUE);
    }
    else if (m_bInReBar)
    {
        drawBar(2, m_cyTopBorder, m_cyBottomBorder, FALSE);
    }
    else
    {
        drawBar(1, 0, 0, FALSE);
        drawBar(5, 0, 0, FALSE);
    }
    ::GdiFlush();
}

void CBNToolBarBase::OnWindowPosChanging(WINDOWPOS* lpWndPos)
{
    CRect rectOld;
    GetWindowRect(&rectOld);
    Default();
    if (lpWndPos->flags & SWP_NOSIZE)
        return;
    // The right and bottom borders move with the size: repaint where they were and are.
    const int cx = ::GetSystemMetrics(SM_CXBORDER);
    const int cy = ::GetSystemMetrics(SM_CYBORDER);
    if (m_dwStyle & CBRS_BORDER_RIGHT)
    {
        CRect strip(rectOld.Width() - cx, 0, rectOld.Width(), rectOld.Height());
        InvalidateRect(&strip);
        strip = CRect(lpWndPos->cx - cx, 0, lpWndPos->cx, lpWndPos->cy);
        InvalidateRect(&strip);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
    {
        CRect strip(0, rectOld.Height() - cy, rectOld.Width(), rectOld.Height());
        InvalidateRect(&strip);
        strip = CRect(0, lpWndPos->cy - cy, lpWndPos->cx, lpWndPos->cy);
        InvalidateRect(&strip);
    }
}

void CBNToolBarBase::OnPaint()
{
    CPaintDC dc(this);
    if (IsVisible())
        DoPaint(&dc);
}
