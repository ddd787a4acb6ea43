// The open and save-as file dialogs. Filters use '|' between the parts:
// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||".
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CString.h"

#include <commdlg.h>

#include <string>
#include <vector>

class CFileDialog : public CDialog
{
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszDefExt without the dot; it is appended when the user types a name without one.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // The dialog's parameters; lpstrTitle, lpstrInitialDir and Flags may be changed
    // before DoModal.
    OPENFILENAMEA m_ofn;

    // IDOK when the user chose a file, else IDCANCEL.
    INT_PTR DoModal() override;

    CString GetPathName() const;    // the full path
    CString GetFileName() const;    // name and extension
    CString GetFileExt() const;     // the extension without the dot
    CString GetFileTitle() const;   // the name without the extension
    CString GetFolderPath() const;

private:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    std::string m_filter;           // NUL-separated, as the dialog wants it
    std::vector<char> m_fileBuffer;
};
