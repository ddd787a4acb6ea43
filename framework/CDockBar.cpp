#include "framework/CDockBar.h"
#include "framework/CControlBarInfo.h"
#include "framework/CFrameWnd.h"
#include "framework/CDC.h"
#include "framework/MessageMap.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
    ON_MESSAGE(WM_SIZEPARENT, OnSizeParentDock)
END_MESSAGE_MAP()

namespace
{

CRect ChildRect(CWnd* pParent, CWnd* pChild)
{
    CRect rect;
    pChild->GetWindowRect(&rect);
    pParent->ScreenToClient(&rect);
    return rect;
}
} // namespace

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating)
{
    m_bAutoDelete = TRUE;
    m_arrBars.Add(nullptr);
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

CDockBar::~CDockBar()
{
    // Bars that outlive this dock bar must not point back at it.
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = GetDockedControlBar(static_cast<int>(i));
        if (pBar != nullptr && pBar->m_pDockBar == this)
            pBar->m_pDockBar = nullptr;
    }
    m_arrBars.RemoveAll();
}

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    m_dwStyle = dwStyle & CBRS_ALL;
    LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD dwWindowStyle = (dwStyle & ~CBRS_ALL) | WS_CHILD;
    return CWnd::CreateEx(0, lpszClass, nullptr, dwWindowStyle, CRect(0, 0, 0, 0), pParentWnd, nID);
}

CControlBar* CDockBar::GetDockedControlBar(int nPos) const
{
    void* pSlot = m_arrBars.GetAt(nPos);
    if (pSlot == nullptr || IsPlaceHolder(pSlot))
        return nullptr;
    return static_cast<CControlBar*>(pSlot);
}

int CDockBar::GetDockedCount() const
{
    int nCount = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
        if (GetDockedControlBar(static_cast<int>(i)) != nullptr)
            nCount++;
    return nCount;
}

int CDockBar::GetDockedVisibleCount() const
{
    int nCount = 0;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = GetDockedControlBar(static_cast<int>(i));
        if (pBar != nullptr && pBar->IsVisible())
            nCount++;
    }
    return nCount;
}

int CDockBar::FindBar(CControlBar* pBar, int nPosExclude) const
{
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
        if (i != nPosExclude && m_arrBars.GetAt(i) == pBar)
            return static_cast<int>(i);
    return -1;
}

int CDockBar::FindPlaceHolder(UINT nBarID) const
{
    void* pPlaceHolder = reinterpret_cast<void*>(static_cast<UINT_PTR>(nBarID));
    for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
        if (m_arrBars.GetAt(i) == pPlaceHolder)
            return static_cast<int>(i);
    return -1;
}

void CDockBar::RemovePlaceHolder(UINT nBarID)
{
    const int nPos = FindPlaceHolder(nBarID);
    if (nPos <= 0)
        return;
    m_arrBars.RemoveAt(nPos);
    CompactRows();
}

void CDockBar::CompactRows()
{
    // A row break after a row break leaves an empty row.
    for (INT_PTR i = m_arrBars.GetSize() - 1; i > 0; i--)
        if (m_arrBars.GetAt(i) == nullptr && m_arrBars.GetAt(i - 1) == nullptr)
            m_arrBars.RemoveAt(i);
    if (m_arrBars.GetSize() == 0 || m_arrBars.GetAt(0) != nullptr)
        m_arrBars.InsertAt(0, nullptr);
    if (m_arrBars.GetAt(m_arrBars.GetUpperBound()) != nullptr)
        m_arrBars.Add(nullptr);
}

