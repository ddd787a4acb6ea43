// A small MDI application as a program would write it: two document types with their
// child frames and views, a main frame with the window list, a status bar and a palette
// bar docked on the left that floats, docks again and keeps its place in the profile,
// and a document saved to a file and opened again.
#include <gtest/gtest.h>

#include "framework/CArchive.h"
#include "framework/CControlBar.h"
#include "framework/CDC.h"
#include "framework/CDockBar.h"
#include "framework/CDocument.h"
#include "framework/CMDIChildWnd.h"
#include "framework/CMDIFrameWnd.h"
#include "framework/CMiniDockFrameWnd.h"
#include "framework/CMultiDocTemplate.h"
#include "framework/CStatusBar.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/FrameworkIds.h"
#include "framework/MessageMap.h"
#include "tests/mdi_sample_ui/MdiSampleResources.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

#include <cstdlib>
#include <string>
#include "tests/support/PendingMessages.h"

namespace {

// A note: one line of text, stored in its file.
class CNoteDoc : public CDocument
{
    DECLARE_DYNCREATE(CNoteDoc)
public:
    CNoteDoc() { ++s_live; }
    ~CNoteDoc() override { --s_live; }
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_text;
        else
            ar >> m_text;
    }
    void DeleteContents() override { m_text.Empty(); }

    CString m_text;
    static int s_live;
};
int CNoteDoc::s_live = 0;
IMPLEMENT_DYNCREATE(CNoteDoc, CDocument)

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

// Shows the note's text.
class CNoteView : public CView
{
    DECLARE_DYNCREATE(CNoteView)
protected:
    void OnDraw(CDC* pDC) override
    {
        const CString& text = static_cast<CNoteDoc*>(GetDocument())->m_text;
        ::TextOutA(pDC->m_hDC, 8, 8, text, text.GetLength());
    }
};
IMPLEMENT_DYNCREATE(CNoteView, CView)

class CLogView : public CView
{
    DECLARE_DYNCREATE(CLogView)
protected:
    void OnDraw(CDC* pDC) override { ::TextOutA(pDC->m_hDC, 8, 8, "log", 3); }
};
IMPLEMENT_DYNCREATE(CLogView, CView)

class CNoteChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CNoteChildFrame)
};
IMPLEMENT_DYNCREATE(CNoteChildFrame, CMDIChildWnd)

class CLogChildFrame : public CMDIChildWnd
{
    DECLARE_DYNCREATE(CLogChildFrame)
};
IMPLEMENT_DYNCREATE(CLogChildFrame, CMDIChildWnd)

// A palette of a fixed size that turns with the side it docks on.
class CPaletteBar : public CControlBar
{
public:
    BOOL Create(CWnd* pParent)
    {
        m_dwStyle = CBRS_ALIGN_LEFT;
        LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW),
                                                reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return CWnd::CreateEx(0, lpszClass, "Palette", WS_CHILD | WS_VISIBLE, CRect(0, 0, 40, 160), pParent,
                              ID_SAMPLE_PALETTE_BAR);
    }
    CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override
    {
        CSize size = bHorz ? CSize(160, 40) : CSize(40, 160);
        if (bStretch)
            (bHorz ? size.cx : size.cy) = 32767;
        return size;
    }
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

