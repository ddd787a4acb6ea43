#include "uilib/CBNMenuBar.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "framework/MessageMap.h"
#include "uilib/SystemFonts.h"

#include <cstring>
#include <vector>

IMPLEMENT_DYNAMIC(CBNMenuBar, CBNToolBar)

BEGIN_MESSAGE_MAP(CBNMenuBar, CBNToolBar)
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDOWN()
    ON_WM_SIZE()
    ON_UPDATE_COMMAND_UI_RANGE(0, 256, OnUpdateMenuButton)
END_MESSAGE_MAP()

CBNMenuBar* CBNMenuBar::g_pMenuBar = nullptr;
HHOOK CBNMenuBar::g_hMsgHook = nullptr;

namespace
{
const UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;

bool KeyIsDown(int nVirtKey)
{
    return (::GetKeyState(nVirtKey) & 0x8000) != 0;
}

// Mnemonics are letters and digits, whose virtual keys are 'A' to 'Z' and '0' to '9'.
// The codes of the lower-case letters belong to the numeric pad and F1 to F11: Alt+F4
// must close the window, not open the popup whose mnemonic is "s".
bool IsMnemonicKey(UINT nKey)
{
    return (nKey >= 'A' && nKey <= 'Z') || (nKey >= '0' && nKey <= '9');
}
} // namespace

CBNMenuBar::CBNMenuBar()
    : m_nMenuID(0), m_iPopupTracking(-1), m_iNewPopup(-1), m_bProcessRightArrow(FALSE), m_bProcessLeftArrow(FALSE),
      m_bEscapeWasPressed(FALSE), m_ptMouse(-1, -1), m_iTrackingState(TRACK_NONE)
{
}

CBNMenuBar::~CBNMenuBar()
{
    m_fontMenu.DeleteObject();
    m_menu.DestroyMenu();
    m_frameHook.HookWindow(static_cast<HWND>(nullptr));
}

BOOL CBNMenuBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateEx(pParentWnd, 0, dwStyle, CRect(m_cxLeftBorder, m_cyTopBorder, m_cxRightBorder, m_cyBottomBorder),
                    nID);
}

BOOL CBNMenuBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, CRect rcBorders, UINT nID)
{
    if (!CBNToolBar::CreateEx(pParentWnd, dwCtrlStyle, dwStyle, rcBorders, nID))
        return FALSE;
    UpdateFont();
    if (pParentWnd != nullptr)
        m_frameHook.Install(this, pParentWnd->m_hWnd);
    SetWindowText("Menu Bar");
    return TRUE;
}

CWnd* CBNMenuBar::TrackingFrame() const
{
    // The frame the bar belongs to, floating or docked: its commands run there.
    CWnd* pFrame = GetDockingFrame();
    if (pFrame == nullptr)
        pFrame = GetParent();
    return pFrame;
}

CBNMenu* CBNMenuBar::GetMenu()
{
    return &m_menu;
}

UINT CBNMenuBar::GetMenuID() const
{
    return m_nMenuID;
}

const CStringArray& CBNMenuBar::GetButtonTexts() const
{
    return m_arStrings;
}

// --- Loading -------------------------------------------------------------------------------

BOOL CBNMenuBar::LoadMenuA(UINT nID)
{
    // The bar shows the menu now: the frame keeps none of its own.
    CWnd* pFrame = TrackingFrame();
    if (pFrame != nullptr && pFrame->m_hWnd != nullptr)
    {
        HMENU hFrameMenu = ::GetMenu(pFrame->m_hWnd);
        if (hFrameMenu != nullptr)
        {
            ::SetMenu(pFrame->m_hWnd, nullptr);
            // A frame's default menu would otherwise be put back and freed once more.
            if (pFrame->IsFrameWnd() && static_cast<CFrameWnd*>(pFrame)->m_hMenuDefault == hFrameMenu)
                static_cast<CFrameWnd*>(pFrame)->m_hMenuDefault = nullptr;
            ::DestroyMenu(hFrameMenu);
        }
    }

    CMenu menu;
    menu.LoadMenu(nID);
    m_nMenuID = nID;
    for (int nLeft = GetButtonCount(); nLeft > 0; nLeft--)
        DeleteButton(0);
    {
        const DWORD dwStyle = CWnd::GetStyle();
        const DWORD dwFlat = TBSTYLE_FLAT | TBSTYLE_TRANSPARENT;
        if ((dwStyle & dwFlat) != dwFlat)
            ::SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(dwStyle | dwFlat));
        SendMessage(TB_SETIMAGELIST, 0, 0);

        const int nCount = menu.m_hMenu != nullptr ? menu.GetMenuItemCount() : 0;
        for (int i = 0; i < nCount; i++)
        {
            CString text;
            menu.GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
            if (text.IsEmpty())
                continue;
            // One control string per distinct text.
            int nString = -1;
            for (INT_PTR j = 0; j < m_arStrings.GetSize(); j++)
            {
                if (m_arStrings[j] == text)
                {
                    nString = static_cast<int>(j);
                    break;
                }
            }
            if (nString < 0)
            {
                std::vector<char> texts(static_cast<size_t>(text.GetLength()) + 2, '\0');
                std::memcpy(texts.data(), static_cast<LPCTSTR>(text), static_cast<size_t>(text.GetLength()));
                nString = static_cast<int>(SendMessage(TB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts.data())));
                if (nString < 0)
                    continue;
                m_arStrings.SetAtGrow(nString, text);
            }
            TBBUTTON button = {};
            button.iBitmap = -1;
            button.idCommand = i;   // the button's command is its popup's position
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_AUTOSIZE;
            button.iString = nString;
            SendMessage(TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button));
        }
        m_nCount = GetButtonCount();
        if ((dwStyle & dwFlat) != dwFlat)
            ::SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(dwStyle));
    }
    if (menu.m_hMenu != nullptr)
    {
        SendMessage(TB_AUTOSIZE);
        m_bDelayedButtonLayout = TRUE;
        RecomputeMenuLayout();
    }
    return TRUE;
}

