#include "framework/CStatusBar.h"
#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/CFrameWnd.h"
#include "framework/CommonControls.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_MESSAGE(WM_GETTEXT, OnGetText)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLength)
END_MESSAGE_MAP()

namespace
{
// Room around a pane's text: the control's sunken edge and a little air.
const int kPaneMargin = 2 * 2 + 2 * 3;

// Applies a command-update to one pane: enabled shows the text, checked pops it out.
class StatusPaneCmdUI : public CCmdUI
{
public:
    explicit StatusPaneCmdUI(CStatusBar* bar) : m_bar(bar) {}

    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        const int index = static_cast<int>(m_nIndex);
        const UINT style = m_bar->GetPaneStyle(index) & ~SBPS_DISABLED;
        m_bar->SetPaneStyle(index, bOn ? style : style | SBPS_DISABLED);
    }
    void SetCheck(int nCheck) override
    {
        const int index = static_cast<int>(m_nIndex);
        const UINT style = m_bar->GetPaneStyle(index) & ~SBPS_POPOUT;
        m_bar->SetPaneStyle(index, nCheck ? style | SBPS_POPOUT : style);
    }
    void SetRadio(BOOL bOn) override { SetCheck(bOn ? 1 : 0); }
    void SetText(LPCTSTR lpszText) override { m_bar->SetPaneText(static_cast<int>(m_nIndex), lpszText); }

private:
    CStatusBar* m_bar;
};
}  // namespace

CStatusBar::CStatusBar()
{
    // The common control draws its own edges.
    m_cxLeftBorder = m_cxRightBorder = 0;
    m_cyTopBorder = m_cyBottomBorder = 0;
}

CStatusBar::~CStatusBar()
{
    // The wrapper never owned the window; it must not try to destroy it.
    m_statusBarCtrl.m_hWnd = nullptr;
}

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    AfxInitCommonControls();
    m_dwStyle = dwStyle & CBRS_ALL;
    // The frame's layout places the bar: the control must not move itself.
    const DWORD windowStyle = (dwStyle & ~CBRS_ALL) | CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
    return CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, windowStyle | WS_CHILD, CRect(0, 0, 0, 0), pParentWnd, nID);
}

CStatusBarCtrl& CStatusBar::GetStatusBarCtrl() const
{
    m_statusBarCtrl.m_hWnd = m_hWnd;
    return m_statusBarCtrl;
}

int CStatusBar::TextWidth(const CString& text) const
{
    if (m_hWnd == nullptr || text.IsEmpty())
        return 0;
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    SIZE size = {};
    ::GetTextExtentPoint32(dc, text, text.GetLength(), &size);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);
    return size.cx;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (nIDCount < 0 || (nIDCount > 0 && lpIDArray == nullptr))
        return FALSE;
    m_panes.assign(static_cast<size_t>(nIDCount), Pane());
    bool stretchGiven = false;
    for (int index = 0; index < nIDCount; ++index)
    {
        Pane& pane = m_panes[static_cast<size_t>(index)];
        pane.nID = lpIDArray[index];
        if (pane.nID == ID_SEPARATOR)
        {
            // The first separator is the message pane: it takes the width left over.
            if (!stretchGiven)
            {
                pane.nStyle = SBPS_NOBORDERS | SBPS_STRETCH;
                stretchGiven = true;
            }
            continue;
        }
        CString text;
        if (text.LoadString(pane.nID))
        {
            pane.strText = text;
            pane.cxText = TextWidth(text);
        }
    }
    m_nCount = nIDCount;
    UpdateAllPanes();
    for (int index = 0; index < nIDCount; ++index)
        ShowPaneText(index);
    return TRUE;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const
{
    for (size_t index = 0; index < m_panes.size(); ++index)
    {
        if (m_panes[index].nID == nIDFind)
            return static_cast<int>(index);
    }
    return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nID : 0;
}

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const
{
    ::SetRectEmpty(lpRect);
    if (IsValidIndex(nIndex) && m_hWnd != nullptr)
        SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const
{
    if (!IsValidIndex(nIndex))
    {
        nID = 0;
        nStyle = 0;
        cxWidth = 0;
        return;
    }
    const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    nID = pane.nID;
    nStyle = pane.nStyle;
    cxWidth = pane.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth)
{
    if (!IsValidIndex(nIndex))
        return;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const bool layoutChanged = pane.cxText != cxWidth || ((pane.nStyle ^ nStyle) & SBPS_STRETCH) != 0;
    pane.nID = nID;
    pane.nStyle = nStyle;
    pane.cxText = cxWidth;
    if (layoutChanged)
        UpdateAllPanes();
    ShowPaneText(nIndex);
}

UINT CStatusBar::GetPaneStyle(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle)
{
    if (!IsValidIndex(nIndex))
        return;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    if (pane.nStyle == nStyle)
        return;
    const bool stretchChanged = ((pane.nStyle ^ nStyle) & SBPS_STRETCH) != 0;
    pane.nStyle = nStyle;
    if (stretchChanged)
        UpdateAllPanes();
    ShowPaneText(nIndex);
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    return IsValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].strText : CString();
}

