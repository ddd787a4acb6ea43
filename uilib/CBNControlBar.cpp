#include "uilib/CBNControlBar.h"
#include "uilib/CBNBufferedPaint.h"
#include "uilib/CBNDockContext.h"
#include "uilib/ContextMenus.h"
#include "uilib/CBNSizeDockBar.h"
#include "uilib/SplitterTracking.h"
#include "framework/CBrush.h"
#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CFrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/CWindowDC.h"
#include "framework/MessageMap.h"
#include "framework/ResourceHandle.h"
#include "res/pyraxis_bars_resource.h"

#include <algorithm>

using namespace pyraxis::uilib;

IMPLEMENT_DYNAMIC(CBNControlBar, CControlBar)

BEGIN_MESSAGE_MAP(CBNControlBar, CControlBar)
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_MOUSEMOVE()
    ON_WM_SETCURSOR()
    ON_WM_LBUTTONUP()
    ON_WM_NCHITTEST()
    ON_WM_CREATE()
    ON_WM_WINDOWPOSCHANGED()
    ON_WM_LBUTTONDOWN()
    ON_WM_RBUTTONDOWN()
    ON_WM_MEASUREITEM()
    ON_WM_MENUCHAR()
    ON_WM_INITMENUPOPUP()
    ON_WM_ERASEBKGND()
    ON_COMMAND(IDC_BN_BUTTON_CLOSE, OnButtonClose)
    ON_COMMAND(IDC_BN_BUTTON_MINIMIZE, OnButtonMinimize)
    ON_UPDATE_COMMAND_UI(IDC_BN_BUTTON_CLOSE, OnUpdateButtonClose)
    ON_UPDATE_COMMAND_UI(IDC_BN_BUTTON_MINIMIZE, OnUpdateButtonMinimize)
END_MESSAGE_MAP()

namespace
{
const int kButtonImageWidth = 10;
const CSize kButtonIconSize(10, 10);

// The framework saves its bar state in these sections; a bar keeps its own values in
// a subsection of the section that carries its id.
const char kStateSectionFormat[] = "Bar State-Bar%d";
const char kBarIDEntry[] = "BarID";
const char kSubSection[] = "\\Brannock";
const char kDesiredCX[] = "MRUDesiredCX";
const char kDesiredCY[] = "MRUDesiredCY";
const char kFloatingEntry[] = "MRUFloating";
} // namespace

CBNControlBar::CBNControlBar()
{
    m_imageButtons.Create(IDB_BN_BAR_BUTTONS, kButtonImageWidth, 1, RGB(255, 255, 255));
}

CBNControlBar::~CBNControlBar()
{
    // Destroy while this class's handlers still run.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    if (m_hIconClose != nullptr)
        ::DestroyIcon(m_hIconClose);
    if (m_hIconMinimize != nullptr)
        ::DestroyIcon(m_hIconMinimize);
}

// --- Creation and settings ------------------------------------------------------------

void CBNControlBar::EnableSaveState(bool bEnable)
{
    m_bSaveState = bEnable;
}

BOOL CBNControlBar::Create(CWnd* pParentWnd, UINT nID, LPCTSTR lpszTitle, CSize size, DWORD dwStyle, BOOL bFlat)
{
    if (m_bSaveState)
        LoadBarState(size, nID);
    m_nBarID = nID;

    // Every sizing bar carries the multi-float, hide-in-place and any-size bits.
    const DWORD dwOwnBits = CBRS_FLOAT_MULTI | CBRS_HIDE_INPLACE | CBRS_SIZE_DYNAMIC;
    m_dwStyle = (dwStyle & CBRS_ALL & ~dwOwnBits) | dwOwnBits;
    m_sizes = BarSizes(size);
    m_bGradientCaption = bFlat;
    m_bFlatBorders = bFlat;

    LPCTSTR lpszClass = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, nullptr,
                                            reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD dwWindowStyle =
        (dwStyle & 0xFFBF0000) | WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return CWnd::CreateEx(0, lpszClass, lpszTitle, dwWindowStyle, CRect(0, 0, size.cx, size.cy), pParentWnd, nID);
}

