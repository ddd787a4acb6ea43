// A property sheet (tabbed pages with OK, Cancel and Apply) or, in wizard mode, a
// wizard (Back, Next, Finish), over the Win32 property sheet. The sheet does not own
// its pages; they must outlive it.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CPtrArray.h"
#include "framework/CString.h"
#include "framework/CWnd.h"

#include <prsht.h>

class CPropertyPage;

// Command ids of the wizard buttons; DoModal of a wizard returns ID_WIZFINISH.
#ifndef ID_WIZBACK
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025
#endif

class CPropertySheet : public CWnd
{
    DECLARE_DYNAMIC(CPropertySheet)
public:
    CPropertySheet();
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCTSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    ~CPropertySheet() override;

    // The sheet description; pages, callback and modeless flag are filled in by
    // DoModal and Create.
    PROPSHEETHEADERA m_psh;

    // Modal: IDOK or IDCANCEL, in wizard mode ID_WIZFINISH or IDCANCEL; -1 on failure.
    virtual INT_PTR DoModal();
    // Modeless.
    using CWnd::Create;
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = (DWORD)-1, DWORD dwExStyle = 0);
    // After the sheet and its first page exist.
    virtual BOOL OnInitDialog();

    void AddPage(CPropertyPage* pPage);
    void RemovePage(CPropertyPage* pPage);
    void RemovePage(int nPage);
    int GetPageCount() const;
    CPropertyPage* GetPage(int nPage) const;
    int GetPageIndex(const CPropertyPage* pPage) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    BOOL SetActivePage(int nPage);
    BOOL SetActivePage(CPropertyPage* pPage);
    void SetTitle(LPCTSTR lpszText, UINT nStyle = 0);

    void SetWizardMode();
    BOOL IsWizard() const;
    // Posted, so that a page can call it from OnSetActive: PSWIZB_BACK, _NEXT, _FINISH.
    void SetWizardButtons(DWORD dwFlags);
    void SetFinishText(LPCTSTR lpszText);
    BOOL PressButton(int nButton);
    // Ends a modal sheet with nEndID.
    void EndDialog(int nEndID);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    DECLARE_MESSAGE_MAP()

private:
    friend class CPropertyPage;
    static int CALLBACK SheetCallback(HWND hWnd, UINT message, LPARAM lParam);
    void CommonConstruct(CWnd* pParentWnd, UINT iSelectPage);
    // Fills m_psh for PropertySheetA and returns its result (the modeless window).
    HWND CreateSheet(HWND hWndParent);
    // What the sheet is given for the page: the page's description with the sheet's help.
    PROPSHEETPAGEA PageDescription(const CPropertyPage& page) const;
    bool SheetClosed() const;

    CPtrArray m_pages;
    CString m_strCaption;
    CWnd* m_pParentWnd = nullptr;
    int m_nModalResult = IDCANCEL;
    bool m_ended = false;
};