// --- State ---------------------------------------------------------------------------------

CBNMenuBar::TRACKINGSTATE CBNMenuBar::GetTrackingState(int& iPopup) const
{
    iPopup = m_iPopupTracking;
    return m_iTrackingState;
}

BOOL CBNMenuBar::IsValidButton(int iButton) const
{
    return iButton >= 0 && iButton < GetButtonCount();
}

int CBNMenuBar::HitTest(CPoint point) const
{
    const int nHit = CBNToolBar::HitTest(point);
    CRect rect;
    GetClientRect(&rect);
    return (nHit >= 0 && rect.PtInRect(point)) ? nHit : -1;
}

int CBNMenuBar::GetNextOrPrevButton(int iButton, BOOL bPrev) const
{
    const int nCount = GetButtonCount();
    if (nCount <= 0)
        return -1;
    if (bPrev)
        return iButton <= 0 ? nCount - 1 : iButton - 1;
    return iButton + 1 >= nCount ? 0 : iButton + 1;
}

void CBNMenuBar::SetTrackingState(TRACKINGSTATE iState, int iButton)
{
    if (iState == m_iTrackingState)
        return;
    if (iState == TRACK_NONE)
        iButton = -1;
    SetHotItem(iButton);
    if (iState == TRACK_POPUP)
    {
        m_bEscapeWasPressed = FALSE;
        m_bProcessRightArrow = TRUE;
        m_bProcessLeftArrow = TRUE;
        m_iPopupTracking = iButton;
    }
    m_iTrackingState = iState;
}

void CBNMenuBar::ToggleTrackButtonMode()
{
    if (m_iTrackingState == TRACK_NONE)
        SetTrackingState(TRACK_BUTTON, 0);
    else if (m_iTrackingState == TRACK_BUTTON)
        SetTrackingState(TRACK_NONE);
}

// --- Popups ----------------------------------------------------------------------------------

CPoint CBNMenuBar::ComputeMenuTrackPoint(const CRect& rcButton)
{
    const DWORD dwAlign = m_dwStyle & CBRS_ALIGN_ANY;
    if (!(m_dwStyle & CBRS_FLOATING))
    {
        if (dwAlign & CBRS_ALIGN_LEFT)
            return CPoint(rcButton.right, rcButton.top);
        if (dwAlign & (CBRS_ALIGN_RIGHT | CBRS_ALIGN_BOTTOM))
            return CPoint(rcButton.left, rcButton.top);
    }
    return CPoint(rcButton.left, rcButton.bottom);
}