void CBNControlBar::EnableDockingOnSizeBar(DWORD dwDockStyle)
{
    m_dwDockStyle = dwDockStyle;
    if (m_pDockContext == nullptr)
        m_pDockContext = new CBNDockContext(this);
    if (m_hWndOwner == nullptr && m_hWnd != nullptr)
        m_hWndOwner = ::GetParent(m_hWnd);
}

void CBNControlBar::EnableFlatLook(int bCaption, int bBorders, int bButtons)
{
    m_bGradientCaption = bCaption;
    m_bFlatBorders = bBorders;
    m_btnClose.DisableFlatLook(bButtons);
    m_btnMinimize.DisableFlatLook(bButtons);
    if (m_hWnd != nullptr)
        Invalidate();
}

void CBNControlBar::EnableFlatLook(int bFlat)
{
    EnableFlatLook(bFlat, bFlat, bFlat);
}

void CBNControlBar::ShowFrameControls(BOOL bGripper, BOOL bButtons)
{
    m_bGripper = bGripper;
    m_bFrameButtons = bButtons;
}

void CBNControlBar::SetMenuID(UINT nMenuID, UINT nToolbarID, int nSubMenu)
{
    m_nMenuID = nMenuID;
    m_nMenuToolbarID = nToolbarID;
    m_nSubMenu = nSubMenu;
}

UINT CBNControlBar::GetMenuID() const
{
    return m_nMenuID;
}

void CBNControlBar::SetChild(CWnd* pWnd)
{
    m_pChild = pWnd;
}

void CBNControlBar::SetNormalSize(const CSize& size)
{
    m_sizes.normal = size;
    m_sizes.desired = size;
}

int CBNControlBar::GetVertSize() const
{
    return m_sizes.desired.cx;
}

int CBNControlBar::GetHorzSize() const
{
    return m_sizes.desired.cy;
}

// --- Where the bar sits --------------------------------------------------------------

DockSide CBNControlBar::GetSide() const
{
    CWnd* pParent = GetParent();
    return pParent != nullptr ? DockSideOfId(pParent->GetDlgCtrlID()) : DockSide::Floating;
}

BOOL CBNControlBar::IsLeftDocked() const
{
    return GetSide() == DockSide::Left;
}

BOOL CBNControlBar::IsRightDocked() const
{
    return GetSide() == DockSide::Right;
}

BOOL CBNControlBar::IsTopDocked() const
{
    return GetSide() == DockSide::Top;
}

BOOL CBNControlBar::IsBottomDocked() const
{
    return GetSide() == DockSide::Bottom;
}

BOOL CBNControlBar::IsHorzDocked() const
{
    return IsHorzSide(GetSide());
}

BOOL CBNControlBar::IsVertDocked() const
{
    return IsVertSide(GetSide());
}

BOOL CBNControlBar::IsFloating() const
{
    return GetSide() == DockSide::Floating;
}

CBNSizeDockBar* CBNControlBar::GetSizeDockBar() const
{
    CWnd* pParent = GetParent();
    if (pParent == nullptr || !pParent->IsKindOf(RUNTIME_CLASS(CBNSizeDockBar)))
        return nullptr;
    return static_cast<CBNSizeDockBar*>(pParent);
}

int CBNControlBar::GetMinExt()
{
    return (m_bGripper || m_bFrameButtons) ? 23 : 6;
}

// --- Sizes ---------------------------------------------------------------------------

void CBNControlBar::Maximize(int nExtent)
{
    m_sizes.Maximize(GetSide(), nExtent);
}

void CBNControlBar::Minimize()
{
    m_sizes.Minimize(GetSide(), GetMinExt());
}

void CBNControlBar::Normalize()
{
    m_sizes.Normalize(GetSide());
}

CSize CBNControlBar::CalcDynamicLayout(int nLength, DWORD nMode)
{
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    return m_sizes.DynamicLayout(GetSide(), rectWindow.Size(), nLength, nMode);
}

// --- Layout of the caption, buttons and child -----------------------------------------

