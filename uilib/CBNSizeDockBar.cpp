#include "uilib/CBNSizeDockBar.h"
#include "uilib/CBNControlBar.h"
#include "uilib/SplitterTracking.h"
#include "framework/CDC.h"
#include "framework/CFrameWnd.h"
#include "framework/CWindowDC.h"
#include "framework/MessageMap.h"
#include "framework/ResourceHandle.h"
#include "res/pyraxis_bars_resource.h"

#include <algorithm>
#include <vector>

using namespace pyraxis::uilib;

IMPLEMENT_DYNAMIC(CBNSizeDockBar, CDockBar)

BEGIN_MESSAGE_MAP(CBNSizeDockBar, CDockBar)
    ON_WM_NCPAINT()
    ON_WM_NCCALCSIZE()
    ON_WM_SETCURSOR()
    ON_WM_NCHITTEST()
    ON_WM_NCLBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

BOOL CBNSizeDockBar::m_bDockBarMode = FALSE;
const int CBNSizeDockBar::kNonClientAcross;
const int CBNSizeDockBar::kSplitterWidth;

namespace
{
// The four sides in the order every walk over them takes.
const UINT kSideIDs[] = {0xE821, 0xE825, 0xE820, 0xE822};
// Width of each border line pair.
const int kBorderLines = 2;
} // namespace

CBNSizeDockBar::CBNSizeDockBar() : CDockBar(FALSE)
{
}

CBNControlBar* CBNSizeDockBar::GetDockedSizeBar(int nPos) const
{
    CControlBar* pBar = GetDockedControlBar(nPos);
    if (pBar == nullptr || !pBar->IsKindOf(RUNTIME_CLASS(CBNControlBar)))
        return nullptr;
    return static_cast<CBNControlBar*>(pBar);
}

BOOL CBNSizeDockBar::IsLastControlBar(int nPos) const
{
    for (INT_PTR i = nPos + 1; i < m_arrBars.GetSize(); i++)
    {
        CBNControlBar* pBar = GetDockedSizeBar(static_cast<int>(i));
        if (pBar != nullptr && pBar->IsVisible())
            return FALSE;
    }
    return TRUE;
}

void CBNSizeDockBar::SetActualSize(int nSize)
{
    m_nActualSize = nSize;
}

