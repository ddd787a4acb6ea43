// The frame's docking: its dock bars, docking and floating of bars, and the saved
// arrangement of the bars.
#include "framework/CFrameWnd.h"
#include "framework/CControlBar.h"
#include "framework/CControlBarInfo.h"
#include "framework/CDockBar.h"
#include "framework/CDockContext.h"
#include "framework/CDockState.h"
#include "framework/CMiniDockFrameWnd.h"
#include "framework/CResourceException.h"

namespace
{
struct DockBarSide
{
    UINT nID;
    DWORD dwStyle;
};

// The order matters: top and bottom take the full width, left and right what is left.
const DockBarSide kDockBarSides[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_TOP},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_BOTTOM},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_LEFT},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_RIGHT},
};

CMiniDockFrameWnd* CreateFloatingFrame(CFrameWnd* pFrame, DWORD dwStyle)
{
    CRuntimeClass* pClass = pFrame->m_pFloatingFrameClass != nullptr ? pFrame->m_pFloatingFrameClass
                                                                      : RUNTIME_CLASS(CMiniDockFrameWnd);
    auto* pFloating = static_cast<CMiniDockFrameWnd*>(pClass->CreateObject());
    if (pFloating == nullptr)
        AfxThrowResourceException();
    if (!pFloating->Create(pFrame, dwStyle))
    {
        // A frame that failed to create deletes itself when its window existed.
        if (pFloating->m_hWnd == nullptr)
            delete pFloating;
        AfxThrowResourceException();
    }
    return pFloating;
}

CDockBar* AsDockBar(CControlBar* pBar)
{
    return (pBar != nullptr && pBar->IsDockBar()) ? static_cast<CDockBar*>(pBar) : nullptr;
}
} // namespace

void CFrameWnd::EnableDocking(DWORD dwDockStyle)
{
    m_dwDockStyle |= dwDockStyle & CBRS_ALIGN_ANY;
    if (m_pFloatingFrameClass == nullptr)
        m_pFloatingFrameClass = RUNTIME_CLASS(CMiniDockFrameWnd);
    for (const DockBarSide& side : kDockBarSides)
    {
        if ((dwDockStyle & side.dwStyle & CBRS_ALIGN_ANY) == 0 || GetControlBar(side.nID) != nullptr)
            continue;
        auto* pDockBar = new CDockBar;
        if (!pDockBar->Create(this, WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CHILD | WS_VISIBLE | side.dwStyle,
                              side.nID))
        {
            delete pDockBar;
            AfxThrowResourceException();
        }
    }
}

CDockBar* CFrameWnd::CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar)
{
    if (ppDockBar != nullptr)
        *ppDockBar = nullptr;
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        CDockBar* pDockBar = AsDockBar(static_cast<CControlBar*>(m_listControlBars.GetNext(pos)));
        if (pDockBar == nullptr || pDockBar->m_bFloating || pDockBar->m_hWnd == nullptr ||
            (pDockBar->m_dwStyle & dwDockStyle & CBRS_ALIGN_ANY) == 0 ||
            (pDockBar->GetStyle() & WS_VISIBLE) == 0)
            continue;
        if (pDockBar->IsUnderRect(rect))
        {
            if (ppDockBar != nullptr)
                *ppDockBar = pDockBar;
            return pDockBar;
        }
    }
    return nullptr;
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID, LPCRECT lpRect)
{
    CDockBar* pDockBar = nDockBarID != 0 ? AsDockBar(GetControlBar(nDockBarID)) : nullptr;
    DockControlBar(pBar, pDockBar, lpRect);
}

void CFrameWnd::DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    ASSERT(pBar != nullptr);
    if (pDockBar == nullptr)
    {
        // The side the bar is aligned to, else the first side it may dock on.
        for (const DockBarSide& side : kDockBarSides)
        {
            if ((side.dwStyle & CBRS_ALIGN_ANY) == (pBar->m_dwStyle & CBRS_ALIGN_ANY))
            {
                pDockBar = AsDockBar(GetControlBar(side.nID));
                break;
            }
        }
        for (const DockBarSide& side : kDockBarSides)
        {
            if (pDockBar != nullptr)
                break;
            if (pBar->m_dwDockStyle & side.dwStyle & CBRS_ALIGN_ANY)
                pDockBar = AsDockBar(GetControlBar(side.nID));
        }
    }
    ASSERT(pDockBar != nullptr);
    if (pDockBar == nullptr)
        return;
    pBar->m_pDockSite = this;
    if (pBar->m_pDockContext != nullptr)
        pBar->m_pDockContext->m_pDockSite = this;
    pDockBar->DockControlBar(pBar, lpRect);
    DelayRecalcLayout();
}