int CDockBar::Insert(CControlBar* pBar, CRect rect, CPoint ptMid)
{
    const BOOL bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    const int nAcross = bHorz ? ptMid.y : ptMid.x;
    const int nAlongStart = bHorz ? rect.left : rect.top;

    // Walk the rows: each runs from a row break to the next one.
    int nRowStart = 1;
    while (nRowStart < m_arrBars.GetSize())
    {
        int nRowEnd = nRowStart;
        while (nRowEnd < m_arrBars.GetSize() && m_arrBars.GetAt(nRowEnd) != nullptr)
            nRowEnd++;

        // What the visible bars of the row cover across.
        int nMin = INT_MAX;
        int nMax = INT_MIN;
        for (int i = nRowStart; i < nRowEnd; i++)
        {
            CControlBar* pOther = GetDockedControlBar(i);
            if (pOther == nullptr || pOther == pBar || !pOther->IsVisible() || pOther->m_hWnd == nullptr)
                continue;
            const CRect rectOther = ChildRect(this, pOther);
            nMin = std::min(nMin, static_cast<int>(bHorz ? rectOther.top : rectOther.left));
            nMax = std::max(nMax, static_cast<int>(bHorz ? rectOther.bottom : rectOther.right));
        }

        if (nMin <= nMax)
        {
            if (nAcross < nMin)
            {
                // Above (or left of) this row: a new row of its own.
                m_arrBars.InsertAt(nRowStart, nullptr);
                m_arrBars.InsertAt(nRowStart, pBar);
                return nRowStart;
            }
            if (nAcross < nMax)
            {
                // Within the row: before the first bar that starts after it.
                int nPos = nRowStart;
                for (; nPos < nRowEnd; nPos++)
                {
                    CControlBar* pOther = GetDockedControlBar(nPos);
                    if (pOther == nullptr || pOther == pBar || !pOther->IsVisible() || pOther->m_hWnd == nullptr)
                        continue;
                    const CRect rectOther = ChildRect(this, pOther);
                    if ((bHorz ? rectOther.left : rectOther.top) > nAlongStart)
                        break;
                }
                m_arrBars.InsertAt(nPos, pBar);
                return nPos;
            }
        }
        nRowStart = nRowEnd + 1;
    }

    // Below every row: a new last row.
    if (m_arrBars.GetAt(m_arrBars.GetUpperBound()) != nullptr)
        m_arrBars.Add(nullptr);
    const int nPos = static_cast<int>(m_arrBars.Add(pBar));
    m_arrBars.Add(nullptr);
    return nPos;
}