void CBNSizeDockBar::FlatBorder(BOOL bFlat)
{
    if (m_bFlatBorder == bFlat)
        return;
    m_bFlatBorder = bFlat;
    if (m_hWnd != nullptr)
        RedrawWindow(nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

// --- Layout --------------------------------------------------------------------------

CSize CBNSizeDockBar::CalcDynamicLayout(int, DWORD nMode)
{
    const int nThickness = GetDockedVisibleCount() > 0 ? m_nActualSize : 0;
    if (!m_bLayoutQuery)
        CalcSizeBarLayout();
    if (nMode & LM_HORZDOCK)
        return CSize(32767, nThickness);
    if (nMode & LM_VERTDOCK)
        return CSize(nThickness, 32767);
    return CSize(0, 0);
}

void CBNSizeDockBar::CalcSizeBarLayout()
{
    if (m_hWnd == nullptr)
        return;
    // Shows and hides asked for with a delay take effect now.
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
        if (CControlBar* pBar = GetDockedControlBar(static_cast<int>(i)))
            pBar->RecalcDelayShow(FALSE);
    if (GetDockedVisibleCount() == 0)
        return;

    // The visible sizing bars in slot order, with their lengths and places now.
    std::vector<CBNControlBar*> bars;
    std::vector<RowBar> row;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CBNControlBar* pBar = GetDockedSizeBar(static_cast<int>(i));
        if (pBar == nullptr || !pBar->IsVisible())
            continue;
        RowBar rowBar;
        rowBar.desired = pBar->CalcDynamicLayout(-1, 0);
        pBar->GetWindowRect(&rowBar.rectOld);
        ScreenToClient(&rowBar.rectOld);
        bars.push_back(pBar);
        row.push_back(rowBar);
    }
    CRect rectClient;
    GetClientRect(&rectClient);
    LayoutRow(row, rectClient, IsHorzSide() != FALSE);

    HDWP hDWP = ::BeginDeferWindowPos(static_cast<int>(bars.size()));
    for (size_t i = 0; i < bars.size(); i++)
    {
        CBNControlBar* pBar = bars[i];
        const CRect& rect = row[i].rect;
        // The splitter strip and the minimise image follow the flags.
        if (pBar->m_bOnlyBarInRow != static_cast<BOOL>(row[i].bOnlyInRow) ||
            pBar->m_bLastInRow != static_cast<BOOL>(row[i].bLastInRow))
            pBar->Invalidate();
        pBar->m_bOnlyBarInRow = row[i].bOnlyInRow;
        pBar->m_bLastInRow = row[i].bLastInRow;
        if (hDWP != nullptr)
            hDWP = ::DeferWindowPos(hDWP, pBar->m_hWnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                    SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (hDWP != nullptr)
        ::EndDeferWindowPos(hDWP);
}

void CBNSizeDockBar::RepaintBars()
{
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CBNControlBar* pBar = GetDockedSizeBar(static_cast<int>(i));
        if (pBar != nullptr && pBar->IsVisible())
            pBar->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void CBNSizeDockBar::Maximize(CBNControlBar* pMaxBar)
{
    std::vector<int> otherMinExts;
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CBNControlBar* pBar = GetDockedSizeBar(static_cast<int>(i));
        if (pBar == nullptr || pBar == pMaxBar || !pBar->IsVisible())
            continue;
        pBar->Minimize();
        otherMinExts.push_back(pBar->GetMinExt());
    }
    CRect rectClient;
    GetClientRect(&rectClient);
    const int nLength = IsHorzSide() ? rectClient.Width() : rectClient.Height();
    pMaxBar->Maximize(MaximizedExtent(nLength, otherMinExts));
    CalcSizeBarLayout();
    RepaintBars();
}

void CBNSizeDockBar::Normalize(CBNControlBar*)
{
    for (INT_PTR i = 0; i < m_arrBars.GetSize(); i++)
    {
        CBNControlBar* pBar = GetDockedSizeBar(static_cast<int>(i));
        if (pBar != nullptr && pBar->IsVisible())
            pBar->Normalize();
    }
    CalcSizeBarLayout();
    RepaintBars();
}

void CBNSizeDockBar::RecalcAllExcept(CBNSizeDockBar* pExcept)
{
    RecalcFrameExcept(GetDockingFrame(), pExcept);
}

void CBNSizeDockBar::RecalcFrameExcept(CFrameWnd* pFrame, CBNSizeDockBar* pExcept)
{
    if (pFrame == nullptr)
        return;
    for (UINT nID : kSideIDs)
    {
        CControlBar* pBar = pFrame->GetControlBar(nID);
        if (pBar != nullptr && pBar != pExcept && pBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
            static_cast<CBNSizeDockBar*>(pBar)->CalcSizeBarLayout();
    }
}

CRect CBNSizeDockBar::GetAvailableRect()
{
    CRect rect(0, 0, 0, 0);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rect, nullptr, TRUE);
    return rect;
}

// --- Non-client strip: border lines and the splitter ----------------------------------

void CBNSizeDockBar::DeflateByBorderLines(RECT& rect) const
{
    if (m_dwStyle & CBRS_BORDER_LEFT)
        rect.left += kBorderLines;
    if (m_dwStyle & CBRS_BORDER_TOP)
        rect.top += kBorderLines;
    if (m_dwStyle & CBRS_BORDER_RIGHT)
        rect.right -= kBorderLines;
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
        rect.bottom -= kBorderLines;
}

void CBNSizeDockBar::DeflateBySplitter(RECT& rect) const
{
    if (IsLeftSide())
        rect.right -= kSplitterWidth;
    else if (IsTopSide())
        rect.bottom -= kSplitterWidth;
    else if (IsRightSide())
        rect.left += kSplitterWidth;
    else
        rect.top += kSplitterWidth;
}

void CBNSizeDockBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    RECT& rect = lpncsp->rgrc[0];
    DeflateByBorderLines(rect);
    DeflateBySplitter(rect);
    // An empty side is thinner than its strip.
    rect.right = std::max(rect.right, rect.left);
    rect.bottom = std::max(rect.bottom, rect.top);
}

void CBNSizeDockBar::DrawBorders(CDC* pDC, CRect& rect)
{
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF clrHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    if (m_dwStyle & CBRS_BORDER_TOP)
    {
        pDC->FillSolidRect(rect.left, rect.top, rect.Width(), 1, clrShadow);
        pDC->FillSolidRect(rect.left, rect.top + 1, rect.Width(), 1, clrHighlight);
    }
    if (m_dwStyle & CBRS_BORDER_LEFT)
    {
        pDC->FillSolidRect(rect.left, rect.top, 1, rect.Height(), clrShadow);
        pDC->FillSolidRect(rect.left + 1, rect.top, 1, rect.Height(), clrHighlight);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM)
    {
        pDC->FillSolidRect(rect.left, rect.bottom - 1, rect.Width(), 1, clrHighlight);
        pDC->FillSolidRect(rect.left, rect.bottom - 2, rect.Width(), 1, clrShadow);
    }
    if (m_dwStyle & CBRS_BORDER_RIGHT)
    {
        pDC->FillSolidRect(rect.right - 1, rect.top, 1, rect.Height(), clrHighlight);
        pDC->FillSolidRect(rect.right - 2, rect.top, 1, rect.Height(), clrShadow);
    }
    DeflateByBorderLines(rect);

    CRect rectSplitter;
    if (IsLeftSide())
        rectSplitter = CRect(rect.right - kSplitterWidth, rect.top + 1, rect.right + 1, rect.bottom - 1);
    else if (IsTopSide())
        rectSplitter = CRect(rect.left, rect.bottom - kSplitterWidth, rect.right, rect.bottom + 1);
    else if (IsRightSide())
        rectSplitter = CRect(rect.left - 1, rect.top + 1, rect.left + kSplitterWidth, rect.bottom - 1);
    else
        rectSplitter = CRect(rect.left, rect.top - 1, rect.right, rect.top + kSplitterWidth);
    pDC->FillSolidRect(&rectSplitter, ::GetSysColor(COLOR_BTNFACE));
    if (!m_bFlatBorder)
        pDC->Draw3dRect(&rectSplitter, clrHighlight, clrShadow);
    DeflateBySplitter(rect);
}

void CBNSizeDockBar::EraseNonClient()
{
    CWindowDC dc(this);
    CRect rect = ExcludeClientArea(&dc);
    dc.FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    DrawBorders(&dc, rect);
}

void CBNSizeDockBar::OnNcPaint()
{
    EraseNonClient();
}

void CBNSizeDockBar::DoPaint(CDC*)
{
    // The bars cover the client area; the borders are in the non-client strip.
}

// --- The side's splitter -------------------------------------------------------------

CRect CBNSizeDockBar::SplitterRect() const
{
    CRect rect;
    GetWindowRect(&rect);
    rect.OffsetRect(-rect.left, -rect.top);
    if (IsLeftSide())
        rect.left = rect.right - kSplitterWidth;
    else if (IsTopSide())
        rect.top = rect.bottom - kSplitterWidth;
    else if (IsRightSide())
        rect.right = rect.left + kSplitterWidth;
    else
        rect.bottom = rect.top + kSplitterWidth;
    return rect;
}

CPoint CBNSizeDockBar::ToFrameClient(CPoint point) const
{
    return ClientToFrameClient(this, GetDockingFrame(), point);
}

void CBNSizeDockBar::HitTest(const CPoint& point)
{
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    CRect rect = SplitterRect();
    rect.OffsetRect(rectWindow.left, rectWindow.top);
    if (rect.PtInRect(point))
    {
        const UINT nCursor = IsHorzSide() ? IDC_BN_SPLIT_HORZ : IDC_BN_SPLIT_VERT;
        m_hSplitterCursor = ::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(nCursor));
        ::SetCursor(m_hSplitterCursor);
    }
    else
    {
        m_hSplitterCursor = nullptr;
    }
}

LRESULT CBNSizeDockBar::OnNcHitTest(CPoint point)
{
    HitTest(point);
    if (m_hSplitterCursor != nullptr)
        return HTBORDER;
    return Default();
}

BOOL CBNSizeDockBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (nHitTest == HTCLIENT)
        return CDockBar::OnSetCursor(pWnd, nHitTest, message);
    return FALSE;
}

