#include "uilib/CBNFlatButton.h"
#include "uilib/CBNBufferedPaint.h"
#include "uilib/SystemFonts.h"
#include "framework/CDC.h"
#include "framework/CWindowDC.h"
#include "framework/MessageMap.h"
#include "framework/ResourceHandle.h"
#include "res/pyraxis_bars_resource.h"

IMPLEMENT_DYNAMIC(CBNFlatButton, CButton)

BEGIN_MESSAGE_MAP(CBNFlatButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_TIMER()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_SETCURSOR()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
END_MESSAGE_MAP()

namespace
{
// Hot tracking looks at the cursor this often while it is over the button.
const UINT_PTR kHotTimer = 1;
const UINT kHotInterval = 10;
} // namespace

CBNFlatButton::CBNFlatButton()
{
    m_clrDarkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
    m_clrDisabledText = ::GetSysColor(COLOR_GRAYTEXT);
    LoadSystemColors();
    m_hCursorHand = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(IDC_BN_HAND));
    UpdateFont();
}

CBNFlatButton::~CBNFlatButton()
{
    // Destroy while this class's handlers still run.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
}

void CBNFlatButton::LoadSystemColors()
{
    m_clrFace = ::GetSysColor(COLOR_BTNFACE);
    m_clrHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    m_clrText = ::GetSysColor(COLOR_BTNTEXT);
}

void CBNFlatButton::UpdateFont()
{
    LOGFONTA font;
    if (!GetSystemMessageLogFontA(font))
        return;
    m_fontOwn.DeleteObject();
    m_fontOwn.CreateFontIndirect(&font);
}

void CBNFlatButton::SetButtonFont(CFont* pFont)
{
    m_pButtonFont = pFont;
    if (m_hWnd != nullptr)
        Invalidate();
}

void CBNFlatButton::SetAlternateColors(COLORREF clrFace, COLORREF clrHighlight, COLORREF clrShadow, COLORREF clrText)
{
    m_clrAltFace = m_clrFace = clrFace;
    m_clrAltHighlight = m_clrHighlight = clrHighlight;
    m_clrAltShadow = m_clrShadow = clrShadow;
    m_clrAltText = m_clrText = clrText;
    m_bAlternateColors = TRUE;
    if (m_hWnd != nullptr)
        Invalidate();
}

void CBNFlatButton::DisableFlatLook(BOOL bFlat)
{
    m_bFlatLook = bFlat;
    if (m_hWnd != nullptr)
        Invalidate(TRUE);
}

void CBNFlatButton::SetIcon(HICON hIcon, CSize size)
{
    m_sizeIcon = size;
    CButton::SetIcon(hIcon);
}

void CBNFlatButton::SetIcon(HICON hIcon, HICON hIconPushed, CSize size)
{
    m_hIconPushed = hIconPushed;
    SetIcon(hIcon, size);
}

CPoint CBNFlatButton::IconOrigin(const CRect& rectItem) const
{
    CRect rectWindow;
    GetClientRect(&rectWindow);
    if (rectWindow.IsRectEmpty())
        rectWindow = rectItem;
    return CPoint(rectWindow.left + (rectWindow.Width() - m_sizeIcon.cx) / 2,
                  rectWindow.top + (rectWindow.Height() - m_sizeIcon.cy) / 2);
}

void CBNFlatButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    CRect rect(lpDrawItemStruct->rcItem);
    const UINT nState = lpDrawItemStruct->itemState;
    const BOOL bPressed = (nState & ODS_SELECTED) != 0;

    pDC->FillSolidRect(&rect, m_clrFace);
    if (m_bFlatLook)
    {
        if (bPressed)
            pDC->Draw3dRect(&rect, m_clrShadow, m_clrHighlight);
        else
            pDC->Draw3dRect(&rect, m_clrFace, m_clrFace);
    }
    else
    {
        CRect rectInner = rect;
        pDC->Draw3dRect(&rect, bPressed ? m_clrDarkShadow : m_clrHighlight, bPressed ? m_clrHighlight : m_clrDarkShadow);
        rectInner.DeflateRect(1, 1);
        pDC->Draw3dRect(&rectInner, bPressed ? m_clrShadow : m_clrFace, bPressed ? m_clrFace : m_clrShadow);
    }

    const int nOldMode = pDC->SetBkMode(TRANSPARENT);
    DrawButtonText(pDC, nState, rect);
    DrawButtonIcon(pDC, nState, rect);
    DrawButtonBitmap(pDC, nState, rect);
    pDC->SetBkMode(nOldMode);
}