void CBNMenuBar::TrackPopup(int iButton)
{
    // A fresh owner-drawn menu with the images of the toolbar of the same id.
    m_menu.LoadMenuA(static_cast<int>(m_nMenuID));
    m_menu.LoadToolbar(m_nMenuID);
    CWnd* pFrame = TrackingFrame();
    while (iButton >= 0 && pFrame != nullptr)
    {
        m_iNewPopup = -1;
        const int nPosition = static_cast<int>(GetItemID(iButton));
        PressButton(nPosition, TRUE);
        UpdateWindow();
        // The popup opens with its first item selected.
        pFrame->PostMessage(WM_KEYDOWN, VK_DOWN, 1);
        pFrame->PostMessage(WM_KEYUP, VK_DOWN, 1);
        SetTrackingState(TRACK_POPUP, iButton);
        g_pMenuBar = this;
        g_hMsgHook = ::SetWindowsHookExA(WH_MSGFILTER, &CBNMenuBar::MenuInputFilter, nullptr, ::GetCurrentThreadId());

        CRect rcButton;
        SendMessage(TB_GETRECT, static_cast<WPARAM>(nPosition), reinterpret_cast<LPARAM>(&rcButton));
        ClientToScreen(&rcButton);
        const CPoint point = ComputeMenuTrackPoint(rcButton);
        CMenu* pPopup = m_menu.GetSubMenu(nPosition);
        if (pPopup != nullptr)
            pPopup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, point.x, point.y, pFrame);

        if (g_hMsgHook != nullptr)
            ::UnhookWindowsHookEx(g_hMsgHook);
        g_hMsgHook = nullptr;
        g_pMenuBar = nullptr;
        PressButton(nPosition, FALSE);
        UpdateWindow();
        SetTrackingState(m_bEscapeWasPressed ? TRACK_BUTTON : TRACK_NONE, iButton);
        iButton = m_iNewPopup;
    }
    m_menu.DestroyMenu();
}

void CBNMenuBar::CancelMenuAndTrackNewOne(int iButton)
{
    if (iButton == m_iPopupTracking)
        return;
    if (CWnd* pFrame = TrackingFrame())
        pFrame->PostMessage(WM_CANCELMODE);
    m_iNewPopup = iButton;
}

void CBNMenuBar::OnMenuSelect(HMENU hMenu, UINT nItemID)
{
    if (m_iTrackingState != TRACK_POPUP || hMenu == nullptr)
        return;
    // Right opens a submenu where the item has one; Left closes a submenu that is
    // open, so both move to the neighbouring popup only from where they would do nothing.
    m_bProcessRightArrow = ::GetSubMenu(hMenu, static_cast<int>(nItemID)) == nullptr;
    CMenu* pTopPopup = m_menu.m_hMenu != nullptr ? m_menu.GetSubMenu(static_cast<int>(GetItemID(m_iPopupTracking)))
                                                 : nullptr;
    m_bProcessLeftArrow = pTopPopup == nullptr || pTopPopup->m_hMenu == hMenu;
}

BOOL CBNMenuBar::OnMenuInput(MSG& m)
{
    switch (m.message)
    {
    case WM_KEYDOWN:
        if (m.wParam == VK_LEFT && m_bProcessLeftArrow)
        {
            CancelMenuAndTrackNewOne(GetNextOrPrevButton(m_iPopupTracking, TRUE));
            return TRUE;
        }
        if (m.wParam == VK_RIGHT && m_bProcessRightArrow)
        {
            CancelMenuAndTrackNewOne(GetNextOrPrevButton(m_iPopupTracking, FALSE));
            return TRUE;
        }
        if (m.wParam == VK_ESCAPE)
            m_bEscapeWasPressed = TRUE;
        break;
    case WM_MOUSEMOVE:
    {
        CPoint point(m.pt);
        ScreenToClient(&point);
        if (point != m_ptMouse)
        {
            const int iButton = HitTest(point);
            if (IsValidButton(iButton) && iButton != m_iPopupTracking)
                CancelMenuAndTrackNewOne(iButton);
            m_ptMouse = point;
        }
        break;
    }
    case WM_LBUTTONDOWN:
    {
        CPoint point(m.pt);
        ScreenToClient(&point);
        if (HitTest(point) == m_iPopupTracking)
        {
            // The open popup's own button closes it and opens nothing.
            CancelMenuAndTrackNewOne(-1);
            return TRUE;
        }
        break;
    }
    default:
        break;
    }
    return FALSE;
}

LRESULT CALLBACK CBNMenuBar::MenuInputFilter(int code, WPARAM wp, LPARAM lp)
{
    if (code == MSGF_MENU && g_pMenuBar != nullptr && g_pMenuBar->OnMenuInput(*reinterpret_cast<MSG*>(lp)))
        return TRUE;
    return ::CallNextHookEx(g_hMsgHook, code, wp, lp);
}

// --- The frame's keyboard -------------------------------------------------------------------

