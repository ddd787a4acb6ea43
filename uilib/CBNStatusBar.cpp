#include "uilib/CBNStatusBar.h"
#include "uilib/BarLayout.h"
#include "framework/CStatusBarCtrl.h"
#include "framework/MessageMap.h"

#include <vector>

using pyraxis::uilib::IndicatorInsertIndex;

IMPLEMENT_DYNCREATE(CBNStatusBar, CStatusBar)

BEGIN_MESSAGE_MAP(CBNStatusBar, CStatusBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

namespace
{
// Width of a pane that AddIndicator inserts.
const int kNewIndicatorWidth = 50;
} // namespace

CBNStatusBar::CBNStatusBar() = default;

CBNStatusBar::~CBNStatusBar()
{
    for (INT_PTR i = 0; i < m_arrPaneControls.GetSize(); i++)
        DeleteControl(m_arrPaneControls.GetAt(i));
    m_arrPaneControls.RemoveAll();
}

void CBNStatusBar::DeleteControl(CBNStatusBarPaneControlInfo* pInfo)
{
    if (pInfo->m_bAutoDelete && pInfo->m_pWnd != nullptr)
    {
        if (pInfo->m_pWnd->m_hWnd != nullptr && ::IsWindow(pInfo->m_pWnd->m_hWnd))
            pInfo->m_pWnd->DestroyWindow();
        delete pInfo->m_pWnd;
    }
    delete pInfo;
}

BOOL CBNStatusBar::GetStatusPane(int nIndex, CBNStatusBarPane& pane)
{
    if (nIndex < 0 || nIndex >= GetCount())
        return FALSE;
    GetPaneInfo(nIndex, pane.m_nID, pane.m_nStyle, pane.m_cxText);
    GetPaneText(nIndex, pane.m_strText);
    return TRUE;
}

void CBNStatusBar::SetPaneWidth(int nIndex, int nWidth)
{
    UINT nID = 0;
    UINT nStyle = 0;
    int cxOld = 0;
    GetPaneInfo(nIndex, nID, nStyle, cxOld);
    SetPaneInfo(nIndex, nID, nStyle, nWidth);
}

CBNStatusBarPaneControlInfo* CBNStatusBar::GetPanControl(int nPaneID)
{
    for (INT_PTR i = 0; i < m_arrPaneControls.GetSize(); i++)
    {
        CBNStatusBarPaneControlInfo* pInfo = m_arrPaneControls.GetAt(i);
        if (pInfo->m_nPaneID == nPaneID)
            return pInfo;
    }
    return nullptr;
}

BOOL CBNStatusBar::AddControl(CWnd* pWnd, int nPaneID, BOOL bAutoDelete)
{
    if (pWnd == nullptr || GetPanControl(nPaneID) != nullptr || CommandToIndex(static_cast<UINT>(nPaneID)) < 0)
        return FALSE;
    auto* pInfo = new CBNStatusBarPaneControlInfo;
    pInfo->m_pWnd = pWnd;
    pInfo->m_nPaneID = nPaneID;
    pInfo->m_bAutoDelete = bAutoDelete;
    m_arrPaneControls.Add(pInfo);
    PositionControls();
    Invalidate(TRUE);
    return TRUE;
}

void CBNStatusBar::PositionControls()
{
    if (m_hWnd == nullptr)
        return;
    int cxBorder = 0;
    int cyBorder = 0;
    int cxSpacing = 0;
    GetStatusBarCtrl().GetBorders(cxBorder, cyBorder, cxSpacing);

    for (INT_PTR i = 0; i < m_arrPaneControls.GetSize(); i++)
    {
        CBNStatusBarPaneControlInfo* pInfo = m_arrPaneControls.GetAt(i);
        const int nIndex = CommandToIndex(static_cast<UINT>(pInfo->m_nPaneID));
        if (nIndex < 0 || pInfo->m_pWnd == nullptr || pInfo->m_pWnd->m_hWnd == nullptr)
            continue;
        CRect rect;
        GetItemRect(nIndex, &rect);
        if ((GetPaneStyle(nIndex) & SBPS_NOBORDERS) == 0)
            rect.DeflateRect(cxBorder + cxSpacing, cyBorder);
        pInfo->m_pWnd->MoveWindow(&rect, TRUE);
    }
}

void CBNStatusBar::CollectPanes(CArray<CBNStatusBarPane, const CBNStatusBarPane&>& panes)
{
    panes.RemoveAll();
    CBNStatusBarPane pane;
    for (int nIndex = 0; GetStatusPane(nIndex, pane); nIndex++)
        panes.Add(pane);
}

void CBNStatusBar::RebuildPanes(const CArray<CBNStatusBarPane, const CBNStatusBarPane&>& panes, int nNewPane)
{
    std::vector<UINT> ids;
    for (INT_PTR i = 0; i < panes.GetSize(); i++)
        ids.push_back(panes.GetAt(i).m_nID);
    SetIndicators(ids.empty() ? nullptr : ids.data(), static_cast<int>(ids.size()));

    for (int nIndex = 0; nIndex < static_cast<int>(panes.GetSize()); nIndex++)
    {
        const CBNStatusBarPane& pane = panes.GetAt(nIndex);
        if (nIndex == nNewPane)
            SetPaneWidth(nIndex, kNewIndicatorWidth);
        else
            SetPaneInfo(nIndex, pane.m_nID, pane.m_nStyle, pane.m_cxText);
        SetPaneText(nIndex, pane.m_strText, TRUE);
    }
}

BOOL CBNStatusBar::AddIndicator(int nIndex, UINT nID)
{
    CArray<CBNStatusBarPane, const CBNStatusBarPane&> panes;
    CollectPanes(panes);
    for (INT_PTR i = 0; i < panes.GetSize(); i++)
        if (panes.GetAt(i).m_nID == nID)
            return FALSE;

    nIndex = IndicatorInsertIndex(nIndex, static_cast<int>(panes.GetSize()));
    CBNStatusBarPane pane;
    pane.m_nID = nID;
    panes.InsertAt(nIndex, pane);

    SetRedraw(FALSE);
    RebuildPanes(panes, nIndex);
    SetRedraw(TRUE);
    PositionControls();
    Invalidate(TRUE);
    return TRUE;
}

void CBNStatusBar::RemovePane(int nPaneID)
{
    SetRedraw(FALSE);
    for (INT_PTR i = 0; i < m_arrPaneControls.GetSize(); i++)
    {
        CBNStatusBarPaneControlInfo* pInfo = m_arrPaneControls.GetAt(i);
        if (pInfo->m_nPaneID != nPaneID)
            continue;
        m_arrPaneControls.RemoveAt(i);
        DeleteControl(pInfo);
        break;
    }

    CArray<CBNStatusBarPane, const CBNStatusBarPane&> panes;
    CollectPanes(panes);
    for (INT_PTR i = panes.GetSize() - 1; i >= 0; i--)
        if (panes.GetAt(i).m_nID == static_cast<UINT>(nPaneID))
            panes.RemoveAt(i);
    RebuildPanes(panes, -1);

    SetRedraw(TRUE);
    PositionControls();
    Invalidate(TRUE);
}

void CBNStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CStatusBar::OnSize(nType, cx, cy);
    PositionControls();
}

// --- Accessors ---------------------------------------------------------------------

INT_PTR CBNStatusBar::GetControlCount() const
{
    return m_arrPaneControls.GetSize();
}
