#include "framework/CFileDialog.h"

#include "framework/ModalMessageLoop.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {
// Room for long paths and for several names of a multiple selection.
const size_t kFileBufferSize = 32768;
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(static_cast<LPCTSTR>(nullptr), pParentWnd), m_bOpenFileDialog(bOpenFileDialog),
      m_fileBuffer(kFileBufferSize, '\0')
{
    if (lpszFileName != nullptr)
        strncpy(m_fileBuffer.data(), lpszFileName, kFileBufferSize - 1);
    if (lpszDefExt != nullptr)
        m_strDefExt = lpszDefExt;
    if (lpszFilter != nullptr) {
        m_filter = lpszFilter;
        for (char& ch : m_filter) {
            if (ch == '|')
                ch = '\0';
        }
        // The list ends with an empty string, whether or not the caller wrote "||".
        m_filter.push_back('\0');
        m_filter.push_back('\0');
    }

    ZeroMemory(&m_ofn, sizeof m_ofn);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : m_strDefExt.GetString();
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = m_filter.empty() ? 0 : 1;
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
}

INT_PTR CFileDialog::DoModal()
{
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : nullptr;
    m_ofn.hwndOwner = ModalMessageLoop::DefaultOwner(hWndParent, this);
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const
{
    return CString(m_fileBuffer.data());
}

CString CFileDialog::GetFileName() const
{
    // Worked out from the path: it is also right before DoModal, for the initial name.
    CString path = GetPathName();
    const int separator = std::max(path.ReverseFind('\\'), path.ReverseFind('/'));
    return path.Mid(separator + 1);
}

CString CFileDialog::GetFileExt() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}

CString CFileDialog::GetFileTitle() const
{
    CString name = GetFileName();
    const int dot = name.ReverseFind('.');
    return dot < 0 ? name : name.Left(dot);
}

CString CFileDialog::GetFolderPath() const
{
    CString path = GetPathName();
    return path.Left(path.GetLength() - GetFileName().GetLength());
}