void CBNSizeDockBar::OnInvertTracker(const CRect& rect)
{
    InvertTrackerOnFrame(GetDockingFrame(), rect);
}

void CBNSizeDockBar::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    m_ptButtonDown = point;
    ScreenToClient(&m_ptButtonDown);
    if (m_hSplitterCursor == nullptr)
    {
        CDockBar::OnNcLButtonDown(nHitTest, point);
        return;
    }
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    CRect rect = SplitterRect();
    rect.OffsetRect(rectWindow.left, rectWindow.top);
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->ScreenToClient(&rect);
    m_rectTracker = rect;
    m_ptStart = m_ptLast = ToFrameClient(m_ptButtonDown);
    SetCapture();
    m_bTracking = TRUE;
    OnInvertTracker(m_rectTracker);
}

void CBNSizeDockBar::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        CDockBar::OnMouseMove(nFlags, point);
        return;
    }
    const CPoint pt = ClampSideSplitter(Side(), ToFrameClient(point), GetAvailableRect(), m_nActualSize);
    const int nDelta = IsHorzSide() ? pt.y - m_ptLast.y : pt.x - m_ptLast.x;
    if (nDelta == 0)
        return;
    OnInvertTracker(m_rectTracker);
    if (IsHorzSide())
        m_rectTracker.OffsetRect(0, nDelta);
    else
        m_rectTracker.OffsetRect(nDelta, 0);
    OnInvertTracker(m_rectTracker);
    m_ptLast = pt;
}

