#include "framework/CPropertySheet.h"

#include "framework/CException.h"
#include "framework/CommonControls.h"
#include "framework/CPropertyPage.h"
#include "framework/ModalMessageLoop.h"
#include "framework/ResourceHandle.h"

#include <vector>

IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

namespace {
// The sheet whose window PropertySheetA is creating on this thread.
thread_local CPropertySheet* t_sheetBeingCreated = nullptr;
} // namespace

CPropertySheet::CPropertySheet()
{
    CommonConstruct(nullptr, 0);
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    m_strCaption.LoadString(nIDCaption);
    CommonConstruct(pParentWnd, iSelectPage);
}

CPropertySheet::CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
{
    m_strCaption = pszCaption;
    CommonConstruct(pParentWnd, iSelectPage);
}

void CPropertySheet::CommonConstruct(CWnd* pParentWnd, UINT iSelectPage)
{
    m_pParentWnd = pParentWnd;
    ZeroMemory(&m_psh, sizeof m_psh);
    m_psh.dwSize = sizeof m_psh;
    // A Help button, which asks for help as F1 does; a sheet without one clears the flag.
    m_psh.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    m_psh.hInstance = AfxGetResourceHandle();
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::~CPropertySheet()
{
    if (m_hWnd != nullptr && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
}

int CALLBACK CPropertySheet::SheetCallback(HWND hWnd, UINT message, LPARAM)
{
    if (message != PSCB_INITIALIZED)
        return 0;
    CPropertySheet* sheet = t_sheetBeingCreated;
    t_sheetBeingCreated = nullptr;
    if (sheet != nullptr && sheet->SubclassWindow(hWnd)) {
        try {
            sheet->OnInitDialog();
        } catch (CException* e) {
            e->Delete();
        } catch (...) {
        }
    }
    return 0;
}

HWND CPropertySheet::CreateSheet(HWND hWndParent)
{
    if (m_hWnd != nullptr || m_pages.GetSize() == 0)
        return nullptr;
    AfxInitCommonControls();
    std::vector<PROPSHEETPAGEA> pages;
    for (INT_PTR i = 0; i < m_pages.GetSize(); ++i) {
        CPropertyPage* page = static_cast<CPropertyPage*>(m_pages.GetAt(i));
        page->m_firstSetActive = true;
        pages.push_back(PageDescription(*page));
    }
    m_psh.hwndParent = hWndParent;
    m_psh.pszCaption = m_strCaption;
    m_psh.nPages = static_cast<UINT>(pages.size());
    m_psh.ppsp = pages.data();
    if (m_psh.nStartPage >= m_psh.nPages)
        m_psh.nStartPage = 0;
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK;
    m_psh.pfnCallback = &CPropertySheet::SheetCallback;

    m_ended = false;
    t_sheetBeingCreated = this;
    INT_PTR result = ::PropertySheetA(&m_psh);
    t_sheetBeingCreated = nullptr;
    // The page array lives on this stack frame only.
    m_psh.ppsp = nullptr;
    HWND hWnd = reinterpret_cast<HWND>(result);
    if (result <= 0 || !::IsWindow(hWnd))
        return nullptr;
    if (m_hWnd == nullptr && !SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

PROPSHEETPAGEA CPropertySheet::PageDescription(const CPropertyPage& page) const
{
    // The sheet's Help button is enabled only on pages that have help.
    PROPSHEETPAGEA description = page.m_psp;
    if ((m_psh.dwFlags & PSH_HASHELP) != 0)
        description.dwFlags |= PSP_HASHELP;
    return description;
}

bool CPropertySheet::SheetClosed() const
{
    // A modeless sheet has no current page once OK, Cancel or Finish closed it.
    return m_ended || m_hWnd == nullptr ||
           ::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
}

INT_PTR CPropertySheet::DoModal()
{
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    HWND hWndOwner = ModalMessageLoop::DefaultOwner(hWndParent, this);

    ModalMessageLoop loop(hWndOwner);
    m_nModalResult = IDCANCEL;
    if (CreateSheet(hWndOwner) == nullptr)
        return -1;
    if (!loop.Run(this, [this] { return SheetClosed(); }) && !m_ended)
        m_nModalResult = IDCANCEL;   // the application is quitting

    loop.CloseModalWindow(this);
    return m_nModalResult;
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD dwStyle, DWORD dwExStyle)
{
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd()
                                              : ModalMessageLoop::DefaultOwner(nullptr, this);
    if (CreateSheet(hWndParent) == nullptr)
        return FALSE;
    if (dwStyle != static_cast<DWORD>(-1))
        ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(dwStyle));
    if (dwExStyle != 0)
        ModifyStyleEx(0, dwExStyle);
    return TRUE;
}

BOOL CPropertySheet::OnInitDialog()
{
    return TRUE;
}

void CPropertySheet::AddPage(CPropertyPage* pPage)
{
    if (pPage == nullptr)
        return;
    pPage->m_pSheet = this;
    m_pages.Add(pPage);
    if (m_hWnd != nullptr) {
        const PROPSHEETPAGEA description = PageDescription(*pPage);
        HPROPSHEETPAGE hPage = ::CreatePropertySheetPageA(&description);
        if (hPage != nullptr && !::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(hPage)))
            ::DestroyPropertySheetPage(hPage);
    }
}

void CPropertySheet::RemovePage(CPropertyPage* pPage)
{
    const int index = GetPageIndex(pPage);
    if (index >= 0)
        RemovePage(index);
}

void CPropertySheet::RemovePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return;
    if (m_hWnd != nullptr)
        ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(nPage), 0);
    GetPage(nPage)->m_pSheet = nullptr;
    m_pages.RemoveAt(nPage);
}