void CBNControlBar::GetChildRect(CRect& rect)
{
    CRect rectClient;
    GetClientRect(&rectClient);
    rect = ChildRect(rectClient, GetSide(), GetMinExt(), m_bLastInRow != FALSE, m_nChildInset);
}

CRect CBNControlBar::GetButtonRect()
{
    CRect rectClient;
    GetClientRect(&rectClient);
    return ButtonRect(rectClient, GetSide());
}

CRect CBNControlBar::GetGripperRect()
{
    CRect rectClient;
    GetClientRect(&rectClient);
    return GripperRect(rectClient, GetSide(), m_bFrameButtons != FALSE);
}

// --- Painting ------------------------------------------------------------------------

void CBNControlBar::DrawGripper(CDC* pDC)
{
    if (IsFloating() || !m_bGripper)
        return;
    const CRect rectFirst = GetGripperRect();
    CRect rectSecond = rectFirst;
    if (IsHorzDocked())
        rectSecond.OffsetRect(4, 0);
    else
        rectSecond.OffsetRect(0, 4);

    if (m_bGradientCaption)
    {
        CRect rectCaption(rectFirst.TopLeft(), rectSecond.BottomRight());
        if (IsHorzDocked())
            rectCaption.InflateRect(2, 0);
        else
            rectCaption.InflateRect(0, 2);
        DrawGriperCaption(pDC, &rectCaption);
        return;
    }
    const COLORREF clrShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF clrHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    for (const CRect& rect : {rectFirst, rectSecond})
    {
        pDC->FillSolidRect(&rect, clrShadow);
        pDC->Draw3dRect(&rect, clrHighlight, clrShadow);
    }
}

void CBNControlBar::DrawGriperCaption(CDC* pDC, RECT* pRect)
{
    if (IsFloating() || !m_bGripper)
        return;
    const CRect rect(pRect);
    const BOOL bFromTop = IsHorzDocked();
    const int nLength = bFromTop ? rect.Height() : rect.Width();
    if (nLength <= 0)
        return;
    const int nStep = std::max(nLength / 64, 1);
    const COLORREF clrCaption = ::GetSysColor(COLOR_ACTIVECAPTION);

    // One band of the caption, from nPos for nSize pixels along it.
    auto fillBand = [&](int nPos, int nSize, COLORREF color) {
        CBrush brush(color);
        CBrush* pOldBrush = pDC->SelectObject(&brush);
        if (bFromTop)
            pDC->PatBlt(rect.left, rect.top + nPos, rect.Width(), nSize, PATCOPY);
        else
            pDC->PatBlt(rect.left + nPos, rect.top, nSize, rect.Height(), PATCOPY);
        pDC->SelectObject(pOldBrush);
    };

    // Black at the start, rising to the caption colour: each component is scaled by
    // 1 - (r / L)^2, r the part of the caption still to come.
    fillBand(0, std::min(nStep, nLength), RGB(0, 0, 0));
    int nPos = nStep;
    for (int k = 1; nPos < nLength; k++, nPos += nStep)
    {
        const double r = nLength - k * nStep;
        const double factor = 1.0 - (r / nLength) * (r / nLength);
        const COLORREF color = RGB(static_cast<int>(GetRValue(clrCaption) * factor),
                                   static_cast<int>(GetGValue(clrCaption) * factor),
                                   static_cast<int>(GetBValue(clrCaption) * factor));
        fillBand(nPos, std::min(nStep, nLength - nPos), color);
    }
    if (nPos < nLength)
        fillBand(nPos, nLength - nPos, clrCaption);
}