class CSampleMainFrame : public CMDIFrameWnd
{
public:
    CStatusBar m_statusBar;
    CPaletteBar m_paletteBar;

protected:
    int OnCreate(LPCREATESTRUCT lpCreateStruct)
    {
        if (CMDIFrameWnd::OnCreate(lpCreateStruct) == -1)
            return -1;
        static const UINT indicators[] = { ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL };
        if (!m_statusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
            !m_statusBar.SetIndicators(indicators, 4))
            return -1;
        if (!m_paletteBar.Create(this))
            return -1;
        m_paletteBar.EnableDocking(CBRS_ALIGN_ANY);
        EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(&m_paletteBar, AFX_IDW_DOCKBAR_LEFT);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSampleMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// File New makes a note (the first template); "New Log" the other type.
class CSampleApp : public CWinApp
{
public:
    CSampleApp() : CWinApp("MdiSample") {}
    CMultiDocTemplate* m_pLogTemplate = nullptr;

protected:
    void OnNewLog() { m_pLogTemplate->OpenDocumentFile(nullptr); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSampleApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_SAMPLE_NEW_LOG, OnNewLog)
END_MESSAGE_MAP()

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

CString WindowText(HWND hWnd)
{
    char text[256] = "";
    ::GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// The titles of the window list entries in the popup, in menu order.
std::string WindowListTitles(HMENU popup)
{
    std::string titles;
    for (int index = 0; index < ::GetMenuItemCount(popup); ++index)
    {
        if (::GetMenuItemID(popup, index) < AFX_IDM_FIRST_MDICHILD)
            continue;
        char text[128] = "";
        ::GetMenuStringA(popup, index, text, sizeof text, MF_BYPOSITION);
        titles += std::string(titles.empty() ? "" : "|") + text;
    }
    return titles;
}

CFrameWnd* FrameOf(CDocument* doc)
{
    POSITION pos = doc->GetFirstViewPosition();
    return pos != nullptr ? doc->GetNextView(pos)->GetParentFrame() : nullptr;
}

CDocument* ActiveDocument(CMDIFrameWnd* main)
{
    CFrameWnd* child = main->MDIGetActive();
    return child != nullptr ? child->GetActiveDocument() : nullptr;
}

class MdiSampleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::MessageBoxRecorder::Instance().Clear();
        char directory[MAX_PATH];
        ::GetTempPathA(MAX_PATH, directory);
        iniPath = std::string(directory) + "pyraxis-h21-mdi-sample.ini";
        ::DeleteFileA(iniPath.c_str());
        std::free(const_cast<char*>(app.m_pszProfileName));
        app.m_pszProfileName = _strdup(iniPath.c_str());

        noteTemplate = new CMultiDocTemplate(IDR_SAMPLE_NOTE, RUNTIME_CLASS(CNoteDoc),
                                             RUNTIME_CLASS(CNoteChildFrame), RUNTIME_CLASS(CNoteView));
        logTemplate = new CMultiDocTemplate(IDR_SAMPLE_LOG, RUNTIME_CLASS(CLogDoc),
                                            RUNTIME_CLASS(CLogChildFrame), RUNTIME_CLASS(CLogView));
        app.AddDocTemplate(noteTemplate);
        app.AddDocTemplate(logTemplate);
        app.m_pLogTemplate = logTemplate;

        main = new CSampleMainFrame;
        ASSERT_TRUE(main->LoadFrame(IDR_SAMPLE_MAIN));
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
        ::DeleteFileA(iniPath.c_str());
        testing_support::MessageBoxRecorder::Instance().Clear();
    }

    void Command(UINT nID) { main->SendMessage(WM_COMMAND, nID); }
    CDockBar* LeftDockBar() { return static_cast<CDockBar*>(main->GetControlBar(AFX_IDW_DOCKBAR_LEFT)); }

    CSampleApp app;
    std::string iniPath;
    CMultiDocTemplate* noteTemplate = nullptr;
    CMultiDocTemplate* logTemplate = nullptr;
    CSampleMainFrame* main = nullptr;
    HWND mainHandle = nullptr;
};

TEST_F(MdiSampleTest, TwoDocumentTypesInTheWindowListAndAPaletteThatFloatsDocksAndIsRestored)
{
    // File New, then New Log: one child frame of each template.
    Command(ID_FILE_NEW);
    Command(ID_SAMPLE_NEW_LOG);
    ASSERT_EQ(CNoteDoc::s_live, 1);
    ASSERT_EQ(CLogDoc::s_live, 1);
    CDocument* log = ActiveDocument(main);
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->IsKindOf(RUNTIME_CLASS(CLogDoc)));
    EXPECT_TRUE(main->MDIGetActive()->IsKindOf(RUNTIME_CLASS(CLogChildFrame)));
    EXPECT_EQ(::GetMenu(mainHandle), logTemplate->m_hMenuShared);

    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(WindowText(main->MDIGetActive()->m_hWnd), CString("Log1"));
    EXPECT_EQ(WindowText(mainHandle), CString("Log1 - MDI Sample"));
    // Wine's MDI client names a list entry when it rebuilds the list, not when the
    // child's caption changes afterwards: refresh it as the system would have.
    ::SendMessage(main->m_hWndMDIClient, WM_MDIREFRESHMENU, 0, 0);
    HMENU logWindows = main->GetWindowMenuPopup(logTemplate->m_hMenuShared);
    ASSERT_EQ(logWindows, ::GetSubMenu(logTemplate->m_hMenuShared, 1));
    EXPECT_EQ(WindowListTitles(logWindows), "&1 Note1|&2 Log1");

    // The window list's first entry brings the note forward, with its own menu.
    Command(AFX_IDM_FIRST_MDICHILD);
    CDocument* note = ActiveDocument(main);
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(note->IsKindOf(RUNTIME_CLASS(CNoteDoc)));
    EXPECT_EQ(::GetMenu(mainHandle), noteTemplate->m_hMenuShared);
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(WindowText(mainHandle), CString("Note1 - MDI Sample"));

    // The status bar with its indicators, the palette docked on the left.
    EXPECT_EQ(main->GetControlBar(AFX_IDW_STATUS_BAR), &main->m_statusBar);
    EXPECT_EQ(main->m_statusBar.GetCount(), 4);
    EXPECT_EQ(main->m_statusBar.CommandToIndex(ID_INDICATOR_NUM), 2);
    CPaletteBar& palette = main->m_paletteBar;
    main->RecalcLayout();
    EXPECT_EQ(palette.m_pDockBar, LeftDockBar());
    EXPECT_FALSE(palette.IsFloating());
    EXPECT_EQ(LeftDockBar()->GetDockedVisibleCount(), 1);
    // The MDI client starts right of the palette.
    CRect paletteRect;
    CRect clientRect;
    palette.GetWindowRect(&paletteRect);
    ::GetWindowRect(main->m_hWndMDIClient, &clientRect);
    EXPECT_GE(clientRect.left, paletteRect.right);

    // A third child and the cascade first: the floating frame must end up over them.
    ASSERT_NE(noteTemplate->OpenDocumentFile(nullptr), nullptr);
    Command(ID_WINDOW_CASCADE);

    // Floated over the MDI client, then pictured.
    main->FloatControlBar(&palette, CPoint(clientRect.left + 300, clientRect.top + 120));
    ASSERT_TRUE(palette.IsFloating());
    CFrameWnd* floating = palette.GetParentFrame();
    ASSERT_NE(floating, nullptr);
    EXPECT_TRUE(floating->IsKindOf(RUNTIME_CLASS(CMiniDockFrameWnd)));
    EXPECT_TRUE(floating->IsWindowVisible());
    EXPECT_EQ(LeftDockBar()->GetDockedVisibleCount(), 0);
    EXPECT_EQ(::GetWindow(floating->m_hWnd, GW_OWNER), mainHandle);
    ::RedrawWindow(mainHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    floating->UpdateWindow();
    for (int i = 0; i < 5; i++)
    {
        PumpPending();
        ::Sleep(50);
    }
    const auto shot = testing_support::Screenshot::OfWindow(mainHandle);
    ASSERT_FALSE(shot.Empty());
    EXPECT_FALSE(shot.Save("mdi_sample_docked_and_floating").empty());

    // Docked again on the left; the empty floating frame goes.
    const HWND floatingHandle = floating->m_hWnd;
    main->DockControlBar(&palette, AFX_IDW_DOCKBAR_LEFT);
    main->RecalcLayout();
    PumpPending();
    EXPECT_FALSE(palette.IsFloating());
    EXPECT_EQ(palette.m_pDockBar, LeftDockBar());
    EXPECT_FALSE(::IsWindow(floatingHandle) && ::IsWindowVisible(floatingHandle));

    // The docked arrangement is saved, the palette floated away, and the profile brings
    // it back to the left side.
    main->SaveBarState("Sample");
    EXPECT_GT(::GetPrivateProfileIntA("Sample-Summary", "Bars", 0, iniPath.c_str()), 0);
    main->FloatControlBar(&palette, CPoint(clientRect.left + 200, clientRect.top + 200));
    ASSERT_TRUE(palette.IsFloating());
    main->LoadBarState("Sample");
    main->RecalcLayout();
    EXPECT_FALSE(palette.IsFloating());
    EXPECT_EQ(palette.m_pDockBar, LeftDockBar());
    EXPECT_TRUE(palette.IsWindowVisible());

    // Closing the main window closes every document and frame.
    main->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(mainHandle));
    EXPECT_EQ(CNoteDoc::s_live, 0);
    EXPECT_EQ(CLogDoc::s_live, 0);
    EXPECT_EQ(0u, testing_support::MessageBoxRecorder::Instance().Count());
}

TEST_F(MdiSampleTest, FileSaveWritesTheNoteAndOpeningTheFileReadsItBack)
{
    ASSERT_TRUE(testing_support::EnsureDirectory(testing_support::BuildPath("tests/mdi_sample_ui")));
    const std::string path = testing_support::BuildPath("tests/mdi_sample_ui/saved.note");
    ::DeleteFileA(path.c_str());

    Command(ID_FILE_NEW);
    auto* note = dynamic_cast<CNoteDoc*>(ActiveDocument(main));
    ASSERT_NE(note, nullptr);
    note->m_text = "pressure 4.2 bar";
    note->SetModifiedFlag();
    // A path of its own: File Save then writes without asking for one.
    note->SetPathName(path.c_str(), FALSE);
    Command(ID_FILE_SAVE);
    EXPECT_FALSE(note->IsModified());
    EXPECT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    main->SendMessage(WM_IDLEUPDATECMDUI, TRUE);
    EXPECT_EQ(WindowText(FrameOf(note)->m_hWnd), CString("saved.note"));

    // Closed, then opened by the application: the note template reads the text back.
    app.CloseAllDocuments(FALSE);
    ASSERT_EQ(CNoteDoc::s_live, 0);
    auto* reopened = dynamic_cast<CNoteDoc*>(app.OpenDocumentFile(path.c_str()));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->m_text, CString("pressure 4.2 bar"));
    EXPECT_FALSE(reopened->IsModified());
    EXPECT_EQ(reopened->GetDocTemplate(), noteTemplate);
    EXPECT_EQ(ActiveDocument(main), reopened);
    // The same file again is the open document, not a second copy.
    EXPECT_EQ(app.OpenDocumentFile(path.c_str()), reopened);
    EXPECT_EQ(CNoteDoc::s_live, 1);

    main->SendMessage(WM_CLOSE);
    EXPECT_FALSE(::IsWindow(mainHandle));
    EXPECT_EQ(CNoteDoc::s_live, 0);
    EXPECT_EQ(0u, testing_support::MessageBoxRecorder::Instance().Count());
    ::DeleteFileA(path.c_str());
}

} // namespace
