// A view: a child window of a frame that shows (part of) a document. It joins its
// document when the frame creates it with a creation context, leaves it when the
// window goes, and deletes itself after its window is destroyed.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"
#include "framework/FrameworkIds.h"

class CDC;
class CDocument;
class CFrameWnd;

// The style of views a frame makes for itself.
#ifndef AFX_WS_DEFAULT_VIEW
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
#endif

class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }

    // The first update: OnUpdate with no sender and no hint.
    virtual void OnInitialUpdate();
    // Called by the frame when this view gains or loses the activation.
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
    virtual void OnActivateFrame(UINT nState, CFrameWnd* pFrameWnd);

    // The view, then its document (the frame asks the view first).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

protected:
    CView();

    // The document changed (pSender made the change); the default repaints.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    // Paints the view; the default draws nothing.
    virtual void OnDraw(CDC* pDC);
    // Lets a derived view set the mapping before drawing.
    virtual void OnPrepareDC(CDC* pDC);

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    // Views are always allocated with new: the object goes with its window.
    void PostNcDestroy() override;

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    afx_msg LRESULT OnInitialUpdateMessage(WPARAM wParam, LPARAM lParam);

    CDocument* m_pDocument = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    friend class CDocument;
};