void CBNControlBar::DrawBorders(CDC* pDC, CRect& rect)
{
    if (!IsFloating() && !m_bLastInRow)
    {
        const CRect rectSplitter = SplitterStrip(rect, GetSide());
        if (m_bFlatBorders)
            pDC->FillSolidRect(&rectSplitter, ::GetSysColor(COLOR_BTNFACE));
        else
            pDC->Draw3dRect(&rectSplitter, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    }
    DrawGripper(pDC);
}

void CBNControlBar::EraseNonClient()
{
    // The bar has no non-client decoration: nothing is drawn there.
    CWindowDC dc(this);
    ExcludeClientArea(&dc);
}

void CBNControlBar::OnNcPaint()
{
    EraseNonClient();
}

void CBNControlBar::OnPaint()
{
    CBNBufferedPaint paint(this);
    CRect rect = paint.ClientRect();
    paint.DC().FillSolidRect(&rect, ::GetSysColor(COLOR_BTNFACE));
    DrawBorders(&paint.DC(), rect);
}

BOOL CBNControlBar::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

// --- Creation and placement ----------------------------------------------------------

int CBNControlBar::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CControlBar::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_bFrameButtons)
        return 0;

    const DWORD dwButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
    if (!m_btnClose.Create(nullptr, dwButtonStyle, CRect(0, 0, 0, 0), this, IDC_BN_BUTTON_CLOSE) ||
        !m_btnMinimize.Create(nullptr, dwButtonStyle, CRect(0, 0, 0, 0), this, IDC_BN_BUTTON_MINIMIZE))
        return -1;
    if (!m_bGradientCaption && !m_bFlatBorders)
    {
        m_btnClose.DisableFlatLook(FALSE);
        m_btnMinimize.DisableFlatLook(FALSE);
    }
    m_hIconClose = m_imageButtons.ExtractIcon(0);
    m_btnClose.SetIcon(m_hIconClose, kButtonIconSize);

    if (m_toolTip.Create(this))
    {
        m_toolTip.Activate(TRUE);
        CString strTip;
        strTip.LoadString(IDS_BN_HIDE_DOCKED);
        m_toolTip.AddTool(&m_btnClose, strTip);
        strTip.LoadString(IDS_BN_EXPAND_DOCKED);
        m_toolTip.AddTool(&m_btnMinimize, strTip);
    }
    return 0;
}

BOOL CBNControlBar::PreTranslateMessage(MSG* pMsg)
{
    if (m_bFrameButtons && m_toolTip.m_hWnd != nullptr)
        m_toolTip.RelayEvent(pMsg);
    return CControlBar::PreTranslateMessage(pMsg);
}

void CBNControlBar::OnWindowPosChanged(WINDOWPOS* lpWndPos)
{
    CControlBar::OnWindowPosChanged(lpWndPos);

    if (m_bFrameButtons && m_btnClose.m_hWnd != nullptr && m_btnMinimize.m_hWnd != nullptr)
    {
        if (IsFloating())
        {
            m_btnClose.ShowWindow(SW_HIDE);
            m_btnMinimize.ShowWindow(SW_HIDE);
        }
        else
        {
            const CRect rect = GetButtonRect();
            CRect rectClose = rect;
            CRect rectMinimize = rect;
            if (IsHorzDocked())
                rectMinimize.OffsetRect(0, 14);
            else
                rectClose.OffsetRect(14, 0);
            m_btnClose.MoveWindow(&rectClose);
            m_btnMinimize.MoveWindow(&rectMinimize);
            m_btnClose.ShowWindow(SW_SHOWNA);
            m_btnMinimize.ShowWindow(SW_SHOWNA);
        }
    }

    CRect rectWindow;
    GetWindowRect(&rectWindow);
    if (m_bSaveState)
    {
        CSize size = rectWindow.Size();
        SaveBarState(size);
    }
    if (IsFloating())
        m_sizes.floating = rectWindow.Size();
    else if (!m_bTracking && IsHorzDocked())
        m_sizes.horz = rectWindow.Size();
    else if (!m_bTracking)
        m_sizes.vert = rectWindow.Size();

    if (m_pChild != nullptr && m_pChild->m_hWnd != nullptr)
    {
        CRect rectChild;
        GetChildRect(rectChild);
        rectChild.DeflateRect(1, 1);
        m_pChild->MoveWindow(&rectChild);
    }
}

// --- Mouse: splitter, docking drag, context menu ---------------------------------------

LRESULT CBNControlBar::OnNcHitTest(CPoint)
{
    return HTCLIENT;
}

CPoint CBNControlBar::ToFrameClient(CPoint point) const
{
    return ClientToFrameClient(this, GetDockingFrame(), point);
}

