#include "framework/CToolBar.h"
#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "framework/CToolBarResource.h"
#include "framework/CWindowDC.h"
#include "framework/MessageMap.h"
#include "framework/ResourceHandle.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_NCCALCSIZE()
    ON_WM_NCPAINT()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

namespace
{
// Width of a separator between buttons.
const int kSeparatorWidth = 8;

// Applies a command's update answers to one toolbar button.
class ToolButtonCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        SetState(TBSTATE_ENABLED, bOn);
    }
    void SetCheck(int nCheck) override
    {
        SetState(TBSTATE_CHECKED, nCheck == 1);
        SetState(TBSTATE_INDETERMINATE, nCheck == 2);
    }
    void SetText(LPCTSTR) override {}

private:
    void SetState(BYTE fsFlag, BOOL bOn)
    {
        HWND hWnd = m_pOther->m_hWnd;
        const int nState = static_cast<int>(::SendMessage(hWnd, TB_GETSTATE, m_nID, 0));
        if (nState == -1)
            return;
        const int nNewState = bOn ? (nState | fsFlag) : (nState & ~fsFlag);
        if (nNewState != nState)
            ::SendMessage(hWnd, TB_SETSTATE, m_nID, MAKELPARAM(nNewState, 0));
    }
};
} // namespace

CToolBar::CToolBar()
{
    m_cxLeftBorder = m_cxRightBorder = 1;
    m_cyTopBorder = m_cyBottomBorder = 1;
}

CToolBar::~CToolBar()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        DestroyWindow();
    if (m_hBitmap != nullptr)
        ::DeleteObject(m_hBitmap);
}

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, TBSTYLE_FLAT, dwStyle, CRect(1, 1, 1, 1), nID);
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);

    SetBorders(rcBorders);
    m_dwStyle = dwStyle & CBRS_ALL;
    // The bar places the control itself; the control must not move or size itself.
    const DWORD dwWindowStyle = (dwStyle & ~CBRS_ALL) | dwCtrlStyle | WS_CHILD | CCS_NORESIZE |
                                CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAME, nullptr, dwWindowStyle, CRect(0, 0, 0, 0), pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetSizes(m_sizeButton, m_sizeImage);
    return TRUE;
}

void CToolBar::SetSizes(SIZE sizeButton, SIZE sizeImage)
{
    m_sizeButton = sizeButton;
    m_sizeImage = sizeImage;
    if (m_hWnd == nullptr)
        return;
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(sizeImage.cx, sizeImage.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(sizeButton.cx, sizeButton.cy));
    Invalidate();
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    return LoadToolBar(MAKEINTRESOURCE(nIDResource));
}

BOOL CToolBar::LoadToolBar(LPCTSTR lpszResourceName)
{
    CToolBarResource resource;
    if (!resource.Load(lpszResourceName) || !SetButtons(resource.GetItems(), resource.GetItemCount()))
        return FALSE;
    const CSize sizeImage(resource.GetImageWidth(), resource.GetImageHeight());
    SetSizes(CSize(sizeImage.cx + 7, sizeImage.cy + 7), sizeImage);
    BOOL bResult = TRUE;
    if (IS_INTRESOURCE(lpszResourceName))
        bResult = LoadBitmap(static_cast<UINT>(reinterpret_cast<UINT_PTR>(lpszResourceName)));
    return bResult;
}