void CDockBar::DockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    ASSERT(pBar != nullptr);
    CRect rectBar;
    pBar->GetWindowRect(&rectBar);
    if (pBar->m_pDockBar == this && (lpRect == nullptr || rectBar == CRect(lpRect)))
        return;   // already there

    // A bar coming back replaces its own placeholder.
    RemovePlaceHolder(static_cast<UINT>(pBar->GetDlgCtrlID()));

    int nPos;
    if (lpRect == nullptr)
    {
        // Without a place it starts a row of its own at the end.
        if (m_arrBars.GetAt(m_arrBars.GetUpperBound()) != nullptr)
            m_arrBars.Add(nullptr);
        nPos = static_cast<int>(m_arrBars.Add(pBar));
        m_arrBars.Add(nullptr);
    }
    else
    {
        CRect rect(lpRect);
        ScreenToClient(&rect);
        nPos = Insert(pBar, rect, rect.CenterPoint());
    }
    AttachBar(pBar, nPos);

    // Without a place it starts at the beginning of its row.
    if (lpRect == nullptr)
        ::SetWindowPos(pBar->m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (lpRect != nullptr)
    {
        // The layout keeps a bar where it was dropped along its row.
        CRect rect(lpRect);
        ScreenToClient(&rect);
        ::SetWindowPos(pBar->m_hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CDockBar::ReDockControlBar(CControlBar* pBar, LPCRECT lpRect)
{
    const int nPos = FindPlaceHolder(static_cast<UINT>(pBar->GetDlgCtrlID()));
    if (nPos <= 0)
    {
        DockControlBar(pBar, lpRect);
        return;
    }
    m_arrBars.SetAt(nPos, pBar);
    AttachBar(pBar, nPos);

    // Where it was along the row, or the row's start.
    CRect rect(0, 0, 0, 0);
    if (lpRect != nullptr)
    {
        rect = lpRect;
        ScreenToClient(&rect);
    }
    ::SetWindowPos(pBar->m_hWnd, nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDockBar::AttachBar(CControlBar* pBar, int nPos)
{
    // Size behaviour of the floating frame follows the bar in it.
    if (m_bFloating)
    {
        if (pBar->m_dwDockStyle & CBRS_FLOAT_MULTI)
            m_dwStyle |= CBRS_FLOAT_MULTI;
        m_dwStyle &= ~(CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
        m_dwStyle |= pBar->m_dwStyle & (CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
        if ((m_dwStyle & CBRS_FLOAT_MULTI) == 0 && GetParent() != nullptr)
        {
            char szTitle[256] = "";
            ::GetWindowTextA(pBar->m_hWnd, szTitle, sizeof(szTitle));
            GetParent()->SetWindowText(szTitle);
        }
    }

    DWORD dwStyle = pBar->GetBarStyle();
    dwStyle &= ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
    dwStyle |= (m_dwStyle & CBRS_ALIGN_ANY) | CBRS_BORDER_ANY;
    if (m_bFloating)
        dwStyle |= CBRS_FLOATING;
    pBar->SetBarStyle(dwStyle);

    // Reparent before the old dock bar lets go: an emptied floating frame destroys
    // itself with its children.
    CDockBar* pOldDockBar = pBar->m_pDockBar;
    pBar->m_pDockBar = this;
    if (pBar->GetParent() != this)
        pBar->SetParent(this);
    if (pOldDockBar == this)
    {
        RemoveControlBar(pBar, nPos);
        pBar->m_pDockBar = this;
    }
    else if (pOldDockBar != nullptr)
    {
        // Leaving a docked place for a floating one keeps the place for ToggleDocking.
        const int nPlaceHolder = (m_bFloating && !pOldDockBar->m_bFloating) ? 1 : 0;
        pOldDockBar->RemoveControlBar(pBar, -1, nPlaceHolder);
    }
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar, int nPosExclude, int nAddPlaceHolder)
{
    const int nPos = FindBar(pBar, nPosExclude);
    if (nPos <= 0)
        return FALSE;
    const UINT nID = pBar->m_hWnd != nullptr ? static_cast<UINT>(pBar->GetDlgCtrlID()) : 0;
    void* pPlaceHolder = reinterpret_cast<void*>(static_cast<UINT_PTR>(nID));

    BOOL bRowEmptied = FALSE;
    if (nAddPlaceHolder == 1 && nID != 0)
    {
        RemovePlaceHolder(nID);
        m_arrBars.SetAt(FindBar(pBar, nPosExclude), pPlaceHolder);
    }
    else
    {
        m_arrBars.RemoveAt(nPos);
        if (m_arrBars.GetAt(nPos - 1) == nullptr && nPos < m_arrBars.GetSize() && m_arrBars.GetAt(nPos) == nullptr)
        {
            m_arrBars.RemoveAt(nPos);
            bRowEmptied = TRUE;
        }
        if (nAddPlaceHolder == -1 && nID != 0)
        {
            RemovePlaceHolder(nID);
            if (m_arrBars.GetAt(m_arrBars.GetUpperBound()) != nullptr)
                m_arrBars.Add(nullptr);
            m_arrBars.Add(pPlaceHolder);
            m_arrBars.Add(nullptr);
        }
    }
    CompactRows();
    if (pBar->m_pDockBar == this)
        pBar->m_pDockBar = nullptr;

    // A floating frame goes when its last bar leaves and hides with its last visible one.
    if (m_bFloating && m_hWnd != nullptr && GetDockedVisibleCount() == 0)
    {
        CWnd* pFrame = GetParent();
        if (GetDockedCount() == 0 && pFrame != nullptr)
        {
            pFrame->DestroyWindow();   // this object goes with it
            return bRowEmptied;
        }
        if (pFrame != nullptr)
            pFrame->ShowWindow(SW_HIDE);
    }
    return bRowEmptied;
}

void CDockBar::ShowAll(BOOL bShow)
{
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CControlBar* pBar = GetDockedControlBar(static_cast<int>(i));
        if (pBar == nullptr)
            continue;
        // Bars hidden by the user stay hidden when the frame shows them all again.
        if (bShow && (pBar->m_nStateFlags & tempHide))
        {
            pBar->m_nStateFlags &= ~tempHide;
            pBar->DelayShow(TRUE);
        }
        else if (!bShow && pBar->IsVisible())
        {
            pBar->m_nStateFlags |= tempHide;
            pBar->DelayShow(FALSE);
        }
    }
}

LRESULT CDockBar::OnSizeParentDock(WPARAM wParam, LPARAM lParam)
{
    auto* pLayout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
    m_bLayoutQuery = pLayout->hDWP == nullptr;
    m_rectLayout = pLayout->rect;
    const LRESULT lResult = OnSizeParent(wParam, lParam);
    m_bLayoutQuery = FALSE;
    return lResult;
}

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    // Bars start inside the dock bar's own borders.
    CRect rectInside(0, 0, 0, 0);
    CalcInsideRect(rectInside, bHorz);
    // Room along the side: what the frame offers, unlimited in a floating frame.
    int nAvailable = 32767;
    if (!m_bFloating && !m_rectLayout.IsRectEmpty())
        nAvailable = bHorz ? m_rectLayout.Width() : m_rectLayout.Height();

    HDWP hDWP = m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos(static_cast<int>(m_arrBars.GetSize()));
    CSize sizeFixed(0, 0);
    const CPoint ptOrigin = rectInside.TopLeft();
    CPoint pt = ptOrigin;
    int nRowThickness = 0;
    int nRowOverlap = 0;   // how far the next row reaches back into this one

    auto startNextRow = [&]() {
        if (bHorz)
        {
            pt.y += nRowThickness - nRowOverlap;
            pt.x = ptOrigin.x;
        }
        else
        {
            pt.x += nRowThickness - nRowOverlap;
            pt.y = ptOrigin.y;
        }
        nRowThickness = 0;
        nRowOverlap = 0;
    };
    auto placeBar = [&](CControlBar* pBar, const CRect& rect, const CRect& rectOld) {
        const CSize sizeOverlap = GetBarOverlap(pBar);
        if (bHorz)
        {
            pt.x = rect.right - sizeOverlap.cx;
            nRowThickness = std::max(nRowThickness, static_cast<int>(rect.Height()));
            nRowOverlap = sizeOverlap.cy;
        }
        else
        {
            pt.y = rect.bottom - sizeOverlap.cy;
            nRowThickness = std::max(nRowThickness, static_cast<int>(rect.Width()));
            nRowOverlap = sizeOverlap.cx;
        }
        if (hDWP != nullptr && rect != rectOld)
            hDWP = ::DeferWindowPos(hDWP, pBar->m_hWnd, nullptr, rect.left, rect.top, rect.Width(),
                                    rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        sizeFixed.cx = std::max(sizeFixed.cx, rect.right);
        sizeFixed.cy = std::max(sizeFixed.cy, rect.bottom);
    };

    for (INT_PTR nPos = 0; nPos < m_arrBars.GetSize(); nPos++)
    {
        void* pSlot = m_arrBars.GetAt(nPos);
        CControlBar* pBar = GetDockedControlBar(static_cast<int>(nPos));
        if (pBar != nullptr && (pBar->RecalcDelayShow(m_bLayoutQuery) & WS_VISIBLE) != 0)
        {
            DWORD dwMode = 0;
            if ((pBar->m_dwStyle & CBRS_SIZE_DYNAMIC) && (pBar->m_dwStyle & CBRS_FLOATING))
                dwMode = LM_HORZ | LM_MRUWIDTH;
            else if (pBar->m_dwStyle & CBRS_ORIENT_HORZ)
                dwMode = LM_HORZ | LM_HORZDOCK;
            else
                dwMode = LM_VERTDOCK;
            const CSize sizeBar = pBar->CalcDynamicLayout(-1, dwMode);
            CRect rect(pt, sizeBar);

            // A bar keeps the place it was moved to along the row.
            const CRect rectOld = ChildRect(this, pBar);
            if (!m_bFloating)
            {
                if (bHorz && rectOld.left > rect.left)
                    rect.OffsetRect(rectOld.left - rect.left, 0);
                else if (!bHorz && rectOld.top > rect.top)
                    rect.OffsetRect(0, rectOld.top - rect.top);
            }
            // Pushed back inside the side, but not over the bar before it.
            const int nEnd = bHorz ? rect.right : rect.bottom;
            if (!m_bFloating && nEnd > nAvailable)
            {
                const int nBack = std::min(nEnd - nAvailable,
                                           static_cast<int>(bHorz ? rect.left - pt.x : rect.top - pt.y));
                if (bHorz)
                    rect.OffsetRect(-nBack, 0);
                else
                    rect.OffsetRect(0, -nBack);
            }
            // A bar that still does not fit after others starts a new row.
            const BOOL bRowStarted = bHorz ? pt.x > ptOrigin.x : pt.y > ptOrigin.y;
            const BOOL bWrap = !m_bFloating && bRowStarted && (bHorz ? rect.right : rect.bottom) > nAvailable &&
                               m_arrBars.GetAt(nPos - 1) != nullptr;
            if (bWrap && !m_bLayoutQuery)
            {
                // The break is real: the bar is placed on the next pass of the loop.
                m_arrBars.InsertAt(nPos, nullptr);
                pSlot = nullptr;
            }
            else if (bWrap)
            {
                // A query only pretends: nothing is kept.
                startNextRow();
                placeBar(pBar, CRect(pt, sizeBar), rectOld);
            }
            else
            {
                placeBar(pBar, rect, rectOld);
            }
        }
        if (pSlot == nullptr && nRowThickness != 0)
            startNextRow();
    }
    if (hDWP != nullptr)
        ::EndDeferWindowPos(hDWP);

    // The far borders; an empty dock bar takes no room at all.
    if (sizeFixed.cx != 0 || sizeFixed.cy != 0)
    {
        sizeFixed.cx -= rectInside.right;
        sizeFixed.cy -= rectInside.bottom;
    }
    if (bStretch)
    {
        if (bHorz)
            sizeFixed.cx = 32767;
        else
            sizeFixed.cy = 32767;
    }
    return sizeFixed;
}

BOOL CDockBar::IsUnderRect(const CRect& rect) const
{
    CRect rectBar;
    GetWindowRect(&rectBar);
    if (rectBar.Width() == 0)
        rectBar.right++;
    if (rectBar.Height() == 0)
        rectBar.bottom++;
    CRect rectHit;
    return ::IntersectRect(&rectHit, &rectBar, &rect);
}

CSize CDockBar::GetBarOverlap(CControlBar*) const
{
    // Neighbouring bars share their borders.
    return CSize(2 * ::GetSystemMetrics(SM_CYBORDER), 2);
}

void CDockBar::OnUpdateCmdUI(CFrameWnd*, BOOL)
{
    // The docked bars update themselves.
}

void CDockBar::DoPaint(CDC* pDC)
{
    CRect rect;
    GetClientRect(&rect);
    DrawBorders(pDC, rect);
}

void CDockBar::GetBarInfo(CControlBarInfo* pInfo)
{
    CControlBar::GetBarInfo(pInfo);
    pInfo->m_bDockBar = TRUE;
    pInfo->m_bFloating = m_bFloating;
    if (m_bFloating && GetParent() != nullptr)
    {
        CRect rect;
        GetParent()->GetWindowRect(&rect);
        pInfo->m_pointPos = rect.TopLeft();
    }
    pInfo->m_arrBarID.RemoveAll();
    for (INT_PTR i = 1; i < m_arrBars.GetSize(); i++)
    {
        void* pSlot = m_arrBars.GetAt(i);
        UINT_PTR nValue = 0;
        if (IsPlaceHolder(pSlot))
            nValue = reinterpret_cast<UINT_PTR>(pSlot) | 0x10000;
        else if (pSlot != nullptr)
            nValue = static_cast<UINT_PTR>(static_cast<CControlBar*>(pSlot)->GetDlgCtrlID());
        pInfo->m_arrBarID.Add(reinterpret_cast<void*>(nValue));
    }
}
