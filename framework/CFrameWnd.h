// A frame window: the menu, accelerators, icon and title of a program's window, its
// control bars around a client area, its active view, and the routing of commands from
// the active view to the frame and the application.
#pragma once
#include "framework/FrameworkBase.h"
#include "framework/CWnd.h"
#include "framework/CPtrList.h"
#include "framework/FrameworkIds.h"

class CControlBar;
class CDockBar;
class CDockState;
class CDocument;
class CView;
class CCmdUI;

// Frame styles. FWS_PREFIXTITLE shares its bit with WS_THICKFRAME, so sizable frames
// show "document - title".
#define FWS_ADDTOTITLE 0x00008000L   // the document's name goes into the caption
#define FWS_PREFIXTITLE 0x00040000L  // the document's name before the application's
#define FWS_SNAPTOBARS 0x00020000L

// How RepositionBars lays out the bars.
enum RepositionMode : UINT
{
    reposDefault = 0,   // moves the bars and the leftover window
    reposQuery = 1,     // only computes the leftover rectangle
    reposExtra = 2      // adds the borders given in the rectangle to the leftover window
};

// Passed with WM_SIZEPARENT: each bar takes its space from rect and, when hDWP is not
// null, moves itself through it; sizeTotal collects the bars' sizes in query mode.
struct AFX_SIZEPARENTPARAMS
{
    HDWP hDWP = nullptr;
    RECT rect = {};
    SIZE sizeTotal = {};
    BOOL bStretch = TRUE;
};

class CFrameWnd : public CWnd
{
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // The placement the system chooses.
    static const CRect rectDefault;

    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle = WS_OVERLAPPEDWINDOW, const RECT& rect = rectDefault,
                        CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
                        DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
    // Menu, accelerators, icon and title (string resource, up to the first '\n') of the
    // resource id. Without a create context every descendant gets WM_INITIALUPDATE.
    // FALSE: the frame object is gone (deleted with its window, or here when no window
    // came into being); the caller must not touch it again.
    virtual BOOL LoadFrame(UINT nIDResource,
                           DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

    BOOL IsFrameWnd() const override;

    // --- Views and documents --------------------------------------------------------
    CView* GetActiveView() const { return m_pViewActive; }
    // Deactivates the old view and activates the new one (bNotify: their
    // OnActivateView is called); focus goes to the new view.
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    // The frame that holds the active view: this one, or an MDI frame's active child.
    virtual CFrameWnd* GetActiveFrame();
    // Shows the frame (nCmdShow -1: as it is, or normal when hidden) and brings it up.
    virtual void ActivateFrame(int nCmdShow = -1);
    // After the frame and its view exist: the views' first update, the active view,
    // the title, and the frame shown when bMakeVisible.
    virtual void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    // Creates the context's view class as a child pane with the id.
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    // --- Layout ---------------------------------------------------------------------
    // Places the bars along the edges and the client in what is left.
    virtual void RecalcLayout(BOOL bNotify = TRUE);
    // Asks every child with an id in [nIDFirst, nIDLast] for its space (WM_SIZEPARENT)
    // and gives the leftover window nIDLeftOver the rest. With reposQuery nothing moves
    // and lpRectParam receives the leftover rectangle (bStretch: bars take the full
    // width or height). lpRectClient replaces the client rectangle when given.
    void RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver,
                        UINT nFlag = reposDefault, LPRECT lpRectParam = nullptr,
                        LPCRECT lpRectClient = nullptr, BOOL bStretch = TRUE);
    // Asks for a layout at the next idle time instead of now.
    void DelayRecalcLayout(BOOL bNotify = TRUE);
    // Space around the client that no bar covers (set by the client's owner).
    CRect m_rectBorder;

