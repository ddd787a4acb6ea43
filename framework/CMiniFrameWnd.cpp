#include "framework/CMiniFrameWnd.h"

IMPLEMENT_DYNCREATE(CMiniFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMiniFrameWnd, CFrameWnd)
    ON_WM_NCACTIVATE()
    ON_WM_ACTIVATE()
    ON_MESSAGE(WM_FLOATSTATUS, OnFloatStatus)
END_MESSAGE_MAP()

CMiniFrameWnd::CMiniFrameWnd() = default;

BOOL CMiniFrameWnd::PreCreateWindow(CREATESTRUCT& cs)
{
    if (cs.lpszClass == nullptr)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    // The tool caption and the sizing border come from the system.
    cs.dwExStyle |= WS_EX_TOOLWINDOW;
    if ((cs.style & (MFS_THICKFRAME | MFS_4THICKFRAME)) != 0)
        cs.style |= WS_THICKFRAME;
    if ((cs.style & MFS_BLOCKSYSMENU) != 0)
        cs.style &= ~WS_SYSMENU;
    return CFrameWnd::PreCreateWindow(cs);
}

BOOL CMiniFrameWnd::Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                           CWnd* pParentWnd, UINT nID)
{
    return CreateEx(0, lpClassName, lpWindowName, dwStyle, rect, pParentWnd, nID);
}

BOOL CMiniFrameWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle,
                             const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (lpWindowName != nullptr)
        m_strTitle = lpWindowName;
    // A popup's menu parameter is a menu, not an id: the id is set afterwards.
    const HWND parent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    const bool child = (dwStyle & WS_CHILD) != 0;
    if (!CWnd::CreateEx(dwExStyle, lpClassName, lpWindowName, dwStyle, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent,
                        child ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)) : nullptr))
        return FALSE;
    if (!child && nID != 0)
        ::SetWindowLongPtr(m_hWnd, GWLP_ID, static_cast<LONG_PTR>(nID));
    return TRUE;
}

BOOL CMiniFrameWnd::OnNcActivate(BOOL bActive)
{
    // While the owner frame is active the caption stays lit, as if one window.
    if ((GetStyle() & MFS_SYNCACTIVE) != 0 && !bActive && m_bActive)
        bActive = TRUE;
    return static_cast<BOOL>(CWnd::DefWindowProc(WM_NCACTIVATE, bActive, 0));
}

void CMiniFrameWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized)
{
    CFrameWnd::OnActivate(nState, pWndOther, bMinimized);
    if (nState != WA_INACTIVE || (GetStyle() & MFS_SYNCACTIVE) == 0)
        return;
    // Leaving for a window outside the owner's family darkens the owner and its floaters.
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    HWND other = pWndOther != nullptr ? pWndOther->m_hWnd : nullptr;
    if (owner == nullptr || other == owner || (other != nullptr && ::GetWindow(other, GW_OWNER) == owner))
        return;
    CWnd* ownerWnd = FromHandlePermanent(owner);
    if (ownerWnd == nullptr || !ownerWnd->IsFrameWnd())
        return;
    CFrameWnd* ownerFrame = static_cast<CFrameWnd*>(ownerWnd);
    ownerFrame->DefWindowProc(WM_NCACTIVATE, FALSE, 0);
    ownerFrame->NotifyFloatingWindows(FS_DEACTIVATE);
}

LRESULT CMiniFrameWnd::OnFloatStatus(WPARAM wParam, LPARAM)
{
    if ((wParam & (FS_ACTIVATE | FS_DEACTIVATE)) != 0 && (GetStyle() & MFS_SYNCACTIVE) != 0)
    {
        m_bActive = (wParam & FS_ACTIVATE) != 0;
        CWnd::DefWindowProc(WM_NCACTIVATE, m_bActive, 0);
    }
    if ((wParam & (FS_ENABLE | FS_DISABLE)) != 0)
        EnableWindow((wParam & FS_ENABLE) != 0);
    return TRUE;
}
