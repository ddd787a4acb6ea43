#include "uilib/CBNFlatComboBox.h"

#include "framework/CDC.h"
#include "framework/CRect.h"
#include "framework/MessageMap.h"
#include "uilib/CBNBufferedPaint.h"

IMPLEMENT_DYNCREATE(CBNFlatComboBox, CComboBox)

BEGIN_MESSAGE_MAP(CBNFlatComboBox, CComboBox)
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_PAINT()
    ON_CONTROL_REFLECT(CBN_SETFOCUS, OnSetFocus)
    ON_CONTROL_REFLECT(CBN_KILLFOCUS, OnKillFocus)
    ON_CONTROL_REFLECT(CBN_EDITUPDATE, OnEditUpdate)
END_MESSAGE_MAP()

namespace
{
const UINT_PTR kHotTimer = 1;
const UINT kHotTimerInterval = 10;
} // namespace

CBNFlatComboBox::CBNFlatComboBox()
    : m_bLBtnDown(FALSE), m_bPainted(FALSE), m_bHasFocus(FALSE), m_bAutoComp(FALSE),
      m_clrBtnHilite(::GetSysColor(COLOR_BTNHIGHLIGHT)), m_clrBtnShadow(::GetSysColor(COLOR_BTNSHADOW)),
      m_clrBtnFace(::GetSysColor(COLOR_BTNFACE))
{
}

CBNFlatComboBox::~CBNFlatComboBox()
{
}

BOOL CBNFlatComboBox::IsWin95()
{
    const DWORD dwVersion = ::GetVersion();
    return (dwVersion & 0x80000000u) != 0 && LOBYTE(LOWORD(dwVersion)) == 4 && HIBYTE(LOWORD(dwVersion)) == 0;
}

void CBNFlatComboBox::EnableAutoCompletion(BOOL bEnable)
{
    m_bAutoComp = bEnable;
}

BOOL CBNFlatComboBox::IsAutoCompletionEnabled() const
{
    return m_bAutoComp;
}

BOOL CBNFlatComboBox::IsDrawnRaised() const
{
    return m_bPainted;
}

BOOL CBNFlatComboBox::IsPressed() const
{
    return m_bLBtnDown;
}

BOOL CBNFlatComboBox::HasFocusFlag() const
{
    return m_bHasFocus;
}

BOOL CBNFlatComboBox::PointInRect()
{
    POINT point;
    ::GetCursorPos(&point);
    CRect rect;
    GetWindowRect(&rect);
    return rect.PtInRect(point);
}

void CBNFlatComboBox::DrawCombo(STATE eState, COLORREF clrTopLeft, COLORREF clrBottomRight, CDC* pDC)
{
    HDC hWindowDC = nullptr;
    CDC windowDC;
    if (pDC == nullptr)
    {
        hWindowDC = ::GetDC(m_hWnd);
        windowDC.Attach(hWindowDC);
        pDC = &windowDC;
    }
    const BOOL bEnabled = IsWindowEnabled();
    CRect rect;
    GetClientRect(&rect);
    pDC->Draw3dRect(&rect, clrTopLeft, clrBottomRight);
    rect.DeflateRect(1, 1);
    const COLORREF clrInner = bEnabled ? m_clrBtnFace : m_clrBtnHilite;
    pDC->Draw3dRect(&rect, clrInner, clrInner);

    // The drop button area: the rightmost thumb's width one more pixel in.
    rect.DeflateRect(1, 1);
    rect.left = rect.right - ::GetSystemMetrics(SM_CXHTHUMB);
    CRect button(rect);
    pDC->Draw3dRect(&button, m_clrBtnFace, m_clrBtnFace);
    button.DeflateRect(1, 1);
    pDC->Draw3dRect(&button, m_clrBtnFace, m_clrBtnFace);

    if (bEnabled)
    {
        rect.InflateRect(0, 1);
        switch (eState)
        {
        case FC_DRAWNORMAL:
            pDC->Draw3dRect(&rect, m_clrBtnHilite, m_clrBtnHilite);
            rect.left -= 1;
            pDC->Draw3dRect(&rect, m_clrBtnHilite, m_clrBtnHilite);
            break;
        case FC_DRAWRAISED:
            pDC->Draw3dRect(&rect, m_clrBtnHilite, m_clrBtnShadow);
            break;
        case FC_DRAWPRESSD:
            rect.OffsetRect(1, 1);
            pDC->Draw3dRect(&rect, m_clrBtnShadow, m_clrBtnHilite);
            break;
        }
    }
    if (hWindowDC != nullptr)
    {
        windowDC.Detach();
        ::ReleaseDC(m_hWnd, hWindowDC);
    }
}

