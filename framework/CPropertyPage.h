// One page of a property sheet or wizard, made from its own dialog resource. The
// sheet's notifications (PSN_*) arrive as the virtual members below.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CDialog.h"
#include "framework/CString.h"

#include <prsht.h>

class CPropertySheet;

class CPropertyPage : public CDialog
{
    DECLARE_DYNAMIC(CPropertyPage)
public:
    CPropertyPage();
    // nIDCaption: string resource of the tab's title (0: the template's caption).
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
    explicit CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);

    // The page description handed to the sheet; the dialog procedure and lParam are
    // the framework's.
    PROPSHEETPAGEA m_psp;

    // FALSE refuses the page. The default reloads the controls on every activation but
    // the first (OnInitDialog loaded them then).
    virtual BOOL OnSetActive();
    // FALSE keeps the page; the default saves and validates its controls.
    virtual BOOL OnKillActive();
    // OK or Apply of a normal sheet; FALSE keeps the sheet open. Default: OnOK.
    virtual BOOL OnApply();
    // Cancel of the sheet, after OnQueryCancel agreed. Default: OnCancel.
    virtual void OnReset();
    // FALSE keeps the sheet open when the user cancels.
    virtual BOOL OnQueryCancel();
    // Wizard buttons: 0 goes to the neighbouring page, -1 stays, any other value is
    // the dialog resource id of the page to go to.
    virtual LRESULT OnWizardBack();
    virtual LRESULT OnWizardNext();
    // FALSE keeps the wizard open.
    virtual BOOL OnWizardFinish();

    void SetModified(BOOL bChanged = TRUE);
    void CancelToClose();
    CPropertySheet* GetSheet() const { return m_pSheet; }

    // The sheet does the keyboard navigation of its pages.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    void OnOK() override;
    void OnCancel() override;

private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void InitPage(LPCTSTR lpszTemplateName, UINT nIDCaption);
    // Handles one PSN_ notification; FALSE for notifications of other kinds.
    BOOL HandleSheetNotification(const NMHDR* pNMHDR, LRESULT* pResult);

    CPropertySheet* m_pSheet = nullptr;
    CString m_strCaption;
    bool m_firstSetActive = true;
};