void CFrameWnd::ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect)
{
    if (pDockBar == nullptr)
    {
        // The dock bar that kept the bar's place.
        const UINT nID = static_cast<UINT>(pBar->GetDlgCtrlID());
        for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr && pDockBar == nullptr;)
        {
            CDockBar* pCandidate = AsDockBar(static_cast<CControlBar*>(m_listControlBars.GetNext(pos)));
            if (pCandidate != nullptr && !pCandidate->m_bFloating && pCandidate->FindPlaceHolder(nID) > 0)
                pDockBar = pCandidate;
        }
    }
    if (pDockBar == nullptr)
    {
        DockControlBar(pBar, static_cast<CDockBar*>(nullptr), lpRect);
        return;
    }
    pBar->m_pDockSite = this;
    pDockBar->ReDockControlBar(pBar, lpRect);
    DelayRecalcLayout();
}

void CFrameWnd::FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle)
{
    ASSERT(pBar != nullptr);
    // A dynamic bar is always laid out horizontally while floating.
    if (pBar->m_dwStyle & CBRS_SIZE_DYNAMIC)
    {
        dwStyle |= CBRS_SIZE_DYNAMIC;
        if (dwStyle & CBRS_ORIENT_VERT)
            dwStyle = (dwStyle & ~CBRS_ALIGN_ANY) | CBRS_ALIGN_TOP;
    }

    // Already alone in a floating frame of that orientation: only move the frame.
    CDockBar* pOldDockBar = pBar->m_pDockBar;
    if (pOldDockBar != nullptr && pOldDockBar->m_bFloating && pOldDockBar->GetDockedCount() == 1 &&
        (pOldDockBar->m_dwStyle & CBRS_ALIGN_ANY) == (dwStyle & CBRS_ALIGN_ANY))
    {
        CWnd* pFloating = pOldDockBar->GetParent();
        pFloating->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        static_cast<CFrameWnd*>(pFloating)->RecalcLayout();
        if (pBar->m_pDockContext != nullptr)
            pBar->m_pDockContext->m_ptMRUFloatPos = point;
        return;
    }

    // Leaving a docked place: remember it for ToggleDocking.
    if (pBar->m_pDockContext != nullptr && pOldDockBar != nullptr && !pOldDockBar->m_bFloating)
    {
        pBar->m_pDockContext->m_uMRUDockID = static_cast<UINT>(pOldDockBar->GetDlgCtrlID());
        pBar->GetWindowRect(&pBar->m_pDockContext->m_rectMRUDockPos);
        pOldDockBar->ScreenToClient(&pBar->m_pDockContext->m_rectMRUDockPos);
    }

    CMiniDockFrameWnd* pFloating = CreateFloatingFrame(this, dwStyle);
    pFloating->SetWindowPos(nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pBar->m_pDockSite = this;
    pFloating->m_wndDockBar.DockControlBar(pBar);
    pFloating->RecalcLayout();
    if (pBar->m_pDockContext != nullptr)
    {
        pBar->m_pDockContext->m_ptMRUFloatPos = point;
        pBar->m_pDockContext->m_dwMRUFloatStyle = dwStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
    }
    RecalcLayout();
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay)
{
    ASSERT(pBar != nullptr);
    pBar->DelayShow(bShow);
    // A floating bar's own frame lays it out; the main frame's layout changes too
    // when the bar was docked.
    CFrameWnd* pParentFrame = pBar->GetParentFrame();
    if (bDelay)
    {
        if (pParentFrame != nullptr && pParentFrame != this)
            pParentFrame->DelayRecalcLayout();
        DelayRecalcLayout();
        return;
    }
    if (pParentFrame != nullptr && pParentFrame != this)
        pParentFrame->RecalcLayout();
    RecalcLayout();
}

void CFrameWnd::GetDockState(CDockState& state) const
{
    state.Clear();
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
        if (pBar->m_hWnd == nullptr || pBar->GetDlgCtrlID() == 0)
            continue;
        // An empty floating dock bar belongs to a frame that is going away.
        CDockBar* pDockBar = AsDockBar(pBar);
        if (pDockBar != nullptr && pDockBar->m_bFloating && pDockBar->GetDockedCount() == 0)
            continue;
        auto* pInfo = new CControlBarInfo;
        pBar->GetBarInfo(pInfo);
        state.m_arrBarInfo.Add(pInfo);
    }
}