void CBNFlatComboBox::UpdateHotState()
{
    if (m_bLBtnDown)
    {
        KillTimer(kHotTimer);
        if (m_bPainted)
        {
            DrawCombo(FC_DRAWPRESSD, m_clrBtnShadow, m_clrBtnHilite);
            m_bPainted = FALSE;
        }
        return;
    }
    if (PointInRect() || m_bHasFocus)
    {
        if (!m_bPainted)
        {
            DrawCombo(FC_DRAWRAISED, m_clrBtnShadow, m_clrBtnHilite);
            m_bPainted = TRUE;
        }
        return;
    }
    KillTimer(kHotTimer);
    if (m_bPainted)
    {
        DrawCombo(FC_DRAWNORMAL, m_clrBtnFace, m_clrBtnFace);
        m_bPainted = FALSE;
    }
}

void CBNFlatComboBox::OnMouseMove(UINT, CPoint)
{
    SetTimer(kHotTimer, kHotTimerInterval);
    UpdateHotState();
    Default();
}

void CBNFlatComboBox::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != kHotTimer)
    {
        Default();
        return;
    }
    UpdateHotState();
}

void CBNFlatComboBox::OnLButtonDown(UINT, CPoint)
{
    m_bLBtnDown = TRUE;
    Default();
}

void CBNFlatComboBox::OnLButtonUp(UINT, CPoint)
{
    m_bLBtnDown = FALSE;
    Invalidate();
    Default();
}

BOOL CBNFlatComboBox::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CBNFlatComboBox::OnSysColorChange()
{
    Default();
    m_clrBtnHilite = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_clrBtnShadow = ::GetSysColor(COLOR_BTNSHADOW);
    m_clrBtnFace = ::GetSysColor(COLOR_BTNFACE);
}

void CBNFlatComboBox::OnPaint()
{
    // The frame is the control's own drawing: no system edge around it.
    if (GetExStyle() & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME))
        ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME, 0, SWP_FRAMECHANGED);

    CBNBufferedPaint paint(this);
    // The control paints itself, the frame goes over it.
    paint.PaintDefault();
    if (PointInRect() || m_bHasFocus)
        DrawCombo(FC_DRAWRAISED, m_clrBtnShadow, m_clrBtnHilite, &paint.DC());
    else
        DrawCombo(FC_DRAWNORMAL, m_clrBtnFace, m_clrBtnFace, &paint.DC());
}

void CBNFlatComboBox::OnSetFocus()
{
    m_bHasFocus = TRUE;
    DrawCombo(FC_DRAWRAISED, m_clrBtnShadow, m_clrBtnHilite);
}

void CBNFlatComboBox::OnKillFocus()
{
    m_bHasFocus = FALSE;
    DrawCombo(FC_DRAWNORMAL, m_clrBtnFace, m_clrBtnFace);
}

void CBNFlatComboBox::OnEditUpdate()
{
    if (!m_bAutoComp)
        return;
    CString text;
    GetWindowText(text);
    const int nLength = text.GetLength();
    // Nothing typed completes nothing (the first entry would take the emptied text).
    if (nLength == 0)
        return;
    const DWORD dwSelection = GetEditSel();
    const WORD wStart = LOWORD(dwSelection);
    const WORD wEnd = HIWORD(dwSelection);
    const BOOL bHasSelection = dwSelection != static_cast<DWORD>(CB_ERR);

    if (SelectString(-1, text) == CB_ERR)
    {
        // No entry begins so: the text stays as typed, with its caret.
        SetWindowText(text);
        if (bHasSelection)
            SetEditSel(wStart, wEnd);
    }
    if (bHasSelection && wEnd < nLength)
        SetEditSel(wStart, wEnd);
    else
        SetEditSel(nLength, -1);
}

BOOL CBNFlatComboBox::PreTranslateMessage(MSG* pMsg)
{
    if (IsWin95())
    {
        if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_KEYUP)
        {
            ::TranslateMessage(pMsg);
            ::DispatchMessage(pMsg);
            return TRUE;
        }
        if (pMsg->message == WM_CHAR)
            return TRUE;
    }
    return CComboBox::PreTranslateMessage(pMsg);
}
