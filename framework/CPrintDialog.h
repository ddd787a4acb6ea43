// The print and print-setup dialogs. The printer's device context comes from
// GetPrinterDC after DoModal or GetDefaults; the caller deletes it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CString.h"

#include <commdlg.h>

class CPrintDialog : public CDialog
{
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                          PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;

    PRINTDLGA m_pd;

    // IDOK when the user chose to print, else IDCANCEL.
    INT_PTR DoModal() override;
    // The default printer without showing anything; FALSE when there is none.
    BOOL GetDefaults();
    HDC GetPrinterDC() const;

    CString GetDeviceName() const;
    CString GetDriverName() const;
    CString GetPortName() const;
    int GetCopies() const;
    BOOL PrintAll() const;
    BOOL PrintRange() const;
    BOOL PrintSelection() const;
    int GetFromPage() const;
    int GetToPage() const;

private:
    CString DevNamesString(WORD DEVNAMES::*offset) const;
};
