#include "framework/CFormView.h"

#include "framework/CCreateContext.h"
#include "framework/CDocument.h"
#include "framework/CFrameWnd.h"
#include "framework/CommonControls.h"
#include "framework/ResourceHandle.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

BEGIN_MESSAGE_MAP(CFormView, CScrollView)
    ON_WM_SETFOCUS()
END_MESSAGE_MAP()

namespace
{
// A copy of the dialog template made into a child of its parent: no caption, no
// popup, no frame border of its own.
std::vector<BYTE> ChildTemplate(LPCTSTR lpszTemplateName, DWORD dwExtraStyle)
{
    const HINSTANCE resources = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(resources, lpszTemplateName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(resources, resource) : nullptr;
    const BYTE* bytes = loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    const DWORD size = resource != nullptr ? ::SizeofResource(resources, resource) : 0;
    if (bytes == nullptr || size < sizeof(DLGTEMPLATE))
        return {};
    std::vector<BYTE> copy(bytes, bytes + size);
    const WORD* words = reinterpret_cast<const WORD*>(copy.data());
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    DWORD* exStyle = reinterpret_cast<DWORD*>(copy.data() + (extended ? 8 : 4));
    DWORD* style = reinterpret_cast<DWORD*>(copy.data() + (extended ? 12 : 0));
    *style &= ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE | WS_BORDER |
                WS_DISABLED);
    *style |= WS_CHILD | DS_CONTROL | dwExtraStyle;
    *exStyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_APPWINDOW | WS_EX_TOOLWINDOW);
    *exStyle |= WS_EX_CONTROLPARENT;
    return copy;
}
}  // namespace

CFormView::CFormView(UINT nIDTemplate) : m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate))
{
}

CFormView::CFormView(LPCTSTR lpszTemplateName) : m_lpszTemplateName(lpszTemplateName)
{
}

INT_PTR CALLBACK CFormView::FormDialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    // From WM_INITDIALOG on, AfxWndProc sits in front and what it passes on gets the
    // dialog manager's default handling.
    if (message != WM_INITDIALOG || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    auto* form = reinterpret_cast<CFormView*>(lParam);
    if (form != nullptr)
        form->SubclassWindow(hWnd);
    return FALSE;   // the focus is set when the view is activated
}

BOOL CFormView::Create(LPCTSTR /*lpszClassName*/, LPCTSTR /*lpszWindowName*/, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    if (m_hWnd != nullptr || pParentWnd == nullptr)
        return FALSE;
    std::vector<BYTE> dialogTemplate =
        ChildTemplate(m_lpszTemplateName, dwStyle & (WS_VISIBLE | WS_BORDER | WS_HSCROLL | WS_VSCROLL));
    if (dialogTemplate.empty())
        return FALSE;
    AfxInitCommonControls();
    HWND hWnd = ::CreateDialogIndirectParamA(AfxGetResourceHandle(),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
                                             pParentWnd->GetSafeHwnd(), &CFormView::FormDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr || m_hWnd != hWnd)
    {
        if (hWnd != nullptr)
            ::DestroyWindow(hWnd);
        return FALSE;
    }
    // The dialog's WM_CREATE came before the object was attached: join the document here.
    if (pContext != nullptr && pContext->m_pCurrentDoc != nullptr)
        pContext->m_pCurrentDoc->AddView(this);

    CRect formRect;
    GetWindowRect(&formRect);
    m_sizeForm = CSize(formRect.Width(), formRect.Height());
    SetDlgCtrlID(static_cast<int>(nID));
    SetWindowPos(nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetScrollSizes(MM_TEXT, m_sizeForm);
    return TRUE;
}

void CFormView::OnInitialUpdate()
{
    SetScrollSizes(MM_TEXT, m_sizeForm);
    UpdateData(FALSE);
    CScrollView::OnInitialUpdate();
}

void CFormView::OnDraw(CDC* /*pDC*/)
{
    // The controls paint themselves; the dialog manager paints the background.
}

void CFormView::ResizeParentToFit(BOOL bShrinkOnly)
{
    CFrameWnd* frame = GetParentFrame();
    if (frame == nullptr || m_hWnd == nullptr)
        return;
    // The frame's size for a client that holds the whole form, bars included.
    CRect frameRect;
    frame->GetWindowRect(&frameRect);
    CRect viewRect;
    GetWindowRect(&viewRect);
    CRect formClient(0, 0, m_sizeForm.cx, m_sizeForm.cy);
    ::AdjustWindowRectEx(&formClient, GetStyle() & ~(WS_HSCROLL | WS_VSCROLL), FALSE, GetExStyle());
    int width = frameRect.Width() - viewRect.Width() + formClient.Width();
    int height = frameRect.Height() - viewRect.Height() + formClient.Height();
    if (bShrinkOnly)
    {
        width = std::min(width, frameRect.Width());
        height = std::min(height, frameRect.Height());
    }
    frame->SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CFormView::PreTranslateMessage(MSG* pMsg)
{
    if (CScrollView::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || m_hWnd == nullptr ||
        (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)))
        return FALSE;
    // The dialog manager would eat the frames' accelerators: they come first.
    for (CFrameWnd* frame = GetParentFrame(); frame != nullptr; frame = frame->GetParentFrame())
    {
        if (frame->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

void CFormView::OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView)
{
    if (!bActivate && m_hWnd != nullptr)
    {
        const HWND focus = ::GetFocus();
        if (::IsChild(m_hWnd, focus))
            m_hWndFocus = focus;
    }
    CScrollView::OnActivateView(bActivate, pActivateView, pDeactiveView);
}

void CFormView::OnSetFocus(CWnd* pOldWnd)
{
    CScrollView::OnSetFocus(pOldWnd);
    // The focus goes on to the control that had it last, else to the first tab stop.
    HWND target = m_hWndFocus != nullptr && ::IsChild(m_hWnd, m_hWndFocus) ? m_hWndFocus
                                                                           : ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE);
    if (target != nullptr)
        ::SetFocus(target);
}
