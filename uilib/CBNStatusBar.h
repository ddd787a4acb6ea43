// A status bar whose panes can be added and removed while the program runs, and whose
// panes can each carry a control window (a progress bar, an edit, any window) that
// stays on its pane whenever the bar changes size.
#pragma once
#include "framework/CPtrArray.h"
#include "framework/CStatusBar.h"
#include "framework/CTypedPtrArray.h"
#include "uilib/CBNStatusBarPane.h"
#include "uilib/CBNStatusBarPaneControlInfo.h"
#include "uilib/UiLibExport.h"

class UILIB_API CBNStatusBar : public CStatusBar
{
    DECLARE_DYNCREATE(CBNStatusBar)
public:
    CBNStatusBar();
    ~CBNStatusBar() override;

    // Moves every control onto its pane's rectangle.
    virtual void PositionControls();
    // The control record of the pane with this id, or nullptr.
    virtual CBNStatusBarPaneControlInfo* GetPanControl(int nPaneID);
    // Puts a control on the pane with this id; FALSE when no pane has the id or the
    // pane already carries a control. With bAutoDelete the bar owns the window object.
    virtual BOOL AddControl(CWnd* pWnd, int nPaneID, BOOL bAutoDelete = TRUE);
    // Keeps the pane's id and style and gives it a new width.
    virtual void SetPaneWidth(int nIndex, int nWidth);
    // Inserts an empty pane 50 pixels wide with the id at the index (a negative index
    // inserts at the front, one past the last pane or more appends); FALSE when a pane
    // with the id exists.
    virtual BOOL AddIndicator(int nIndex, UINT nID);
    // The pane at the index; FALSE when there is none.
    virtual BOOL GetStatusPane(int nIndex, CBNStatusBarPane& pane);
    // Takes away the pane with the id and its control (whose window goes too when
    // the bar owns it).
    virtual void RemovePane(int nPaneID);

    // Number of panes carrying a control.
    INT_PTR GetControlCount() const;

protected:
    // Gives the bar exactly these panes, each with its id, style, width and text.
    void RebuildPanes(const CArray<CBNStatusBarPane, const CBNStatusBarPane&>& panes, int nNewPane);
    void CollectPanes(CArray<CBNStatusBarPane, const CBNStatusBarPane&>& panes);
    static void DeleteControl(CBNStatusBarPaneControlInfo* pInfo);

    afx_msg void OnSize(UINT nType, int cx, int cy);

    CTypedPtrArray<CPtrArray, CBNStatusBarPaneControlInfo*> m_arrPaneControls;

    DECLARE_MESSAGE_MAP()
};