BOOL CBNControlBar::HitTest(CPoint& point)
{
    CRect rectClient;
    GetClientRect(&rectClient);
    m_bOverSplitter = IsOnSplitter(rectClient, GetSide(), m_bLastInRow != FALSE, point);
    if (m_bOverSplitter)
    {
        const UINT nCursor = IsVertDocked() ? IDC_BN_SPLIT_HORZ : IDC_BN_SPLIT_VERT;
        ::SetCursor(::LoadCursor(AfxGetResourceHandle(), MAKEINTRESOURCE(nCursor)));
    }
    else
    {
        ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    }
    return m_bOverSplitter;
}

BOOL CBNControlBar::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_bOverSplitter || m_bTracking)
        return FALSE;
    return CControlBar::OnSetCursor(pWnd, nHitTest, message);
}

void CBNControlBar::OnInvertTracker(const CRect& rect)
{
    InvertTrackerOnFrame(GetDockingFrame(), rect);
}

void CBNControlBar::OnMouseMove(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        HitTest(point);
        CControlBar::OnMouseMove(nFlags, point);
        return;
    }

    // The point is kept within the dock bar's extent, measured from our own origin.
    CPoint ptFrame = ToFrameClient(point);
    CWnd* pDockBar = GetParent();
    if (pDockBar != nullptr)
    {
        CRect rectDock;
        pDockBar->GetClientRect(&rectDock);
        const CPoint ptOrigin = ToFrameClient(CPoint(0, 0));
        const CRect rectClamp(ptOrigin, rectDock.Size());
        ptFrame.x = std::min(std::max(ptFrame.x, rectClamp.left), rectClamp.right);
        ptFrame.y = std::min(std::max(ptFrame.y, rectClamp.top), rectClamp.bottom);
    }
    OnInvertTracker(m_rectTracker);
    if (IsVertDocked())
        m_rectTracker.OffsetRect(0, ptFrame.y - m_ptLast.y);
    else
        m_rectTracker.OffsetRect(ptFrame.x - m_ptLast.x, 0);
    OnInvertTracker(m_rectTracker);
    m_ptLast = ptFrame;
}

void CBNControlBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    if (m_bOverSplitter && !m_bTracking)
    {
        // The tracker is the strip less its last pixel and the one before.
        CRect rectClient;
        GetClientRect(&rectClient);
        CRect rect = SplitterStrip(rectClient, GetSide());
        if (IsVertDocked())
            rect.bottom -= 1;
        else
            rect.right -= 1;
        const CPoint ptTopLeft = ToFrameClient(rect.TopLeft());
        m_rectTracker = CRect(ptTopLeft, rect.Size());
        m_rectTrackerStart = m_rectTracker;
        m_ptStart = m_ptLast = ToFrameClient(point);
        SetCapture();
        m_bTracking = TRUE;
        OnInvertTracker(m_rectTracker);
        return;
    }

    if (IsFloating())
    {
        SetFocus();
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    if (m_pDockBar == nullptr || m_pDockContext == nullptr)
    {
        CControlBar::OnLButtonDown(nFlags, point);
        return;
    }
    if (OnToolHitTest(point, nullptr) != -1)
        return;

    // The screen must be up to date before the drag draws its feedback over it.
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    ValidateRect(nullptr);
    MSG msg;
    // Paint messages alone: a range by itself still lets a pending quit through.
    for (int i = 0; i < 100 && ::PeekMessage(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT); i++)
        ::DispatchMessage(&msg);
    if (auto* pContext = dynamic_cast<CBNDockContext*>(m_pDockContext))
        pContext->StartDragDockBar(ptScreen);
    else
        m_pDockContext->StartDrag(ptScreen);
}

