// Frames with real windows: a small MDI application with two document types, its
// status bar, window list, cascade and tile, command routing from the view to the
// application, and closing children and the main frame.
#include <gtest/gtest.h>

#include "framework/CCmdUI.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CMiniFrameWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CStatusBar.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "tests/framework_ui/FrameTestResources.h"
#include "tests/support/KeyPress.h"
#include "tests/support/Screenshot.h"

#include <string>
#include <vector>
#include "tests/support/PendingMessages.h"

namespace {

// The handlers that saw the routed command, in order.
std::vector<std::string> g_route;

class CNoteDoc : public CDocument
{
    DECLARE_DYNCREATE(CNoteDoc)
public:
    CNoteDoc() { ++s_live; }
    ~CNoteDoc() override { --s_live; }
    static int s_live;

protected:
    BOOL OnRouted(UINT)
    {
        g_route.push_back("document");
        return FALSE;
    }
    void OnUpdateDocOnly(CCmdUI* pCmdUI)
    {
        pCmdUI->Enable(FALSE);
        pCmdUI->SetCheck(1);
    }
    DECLARE_MESSAGE_MAP()
};
int CNoteDoc::s_live = 0;
IMPLEMENT_DYNCREATE(CNoteDoc, CDocument)
BEGIN_MESSAGE_MAP(CNoteDoc, CDocument)
    ON_COMMAND_EX(ID_FRAME_ROUTED, OnRouted)
    ON_UPDATE_COMMAND_UI(ID_FRAME_DOC_ONLY, OnUpdateDocOnly)
END_MESSAGE_MAP()

class CLogDoc : public CDocument
{
    DECLARE_DYNCREATE(CLogDoc)
public:
    CLogDoc() { ++s_live; }
    ~CLogDoc() override { --s_live; }
    static int s_live;
};
int CLogDoc::s_live = 0;
IMPLEMENT_DYNCREATE(CLogDoc, CDocument)

class CNoteView : public CView
{
    DECLARE_DYNCREATE(CNoteView)
public:
    int initialUpdates = 0;
    void OnInitialUpdate() override
    {
        ++initialUpdates;
        CView::OnInitialUpdate();
    }

protected:
    BOOL OnRouted(UINT)
    {
        g_route.push_back("view");
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNoteView, CView)
BEGIN_MESSAGE_MAP(CNoteView, CView)
    ON_COMMAND_EX(ID_FRAME_ROUTED, OnRouted)
END_MESSAGE_MAP()

class CLogView : public CView
{
    DECLARE_DYNCREATE(CLogView)
};
IMPLEMENT_DYNCREATE(CLogView, CView)

class CNoteChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CNoteChildFrame)
protected:
    BOOL OnRouted(UINT)
    {
        g_route.push_back("child frame");
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CNoteChildFrame, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CNoteChildFrame, CMDIChildWnd)
    ON_COMMAND_EX(ID_FRAME_ROUTED, OnRouted)
END_MESSAGE_MAP()

// A child that must never be seen, whatever it is asked to show.
class CHiddenChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CHiddenChildFrame)
public:
    void ActivateFrame(int) override { CMDIChildWnd::ActivateFrame(SW_HIDE); }
};
IMPLEMENT_DYNCREATE(CHiddenChildFrame, CMDIChildWnd)