BOOL CToolBar::LoadBitmap(UINT nIDResource)
{
    HBITMAP hBitmap = static_cast<HBITMAP>(::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCE(nIDResource),
                                                        IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    if (hBitmap == nullptr)
        return FALSE;
    BITMAP bm = {};
    ::GetObject(hBitmap, sizeof(bm), &bm);
    TBADDBITMAP addBitmap = {nullptr, reinterpret_cast<UINT_PTR>(hBitmap)};
    const int nImages = m_sizeImage.cx > 0 ? bm.bmWidth / m_sizeImage.cx : 0;
    if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nImages), reinterpret_cast<LPARAM>(&addBitmap)) == -1)
    {
        ::DeleteObject(hBitmap);
        return FALSE;
    }
    if (m_hBitmap != nullptr)
        ::DeleteObject(m_hBitmap);
    m_hBitmap = hBitmap;
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    while (SendMessage(TB_BUTTONCOUNT) > 0)
        SendMessage(TB_DELETEBUTTON, 0);

    int nImage = 0;
    for (int i = 0; i < nIDCount; i++)
    {
        TBBUTTON button = {};
        button.fsState = TBSTATE_ENABLED;
        button.iString = -1;
        const UINT nID = lpIDArray != nullptr ? lpIDArray[i] : 0;
        if (lpIDArray != nullptr && nID == ID_SEPARATOR)
        {
            button.fsStyle = TBSTYLE_SEP;
            button.iBitmap = kSeparatorWidth;
        }
        else
        {
            button.fsStyle = TBSTYLE_BUTTON;
            button.idCommand = static_cast<int>(nID);
            button.iBitmap = nImage++;
        }
        if (!SendMessage(TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button)))
            return FALSE;
    }
    m_nCount = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
    return TRUE;
}

int CToolBar::GetCount() const
{
    return m_hWnd != nullptr ? static_cast<int>(SendMessage(TB_BUTTONCOUNT)) : 0;
}

int CToolBar::CommandToIndex(UINT nIDFind) const
{
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, nIDFind));
}

BOOL CToolBar::GetButton(int nIndex, TBBUTTON* pButton) const
{
    return SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pButton)) != 0;
}

BOOL CToolBar::SetButton(int nIndex, TBBUTTON* pButton)
{
    // The control has no "replace": delete and insert at the same place.
    TBBUTTON old = {};
    if (!GetButton(nIndex, &old))
        return FALSE;
    SendMessage(TB_DELETEBUTTON, static_cast<WPARAM>(nIndex));
    return SendMessage(TB_INSERTBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pButton)) != 0;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button = {};
    return GetButton(nIndex, &button) ? static_cast<UINT>(button.idCommand) : 0;
}

void CToolBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect)))
        ::SetRectEmpty(lpRect);
}

void CToolBar::GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const
{
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button))
    {
        nID = 0;
        nStyle = 0;
        iImage = 0;
        return;
    }
    nID = static_cast<UINT>(button.idCommand);
    // The style word has "disabled" where the control has "enabled".
    nStyle = MAKELONG(button.fsStyle, button.fsState ^ TBSTATE_ENABLED);
    iImage = button.iBitmap;
}

void CToolBar::SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage)
{
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button))
        return;
    button.idCommand = static_cast<int>(nID);
    button.fsStyle = static_cast<BYTE>(LOWORD(nStyle));
    button.fsState = static_cast<BYTE>(HIWORD(nStyle) ^ TBSTATE_ENABLED);
    button.iBitmap = iImage;
    SetButton(nIndex, &button);
}

UINT CToolBar::GetButtonStyle(int nIndex) const
{
    UINT nID = 0;
    UINT nStyle = 0;
    int iImage = 0;
    GetButtonInfo(nIndex, nID, nStyle, iImage);
    return nStyle;
}

void CToolBar::SetButtonStyle(int nIndex, UINT nStyle)
{
    UINT nID = 0;
    UINT nOldStyle = 0;
    int iImage = 0;
    GetButtonInfo(nIndex, nID, nOldStyle, iImage);
    if (nOldStyle != nStyle)
        SetButtonInfo(nIndex, nID, nStyle, iImage);
}

CSize CToolBar::CalcButtonsSize(BOOL bHorz) const
{
    CSize size(0, 0);
    const int nCount = GetCount();
    for (int i = 0; i < nCount; i++)
    {
        TBBUTTON button = {};
        if (!GetButton(i, &button) || (button.fsState & TBSTATE_HIDDEN))
            continue;
        const BOOL bSeparator = (button.fsStyle & TBSTYLE_SEP) != 0;
        const int nAlong = bSeparator ? (bHorz ? kSeparatorWidth : 0) : (bHorz ? m_sizeButton.cx : m_sizeButton.cy);
        if (bHorz)
        {
            size.cx += nAlong;
            size.cy = std::max(size.cy, static_cast<LONG>(m_sizeButton.cy));
        }
        else
        {
            size.cy += nAlong;
            size.cx = std::max(size.cx, static_cast<LONG>(m_sizeButton.cx));
        }
    }
    return size;
}