void CBNControlBar::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (!m_bTracking)
    {
        CControlBar::OnLButtonUp(nFlags, point);
        return;
    }
    ::ReleaseCapture();
    OnInvertTracker(m_rectTracker);
    const CPoint ptFrame = ToFrameClient(point);
    if (ptFrame == m_ptStart || m_rectTracker == m_rectTrackerStart)
    {
        m_bTracking = FALSE;
        return;
    }

    // The splitter moves as far as the mouse did.
    const int nTravel = IsVertDocked() ? m_rectTracker.top - m_rectTrackerStart.top
                                       : m_rectTracker.left - m_rectTrackerStart.left;
    m_sizes.ReleaseSplitter(GetSide(), nTravel, GetMinExt());
    if (CBNSizeDockBar* pDockBar = GetSizeDockBar())
        pDockBar->Normalize(this);
    m_bTracking = FALSE;

    // Across the side the bar keeps the extent it has.
    CRect rectWindow;
    GetWindowRect(&rectWindow);
    if (IsHorzDocked())
        m_sizes.desired.cy = m_sizes.horz.cy = m_sizes.normal.cy = rectWindow.Height();
    else
        m_sizes.desired.cx = m_sizes.vert.cx = m_sizes.normal.cx = rectWindow.Width();
}

void CBNControlBar::TrackContextMenu(CPoint ptScreen)
{
    // A floating bar's frame is the mini frame; the menu belongs to the frame it floats over.
    CFrameWnd* pOwner = GetParentFrame();
    if (pOwner != nullptr && IsFloating() && pOwner->GetParentFrame() != nullptr)
        pOwner = pOwner->GetParentFrame();
    ::TrackContextMenu(m_menuContext, m_nMenuID, m_nMenuToolbarID, m_nSubMenu, ptScreen, pOwner);
}

void CBNControlBar::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (!MeasureContextMenuItem(this, lpMeasureItemStruct))
        CControlBar::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CBNControlBar::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
    LRESULT lResult = 0;
    if (ContextMenuChar(nChar, nFlags, pMenu, lResult))
        return lResult;
    return CControlBar::OnMenuChar(nChar, nFlags, pMenu);
}

void CBNControlBar::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CControlBar::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    UpdateContextMenuPopup(pPopupMenu, bSysMenu);
}

void CBNControlBar::OnRButtonDown(UINT nFlags, CPoint point)
{
    if (m_nMenuID == 0)
    {
        CControlBar::OnRButtonDown(nFlags, point);
        return;
    }
    CPoint ptScreen = point;
    ClientToScreen(&ptScreen);
    SetCapture();
    TrackContextMenu(ptScreen);
    if (GetCapture() == this)
        ::ReleaseCapture();
}

// --- Commands and idle update --------------------------------------------------------

void CBNControlBar::OnButtonClose()
{
    if (CFrameWnd* pFrame = GetDockingFrame())
        pFrame->ShowControlBar(this, FALSE, FALSE);
}

void CBNControlBar::OnButtonMinimize()
{
    CBNSizeDockBar* pDockBar = GetSizeDockBar();
    if (pDockBar == nullptr)
        return;
    if (m_sizes.maximized)
    {
        pDockBar->Normalize(this);
        m_sizes.maximized = false;
    }
    else
    {
        pDockBar->Maximize(this);
        m_sizes.maximized = true;
    }
}

void CBNControlBar::OnUpdateButtonClose(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

void CBNControlBar::OnUpdateButtonMinimize(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(TRUE);
}

void CBNControlBar::OnUpdateCmdUI(CFrameWnd*, BOOL)
{
    if (!m_bFrameButtons || IsFloating() || m_btnMinimize.m_hWnd == nullptr)
        return;
    const BOOL bHorz = IsHorzDocked();
    int nImage;
    BOOL bEnable = TRUE;
    UINT nTip = IDS_BN_EXPAND_DOCKED;
    if (m_bOnlyBarInRow)
    {
        nImage = bHorz ? 1 : 3;
        bEnable = FALSE;
    }
    else if (m_sizes.maximized)
    {
        nImage = bHorz ? 6 : 8;
        nTip = IDS_BN_CONTRACT_DOCKED;
    }
    else
    {
        nImage = bHorz ? 2 : 4;
    }
    if (nImage == m_nMinimizeImage)
        return;

    m_nMinimizeImage = nImage;
    if (m_hIconMinimize != nullptr)
        ::DestroyIcon(m_hIconMinimize);
    m_hIconMinimize = m_imageButtons.ExtractIcon(nImage);
    m_btnMinimize.SetIcon(m_hIconMinimize, kButtonIconSize);
    m_btnMinimize.EnableWindow(bEnable);
    if (m_toolTip.m_hWnd != nullptr)
    {
        CString strTip;
        strTip.LoadString(nTip);
        m_toolTip.UpdateTipText(strTip, &m_btnMinimize);
    }
}

// --- Profile -------------------------------------------------------------------------

CString CBNControlBar::FindStateSection() const
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return CString();
    // The framework numbers its sections from 0 without gaps.
    for (int nIndex = 0; nIndex < 0x10000; nIndex++)
    {
        CString strSection;
        strSection.Format(kStateSectionFormat, nIndex);
        const int nBarID = static_cast<int>(pApp->GetProfileInt(strSection, kBarIDEntry, -1));
        if (nBarID == -1)
            break;
        if (static_cast<UINT>(nBarID) == m_nBarID)
            return strSection;
    }
    return CString();
}