void CBNSizeDockBar::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        CDockBar::OnLButtonUp(nFlags, point);
        return;
    }
    ::ReleaseCapture();
    m_bTracking = FALSE;
    OnInvertTracker(m_rectTracker);
    if (point == m_ptButtonDown)
        return;

    // The side grows or shrinks by the splitter's travel, leaving the client area at
    // least its minimum and the side at least its splitter.
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    int nTravel = IsHorzSide() ? m_ptLast.y - m_ptStart.y : m_ptLast.x - m_ptStart.x;
    if (IsRightSide() || IsBottomSide())
        nTravel = -nTravel;
    m_nActualSize = SideThicknessAfterDrag(Side(), nTravel, GetAvailableRect(), rectWindow.Size(), m_nMinClientSpace);

    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->RecalcLayout(TRUE);
    RecalcAllExcept(nullptr);
}

DockSide CBNSizeDockBar::Side() const
{
    if (IsLeftSide())
        return DockSide::Left;
    if (IsTopSide())
        return DockSide::Top;
    if (IsRightSide())
        return DockSide::Right;
    return DockSide::Bottom;
}

CBNSizeDockBar* CBNSizeDockBar::FindForAlignment(CFrameWnd* pFrame, DWORD dwAlignment)
{
    if (pFrame == nullptr)
        return nullptr;
    for (POSITION pos = pFrame->m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        auto* pBar = static_cast<CControlBar*>(pFrame->m_listControlBars.GetNext(pos));
        if (pBar->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)) && (pBar->m_dwStyle & CBRS_ALIGN_ANY) == dwAlignment)
            return static_cast<CBNSizeDockBar*>(pBar);
    }
    return nullptr;
}

// --- Accessors ---------------------------------------------------------------------

BOOL CBNSizeDockBar::IsDockBar() const
{
    return m_bDockBarMode;
}

BOOL CBNSizeDockBar::IsDockSizeBar() const
{
    return TRUE;
}

int CBNSizeDockBar::GetActualSize() const
{
    return m_nActualSize;
}

BOOL CBNSizeDockBar::IsFlatBorder() const
{
    return m_bFlatBorder;
}

BOOL CBNSizeDockBar::IsTracking() const
{
    return m_bTracking;
}

BOOL CBNSizeDockBar::IsLeftSide() const
{
    return (m_dwStyle & CBRS_ALIGN_ANY) == CBRS_ALIGN_LEFT;
}

BOOL CBNSizeDockBar::IsTopSide() const
{
    return (m_dwStyle & CBRS_ALIGN_ANY) == CBRS_ALIGN_TOP;
}

BOOL CBNSizeDockBar::IsRightSide() const
{
    return (m_dwStyle & CBRS_ALIGN_ANY) == CBRS_ALIGN_RIGHT;
}

BOOL CBNSizeDockBar::IsBottomSide() const
{
    return (m_dwStyle & CBRS_ALIGN_ANY) == CBRS_ALIGN_BOTTOM;
}

BOOL CBNSizeDockBar::IsHorzSide() const
{
    return IsTopSide() || IsBottomSide();
}
