#include "tests/uilib_bars_ui/BarsTestFrame.h"
#include "framework/MessageMap.h"
#include "tests/uilib_bars_ui/BarsTestResources.h"

IMPLEMENT_DYNCREATE(DevicesTestView, CTreeView)
IMPLEMENT_DYNCREATE(LogFilesTestView, DevicesTestView)
IMPLEMENT_DYNCREATE(BarsTestFrame, CBNMDIFrameWnd)

BEGIN_MESSAGE_MAP(DevicesTestView, CTreeView)
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(BarsTestFrame, CBNMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND_RANGE(ID_TEST_CONTEXT_FIRST, ID_TEST_CONTEXT_SECOND, OnContextCommand)
END_MESSAGE_MAP()

const char BarsTestFrame::kBarStateProfile[] = "Bar State";
const UINT BarsTestFrame::kFrameID = IDR_BARS_TEST_FRAME;
const UINT BarsTestFrame::kEdgeBarID = ID_TEST_EDGEBAR;

void DevicesTestView::OnInitialUpdate()
{
    ++m_nInitialUpdates;
    CTreeView::OnInitialUpdate();
    // Something to see on the screenshots.
    CTreeCtrl& tree = GetTreeCtrl();
    if (tree.GetCount() == 0)
    {
        HTREEITEM hRoot = tree.InsertItem(IsKindOf(RUNTIME_CLASS(LogFilesTestView)) ? "Log files" : "Computer");
        tree.InsertItem("Varnix MPPT", hRoot);
        tree.InsertItem("Ostrel", hRoot);
        tree.Expand(hRoot, TVE_EXPAND);
    }
}

int DevicesTestView::s_nDeactivations = 0;

void DevicesTestView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    if (!bActivate)
        ++s_nDeactivations;
    CTreeView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void DevicesTestView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_RETURN)
        ++m_nReturns;
    CTreeView::OnKeyDown(nChar, nRepCnt, nFlags);
}

int BarsTestFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CBNMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (!m_wndStatusBar.Create(this, 0x50008200, AFX_IDW_STATUS_BAR) || !m_wndStatusBar.SetIndicators(indicators, 4))
        return -1;
    if (!m_wndEdgeBar.Create(this, kEdgeBarID, "Workspace", CSize(225, 100), 0x1400, 0))
        return -1;
    if (!m_wndEdgeBar.AddView("Devices", RUNTIME_CLASS(DevicesTestView), nullptr, -1, nullptr) ||
        !m_wndEdgeBar.AddView("Log Files", RUNTIME_CLASS(LogFilesTestView), nullptr, -1, nullptr))
        return -1;
    m_wndEdgeBar.EnableDockingOnSizeBar(0xF000);
    EnableDockingSizeBar(0xF000, 0);
    DockSizeBar(&m_wndEdgeBar);
    m_wndEdgeBar.SetMenuID(kFrameID, 0, 1);
    m_wndEdgeBar.SetActiveView(RUNTIME_CLASS(DevicesTestView));
    return 0;
}

void BarsTestFrame::OnContextCommand(UINT nID)
{
    m_nLastCommand = nID;
}