CSize CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    // A vertical bar shows one button per row: every button wraps.
    const int nCount = GetCount();
    for (int i = 0; i < nCount; i++)
    {
        const int nID = static_cast<int>(GetItemID(i));
        const int nState = static_cast<int>(SendMessage(TB_GETSTATE, static_cast<WPARAM>(nID)));
        if (nID == 0 || nState == -1)
            continue;
        const int nNewState = bHorz ? (nState & ~TBSTATE_WRAP) : (nState | TBSTATE_WRAP);
        if (nNewState != nState)
            SendMessage(TB_SETSTATE, static_cast<WPARAM>(nID), MAKELPARAM(nNewState, 0));
    }

    CSize size = CalcButtonsSize(bHorz);
    CRect rectInsets(0, 0, 0, 0);
    CalcInsideRect(rectInsets, bHorz);
    size.cx -= rectInsets.Width();
    size.cy -= rectInsets.Height();
    if (bStretch)
    {
        if (bHorz)
            size.cx = 32767;
        else
            size.cy = 32767;
    }
    return size;
}

CSize CToolBar::CalcDynamicLayout(int, DWORD nMode)
{
    if (nMode & LM_VERTDOCK)
        return CalcFixedLayout((nMode & LM_STRETCH) != 0, FALSE);
    return CalcFixedLayout((nMode & LM_STRETCH) != 0, (nMode & LM_HORZ) != 0);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    ToolButtonCmdUI state;
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(GetCount());
    for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; state.m_nIndex++)
    {
        TBBUTTON button = {};
        if (!GetButton(static_cast<int>(state.m_nIndex), &button) || (button.fsStyle & TBSTYLE_SEP))
            continue;
        state.m_nID = static_cast<UINT>(button.idCommand);
        state.DoUpdate(pTarget, bDisableIfNoHndler);
    }
    // Controls placed on the bar are updated like dialog controls.
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

INT_PTR CToolBar::OnToolHitTest(CPoint point, TOOLINFO* pTI) const
{
    const int nIndex = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
    if (nIndex < 0 || nIndex >= GetCount())
        return -1;
    TBBUTTON button = {};
    if (!GetButton(nIndex, &button) || (button.fsStyle & TBSTYLE_SEP) || button.idCommand == 0)
        return -1;
    if (pTI != nullptr)
    {
        pTI->hwnd = m_hWnd;
        pTI->uId = static_cast<UINT_PTR>(button.idCommand);
        GetItemRect(nIndex, &pTI->rect);
        pTI->lpszText = LPSTR_TEXTCALLBACK;
    }
    return button.idCommand;
}

void CToolBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp)
{
    // Borders and gripper are drawn outside the control's client area.
    CRect rect(0, 0, 0, 0);
    CalcInsideRect(rect, (m_dwStyle & CBRS_ORIENT_HORZ) != 0);
    lpncsp->rgrc[0].left += rect.left;
    lpncsp->rgrc[0].top += rect.top;
    lpncsp->rgrc[0].right += rect.right;
    lpncsp->rgrc[0].bottom += rect.bottom;
}

void CToolBar::OnNcPaint()
{
    CWindowDC dc(this);
    CRect rectWindow;
    CRect rectClient;
    GetNonClientRects(rectWindow, rectClient);
    ::ExcludeClipRect(dc.m_hDC, rectClient.left, rectClient.top, rectClient.right, rectClient.bottom);
    dc.FillSolidRect(&rectWindow, ::GetSysColor(COLOR_BTNFACE));
    DrawBorders(&dc, rectWindow);
    DrawGripper(&dc, rectWindow);
}

void CToolBar::OnPaint()
{
    Default();   // the control paints its buttons
}

BOOL CToolBar::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

void CToolBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    // Buttons belong to the control; the rest of the bar drags it.
    if (OnToolHitTest(point, nullptr) >= 0)
    {
        Default();
        return;
    }
    CControlBar::OnLButtonDown(nFlags, point);
}

void CToolBar::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    if (OnToolHitTest(point, nullptr) >= 0)
    {
        Default();
        return;
    }
    CControlBar::OnLButtonDblClk(nFlags, point);
}
