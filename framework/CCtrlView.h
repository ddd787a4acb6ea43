// A view that is a common control of the given window class (tree, edit, ...): the
// control paints itself, the view adds the document link.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CString.h"
#include "framework/CView.h"

class CCtrlView : public CView
{
    DECLARE_DYNAMIC(CCtrlView)
public:
    CCtrlView(LPCTSTR lpszClass, DWORD dwStyle);

protected:
    // Puts the control's class and style into the creation.
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void OnDraw(CDC* pDC) override;

    // The control paints itself, not through OnDraw.
    afx_msg void OnPaint();

    CString m_strClass;
    DWORD m_dwDefaultStyle;

    DECLARE_MESSAGE_MAP()
};