class CTestMainFrame : public CMDIFrameWnd
{
public:
    CStatusBar m_statusBar;
    int accelerated = 0;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        if (CMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
            return -1;
        static const UINT indicators[] = { ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                           ID_INDICATOR_SCRL, ID_FRAME_INDICATOR_MODE };
        if (!m_statusBar.Create(this, 0x50008200, AFX_IDW_STATUS_BAR) ||
            !m_statusBar.SetIndicators(indicators, 5))
            return -1;
        return 0;
    }
    BOOL OnRouted(UINT)
    {
        g_route.push_back("main frame");
        return FALSE;
    }
    void OnUpdateMode(CCmdUI* pCmdUI) { pCmdUI->SetText("EDIT"); }
    void OnAccel() { ++accelerated; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestMainFrame, CMDIFrameWnd)
    ON_COMMAND(ID_FRAME_ACCEL, OnAccel)
    ON_WM_CREATE()
    ON_COMMAND_EX(ID_FRAME_ROUTED, OnRouted)
    ON_UPDATE_COMMAND_UI(ID_FRAME_INDICATOR_MODE, OnUpdateMode)
END_MESSAGE_MAP()

class CFrameTestApp : public CWinApp
{
public:
    CFrameTestApp() : CWinApp("FrameTest") {}

protected:
    BOOL OnRouted(UINT)
    {
        g_route.push_back("application");
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFrameTestApp, CWinApp)
    ON_COMMAND_EX(ID_FRAME_ROUTED, OnRouted)
END_MESSAGE_MAP()

// Records what the command-update handlers asked for.
class CCmdUIRecorder : public CCmdUI
{
public:
    explicit CCmdUIRecorder(UINT nID) { m_nID = nID; }
    void Enable(BOOL bOn) override
    {
        enabled = bOn;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int nCheck) override { checked = nCheck; }
    int enabled = -1;
    int checked = -1;
};

CString WindowText(HWND hWnd)
{
    char text[256] = "";
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// Handles the messages already queued (bounded), leaving WM_QUIT where it is.
void PumpPending()
{
    MSG msg;
    for (int handled = 0; handled < 500 && ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE); ++handled)
    {
        if (msg.message == WM_QUIT)
            return;
        ::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

int CountWindowListItems(HMENU popup)
{
    int count = 0;
    for (int index = 0; index < ::GetMenuItemCount(popup); ++index)
    {
        if (::GetMenuItemID(popup, index) >= AFX_IDM_FIRST_MDICHILD)
            ++count;
    }
    return count;
}

CRect ChildRectInClient(HWND child, HWND parent)
{
    CRect rect;
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class MdiFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_route.clear();
        noteTemplate = new CMultiDocTemplate(IDR_FRAME_NOTE, RUNTIME_CLASS(CNoteDoc), RUNTIME_CLASS(CNoteChildFrame),
                                             RUNTIME_CLASS(CNoteView));
        logTemplate = new CMultiDocTemplate(IDR_FRAME_LOG, RUNTIME_CLASS(CLogDoc), RUNTIME_CLASS(CMDIChildWnd),
                                            RUNTIME_CLASS(CLogView));
        app.AddDocTemplate(noteTemplate);
        app.AddDocTemplate(logTemplate);
        main = new CTestMainFrame;
        ASSERT_TRUE(main->LoadFrame(IDR_FRAME_MAIN));
        mainHandle = main->m_hWnd;
        app.m_pMainWnd = main;
        main->SetWindowPos(nullptr, 20, 20, 760, 560, SWP_NOZORDER);
        main->ShowWindow(SW_SHOW);
        main->UpdateWindow();
    }

    void TearDown() override
    {
        if (::IsWindow(mainHandle))
        {
            app.CloseAllDocuments(FALSE);
            ::DestroyWindow(mainHandle);
        }
        testing_support::DispatchPendingMessages();
        app.m_pMainWnd = nullptr;
        delete noteTemplate;
        delete logTemplate;
        delete hiddenTemplate;
    }

    static CFrameWnd* FrameOf(CDocument* doc)
    {
        POSITION pos = doc->GetFirstViewPosition();
        return pos != nullptr ? doc->GetNextView(pos)->GetParentFrame() : nullptr;
    }

    CFrameTestApp app;
    CMultiDocTemplate* noteTemplate = nullptr;
    CMultiDocTemplate* logTemplate = nullptr;
    CMultiDocTemplate* hiddenTemplate = nullptr;
    CTestMainFrame* main = nullptr;
    HWND mainHandle = nullptr;
};

TEST_F(MdiFrameTest, ChildrenOfTwoTemplatesSwapTheMenuAndFillTheWindowList)
{
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    CDocument* log = logTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(log, nullptr);
    CFrameWnd* noteFrame = FrameOf(note);
    CFrameWnd* logFrame = FrameOf(log);
    ASSERT_NE(noteFrame, nullptr);
    ASSERT_NE(logFrame, nullptr);
    EXPECT_TRUE(noteFrame->IsKindOf(RUNTIME_CLASS(CNoteChildFrame)));
    EXPECT_TRUE(::IsWindowVisible(noteFrame->m_hWnd));

    // The log type has no menu: the frame's own menu shows while its child is active.
    EXPECT_EQ(main->MDIGetActive(), logFrame);
    EXPECT_EQ(::GetMenu(mainHandle), main->m_hMenuDefault);

    noteFrame->ActivateFrame();
    EXPECT_EQ(main->MDIGetActive(), noteFrame);
    EXPECT_EQ(main->GetActiveFrame(), noteFrame);
    ASSERT_NE(noteTemplate->m_hMenuShared, nullptr);
    EXPECT_EQ(::GetMenu(mainHandle), noteTemplate->m_hMenuShared);
    // The window list goes into the popup with the Window commands, not the one
    // before Help.
    HMENU displays = ::GetSubMenu(noteTemplate->m_hMenuShared, 1);
    EXPECT_EQ(main->GetWindowMenuPopup(noteTemplate->m_hMenuShared), displays);
    EXPECT_EQ(CountWindowListItems(displays), 2);
    EXPECT_EQ(CountWindowListItems(::GetSubMenu(noteTemplate->m_hMenuShared, 2)), 0);

    CNoteView* noteView = static_cast<CNoteView*>(noteFrame->GetActiveView());
    ASSERT_NE(noteView, nullptr);
    EXPECT_EQ(noteView->initialUpdates, 1);
    EXPECT_EQ(noteFrame->GetActiveDocument(), note);

    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(WindowText(noteFrame->m_hWnd), CString("Note1"));
    // A sizable frame puts the document first.
    EXPECT_EQ(WindowText(mainHandle), CString("Note1 - Frame Test"));

    // The last child gone, the frame's own menu comes back.
    app.CloseAllDocuments(FALSE);
    EXPECT_EQ(main->MDIGetActive(), nullptr);
    EXPECT_EQ(::GetMenu(mainHandle), main->m_hMenuDefault);
}

TEST_F(MdiFrameTest, CascadeAndTileArrangeTheChildren)
{
    CDocument* first = noteTemplate->OpenDocumentFile(nullptr);
    CDocument* second = noteTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    HWND client = main->m_hWndMDIClient;
    HWND firstFrame = FrameOf(first)->m_hWnd;
    HWND secondFrame = FrameOf(second)->m_hWnd;

    main->SendMessage(WM_COMMAND, ID_WINDOW_TILE_HORZ);
    CRect a = ChildRectInClient(firstFrame, client);
    CRect b = ChildRectInClient(secondFrame, client);
    CRect overlap;
    EXPECT_FALSE(overlap.IntersectRect(&a, &b)) << "tiled children overlap";
    CRect clientRect;
    ::GetClientRect(client, &clientRect);
    EXPECT_EQ(a.Width(), clientRect.Width());
    EXPECT_EQ(b.Width(), clientRect.Width());

    main->SendMessage(WM_COMMAND, ID_WINDOW_CASCADE);
    a = ChildRectInClient(firstFrame, client);
    b = ChildRectInClient(secondFrame, client);
    EXPECT_TRUE(overlap.IntersectRect(&a, &b)) << "cascaded children do not overlap";
    EXPECT_NE(a.TopLeft(), b.TopLeft());

    ::RedrawWindow(mainHandle, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (int round = 0; round < 10; ++round)
    {
        PumpPending();
        ::Sleep(20);
    }
    testing_support::Screenshot shot = testing_support::Screenshot::OfWindow(mainHandle);
    ASSERT_FALSE(shot.Empty());
    EXPECT_NE(shot.Save("mdi_frame_cascade"), "");
}

TEST_F(MdiFrameTest, CommandsGoFromViewToDocumentToFramesToApplication)
{
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(note, nullptr);

    main->SendMessage(WM_COMMAND, ID_FRAME_ROUTED);
    const std::vector<std::string> expected = { "view", "document", "child frame", "main frame", "application" };
    EXPECT_EQ(g_route, expected);

    // Update handlers are found along the same way; the document's answer wins.
    CCmdUIRecorder docOnly(ID_FRAME_DOC_ONLY);
    docOnly.DoUpdate(main, TRUE);
    EXPECT_EQ(docOnly.enabled, FALSE);
    EXPECT_EQ(docOnly.checked, 1);

    // Nobody handles 4699: auto-disabled only when asked to.
    CCmdUIRecorder nobody(4699);
    nobody.DoUpdate(main, TRUE);
    EXPECT_EQ(nobody.enabled, FALSE);
    CCmdUIRecorder nobodyKept(4699);
    nobodyKept.DoUpdate(main, FALSE);
    EXPECT_EQ(nobodyKept.enabled, -1);

    // Window commands are enabled while a child is active.
    CCmdUIRecorder cascade(ID_WINDOW_CASCADE);
    cascade.DoUpdate(main, TRUE);
    EXPECT_EQ(cascade.enabled, TRUE);
    app.CloseAllDocuments(FALSE);
    CCmdUIRecorder cascadeAlone(ID_WINDOW_CASCADE);
    cascadeAlone.DoUpdate(main, TRUE);
    EXPECT_EQ(cascadeAlone.enabled, FALSE);
}

TEST_F(MdiFrameTest, StatusBarShowsIndicatorsAndMenuPrompts)
{
    CStatusBar& bar = main->m_statusBar;
    EXPECT_EQ(main->GetMessageBar(), &bar);
    EXPECT_EQ(main->GetControlBar(AFX_IDW_STATUS_BAR), &bar);
    ASSERT_EQ(bar.GetCount(), 5);
    EXPECT_EQ(bar.CommandToIndex(ID_INDICATOR_SCRL), 3);
    EXPECT_EQ(bar.CommandToIndex(4699), -1);
    EXPECT_EQ(bar.GetPaneText(1), CString("CAP"));
    EXPECT_EQ(bar.GetPaneText(3), CString(""));   // no string for it: an empty pane
    EXPECT_NE(bar.GetPaneStyle(0) & SBPS_STRETCH, 0u);

    // Menu prompts, also from a child frame, go to the main frame's bar.
    HMENU menu = ::GetMenu(mainHandle);
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_WINDOW_CASCADE, MF_STRING), reinterpret_cast<LPARAM>(menu));
    EXPECT_EQ(bar.GetPaneText(0), CString("Arrange windows so they overlap"));
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(bar.GetPaneText(0), CString("Ready"));
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(note, nullptr);
    FrameOf(note)->SetMessageText("from the child");
    EXPECT_EQ(bar.GetPaneText(0), CString("from the child"));

    // Indicators show their text while their key's toggle is on.
    bar.OnUpdateCmdUI(main, FALSE);
    const bool capsOn = (::GetKeyState(VK_CAPITAL) & 1) != 0;
    EXPECT_EQ((bar.GetPaneStyle(1) & SBPS_DISABLED) == 0, capsOn);
    EXPECT_EQ(bar.GetPaneText(4), CString("EDIT"));

    // The bar spans the bottom of the frame, with the MDI client right above it.
    CRect client;
    main->GetClientRect(&client);
    CRect barRect = ChildRectInClient(bar.m_hWnd, mainHandle);
    CRect mdiRect = ChildRectInClient(main->m_hWndMDIClient, mainHandle);
    EXPECT_EQ(barRect.bottom, client.bottom);
    EXPECT_EQ(barRect.Width(), client.Width());
    EXPECT_GT(barRect.Height(), 10);
    EXPECT_EQ(mdiRect.bottom, barRect.top);

    // After a resize the indicators stay at the right end and the message pane stretches.
    main->SetWindowPos(nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    CRect barClient;
    bar.GetClientRect(&barClient);
    CRect first, last;
    bar.GetItemRect(0, &first);
    bar.GetItemRect(4, &last);
    EXPECT_LE(first.left, 4);
    EXPECT_NEAR(last.right, barClient.right, 4);
    EXPECT_GT(first.Width(), last.Width());
}

TEST_F(MdiFrameTest, QueryLayoutMovesNothingAndDelayedLayoutWaitsForIdle)
{
    HWND client = main->m_hWndMDIClient;
    const CRect before = ChildRectInClient(client, mainHandle);
    CRect rest;
    main->RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposQuery, &rest);
    EXPECT_EQ(rest, before);
    EXPECT_EQ(ChildRectInClient(client, mainHandle), before);

    main->m_rectBorder = CRect(12, 0, 0, 0);
    main->DelayRecalcLayout();
    EXPECT_EQ(ChildRectInClient(client, mainHandle).left, before.left);
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(ChildRectInClient(client, mainHandle).left, before.left + 12);
    main->m_rectBorder = CRect(0, 0, 0, 0);
}

TEST_F(MdiFrameTest, StatusBarCommandHidesAndShowsTheBar)
{
    CStatusBar& bar = main->m_statusBar;
    CCmdUIRecorder shown(ID_VIEW_STATUS_BAR);
    shown.DoUpdate(main, TRUE);
    EXPECT_EQ(shown.checked, 1);

    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpPending();
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_FALSE(bar.IsWindowVisible());
    CCmdUIRecorder hidden(ID_VIEW_STATUS_BAR);
    hidden.DoUpdate(main, TRUE);
    EXPECT_EQ(hidden.checked, 0);
    // The client takes the bar's place.
    CRect client;
    main->GetClientRect(&client);
    EXPECT_EQ(ChildRectInClient(main->m_hWndMDIClient, mainHandle).bottom, client.bottom);

    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    PumpPending();
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_TRUE(bar.IsWindowVisible());
}

TEST_F(MdiFrameTest, ClosingTheLastFrameOfADocumentClosesTheDocument)
{
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(note, nullptr);
    CFrameWnd* firstFrame = FrameOf(note);
    main->SendMessage(WM_COMMAND, ID_WINDOW_NEW);
    CFrameWnd* secondFrame = main->GetActiveFrame();
    ASSERT_NE(secondFrame, firstFrame);
    EXPECT_EQ(secondFrame->GetActiveDocument(), note);
    EXPECT_EQ(WindowText(firstFrame->m_hWnd), CString("Note1:1"));
    EXPECT_EQ(WindowText(secondFrame->m_hWnd), CString("Note1:2"));

    HWND secondHandle = secondFrame->m_hWnd;
    ::SendMessage(secondHandle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(secondHandle));
    EXPECT_EQ(CNoteDoc::s_live, 1);
    EXPECT_EQ(WindowText(firstFrame->m_hWnd), CString("Note1"));

    HWND firstHandle = firstFrame->m_hWnd;
    ::SendMessage(firstHandle, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(firstHandle));
    EXPECT_EQ(CNoteDoc::s_live, 0);
    EXPECT_TRUE(::IsWindow(mainHandle));
}

TEST_F(MdiFrameTest, ClosingTheMainFrameClosesEveryDocumentAndEndsTheLoop)
{
    ASSERT_NE(noteTemplate->OpenDocumentFile(nullptr), nullptr);
    ASSERT_NE(logTemplate->OpenDocumentFile(nullptr), nullptr);
    EXPECT_EQ(CNoteDoc::s_live, 1);
    EXPECT_EQ(CLogDoc::s_live, 1);

    main->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(mainHandle));
    EXPECT_EQ(CNoteDoc::s_live, 0);
    EXPECT_EQ(CLogDoc::s_live, 0);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG msg;
    EXPECT_TRUE(::PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

TEST_F(MdiFrameTest, AHiddenChildStaysHiddenAndLeavesTheMenuToTheVisibleOnes)
{
    hiddenTemplate = new CMultiDocTemplate(IDR_FRAME_HIDDEN, RUNTIME_CLASS(CNoteDoc),
                                           RUNTIME_CLASS(CHiddenChildFrame), RUNTIME_CLASS(CNoteView));
    app.AddDocTemplate(hiddenTemplate);
    // The list of the windows to switch to in the popup the frame shows now.
    auto listed = [&] { return CountWindowListItems(main->GetWindowMenuPopup(::GetMenu(mainHandle))); };
    // Made first, a hidden child becomes the active one, and is still no window to list.
    CDocument* hidden = hiddenTemplate->OpenDocumentFile(nullptr);
    EXPECT_EQ(listed(), 0);
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    EXPECT_EQ(listed(), 1);
    ASSERT_NE(note, nullptr);
    ASSERT_NE(hidden, nullptr);
    CFrameWnd* hiddenFrame = FrameOf(hidden);
    ASSERT_NE(hiddenFrame, nullptr);

    EXPECT_FALSE(::IsWindowVisible(hiddenFrame->m_hWnd));
    EXPECT_EQ(main->MDIGetActive(), FrameOf(note));
    EXPECT_EQ(::GetMenu(mainHandle), noteTemplate->m_hMenuShared);

    hiddenFrame->ActivateFrame(SW_SHOWNORMAL);
    EXPECT_FALSE(::IsWindowVisible(hiddenFrame->m_hWnd));

    // The window list offers the children shown, whenever one is hidden or shown.
    EXPECT_EQ(listed(), 1);
    CFrameWnd* noteFrame = FrameOf(note);
    const int noteId = ::GetDlgCtrlID(noteFrame->m_hWnd);
    EXPECT_NE(::GetMenuState(main->GetWindowMenuPopup(::GetMenu(mainHandle)), noteId, MF_BYCOMMAND),
              static_cast<UINT>(-1));
    noteFrame->ShowWindow(SW_HIDE);
    EXPECT_EQ(listed(), 0);
    noteFrame->ShowWindow(SW_SHOW);
    EXPECT_EQ(listed(), 1);
}

TEST_F(MdiFrameTest, AcceleratorsOfTheMainFrameWorkFromAChildsView)
{
    CDocument* note = noteTemplate->OpenDocumentFile(nullptr);
    ASSERT_NE(note, nullptr);
    POSITION pos = note->GetFirstViewPosition();
    CView* view = note->GetNextView(pos);

    // Ctrl+T pressed in the view.
    const bool translated = testing_support::PressWithControl(view->m_hWnd, 'T');
    PumpPending();

    EXPECT_TRUE(translated);
    EXPECT_EQ(main->accelerated, 1);
}

// A floating palette that counts its idle updates.
class CCountingMiniFrame : public CMiniFrameWnd
{
public:
    int idleUpdates = 0;

protected:
    LRESULT OnIdleUpdate(WPARAM, LPARAM)
    {
        ++idleUpdates;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountingMiniFrame, CMiniFrameWnd)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdate)
END_MESSAGE_MAP()

TEST_F(MdiFrameTest, AMiniFrameFollowsItsOwnerFrame)
{
    CCountingMiniFrame* palette = new CCountingMiniFrame;
    ASSERT_TRUE(palette->Create(nullptr, "palette", WS_POPUP | WS_CAPTION | WS_VISIBLE | MFS_SYNCACTIVE,
                                CRect(100, 100, 260, 200), main, 0xE81F));
    HWND handle = palette->m_hWnd;
    EXPECT_TRUE(palette->IsFrameWnd());
    EXPECT_NE(palette->GetExStyle() & WS_EX_TOOLWINDOW, 0u);
    EXPECT_EQ(palette->GetDlgCtrlID(), 0xE81F);
    EXPECT_EQ(::GetWindow(handle, GW_OWNER), mainHandle);

    // The owner's idle pass and its enabling reach the floating frame.
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(palette->idleUpdates, 1);
    main->EnableWindow(FALSE);
    EXPECT_FALSE(::IsWindowEnabled(handle));
    main->EnableWindow(TRUE);
    EXPECT_TRUE(::IsWindowEnabled(handle));

    ::DestroyWindow(handle);   // the frame deletes itself
    EXPECT_FALSE(::IsWindow(handle));
}

// A window that counts the first updates it is sent.
class CInitialUpdateCounter : public CWnd
{
public:
    int updates = 0;

protected:
    LRESULT OnInitialUpdate(WPARAM, LPARAM)
    {
        ++updates;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CInitialUpdateCounter, CWnd)
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdate)
END_MESSAGE_MAP()

class CFrameWithPane : public CFrameWnd
{
public:
    CInitialUpdateCounter pane;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
            return -1;
        return pane.Create(nullptr, "pane", WS_VISIBLE, CRect(0, 0, 10, 10), this, AFX_IDW_PANE_FIRST) ? 0 : -1;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFrameWithPane, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST(FrameWndTest, LoadFrameTakesTheResourcesAndSendsTheFirstUpdateWithoutAContext)
{
    CFrameWithPane* frame = new CFrameWithPane;
    ASSERT_TRUE(frame->LoadFrame(IDR_FRAME_MAIN, WS_OVERLAPPEDWINDOW));
    HWND handle = frame->m_hWnd;
    EXPECT_EQ(frame->pane.updates, 1);
    EXPECT_EQ(frame->GetTitle(), CString("Frame Test"));
    EXPECT_EQ(WindowText(handle), CString("Frame Test"));
    EXPECT_NE(::GetMenu(handle), nullptr);
    EXPECT_EQ(::GetMenu(handle), frame->m_hMenuDefault);
    EXPECT_NE(frame->m_hAccelTable, nullptr);
    EXPECT_TRUE(frame->IsFrameWnd());
    EXPECT_EQ(frame->pane.GetParentFrame(), frame);

    // The pane fills the client when no bar takes any space.
    frame->SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    CRect client, paneRect;
    frame->GetClientRect(&client);
    frame->pane.GetClientRect(&paneRect);
    EXPECT_EQ(paneRect.Size(), client.Size());

    // Not the main window: closing destroys the frame, which deletes itself.
    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(handle));
}

}  // namespace
