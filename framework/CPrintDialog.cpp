#include "framework/CPrintDialog.h"

#include "framework/ModalMessageLoop.h"

IMPLEMENT_DYNAMIC(CPrintDialog, CDialog)

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd)
    : CDialog(static_cast<LPCTSTR>(nullptr), pParentWnd)
{
    ZeroMemory(&m_pd, sizeof m_pd);
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = dwFlags | PD_RETURNDC;
    if (bPrintSetupOnly)
        m_pd.Flags |= PD_PRINTSETUP;
    m_pd.nCopies = 1;
    m_pd.nFromPage = 1;
    m_pd.nToPage = 1;
    m_pd.nMinPage = 1;
    m_pd.nMaxPage = 0xFFFF;
}

CPrintDialog::~CPrintDialog()
{
    if (m_pd.hDevMode != nullptr)
        ::GlobalFree(m_pd.hDevMode);
    if (m_pd.hDevNames != nullptr)
        ::GlobalFree(m_pd.hDevNames);
}

INT_PTR CPrintDialog::DoModal()
{
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    m_pd.hwndOwner = ModalMessageLoop::DefaultOwner(hWndParent, this);
    m_pd.hDC = nullptr;
    return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults()
{
    const DWORD flags = m_pd.Flags;
    m_pd.Flags = flags | PD_RETURNDEFAULT;
    m_pd.hDC = nullptr;
    const BOOL found = ::PrintDlgA(&m_pd);
    m_pd.Flags = flags;
    return found;
}

HDC CPrintDialog::GetPrinterDC() const
{
    return m_pd.hDC;
}

CString CPrintDialog::DevNamesString(WORD DEVNAMES::*offset) const
{
    if (m_pd.hDevNames == nullptr)
        return CString();
    const DEVNAMES* names = static_cast<const DEVNAMES*>(::GlobalLock(m_pd.hDevNames));
    if (names == nullptr)
        return CString();
    CString text(reinterpret_cast<const char*>(names) + names->*offset);
    ::GlobalUnlock(m_pd.hDevNames);
    return text;
}

CString CPrintDialog::GetDeviceName() const
{
    return DevNamesString(&DEVNAMES::wDeviceOffset);
}

CString CPrintDialog::GetDriverName() const
{
    return DevNamesString(&DEVNAMES::wDriverOffset);
}

CString CPrintDialog::GetPortName() const
{
    return DevNamesString(&DEVNAMES::wOutputOffset);
}

int CPrintDialog::GetCopies() const
{
    return m_pd.nCopies;
}

BOOL CPrintDialog::PrintAll() const
{
    return !PrintRange() && !PrintSelection();
}

BOOL CPrintDialog::PrintRange() const
{
    return (m_pd.Flags & PD_PAGENUMS) != 0;
}

BOOL CPrintDialog::PrintSelection() const
{
    return (m_pd.Flags & PD_SELECTION) != 0;
}

int CPrintDialog::GetFromPage() const
{
    return PrintRange() ? m_pd.nFromPage : -1;
}

int CPrintDialog::GetToPage() const
{
    return PrintRange() ? m_pd.nToPage : -1;
}