    // --- Title ----------------------------------------------------------------------
    void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }
    CString GetTitle() const { return m_strTitle; }
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    // "title - document" (or "document - title" with FWS_PREFIXTITLE), with ":n" after
    // the document's name when it has more than one window.
    void UpdateFrameTitleForDocument(LPCTSTR lpszDocName);
    // The window number shown in the title (0 when the document has one window).
    int m_nWindow = -1;

    // --- Status bar prompts ---------------------------------------------------------
    // The prompt of a command: its string resource up to '\n'.
    virtual void GetMessageString(UINT nID, CString& rMessage) const;
    void SetMessageText(LPCTSTR lpszText);
    void SetMessageText(UINT nID);
    // The window that shows the prompts: the status bar of the top-level frame.
    virtual CWnd* GetMessageBar();

    // --- Control bars ---------------------------------------------------------------
    // The frame's bars, in creation order (control bars register themselves).
    CPtrList m_listControlBars;
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    CControlBar* GetControlBar(UINT nID);
    // Toggles the bar with the command's id (the View menu's bar entries).
    afx_msg BOOL OnBarCheck(UINT nID);
    afx_msg void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    // Sends WM_FLOATSTATUS to the floating frames this frame owns.
    void NotifyFloatingWindows(DWORD dwFlags);

    // Docking: the bodies are in CFrameWndDocking.cpp, with the dock bars.
    void EnableDocking(DWORD dwDockStyle);
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
    void DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    void ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
    // dwStyle: the CBRS_ALIGN_ side the bar takes while floating (top by default).
    void FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle = 0x2000L);
    void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
    // The dock bar that would take a bar dropped on rect, or nullptr.
    CDockBar* CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar = nullptr);
    void LoadBarState(LPCTSTR lpszProfileName);
    void SaveBarState(LPCTSTR lpszProfileName) const;
    void SetDockState(const CDockState& state);
    void GetDockState(CDockState& state) const;
    // The mini frame class that holds floating bars.
    CRuntimeClass* m_pFloatingFrameClass = nullptr;
    DWORD m_dwDockStyle = 0;

    // --- Help -----------------------------------------------------------------------
    // Where the frame's help commands end (a child frame's too: they go to the top-level
    // frame's). The default shows the topic of the application's help file directly; a
    // program that routes help (to the active dialog first) overrides it.
    virtual void HtmlHelp(DWORD_PTR dwData, UINT nCmd = 0x000F /* HH_HELP_CONTEXT */);

    // --- Routing --------------------------------------------------------------------
    // Commands go to the active view (which hands them to its document), then to the
    // frame, then to the application.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    HMENU m_hMenuDefault = nullptr;     // the menu while no document's menu is shown
    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDHelp = 0;                 // the resource id the frame was loaded from
    BOOL m_bAutoMenuEnable = TRUE;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;
    // Creates the client area's window: the context's view, if any.
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    // Creation steps shared with frames that read their context elsewhere (MDI children).
    int OnCreateHelper(LPCREATESTRUCT lpcs, CCreateContext* pContext);

    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnClose();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    // Menu items without a handler are greyed (m_bAutoMenuEnable).
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnUpdateSystemItem(CCmdUI* pCmdUI);
    afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPopMessageString(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRecalcParent(WPARAM wParam, LPARAM lParam);
    afx_msg void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    afx_msg void OnHelp();
    afx_msg void OnHelpFinder();
    afx_msg void OnContextHelp();

    CView* m_pViewActive = nullptr;
    CString m_strTitle;
    BOOL m_bInRecalcLayout = FALSE;
    // A layout was asked for with DelayRecalcLayout and waits for idle time.
    BOOL m_bDelayedLayout = FALSE;
    BOOL m_bDelayedLayoutNotify = FALSE;
    UINT m_nIDTracking = 0;         // the menu item whose prompt is shown
    UINT m_nIDLastMessage = 0;      // the prompt shown before it
    CString m_strShownTitle;        // the caption last set from the title

    DECLARE_MESSAGE_MAP()

    // While LoadFrame creates the window: points at a flag that PostNcDestroy sets when
    // the window's end deleted the object, so that a failed load deletes it only once.
    bool* m_pDeletedDuringLoad = nullptr;

private:
    // The frame whose HtmlHelp serves this one: a child frame's top-level frame.
    CFrameWnd* GetHelpFrame();
};