void CFrameWnd::SetDockState(const CDockState& state)
{
    // Dock bars first: they get their slots back, moving bars in from wherever they are.
    for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); i++)
    {
        auto* pInfo = static_cast<CControlBarInfo*>(state.m_arrBarInfo.GetAt(i));
        if (!pInfo->m_bDockBar)
            continue;

        CDockBar* pDockBar = nullptr;
        if (pInfo->m_bFloating)
        {
            // A floating frame of its own for each floating dock bar that holds a known bar.
            BOOL bAnyKnown = FALSE;
            for (INT_PTR j = 0; j < pInfo->m_arrBarID.GetSize(); j++)
            {
                const UINT_PTR nValue = reinterpret_cast<UINT_PTR>(pInfo->m_arrBarID.GetAt(j));
                CControlBar* pBar = (nValue & 0x10000) == 0 ? GetControlBar(static_cast<UINT>(nValue)) : nullptr;
                if (pBar != nullptr && !pBar->IsDockBar())
                    bAnyKnown = TRUE;
            }
            if (!bAnyKnown)
                continue;
            const DWORD dwFloatStyle = pInfo->m_bHorz ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT;
            CMiniDockFrameWnd* pFloating = CreateFloatingFrame(this, dwFloatStyle);
            pFloating->SetWindowPos(nullptr, pInfo->m_pointPos.x, pInfo->m_pointPos.y, 0, 0,
                                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            pDockBar = &pFloating->m_wndDockBar;
        }
        else
        {
            pDockBar = AsDockBar(GetControlBar(pInfo->m_nBarID));
            if (pDockBar == nullptr)
                continue;
        }

        pDockBar->m_arrBars.RemoveAll();
        pDockBar->m_arrBars.Add(nullptr);
        for (INT_PTR j = 0; j < pInfo->m_arrBarID.GetSize(); j++)
        {
            const UINT_PTR nValue = reinterpret_cast<UINT_PTR>(pInfo->m_arrBarID.GetAt(j));
            if (nValue == 0)
            {
                pDockBar->m_arrBars.Add(nullptr);
                continue;
            }
            if (nValue & 0x10000)
            {
                pDockBar->m_arrBars.Add(reinterpret_cast<void*>(nValue & 0xFFFF));
                continue;
            }
            CControlBar* pBar = GetControlBar(static_cast<UINT>(nValue));
            if (pBar == nullptr || pBar->IsDockBar())
                continue;
            const INT_PTR nPos = pDockBar->m_arrBars.Add(pBar);
            // Out of the old dock bar (this one's old slots are gone already).
            CDockBar* pOldDockBar = pBar->m_pDockBar;
            pBar->m_pDockBar = nullptr;
            pBar->m_pDockSite = this;
            if (pBar->GetParent() != pDockBar)
                pBar->SetParent(pDockBar);
            if (pOldDockBar != nullptr && pOldDockBar != pDockBar)
                pOldDockBar->RemoveControlBar(pBar);
            pBar->m_pDockBar = pDockBar;
            DWORD dwStyle = pBar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
            dwStyle |= (pDockBar->m_dwStyle & CBRS_ALIGN_ANY) | CBRS_BORDER_ANY;
            if (pDockBar->m_bFloating)
                dwStyle |= CBRS_FLOATING;
            pBar->SetBarStyle(dwStyle);
            (void)nPos;
        }
        pDockBar->CompactRows();
    }

    // Then each bar's own state: visibility, MRU places, position along its row.
    for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); i++)
    {
        auto* pInfo = static_cast<CControlBarInfo*>(state.m_arrBarInfo.GetAt(i));
        if (pInfo->m_bDockBar)
            continue;
        CControlBar* pBar = GetControlBar(pInfo->m_nBarID);
        if (pBar != nullptr)
            pBar->SetBarInfo(pInfo, this);
    }

    // Bars whose dock bar lost their slot (not in the state) go back to a row of their own.
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        auto* pBar = static_cast<CControlBar*>(m_listControlBars.GetNext(pos));
        CDockBar* pDockBar = pBar->m_pDockBar;
        if (pBar->IsDockBar() || pDockBar == nullptr || pDockBar->FindBar(pBar) > 0)
            continue;
        pBar->m_pDockBar = nullptr;
        pDockBar->DockControlBar(pBar);
    }

    // Floating frames fit their bars and show or hide with them.
    for (POSITION pos = m_listControlBars.GetHeadPosition(); pos != nullptr;)
    {
        CDockBar* pDockBar = AsDockBar(static_cast<CControlBar*>(m_listControlBars.GetNext(pos)));
        if (pDockBar != nullptr && pDockBar->m_bFloating && pDockBar->GetParent() != nullptr)
            static_cast<CFrameWnd*>(pDockBar->GetParent())->RecalcLayout();
    }
    RecalcLayout();
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName)
{
    CDockState state;
    state.LoadState(lpszProfileName);
    SetDockState(state);
}

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const
{
    CDockState state;
    GetDockState(state);
    state.SaveState(lpszProfileName);
}