BOOL CBNMenuBar::TranslateFrameMessage(MSG* pMsg)
{
    const UINT msg = pMsg->message;
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP)
    {
        const BOOL bAlt = (HIWORD(pMsg->lParam) & KF_ALTDOWN) != 0;
        const UINT nKey = static_cast<UINT>(pMsg->wParam);
        if (nKey == VK_MENU ||
            (nKey == VK_F10 && !KeyIsDown(VK_SHIFT) && !KeyIsDown(VK_CONTROL) && !bAlt))
        {
            if (msg == WM_SYSKEYUP)
                ToggleTrackButtonMode();
            return TRUE;
        }
        if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        {
            if (m_iTrackingState == TRACK_BUTTON)
            {
                switch (nKey)
                {
                case VK_ESCAPE:
                    SetTrackingState(TRACK_NONE);
                    return TRUE;
                case VK_SPACE:
                case VK_UP:
                case VK_DOWN:
                    TrackPopup(GetHotItem());
                    return TRUE;
                case VK_LEFT:
                case VK_RIGHT:
                    SetHotItem(GetNextOrPrevButton(GetHotItem(), nKey == VK_LEFT));
                    return TRUE;
                default:
                    break;
                }
            }
            if (IsMnemonicKey(nKey) && (bAlt || m_iTrackingState == TRACK_BUTTON))
            {
                UINT nCommand = 0;
                if (MapAccelerator(static_cast<TCHAR>(nKey), &nCommand))
                {
                    TrackPopup(CommandToIndex(nCommand));
                    return TRUE;
                }
                if (m_iTrackingState == TRACK_BUTTON && !bAlt)
                {
                    ::MessageBeep(0);
                    return TRUE;
                }
            }
        }
    }

    const bool bMouseButton = msg >= WM_LBUTTONDOWN && msg <= WM_MOUSEWHEEL;
    if (bMouseButton && pMsg->hwnd == m_hWnd)
        return FALSE;   // the bar's own clicks go on to the bar
    if ((msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || bMouseButton)
    {
        if (m_iTrackingState != TRACK_NONE)
            SetTrackingState(TRACK_NONE);
    }
    return FALSE;
}

// --- Mouse on the bar ------------------------------------------------------------------------

void CBNMenuBar::OnMouseMove(UINT, CPoint point)
{
    if (m_iTrackingState == TRACK_BUTTON)
    {
        if (point != m_ptMouse)
        {
            const int iButton = HitTest(point);
            if (IsValidButton(iButton))
                SetHotItem(iButton);
            m_ptMouse = point;
        }
        return;
    }
    m_ptMouse = point;
    Default();
}

void CBNMenuBar::OnLButtonDown(UINT nFlags, CPoint point)
{
    const int iButton = HitTest(point);
    if (IsValidButton(iButton))
    {
        TrackPopup(iButton);
        return;
    }
    CBNToolBar::OnLButtonDown(nFlags, point);
}

void CBNMenuBar::OnUpdateMenuButton(CCmdUI* pCmdUI)
{
    // Every button opens its popup, whatever the frame handles. A button's command is
    // its popup's position, which passes the button count when a top-level item
    // without text has no button.
    pCmdUI->Enable(TRUE);
}

// --- Layout ----------------------------------------------------------------------------------

CSize CBNMenuBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    CSize size = CBNToolBar::CalcFixedLayout(bStretch, bHorz);
    if (m_bInReBar || (m_dwStyle & CBRS_FLOATING))
        return size;
    // Docked, the bar spans the frame's client area.
    CFrameWnd* pFrame = GetDockingFrame();
    if (pFrame == nullptr || pFrame->m_hWnd == nullptr)
        return size;
    CRect rect;
    pFrame->GetClientRect(&rect);
    if (bHorz)
        size.cx = rect.Width();
    else
        size.cy = rect.Height();
    return size;
}

void CBNMenuBar::RecomputeFrame()
{
    if (m_hWnd != nullptr)
        SetWindowPos(nullptr, 0, 0, 0, 0, kFrameChanged);
}

void CBNMenuBar::OnBarStyleChange(DWORD dwOldStyle, DWORD dwNewStyle)
{
    CBNToolBar::OnBarStyleChange(dwOldStyle, dwNewStyle);
    RecomputeFrame();
}

void CBNMenuBar::OnSize(UINT, int, int)
{
    Default();
    RecomputeFrame();
}

void CBNMenuBar::UpdateFont()
{
    LOGFONTA font;
    if (!GetSystemMenuLogFontA(font))
        return;
    m_fontMenu.DeleteObject();
    if (m_fontMenu.CreateFontIndirect(&font) && m_hWnd != nullptr)
        SetFont(&m_fontMenu, TRUE);
}

void CBNMenuBar::RecomputeToolbarSize()
{
    SendMessage(TB_AUTOSIZE);
    m_bDelayedButtonLayout = TRUE;
}

void CBNMenuBar::RecomputeMenuLayout()
{
    // The frame lays its bars out again; a floating bar's mini frame too.
    if (CFrameWnd* pFrame = GetParentFrame())
    {
        pFrame->RecalcLayout();
        if (CFrameWnd* pDockSite = GetDockingFrame(); pDockSite != nullptr && pDockSite != pFrame)
            pDockSite->RecalcLayout();
    }
}