int CPropertySheet::GetPageCount() const
{
    return static_cast<int>(m_pages.GetSize());
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const
{
    if (nPage < 0 || nPage >= GetPageCount())
        return nullptr;
    return static_cast<CPropertyPage*>(m_pages.GetAt(nPage));
}

int CPropertySheet::GetPageIndex(const CPropertyPage* pPage) const
{
    for (int i = 0; i < GetPageCount(); ++i) {
        if (GetPage(i) == pPage)
            return i;
    }
    return -1;
}

int CPropertySheet::GetActiveIndex() const
{
    if (m_hWnd == nullptr)
        return static_cast<int>(m_psh.nStartPage);
    HWND hWndTab = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETTABCONTROL, 0, 0));
    if (hWndTab == nullptr)
        return -1;
    return static_cast<int>(::SendMessageA(hWndTab, TCM_GETCURSEL, 0, 0));
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    if (m_hWnd != nullptr) {
        // The window of the current page is the reliable answer, also in wizard mode.
        HWND hWndPage = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
        for (int i = 0; i < GetPageCount(); ++i) {
            if (GetPage(i)->GetSafeHwnd() == hWndPage && hWndPage != nullptr)
                return GetPage(i);
        }
    }
    return GetPage(GetActiveIndex());
}

BOOL CPropertySheet::SetActivePage(int nPage)
{
    if (nPage < 0 || nPage >= GetPageCount())
        return FALSE;
    if (m_hWnd == nullptr) {
        m_psh.nStartPage = static_cast<UINT>(nPage);
        return TRUE;
    }
    return static_cast<BOOL>(::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(nPage), 0));
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage)
{
    return SetActivePage(GetPageIndex(pPage));
}

void CPropertySheet::SetTitle(LPCTSTR lpszText, UINT nStyle)
{
    m_strCaption = lpszText;
    m_psh.dwFlags = (m_psh.dwFlags & ~PSH_PROPTITLE) | (nStyle & PSH_PROPTITLE);
    if (m_hWnd != nullptr)
        ::SendMessageA(m_hWnd, PSM_SETTITLEA, nStyle, reinterpret_cast<LPARAM>(lpszText));
}

void CPropertySheet::SetWizardMode()
{
    m_psh.dwFlags |= PSH_WIZARD;
}

BOOL CPropertySheet::IsWizard() const
{
    return (m_psh.dwFlags & PSH_WIZARD) != 0;
}

void CPropertySheet::SetWizardButtons(DWORD dwFlags)
{
    if (m_hWnd != nullptr)
        ::PostMessageA(m_hWnd, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(dwFlags));
}

void CPropertySheet::SetFinishText(LPCTSTR lpszText)
{
    if (m_hWnd != nullptr)
        ::SendMessageA(m_hWnd, PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>(lpszText));
}

BOOL CPropertySheet::PressButton(int nButton)
{
    if (m_hWnd == nullptr)
        return FALSE;
    ::SendMessageA(m_hWnd, PSM_PRESSBUTTON, static_cast<WPARAM>(nButton), 0);
    return TRUE;
}

void CPropertySheet::EndDialog(int nEndID)
{
    m_nModalResult = nEndID;
    m_ended = true;
    if (m_hWnd != nullptr)
        ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

BOOL CPropertySheet::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return static_cast<BOOL>(::SendMessageA(m_hWnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(pMsg)));
    return FALSE;
}