void CStatusBar::GetPaneText(int nIndex, CString& rString) const
{
    rString = GetPaneText(nIndex);
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate)
{
    if (!IsValidIndex(nIndex))
        return FALSE;
    Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const CString text = lpszNewText != nullptr ? lpszNewText : "";
    if (pane.strText == text)
        return TRUE;
    pane.strText = text;
    ShowPaneText(nIndex);
    if (bUpdate && m_hWnd != nullptr)
        UpdateWindow();
    return TRUE;
}

void CStatusBar::ShowPaneText(int nIndex)
{
    if (m_hWnd == nullptr || !IsValidIndex(nIndex))
        return;
    const Pane& pane = m_panes[static_cast<size_t>(nIndex)];
    const UINT drawing = pane.nStyle & (SBPS_NOBORDERS | SBPS_POPOUT | SBPS_OWNERDRAW);
    const bool disabled = (pane.nStyle & SBPS_DISABLED) != 0;
    SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex) | drawing,
                reinterpret_cast<LPARAM>(disabled ? "" : static_cast<LPCTSTR>(pane.strText)));
}

void CStatusBar::UpdateAllPanes()
{
    if (m_hWnd == nullptr)
        return;
    if (m_panes.empty())
    {
        int whole = -1;
        SendMessage(SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&whole));
        return;
    }
    CRect client;
    GetClientRect(&client);
    int fixedWidth = 0;
    for (const Pane& pane : m_panes)
        fixedWidth += pane.cxText + kPaneMargin;
    const int spare = std::max(0, client.Width() - fixedWidth);

    std::vector<int> edges(m_panes.size());
    int right = 0;
    for (size_t index = 0; index < m_panes.size(); ++index)
    {
        const Pane& pane = m_panes[index];
        right += pane.cxText + kPaneMargin;
        if ((pane.nStyle & SBPS_STRETCH) != 0)
            right += spare;
        edges[index] = right;
    }
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(edges.size()), reinterpret_cast<LPARAM>(edges.data()));
}

CSize CStatusBar::CalcFixedLayout(BOOL bStretch, BOOL)
{
    int height = 0;
    if (m_hWnd != nullptr)
    {
        HDC dc = ::GetDC(m_hWnd);
        HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        TEXTMETRIC metrics = {};
        ::GetTextMetrics(dc, &metrics);
        ::SelectObject(dc, oldFont);
        ::ReleaseDC(m_hWnd, dc);
        int horizontal = 0, vertical = 0, spacing = 0;
        GetStatusBarCtrl().GetBorders(horizontal, vertical, spacing);
        height = metrics.tmHeight + 2 * vertical + 2 * ::GetSystemMetrics(SM_CYEDGE) + 2;
    }
    int width = 32767;
    if (!bStretch)
    {
        width = 0;
        for (const Pane& pane : m_panes)
            width += pane.cxText + kPaneMargin;
    }
    return CSize(width, height);
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler)
{
    StatusPaneCmdUI state(this);
    state.m_pOther = this;
    state.m_nIndexMax = static_cast<UINT>(m_panes.size());
    for (size_t index = 0; index < m_panes.size(); ++index)
    {
        // The message pane is written by the frame, not updated.
        if (m_panes[index].nID == ID_SEPARATOR)
            continue;
        state.m_nID = m_panes[index].nID;
        state.m_nIndex = static_cast<UINT>(index);
        state.DoUpdate(pTarget, FALSE);
    }
    // Controls placed on the panes follow the same handlers.
    UpdateDialogControls(pTarget, bDisableIfNoHndler);
}

// --- Messages -------------------------------------------------------------------------

void CStatusBar::OnSize(UINT, int, int)
{
    Default();
    UpdateAllPanes();
}

void CStatusBar::OnPaint()
{
    Default();
}

BOOL CStatusBar::OnEraseBkgnd(CDC*)
{
    return static_cast<BOOL>(Default());
}

// A status bar neither docks nor floats: the mouse goes to the control.
void CStatusBar::OnLButtonDown(UINT, CPoint)
{
    Default();
}

void CStatusBar::OnLButtonDblClk(UINT, CPoint)
{
    Default();
}

LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam)
{
    const int index = CommandToIndex(ID_SEPARATOR);
    if (index < 0)
        return FALSE;
    return SetPaneText(index, reinterpret_cast<LPCTSTR>(lParam));
}

LRESULT CStatusBar::OnGetText(WPARAM wParam, LPARAM lParam)
{
    const int index = CommandToIndex(ID_SEPARATOR);
    const CString text = index >= 0 ? GetPaneText(index) : CString();
    LPTSTR buffer = reinterpret_cast<LPTSTR>(lParam);
    const int capacity = static_cast<int>(wParam);
    if (buffer == nullptr || capacity <= 0)
        return 0;
    const int length = std::min(text.GetLength(), capacity - 1);
    ::memcpy(buffer, static_cast<LPCTSTR>(text), static_cast<size_t>(length));
    buffer[length] = '\0';
    return length;
}

LRESULT CStatusBar::OnGetTextLength(WPARAM, LPARAM)
{
    const int index = CommandToIndex(ID_SEPARATOR);
    return index >= 0 ? GetPaneText(index).GetLength() : 0;
}