void CBNControlBar::SaveBarState(CSize& size)
{
    CWinApp* pApp = AfxGetApp();
    m_strSection = FindStateSection();
    if (pApp == nullptr || m_strSection.IsEmpty())
        return;
    const CSize sizeSaved = SavedBarSize(size, GetSide());
    const CString strSub = m_strSection + kSubSection;
    pApp->WriteProfileInt(strSub, kDesiredCX, sizeSaved.cx);
    pApp->WriteProfileInt(strSub, kDesiredCY, sizeSaved.cy);
    pApp->WriteProfileInt(strSub, kFloatingEntry, IsFloating() ? 1 : 0);
}

void CBNControlBar::LoadBarState(CSize& size, UINT nID)
{
    m_nBarID = nID;
    CWinApp* pApp = AfxGetApp();
    m_strSection = FindStateSection();
    if (pApp == nullptr || m_strSection.IsEmpty())
        return;
    const CString strSub = m_strSection + kSubSection;
    const int kMissing = -1;
    const int cxSaved = static_cast<int>(pApp->GetProfileInt(strSub, kDesiredCX, kMissing));
    // Held to the screen: a size from elsewhere (or a damaged one) would give the bar the
    // whole frame, or wrap round below.
    const CSize sizeScreen(::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    size.cy = HeldToScreen(CSize(0, static_cast<int>(pApp->GetProfileInt(strSub, kDesiredCY, size.cy))), sizeScreen).cy;
    m_bFloatingAtStart = pApp->GetProfileInt(strSub, kFloatingEntry, m_bFloatingAtStart) != 0;
    if (cxSaved == kMissing)
        return;
    // The frame's own state tells how the bar sat when it was saved.
    const bool bSavedHorz = pApp->GetProfileInt(m_strSection, "Horz", 1) != 0;
    size = HeldToScreen(RestoredBarSize(HeldToScreen(CSize(cxSaved, size.cy), sizeScreen),
                                        m_bFloatingAtStart != FALSE, bSavedHorz),
                        sizeScreen);
}

// --- Accessors ---------------------------------------------------------------------

const pyraxis::uilib::BarSizes& CBNControlBar::GetSizes() const
{
    return m_sizes;
}

CSize CBNControlBar::GetDesiredSize() const
{
    return m_sizes.desired;
}

void CBNControlBar::SetDesiredSize(const CSize& size)
{
    m_sizes.desired = size;
}

BOOL CBNControlBar::IsMaximized() const
{
    return m_sizes.maximized;
}

BOOL CBNControlBar::IsTracking() const
{
    return m_bTracking;
}

BOOL CBNControlBar::IsOverSplitter() const
{
    return m_bOverSplitter;
}

BOOL CBNControlBar::IsFloatingAtStart() const
{
    return m_bFloatingAtStart;
}

CWnd* CBNControlBar::GetChild() const
{
    return m_pChild;
}

CBNCBarButton& CBNControlBar::GetCloseButton()
{
    return m_btnClose;
}

CBNCBarButton& CBNControlBar::GetMinimizeButton()
{
    return m_btnMinimize;
}

int CBNControlBar::GetMinimizeImage() const
{
    return m_nMinimizeImage;
}
