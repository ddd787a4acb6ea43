// A view made of a child dialog from a dialog template: the controls of the template,
// the dialog manager's keyboard handling (Tab, arrows, default button) and scroll
// bars when the frame is smaller than the form.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CScrollView.h"

class CFormView : public CScrollView
{
    DECLARE_DYNAMIC(CFormView)
public:
    // Builds the window from the template as a child of pParentWnd, whatever the
    // template's own popup or caption styles say.
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;

    // Sizes the parent frame so that the whole form shows (bShrinkOnly: never grows it).
    void ResizeParentToFit(BOOL bShrinkOnly = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    LPCTSTR m_lpszTemplateName;

protected:
    explicit CFormView(UINT nIDTemplate);
    explicit CFormView(LPCTSTR lpszTemplateName);

    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
    // Remembers the focused control when the view loses the activation.
    void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView) override;

    afx_msg void OnSetFocus(CWnd* pOldWnd);

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK FormDialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    CSize m_sizeForm;               // the template's size, the scrolling extent
    HWND m_hWndFocus = nullptr;     // the control that had the focus when the view lost it
};
