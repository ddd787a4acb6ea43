// A dialog box from a dialog resource, modal (DoModal) or modeless (Create). Its
// messages go through the message map like any other window's; the modal form runs
// the framework's own loop, so PreTranslateMessage and idle work reach it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDataExchange.h"
#include "framework/CWnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modal: returns the EndDialog result, -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    // Modeless; the window is shown when the template has WS_VISIBLE.
    using CWnd::Create;
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Ends a modal dialog (DoModal returns nResult); hides a modeless one.
    void EndDialog(int nResult);

    // TRUE lets the dialog manager give the focus to the first control.
    virtual BOOL OnInitDialog();

    // Moves the focus as the dialog manager does (an edit gets its text selected).
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void SetDefID(UINT nID);
    DWORD GetDefID() const;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    LPCTSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    // Saving and validating the data, then ending with IDOK.
    virtual void OnOK();
    virtual void OnCancel();

    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    // The framework's help for the dialog, for a dialog that maps ID_HELP to it: the help
    // topic m_nIDHelp through the application's HtmlHelp.
    afx_msg void OnHelp();

    // Makes hWnd this object's window and hands it WM_INITDIALOG through the message
    // map; the dialog procedures of dialogs and property pages end here.
    static INT_PTR AttachAndInitDialog(HWND hWnd, CDialog* pDialog, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CreateFromTemplate(HWND hWndParent);

    bool m_inModalLoop = false;
    bool m_modalEnded = false;
    int m_nModalResult = -1;
};