void CBNFlatButton::DrawButtonText(CDC* pDC, UINT nState, const CRect& rectItem)
{
    CString strText;
    GetWindowText(strText);
    if (strText.IsEmpty())
        return;
    CRect rect = rectItem;
    rect.DeflateRect(2, 0);
    if (nState & ODS_SELECTED)
        rect.OffsetRect(1, 1);
    pDC->SetTextColor((nState & ODS_DISABLED) ? m_clrDisabledText : m_clrText);
    CFont* pFont = m_pButtonFont != nullptr ? m_pButtonFont : &m_fontOwn;
    CFont* pOldFont = pFont->m_hObject != nullptr ? pDC->SelectObject(pFont) : nullptr;
    pDC->DrawText(strText, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (pOldFont != nullptr)
        pDC->SelectObject(pOldFont);
}

void CBNFlatButton::DrawButtonIcon(CDC* pDC, UINT nState, const CRect& rectItem)
{
    DrawIconFor(pDC, nState, rectItem, TRUE);
}

void CBNFlatButton::DrawIconFor(CDC* pDC, UINT nState, const CRect& rectItem, BOOL bGreyWhenDisabled)
{
    HICON hIcon = GetIcon();
    if (hIcon == nullptr)
        return;
    const BOOL bPressed = (nState & ODS_SELECTED) != 0;
    CPoint pt = IconOrigin(rectItem);
    if (bPressed && m_hIconPushed != nullptr)
        hIcon = m_hIconPushed;
    else if (bPressed)
        pt.Offset(1, 1);
    const UINT nFlags = (bGreyWhenDisabled && (nState & ODS_DISABLED)) ? DSS_DISABLED : DSS_NORMAL;
    pDC->DrawState(pt, m_sizeIcon, hIcon, nFlags, static_cast<HBRUSH>(nullptr));
}

void CBNFlatButton::DrawButtonBitmap(CDC* pDC, UINT nState, const CRect& rectItem)
{
    HBITMAP hBitmap = GetBitmap();
    if (hBitmap == nullptr)
        return;
    CPoint pt = rectItem.TopLeft();
    if (nState & ODS_SELECTED)
        pt.Offset(1, 1);
    const UINT nFlags = (nState & ODS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
    pDC->DrawState(pt, rectItem.Size(), hBitmap, nFlags, static_cast<HBRUSH>(nullptr));
}

void CBNFlatButton::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_bFlatLook)
    {
        SetTimer(kHotTimer, kHotInterval);
        OnTimer(kHotTimer);
    }
    CButton::OnMouseMove(nFlags, point);
}

void CBNFlatButton::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_bPressed = TRUE;
    CButton::OnLButtonDown(nFlags, point);
}

void CBNFlatButton::OnLButtonUp(UINT nFlags, CPoint point)
{
    m_bPressed = FALSE;
    CButton::OnLButtonUp(nFlags, point);
}

void CBNFlatButton::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    // A quick second click presses the button again instead of being lost.
    POINT ptCursor;
    ::GetCursorPos(&ptCursor);
    ::ScreenToClient(m_hWnd, &ptCursor);
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(ptCursor.x, ptCursor.y));
    CButton::OnLButtonDblClk(nFlags, point);
}

void CBNFlatButton::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kHotTimer)
    {
        CButton::OnTimer(nIDEvent);
        return;
    }
    POINT ptCursor;
    ::GetCursorPos(&ptCursor);
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    if (rectWindow.PtInRect(ptCursor) && !m_bPressed)
    {
        if (m_bFlatLook && !m_bHot)
        {
            CWindowDC dc(this);
            CRect rect;
            GetClientRect(&rect);
            dc.Draw3dRect(&rect, m_clrHighlight, m_clrShadow);
            m_bHot = TRUE;
        }
        return;
    }
    KillTimer(kHotTimer);
    if (m_bHot)
    {
        Invalidate();
        m_bHot = FALSE;
    }
}

void CBNFlatButton::OnSysColorChange()
{
    CButton::OnSysColorChange();
    m_clrDarkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
    m_clrDisabledText = ::GetSysColor(COLOR_GRAYTEXT);
    if (m_bAlternateColors)
    {
        m_clrFace = m_clrAltFace;
        m_clrHighlight = m_clrAltHighlight;
        m_clrShadow = m_clrAltShadow;
        m_clrText = m_clrAltText;
    }
    else
    {
        LoadSystemColors();
    }
}

BOOL CBNFlatButton::OnSetCursor(CWnd*, UINT, UINT)
{
    ::SetCursor(m_hCursorHand != nullptr ? m_hCursorHand : ::LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}

BOOL CBNFlatButton::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CBNFlatButton::OnPaint()
{
    // The button draws itself (through WM_DRAWITEM) into a memory bitmap first, so
    // that it never flickers.
    CBNBufferedPaint paint(this);
    paint.DC().FillSolidRect(&paint.ClientRect(), m_clrFace);
    paint.PaintDefault();
}

// --- Accessors ---------------------------------------------------------------------

BOOL CBNFlatButton::IsFlatLook() const
{
    return m_bFlatLook;
}

BOOL CBNFlatButton::IsHot() const
{
    return m_bHot;
}

BOOL CBNFlatButton::IsPressed() const
{
    return m_bPressed;
}

CSize CBNFlatButton::GetIconSize() const
{
    return m_sizeIcon;
}

COLORREF CBNFlatButton::GetFaceColor() const
{
    return m_clrFace;
}
